// Previews as windows beside the screen: two periods compared side by side,
// one report read at a time, a preview that outlives its screen, and the
// host quitting with previews open.
#include <QAction>
#include <QFileDialog>
#include <QLineEdit>

#include "PreviewPages.h"
#include "ReportJob.h"
#include "ReportPreview.h"
#include "ReportWorker.h"
#include "ScreenFixture.h"

namespace {

// Rows that trickle in for minutes: the preview is still reading them.
const char* const kTrickling =
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
    "SELECT 'Sistema ' || (i / 1000) AS SISTEMA, i AS LIMPEZAS, length(printf('%3000000d', i)) AS REGISTROS "
    "FROM n";

QAction* ActionOf(const ReportPreview& preview, const QKeySequence& key) {
    for (QAction* action : preview.actions())
        if (action->shortcut() == key) return action;
    return nullptr;
}

// Every page laid out: Imprimir is enabled then.
bool Finished(const ReportPreview& preview) { return ActionOf(preview, QKeySequence::Print)->isEnabled(); }

// In front, as a click on it leaves it.
void Activate(QWidget& window) {
    QApplication::setActiveWindow(&window);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
}

// Ctrl+F, the text, F3 in the preview brought to the front: what the find
// bar says then; Esc closes the bar.
QString Find(ReportPreview& preview, const QString& text) {
    Activate(preview);
    QTest::keyClick(&preview.Pages(), Qt::Key_F, Qt::ControlModifier);
    auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    EXPECT_TRUE(field && field->window() == &preview && field->accessibleName() == "Procurar");
    if (!field || field->window() != &preview) return {};
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_F3);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !preview.FindStatus().startsWith("Procurando"); }));
    const QString status = preview.FindStatus();
    QTest::keyClick(field, Qt::Key_Escape);
    return status;
}

class PreviewWindows : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        Interactive();
    }

    ReportPreview* Preview(int index) const { return qobject_cast<ReportPreview*>(windows.value(index).data()); }

    // The host's window in front again, as a click on it leaves it, and the
    // period typed over the screen's dates.
    void TypePeriod(TfrmLimpDados& s, const QString& first, const QString& last) {
        QApplication::setActiveWindow(area->window());
        Retype(s.depDtIni, first);
        Retype(s.depDtFim, last);
    }

    void ChooseReport(TfrmLimpDados& s, const QString& title) {
        s.cbbReportNames->SetItemIndex(static_cast<int>(s.cbbReportNames->Items().indexOf(title)));
    }

    TfrmLimpDados& OpenFor(const QString& title) {
        TfrmLimpDados& s = Open();
        ChooseReport(s, title);
        return s;
    }

    // The period typed, Visualizar, and the preview it opened, once every
    // page is laid out.
    ReportPreview* PreviewOf(TfrmLimpDados& s, const QString& first, const QString& last) {
        TypePeriod(s, first, last);
        const qsizetype before = windows.size();
        QTest::mouseClick(s.sbtPreview, Qt::LeftButton);
        EXPECT_EQ(windows.size(), before + 1) << messages.join(" | ").toStdString();
        ReportPreview* preview = Preview(static_cast<int>(before));
        if (preview) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return Finished(*preview); }, 30000));
        }
        return preview;
    }
};

// Two years side by side: each preview is titled by its own period and holds
// that period's rows only; closing one leaves the other paging and saving.
TEST_F(PreviewWindows, TwoPeriodsOpenTogether) {
    TfrmLimpDados& s = OpenFor("Limpeza de Dados - Detalhado");
    ReportPreview* first = PreviewOf(s, "01012024", "31122024");
    ASSERT_TRUE(first);
    ReportPreview* second = PreviewOf(s, "01012025", "31122025");
    ASSERT_TRUE(second);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    EXPECT_EQ(first->windowTitle(), "Visualização - Limpeza de Dados - Detalhado - 01/01/2024 a 31/12/2024");
    EXPECT_EQ(second->windowTitle(), "Visualização - Limpeza de Dados - Detalhado - 01/01/2025 a 31/12/2025");
    EXPECT_TRUE(first->isVisible() && second->isVisible());
    EXPECT_NE(first->pos(), second->pos()) << "the second beside the first, not on top of it";
    EXPECT_TRUE(Find(*first, "/2024").startsWith("ocorrência 1 de ")) << first->FindStatus().toStdString();
    EXPECT_EQ(Find(*first, "/2025"), "Nenhuma ocorrência");
    EXPECT_EQ(Find(*second, "/2024"), "Nenhuma ocorrência");

    QPointer<ReportPreview> closed(first);
    QTest::keyClick(&first->Pages(), Qt::Key_Escape);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closed.isNull()) << "a closed preview is freed";
    ASSERT_GT(second->Pages().PageCount(), 1);
    Activate(*second);
    QTest::keyClick(&second->Pages(), Qt::Key_PageDown);
    EXPECT_EQ(second->Pages().CurrentPage(), 2);
    QTemporaryDir folder;
    const QString saved = folder.filePath("2025.pdf");
    answer = [&](QDialog& dialog) {
        auto* files = qobject_cast<QFileDialog*>(&dialog);
        if (!files) return int(QDialog::Rejected);
        files->selectFile(saved);
        return int(QDialog::Accepted);
    };
    QTest::keyClick(&second->Pages(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    QFile pdf(saved);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly)) << "saved";
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
    EXPECT_EQ(reportsDone, QStringList({"preview:Limpeza de Dados - Detalhado", "pdf:Limpeza de Dados - Detalhado"}))
        << "the first preview told when it closed; the second's save";
}

