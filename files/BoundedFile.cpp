#include "BoundedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <cerrno>
#include <new>

#include "SystemError.h"

namespace {

QString Bytes(qint64 count) {
    return QLocale(QLocale::Portuguese, QLocale::Brazil).toString(count);
}

QString KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return QStringLiteral("é uma pasta");
    if (S_ISFIFO(mode)) return QStringLiteral("é um FIFO (pipe), não um arquivo comum");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("é um dispositivo, não um arquivo comum");
    if (S_ISSOCK(mode)) return QStringLiteral("é um socket, não um arquivo comum");
    return QStringLiteral("não é um arquivo comum");
}

QString TooLarge(qint64 limit) {
    return QStringLiteral("passa do limite de %1 bytes").arg(Bytes(limit));
}

void CheckKindAndSize(const QString& path, const struct stat& info, qint64 limit) {
    if (!S_ISREG(info.st_mode)) throw EFileRead(path, KindOf(info.st_mode));
    if (info.st_size > limit)
        throw EFileRead(
            path, QStringLiteral("tem %1 bytes e %2").arg(Bytes(info.st_size), TooLarge(limit)));
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

// Reads to the end, which for files such as those of /proc is the only way to
// know their size.
QByteArray ReadToEnd(int fd, const QString& path, qint64 limit) {
    QByteArray data;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw EFileRead(path, SystemReason(errno));
        if (got == 0) return data;
        if (data.size() + got > limit) throw EFileRead(path, TooLarge(limit));
        data.append(buffer, static_cast<qsizetype>(got));
    }
}

}  // namespace

EFileRead::EFileRead(const QString& path, const QString& reason)
    : Exception(QStringLiteral("Não foi possível ler %1: %2.")
                    .arg(QDir::toNativeSeparators(path), reason)),
      path_(path),
      reason_(reason) {}

QByteArray ReadRegularFile(const QString& path, qint64 limit) {
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0) throw EFileRead(path, SystemReason(errno));
    CheckKindAndSize(path, info, limit);
    // Not blocking: should the name have become a FIFO since, opening it
    // returns at once, and the check below refuses it.
    const Descriptor file(::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.Get() < 0) throw EFileRead(path, SystemReason(errno));
    if (::fstat(file.Get(), &info) != 0) throw EFileRead(path, SystemReason(errno));
    CheckKindAndSize(path, info, limit);
    try {
        return ReadToEnd(file.Get(), path, limit);
    } catch (const std::bad_alloc&) {
        throw EFileRead(path, QStringLiteral("não há memória suficiente para lê-lo"));
    }
}
