#include "RememberedValues.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <cerrno>
#include <cstdio>

#include "BoundedFile.h"
#include "PeriodPresets.h"
#include "SafeFile.h"
#include "SystemError.h"

namespace {

// A few hundred bytes are written; a list at its limit takes some 16 KiB.
constexpr qint64 kMaxFileBytes = qint64{64} * 1024;

QString Shown(const QString& path) { return QDir::toNativeSeparators(path); }

// Names from the file are cut in messages: the file may hold anything.
QString Cut(const QString& text) {
    return text.size() > 60 ? text.left(60) + QStringLiteral("…") : text;
}

QString Number(qsizetype n) { return QLocale(QLocale::Portuguese, QLocale::Brazil).toString(n); }

QString TextOf(const QJsonObject& object, const char* key) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined()) return {};
    if (!value.isString())
        throw Exception(QStringLiteral("o valor de \"%1\" não é um texto").arg(QLatin1String(key)));
    return value.toString();
}

QDate DateOf(const QJsonObject& object, const char* key) {
    const QString text = TextOf(object, key);
    if (text.isEmpty()) return {};
    static const QRegularExpression written(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (!written.match(text).hasMatch() || !date.isValid())
        throw Exception(
            QStringLiteral("a data \"%1\" (%2) não é um dia dos anos 1 a 9999 escrito AAAA-MM-DD")
                .arg(QLatin1String(key), Cut(text)));
    return date;
}

void CheckPeriod(const RememberedValues& values) {
    if (!values.preset.isEmpty() && PeriodPresetIndex(values.preset) < 0)
        throw Exception(QStringLiteral("o período %1 não existe").arg(Cut(values.preset)));
    if (values.first.isValid() != values.last.isValid())
        throw Exception(QStringLiteral("o período tem só uma das datas"));
    if (values.first > values.last)
        throw Exception(QStringLiteral("o período termina antes de começar"));
}

}  // namespace

QString RememberedValuesFile(const QString& folder, const QString& screenCode) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_-]{1,64}$"));
    if (folder.isEmpty() || !plain.match(screenCode).hasMatch()) return {};
    return QDir(folder).filePath(screenCode + QStringLiteral(".json"));
}

RememberedValues ReadRememberedValues(const QString& file) {
    QByteArray bytes;
    try {
        bytes = ReadRegularFile(file, kMaxFileBytes);
    } catch (const EFileRead& error) {
        throw Exception(
            QStringLiteral("o arquivo %1 não pôde ser lido (%2)").arg(Shown(file), error.Reason()));
    }
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parse);
    if (parse.error != QJsonParseError::NoError || !document.isObject())
        throw Exception(
            QStringLiteral("o arquivo %1 não é um objeto JSON válido").arg(Shown(file)));
    const QJsonObject object = document.object();
    RememberedValues values;
    values.report = TextOf(object, "relatorio");
    values.preset = TextOf(object, "periodo");
    values.first = DateOf(object, "inicio");
    values.last = DateOf(object, "fim");
    values.option = TextOf(object, "opcao");
    values.list = TextOf(object, "lista");
    if (values.report.contains(u'/') || values.report.size() > 255)
        throw Exception(
            QStringLiteral("o relatório %1 não é o nome de um arquivo").arg(Cut(values.report)));
    if (values.list.size() > kMaxRememberedList)
        throw Exception(QStringLiteral("a lista tem %1 caracteres, mais que o limite de %2")
                            .arg(Number(values.list.size()), Number(kMaxRememberedList)));
    CheckPeriod(values);
    return values;
}

void WriteRememberedValues(const QString& file, const RememberedValues& values) {
    QJsonObject object;
    if (!values.report.isEmpty()) object["relatorio"] = values.report;
    if (!values.preset.isEmpty()) object["periodo"] = values.preset;
    if (values.first.isValid()) object["inicio"] = values.first.toString(Qt::ISODate);
    if (values.last.isValid()) object["fim"] = values.last.toString(Qt::ISODate);
    if (!values.option.isEmpty()) object["opcao"] = values.option;
    if (!values.list.isEmpty()) object["lista"] = values.list;
    const QString folder = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(folder))
        throw Exception(QStringLiteral("Não foi possível criar a pasta %1.").arg(Shown(folder)));
    SafeFile out(file);
    out.Device().write(QJsonDocument(object).toJson(QJsonDocument::Indented));
    out.Commit();
}

void ForgetRememberedValues(const QString& file) {
    const QFileInfo info(file);
    if (!info.isSymLink() && (!info.exists() || info.isDir())) return;
    if (std::remove(QFile::encodeName(file).constData()) == 0) return;
    const int error = errno;
    if (error == ENOENT) return;
    throw Exception(
        QStringLiteral("Não foi possível apagar %1: %2.").arg(Shown(file), SystemReason(error)));
}
