#include "ConfigFile.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <vector>

#include "BoundedFile.h"
#include "DatabaseUrl.h"
#include "HostConfig.h"
#include "SysUtils.h"

namespace {

constexpr qint64 kMaxConfigBytes = 64 * 1024;
// A day: more is surely a slip of the keyboard.
constexpr double kMaxQueryTimeLimitSeconds = 24 * 60 * 60;

QString Shown(const QString& path) { return QDir::toNativeSeparators(path); }

// Where a key was given, for its messages.
struct Place {
    QString path;
    int line = 0;
    QString key;  // "[reports] query_time_limit"
};

[[noreturn]] void Refuse(const Place& place, const QString& what) {
    throw Exception(QStringLiteral("O arquivo de configuração %1, linha %2: %3")
                        .arg(Shown(place.path))
                        .arg(place.line)
                        .arg(what));
}

[[noreturn]] void BadValue(const Place& place, const QString& value, const QString& expected) {
    Refuse(place, QStringLiteral("valor inválido em %1: '%2' (%3).").arg(place.key, value, expected));
}

void QueryTimeLimit(const QString& text, const Place& place, HostConfig& config) {
    const QString expected = QStringLiteral(
        "esperados os segundos que uma consulta pode durar, de 0 (sem limite) a 86400");
    bool ok = false;
    const double seconds = QLocale::c().toDouble(text, &ok);
    if (!ok || !(seconds >= 0 && seconds <= kMaxQueryTimeLimitSeconds)) BadValue(place, text, expected);
    const auto limit = std::chrono::milliseconds(std::llround(seconds * 1000));
    // A limit under a millisecond would round to 0, which means none at all.
    if (seconds > 0 && limit.count() == 0)
        BadValue(place, text, QStringLiteral("o menor limite é 0.001 segundo; 0 quer dizer sem limite"));
    config.queryTimeLimit = limit;
}

// The value is not repeated in the message: it may hold a password. A file
// path must be absolute: the host may be started from any folder.
void DatabaseAddress(const QString& text, const Place& place, HostConfig& config) {
    if (!text.isEmpty() && !IsDatabaseUri(text) && QDir::isRelativePath(text))
        Refuse(place, QStringLiteral("o caminho do banco de dados em %1 deve ser absoluto (começar "
                                     "por /): %2")
                          .arg(place.key, text));
    try {
        ApplyDatabaseUrl(text, config);
    } catch (const Exception& error) {
        Refuse(place, QStringLiteral("valor inválido em %1: %2").arg(place.key, error.Message()));
    }
    if (DatabaseIsFile(config) && config.databaseName.isEmpty())
        Refuse(place, QStringLiteral("%1 está vazio.").arg(place.key));
}

// Where the weeks of the period presets start.
void FirstDayOfWeek(const QString& text, const Place& place, HostConfig& config) {
    const QString day = text.toLower();
    if (day == QLatin1String("domingo"))
        config.firstDayOfWeek = Qt::Sunday;
    else if (day == QLatin1String("segunda"))
        config.firstDayOfWeek = Qt::Monday;
    else
        BadValue(place, text.left(40), QStringLiteral("esperado domingo ou segunda"));
}

// Whether the report screens open with the values of their last closing.
void RememberScreens(const QString& text, const Place& place, HostConfig& config) {
    const QString value = text.toLower();
    if (value != QLatin1String("true") && value != QLatin1String("false"))
        BadValue(place, text.left(40), QStringLiteral("esperado true ou false"));
    config.rememberScreens = value == QLatin1String("true");
}

using Apply = void (*)(const QString& value, const Place& place, HostConfig& config);

// Every key the file may hold: one line each.
struct Key {
    const char* section;
    const char* name;
    Apply apply;
};
const Key kKeys[] = {
    {"reports", "query_time_limit", QueryTimeLimit},
    {"database", "url", DatabaseAddress},
    {"dates", "first_day_of_week", FirstDayOfWeek},
    {"screens", "remember", RememberScreens},
};

QStringList Sections() {
    QStringList sections;
    for (const Key& key : kKeys)
        if (!sections.contains(QLatin1String(key.section))) sections << QLatin1String(key.section);
    return sections;
}

QStringList KeysOf(const QString& section) {
    QStringList names;
    for (const Key& key : kKeys)
        if (section == QLatin1String(key.section)) names << QLatin1String(key.name);
    return names;
}

const Key* Find(const QString& section, const QString& name) {
    for (const Key& key : kKeys)
        if (section == QLatin1String(key.section) && name == QLatin1String(key.name)) return &key;
    return nullptr;
}

// Edits (insert, delete, change, swap two neighbours) from `a` to `b`,
// ignoring case: "ulr" is one from "url", "Database" none from "database".
qsizetype Distance(const QString& a, const QString& b) {
    const QString x = a.toLower(), y = b.toLower();
    std::vector<std::vector<qsizetype>> d(x.size() + 1, std::vector<qsizetype>(y.size() + 1));
    for (qsizetype i = 0; i <= x.size(); ++i) d[i][0] = i;
    for (qsizetype j = 0; j <= y.size(); ++j) d[0][j] = j;
    for (qsizetype i = 1; i <= x.size(); ++i)
        for (qsizetype j = 1; j <= y.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (x[i - 1] == y[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && x[i - 1] == y[j - 2] && x[i - 2] == y[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[x.size()][y.size()];
}

QString Nearest(const QString& wrong, const QStringList& known) {
    return *std::min_element(known.begin(), known.end(), [&](const QString& a, const QString& b) {
        return Distance(wrong, a) < Distance(wrong, b);
    });
}

// Names are compared as written; a name longer than any key is cut in the
// message (the line may be anything).
QString Cut(const QString& text) { return text.size() > 60 ? text.left(60) + QStringLiteral("…") : text; }

// The text of a line without its comment: ';' or '#' starting the line, or
// ';' after a blank (a value may hold ';' inside, as in a URI).
QString WithoutComment(const QString& line) {
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(u';') || trimmed.startsWith(u'#')) return {};
    for (qsizetype i = 1; i < trimmed.size(); ++i)
        if (trimmed[i] == u';' && trimmed[i - 1].isSpace()) return trimmed.left(i).trimmed();
    return trimmed;
}

class Reader {
public:
    Reader(const QString& path, HostConfig& config) : path_(path), config_(config) {}

    void Line(int number, const QString& raw) {
        const QString text = WithoutComment(raw);
        if (text.isEmpty()) return;
        const Place where{path_, number, {}};
        if (text.startsWith(u'[')) return Section(where, text);
        const qsizetype equals = text.indexOf(u'=');
        if (equals <= 0)
            Refuse(where, QStringLiteral("esperado 'chave = valor' ou '[seção]': %1").arg(Cut(text)));
        KeyValue(where, text.left(equals).trimmed(), text.mid(equals + 1).trimmed());
    }

private:
    void Section(const Place& where, const QString& text) {
        if (!text.endsWith(u']')) Refuse(where, QStringLiteral("seção sem ']': %1").arg(Cut(text)));
        const QString name = text.mid(1, text.size() - 2).trimmed();
        const QStringList known = Sections();
        if (!known.contains(name))
            Refuse(where, QStringLiteral("seção desconhecida [%1]; você quis dizer [%2]?")
                              .arg(Cut(name), Nearest(name, known)));
        section_ = name;
    }

    void KeyValue(Place where, const QString& name, const QString& value) {
        if (section_.isEmpty())
            Refuse(where, QStringLiteral("a chave %1 está fora de uma seção ([%2]).")
                              .arg(Cut(name), Sections().join(QStringLiteral("], ["))));
        const Key* key = Find(section_, name);
        if (!key)
            Refuse(where, QStringLiteral("chave desconhecida %1 em [%2]; você quis dizer %3?")
                              .arg(Cut(name), section_, Nearest(name, KeysOf(section_))));
        where.key = QStringLiteral("[%1] %2").arg(section_, name);
        const auto [given, isNew] = lines_.emplace(where.key, where.line);
        if (!isNew)
            Refuse(where, QStringLiteral("%1 repetida (já dada na linha %2).").arg(where.key).arg(given->second));
        key->apply(value, where, config_);
    }

    QString path_;
    HostConfig& config_;
    QString section_;
    std::map<QString, int> lines_;  // each key given, at its line
};

}  // namespace

QString DefaultConfigFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/rclhost/rclhost.conf");
}

void ReadConfigFile(const QString& path, bool required, HostConfig& config) {
    if (!required && !QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) return;
    QByteArray bytes;
    try {
        bytes = ReadRegularFile(path, kMaxConfigBytes);
    } catch (const EFileRead& error) {
        throw Exception(QStringLiteral("Não foi possível ler o arquivo de configuração %1: %2.")
                            .arg(Shown(path), error.Reason()));
    }
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    HostConfig read = config;
    Reader reader(path, read);
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i)
        reader.Line(static_cast<int>(i + 1), QString::fromUtf8(lines[i]));
    config = read;
}
