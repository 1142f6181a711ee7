#include <gtest/gtest.h>

#include <QSqlQuery>
#include <QSqlRecord>
#include <functional>

#include "ReportDefinition.h"
#include "ReportQuery.h"
#include "SqliteRows.h"
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

// The RCL047 queries as they were before the systems became index seeks:
// the same rows must come out, in the same order.
const char* const kDetailedWithOr =
    "SELECT l.sistema AS SISTEMA, l.data_hora AS DATA_HORA, l.tabela AS TABELA, "
    "l.registros AS REGISTROS, l.usuario AS USUARIO FROM limpeza l "
    "WHERE l.data_hora >= :P_DATAINI "
    "AND l.data_hora < coalesce(date(:P_DATAFIM, '+1 day'), :P_DATAFIM || '~') "
    "AND (:P_TSISTEMA = 'T' OR l.sistema IN (SELECT value FROM json_each(NULLIF(:P_SISTEMA, '')))) "
    "ORDER BY l.sistema, l.data_hora, l.id";
const char* const kSummaryWithOr =
    "SELECT l.sistema AS SISTEMA, count(*) AS LIMPEZAS, sum(l.registros) AS REGISTROS "
    "FROM limpeza l WHERE l.data_hora >= :P_DATAINI "
    "AND l.data_hora < coalesce(date(:P_DATAFIM, '+1 day'), :P_DATAFIM || '~') "
    "AND (:P_TSISTEMA = 'T' OR l.sistema IN (SELECT value FROM json_each(NULLIF(:P_SISTEMA, '')))) "
    "GROUP BY l.sistema ORDER BY l.sistema";

struct SystemsCase {
    const char* name;
    TDateTime first;
    TDateTime last;
    bool all;
    const char* list;
};

class Rcl047Queries : public ::testing::TestWithParam<SystemsCase> {
protected:
    Rcl047Queries()
        : db_({{"0001-01-01 00:00:00", "Estoque", "INICIO", 1},
               {"2024-02-29 23:59:59", "Estoque", "INVENTARIO", 1},
               {"2024-03-01 00:00:00", "Estoque", "MOVIMENTO", 1200},
               {"2024-03-01 00:00:00", "Compras/Suprimentos", "COTACAO", 34},
               {"2024-03-15 08:30:00", "O'Brien, [x]", "TABELA_A", 5},
               {"2024-03-31 23:59:59", "Estoque2", "TABELA_C", 7},
               {"2024-03-31 23:59:59", "Estoque", "SALDO", 99},
               {"9999-12-31 23:59:59", "Compras/Suprimentos", "FIM", 1}}),
          guard_(db_.Path(), db_.Dir()) {}
    QList<QVariantList> Rows(const QString& sql) {
        TParams params = QueryParams(sql);
        bool flag = false;
        const SystemsCase& c = GetParam();
        ScreenHandler(c.first, c.last, c.all, c.list)(params, flag);
        QSqlDatabase db = ReportDatabase(HostConfig::Instance());
        const ReportData data = RunReportQuery(db, sql, params);
        QList<QVariantList> rows;
        for (qsizetype r = 0; r < data.RowCount(); ++r) rows << data.Row(r);
        return rows;
    }
    QString Plan(const QString& sql) {
        TParams params = QueryParams(sql);
        bool flag = false;
        const SystemsCase& c = GetParam();
        ScreenHandler(c.first, c.last, c.all, c.list)(params, flag);
        const BoundQuery bound = BindReportQuery(sql, params);
        QSqlQuery query(ReportDatabase(HostConfig::Instance()));
        EXPECT_TRUE(query.prepare("EXPLAIN QUERY PLAN " + bound.query.sql));
        for (const QVariant& value : bound.values) query.addBindValue(value);
        EXPECT_TRUE(query.exec());
        QStringList plan;
        while (query.next()) plan << query.value(3).toString();
        return plan.join('\n');
    }
    TempReportDb db_;
    HostConfigGuard guard_;
};

TEST_P(Rcl047Queries, SameRowsAsTheQueriesTheyReplaced) {
    EXPECT_EQ(Rows(ReportDefinition::Read(ReportPath("RCL047_detalhado.rpt")).sql), Rows(kDetailedWithOr));
    EXPECT_EQ(Rows(ReportDefinition::Read(ReportPath("RCL047_resumo.rpt")).sql), Rows(kSummaryWithOr));
}

// SQLite seeks the index for the systems and the period and needs no sort.
TEST_P(Rcl047Queries, IndexGivesTheRangeAndTheOrder) {
    for (const char* file : {"RCL047_detalhado.rpt", "RCL047_resumo.rpt"}) {
        const QString plan = Plan(ReportDefinition::Read(ReportPath(file)).sql);
        EXPECT_TRUE(plan.contains("ix_limpeza_sistema_data (sistema=? AND data_hora>? AND data_hora<?)"))
            << file << "\n" << plan.toStdString();
        EXPECT_FALSE(plan.contains("TEMP B-TREE")) << file << "\n" << plan.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Systems, Rcl047Queries,
    ::testing::Values(
        SystemsCase{"AllOfMarch", EncodeDate(2024, 3, 1), EncodeDate(2024, 3, 31), true, ""},
        SystemsCase{"AllWithAStaleList", EncodeDate(2024, 3, 1), EncodeDate(2024, 3, 31), true, "[\"Estoque\"]"},
        SystemsCase{"TwoOfMarch", EncodeDate(2024, 3, 1), EncodeDate(2024, 3, 31), false,
                    "[\"Estoque\",\"O'Brien, [x]\"]"},
        SystemsCase{"NameTwiceAndUnknown", EncodeDate(1, 1, 1), EncodeDate(9999, 12, 31), false,
                    "[\"Estoque\",\"Estoque\",\"Nada\"]"},
        SystemsCase{"EmptyList", EncodeDate(1, 1, 1), EncodeDate(9999, 12, 31), false, ""},
        SystemsCase{"WholeCalendar", EncodeDate(1, 1, 1), EncodeDate(9999, 12, 31), true, ""},
        SystemsCase{"Reversed", EncodeDate(2024, 3, 31), EncodeDate(2024, 3, 1), true, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
