#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

#include "ReportJob.h"
#include "ReportOutput.h"
#include "ReportOutputChoice.h"
#include "ReportProgressDialog.h"
#include "ReportRunner.h"
#include "ReportTestSupport.h"
#include "ReportWait.h"
#include "SysUtils.h"

namespace {

// An output of the test's own: what it was handed, and when.
class FakeOutput : public ReportOutput {
public:
    enum class Fails { No, Yes };
    FakeOutput(bool firstPage, bool keepsRows, Fails fails = Fails::No)
        : firstPage_(firstPage), keepsRows_(keepsRows), fails_(fails) {}

    bool TakesFirstPage() const override { return firstPage_; }
    bool KeepsRows() const override { return keepsRows_; }
    QString Take(ReportJob& job, QWidget* /*host*/) override {
        ++taken;
        title = job.Report().title;
        pages = job.Pages();
        laidOut = job.LaidOut();
        if (firstPage_) LetWorkerGo(job.Worker());  // a window closed at once
        if (fails_ == Fails::Yes) throw Exception(QStringLiteral("A saída de teste falhou."));
        return QStringLiteral("saida-de-teste");
    }

    int taken = 0;
    QString title;
    int pages = -1;
    bool laidOut = false;

private:
    bool firstPage_;
    bool keepsRows_;
    Fails fails_;
};

std::vector<CleanupRow> ThreeInMarch() {
    return {{"2024-02-29 23:59:59", "Estoque", "INVENTARIO", 1},
            {"2024-03-01 00:00:00", "Estoque", "MOVIMENTO_ESTOQUE", 1200},
            {"2024-03-15 08:30:00", "Compras", "COTACAO", 34},
            {"2024-03-31 23:59:59", "Estoque", "SALDO_ESTOQUE_MENSAL", 99}};
}

// A report whose query never ends by itself.
ReportDefinition NeverEnding() {
    ReportDefinition report = ReportDefinition::Read(ReportPath("RCL047_resumo.rpt"));
    report.sql =
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 4000000000) "
        "SELECT 'x' AS SISTEMA, count(*) AS LIMPEZAS, 0 AS REGISTROS FROM n";
    return report;
}

void CancelWhenProgressShows() {
    QTimer::singleShot(0, [] {
        const auto shown = [] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* p = qobject_cast<ReportProgressDialog*>(widget); p && p->isVisible())
                    return p;
            return static_cast<ReportProgressDialog*>(nullptr);
        };
        ASSERT_TRUE(QTest::qWaitFor([&] { return shown() != nullptr; }, 20000));
        QTest::mouseClick(shown()->findChild<QPushButton*>(), Qt::LeftButton);
    });
}

// How a run into a fake output ends, seen from the output, the observers
// and the caller.
struct RunCase {
    const char* name;
    bool firstPage;
    bool keepsRows;
    FakeOutput::Fails fails;
    bool cancel;         // Cancelar pressed while the query runs
    int taken;           // times the output was handed the report
    bool laidOut;        // every page laid out when it was
    QStringList told;    // the observers' actions
    const char* thrown;  // "", "EAbort" or "Exception"
    bool kept;           // rows (this run's or the earlier one's) kept for the export
};

void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

// name | first page | keeps rows | output fails | cancel | taken | laid out | told | thrown | kept
const RunCase kRuns[] = {
    {"every page", false, false, FakeOutput::Fails::No, false, 1, true, {"print"}, "", true},
    {"first page", true, false, FakeOutput::Fails::No, false, 1, false, {"print"}, "", true},
    {"rows kept", false, true, FakeOutput::Fails::No, false, 1, true, {"print"}, "", true},
    {"output fails", false, true, FakeOutput::Fails::Yes, false, 1, true, {}, "Exception", false},
    {"cancelled", false, true, FakeOutput::Fails::No, true, 0, false, {}, "EAbort", false},
};

class RunIntoOutput : public ::testing::TestWithParam<RunCase> {
protected:
    RunIntoOutput() : db_(ThreeInMarch()), guard_(db_.Path(), out_.path()) {
        guard_.Interactive();  // the progress shows, for Cancelar
        spy_.Attach();
    }

    QTemporaryDir out_;
    TempReportDb db_;
    HostConfigGuard guard_;
    DoneSpy spy_;
    ReportRunner runner_;
};

