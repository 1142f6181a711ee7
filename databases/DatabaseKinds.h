#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include "DatabaseKind.h"
#include "HostConfig.h"
#include "HostExport.h"

// The kinds the host knows: SQLite and PostgreSQL, built in (BuiltInKinds.cpp),
// and those a test adds.
namespace DatabaseKinds {

// The kinds built into the host, in the order they are looked at; a new kind
// is added there.
QList<const DatabaseKind*> BuiltIn();

// All of them, in the order registered (the built-in ones first).
HOST_EXPORT QList<const DatabaseKind*> All();
// The kind named `name`; null when none is.
HOST_EXPORT const DatabaseKind* Named(const QString& name);
// The kind of HostConfig::databaseKind; throws Exception in Portuguese when
// there is none of that name or its Qt driver is not there.
HOST_EXPORT const DatabaseKind& Of(const HostConfig& config);
// The kind whose scheme `address` begins with ("postgresql://"), or else
// the first whose addresses are file paths.
HOST_EXPORT const DatabaseKind& ForAddress(const QString& address);
// The first kind that connects through `db`'s driver; null for none.
HOST_EXPORT const DatabaseKind* ForConnection(const QSqlDatabase& db);

// Adds `kind` after the others while it lives (tests); `kind` must outlive it.
class HOST_EXPORT Registration {
public:
    explicit Registration(const DatabaseKind& kind);
    ~Registration();
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;

private:
    const DatabaseKind& kind_;
};

}  // namespace DatabaseKinds
