#include "DatabaseKinds.h"

#include <QSqlDatabase>
#include <algorithm>
#include <mutex>

#include "SysUtils.h"

namespace {

// The one table of kinds: the built-in ones, then those tests register.
// Worker threads look kinds up while a report runs.
struct Table {
    std::mutex mutex;
    QList<const DatabaseKind*> kinds;
};

Table& Kinds() {
    static Table table{{}, DatabaseKinds::BuiltIn()};
    return table;
}

}  // namespace

namespace DatabaseKinds {

QList<const DatabaseKind*> All() {
    Table& table = Kinds();
    const std::lock_guard<std::mutex> lock(table.mutex);
    return table.kinds;
}

const DatabaseKind* Named(const QString& name) {
    for (const DatabaseKind* kind : All())
        if (kind->Name() == name) return kind;
    return nullptr;
}

const DatabaseKind& Of(const HostConfig& config) {
    const DatabaseKind* kind = Named(config.databaseKind);
    if (!kind)
        throw Exception(QStringLiteral("O tipo de banco de dados '%1' não é conhecido.")
                            .arg(config.databaseKind));
    if (!QSqlDatabase::isDriverAvailable(kind->Driver()))
        throw Exception(QStringLiteral("O driver de banco de dados '%1' não está disponível.")
                            .arg(kind->Driver()));
    return *kind;
}

const DatabaseKind& ForAddress(const QString& address) {
    const QString trimmed = address.trimmed();
    const QList<const DatabaseKind*> kinds = All();
    for (const DatabaseKind* kind : kinds)
        for (const QString& scheme : kind->Schemes())
            if (trimmed.startsWith(scheme + QStringLiteral("://"), Qt::CaseInsensitive))
                return *kind;
    return **std::find_if(kinds.begin(), kinds.end(),
                          [](const DatabaseKind* kind) { return kind->Schemes().isEmpty(); });
}

const DatabaseKind* ForConnection(const QSqlDatabase& db) {
    const QString driver = db.driverName();
    for (const DatabaseKind* kind : All())
        if (kind->Driver() == driver) return kind;
    return nullptr;
}

Registration::Registration(const DatabaseKind& kind) : kind_(kind) {
    Table& table = Kinds();
    const std::lock_guard<std::mutex> lock(table.mutex);
    table.kinds.append(&kind);
}

Registration::~Registration() {
    Table& table = Kinds();
    const std::lock_guard<std::mutex> lock(table.mutex);
    table.kinds.removeOne(&kind_);
}

}  // namespace DatabaseKinds
