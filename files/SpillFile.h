#pragma once

#include <sys/types.h>

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstddef>
#include <mutex>

#include "HostExport.h"

// Where a report's large arrays (its cells, texts, layout lines) take their
// blocks from, so that the memory a report holds does not grow with its rows.
//
// The first blocks (Settings::anonymousBytes, all of a small report) are
// anonymous memory, as before. After them every block lies in a temporary
// file of the report's own, mapped shared: the file is made without a name
// (O_TMPFILE, or named and unlinked at once where the file system cannot),
// mode 0600, so nothing of it survives the report, a cancel or a crash. The
// file is grown (posix_fallocate) before a block is mapped, so a full disk is
// an Exception naming the folder, never a signal at the first write. Every
// 16 MB handed out, and whenever a reader that goes through every row asks
// (GiveBackResident), the pages of the file are dropped from the process's
// memory: they stay in the file and the page cache, and whoever touches them
// again reads them back. Blocks never move while the SpillFile lives, so
// readers on any thread keep pointers into them without locks.
//
// The folder is the user's cache folder, $XDG_CACHE_HOME/rclhost (that is
// ~/.cache/rclhost, made 0700 when missing), when it lies on a disk; else
// /var/tmp. A folder on a tmpfs (memory) is used only when no folder on a
// disk can be.
class HOST_EXPORT SpillFile {
public:
    SpillFile() = default;
    ~SpillFile();
    SpillFile(const SpillFile&) = delete;
    SpillFile& operator=(const SpillFile&) = delete;

    // Writer: a zero-filled block of `bytes` that stays where it is until the
    // SpillFile goes. Throws Exception when the file cannot be made or grown
    // ("Não há espaço em disco para os dados do relatório: ..."), or passes
    // kMostBytes; std::bad_alloc when there is no memory.
    void* Take(std::size_t bytes);
    // A block taken here, given back: anonymous ones at once, those of the
    // file with the file.
    void Give(void* block, std::size_t bytes) noexcept;
    // Any thread: drops the file's pages from the process's resident memory.
    void GiveBackResident() const noexcept;

    // Whether blocks come from the file, and the folder it lies in.
    bool Spilling() const { return mapped_.load(std::memory_order_acquire) > 0; }
    QString Folder() const;

    // The most a report's data may take in its file: 64 GiB.
    static constexpr std::size_t kMostBytes = std::size_t(64) << 30;

    // The host's defaults; tests change them before a report starts.
    struct Settings {
        // Taken from anonymous memory before the file is made.
        std::size_t anonymousBytes = std::size_t(16) << 20;
        // Folders tried in turn; empty: the cache folder, then /var/tmp.
        QStringList folders;
        // Grows the file, as posix_fallocate (an errno value, or 0).
        int (*allocate)(int fd, off_t offset, off_t length) = nullptr;
    };
    static Settings& Tuning();

private:
    void Open();
    void Grow(std::size_t bytes);

    mutable std::mutex mutex_;
    std::size_t anonymous_ = 0;
    bool toFile_ = false;
    int fd_ = -1;
    QString folder_;
    char* base_ = nullptr;                // the file's place, kMostBytes reserved
    std::size_t used_ = 0;                // of the file, handed out
    std::size_t sinceGiveBack_ = 0;       // handed out since the pages were last dropped
    std::atomic<std::size_t> mapped_{0};  // of the file, mapped at base_
};
