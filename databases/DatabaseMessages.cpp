#include "DatabaseMessages.h"

#include <QDir>
#include <QHash>
#include <QRegularExpression>

#include "DatabaseError.h"
#include "DatabaseKinds.h"
#include "DatabasePassword.h"
#include "DatabaseUrl.h"
#include "QueryGuard.h"
#include "SysUtils.h"

namespace {

// libpq and the server speak in the client's and server's language; these are
// their English words (the test servers' and most servers'), and a message in
// another language still reaches the person through the generic text.
bool Says(const QSqlError& error, const char* words) {
    return error.databaseText().contains(QLatin1String(words), Qt::CaseInsensitive) ||
           error.driverText().contains(QLatin1String(words), Qt::CaseInsensitive);
}

QString ServerName(const HostConfig& config) {
    QString host = config.databaseHost.isEmpty() ? QStringLiteral("local") : config.databaseHost;
    if (config.databasePort > 0) host += u':' + QString::number(config.databasePort);
    return host;
}

QString UserName(const HostConfig& config) {
    return config.databaseUser.isEmpty() ? QStringLiteral("do sistema") : config.databaseUser;
}

// A Portuguese sentence (without its full stop) and the server's words after
// it, in parentheses.
QString WithWords(const QString& sentence, const QSqlError& error) {
    const QString words = ServerWords(error);
    return words.isEmpty() ? sentence + u'.' : QStringLiteral("%1 (%2).").arg(sentence, words);
}

// The password file libpq says it took a refused password from.
QString PasswordFileOf(const QSqlError& error) {
    static const QRegularExpression file(QStringLiteral("password retrieved from file \"([^\"]+)\""));
    const QRegularExpressionMatch match = file.match(error.databaseText());
    return match.hasMatch() ? match.captured(1) : QString();
}

QString PasswordRefusedMessage(const HostConfig& config, const QSqlError& error) {
    const QString server = ServerName(config);
    if (const QString file = PasswordFileOf(error); !file.isEmpty())
        return WithWords(QStringLiteral("O servidor de banco de dados %1 recusou a senha do usuário %2 "
                                        "guardada no arquivo de senhas %3: corrija-a nesse arquivo")
                             .arg(server, UserName(config), file),
                         error);
    return WithWords(QStringLiteral("O servidor de banco de dados %1 recusou a senha do usuário %2")
                         .arg(server, UserName(config)),
                     error);
}

QString PasswordWantedMessage(const HostConfig& config) {
    const QString server = ServerName(config);
    if (const QString ignored = IgnoredPasswordFile(); !ignored.isEmpty())
        return QStringLiteral("O servidor de banco de dados %1 pede a senha do usuário %2. %3")
            .arg(server, UserName(config), ignored);
    return QStringLiteral(
               "O servidor de banco de dados %1 pede a senha do usuário %2: informe-a "
               "quando o programa perguntar, em PGPASSWORD ou no arquivo de senhas "
               "do PostgreSQL (~/.pgpass).")
        .arg(server, UserName(config));
}

// "permission denied for table limpeza": what was refused, as a person says it.
QString DeniedObject(const QSqlError& error) {
    static const QRegularExpression denied(
        QStringLiteral("permission denied for (table|view|sequence|schema|function|relation) (\\S+)"));
    const QRegularExpressionMatch match = denied.match(error.databaseText());
    if (!match.hasMatch()) return QStringLiteral("os dados que a consulta usa");
    static const QHash<QString, QString> kinds = {
        {"table", "a tabela"}, {"relation", "a tabela"}, {"view", "a visão"},
        {"sequence", "a sequência"}, {"schema", "o esquema"}, {"function", "a função"}};
    return kinds.value(match.captured(1)) + u' ' + match.captured(2);
}

QString ConnectedUser(const QSqlDatabase& db) {
    if (!db.userName().isEmpty()) return db.userName();
    const QString user = qEnvironmentVariable("PGUSER");
    return user.isEmpty() ? qEnvironmentVariable("USER") : user;
}

QString QuotedName(const QSqlError& error) {
    static const QRegularExpression quoted(QStringLiteral("\"([^\"]+)\""));
    static const QRegularExpression sqlite(QStringLiteral("no such table: (\\S+)"));
    QRegularExpressionMatch match = quoted.match(error.databaseText());
    if (!match.hasMatch()) match = sqlite.match(error.databaseText());
    return match.hasMatch() ? match.captured(1) : QString();
}

bool ConnectionLost(const QSqlDatabase& db, const QSqlError& error) {
    const QString state = error.nativeErrorCode();
    const DatabaseKind* kind = DatabaseKinds::ForConnection(db);
    return (kind && kind->ConnectionLost(db, error)) || state.startsWith("08") ||
           state == QLatin1String("57P01") || state == QLatin1String("57P02") ||
           state == QLatin1String("57P03") || Says(error, "server closed the connection") ||
           Says(error, "no connection to the server") || Says(error, "terminating connection");
}

}  // namespace

