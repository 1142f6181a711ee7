#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QPrinterInfo>
#include <QProcess>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include "ClassRegistry.h"
#include "Forms.h"
#include "PreviewPages.h"
#include "ReportDefinition.h"
#include "ReportFolders.h"
#include "ReportPreview.h"
#include "ReportProgressDialog.h"
#include "ReportTestSupport.h"
#include "SysUtils.h"

namespace {

const QString kTricky = "O'Brien; DROP TABLE limpeza; --";
const QString kBrackets = "A, B [x] \"y\"";

// Rows around March 2024, in three systems, one with a name full of SQL.
std::vector<CleanupRow> MarchRows() {
    return {{"2024-02-29 23:59:59", "Estoque", "INVENTARIO", 1},
            {"2024-03-01 00:00:00", "Estoque", "MOVIMENTO_ESTOQUE", 1200},
            {"2024-03-15 08:30:00", "Compras/Suprimentos", "COTACAO", 34},
            {"2024-03-20 10:00:00", kTricky, "TABELA_A", 5},
            {"2024-03-21 10:00:00", kBrackets, "TABELA_B", 6},
            {"2024-03-22 10:00:00", "Estoque2", "TABELA_C", 7},
            {"2024-03-31 23:59:59", "Estoque", "SALDO_ESTOQUE_MENSAL", 99},
            {"2024-04-01 00:00:00", "Estoque", "INVENTARIO", 1}};
}

class ReportDesignerTest : public ::testing::Test {
protected:
    ReportDesignerTest() : db_(MarchRows()), guard_(db_.Path(), out_.path()) { spy_.Attach(); }

    // Prints `file` for March 2024 and gives the rows reported.
    int PrintMarch(const char* file, bool all, const QString& list = {}) {
        designer_.BeforeGetQueryParams =
            ScreenHandler(EncodeDate(2024, 3, 1), EncodeDate(2024, 3, 31), all, list);
        designer_.Print(ReportDefinition::Read(ReportPath(file)));
        return spy_.rows;
    }
    int Count(const QString& where) {
        return db_
            .Scalar(
                "SELECT count(*) FROM limpeza WHERE data_hora >= '2024-03-01' AND data_hora < "
                "'2024-04-01' "
                "AND (" +
                where + ")")
            .toInt();
    }

