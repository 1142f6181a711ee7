// The report actions as a person runs them from the screen: one report at a
// time, whatever is pressed meanwhile; Cancel that leaves nothing behind; the
// preview, paged and printed.
#include <QComboBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTimer>
#include <QToolBar>

#include "PreviewPages.h"
#include "PreviewSidePanel.h"
#include "ExportTestSupport.h"
#include "ReportDefinition.h"
#include "ReportExport.h"
#include "ReportPreview.h"
#include "ReportProgressDialog.h"
#include "ScreenFixture.h"

namespace {

// Queries for reports that take their time: one that works for minutes
// before its first row, and one whose rows trickle in.
const char* const kEndless =
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 4000000000) "
    "SELECT 'x' AS SISTEMA, count(*) AS LIMPEZAS, 0 AS REGISTROS FROM n";
const char* const kTrickling =
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
    "SELECT 'Sistema ' || (i / 1000) AS SISTEMA, i AS LIMPEZAS, length(printf('%3000000d', i)) AS REGISTROS "
    "FROM n";
// Thousands of pages, read at once.
const char* const kThousandsOfPages =
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200000) "
    "SELECT 'Sistema ' || (i / 5000) AS SISTEMA, i AS LIMPEZAS, i * 7 AS REGISTROS FROM n";

// The preview's Imprimir: enabled once every page is laid out.
QAction* PrintAction(const ReportPreview& preview) {
    for (QAction* action : preview.actions())
        if (action->shortcut() == QKeySequence::Print) return action;
    return nullptr;
}

// Shown and active, as the window system leaves a dialog it opens.
void ShowActive(QDialog& dialog) {
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
}

ReportProgressDialog* ShownProgress() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* progress = qobject_cast<ReportProgressDialog*>(widget); progress && progress->isVisible())
            return progress;
    return nullptr;
}

// Waits for the progress and presses its Cancelar with the mouse.
void CancelWhenProgressShows() {
    ASSERT_TRUE(QTest::qWaitFor([] { return ShownProgress() != nullptr; }, 20000));
    QTest::mouseClick(ShownProgress()->findChild<QPushButton*>(), Qt::LeftButton);
}

QString PdfText(const QString& file, int page = 0) {
    QStringList arguments{"-layout"};
    if (page > 0) arguments << "-f" << QString::number(page) << "-l" << QString::number(page);
    QProcess process;
    process.start("pdftotext", arguments << file << "-");
    return process.waitForFinished(60000) ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}

class ScreenReports : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        reportSpy.reportDone = [this](const QString& action, const QString&, int rows, const QString& file) {
            reportsDone << action;
            rowsDone << rows;
            filesDone << file;
        };
    }

    // The screen with a period and "Todas", `title` chosen.
    TfrmLimpDados& OpenFor(const QString& title, const QString& first = "01012024",
                           const QString& last = "31122025") {
        TfrmLimpDados& s = Open();
        Type(s.depDtIni, first);
        Type(s.depDtFim, last);
        s.cbbReportNames->SetItemIndex(static_cast<int>(s.cbbReportNames->Items().indexOf(title)));
        EXPECT_EQ(s.cbbReportNames->Text(), title);
        return s;
    }

    QList<int> rowsDone;
    QStringList filesDone;
};

struct Button {
    const char* name;
    TButtonFlat* TfrmDadosGerRel::*button;
};

void PrintTo(const Button& b, std::ostream* os) { *os << b.name; }

class DoubleClick : public ScreenReports, public ::testing::WithParamInterface<Button> {};

// As the window system gives it: press, release, press (and the double
// click), release.
void DoubleClickOn(QWidget* button) {
    QWidget* window = button->window();
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, button->mapTo(window, button->rect().center()));
}

