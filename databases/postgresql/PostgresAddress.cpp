#include "PostgresAddress.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>
#include <algorithm>

#include "SysUtils.h"

namespace {

// The parts of a PostgreSQL URI, decoded.
struct ServerAddress {
    QString host;
    int port = -1;
    QString user;
    QString database;
    QStringList options;  // "name=value", for libpq
};

[[noreturn]] void Unusable(const QString& why) {
    throw Exception(
        QStringLiteral("O endereço do banco de dados de relatórios não pode ser usado: %1.")
            .arg(why));
}

QString Decoded(const QString& part) { return QUrl::fromPercentEncoding(part.toUtf8()); }

int PortOf(const QString& text) {
    bool ok = false;
    const int port = text.toInt(&ok);
    if (!ok || port < 1 || port > 65535)
        Unusable(QStringLiteral("a porta '%1' não é válida").arg(text));
    return port;
}

// user@host:port, with [::1] for IPv6 hosts.
void ReadAuthority(const QString& authority, ServerAddress& address) {
    QString hostPort = authority;
    const qsizetype at = authority.lastIndexOf(u'@');
    if (at >= 0) {
        const QString user = authority.left(at);
        if (user.contains(u':'))
            Unusable(
                QStringLiteral("a senha não vai no endereço; use PGPASSWORD, o arquivo de senhas "
                               "do PostgreSQL (~/.pgpass) ou a pergunta do programa"));
        address.user = Decoded(user);
        hostPort = authority.mid(at + 1);
    }
    if (hostPort.contains(u','))
        Unusable(QStringLiteral("mais de um servidor no mesmo endereço não é aceito"));
    static const QRegularExpression form(QStringLiteral("^(\\[[^\\]]*\\]|[^:]*)(?::([^:]*))?$"));
    const QRegularExpressionMatch match = form.match(hostPort);
    if (!match.hasMatch()) Unusable(QStringLiteral("o servidor '%1' não é válido").arg(hostPort));
    address.host = Decoded(match.captured(1)).remove(u'[').remove(u']');
    if (match.hasCaptured(2) && !match.captured(2).isEmpty())
        address.port = PortOf(match.captured(2));
}

// A value that libpq reads whole from "name=value" (Qt's driver joins the
// options with spaces and quotes nothing).
void CheckOptionValue(const QString& name, const QString& value) {
    static const QRegularExpression plain(QStringLiteral("^[^\\s'\"\\\\;]*$"));
    if (!plain.match(value).hasMatch())
        Unusable(QStringLiteral("o valor do parâmetro '%1' tem espaços, aspas ou ';'").arg(name));
}

void ReadParameter(const QString& pair, ServerAddress& address) {
    const qsizetype equals = pair.indexOf(u'=');
    const QString name = Decoded(pair.left(equals)).trimmed();
    const QString value = equals < 0 ? QString() : Decoded(pair.mid(equals + 1));
    static const QRegularExpression word(QStringLiteral("^[a-z_]+$"));
    if (!word.match(name).hasMatch())
        Unusable(QStringLiteral("o parâmetro '%1' não é válido").arg(name));
    if (name == QLatin1String("password"))
        Unusable(
            QStringLiteral("a senha não vai no endereço; use PGPASSWORD, o arquivo de senhas "
                           "do PostgreSQL (~/.pgpass) ou a pergunta do programa"));
    if (name == QLatin1String("host")) return void(address.host = value);
    if (name == QLatin1String("port")) return void(address.port = PortOf(value));
    if (name == QLatin1String("user")) return void(address.user = value);
    if (name == QLatin1String("dbname")) return void(address.database = value);
    CheckOptionValue(name, value);
    address.options << name + u'=' + value;
}

ServerAddress ReadUri(const QString& text) {
    QString rest = text.trimmed();
    for (const QString& scheme : kPostgresSchemes) {
        const QString prefix = scheme + QStringLiteral("://");
        if (rest.startsWith(prefix, Qt::CaseInsensitive)) rest = rest.mid(prefix.size());
    }
    ServerAddress address;
    const qsizetype question = rest.indexOf(u'?');
    const QString query = question < 0 ? QString() : rest.mid(question + 1);
    rest = rest.left(question < 0 ? rest.size() : question);
    const qsizetype slash = rest.indexOf(u'/');
    ReadAuthority(rest.left(slash < 0 ? rest.size() : slash), address);
    if (slash >= 0) address.database = Decoded(rest.mid(slash + 1));
    for (const QString& pair : query.split(u'&', Qt::SkipEmptyParts)) ReadParameter(pair, address);
    if (!std::any_of(
            address.options.begin(), address.options.end(),
            [](const QString& o) { return o.startsWith(QLatin1String("connect_timeout=")); }) &&
        qEnvironmentVariableIsEmpty("PGCONNECT_TIMEOUT"))
        address.options << QStringLiteral("connect_timeout=10");
    return address;
}

}  // namespace

void ApplyPostgresAddress(const QString& text, HostConfig& config) {
    const ServerAddress address = ReadUri(text);
    config.databaseName = address.database;
    config.databaseHost = address.host;
    config.databasePort = address.port;
    config.databaseUser = address.user;
    config.databaseOptions = address.options.join(u';');
    config.databasePassword.clear();
}

QString PostgresDescription(const HostConfig& config) {
    QString text = QStringLiteral("postgresql://");
    if (!config.databaseUser.isEmpty()) text += config.databaseUser + u'@';
    text += config.databaseHost;
    if (config.databasePort > 0) text += u':' + QString::number(config.databasePort);
    return text + u'/' + config.databaseName;
}
