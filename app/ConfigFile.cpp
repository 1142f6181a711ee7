#include "ConfigFile.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <chrono>
#include <cmath>

#include "BoundedFile.h"
#include "DatabaseUrl.h"
#include "HostConfig.h"
#include "SysUtils.h"

namespace {

constexpr qint64 kMaxConfigBytes = 64 * 1024;
// A day: more is surely a slip of the keyboard.
constexpr double kMaxQueryTimeLimitSeconds = 24 * 60 * 60;

QString Shown(const QString& path) { return QDir::toNativeSeparators(path); }

[[noreturn]] void BadValue(const QString& path, const QString& key, const QString& value,
                           const QString& expected) {
    throw Exception(QStringLiteral("O arquivo de configuração %1 tem um valor inválido em %2: "
                                   "'%3' (%4).")
                        .arg(Shown(path), key, value, expected));
}

std::chrono::milliseconds QueryTimeLimit(const QSettings& settings, const QString& path,
                                         std::chrono::milliseconds current) {
    const QString key = QStringLiteral("reports/query_time_limit");
    if (!settings.contains(key)) return current;
    // QSettings reads "1,5" as a list of two texts.
    const QVariant raw = settings.value(key);
    const QString text =
        (raw.typeId() == QMetaType::QStringList ? raw.toStringList().join(u',') : raw.toString())
            .trimmed();
    bool ok = false;
    const double seconds = QLocale::c().toDouble(text, &ok);
    if (!ok || !(seconds >= 0 && seconds <= kMaxQueryTimeLimitSeconds))
        BadValue(path, QStringLiteral("[reports] query_time_limit"), text,
                 QStringLiteral("esperados os segundos que uma consulta pode durar, de 0 (sem "
                                "limite) a 86400"));
    return std::chrono::milliseconds(std::llround(seconds * 1000));
}

// Where the reports read, when the file says (DatabaseUrl.h). The value is
// not repeated in the message: it may hold a password.
void DatabaseAddress(const QSettings& settings, const QString& path, HostConfig& config) {
    const QString key = QStringLiteral("database/url");
    if (!settings.contains(key)) return;
    const QVariant raw = settings.value(key);
    const QString text =
        (raw.typeId() == QMetaType::QStringList ? raw.toStringList().join(u',') : raw.toString())
            .trimmed();
    try {
        ApplyDatabaseUrl(text, config);
    } catch (const Exception& error) {
        throw Exception(QStringLiteral("O arquivo de configuração %1 tem um valor inválido em "
                                       "[database] url: %2")
                            .arg(Shown(path), error.Message()));
    }
}

// Where the weeks of the period presets start.
Qt::DayOfWeek FirstDayOfWeek(const QSettings& settings, const QString& path, Qt::DayOfWeek current) {
    const QString key = QStringLiteral("dates/first_day_of_week");
    if (!settings.contains(key)) return current;
    const QString text = settings.value(key).toString().trimmed().toLower();
    if (text == QLatin1String("domingo")) return Qt::Sunday;
    if (text == QLatin1String("segunda")) return Qt::Monday;
    BadValue(path, QStringLiteral("[dates] first_day_of_week"), text.left(40),
             QStringLiteral("esperado domingo ou segunda"));
}

}  // namespace

QString DefaultConfigFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/rclhost/rclhost.conf");
}

void ReadConfigFile(const QString& path, bool required, HostConfig& config) {
    if (!required && !QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) return;
    try {
        ReadRegularFile(path, kMaxConfigBytes);
    } catch (const EFileRead& error) {
        throw Exception(QStringLiteral("Não foi possível ler o arquivo de configuração %1: %2.")
                            .arg(Shown(path), error.Reason()));
    }
    const QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        throw Exception(QStringLiteral("O arquivo de configuração %1 não está no formato INI.")
                            .arg(Shown(path)));
    HostConfig read = config;
    read.queryTimeLimit = QueryTimeLimit(settings, path, config.queryTimeLimit);
    DatabaseAddress(settings, path, read);
    read.firstDayOfWeek = FirstDayOfWeek(settings, path, config.firstDayOfWeek);
    config = read;
}
