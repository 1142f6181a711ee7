#include <gtest/gtest.h>

#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>

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
    EXPECT_EQ(FormatReportValue(GetParam().value, ReportFormatOf(GetParam().format)), GetParam().expected);
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
                      FormatCase{QVariant::fromValue<qlonglong>(9223372036854775807LL), "integer",
                                 "9.223.372.036.854.775.807"},
                      FormatCase{QVariant::fromValue<qlonglong>(-9223372036854775807LL - 1), "integer",
                                 "-9.223.372.036.854.775.808"},
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
    ReportData data(QStringList{"G", "V"});
    for (int i = 0; i < count; ++i)
        data.AddRow({QString("grupo %1").arg(i * groups / count), i});
    return data;
}

TEST(ReportRendererLayout, PagesGrowWithRowsAndGroups) {
    const ReportDefinition report = GroupedReport();
    const ReportRenderer empty(report, Rows(0, 1), "");
    EXPECT_EQ(empty.PageCount(), 1);
    const ReportRenderer few(report, Rows(10, 1), "");
    EXPECT_EQ(few.PageCount(), 1);
    const ReportRenderer many(report, Rows(500, 1), "");
    const int pages = many.PageCount();
    EXPECT_GT(pages, 5);
    const ReportRenderer grouped(report, Rows(500, 50), "");
    EXPECT_GT(grouped.PageCount(), pages);
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


// A cell's text on paper: whole when it fits its column, else cut short with
// "…" and kept inside the column, whatever its characters.
struct CellCase {
    const char* name;
    QString text;
    bool whole;
};

class ReportCellText : public ::testing::TestWithParam<CellCase> {};

// The text of the report's PDF, painted at `dpi` (0: the writer's own).
QString PdfText(const ReportRenderer& renderer, int dpi = 0) {
    QTemporaryDir dir;
    const QString file = dir.filePath("r.pdf");
    {
        QPdfWriter writer(file);
        if (dpi > 0) writer.setResolution(dpi);
        writer.setPageLayout(renderer.PageLayout());
        renderer.Render(writer);
    }
    QProcess process;
    process.start("pdftotext", {"-raw", file, "-"});
    return process.waitForFinished(30000) ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}

// Page numbers as people read counts, as the preview's toolbar shows them.
TEST(ReportRendererFooter, PageNumbersWithThousandsSeparators) {
    const ReportRenderer renderer(GroupedReport(), Rows(70000, 1), "");
    ASSERT_GT(renderer.PageCount(), 1000);
    QTemporaryDir dir;
    const QString file = dir.filePath("r.pdf");
    {
        QPdfWriter writer(file);
        writer.setPageLayout(renderer.PageLayout());
        renderer.Render(writer, 1000, 1000);
    }
    QProcess process;
    process.start("pdftotext", {"-raw", file, "-"});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_TRUE(QString::fromUtf8(process.readAllStandardOutput())
                    .contains(QStringLiteral("Página 1.000 de %1").arg(FormatCount(renderer.PageCount()))));
}

TEST_P(ReportCellText, WholeWhenItFitsElseCutShort) {
    ReportDefinition report = GroupedReport();
    report.columns = {ReportColumn{"c1", "T", "Texto", 40, 0, "", false},
                      ReportColumn{"c2", "V", "Valor", 30, 1, "integer", false}};
    ReportData data(QStringList{"G", "T", "V"});
    data.AddRow({"grupo", GetParam().text, 7});
    const QString text = PdfText(ReportRenderer(report, std::move(data), ""));
    ASSERT_TRUE(text.contains("Texto")) << "pdftotext";
    const QString row = text.split('\n').filter(GetParam().text.left(3)).value(0);
    if (GetParam().whole) {
        EXPECT_TRUE(text.contains(GetParam().text + " 7")) << text.toStdString();
    } else {
        EXPECT_FALSE(text.contains(GetParam().text)) << text.toStdString();
        EXPECT_TRUE(row.contains(QString::fromUtf8("… 7"))) << row.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cells, ReportCellText,
    ::testing::Values(CellCase{"Short", "clientes", true},
                      CellCase{"NarrowLettersFillingTheColumn", QString(40, 'i'), true},
                      CellCase{"WideLetters", QString(40, 'W'), false},
                      CellCase{"Accented", QString::fromUtf8("lançamentos_históricos_de_exportação_ao_fisco"), false},
                      CellCase{"BeyondLatin1", QString::fromUtf8("ŁŁŁŁŁŁŁŁŁŁŁŁŁŁŁŁŁŁŁŁŁŁŁŁŁŁŁŁŁŁ"), false}),
    [](const auto& info) { return std::string(info.param.name); });

// The detailed report's cells painted at the resolutions of the preview's
// zooms (from "Página inteira" in a small window to 100%): every date and
// hour whole, as at the PDF's own resolution. Measured on a small device,
// a hinted font's rounded advances made the hours overflow their column and
// come out elided ("01/03/2024 10:…").
class ReportCellsAtZoom : public ::testing::TestWithParam<int> {};

TEST_P(ReportCellsAtZoom, EveryHourWhole) {
    const ReportDefinition report = ReportDefinition::Read(ReportPath("RCL047_detalhado.rpt"));
    ReportData data(QStringList{"SISTEMA", "DATA_HORA", "TABELA", "REGISTROS", "USUARIO"});
    QStringList shown;
    for (int i = 0; i < 40; ++i) {
        const int hour = 10 + i % 14;
        data.AddRow({"Estoque", QString("2024-03-%1 %2:55:00").arg(1 + i / 14, 2, 10, QChar('0')).arg(hour),
                     "PEDIDOS_ITENS", i * 37, "ADMIN"});
        shown << QString("%1/03/2024 %2:55").arg(1 + i / 14, 2, 10, QChar('0')).arg(hour);
    }
    const QString text = PdfText(ReportRenderer(report, std::move(data), ""), GetParam());
    ASSERT_TRUE(text.contains("PEDIDOS_ITENS")) << "pdftotext";
    EXPECT_FALSE(text.contains(QString::fromUtf8("…"))) << text.toStdString();
    for (const QString& hour : shown) EXPECT_TRUE(text.contains(hour)) << hour.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Resolutions, ReportCellsAtZoom, ::testing::Values(15, 30, 42, 46, 53, 66, 84, 96),
                         [](const auto& info) { return std::to_string(info.param) + "dpi"; });

}  // namespace
