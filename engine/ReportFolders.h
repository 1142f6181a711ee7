#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "HostExport.h"
#include "ReportDefinition.h"

struct HostConfig;

// The two folders a report screen reads its definitions from: the installed
// one, which the host never writes, and the user's, where every definition
// the user saves goes. A user's file hides the installed file of the same
// name, so replacing an installed report writes the user's copy under that
// report's file name and the list shows the title once. One folder given as
// both is read once, as the user's.
struct HOST_EXPORT ReportFolders {
    QString installed;
    QString user;

    static ReportFolders Of(const HostConfig& config);

    // The definitions whose code is `code` in both folders, by title; files
    // that cannot be read are left out and listed in `problems` (a user's
    // folder not made yet holds nothing and is no problem).
    QList<ReportDefinition> Find(const QString& code, QStringList* problems = nullptr) const;
    // Where a copy that replaces the definition in `file` is written: the
    // file itself when it is the user's, else the user's folder under the
    // same name.
    QString ReplacementFor(const QString& file) const;
    // The user's folder, made when missing. Throws Exception naming the
    // folder and the reason when there is none or it cannot be made.
    QString MakeUserFolder() const;

private:
    bool SameAsUser(const QString& dir) const;
};
