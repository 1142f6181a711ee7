#include "SpillFile.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <QDir>
#include <algorithm>
#include <cerrno>
#include <new>

#include "MappedMemory.h"
#include "SysUtils.h"
#include "SystemError.h"

namespace {

// The file grows by at least this much at a time: fewer calls, and fewer
// pieces of the file on the disk.
constexpr std::size_t kGrowStep = std::size_t(4) << 20;
constexpr std::size_t kGiveBackEvery = std::size_t(16) << 20;

std::size_t WholePages(std::size_t bytes) {
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    return (bytes + page - 1) / page * page;
}

QString CacheFolder() {
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!QDir::isAbsolutePath(base)) base = QDir::homePath() + QStringLiteral("/.cache");
    return QDir::cleanPath(base + QStringLiteral("/rclhost"));
}

// Makes `folder` and its missing parents, only the user's (0700); an errno
// value, or 0.
int MakeFolders(const QByteArray& folder) {
    for (qsizetype at = 1; at <= folder.size(); ++at) {
        if (at < folder.size() && folder[at] != '/') continue;
        const QByteArray part = folder.left(at);
        if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST) return errno;
    }
    return 0;
}

bool OnDisk(const QByteArray& folder) {
    struct statfs fs {};
    if (::statfs(folder.constData(), &fs) != 0) return false;
    return fs.f_type != TMPFS_MAGIC && fs.f_type != RAMFS_MAGIC;
}

// A file of no name in `folder`, or -1 with errno set.
int OpenUnnamed(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return fd;
    QByteArray name = folder + "/.rclhost-dados-XXXXXX";
    const int named = ::mkostemp(name.data(), O_CLOEXEC);
    if (named >= 0) ::unlink(name.constData());
    return named;
}

struct Attempt {
    int fd = -1;
    bool onDisk = false;
    QString reason;  // why there is no file
};

Attempt TryFolder(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    struct stat info {};
    if (::stat(path.constData(), &info) != 0) {
        if (errno != ENOENT) return {-1, false, SystemReason(errno)};
        if (const int error = MakeFolders(path)) return {-1, false, SystemReason(error)};
    } else if (!S_ISDIR(info.st_mode)) {
        return {-1, false, QStringLiteral("o caminho não é uma pasta")};
    }
    const int fd = OpenUnnamed(path);
    if (fd < 0) return {-1, false, SystemReason(errno)};
    return {fd, OnDisk(path), {}};
}

int Fallocate(int fd, off_t offset, off_t length) { return ::posix_fallocate(fd, offset, length); }

QString Shown(const QString& folder) { return QDir::toNativeSeparators(folder); }

}  // namespace

SpillFile::Settings& SpillFile::Tuning() {
    static Settings settings;
    return settings;
}

SpillFile::~SpillFile() {
    if (base_) ::munmap(base_, kMostBytes);
    if (fd_ >= 0) ::close(fd_);
}

QString SpillFile::Folder() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return folder_;
}

void* SpillFile::Take(std::size_t bytes) {
    const std::lock_guard<std::mutex> lock(mutex_);
    const Settings& settings = Tuning();
    if (!toFile_ && anonymous_ + bytes <= settings.anonymousBytes) {
        void* block = MappedMemory::Take(bytes);
        anonymous_ += bytes;
        return block;
    }
    toFile_ = true;
    if (fd_ < 0) Open();
    const std::size_t size = WholePages(bytes);
    if (size > kMostBytes - used_)
        throw Exception(
            QStringLiteral("Os dados do relatório passam de %1 GB, o máximo que um relatório "
                           "guarda; escolha um período menor.")
                .arg(kMostBytes >> 30));
    if (used_ + size > mapped_.load(std::memory_order_relaxed)) Grow(used_ + size);
    char* block = base_ + used_;
    used_ += size;
    sinceGiveBack_ += size;
    if (sinceGiveBack_ >= kGiveBackEvery) {
        sinceGiveBack_ = 0;
        GiveBackResident();
    }
    return block;
}

// Folders on a disk first; one on a tmpfs only when none on a disk can be
// used. The message names the first folder and why it could not be.
void SpillFile::Open() {
    const Settings& settings = Tuning();
    const QStringList folders = settings.folders.isEmpty()
                                    ? QStringList{CacheFolder(), QStringLiteral("/var/tmp")}
                                    : settings.folders;
    Attempt chosen;
    QString reason;
    for (const QString& folder : folders) {
        Attempt attempt = TryFolder(folder);
        if (attempt.fd < 0) {
            if (reason.isEmpty())
                reason = QStringLiteral("%1: %2").arg(Shown(folder), attempt.reason);
            continue;
        }
        if (chosen.fd >= 0) {  // one in memory was kept in reserve
            if (!attempt.onDisk) {
                ::close(attempt.fd);
                continue;
            }
            ::close(chosen.fd);
        }
        chosen = attempt;
        folder_ = folder;
        if (chosen.onDisk) break;
    }
    if (chosen.fd < 0)
        throw Exception(
            QStringLiteral(
                "Não foi possível criar o arquivo temporário dos dados do relatório em %1.")
                .arg(reason));
    void* place =
        ::mmap(nullptr, kMostBytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (place == MAP_FAILED) {
        ::close(chosen.fd);
        throw std::bad_alloc();
    }
    fd_ = chosen.fd;
    base_ = static_cast<char*>(place);
}

// The file is grown before the new part is mapped, so no write into the
// mapping can find the disk full.
void SpillFile::Grow(std::size_t bytes) {
    const std::size_t mapped = mapped_.load(std::memory_order_relaxed);
    const std::size_t size = std::min(kMostBytes, std::max(bytes, mapped + kGrowStep));
    const auto allocate = Tuning().allocate ? Tuning().allocate : Fallocate;
    const int error = allocate(fd_, static_cast<off_t>(mapped), static_cast<off_t>(size - mapped));
    if (error == ENOSPC || error == EDQUOT)
        throw Exception(
            QStringLiteral("Não há espaço em disco para os dados do relatório: %1 na pasta %2. "
                           "Libere espaço ou escolha um período menor.")
                .arg(SystemReason(error), Shown(folder_)));
    if (error != 0)
        throw Exception(
            QStringLiteral("Não foi possível guardar os dados do relatório na pasta %1: %2.")
                .arg(Shown(folder_), SystemReason(error)));
    void* part = ::mmap(base_ + mapped, size - mapped, PROT_READ | PROT_WRITE,
                        MAP_SHARED | MAP_FIXED, fd_, static_cast<off_t>(mapped));
    if (part == MAP_FAILED) throw std::bad_alloc();
    mapped_.store(size, std::memory_order_release);
}

void SpillFile::Give(void* block, std::size_t bytes) noexcept {
    const auto* at = static_cast<const char*>(block);
    if (base_ && at >= base_ && at < base_ + kMostBytes) return;
    MappedMemory::Give(block, bytes);
}

// Dropping the pages of a shared mapping loses nothing: they are the file's.
void SpillFile::GiveBackResident() const noexcept {
    const std::size_t mapped = mapped_.load(std::memory_order_acquire);
    if (mapped > 0) ::madvise(base_, mapped, MADV_DONTNEED);
}