    QTemporaryDir out_;
    TempReportDb db_;
    HostConfigGuard guard_;
    DoneSpy spy_;
    TReportDesignerDialog designer_;
};

TEST_F(ReportDesignerTest, AllSystemsPeriodIncludesFirstAndLastDay) {
    EXPECT_EQ(PrintMarch("RCL047_detalhado.rpt", true), Count("1"));
    EXPECT_EQ(spy_.rows, 6);
    EXPECT_EQ(spy_.actions, QStringList({"print"}));
    EXPECT_EQ(spy_.title, "Limpeza de Dados - Detalhado");
    EXPECT_EQ(spy_.file, QDir(out_.path()).filePath("RCL047-print-1.pdf"));
    EXPECT_TRUE(QFile::exists(spy_.file));
}

struct PeriodCase {
    const char* name;
    TDateTime first;
    TDateTime last;
    int rows;
};

class ReportPeriod : public ReportDesignerTest, public ::testing::WithParamInterface<PeriodCase> {};

// Both days are whole days, the far ends of the calendar included.
TEST_P(ReportPeriod, BothEndsAreWholeDays) {
    db_.Insert({{"9999-12-31 23:59:59", "Estoque", "FIM_DOS_TEMPOS", 1},
                {"0001-01-01 00:00:00", "Estoque", "INICIO", 1}});
    designer_.BeforeGetQueryParams = ScreenHandler(GetParam().first, GetParam().last, true, {});
    designer_.Print(ReportDefinition::Read(ReportPath("RCL047_detalhado.rpt")));
    EXPECT_EQ(spy_.rows, GetParam().rows);
    EXPECT_EQ(spy_.rows,
              db_.Scalar(QString("SELECT count(*) FROM limpeza "
                                 "WHERE substr(data_hora, 1, 10) BETWEEN '%1' AND '%2'")
                             .arg(DateToIso(GetParam().first), DateToIso(GetParam().last)))
                  .toInt());
}

INSTANTIATE_TEST_SUITE_P(
    Periods, ReportPeriod,
    ::testing::Values(
        PeriodCase{"LeapDay", EncodeDate(2024, 2, 29), EncodeDate(2024, 2, 29), 1},
        PeriodCase{"FirstOfMonth", EncodeDate(2024, 3, 1), EncodeDate(2024, 3, 1), 1},
        PeriodCase{"LastSecondOfMonth", EncodeDate(2024, 3, 31), EncodeDate(2024, 3, 31), 1},
        PeriodCase{"UpToTheLastDay", EncodeDate(2024, 4, 1), EncodeDate(9999, 12, 31), 2},
        PeriodCase{"FromTheFirstDay", EncodeDate(1, 1, 1), EncodeDate(2024, 2, 28), 1},
        PeriodCase{"Reversed", EncodeDate(2024, 3, 31), EncodeDate(2024, 3, 1), 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReportDesignerTest, NamesWithQuotesAndBracketsMatchExactly) {
    const QString list =
        QString("[\"%1\",\"%2\"]")
            .arg(QString(kTricky).replace("\"", "\\\""), QString(kBrackets).replace("\"", "\\\""));
    EXPECT_EQ(PrintMarch("RCL047_detalhado.rpt", false, list), 2);
    EXPECT_EQ(Count("sistema IN ('O''Brien; DROP TABLE limpeza; --', 'A, B [x] \"y\"')"), 2);
    EXPECT_EQ(db_.Scalar("SELECT count(*) FROM limpeza").toInt(), int(MarchRows().size()));
}

TEST_F(ReportDesignerTest, ListMatchesWholeNamesOnly) {
    EXPECT_EQ(PrintMarch("RCL047_detalhado.rpt", false, "[\"Estoque\"]"),
              Count("sistema = 'Estoque'"));
    EXPECT_EQ(spy_.rows, 2);
    EXPECT_EQ(PrintMarch("RCL047_resumo.rpt", false, "[\"Estoque\",\"Estoque2\"]"), 2);
}

TEST_F(ReportDesignerTest, EmptyListSelectsNoSystem) {
    EXPECT_EQ(PrintMarch("RCL047_detalhado.rpt", false, ""), 0);
    EXPECT_TRUE(QFile::exists(spy_.file));  // a report saying there is nothing
}

TEST_F(ReportDesignerTest, SummaryHasOneLinePerSystem) {
    EXPECT_EQ(PrintMarch("RCL047_resumo.rpt", true),
              db_.Scalar("SELECT count(DISTINCT sistema) FROM limpeza "
                         "WHERE data_hora BETWEEN '2024-03-01' AND '2024-03-31 23:59:59'")
                  .toInt());
}

TEST_F(ReportDesignerTest, ParametersCollectedInOrderAndFilledBeforeTheQuery) {
    QStringList seen;
    spy_.paramsReady = [&](const TParams& params) {
        for (int i = 0; i < params.Count(); ++i)
            seen << params[i].Name() + "=" + params[i].Value().ToString();
    };
    PrintMarch("RCL047_detalhado.rpt", true);
    EXPECT_EQ(seen, QStringList({"P_DATAINI=01/03/2024", "P_DATAFIM=31/03/2024", "P_TSISTEMA=T",
                                 "P_SISTEMA="}));
}

TEST_F(ReportDesignerTest, QueryLackingParametersGetsOnlyItsOwn) {
    ReportDefinition report = ReportDefinition::Read(ReportPath("RCL047_resumo.rpt"));
    report.sql =
        "SELECT sistema AS SISTEMA, count(*) AS LIMPEZAS, sum(registros) AS REGISTROS FROM limpeza "
        "WHERE data_hora >= :P_DATAINI GROUP BY sistema ORDER BY sistema";
    int count = -1;
    spy_.paramsReady = [&](const TParams& params) { count = params.Count(); };
    designer_.BeforeGetQueryParams =
        ScreenHandler(EncodeDate(2024, 3, 21), EncodeDate(2024, 3, 21), true, {});
    designer_.Preview(report);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(
        spy_.rows,
        db_.Scalar("SELECT count(DISTINCT sistema) FROM limpeza WHERE data_hora >= '2024-03-21'")
            .toInt());
    EXPECT_TRUE(spy_.file.endsWith("RCL047-preview-1.pdf"));
}

TEST_F(ReportDesignerTest, HandlerExceptionStopsTheReport) {
    designer_.BeforeGetQueryParams = [](TParams&, bool&) { throw Exception("parado pelo teste"); };
    EXPECT_THROW(designer_.Print(ReportDefinition::Read(ReportPath("RCL047_resumo.rpt"))),
                 Exception);
    EXPECT_TRUE(spy_.actions.isEmpty());
    EXPECT_TRUE(QDir(out_.path()).isEmpty());
}

TEST_F(ReportDesignerTest, SyntaxErrorReachesTheCaller) {
    ReportDefinition report = ReportDefinition::Read(ReportPath("RCL047_resumo.rpt"));
    report.sql = "SELECT sistema FROM limpeza WHERE data_hora >= :P_DATAINI AND";
    try {
        designer_.Print(report);
        FAIL() << "no exception";
    } catch (const Exception& error) {
        EXPECT_TRUE(error.Message().startsWith("Erro na consulta do relatório: ")) << error.what();
    }
}

TEST_F(ReportDesignerTest, ColumnMissingFromTheResultIsNamed) {
    ReportDefinition report = ReportDefinition::Read(ReportPath("RCL047_resumo.rpt"));
    report.columns[1].fieldName = "QTDE";
    try {
        designer_.Print(report);
        FAIL() << "no exception";
    } catch (const Exception& error) {
        EXPECT_EQ(
            error.Message(),
            "O campo 'QTDE' da coluna 'Limpezas' não está no resultado da consulta do relatório.");
    }
}

TEST_F(ReportDesignerTest, MissingDatabaseFolderIsReported) {
    HostConfig::Instance().databaseName = QDir(out_.path()).filePath("sumiu/relatorios.db");
    try {
        PrintMarch("RCL047_resumo.rpt", true);
        FAIL() << "no exception";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), "A pasta do banco de dados de relatórios não existe: " +
                                       QDir(out_.path()).filePath("sumiu"));
    }
}

TEST_F(ReportDesignerTest, UnattendedRunsNeverOverwrite) {
    PrintMarch("RCL047_resumo.rpt", true);
    PrintMarch("RCL047_resumo.rpt", true);
    designer_.Preview(ReportDefinition::Read(ReportPath("RCL047_resumo.rpt")));
    EXPECT_EQ(QDir(out_.path()).entryList(QDir::Files, QDir::Name),
              QStringList({"RCL047-preview-1.pdf", "RCL047-print-1.pdf", "RCL047-print-2.pdf"}));
}

QString PdfText(const QString& file) {
    QProcess process;
    process.start("pdftotext", {"-layout", file, "-"});
    if (!process.waitForFinished(60000)) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST_F(ReportDesignerTest, PdfHoldsTheRowsTotalsAndPageNumbers) {
    db_.Insert(
        std::vector<CleanupRow>(150, {"2024-03-10 12:00:00", "Estoque", "INVENTARIO", 1000}));
    PrintMarch("RCL047_detalhado.rpt", true);
    ASSERT_TRUE(QFile::exists(spy_.file));
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        GTEST_SKIP() << "pdftotext não instalado";
    const QString text = PdfText(spy_.file);
    const int pages = static_cast<int>(text.count('\f'));
    ASSERT_GT(pages, 1);
    EXPECT_TRUE(text.contains("Limpeza de Dados - Detalhado"));
    EXPECT_TRUE(
        text.contains(QRegularExpression("Período: 01/03/2024 a 31/03/2024\\s+Sistemas: Todos")));
    EXPECT_TRUE(text.contains(QString("Página %1 de %1").arg(pages)));
    EXPECT_FALSE(text.contains(QString("Página %1 de").arg(pages + 1)));
    EXPECT_TRUE(text.contains("Sistema: Estoque (continuação)"));
    EXPECT_TRUE(text.contains("01/03/2024 00:00"));
    EXPECT_TRUE(text.contains("MOVIMENTO_ESTOQUE"));
    EXPECT_TRUE(text.contains("1.200"));
    // Estoque in March: 1200 + 99 + 150 x 1000; the other systems add 34 + 5 + 6 + 7.
    EXPECT_TRUE(text.contains(QRegularExpression("Total Estoque\\s+151\\.299")));
    EXPECT_TRUE(text.contains(QRegularExpression("Total geral\\s+151\\.351")));
    EXPECT_FALSE(text.contains("29/02/2024"));
    EXPECT_FALSE(text.contains("01/04/2024"));
}

// The copy goes to the user's folder, made on the first save, and is listed
// beside the installed definition it came from.
TEST_F(ReportDesignerTest, SaveAsWritesACopyIntoTheUsersFolderThatIsListed) {
    QTemporaryDir reports;
    ASSERT_TRUE(
        QFile::copy(ReportPath("RCL047_resumo.rpt"), reports.filePath("RCL047_resumo.rpt")));
    const QString user = reports.filePath("usuario/relatorios");
    HostConfig::Instance().reportsDir = reports.path();
    HostConfig::Instance().userReportsDir = user;
    const ReportDefinition original = ReportDefinition::Read(reports.filePath("RCL047_resumo.rpt"));
    const ReportDefinition copy = designer_.SaveAs(original, "  Meu Relatório ");
    EXPECT_EQ(copy.file, user + "/RCL047_meu_relatorio.rpt");
    EXPECT_EQ(spy_.actions, QStringList({"saveas"}));
    EXPECT_EQ(spy_.file, copy.file);

    const QList<ReportDefinition> found = ReportFolders::Of(HostConfig::Instance()).Find("RCL047");
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(found[1].title, "Meu Relatório");
    EXPECT_EQ(found[1].sql, original.sql);
    EXPECT_EQ(designer_.SaveAs(original, "Meu Relatório").file, user + "/RCL047_meu_relatorio_2.rpt");
    EXPECT_THROW(designer_.SaveAs(original, "   "), Exception);
}

// Interactive runs: the dialogs are answered by the modal hook, the preview
// by the window hook.
class InteractiveReportTest : public ReportDesignerTest {
protected:
    InteractiveReportTest() { guard_.Interactive(); }
    ~InteractiveReportTest() override {
        Application->CloseWindows();
        Application->SetModalHook(nullptr);
        Application->SetWindowHook(nullptr);
    }
};

TEST_F(InteractiveReportTest, PreviewShowsEveryPage) {
    int pages = -1;
    QString count;
    Application->SetWindowHook([&](QWidget& window) {
        auto* preview = qobject_cast<ReportPreview*>(&window);
        EXPECT_TRUE(preview);
        if (!preview) return;
        preview->show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return preview->Pages().PagesPainted() > 0; }));
        pages = preview->Pages().PageCount();
        for (const QLabel* label : preview->findChildren<QLabel*>()) count += label->text();
        preview->reject();
    });
    designer_.BeforeGetQueryParams =
        ScreenHandler(EncodeDate(2024, 3, 1), EncodeDate(2024, 3, 31), true, {});
    designer_.Preview(ReportDefinition::Read(ReportPath("RCL047_detalhado.rpt")));
    EXPECT_EQ(pages, 1);
    EXPECT_TRUE(count.contains(" de 1 ")) << count.toStdString();
    EXPECT_EQ(spy_.actions, QStringList({"preview"}));
    EXPECT_EQ(spy_.rows, 6);
    EXPECT_TRUE(spy_.file.isEmpty());
}

