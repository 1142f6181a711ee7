#include "DatabaseUrl.h"

#include <QDir>

#include "DatabaseKinds.h"

bool IsDatabaseUri(const QString& text) {
    return !DatabaseKinds::ForAddress(text).Schemes().isEmpty();
}

void ApplyDatabaseUrl(const QString& text, HostConfig& config) {
    const DatabaseKind& kind = DatabaseKinds::ForAddress(text);
    kind.ApplyAddress(text, config);
    config.databaseKind = kind.Name();
}

QString DatabaseDescription(const HostConfig& config) {
    const DatabaseKind* kind = DatabaseKinds::Named(config.databaseKind);
    return kind ? kind->Description(config) : QDir::toNativeSeparators(config.databaseName);
}

bool DatabaseIsFile(const HostConfig& config) {
    const DatabaseKind* kind = DatabaseKinds::Named(config.databaseKind);
    return kind && kind->IsFile();
}
