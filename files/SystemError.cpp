#include "SystemError.h"

#include <unistd.h>

#include <QDir>
#include <cerrno>
#include <cstring>

#include "SysUtils.h"

QString SystemReason(int error) {
    switch (error) {
        case ENOSPC:
            return QStringLiteral("o disco está cheio");
        case EDQUOT:
            return QStringLiteral("a cota de disco do usuário acabou");
        case EACCES:
        case EPERM:
            return QStringLiteral("permissão negada");
        case EROFS:
            return QStringLiteral("o sistema de arquivos é somente leitura");
        case ENOENT:
            return QStringLiteral("a pasta ou o arquivo não existe");
        case ENOTDIR:
            return QStringLiteral("uma parte do caminho não é uma pasta");
        case EISDIR:
            return QStringLiteral("o caminho é uma pasta");
        case ENAMETOOLONG:
            return QStringLiteral("o nome é longo demais");
        case EIO:
            return QStringLiteral("erro de leitura ou gravação no dispositivo");
        case EFBIG:
            return QStringLiteral("o arquivo ficou grande demais");
        case EMFILE:
        case ENFILE:
            return QStringLiteral("arquivos abertos demais");
        case EPIPE:
            return QStringLiteral("o outro lado do pipe foi fechado");
        case EBADF:
            return QStringLiteral("o descritor de arquivo não está aberto");
        case EXDEV:
            return QStringLiteral("o destino está em outro sistema de arquivos");
        default:
            return QString::fromLocal8Bit(std::strerror(error));
    }
}

int WriteAll(int fd, const char* data, qint64 size, qint64* written) {
    while (size > 0) {
        const ssize_t sent = ::write(fd, data, static_cast<size_t>(size));
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return sent < 0 ? errno : EIO;
        data += sent;
        size -= sent;
        if (written) *written += sent;
    }
    return 0;
}

void MakeFolder(const QString& dir, const QString& what) {
    errno = 0;
    if (!QDir().mkpath(dir))
        throw Exception(
            QStringLiteral("Não foi possível criar a pasta %1 %2: %3.")
                .arg(what, QDir::toNativeSeparators(dir), SystemReason(errno ? errno : EIO)));
}