// While a preview still reads its rows, the screen's report keys start no
// second report: the user is told to wait, and the preview reads on. Once it
// is closed, the next report runs.
struct PressWhileReading {
    const char* name;
    std::function<void(TfrmLimpDados&)> press;
};

void PrintTo(const PressWhileReading& p, std::ostream* os) { *os << p.name; }

class PreviewReading : public PreviewWindows, public ::testing::WithParamInterface<PressWhileReading> {};

TEST_P(PreviewReading, AnotherReportWaitsForTheEndOfTheReading) {
    AddReport("Devagar", kTrickling);
    TfrmLimpDados& s = OpenFor("Devagar");
    TypePeriod(s, "01032025", "31032025");
    QTest::mouseClick(s.sbtPreview, Qt::LeftButton);
    ASSERT_EQ(windows.size(), 1);
    ReportPreview* reading = Preview(0);
    ASSERT_TRUE(reading);
    ASSERT_TRUE(reading->Job().Reading());
    QApplication::setActiveWindow(area->window());
    ChooseReport(s, "Limpeza de Dados - Resumo por Sistema");
    GetParam().press(s);
    EXPECT_EQ(messages, QStringList({"Aguarde o fim da leitura do relatório aberto na visualização, ou feche-a, "
                                     "para gerar outro relatório."}));
    EXPECT_EQ(paramsSeen.size(), 1u) << "one report read";
    EXPECT_EQ(windows.size(), 1);
    EXPECT_TRUE(dialogs.isEmpty()) << dialogs.join(" | ").toStdString();
    EXPECT_TRUE(reading->Job().Reading()) << "the preview reads on";

    QTest::keyClick(&reading->Pages(), Qt::Key_Escape);
    messages.clear();
    IntoFolder();
    GetParam().press(s);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    EXPECT_EQ(paramsSeen.size(), 2u) << "the next report runs";
}

INSTANTIATE_TEST_SUITE_P(
    Keys, PreviewReading,
    ::testing::Values(
        PressWhileReading{"VisualizarClicked", [](TfrmLimpDados& s) { QTest::mouseClick(s.sbtPreview, Qt::LeftButton); }},
        PressWhileReading{"CtrlP", [](TfrmLimpDados& s) { QTest::keyClick(s.depDtFim, Qt::Key_P, Qt::ControlModifier); }}),
    [](const auto& info) { return std::string(info.param.name); });

// The screen closed under an open preview: the preview still pages, and F1
// still asks for the screen's help topic.
TEST_F(PreviewWindows, OutlivesTheScreenItCameFrom) {
    ReportPreview* preview = PreviewOf(OpenFor("Limpeza de Dados - Detalhado"), "01012024", "31122025");
    ASSERT_TRUE(preview);
    CloseScreen();
    Activate(*preview);
    QTest::keyClick(&preview->Pages(), Qt::Key_PageDown);
    EXPECT_EQ(preview->Pages().CurrentPage(), 2);
    QTest::keyClick(&preview->Pages(), Qt::Key_F1);
    EXPECT_EQ(helpRequests, QStringList({"Cmphelp.hlp#10404900"}));
    EXPECT_TRUE(preview->isVisible());
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

// A report that fails while its preview reads it (a value past 4 MB, well
// after the first page): the preview closes itself and the failure is said;
// nothing tells of a preview done, and the next report runs.
TEST_F(PreviewWindows, FailureWhileReadingClosesItWithTheMessage) {
    AddReport("Falha no meio",
              "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
              "SELECT 'Sistema ' || (i / 100) AS SISTEMA, i AS LIMPEZAS, "
              "CASE WHEN i = 300 THEN length(replace(printf('%3000000d', i), ' ', '  ')) "
              "ELSE length(printf('%3000000d', i)) END AS REGISTROS FROM n");
    TfrmLimpDados& s = OpenFor("Falha no meio");
    TypePeriod(s, "01032025", "31032025");
    QTest::mouseClick(s.sbtPreview, Qt::LeftButton);
    ASSERT_EQ(windows.size(), 1) << messages.join(" | ").toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return windows[0].isNull(); }, 60000)) << "closed and freed";
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("4 MB")) << messages[0].toStdString();
    EXPECT_TRUE(reportsDone.isEmpty()) << reportsDone.join(" | ").toStdString();
    EXPECT_FALSE(ReportJob::AnyReading());
    IntoFolder();
    ChooseReport(s, "Limpeza de Dados - Resumo por Sistema");
    QTest::mouseClick(s.sbtPreview, Qt::LeftButton);
    EXPECT_EQ(reportsDone, QStringList({"preview:Limpeza de Dados - Resumo por Sistema"}));
}

// Quitting the host with a finished preview and one still reading: both are
// closed and freed at once, and the report's thread ends.
TEST_F(PreviewWindows, QuittingClosesThemAndEndsTheirReports) {
    AddReport("Devagar", kTrickling);
    TfrmLimpDados& s = OpenFor("Limpeza de Dados - Resumo por Sistema");
    ASSERT_TRUE(PreviewOf(s, "01032025", "31032025"));
    ChooseReport(s, "Devagar");
    QTest::mouseClick(s.sbtPreview, Qt::LeftButton);
    ASSERT_EQ(windows.size(), 2);
    ASSERT_TRUE(ReportJob::AnyReading());
    Application->CloseWindows();  // what the host's window does as it closes
    EXPECT_TRUE(windows[0].isNull() && windows[1].isNull());
    EXPECT_FALSE(ReportJob::AnyReading());
    EXPECT_TRUE(WaitForAbandonedWork(std::chrono::seconds(5))) << "the reading thread ended";
    EXPECT_EQ(reportsDone.size(), 2);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

}  // namespace
