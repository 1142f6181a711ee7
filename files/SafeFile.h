#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <memory>

#include "HostExport.h"

class QIODevice;

// An output file that nobody ever sees half-written. Everything goes to a
// temporary file in the target's folder; Commit checks that every byte
// reached the disk (each write, the last flush, fsync, the size on disk) and
// only then puts the file in place with one rename. Until then the target,
// or an earlier file of that name, stays as it was; a SafeFile destroyed
// without a successful Commit removes its temporary file, so a cancelled or
// failed report leaves nothing behind.
//
// Failures throw Exception with the path and the system's reason in
// Portuguese ("Não foi possível gravar /tmp/x.pdf: o disco está cheio.").
class HOST_EXPORT SafeFile {
public:
    // Replaces `target` on Commit (keeping an existing target's permissions).
    // Throws when the temporary file cannot be created in its folder.
    explicit SafeFile(const QString& target);
    // A new file in `dir` whose name is claimed on Commit: the first of
    // nameFor(1), nameFor(2)... that is free at that moment, taken with an
    // exclusive create, so that parallel writers into one folder never
    // overwrite each other's files.
    static SafeFile ClaimNew(const QString& dir, std::function<QString(int n)> nameFor);
    // Removes from `dir` (not below it) the temporary files a SafeFile left
    // when its process was killed before Commit: regular files of this
    // user, named as SafeFile names them (".NAME.xxxxxxxx.tmp", eight
    // lower-case hex digits), last written more than `age` ago. Anything
    // else stays, and a file that cannot be removed is left as it is.
    // Gives how many were removed.
    static int RemoveLeftovers(const QString& dir, std::chrono::seconds age);

    SafeFile(SafeFile&&) noexcept;
    SafeFile& operator=(SafeFile&&) noexcept;
    ~SafeFile();

    // Where to write (open for writing, sequential).
    QIODevice& Device();
    // The temporary file's path, for a library that writes a file only by
    // its name (and may seek in it): what it leaves there is the contents,
    // and Commit checks it reached the disk (fsync) instead of counting the
    // bytes that went through Device(), which must then stay unused.
    QString PathForWriter();
    // The file's path: the target, or for ClaimNew the name taken by Commit
    // (empty before it).
    QString Target() const;
    // Checks everything written and puts the file in place. Throws, leaving
    // the target untouched and removing the temporary file, when anything
    // failed.
    void Commit();

private:
    struct State;
    explicit SafeFile(std::unique_ptr<State> state);
    std::unique_ptr<State> d_;
};