bool ServerRefusedPassword(const QSqlError& error) {
    return Says(error, "password authentication failed");
}

bool ServerWantsPassword(const QSqlError& error) {
    return Says(error, "no password supplied") || Says(error, "password is required");
}

QString ServerConnectionFailure(const HostConfig& config, const QSqlError& error) {
    const QString server = ServerName(config);
    if (ServerRefusedPassword(error)) return PasswordRefusedMessage(config, error);
    if (ServerWantsPassword(error)) return PasswordWantedMessage(config);
    static const QRegularExpression option(QStringLiteral("invalid connection option \"([^\"]*)\""));
    if (const QRegularExpressionMatch match = option.match(error.databaseText()); match.hasMatch())
        return WithWords(QStringLiteral("O endereço do banco de dados de relatórios tem o parâmetro "
                                        "'%1', que o PostgreSQL não conhece: confira como ele se "
                                        "escreve (sslmode, connect_timeout...)")
                             .arg(match.captured(1)),
                         error);
    if (Says(error, "database \"") && Says(error, "does not exist"))
        return QStringLiteral("O banco de dados %1 não existe no servidor %2.")
            .arg(config.databaseName, server);
    if (Says(error, "role \"") && Says(error, "does not exist"))
        return QStringLiteral("O servidor de banco de dados %1 não conhece o usuário %2.")
            .arg(server, UserName(config));
    if (Says(error, "could not translate host name"))
        return QStringLiteral(
                   "O servidor de banco de dados %1 não foi encontrado: confira o nome "
                   "do servidor no endereço do banco de dados.")
            .arg(server);
    if (Says(error, "SSL"))
        return QStringLiteral(
                   "A conexão segura (SSL) com o servidor de banco de dados %1 não foi "
                   "possível: %2")
            .arg(server, ServerWords(error));
    if (Says(error, "Connection refused") || Says(error, "could not connect") ||
        Says(error, "timeout expired") || Says(error, "No such file or directory") ||
        Says(error, "the database system is"))
        return QStringLiteral(
                   "O servidor de banco de dados %1 não responde: ele pode estar "
                   "desligado, ou o endereço ou a porta estão errados.")
            .arg(server);
    return QStringLiteral("Não foi possível conectar ao banco de dados de relatórios %1: %2")
        .arg(DatabaseDescription(config), ServerWords(error));
}

void ThrowKnownQueryFailure(const QSqlDatabase& db, const QSqlError& error, const QString& source,
                            std::chrono::milliseconds limit) {
    const QString state = error.nativeErrorCode();
    if (state == QLatin1String("57014")) {
        if (Says(error, "user request")) Abort();
        throw Exception(QueryTimeLimitMessage(source, limit));
    }
    if (ConnectionLost(db, error))
        throw Exception(QStringLiteral("A conexão com o servidor de banco de dados %1 caiu durante "
                                       "o relatório; nada foi gerado. Tente de novo.")
                            .arg(db.hostName()));
    if (state == QLatin1String("42501"))
        throw Exception(WithWords(QStringLiteral("O usuário %1 não tem permissão para ler %2 no banco "
                                                 "de dados de relatórios %3")
                                      .arg(ConnectedUser(db), DeniedObject(error), db.databaseName()),
                                  error));
    if (state == QLatin1String("25006"))
        throw Exception(QueryRefusedMessage(source, QStringLiteral("alterar os dados")));
    if (state == QLatin1String("42P01") || Says(error, "no such table"))
        throw Exception(MissingTableMessage(QuotedName(error), db.databaseName()));
}

QString MissingTableMessage(const QString& table, const QString& database) {
    return QStringLiteral("A consulta do relatório usa a tabela %1, que não existe no banco de dados "
                          "de relatórios %2.")
        .arg(table, database);
}

QString DatabaseLockedMessage(const QString& path) {
    return QStringLiteral("O banco de dados de relatórios %1 está bloqueado por outro programa. "
                          "Tente de novo em instantes.")
        .arg(QDir::toNativeSeparators(path));
}
