#include <gtest/gtest.h>

#include "DateUtils.h"
#include "ReportHeader.h"
#include "ReportQuery.h"
#include "ReportRenderer.h"
#include "ReportTestSupport.h"
#include "SysUtils.h"

namespace {

// The RCL047 reports' header line with the parameters filled as the screen
// fills them.
QString Rcl047HeaderLine(TDateTime first, TDateTime last, bool all, const QString& list) {
    const ReportDefinition report = ReportDefinition::Read(ReportPath("RCL047_resumo.rpt"));
    TParams params = QueryParams(report.sql);
    bool flag = false;
    ScreenHandler(first, last, all, list)(params, flag);
    return FillHeaderLine(report.headerLine, params);
}

struct HeaderCase {
    const char* name;
    bool all;
    QString list;
    QString systems;
};

class Rcl047HeaderLineTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(Rcl047HeaderLineTest, PeriodAndSystemsAsAskedFor) {
    EXPECT_EQ(Rcl047HeaderLine(EncodeDate(2024, 2, 29), EncodeDate(2025, 1, 1), GetParam().all,
                               GetParam().list),
              "Período: 29/02/2024 a 01/01/2025   Sistemas: " + GetParam().systems);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, Rcl047HeaderLineTest,
    ::testing::Values(HeaderCase{"All", true, "[\"Estoque\"]", "Todos"},
                      HeaderCase{"List", false, "[\"Estoque\",\"O'Brien, [x]\"]",
                                 "Estoque, O'Brien, [x]"},
                      HeaderCase{"NothingChosen", false, "", "Nenhum"},
                      HeaderCase{"EmptyList", false, "[]", "Nenhum"},
                      HeaderCase{"NotAList", false, "Estoque; Compras", "Estoque; Compras"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FillHeaderLine, AbsentOrEmptyParametersTakeTheNextAlternative) {
    TParams params;
    params.CreateParam(ftUnknown, "A").SetAsString("");
    params.CreateParam(ftUnknown, "N").SetValue(1234567);
    EXPECT_EQ(
        FillHeaderLine("[{A|NENHUM|\"-\"}] [{N=1.234.567:milhão|\"?\"}] [{N}] [{NENHUM}]", params),
        "[-] [milhão] [1.234.567] []");
}

struct FormatCase {
    QVariant value;
    QString format;
    QString expected;
};

class FormatReportValueTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatReportValueTest, AsTheColumnShowsIt) {
    EXPECT_EQ(FormatReportValue(GetParam().value, GetParam().format), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatReportValueTest,
    ::testing::Values(FormatCase{"2024-02-29 23:59:59", "date", "29/02/2024"},
                      FormatCase{"2024-02-29 23:59:59", "datetime", "29/02/2024 23:59"},
                      FormatCase{"9999-12-31", "datetime", "31/12/9999"},
                      FormatCase{"0001-01-01 00:00:00", "date", "01/01/0001"},
                      FormatCase{"2023-02-29", "date",
                                 "2023-02-29"},  // no such day: shown as it came
                      FormatCase{1234567, "integer", "1.234.567"}, FormatCase{-5, "integer", "-5"},
                      FormatCase{1234.5, "float2", "1.234,50"}, FormatCase{"abc", "integer", "abc"},
                      FormatCase{QVariant(), "date", ""}, FormatCase{"texto", "", "texto"},
                      // As SQLite gives the largest counts: exact, never through a double.
                      FormatCase{QVariant(qlonglong(9223372036854775807)), "integer",
                                 "9.223.372.036.854.775.807"},
                      FormatCase{QVariant(qlonglong(-9223372036854775807 - 1)), "integer",
                                 "-9.223.372.036.854.775.808"},
                      FormatCase{1e19, "integer", "10.000.000.000.000.000.000"}));

ReportDefinition GroupedReport() {
    ReportDefinition report;
    report.code = "T01";
    report.title = "Teste";
    report.groupField = "G";
    report.columns = {ReportColumn{"c1", "V", "Valor", 30, 1, "integer", true}};
    return report;
}

ReportData Rows(int count, int groups) {
    ReportData data{{"G", "V"}, {}};
    for (int i = 0; i < count; ++i)
        data.rows << QVariantList({QString("grupo %1").arg(i * groups / count), i});
    return data;
}

TEST(ReportRendererLayout, PagesGrowWithRowsAndGroups) {
    const ReportDefinition report = GroupedReport();
    const ReportRenderer empty(report, Rows(0, 1), "");
    EXPECT_EQ(empty.PageCount(empty.PageLayout()), 1);
    const ReportRenderer few(report, Rows(10, 1), "");
    EXPECT_EQ(few.PageCount(few.PageLayout()), 1);
    const ReportRenderer many(report, Rows(500, 1), "");
    const int pages = many.PageCount(many.PageLayout());
    EXPECT_GT(pages, 5);
    const ReportRenderer grouped(report, Rows(500, 50), "");
    EXPECT_GT(grouped.PageCount(grouped.PageLayout()), pages);
}

TEST(ReportRendererLayout, WideColumnsTurnThePage) {
    ReportDefinition report = GroupedReport();
    EXPECT_EQ(ReportRenderer(report, Rows(1, 1), "").PageLayout().orientation(),
              QPageLayout::Portrait);
    report.columns[0].width = 250;
    EXPECT_EQ(ReportRenderer(report, Rows(1, 1), "").PageLayout().orientation(),
              QPageLayout::Landscape);
}

TEST(ReportRendererLayout, GroupFieldMissingFromTheResult) {
    ReportDefinition report = GroupedReport();
    report.groupField = "SISTEMA";
    try {
        ReportRenderer renderer(report, Rows(1, 1), "");
        FAIL() << "no exception";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(),
                  "O campo de grupo 'SISTEMA' não está no resultado da consulta do relatório.");
    }
}

}  // namespace
