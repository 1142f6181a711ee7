// The words of the definition reader's messages: where a fault is, and the
// names of the kinds of values.
#include "DefinitionError.h"

#include <QStringList>

#include "DefinitionTree.h"

namespace {

QString FormatMessage(const QString& source, int line, int column, const QString& path,
                      const QString& what) {
    QString where = source;
    if (line > 0) {
        if (!where.isEmpty()) where += u':';
        where += QString::number(line);
        if (column > 0) where += u':' + QString::number(column);
    }
    QStringList parts;
    if (!where.isEmpty()) parts << where;
    if (!path.isEmpty()) parts << path;
    parts << what;
    return parts.join(QStringLiteral(": "));
}

}  // namespace

EDefinitionError::EDefinitionError(QString source, int line, int column, QString path, QString what)
    : Exception(FormatMessage(source, line, column, path, what)),
      source_(std::move(source)),
      line_(line),
      column_(column),
      path_(std::move(path)),
      what_(std::move(what)) {}

QString DefinitionValue::KindName() const {
    switch (kind) {
        case Kind::Integer:
            return QStringLiteral("número inteiro");
        case Kind::Float:
            return QStringLiteral("número real");
        case Kind::String:
            return QStringLiteral("texto");
        case Kind::Identifier:
            return QStringLiteral("identificador");
        case Kind::Set:
            return QStringLiteral("conjunto");
        case Kind::List:
            return QStringLiteral("lista");
        case Kind::Collection:
            return QStringLiteral("coleção");
        case Kind::Binary:
            return QStringLiteral("dados binários");
    }
    return {};
}
