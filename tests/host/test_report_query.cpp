#include <gtest/gtest.h>

#include <functional>

#include "ReportQuery.h"
#include "ReportTestSupport.h"
#include "ReportValues.h"
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

// One value as the screen sets it, as the query receives it and as a person
// reads it.
struct ValueCase {
    const char* name;
    std::function<void(TParam&)> set;
    QVariant bound;
    QString shown;
};

class ParameterValueForms : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ParameterValueForms, BoundAndShownByType) {
    TParam param("P");
    GetParam().set(param);
    const QVariant bound = BoundValue(param);
    EXPECT_EQ(bound.isNull(), GetParam().bound.isNull());
    EXPECT_EQ(bound, GetParam().bound);
    EXPECT_EQ(DisplayText(param), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Types, ParameterValueForms,
    ::testing::Values(
        ValueCase{"LeapDay",
                  [](TParam& p) { p.SetValue(VarFromDateTime(EncodeDate(2024, 2, 29))); },
                  QVariant("2024-02-29"), "29/02/2024"},
        ValueCase{"LastDayWithTime",
                  [](TParam& p) { p.SetValue(VarFromDateTime(EncodeDate(9999, 12, 31) + 0.5)); },
                  QVariant("9999-12-31 12:00:00"), "31/12/9999 12:00"},
        ValueCase{"DateParamDropsTheTime",
                  [](TParam& p) {
                      p.SetDataType(ftDate);
                      p.SetValue(VarFromDateTime(EncodeDate(2024, 3, 1) + 0.5));
                  },
                  QVariant("2024-03-01"), "01/03/2024"},
        ValueCase{"Unassigned", [](TParam&) {}, QVariant(), ""},
        ValueCase{"Null", [](TParam& p) { p.SetValue(Variant::Null()); }, QVariant(), ""},
        // A null QString reaches the drivers as NULL: the empty text must not.
        ValueCase{"EmptyTextIsNotNull", [](TParam& p) { p.SetAsString(QString()); },
                  QVariant(QStringLiteral("")), ""},
        ValueCase{"List", [](TParam& p) { p.SetAsString("[\"Estoque\",\"A, \\\"B\\\"\"]"); },
                  QVariant("[\"Estoque\",\"A, \\\"B\\\"\"]"), "Estoque, A, \"B\""},
        ValueCase{"ListOfNumbersIsJustText", [](TParam& p) { p.SetAsString("[1,2]"); },
                  QVariant("[1,2]"), "[1,2]"},
        ValueCase{"Integer", [](TParam& p) { p.SetValue(1234567); }, QVariant(1234567LL),
                  "1.234.567"},
        ValueCase{"Float", [](TParam& p) { p.SetValue(1234.5); }, QVariant(1234.5), "1.234,50"},
        ValueCase{"Boolean", [](TParam& p) { p.SetValue(true); }, QVariant(1), "Sim"}),
    [](const auto& info) { return std::string(info.param.name); });

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
    ASSERT_EQ(data.rows.size(), 1);
    EXPECT_EQ(data.fields, QStringList({"s", "f", "again"}));
    EXPECT_EQ(data.rows[0], QVariantList({7, "um", "7!"}));
}

TEST_F(RunReportQueryTest, LiteralLookingLikeAParameterStaysText) {
    TParams params = QueryParams("SELECT ':A' AS t, :A AS v -- :A?\n");
    params.ParamByName("A").SetAsString("x");
    const ReportData data = Run("SELECT ':A' AS t, :A AS v -- :A?\n", params);
    EXPECT_EQ(data.rows[0], QVariantList({":A", "x"}));
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

}  // namespace