TEST_F(InteractiveReportTest, PrintWithoutPrinterAsksForAPdfFile) {
    if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "há impressoras instaladas";
    const QString target = QDir(out_.path()).filePath("escolhido.pdf");
    Application->SetModalHook([&](QDialog& dialog) {
        auto* files = qobject_cast<QFileDialog*>(&dialog);
        EXPECT_TRUE(files);
        if (!files) return int(QDialog::Rejected);
        files->selectFile(target);
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(PrintMarch("RCL047_resumo.rpt", true), 5);  // five systems had cleanups in March
    EXPECT_EQ(spy_.file, target);
    EXPECT_TRUE(QFile::exists(target));

    Application->SetModalHook([](QDialog&) { return int(QDialog::Rejected); });
    spy_.actions.clear();
    EXPECT_THROW(PrintMarch("RCL047_resumo.rpt", true), EAbort);
    EXPECT_TRUE(spy_.actions.isEmpty());
}

// A query that would run for minutes before its first row.
ReportDefinition EndlessReport() {
    ReportDefinition report = ReportDefinition::Read(ReportPath("RCL047_resumo.rpt"));
    report.sql =
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 4000000000) "
        "SELECT 'x' AS SISTEMA, count(*) AS LIMPEZAS, 0 AS REGISTROS FROM n";
    return report;
}

ReportProgressDialog* ShownProgress() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* progress = qobject_cast<ReportProgressDialog*>(widget); progress && progress->isVisible())
            return progress;
    return nullptr;
}

