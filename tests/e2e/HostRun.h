#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <memory>

// One scripted run of the host application, as a user of its script mode
// runs it: the script goes in on standard input, events come back as JSON.
struct HostRun {
    int exitCode = -1;
    QList<QJsonObject> events;
    QString errors;

    QList<QJsonObject> Events(const QString& name) const;
    // The only event of that name; fails the test when there is not exactly one.
    QJsonObject Only(const QString& name) const;
};

// A folder with a database and an output folder for a series of runs. The
// runs name no database: they read the host's sample, made by the first run
// in the workspace's own data folder.
class HostWorkspace {
public:
    HostWorkspace();
    QString Database() const { return UserData() + "/sample.db"; }
    QString Output() const { return dir_.filePath("out"); }
    QString ReportsCopy() const { return dir_.filePath("reports"); }
    // The user's data folder ($XDG_DATA_HOME) of the runs.
    QString DataHome() const { return dir_.filePath("data"); }
    // The user's state folder ($XDG_STATE_HOME) of the runs.
    QString StateHome() const { return dir_.filePath("state"); }
    // Where the host looks for its configuration file by default.
    QString ConfigFile() const { return dir_.filePath("config/rclhost/rclhost.conf"); }
    // The user's data folder ($XDG_DATA_HOME/rclhost) and the reports saved there.
    QString UserData() const { return DataHome() + "/rclhost"; }
    QString UserReports() const { return UserData() + "/reports"; }

    // The environment of the runs: the user's folders above, the rest as the
    // tests' own.
    QProcessEnvironment Environment() const;

    HostRun Run(const QString& script, const QStringList& extraArguments = {}) const;
    // As Run, in two steps, for hosts running side by side.
    // `prepare` may redirect the process's channels before it starts.
    std::unique_ptr<QProcess> Start(const QString& script, const QStringList& extraArguments = {},
                                    const std::function<void(QProcess&)>& prepare = {}) const;
    static HostRun Finish(QProcess& process);

private:
    QTemporaryDir dir_;
};

// The text of a PDF file (pdftotext); empty when it cannot be read.
QString PdfText(const QString& file);