TEST_P(DoubleClick, GivesOneReport) {
    TfrmLimpDados& s = OpenFor("Limpeza de Dados - Resumo por Sistema", "01032024", "31032024");
    AnswerPrompts("Resumo conferido");
    DoubleClickOn(s.*GetParam().button);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    EXPECT_EQ(reportsDone.size(), 1) << reportsDone.join(" | ").toStdString();
    EXPECT_EQ(paramsSeen.size(), std::string(GetParam().name) == "saveas" ? 0u : 1u);
    EXPECT_LE(QDir(outputDir.path()).entryList(QDir::Files).size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Buttons, DoubleClick,
                         ::testing::Values(Button{"preview", &TfrmDadosGerRel::sbtPreview},
                                           Button{"print", &TfrmDadosGerRel::sbtPrint},
                                           Button{"saveas", &TfrmDadosGerRel::sbtSalvarComo}),
                         [](const auto& info) { return std::string(info.param.name); });

// While a report reads, the three buttons, the keyboard and the screen's
// close do nothing; Cancelar then leaves the screen as it was.
TEST_F(ScreenReports, PressesWhileAReportRunsDoNothing) {
    AddReport("Sem fim", kEndless);
    Interactive();
    TfrmLimpDados& s = OpenFor("Sem fim");
    AnswerPrompts("Nunca");
    QTimer::singleShot(50, [&] {
        for (TButtonFlat* button : {s.sbtPreview, s.sbtPrint, s.sbtSalvarComo}) {
            QTest::mouseClick(button, Qt::LeftButton);
            DoubleClickOn(button);
        }
        QTest::keyClicks(s.depDtIni, "9");
        // The buttons' own keys, which press them as a click does.
        QTest::keyClick(s.depDtIni, Qt::Key_P, Qt::ControlModifier);
        QTest::keyClick(s.depDtIni, Qt::Key_F2, Qt::ControlModifier);
        QTest::keyClick(s.depDtIni, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        s.Close();
        CancelWhenProgressShows();
    });
    QTest::mouseClick(s.sbtPrint, Qt::LeftButton);
    EXPECT_EQ(paramsSeen.size(), 1u) << "one report started";
    EXPECT_TRUE(dialogs.isEmpty()) << dialogs.join(" | ").toStdString();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    EXPECT_TRUE(reportsDone.isEmpty());
    ASSERT_TRUE(boStCriado) << "the screen stayed open";
    EXPECT_EQ(s.depDtIni->Text(), "01/01/2024");
    EXPECT_FALSE(s.rpddPadrao->Running());

    IntoFolder();
    s.cbbReportNames->SetItemIndex(static_cast<int>(s.cbbReportNames->Items().indexOf("Limpeza de Dados - Resumo por Sistema")));
    QTest::mouseClick(s.sbtPrint, Qt::LeftButton);
    EXPECT_EQ(reportsDone, QStringList({"print"})) << "the next report runs";
}

// Printing to a PDF file and cancelling while the pages are written: no
// file, no leftover, and the file that was there before is as it was.
TEST_F(ScreenReports, CancelLeavesNoFileAndKeepsTheEarlierOne) {
    if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "há impressoras instaladas";
    AddReport("Milhares de páginas", kThousandsOfPages);
    Interactive();
    QTemporaryDir folder;
    const QString target = folder.filePath("limpeza.pdf");
    QFile earlier(target);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly) && earlier.write("relatório de ontem") > 0);
    earlier.close();
    answer = [&](QDialog& dialog) {
        auto* files = qobject_cast<QFileDialog*>(&dialog);
        if (!files) return int(QDialog::Rejected);
        files->selectFile(target);
        QTimer::singleShot(0, [] { CancelWhenProgressShows(); });
        return int(QDialog::Accepted);
    };
    TfrmLimpDados& s = OpenFor("Milhares de páginas");
    QTest::mouseClick(s.sbtPrint, Qt::LeftButton);
    EXPECT_EQ(dialogs, QStringList({"Salvar relatório em PDF"}));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    EXPECT_TRUE(reportsDone.isEmpty());
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"limpeza.pdf"}));
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(earlier.readAll()), "relatório de ontem");
}

// The preview opens on the first page while the rest is read, says "de …"
// and cannot print yet; Esc closes it and stops the reading.
TEST_F(ScreenReports, PreviewOpensBeforeTheEndAndClosingStopsTheReading) {
    AddReport("Devagar", kTrickling);
    Interactive();
    QString count;
    bool printable = true;
    answer = [&](QDialog& dialog) {
        auto* preview = qobject_cast<ReportPreview*>(&dialog);
        if (!preview) return int(QDialog::Rejected);
        ShowActive(*preview);
        EXPECT_TRUE(QTest::qWaitFor([&] { return preview->Pages().PagesPainted() > 0; }));
        for (const QLabel* label : preview->findChildren<QLabel*>()) count += label->text();
        printable = PrintAction(*preview)->isEnabled();
        QTest::keyClick(&preview->Pages(), Qt::Key_Escape);
        return preview->result();
    };
    TfrmLimpDados& s = OpenFor("Devagar");
    QTest::mouseClick(s.sbtPreview, Qt::LeftButton);
    EXPECT_TRUE(count.contains(" de … ")) << count.toStdString();
    EXPECT_FALSE(printable);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    ASSERT_EQ(reportsDone, QStringList({"preview"}));
    EXPECT_LT(rowsDone.first(), 100000) << "the reading stopped with the preview";
}

// PgDn, PgUp, Ctrl+End, Ctrl+Home and a page number typed: the preview goes
// where it is told, and Ctrl+P with "the page on view" prints that page as
// the whole report has it.
TEST_F(ScreenReports, PreviewPagesForwardAndBackAndPrintsThePageOnView) {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) GTEST_SKIP() << "pdftotext não instalado";
    Interactive();
    QTemporaryDir folder;
    const QString printed = folder.filePath("pagina.pdf");
    QStringList shown;
    answer = [&](QDialog& dialog) {
        if (auto* print = qobject_cast<QPrintDialog*>(&dialog)) {
            print->printer()->setOutputFileName(printed);
            print->printer()->setPrintRange(QPrinter::CurrentPage);
            return int(QDialog::Accepted);
        }
        auto* preview = qobject_cast<ReportPreview*>(&dialog);
        if (!preview) return int(QDialog::Rejected);
        ShowActive(*preview);
        PreviewPages& pages = preview->Pages();
        auto* number = preview->findChild<QLineEdit*>();
        EXPECT_TRUE(QTest::qWaitFor([&] { return PrintAction(*preview)->isEnabled(); }));
        EXPECT_GT(pages.PageCount(), 8);
        const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
            QTest::keyClick(&pages, key, modifiers);
            shown << number->text();
        };
        press(Qt::Key_PageDown);
        press(Qt::Key_PageDown);
        press(Qt::Key_PageDown);
        press(Qt::Key_PageUp);
        press(Qt::Key_End, Qt::ControlModifier);
        press(Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(&pages, Qt::Key_G, Qt::ControlModifier);
        QTest::keyClicks(number, "7");
        QTest::keyClick(number, Qt::Key_Return);
        shown << number->text();
        QTest::keyClick(&pages, Qt::Key_P, Qt::ControlModifier);
        QTest::keyClick(&pages, Qt::Key_Escape);
        return preview->result();
    };
    TfrmLimpDados& s = OpenFor("Limpeza de Dados - Detalhado");
    QTest::mouseClick(s.sbtPreview, Qt::LeftButton);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    ASSERT_EQ(reportsDone, QStringList({"print", "preview"}));
    EXPECT_EQ(PdfText(printed).count('\f'), 1) << "one page printed";
    IntoFolder();
    QTest::mouseClick(s.sbtPrint, Qt::LeftButton);
    ASSERT_EQ(reportsDone.size(), 3);
    const int last = static_cast<int>(PdfText(filesDone.last()).count('\f'));
    EXPECT_EQ(shown, QStringList({"2", "3", "4", "3", QString::number(last), "1", "7"}));
    EXPECT_EQ(PdfText(printed), PdfText(filesDone.last(), 7));
}


