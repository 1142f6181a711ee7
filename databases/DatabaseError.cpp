#include "DatabaseError.h"

#include <sqlite3.h>

#include <QRegularExpression>

namespace {

QString SqliteCause(int code) {
    switch (code) {
        case SQLITE_FULL:
            return QStringLiteral("o disco está cheio");
        case SQLITE_READONLY:
            return QStringLiteral("o banco de dados está somente para leitura");
        case SQLITE_CANTOPEN:
            return QStringLiteral("o arquivo não pôde ser aberto");
        case SQLITE_PERM:
            return QStringLiteral("permissão negada");
        case SQLITE_NOTADB:
            return QStringLiteral("o arquivo não é um banco de dados SQLite");
        case SQLITE_CORRUPT:
            return QStringLiteral("o banco de dados está corrompido");
        case SQLITE_IOERR:
            return QStringLiteral("erro de leitura ou gravação no disco");
        case SQLITE_NOMEM:
            return QStringLiteral("memória insuficiente");
        default:
            return {};
    }
}

QString DatabaseWords(const QSqlError& error) {
    const QString words = error.databaseText().trimmed();
    return words.isEmpty() ? error.driverText().trimmed() : words;
}

}  // namespace

QString ServerWords(const QSqlError& error) {
    static const QRegularExpression severity(
        QStringLiteral("^(connection to server .*? failed:\\s*)?((ERROR|FATAL|PANIC):\\s*)?"));
    static const QRegularExpression state(QStringLiteral("\\s*\\([0-9A-Z]{0,5}\\)$"));
    return error.databaseText().section(u'\n', 0, 0).trimmed().remove(severity).remove(state);
}

int SqliteCode(const QSqlError& error) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code & 0xFF : 0;
}

QString SqliteFailure(const QString& sentence, int code, const QString& words) {
    const QString cause = SqliteCause(code & 0xFF);
    if (cause.isEmpty()) return words.isEmpty() ? sentence : sentence + QStringLiteral(": ") + words;
    return words.isEmpty() ? QStringLiteral("%1: %2").arg(sentence, cause)
                           : QStringLiteral("%1: %2 (%3)").arg(sentence, cause, words);
}

// Codes of drivers other than SQLite's are not interpreted.
QString DatabaseFailure(const QString& sentence, const QSqlError& error, const QSqlDriver* driver) {
    if (driver && driver->dbmsType() == QSqlDriver::SQLite)
        return SqliteFailure(sentence, SqliteCode(error), DatabaseWords(error));
    const QString words = ServerWords(error);
    return words.isEmpty() ? sentence : sentence + QStringLiteral(": ") + words;
}
