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

}  // namespace

int CreateDatabaseCommand(const HostConfig& config, int sampleRows) {
    if (config.databaseDriver != QLatin1String("QPSQL"))
        return Fail(QStringLiteral("--create-db cria as tabelas num servidor PostgreSQL (--db "
                                   "postgresql://...); um arquivo SQLite é criado sozinho na "
                                   "primeira vez que é usado."));
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
    std::printf("%s\n", qPrintable(QStringLiteral("Tabelas dos relatórios criadas em %1%2.")
                                       .arg(DatabaseDescription(config),
                                            sampleRows > 0 ? QStringLiteral(", com %1 limpezas de exemplo").arg(sampleRows)
                                                           : QString())));
    return 0;
}
