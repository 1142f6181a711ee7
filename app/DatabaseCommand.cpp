#include "DatabaseCommand.h"

#include <QSqlDatabase>
#include <cstdio>

#include "DatabaseScripts.h"
#include "DatabaseUrl.h"
#include "Forms.h"
#include "ReportDatabase.h"
#include "SysUtils.h"

namespace {

int Fail(const QString& message) {
    std::fprintf(stderr, "%s\n", qPrintable(message));
    return 1;
}

QString Done(const HostConfig& config, int sampleRows) {
    return QStringLiteral("Tabelas dos relatórios criadas em %1%2.")
        .arg(DatabaseDescription(config),
             sampleRows > 0 ? QStringLiteral(", com %1 limpezas de exemplo").arg(sampleRows) : QString());
}

// A new file only: one that exists, a database or not, is left as it was.
int CreateSqliteFile(const HostConfig& config, int sampleRows) {
    try {
        if (!CreateSqliteDatabase(config.databaseName, config.reportsDir, sampleRows > 0, sampleRows))
            return Fail(QStringLiteral("O arquivo %1 já existe; nada foi alterado.")
                            .arg(DatabaseDescription(config)));
    } catch (const Exception& error) {
        return Fail(error.Message());
    }
    std::printf("%s\n", qPrintable(Done(config, sampleRows)));
    return 0;
}

}  // namespace

int CreateDatabaseCommand(const HostConfig& config, int sampleRows) {
    if (config.databaseDriver == QLatin1String("QSQLITE")) return CreateSqliteFile(config, sampleRows);
    Application->SetModalHook([](QDialog&) { return 0; });  // nobody to ask for a password
    try {
        QSqlDatabase db = ReportDatabase(config);
        CreateReportTables(db, config.reportsDir, sampleRows > 0, sampleRows);
    } catch (const EAbort&) {
        return Fail(QStringLiteral("O servidor pede uma senha: informe-a em PGPASSWORD ou no "
                                   "arquivo de senhas do PostgreSQL (~/.pgpass)."));
    } catch (const Exception& error) {
        return Fail(error.Message());
    }
    std::printf("%s\n", qPrintable(Done(config, sampleRows)));
    return 0;
}