// Where each of the toolbar's widgets sits.
QList<int> Widths(const ReportPreview& preview) {
    QList<int> widths;
    for (const QWidget* widget : preview.findChild<QToolBar*>()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (widget->isVisible()) widths << widget->x() << widget->width();
    return widths;
}

// The zoom from the keyboard and the list: fit width at the start, Ctrl++
// (also Ctrl+= without Shift) and Ctrl+- a step each way, "Página inteira"
// and "100%" from the list; the page on view stays.
TEST_F(ScreenReports, PreviewZoomsFromTheKeyboardAndTheList) {
    Interactive();
    QStringList zooms;
    answer = [&](QDialog& dialog) {
        auto* preview = qobject_cast<ReportPreview*>(&dialog);
        if (!preview) return int(QDialog::Rejected);
        ShowActive(*preview);
        PreviewPages& pages = preview->Pages();
        auto* list = preview->findChild<QComboBox*>();
        EXPECT_TRUE(QTest::qWaitFor([&] { return PrintAction(*preview)->isEnabled(); }));
        const double fitWidth = pages.Scale();
        const QList<int> widths = Widths(*preview);
        zooms << list->currentText();
        QTest::keyClick(&pages, Qt::Key_PageDown);
        QTest::keyClick(&pages, Qt::Key_Plus, Qt::ControlModifier);
        EXPECT_NEAR(pages.Scale(), fitWidth * 1.25, 0.01);
        QTest::keyClick(&pages, Qt::Key_Equal, Qt::ControlModifier);
        EXPECT_EQ(pages.CurrentPage(), 2) << "zoomed in twice";
        QTest::keyClick(&pages, Qt::Key_Minus, Qt::ControlModifier);
        EXPECT_NEAR(pages.Scale(), fitWidth * 1.25, 0.01);
        EXPECT_EQ(list->currentIndex(), -1);
        zooms << list->placeholderText();
        EXPECT_EQ(list->placeholderText(), QString("%1%").arg(qRound(pages.Scale() * 100)));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        zooms << list->currentText();
        EXPECT_LT(pages.Scale(), fitWidth);
        EXPECT_EQ(pages.CurrentPage(), 2);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        zooms << list->currentText();
        EXPECT_NEAR(pages.Scale(), 1.0, 0.001);
        EXPECT_EQ(widths, Widths(*preview)) << "the toolbar kept its place";
        QTest::keyClick(&pages, Qt::Key_Escape);
        return preview->result();
    };
    TfrmLimpDados& s = OpenFor("Limpeza de Dados - Detalhado");
    QTest::mouseClick(s.sbtPreview, Qt::LeftButton);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    EXPECT_EQ(zooms.value(2), "Página inteira");
    EXPECT_EQ(zooms.value(3), "100%");
    EXPECT_EQ(zooms.value(0), "Ajustar à largura");
    EXPECT_TRUE(zooms.value(1).endsWith("%")) << zooms.value(1).toStdString();
}

// Exportar from the preview's keys: the file dialog offers the report's title
// and period as the name; the file typed there gets the preview's rows.
class PreviewExport : public ScreenReports, public ::testing::WithParamInterface<ReportExport::Format> {};

TEST_P(PreviewExport, CtrlEWritesThePreviewsRowsUnderTheTitleAndPeriod) {
    Interactive();
    QTemporaryDir folder;
    const QString extension = ReportExport::Extension(GetParam());
    const QString typed = folder.filePath("limpeza." + extension);
    QString offered;
    QStringList exported;
    reportSpy.exported = [&](const QString& action, const QString&, qint64, const QString& file, int) {
        exported << action << file;
    };
    answer = [&](QDialog& dialog) {
        if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
            offered = QFileInfo(files->selectedFiles().value(0)).fileName();
            files->selectFile(typed);
            return int(QDialog::Accepted);
        }
        auto* preview = qobject_cast<ReportPreview*>(&dialog);
        if (!preview) return int(QDialog::Rejected);
        ShowActive(*preview);
        EXPECT_TRUE(QTest::qWaitFor([&] { return PrintAction(*preview)->isEnabled(); }));
        QTest::keyClick(&preview->Pages(), Qt::Key_E, Qt::ControlModifier);
        QTest::keyClick(&preview->Pages(), Qt::Key_Escape);
        return preview->result();
    };
    TfrmLimpDados& s = OpenFor("Limpeza de Dados - Detalhado", "01032025", "31032025");
    QTest::mouseClick(s.sbtPreview, Qt::LeftButton);
    reportSpy.exported = nullptr;
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    EXPECT_EQ(offered, "Limpeza de Dados - Detalhado 2025-03-01 a 2025-03-31.xlsx");
    EXPECT_EQ(exported, QStringList({extension, typed}));
    ASSERT_EQ(rowsDone.size(), 1);
    ASSERT_GT(rowsDone[0], 0);
    if (GetParam() == ReportExport::Format::Csv) {
        QFile csv(typed);
        ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
        EXPECT_EQ(csv.readAll().count("\r\n"), rowsDone[0] + 1) << "the header and every row";
        return;
    }
    const QJsonObject data = Sheet(ReadXlsx(typed), "Dados");
    EXPECT_EQ(data["cells"].toArray().size(), rowsDone[0] + 2) << "the header, every row and the totals";
}

