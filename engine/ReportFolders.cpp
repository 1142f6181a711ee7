#include "ReportFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

#include "HostConfig.h"
#include "SysUtils.h"
#include "SystemError.h"

namespace {

bool Exists(const QString& dir) { return !dir.isEmpty() && QDir(dir).exists(); }

// Every definition file's name in `dir`, readable or not.
QSet<QString> FileNames(const QString& dir) {
    const QStringList names =
        QDir(dir).entryList({QStringLiteral("*.rpt")}, QDir::Files | QDir::System);
    return QSet<QString>(names.begin(), names.end());
}

}  // namespace

ReportFolders ReportFolders::Of(const HostConfig& config) {
    return {config.reportsDir, config.userReportsDir};
}

// Compared as the folders they are: a link or "a/../b" names the same one.
bool ReportFolders::SameAsUser(const QString& dir) const {
    const QString canonical = QFileInfo(dir).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(user).canonicalFilePath();
}

QList<ReportDefinition> ReportFolders::Find(const QString& code, QStringList* problems) const {
    QList<ReportDefinition> found;
    QSet<QString> hidden;
    if (Exists(user)) {
        found = FindReports(user, code, problems);
        hidden = FileNames(user);
    }
    if (Exists(installed) && !SameAsUser(installed))
        for (const ReportDefinition& report : FindReports(installed, code, problems))
            if (!hidden.contains(QFileInfo(report.file).fileName())) found << report;
    std::stable_sort(found.begin(), found.end(),
                     [](const ReportDefinition& a, const ReportDefinition& b) {
                         return a.title.compare(b.title, Qt::CaseInsensitive) < 0;
                     });
    return found;
}

QString ReportFolders::ReplacementFor(const QString& file) const {
    const QFileInfo info(file);
    if (SameAsUser(info.absolutePath())) return info.absoluteFilePath();
    return QDir(user).filePath(info.fileName());
}

QString ReportFolders::MakeUserFolder() const {
    if (user.isEmpty())
        throw Exception(QStringLiteral("A pasta de relatórios do usuário não foi configurada."));
    MakeFolder(user, QStringLiteral("de relatórios do usuário"));
    return user;
}
