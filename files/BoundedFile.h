#pragma once

#include <QByteArray>
#include <QString>

#include "HostExport.h"
#include "SysUtils.h"

// Reading files that anyone may put where the host looks (report
// definitions, scripts, the configuration): only regular files, of bounded
// size. A link is followed only to a regular file; a device, FIFO, socket or
// folder is refused without being opened for reading, so that a link to
// /dev/zero or to a FIFO cannot make the host read for ever or wait for ever.
// A file over the limit is refused before anything is read.

// Why a file could not be read: the path and the reason, in Portuguese.
// Message(): "Não foi possível ler <path>: <reason>."
class HOST_EXPORT EFileRead : public Exception {
public:
    EFileRead(const QString& path, const QString& reason);
    const QString& Path() const { return path_; }
    // "é um FIFO", "tem 3.221.225.472 bytes, mais que o limite de 1.048.576".
    const QString& Reason() const { return reason_; }

private:
    QString path_;
    QString reason_;
};

// The whole contents of the regular file `path`, at most `limit` bytes.
// Throws EFileRead when it is not a regular file, is larger than `limit`,
// cannot be opened or read, or there is not memory enough to hold it.
HOST_EXPORT QByteArray ReadRegularFile(const QString& path, qint64 limit);
