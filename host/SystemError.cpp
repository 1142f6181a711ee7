#include "SystemError.h"

#include <cerrno>
#include <cstring>

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
        case EXDEV:
            return QStringLiteral("o destino está em outro sistema de arquivos");
        default:
            return QString::fromLocal8Bit(std::strerror(error));
    }
}
