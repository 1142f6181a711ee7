#include "HostRun.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonDocument>
#include <QProcess>

#include "ReportsFolder.h"

QList<QJsonObject> HostRun::Events(const QString& name) const {
    QList<QJsonObject> found;
    for (const QJsonObject& event : events)
        if (event["event"].toString() == name) found << event;
    return found;
}

QJsonObject HostRun::Only(const QString& name) const {
    const QList<QJsonObject> found = Events(name);
    EXPECT_EQ(found.size(), 1) << "events named " << name.toStdString();
    return found.isEmpty() ? QJsonObject() : found.constFirst();
}

HostWorkspace::HostWorkspace() { EXPECT_TRUE(CopyReportsFolder(REPORTS_DIR, ReportsCopy())); }

QProcessEnvironment HostWorkspace::Environment() const {
    // The host reads its configuration, its sample and keeps the user's files
    // here, never in the user's own folders.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", dir_.filePath("config"));
    environment.insert("XDG_DATA_HOME", DataHome());
    environment.insert("XDG_STATE_HOME", StateHome());
    return environment;
}

HostRun HostWorkspace::Run(const QString& script, const QStringList& extraArguments) const {
    std::unique_ptr<QProcess> process = Start(script, extraArguments);
    return Finish(*process);
}

std::unique_ptr<QProcess> HostWorkspace::Start(
    const QString& script, const QStringList& extraArguments,
    const std::function<void(QProcess&)>& prepare) const {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(Environment());
    QStringList arguments{"--out", Output(), "--reports", ReportsCopy(), "--script", "-"};
    if (prepare) prepare(*process);
    process->start(HOST_PATH, arguments + extraArguments);
    process->write(script.toUtf8());
    process->closeWriteChannel();
    return process;
}

HostRun HostWorkspace::Finish(QProcess& process) {
    HostRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "the host did not finish";
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.errors = QString::fromUtf8(process.readAllStandardError());
    for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
        if (line.trimmed().isEmpty()) continue;
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        EXPECT_TRUE(document.isObject()) << "not a JSON object: " << line.toStdString();
        run.events << document.object();
    }
    return run;
}

QString PdfText(const QString& file) {
    QProcess process;
    process.start("pdftotext", {"-layout", file, "-"});
    if (!process.waitForFinished(30000)) return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}
