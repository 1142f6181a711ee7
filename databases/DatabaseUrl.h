#pragma once

#include <QString>

#include "HostConfig.h"
#include "HostExport.h"

// Where the report database is, as a person writes it (the --db option, the
// configuration file): an address whose scheme names its kind
// (DatabaseKinds::ForAddress), or else the path of a file. Today either the
// path of a SQLite file, or a PostgreSQL URI
//
//   postgresql://[user@][host][:port][/database][?name=value&...]
//
// (also postgres://) with its parts percent-encoded as usual: a socket folder
// as host is "%2Fvar%2Frun%2Fpostgresql". Query parameters go to libpq as
// they are (sslmode, sslrootcert, connect_timeout, application_name...);
// host, port, user and dbname may be given there too. Without
// connect_timeout the host waits 10 seconds for a server, not for ever.
//
// A password never goes in: a URI that holds one (user:secret@, password=)
// is refused. The password comes from libpq's environment (PGPASSWORD), its
// password file (~/.pgpass, PGPASSFILE) or the host's prompt.

// Sets the database fields of `config`, its kind first, from `text` (the
// password is cleared). Throws Exception, in Portuguese and without repeating the text
// (it may hold a password), for a URI that cannot be used; `config` is then
// unchanged.
HOST_EXPORT void ApplyDatabaseUrl(const QString& text, HostConfig& config);

// The configured database as a person reads it in messages and events,
// never with a password: the SQLite file's path, or
// "postgresql://user@host:port/database".
HOST_EXPORT QString DatabaseDescription(const HostConfig& config);

// Whether the configured database is a file (its kind's DatabaseKind::IsFile):
// then the host may make its sample there, and a configured one must exist.
HOST_EXPORT bool DatabaseIsFile(const HostConfig& config);

// Whether `text` is a URI of a kind's (PostgreSQL's) rather than a file path.
HOST_EXPORT bool IsDatabaseUri(const QString& text);
