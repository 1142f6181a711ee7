#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>
#include <QVariant>
#include <optional>
#include <vector>

#include "DatabaseScripts.h"
#include "DateUtils.h"
#include "HostConfig.h"
#include "ReportDatabase.h"
#include "ReportDesigner.h"
#include "ReportOutputChoice.h"
#include "ReportSpy.h"

// One row of the limpeza table.
struct CleanupRow {
    QString dataHora;
    QString sistema;
    QString tabela;
    int registros;
    QString usuario = QStringLiteral("ADMIN");
};

// A report database in a temporary folder, built by the test, reached through
// a connection of its own for setting up and cross-checking.
class TempReportDb {
public:
    explicit TempReportDb(const std::vector<CleanupRow>& rows = {})
        : path_(dir_.filePath(QStringLiteral("relatorios.db"))),
          connection_(QUuid::createUuid().toString()) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
        db.setDatabaseName(path_);
        EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
        CreateReportTables(db, QStringLiteral(REPORTS_DIR), false);
        Insert(rows);
    }
    ~TempReportDb() {
        QSqlDatabase::database(connection_, false).close();
        QSqlDatabase::removeDatabase(connection_);
    }

    const QString& Path() const { return path_; }
    QString Dir() const { return dir_.path(); }

    void Insert(const std::vector<CleanupRow>& rows) {
        QSqlQuery insert(QSqlDatabase::database(connection_));
        ASSERT_TRUE(
            insert.prepare("INSERT INTO limpeza (data_hora, sistema, tabela, registros, usuario) "
                           "VALUES (?, ?, ?, ?, ?)"));
        for (const CleanupRow& row : rows) {
            for (const QVariant& value :
                 {QVariant(row.dataHora), QVariant(row.sistema), QVariant(row.tabela),
                  QVariant(row.registros), QVariant(row.usuario)})
                insert.addBindValue(value);
            ASSERT_TRUE(insert.exec()) << insert.lastError().text().toStdString();
        }
    }

    // The first value of a query run on the test's own connection.
    QVariant Scalar(const QString& sql) const {
        QSqlQuery query(QSqlDatabase::database(connection_));
        EXPECT_TRUE(query.exec(sql) && query.next()) << query.lastError().text().toStdString();
        return query.value(0);
    }

private:
    QTemporaryDir dir_;
    QString path_;
    QString connection_;
};

// Points the host's configuration at a test database and an output folder,
// reports into PDF files there with no progress (as the host's scripted runs
// make them), and puts everything back afterwards.
class HostConfigGuard {
public:
    HostConfigGuard(const QString& databaseName, const QString& outputDir,
                    const QString& reportsDir = {})
        : saved_(HostConfig::Instance()) {
        HostConfig& config = HostConfig::Instance();
        config.databaseKind = QStringLiteral("sqlite");
        config.databaseName = databaseName;
        config.outputDir = outputDir;
        config.reportsDir = reportsDir;
        folder_.emplace(outputDir);
    }
    ~HostConfigGuard() { HostConfig::Instance() = saved_; }

    // People's outputs from here on: the preview, the print dialog, progress.
    void Interactive() { folder_.reset(); }

private:
    HostConfig saved_;
    std::optional<ReportsIntoFolder> folder_;
};

// What the last report action reported (and, for tests that set
// paramsReady, the parameters).
struct DoneSpy : ReportSpy {
    QStringList actions;
    QString title;
    int rows = -1;
    QString file;
    void Attach() {
        reportDone = [this](const QString& action, const QString& t, int r, const QString& f) {
            actions << action;
            title = t;
            rows = r;
            file = f;
        };
    }
};

// A handler that fills the four parameters as the cleanup report screen does.
inline TReportDesignerDialog::TBeforeGetQueryParams ScreenHandler(TDateTime first, TDateTime last,
                                                                  bool all, const QString& list) {
    return [=](TParams& params, bool&) {
        if (TParam* p = params.FindParam("P_DATAINI")) p->SetValue(VarFromDateTime(first));
        if (TParam* p = params.FindParam("P_DATAFIM")) p->SetValue(VarFromDateTime(last));
        if (TParam* p = params.FindParam("P_SISTEMA")) p->SetAsString(all ? QString() : list);
        if (TParam* p = params.FindParam("P_TSISTEMA")) p->SetValue(QString(all ? "T" : ""));
    };
}

inline QString ReportPath(const char* file) {
    return QDir(QStringLiteral(REPORTS_DIR)).filePath(file);
}