TEST_P(RunIntoOutput, TheOutputGetsTheReportOnlyWhenItWasRead) {
    const RunCase& c = GetParam();
    // Rows kept by an earlier run stay through a run into an output that
    // does not keep them, and go once a run into one that does starts,
    // whatever becomes of it.
    FakeOutput earlier(false, true);
    const ReportDefinition march = ReportDefinition::Read(ReportPath("RCL047_detalhado.rpt"));
    const auto fill = [](TParams& params) {
        bool flag = false;
        ScreenHandler(EncodeDate(2024, 3, 1), EncodeDate(2024, 3, 31), true, {})(params, flag);
    };
    runner_.Run(march, earlier, QStringLiteral("preview"), fill);
    ASSERT_TRUE(runner_.HasKeptRows());
    spy_.actions.clear();

    FakeOutput output(c.firstPage, c.keepsRows, c.fails);
    if (c.cancel) CancelWhenProgressShows();
    QString thrown;
    try {
        runner_.Run(c.cancel ? NeverEnding() : march, output, QStringLiteral("print"), fill);
    } catch (const EAbort&) {
        thrown = "EAbort";
    } catch (const Exception&) {
        thrown = "Exception";
    }
    EXPECT_EQ(thrown, c.thrown);
    EXPECT_EQ(output.taken, c.taken);
    EXPECT_EQ(spy_.actions, c.told);
    EXPECT_FALSE(runner_.Running());
    if (c.taken > 0) {
        EXPECT_EQ(output.title, "Limpeza de Dados - Detalhado");
        EXPECT_GE(output.pages, 1);
        if (c.laidOut) {
            EXPECT_TRUE(output.laidOut);
        }
    }
    if (!c.told.isEmpty()) {
        EXPECT_EQ(spy_.rows, 3);
        EXPECT_EQ(spy_.file, "saida-de-teste");
    }
    EXPECT_EQ(runner_.HasKeptRows(), c.kept);
    if (c.kept) {
        const ReportExport::Written written = runner_.ExportKept(ReportExport::Format::Csv);
        EXPECT_EQ(written.result.rows, 3);
        EXPECT_TRUE(QFile::exists(written.file));
    } else if (c.keepsRows) {
        EXPECT_THROW(runner_.ExportKept(ReportExport::Format::Csv), Exception);
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, RunIntoOutput, ::testing::ValuesIn(kRuns), [](const auto& info) {
    QString name = info.param.name;
    return name.replace(' ', '_').toStdString();
});

// The choice the host application installs decides where the screen's
// actions go: Visualizar into its preview output, Imprimir into its print
// output, each named so to the observers.
class FakeChoice : public ReportOutputChoice {
public:
    std::unique_ptr<ReportOutput> ForPreview() const override {
        return Make(QStringLiteral("preview"));
    }
    std::unique_ptr<ReportOutput> ForPrint() const override {
        return Make(QStringLiteral("print"));
    }
    mutable QStringList made;

private:
    std::unique_ptr<ReportOutput> Make(const QString& kind) const {
        made << kind;
        return std::make_unique<FakeOutput>(false, false);
    }
};

TEST(ReportOutputChoiceInstalled, ScreenActionsRunIntoTheInstalledOutputs) {
    QTemporaryDir out;
    TempReportDb db(ThreeInMarch());
    HostConfigGuard guard(db.Path(), out.path());
    guard.Interactive();
    DoneSpy spy;
    spy.Attach();
    FakeChoice choice;
    const ReportOutputChoice* before = ReportOutputChoice::Install(&choice);
    TReportDesignerDialog designer;
    designer.BeforeGetQueryParams =
        ScreenHandler(EncodeDate(2024, 3, 1), EncodeDate(2024, 3, 31), true, {});
    const ReportDefinition march = ReportDefinition::Read(ReportPath("RCL047_detalhado.rpt"));
    designer.Preview(march);
    designer.Print(march);
    ReportOutputChoice::Install(before);
    EXPECT_EQ(choice.made, QStringList({"preview", "print"}));
    EXPECT_EQ(spy.actions, QStringList({"preview", "print"}));
    EXPECT_EQ(spy.file, "saida-de-teste");
    EXPECT_TRUE(QDir(out.path()).isEmpty()) << "nothing written but by the installed outputs";
}

}  // namespace
