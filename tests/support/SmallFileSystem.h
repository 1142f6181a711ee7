#pragma once

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <vector>

// A file system of a few kilobytes (tmpfs) mounted by the test over a folder
// of its own, to see what the host does when a disk fills up or turns
// read-only. Mounting needs root, or CAP_SYS_ADMIN; where it is not allowed,
// Mounted() is false and Why() says why, for GTEST_SKIP().
class SmallFileSystem {
public:
    explicit SmallFileSystem(int kilobytes) {
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k,mode=0755";
        mounted_ = ::mount("tmpfs", Native(), "tmpfs", 0, options.constData()) == 0;
        if (!mounted_)
            why_ = QStringLiteral("mounting a small tmpfs for a full disk is not permitted here "
                                  "(needs root or CAP_SYS_ADMIN): %1")
                       .arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
    ~SmallFileSystem() {
        if (mounted_) ::umount2(Native(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool Mounted() const { return mounted_; }
    const QString& Why() const { return why_; }
    QString Path() const { return dir_.path(); }

    // Takes all the free space but about `leave` bytes with a file of its own.
    void Fill(qint64 leave = 0) {
        const QByteArray path = QFile::encodeName(dir_.filePath(".enchimento"));
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const std::vector<char> block(4096, 'x');
        off_t size = 0;
        while (fd >= 0 && ::write(fd, block.data(), block.size()) > 0) size += 4096;
        if (fd >= 0 && leave > 0) ::ftruncate(fd, size > leave ? size - leave : 0);
        if (fd >= 0) ::close(fd);
    }
    bool MakeReadOnly() {
        return ::mount("tmpfs", Native(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    const char* Native() {
        native_ = QFile::encodeName(dir_.path());
        return native_.constData();
    }

    QTemporaryDir dir_;
    QByteArray native_;
    bool mounted_ = false;
    QString why_;
};