INSTANTIATE_TEST_SUITE_P(Formats, PreviewExport,
                         ::testing::Values(ReportExport::Format::Xlsx, ReportExport::Format::Csv),
                         [](const ::testing::TestParamInfo<ReportExport::Format>& info) {
                             return ReportExport::Extension(info.param).toStdString();
                         });


// Find in the preview, as typed: Ctrl+F, the text, then Enter, Shift+Enter,
// F3 or Shift+F3. Rows of a 3.000-row report, one group each (hundreds of
// pages): "ESTOQUE" on rows 5, 1.500 and 2.900, "LIMPÉZA" on row 2.000, the
// counts formatted as the pages show them (2.345).
const char* const kFindRows =
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
    "SELECT CASE WHEN i IN (5, 1500, 2900) THEN 'ESTOQUE ' || i WHEN i = 2000 THEN 'LIMPÉZA' "
    "ELSE 'Sistema ' || i END AS SISTEMA, i AS LIMPEZAS, 0 AS REGISTROS FROM n";

struct FindCase {
    const char* name;
    QString typed;
    // n Enter, N Shift+Enter, f F3, F Shift+F3.
    const char* keys;
    const char* status;  // after the last key
    // The pages gone to, as their order among them (0 the first in the report).
    std::vector<int> pageOrder;
};

void PrintTo(const FindCase& c, std::ostream* os) { *os << c.name; }

class PreviewFind : public ScreenReports, public ::testing::WithParamInterface<FindCase> {};

TEST_P(PreviewFind, GoesToTheRowsHoldingTheText) {
    const FindCase& c = GetParam();
    AddReport("Procura", kFindRows);
    Interactive();
    QString status;
    QString field;
    QList<int> pages;
    int highlightedAtEnd = -1;
    answer = [&](QDialog& dialog) {
        auto* preview = qobject_cast<ReportPreview*>(&dialog);
        if (!preview) return int(QDialog::Rejected);
        ShowActive(*preview);
        PreviewPages& view = preview->Pages();
        EXPECT_TRUE(QTest::qWaitFor([&] { return PrintAction(*preview)->isEnabled(); }));
        QTest::keyClick(&view, Qt::Key_F, Qt::ControlModifier);
        auto* text = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        EXPECT_TRUE(text && text->accessibleName() == "Procurar");
        if (!text) return int(QDialog::Rejected);
        // Typed character by character, as a keyboard (or an input method,
        // for the marks) gives them.
        for (const QChar typed : c.typed) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(typed));
            QApplication::sendEvent(text, &press);
        }
        field = text->text();
        for (const char* k = c.keys; *k; ++k) {
            const bool shift = *k == 'N' || *k == 'F';
            const Qt::Key key = *k == 'n' || *k == 'N' ? Qt::Key_Return : Qt::Key_F3;
            QTest::keyClick(QApplication::focusWidget(), key, shift ? Qt::ShiftModifier : Qt::NoModifier);
            EXPECT_TRUE(QTest::qWaitFor([&] { return !preview->FindStatus().startsWith("Procurando"); }));
            QApplication::processEvents();
            if (view.HighlightedPage() > 0) {
                pages << view.CurrentPage();
                EXPECT_EQ(view.HighlightedPage(), view.CurrentPage()) << "the page turned to the match";
            }
        }
        status = preview->FindStatus();
        highlightedAtEnd = view.HighlightedPage();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_TRUE(view.hasFocus()) << "Esc closes the bar, the pages take the keys";
        QTest::keyClick(&view, Qt::Key_Escape);
        return preview->result();
    };
    TfrmLimpDados& s = OpenFor("Procura");
    QTest::mouseClick(s.sbtPreview, Qt::LeftButton);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    EXPECT_EQ(status.toStdString(), c.status);
    EXPECT_LE(field.size(), 200) << "the text is bounded where it is typed";
    QList<int> distinct = pages;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    std::vector<int> order;
    for (const int page : pages) order.push_back(static_cast<int>(distinct.indexOf(page)));
    EXPECT_EQ(order, c.pageOrder) << "pages " << QStringList([&] {
        QStringList l;
        for (int p : pages) l << QString::number(p);
        return l;
    }()).join(",").toStdString();
    if (c.pageOrder.empty()) {
        EXPECT_EQ(highlightedAtEnd, 0) << "nothing highlighted";
    }
    if (pages.size() > 1) {
        EXPECT_GT(distinct.last(), 8) << "a page far from the first, never painted before";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, PreviewFind,
    ::testing::Values(
        FindCase{"LowerCaseFindsUpperCaseInOrderAndWraps", "estoque", "ffff",
                 "ocorrência 1 de 3 (voltou ao início)", {0, 1, 2, 0}},
        FindCase{"ShiftF3GoesBackAndWrapsToTheEnd", "estoque", "ffFF", "ocorrência 3 de 3 (voltou ao fim)",
                 {0, 1, 0, 2}},
        FindCase{"EnterAndShiftEnterAsF3", "ESTOQUE", "nnN", "ocorrência 1 de 3", {0, 1, 0}},
        FindCase{"ShiftF3FirstGoesToTheLast", "Estoque 29", "F", "ocorrência 1 de 1", {0}},
        FindCase{"AccentsAside", "limpeza", "f", "ocorrência 1 de 1", {0}},
        FindCase{"NumbersAsThePageShowsThem", "2.345", "f", "ocorrência 1 de 1", {0}},
        FindCase{"NoneFound", "inexistente", "ff", "Nenhuma ocorrência", {}},
        // Hostile: a text pasted huge is cut where it is typed; one of
        // combining marks only finds nothing.
        FindCase{"HugeTextIsCut", QString(300, u'x'), "f", "Nenhuma ocorrência", {}},
        FindCase{"CombiningMarksOnly", QString::fromUtf8("\u0301\u0301\u0327"), "f", "Nenhuma ocorrência", {}}),
    [](const ::testing::TestParamInfo<FindCase>& info) { return std::string(info.param.name); });

