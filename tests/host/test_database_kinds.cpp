// The database-kind seam, proved by a kind the host does not know: a SQLite
// file reached through an address of its own, that counts what the host asks
// of it.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <atomic>
#include <optional>

#include "DatabaseKinds.h"
#include "DatabaseUrl.h"
#include "DefinitionError.h"
#include "ReportDefinition.h"
#include "ReportTestSupport.h"
#include "SqliteKind.h"
#include "SysUtils.h"

namespace {

using namespace std::chrono_literals;

const QString kScheme = QStringLiteral("contagem");

// Only SQLite underneath: what differs is its name, its address, its driver
// when a case wants one that is not installed, and the counting.
class CountingKind : public SqliteKind {
public:
    explicit CountingKind(QString driver = QStringLiteral("QSQLITE"))
        : driver_(std::move(driver)) {}

    QString Name() const override { return kScheme; }
    QString Title() const override { return QStringLiteral("Contagem"); }
    QString Driver() const override { return driver_; }
    QStringList Schemes() const override { return {kScheme}; }
    void ApplyAddress(const QString& address, HostConfig& config) const override {
        SqliteKind::ApplyAddress(address.mid(kScheme.size() + 3), config);
    }
    bool BeginSnapshot(QSqlDatabase& db, std::chrono::milliseconds limit) const override {
        ++begun;
        SqliteKind::BeginSnapshot(db, limit);
        return true;
    }
    void EndSnapshot(QSqlDatabase& db) const override {
        ++ended;
        SqliteKind::EndSnapshot(db);
    }
    std::unique_ptr<KindGuard> GuardStatements(QSqlDatabase& db, const QString& source,
                                               const std::atomic<bool>* cancel,
                                               std::chrono::milliseconds limit) const override {
        ++guarded;
        return SqliteKind::GuardStatements(db, source, cancel, limit);
    }
    std::unique_ptr<KindStopper> Stopper(const QSqlDatabase& db) const override {
        ++stoppers;
        return SqliteKind::Stopper(db);
    }

