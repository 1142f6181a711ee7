#include <gtest/gtest.h>

#include <QSqlQuery>
#include <QSqlRecord>

#include "ReportQuery.h"
#include "SqliteRows.h"
#include "ReportTestSupport.h"
#include "SysUtils.h"

namespace {

TEST(QueryParamNames, InOrderOfFirstUseEachOnce) {
    EXPECT_EQ(
        QueryParamNames("SELECT * FROM t WHERE b = :B AND a = :A_1 OR b2 = :b OR :A_1 IS NULL"),
        QStringList({"B", "A_1"}));
}

TEST(QueryParamNames, IgnoresLiteralsQuotedNamesCommentsAndCasts) {
    const QString sql =
        "SELECT ':NOT1', 'it''s :NOT2', \":NOT3\", `:NOT4` -- :NOT5\n"
        "FROM t /* :NOT6 \n :NOT7 */ WHERE x::int = :REAL AND y = '10:30' AND z=:OTHER";
    EXPECT_EQ(QueryParamNames(sql), QStringList({"REAL", "OTHER"}));
}

TEST(QueryParamNames, UnterminatedLiteralHidesTheRest) {
    EXPECT_EQ(QueryParamNames("SELECT :A, 'open :B"), QStringList({"A"}));
}

TEST(ToPositional, EveryOccurrenceBecomesAPlaceholder) {
    const PositionalQuery q = ToPositional("SELECT ':X' -- :Y\n WHERE a = :X OR b = :Z OR c = :x");
    EXPECT_EQ(q.sql, "SELECT ':X'  \n WHERE a = ? OR b = ? OR c = ?");
    EXPECT_EQ(q.bindings, QStringList({"X", "Z", "x"}));
}

TEST(BindValue, DatesAsIsoTextEmptyAsNull) {
    TParams params;
    TParam& date = params.CreateParam(ftUnknown, "D");
    date.SetValue(VarFromDateTime(EncodeDate(2024, 2, 29)));
    EXPECT_EQ(BindValue(date), QVariant("2024-02-29"));
    date.SetValue(VarFromDateTime(EncodeDate(9999, 12, 31) + 0.5));
    EXPECT_EQ(BindValue(date), QVariant("9999-12-31 12:00:00"));

    TParam& text = params.CreateParam(ftUnknown, "S");
    EXPECT_TRUE(BindValue(text).isNull());
    text.SetAsString("");
    EXPECT_EQ(BindValue(text), QVariant(QString("")));
    text.SetValue(Variant::Null());
    EXPECT_TRUE(BindValue(text).isNull());
}

class RunReportQueryTest : public ::testing::Test {
protected:
    RunReportQueryTest()
        : db_({{"2024-01-05 10:00:00", "Estoque", "INVENTARIO", 10},
               {"2024-01-06 10:00:00", "Compras/Suprimentos", "COTACAO", 20}}),
          guard_(db_.Path(), db_.Dir()) {}
    ReportData Run(const QString& sql, const TParams& params) {
        QSqlDatabase db = ReportDatabase(HostConfig::Instance());
        return RunReportQuery(db, sql, params);
    }
    TempReportDb db_;
    HostConfigGuard guard_;
};

TEST_F(RunReportQueryTest, ValuesBoundByNameWhateverTheirOrder) {
    TParams params = QueryParams("SELECT :SECOND AS s, :FIRST AS f, :SECOND || '!' AS again");
    params.ParamByName("FIRST").SetAsString("um");
    params.ParamByName("SECOND").SetValue(7);
    const ReportData data =
        Run("SELECT :SECOND AS s, :FIRST AS f, :SECOND || '!' AS again", params);
    ASSERT_EQ(data.RowCount(), 1);
    EXPECT_EQ(data.Fields(), QStringList({"s", "f", "again"}));
    EXPECT_EQ(data.Row(0), QVariantList({7, "um", "7!"}));
}

TEST_F(RunReportQueryTest, LiteralLookingLikeAParameterStaysText) {
    TParams params = QueryParams("SELECT ':A' AS t, :A AS v -- :A?\n");
    params.ParamByName("A").SetAsString("x");
    const ReportData data = Run("SELECT ':A' AS t, :A AS v -- :A?\n", params);
    EXPECT_EQ(data.Row(0), QVariantList({":A", "x"}));
}

TEST_F(RunReportQueryTest, SyntaxErrorRaisesWithTheDatabaseMessage) {
    try {
        Run("SELEC * FROM limpeza WHERE id = :ID", QueryParams(":ID"));
        FAIL() << "no exception";
    } catch (const EDatabaseError& error) {
        EXPECT_TRUE(error.Message().startsWith("Erro na consulta do relatório: ")) << error.what();
        EXPECT_TRUE(error.Message().contains("syntax error")) << error.what();
    }
}

TEST_F(RunReportQueryTest, ParameterMissingFromTheCollectionIsNamed) {
    TParams params;
    EXPECT_THROW(
        {
            try {
                Run("SELECT * FROM limpeza WHERE id = :ID", params);
            } catch (const EDatabaseError& error) {
                EXPECT_EQ(error.Message(),
                          "O parâmetro 'ID' da consulta do relatório não foi informado.");
                throw;
            }
        },
        EDatabaseError);
}

// Read beneath Qt's driver, every value comes out as the driver gives it.
TEST_F(RunReportQueryTest, ValuesOfEveryTypeAsQtsDriverGivesThem) {
    const QString sql =
        "SELECT 9223372036854775807 AS grande, -1.5 AS real, 'Relatório ç' AS texto, "
        "x'00ff41' AS bytes, NULL AS nada, '' AS vazio";
    QSqlDatabase db = ReportDatabase(HostConfig::Instance());
    ASSERT_NE(SharedSqliteHandle(db), nullptr)
        << "Qt's SQLite driver runs on another SQLite: rows would be read through Qt";
    const ReportData data = Run(sql, TParams());
    QSqlQuery qt(db);
    ASSERT_TRUE(qt.exec(sql) && qt.next());
    ASSERT_EQ(data.RowCount(), 1);
    for (int c = 0; c < qt.record().count(); ++c) {
        EXPECT_EQ(data.Value(0, c).isNull(), qt.value(c).isNull());
        if (!qt.value(c).isNull()) {
            EXPECT_EQ(data.Value(0, c), qt.value(c)) << qt.record().fieldName(c).toStdString();
        }
    }
}

// Thousands of rows, some texts repeating and some not, each read back as it was.
TEST_F(RunReportQueryTest, ManyRowsReadBackExactly) {
    const ReportData data = Run(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000) "
        "SELECT i % 3 AS g, 'sistema ' || (i % 3) AS s, 'linha ' || i AS t FROM n",
        TParams());
    ASSERT_EQ(data.RowCount(), 5000);
    for (int i = 1; i <= 5000; ++i)
        ASSERT_EQ(data.Row(i - 1), QVariantList({i % 3, QString("sistema %1").arg(i % 3),
                                                 QString("linha %1").arg(i)}))
            << "row " << i;
}

}  // namespace