// While the report is still read, the count goes on with the rows that
// arrive, and says so.
TEST_F(ScreenReports, PreviewFindCountsWhileReading) {
    AddReport("Devagar", kTrickling);
    Interactive();
    QString first;
    QString later;
    QString stepped;
    answer = [&](QDialog& dialog) {
        auto* preview = qobject_cast<ReportPreview*>(&dialog);
        if (!preview) return int(QDialog::Rejected);
        ShowActive(*preview);
        EXPECT_TRUE(QTest::qWaitFor([&] { return preview->Pages().PagesPainted() > 0; }));
        QTest::keyClick(&preview->Pages(), Qt::Key_F, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), "SISTEMA 0");
        EXPECT_TRUE(QTest::qWaitFor([&] { return preview->FindStatus().contains("ocorrências"); }, 20000));
        first = preview->FindStatus();
        EXPECT_TRUE(QTest::qWaitFor([&] { return preview->FindStatus() != first; }, 20000));
        later = preview->FindStatus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
        stepped = preview->FindStatus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTest::keyClick(&preview->Pages(), Qt::Key_Escape);
        return preview->result();
    };
    TfrmLimpDados& s = OpenFor("Devagar");
    QTest::mouseClick(s.sbtPreview, Qt::LeftButton);
    EXPECT_TRUE(first.endsWith(" ocorrências até agora")) << first.toStdString();
    const auto count = [](const QString& text) { return text.section(' ', 0, 0).remove('.').toInt(); };
    EXPECT_GT(count(later), count(first)) << later.toStdString();
    EXPECT_TRUE(stepped.startsWith("ocorrência 1 de ") && stepped.endsWith(" até agora")) << stepped.toStdString();
}

// Answers the preview: once every page is laid out, presses `keys` in it,
// then Esc. Any other dialog: Cancel.
int PressInPreview(QDialog& dialog, const std::function<void(PreviewPages&)>& keys) {
    auto* preview = qobject_cast<ReportPreview*>(&dialog);
    if (!preview) return int(QDialog::Rejected);
    ShowActive(*preview);
    EXPECT_TRUE(QTest::qWaitFor([&] { return PrintAction(*preview)->isEnabled(); }));
    keys(preview->Pages());
    QTest::keyClick(&preview->Pages(), Qt::Key_Escape);
    return preview->result();
}

// Salvar em PDF from the preview's keys offers the report's title and its
// period as the file's name, the title alone for a report without dates.
struct PdfName {
    const char* title;
    const char* sql;  // nullptr: the installed report's own
    const char* offered;
};

void PrintTo(const PdfName& n, std::ostream* os) { *os << n.offered; }

class PreviewPdfName : public ScreenReports, public ::testing::WithParamInterface<PdfName> {};

TEST_P(PreviewPdfName, CtrlSOffersTheTitleAndPeriod) {
    Interactive();
    if (GetParam().sql) AddReport(GetParam().title, GetParam().sql);
    QString offered;
    answer = [&](QDialog& dialog) {
        if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
            offered = QFileInfo(files->selectedFiles().value(0)).fileName();
            return int(QDialog::Rejected);
        }
        return PressInPreview(dialog, [](PreviewPages& pages) {
            QTest::keyClick(&pages, Qt::Key_S, Qt::ControlModifier);
        });
    };
    TfrmLimpDados& s = OpenFor(GetParam().title, "01032025", "31032025");
    QTest::mouseClick(s.sbtPreview, Qt::LeftButton);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    EXPECT_EQ(offered, GetParam().offered);
    EXPECT_EQ(reportsDone, QStringList({"preview"})) << "a cancelled save writes nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Names, PreviewPdfName,
    ::testing::Values(PdfName{"Limpeza de Dados - Detalhado", nullptr,
                              "Limpeza de Dados - Detalhado 2025-03-01 a 2025-03-31.pdf"},
                      PdfName{"Totais sem datas",
                              "SELECT 'x' AS SISTEMA, 1 AS LIMPEZAS, 2 AS REGISTROS",
                              "Totais sem datas.pdf"}));

int PdfPageCount(const QString& file) {
    QProcess process;
    process.start("pdfinfo", {file});
    if (!process.waitForFinished(60000)) return -1;
    static const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)"),
                                          QRegularExpression::MultilineOption);
    return pages.match(QString::fromUtf8(process.readAllStandardOutput())).captured(1).toInt();
}

