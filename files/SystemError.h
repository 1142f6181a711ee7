#pragma once

#include <QString>
#include <QtGlobal>

#include "HostExport.h"

// The reason a system call failed (an errno value) as a short Portuguese
// phrase to end a message with: "o disco está cheio", "permissão negada".
// Reasons without a phrase of their own give the system's text.
HOST_EXPORT QString SystemReason(int error);

// Writes all `size` bytes of `data` to the descriptor `fd`, again after an
// interruption or a partial write. Gives 0, or the errno value of the
// failure (EIO for a write that wrote nothing); `written` counts the bytes
// that did go out.
HOST_EXPORT int WriteAll(int fd, const char* data, qint64 size, qint64* written = nullptr);

// Makes the folder `dir` with its parents. Throws Exception "Não foi
// possível criar a pasta <what> <dir>: <reason>." when it cannot.
HOST_EXPORT void MakeFolder(const QString& dir, const QString& what);
