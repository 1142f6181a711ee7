#pragma once

#include <signal.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <cerrno>

// The temporary folders of the tests' own servers (PgServer, CupsServer):
// each holds owner.pid, the test process that made it, so that the folders of
// processes that died without cleaning up can be told apart and removed.

inline bool ServerProcessAlive(qint64 pid) {
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

inline qint64 PidInFile(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) return 0;
    return in.readLine().trimmed().toLongLong();
}

// Removes the folders matching `pattern` in the temporary folder, other than
// `own`, whose `pidFiles` (owner.pid among them) all name processes that are
// gone; then marks `own` as this process's.
inline void ClaimServerFolder(const QString& own, const QString& pattern, const QStringList& pidFiles) {
    const QDir temp(QDir::tempPath());
    for (const QString& name : temp.entryList({pattern}, QDir::Dirs)) {
        const QString path = temp.filePath(name);
        bool alive = path == own;
        for (const QString& file : pidFiles) alive = alive || ServerProcessAlive(PidInFile(path + u'/' + file));
        if (!alive) QDir(path).removeRecursively();
    }
    QFile mark(own + QStringLiteral("/owner.pid"));
    if (mark.open(QIODevice::WriteOnly)) mark.write(QByteArray::number(QCoreApplication::applicationPid()));
}