// The pages Salvar em PDF writes, chosen from the keyboard under the file
// fields with the preview on its third page: all, the page on view, a range,
// and ranges typed backwards or past the last page, which the fields bring
// back inside the report.
struct PdfPages {
    const char* name;
    std::function<void(QFileDialog&)> choose;
    std::function<std::pair<int, int>(int pages)> expected;
};

void PrintTo(const PdfPages& p, std::ostream* os) { *os << p.name; }

class PreviewPdfPages : public ScreenReports, public ::testing::WithParamInterface<PdfPages> {};

QSpinBox* PageField(QFileDialog& files, const char* name) {
    for (QSpinBox* field : files.findChildren<QSpinBox*>())
        if (field->accessibleName() == name) return field;
    return nullptr;
}

// A choice's key: the button it names is pressed as a click is, a moment
// later.
void Choose(QFileDialog& files, Qt::Key key) {
    QTest::keyClick(&files, key, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        auto* chosen = qobject_cast<QRadioButton*>(QApplication::focusWidget());
        return chosen && chosen->isChecked();
    }));
}

void TypeInto(QSpinBox* field, const QString& text) {
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, text);
}

TEST_P(PreviewPdfPages, WritesExactlyThePagesChosen) {
    if (QStandardPaths::findExecutable("pdfinfo").isEmpty())
        GTEST_SKIP() << "pdfinfo não instalado";
    Interactive();
    QTemporaryDir folder;
    const QString target = folder.filePath("paginas.pdf");
    int pages = 0;
    answer = [&](QDialog& dialog) {
        if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
            files->selectFile(target);
            ShowActive(*files);
            GetParam().choose(*files);
            files->hide();
            return int(QDialog::Accepted);
        }
        return PressInPreview(dialog, [&](PreviewPages& shown) {
            pages = shown.PageCount();
            QTest::keyClick(&shown, Qt::Key_PageDown);
            QTest::keyClick(&shown, Qt::Key_PageDown);
            QTest::keyClick(&shown, Qt::Key_S, Qt::ControlModifier);
        });
    };
    TfrmLimpDados& s = OpenFor("Limpeza de Dados - Detalhado");
    QTest::mouseClick(s.sbtPreview, Qt::LeftButton);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    ASSERT_EQ(reportsDone, QStringList({"pdf", "preview"}));
    ASSERT_GT(pages, 5);
    const auto [first, last] = GetParam().expected(pages);
    EXPECT_EQ(PdfPageCount(target), last - first + 1);
    EXPECT_TRUE(
        PdfText(target, 1).contains(QStringLiteral("Página %1 de %2").arg(first).arg(pages)))
        << PdfText(target, 1).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Choices, PreviewPdfPages,
    ::testing::Values(PdfPages{"Todas", [](QFileDialog&) {},
                               [](int pages) { return std::pair(1, pages); }},
                      PdfPages{"PaginaAtual", [](QFileDialog& files) { Choose(files, Qt::Key_U); },
                               [](int) { return std::pair(3, 3); }},
                      PdfPages{"Intervalo",
                               [](QFileDialog& files) {
                                   Choose(files, Qt::Key_G);
                                   TypeInto(PageField(files, "Da página"), "2");
                                   TypeInto(PageField(files, "Até a página"), "4");
                               },
                               [](int) { return std::pair(2, 4); }},
                      PdfPages{"DeTrasParaFrente",
                               [](QFileDialog& files) {
                                   TypeInto(PageField(files, "Da página"), "5");
                                   TypeInto(PageField(files, "Até a página"), "2");
                               },
                               [](int) { return std::pair(2, 2); }},
                      PdfPages{"AlemDaUltima",
                               [](QFileDialog& files) {
                                   TypeInto(PageField(files, "Da página"), "3");
                                   QSpinBox* to = PageField(files, "Até a página");
                                   for (int i = 0; i < 50; ++i) QTest::keyClick(to, Qt::Key_PageUp);
                               },
                               [](int pages) { return std::pair(3, pages); }}),
    [](const ::testing::TestParamInfo<PdfPages>& info) { return std::string(info.param.name); });

// F1 in the preview opens the help of the screen it came from, while the
// preview stays open.
TEST_F(ScreenReports, F1InThePreviewAsksForTheScreensTopic) {
    Interactive();
    bool stillOpen = false;
    answer = [&](QDialog& dialog) {
        return PressInPreview(dialog, [&](PreviewPages& pages) {
            QTest::keyClick(&pages, Qt::Key_F1);
            stillOpen = pages.isVisible();
        });
    };
    TfrmLimpDados& s = OpenFor("Limpeza de Dados - Detalhado");
    QTest::mouseClick(s.sbtPreview, Qt::LeftButton);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    EXPECT_EQ(helpRequests, QStringList({"Cmphelp.hlp#10404900"}));
    EXPECT_TRUE(stillOpen);
}

// ---------------------------------------------------------------------------
// The preview's side panel: thumbnails and the report's outline, by keys.

// Seven systems of 120 rows each, a few pages apiece.
const char* const kSevenSystems =
    "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 839) "
    "SELECT 'Sistema ' || (i / 120) AS SISTEMA, i AS LIMPEZAS, 0 AS REGISTROS FROM n";

// The preview's lists, by the names screen readers read.
QListView* PanelList(const ReportPreview& preview, const QString& name) {
    for (auto* list : preview.findChildren<QListView*>())
        if (list->accessibleName() == name) return list;
    return nullptr;
}