// Cancelar while the query is still at work stops it there: no report, no
// file, no message, and the next report runs.
TEST_F(InteractiveReportTest, CancellingTheProgressStopsTheQuery) {
    bool asked = false;
    Application->SetModalHook([&](QDialog&) {
        asked = true;
        return int(QDialog::Rejected);
    });
    QString title;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(QTest::qWaitFor([] { return ShownProgress() != nullptr; }));
        title = ShownProgress()->windowTitle();
        QTest::mouseClick(ShownProgress()->findChild<QPushButton*>(), Qt::LeftButton);
    });
    designer_.BeforeGetQueryParams = [](TParams&, bool&) {};
    EXPECT_THROW(designer_.Print(EndlessReport()), EAbort);
    EXPECT_EQ(title, "Limpeza de Dados - Resumo por Sistema");
    EXPECT_FALSE(asked);
    EXPECT_TRUE(spy_.actions.isEmpty());
    EXPECT_TRUE(QDir(out_.path()).isEmpty());
    EXPECT_FALSE(designer_.Running());
    Application->SetModalHook([](QDialog& dialog) {
        if (auto* files = qobject_cast<QFileDialog*>(&dialog)) files->selectFile(QDir::temp().filePath("x.pdf"));
        return int(QDialog::Rejected);
    });
    EXPECT_THROW(PrintMarch("RCL047_resumo.rpt", true), EAbort) << "the next report runs up to its question";
}

TEST(ReportDesignerClass, DefinitionsCanNameItAndBindItsEvent) {
    const TClassInfo* info = ClassRegistry().Find("TReportDesignerDialog");
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->InheritsFrom("TComponent"));
    EXPECT_FALSE(info->Visual());
    EXPECT_NE(info->FindProperty("BeforeGetQueryParams"), nullptr);
}

}  // namespace
