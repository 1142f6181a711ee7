// The one place that names the database kinds built into the host.

#include "DatabaseKinds.h"
#include "PostgresKind.h"
#include "SqliteKind.h"

QList<const DatabaseKind*> DatabaseKinds::BuiltIn() {
    static const SqliteKind sqlite;
    static const PostgresKind postgres;
    return {&sqlite, &postgres};
}