QString Outline(const ReportPreview& preview, int row) {
    const QAbstractItemModel* model = PanelList(preview, "Sumário do relatório")->model();
    return model->index(row, 0).data().toString();
}

class SidePanel : public ScreenReports {
protected:
    // A report of the screen's code grouped by system.
    void AddGroupedReport(const QString& title, const QString& sql) {
        AddReport(title, sql);
        const QString file = QDir(reportsDir.path()).filePath("RCL047_" + QString::number(qHash(title)) + ".rpt");
        ReportDefinition report = ReportDefinition::Read(file);
        report.groupField = "SISTEMA";
        report.Write(file);
    }
    // The page of the PDF of `title` whose text first holds `text`.
    int PdfPageHolding(const QString& title, const QString& text) {
        IntoFolder();
        QTest::mouseClick(OpenFor(title).sbtPreview, Qt::LeftButton);
        CloseScreen();
        EXPECT_EQ(filesDone.size(), 1);
        for (int page = 1; page < 100 && !filesDone.isEmpty(); ++page) {
            const QString shown = PdfText(filesDone.last(), page);
            if (shown.isEmpty()) break;
            if (shown.contains(text)) return page;
        }
        return 0;
    }
};

// How a person reaches an entry of the outline once the panel shows and has
// the focus.
struct OutlineJump {
    const char* name;
    std::function<void(QListView& outline)> reach;
    const char* system;  // the system reached
};

void PrintTo(const OutlineJump& j, std::ostream* os) { *os << j.name; }

class PreviewOutline : public SidePanel, public ::testing::WithParamInterface<OutlineJump> {};

