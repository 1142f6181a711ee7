#include "DatabaseCommand.h"

#include <cstdio>

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

}  // namespace

// A new file only: one that exists, a database or not, is left as it was.
int CreateDatabaseCommand(const HostConfig& config, int sampleRows) {
    Application->SetModalHook([](QDialog&) { return 0; });  // nobody to ask for a password
    try {
        if (!CreateReportDatabase(config, sampleRows))
            return Fail(QStringLiteral("O arquivo %1 já existe; nada foi alterado.")
                            .arg(DatabaseDescription(config)));
    } catch (const EAbort&) {
        return Fail(QStringLiteral("O servidor pede uma senha: informe-a em PGPASSWORD ou no "
                                   "arquivo de senhas do PostgreSQL (~/.pgpass)."));
    } catch (const Exception& error) {
        return Fail(error.Message());
    }
    std::printf("%s\n", qPrintable(Done(config, sampleRows)));
    return 0;
}
