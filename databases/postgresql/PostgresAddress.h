#pragma once

#include <QString>
#include <QStringList>

#include "HostConfig.h"

// A PostgreSQL server's address, as a person writes it (DatabaseUrl.h):
//
//   postgresql://[user@][host][:port][/database][?name=value&...]
//
// (also postgres://) with its parts percent-encoded as usual: a socket folder
// as host is "%2Fvar%2Frun%2Fpostgresql". Query parameters go to libpq as
// they are (sslmode, sslrootcert, connect_timeout, application_name...);
// host, port, user and dbname may be given there too. Without
// connect_timeout the host waits 10 seconds for a server, not for ever.
// A password never goes in: a URI that holds one (user:secret@, password=)
// is refused.

inline const QStringList kPostgresSchemes = {QStringLiteral("postgresql"),
                                             QStringLiteral("postgres")};

// Sets the server fields of `config` from the URI `text` (the password is
// cleared). Throws Exception, in Portuguese and without repeating the text,
// for a URI that cannot be used; `config` is then unchanged.
void ApplyPostgresAddress(const QString& text, HostConfig& config);

// "postgresql://user@host:port/database", never with a password.
QString PostgresDescription(const HostConfig& config);