// F4 shows the panel, F6 takes the focus there, Alt+S the outline; the entry
// reached turns the pages to where its system's heading is, highlighted.
TEST_P(PreviewOutline, TurnsToThePageWhereTheSystemStarts) {
    AddGroupedReport("Sistemas", kSevenSystems);
    const QString system = GetParam().system;
    const int expected = PdfPageHolding("Sistemas", "Sistema: " + system);
    ASSERT_GT(expected, 2) << "the system starts past the first pages";
    Interactive();
    int current = 0;
    int highlighted = 0;
    QString entry;
    answer = [&](QDialog& dialog) {
        return PressInPreview(dialog, [&](PreviewPages& pages) {
            auto& preview = *qobject_cast<ReportPreview*>(pages.window());
            QTest::keyClick(&pages, Qt::Key_F4);
            QApplication::processEvents();  // the window makes room for the panel
            QTest::keyClick(&pages, Qt::Key_F6);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
            auto* outline = qobject_cast<QListView*>(QApplication::focusWidget());
            EXPECT_TRUE(outline && outline->accessibleName() == "Sumário do relatório");
            if (!outline) return;
            GetParam().reach(*outline);
            QApplication::processEvents();
            current = pages.CurrentPage();
            highlighted = pages.HighlightedPage();
            entry = outline->currentIndex().data().toString();
            EXPECT_EQ(Outline(preview, 0), "Sistema 0 — página 1");
            EXPECT_EQ(outline->model()->rowCount(), 7);
        });
    };
    QTest::mouseClick(OpenFor("Sistemas").sbtPreview, Qt::LeftButton);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    EXPECT_EQ(current, expected);
    EXPECT_EQ(highlighted, expected) << "the heading highlighted";
    EXPECT_EQ(entry, QString("%1 — página %2").arg(system).arg(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, PreviewOutline,
    ::testing::Values(
        OutlineJump{"ThirdByArrowsAndEnter",
                    [](QListView& outline) {
                        QTest::keyClick(&outline, Qt::Key_Down);
                        QTest::keyClick(&outline, Qt::Key_Down);
                        QTest::keyClick(&outline, Qt::Key_Return);
                    },
                    "Sistema 2"},
        // PgDn moves in the list, not the pages (the preview's key elsewhere).
        OutlineJump{"LastByPgDn",
                    [](QListView& outline) {
                        QTest::keyClick(&outline, Qt::Key_PageDown);
                        QTest::keyClick(&outline, Qt::Key_Enter);
                    },
                    "Sistema 6"},
        OutlineJump{"FourthByClick",
                    [](QListView& outline) {
                        const QRect place = outline.visualRect(outline.model()->index(3, 0));
                        QTest::mouseClick(outline.viewport(), Qt::LeftButton, {}, place.center());
                    },
                    "Sistema 3"}),
    [](const ::testing::TestParamInfo<OutlineJump>& info) { return std::string(info.param.name); });

// The thumbnails of thousands of pages: only those in view are painted, and
// activating one turns the pages to it; the page on view is the one
// selected.
struct ThumbnailTurn {
    const char* name;
    std::function<void(QListView& thumbnails)> activate;
    std::function<int(int pages)> page;  // the page turned to
};

void PrintTo(const ThumbnailTurn& t, std::ostream* os) { *os << t.name; }

class PreviewThumbnails : public SidePanel, public ::testing::WithParamInterface<ThumbnailTurn> {};

TEST_P(PreviewThumbnails, PaintOnlyThoseInViewAndTurnThePages) {
    AddReport("Milhares", kThousandsOfPages);
    Interactive();
    int painted = -1;
    int pageCount = 0;
    int current = 0;
    int selected = 0;
    answer = [&](QDialog& dialog) {
        return PressInPreview(dialog, [&](PreviewPages& pages) {
            auto& preview = *qobject_cast<ReportPreview*>(pages.window());
            pageCount = pages.PageCount();
            // Activated at once, before the window makes room for the panel:
            // the pages, narrowed then, stay on the page turned to.
            QTest::keyClick(&pages, Qt::Key_F4);
            QTest::keyClick(&pages, Qt::Key_F6);
            auto* thumbnails = qobject_cast<QListView*>(QApplication::focusWidget());
            EXPECT_TRUE(thumbnails && thumbnails->accessibleName() == "Miniaturas das páginas");
            if (!thumbnails) return;
            EXPECT_EQ(thumbnails->currentIndex().data(Qt::AccessibleTextRole).toString(), "Página 1");
            GetParam().activate(*thumbnails);
            thumbnails->viewport()->repaint();
            QApplication::processEvents();
            current = pages.CurrentPage();
            painted = preview.SidePanel().ThumbnailsPainted();
            // Back to the pages: turning them moves the selection along.
            QTest::keyClick(thumbnails, Qt::Key_F6);
            EXPECT_TRUE(pages.hasFocus());
            QTest::keyClick(&pages, Qt::Key_Home, Qt::ControlModifier);
            selected = thumbnails->currentIndex().row() + 1;
        });
    };
    QTest::mouseClick(OpenFor("Milhares").sbtPreview, Qt::LeftButton);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    ASSERT_GT(pageCount, 1000);
    EXPECT_EQ(current, GetParam().page(pageCount));
    EXPECT_GT(painted, 0);
    EXPECT_LE(painted, 30) << "thumbnails painted for " << pageCount << " pages";
    EXPECT_EQ(selected, 1) << "Ctrl+Home in the pages selects the first thumbnail";
}

INSTANTIATE_TEST_SUITE_P(
    Table, PreviewThumbnails,
    ::testing::Values(
        ThumbnailTurn{"LastByEndAndEnter",
                      [](QListView& thumbnails) {
                          QTest::keyClick(&thumbnails, Qt::Key_End);
                          QTest::keyClick(&thumbnails, Qt::Key_Return);
                      },
                      [](int pages) { return pages; }},
        ThumbnailTurn{"ThirdByClick",
                      [](QListView& thumbnails) {
                          QTest::keyClick(&thumbnails, Qt::Key_Down);
                          QTest::keyClick(&thumbnails, Qt::Key_Down);
                          const QRect place = thumbnails.visualRect(thumbnails.currentIndex());
                          QTest::keyClick(&thumbnails, Qt::Key_Up);
                          QTest::mouseClick(thumbnails.viewport(), Qt::LeftButton, {}, place.center());
                      },
                      [](int) { return 3; }}),
    [](const ::testing::TestParamInfo<ThumbnailTurn>& info) { return std::string(info.param.name); });

// The outline of a report still read lists the systems laid out so far, and
// grows as more arrive.
TEST_F(SidePanel, OutlineGrowsWhileTheReportIsRead) {
    AddGroupedReport("Devagar", kTrickling);
    Interactive();
    int first = 0;
    int later = 0;
    bool reading = false;
    QString firstEntry;
    answer = [&](QDialog& dialog) {
        auto* preview = qobject_cast<ReportPreview*>(&dialog);
        if (!preview) return int(QDialog::Rejected);
        ShowActive(*preview);
        QTest::keyClick(&preview->Pages(), Qt::Key_F4);
        QTest::keyClick(&preview->Pages(), Qt::Key_S, Qt::AltModifier);
        const QAbstractItemModel* outline = PanelList(*preview, "Sumário do relatório")->model();
        EXPECT_TRUE(QTest::qWaitFor([&] { return outline->rowCount() > 0; }, 20000));
        first = outline->rowCount();
        firstEntry = Outline(*preview, 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return outline->rowCount() > first; }, 20000));
        later = outline->rowCount();
        reading = !PrintAction(*preview)->isEnabled();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        return preview->result();
    };
    QTest::mouseClick(OpenFor("Devagar").sbtPreview, Qt::LeftButton);
    EXPECT_GT(first, 0);
    EXPECT_GT(later, first);
    EXPECT_TRUE(reading) << "still read when the outline grew";
    EXPECT_EQ(firstEntry, "Sistema 0 — página 1");
}

// Shown in one preview, with the outline: so the next preview opens.
TEST_F(SidePanel, ShownAndItsTabAreRememberedForTheNextPreview) {
    AddGroupedReport("Sistemas", kSevenSystems);
    QTemporaryDir state;
    HostConfig::Instance().previewStateFile = state.filePath("rclhost/visualizacao.json");
    Interactive();
    QList<bool> shown;
    QStringList tabs;
    int previews = 0;
    answer = [&](QDialog& dialog) {
        return PressInPreview(dialog, [&](PreviewPages& pages) {
            auto& panel = qobject_cast<ReportPreview*>(pages.window())->SidePanel();
            shown << panel.isVisible();
            tabs << panel.tabText(panel.currentIndex()).remove('&');
            if (previews++ == 0) {
                QTest::keyClick(&pages, Qt::Key_F4);
                QTest::keyClick(&pages, Qt::Key_S, Qt::AltModifier);
            }
        });
    };
    TfrmLimpDados& s = OpenFor("Sistemas");
    QTest::mouseClick(s.sbtPreview, Qt::LeftButton);
    QTest::mouseClick(s.sbtPreview, Qt::LeftButton);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    EXPECT_EQ(shown, (QList<bool>{false, true}));
    EXPECT_EQ(tabs, (QStringList{"Páginas", "Sumário"}));
}

}  // namespace