    // Counted on the report's thread.
    mutable std::atomic<int> begun{0}, ended{0}, guarded{0}, stoppers{0};

private:
    QString driver_;
};

QByteArray Definition(const QString& ownText) {
    QByteArray text =
        "object Report: TReportDefinition\n  Code = 'RCL047'\n  Title = 'Tipos'\n"
        "  SQL.Strings = ('SELECT sistema AS SISTEMA FROM limpeza WHERE data_hora >= :P_DATAINI "
        "ORDER BY 1')\n";
    if (!ownText.isEmpty()) text += "  SQLContagem.Strings = ('" + ownText.toUtf8() + "')\n";
    return text + "  object colSistema: TReportColumn\n    FieldName = 'SISTEMA'\n  end\nend\n";
}

// A report run on the counting kind: which text it ran, and that the
// snapshot, the guard and the cancel were the kind's.
struct KindRun {
    const char* name;
    QString ownText;  // the definition's SQLContagem.Strings; empty: none
    int rows;
};

class ReportOnAKind : public ::testing::TestWithParam<KindRun> {};

TEST_P(ReportOnAKind, RunsTheKindsTextUnderItsSnapshotGuardAndCancel) {
    CountingKind kind;
    const DatabaseKinds::Registration registration(kind);
    QTemporaryDir out;
    TempReportDb db({{"2024-03-01 08:00:00", "Estoque", "A", 1200},
                     {"2024-03-02 08:00:00", "Compras", "B", 34},
                     {"2024-03-03 08:00:00", "Vendas", "C", 99}});
    HostConfigGuard guard(db.Path(), out.path());
    ApplyDatabaseUrl(kScheme + "://" + db.Path(), HostConfig::Instance());
    ASSERT_EQ(HostConfig::Instance().databaseKind, kScheme);
    DoneSpy spy;
    spy.Attach();
    TReportDesignerDialog designer;
    designer.BeforeGetQueryParams =
        ScreenHandler(EncodeDate(2024, 3, 1), EncodeDate(2024, 3, 31), true, {});
    designer.Print(ReportDefinition::ReadFromText(Definition(GetParam().ownText), "tipos.rpt"));
    EXPECT_EQ(spy.rows, GetParam().rows);
    EXPECT_EQ(kind.begun.load(), 1);
    EXPECT_EQ(kind.ended.load(), 1);
    EXPECT_EQ(kind.guarded.load(), 1);
    EXPECT_EQ(kind.stoppers.load(), 1);
    EXPECT_EQ(DatabaseDescription(HostConfig::Instance()), db.Path());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReportOnAKind,
    ::testing::Values(KindRun{"CommonText", "", 3},
                      KindRun{
                          "OwnText",
                          "SELECT sistema AS SISTEMA FROM limpeza WHERE data_hora >= :P_DATAINI "
                          "AND registros > 100",
                          1}),
    [](const auto& info) { return std::string(info.param.name); });

// A kind's own query text in a definition, read only while the kind is
// known and checked in the kind's dialect.
struct OwnTextCase {
    const char* name;
    bool registered;
    QString ownText;
    QString refused;  // the end of the message; empty: read
};

class KindQueryText : public ::testing::TestWithParam<OwnTextCase> {};

TEST_P(KindQueryText, IsReadForItsKindAlone) {
    CountingKind kind;
    std::optional<DatabaseKinds::Registration> registration;
    if (GetParam().registered) registration.emplace(kind);
    try {
        const ReportDefinition report =
            ReportDefinition::ReadFromText(Definition(GetParam().ownText), "x.rpt");
        EXPECT_TRUE(GetParam().refused.isEmpty()) << "read";
        EXPECT_EQ(report.QueryFor(kScheme), GetParam().ownText);
        EXPECT_EQ(report.QueryFor("sqlite"), report.sql);
        EXPECT_EQ(report.QueryFor("postgresql"), report.sql);
    } catch (const EDefinitionError& error) {
        EXPECT_FALSE(GetParam().refused.isEmpty()) << error.Message().toStdString();
        EXPECT_TRUE(error.Message().endsWith(GetParam().refused)) << error.Message().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Definitions, KindQueryText,
    ::testing::Values(
        OwnTextCase{"Registered", true, "SELECT 1 AS SISTEMA", ""},
        OwnTextCase{"UnknownKind", false, "SELECT 1 AS SISTEMA",
                    "propriedade desconhecida 'SQLContagem.Strings'"},
        OwnTextCase{"TwoStatements", true, "SELECT 1 AS SISTEMA; DELETE FROM limpeza",
                    "a consulta SQLContagem.Strings tem mais de um comando (o segundo começa em "
                    "\"DELETE FROM limpeza\"); um relatório roda um só comando"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KindQueryText, SavedAndReadAgain) {
    CountingKind kind;
    const DatabaseKinds::Registration registration(kind);
    QTemporaryDir dir;
    ReportDefinition report =
        ReportDefinition::ReadFromText(Definition("SELECT 2 AS SISTEMA"), "x.rpt");
    report.Write(dir.filePath("y.rpt"));
    EXPECT_EQ(ReportDefinition::Read(dir.filePath("y.rpt")).QueryTextFor(kScheme),
              "SELECT 2 AS SISTEMA");
}

TEST(DatabaseKinds, AKindWhoseDriverIsMissingIsNamed) {
    CountingKind kind(QStringLiteral("QNENHUM"));
    const DatabaseKinds::Registration registration(kind);
    HostConfig config;
    ApplyDatabaseUrl(kScheme + ":///tmp/x.db", config);
    try {
        ReportDatabase(config);
        FAIL() << "opened";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), "O driver de banco de dados 'QNENHUM' não está disponível.");
    }
}

}  // namespace
