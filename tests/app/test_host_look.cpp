// The host application as its users see it: Qt's own dialogs and menus in
// Portuguese, the host's icon on its windows, and the help key opening the
// screen's page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <memory>
#include <utility>

#include "Forms.h"
#include "HelpWindow.h"
#include "HostConfig.h"
#include "HostLocale.h"
#include "HostWindow.h"
#include "SysUtils.h"

namespace {

TEST(HostPortuguese, QtsOwnDialogsWindowMenuAndDatesSpeakBrazilianPortuguese) {
    ASSERT_TRUE(UseBrazilianPortuguese()) << "Qt's pt_BR translations are not installed";
    QMessageBox box(QMessageBox::Question, "t", "x",
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    QMdiSubWindow screen;
    QStringList menu;
    for (const QAction* action : screen.systemMenu()->actions())
        if (!action->isSeparator()) menu << action->text();
    const struct {
        const char* what;
        QString shown, expected;
    } texts[] = {
        {"message box", box.button(QMessageBox::Cancel)->text(), "Cancelar"},
        {"message box", box.button(QMessageBox::Yes)->text(), "&Sim"},
        {"file dialog", files.labelText(QFileDialog::FileName), "&Nome do arquivo:"},
        {"file dialog", files.labelText(QFileDialog::LookIn), "Procurar em:"},
        {"window menu", menu.join(" | "),
         "&Restaurar | &Mover | &Tamanho | Mi&nimizar | Ma&ximizar | Sempre &visível | Fe&char"},
        {"month", QLocale().monthName(3), "março"},
        {"number", QLocale().toString(1234.5), "1.234,5"},
    };
    for (const auto& t : texts) EXPECT_EQ(t.shown, t.expected) << t.what;
}

// The host's main window, with the help folder given and messages kept.
class HostLook : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = HostConfig::Instance();
        HostConfig::Instance().helpDir = QStringLiteral(HELP_DIR);
        Application->SetMessageHook([this](TMsgDlgType, const QString& text) { messages << text; });
        window = std::make_unique<HostWindow>();
        window->show();
    }
    void TearDown() override {
        window.reset();
        Application->SetMdiArea(nullptr);
        Application->SetMessageHook(nullptr);
        HostConfig::Instance() = saved_;
    }

    // A screen in the host's MDI area with the data cleanup screen's help topic.
    std::unique_ptr<TForm> OpenScreen() {
        auto screen = std::make_unique<TForm>();
        screen->SetFormStyle(fsMDIChild);
        screen->SetBorderStyle(bsSingle);
        screen->SetHelpFile("Cmphelp.hlp");
        screen->SetHelpContext(10404900);
        screen->Show();
        return screen;
    }

    std::unique_ptr<HostWindow> window;
    QStringList messages;

private:
    HostConfig saved_;
};

TEST_F(HostLook, HostsSvgIconIsDrawnOnItsScreensTitleBars) {
    QApplication::setWindowIcon(QIcon(QStringLiteral(HOST_ICON)));  // as the host's main does
    const QImage host = QApplication::windowIcon().pixmap(16, 16).toImage();
    const std::unique_ptr<TForm> screen = OpenScreen();
    const QImage shown = screen->SubWindow()->windowIcon().pixmap(16, 16).toImage();
    QApplication::setWindowIcon(QIcon());
    ASSERT_FALSE(host.isNull()) << "the SVG icon cannot be drawn (Qt's SVG plugin missing?)";
    EXPECT_EQ(shown, host);
}

TEST_F(HostLook, F1OnAScreenOpensItsPageInTheHelpWindow) {
    const std::unique_ptr<TForm> screen = OpenScreen();
    QTest::keyClick(screen.get(), Qt::Key_F1);
    ASSERT_NE(window->Help(), nullptr);
    EXPECT_TRUE(window->Help()->isVisible());
    EXPECT_EQ(window->Help()->windowTitle(), "Ajuda - Relatório de Limpeza de Dados (RCL04700)");
    const QString page = window->Help()->PageText();
    for (const char* subject : {"Data da Limpeza", "Inicial", "Final", "Sistema", "Todas", "Lista",
                                "Relatório", "Visualizar", "Imprimir", "Salvar como", "Visualização",
                                "Ctrl+G", "Salvar em PDF", "Ctrl+F4", "Ctrl+Q"})
        EXPECT_TRUE(page.contains(QString::fromUtf8(subject))) << subject;
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

// The report preview is a window beside the host's (TApplication::ShowWindow):
// the help asked for from it (F1) can be scrolled and read while it is open,
// and stays with the host after it.
TEST_F(HostLook, HelpAskedFromAPreviewCanBeScrolledWhileItIsOpen) {
    const std::unique_ptr<TForm> screen = OpenScreen();
    QPointer<QDialog> preview = new QDialog(nullptr, Qt::Window);  // as the preview is shown
    preview->setAttribute(Qt::WA_DeleteOnClose);
    Application->ShowWindow(*preview);
    ASSERT_TRUE(window->ShowHelp("Cmphelp.hlp", 10404900));
    HelpWindow* help = window->Help();
    help->resize(300, 200);  // small enough that the page scrolls
    ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
    auto* page = help->findChild<QTextBrowser*>();
    page->setFocus();
    QTest::keyClick(help->windowHandle(), Qt::Key_PageDown);
    EXPECT_GT(page->verticalScrollBar()->value(), 0) << "the keys reached the help";
    EXPECT_TRUE(preview->isVisible()) << "the preview stays open beside it";
    QTest::keyClick(preview, Qt::Key_Escape);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(preview.isNull());
    ASSERT_EQ(window->Help(), help) << "the help outlives the preview";
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

// Quitting the host (its window closed: Sair, Alt+F4) closes the previews
// left open, without asking, and frees them at once.
TEST_F(HostLook, QuittingClosesThePreviewsLeftOpen) {
    QList<QPointer<QDialog>> previews;
    for (int i = 0; i < 2; ++i) {
        previews << new QDialog(nullptr, Qt::Window);
        previews.last()->setAttribute(Qt::WA_DeleteOnClose);
        Application->ShowWindow(*previews.last());
    }
    EXPECT_TRUE(window->close());
    for (const QPointer<QDialog>& preview : previews) EXPECT_TRUE(preview.isNull());
    EXPECT_TRUE(Application->Windows().isEmpty());
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

TEST_F(HostLook, MissingTopicIsReportedAndLeavesTheShownPageAlone) {
    ASSERT_TRUE(window->ShowHelp("Cmphelp.hlp", 10404900));
    EXPECT_FALSE(window->ShowHelp("Cmphelp.hlp", 1));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("tópico 1 do arquivo de ajuda \"Cmphelp.hlp\""))
        << messages[0].toStdString();
    EXPECT_EQ(window->Help()->PageTitle(), "Relatório de Limpeza de Dados (RCL04700)");
}

// Esc closes the help window, from the page too; the window opens within the
// screen's available area even when the main window leaves no room beside it.
TEST_F(HostLook, HelpWindowOpensOnTheScreenAndEscClosesIt) {
    const QRect available = window->screen()->availableGeometry();
    window->setGeometry(QRect(available.topLeft(), available.size()));
    ASSERT_TRUE(window->ShowHelp("Cmphelp.hlp", 10404900));
    EXPECT_TRUE(available.contains(window->Help()->frameGeometry()))
        << window->Help()->frameGeometry().x() << "," << window->Help()->frameGeometry().width();
    QTest::keyClick(window->Help()->findChild<QTextBrowser*>(), Qt::Key_Escape);
    EXPECT_FALSE(window->Help()->isVisible());
}

struct Placement {
    const char* name;
    QRect main, available, expected;
};

class HelpPlacement : public ::testing::TestWithParam<Placement> {};

TEST_P(HelpPlacement, BesideTheMainWindowAndInsideTheAvailableArea) {
    const QRect placed = HelpWindow::PlaceBeside(GetParam().main, GetParam().available, QSize(640, 560));
    EXPECT_EQ(placed, GetParam().expected);
    EXPECT_TRUE(GetParam().available.contains(placed));
}

// the main window | the screen's available area | where the help goes
INSTANTIATE_TEST_SUITE_P(
    Table, HelpPlacement,
    ::testing::Values(
        Placement{"RoomOnTheRight", {0, 0, 600, 700}, {0, 0, 1280, 800}, {600, 0, 640, 560}},
        Placement{"RoomOnlyOnTheLeft", {700, 100, 580, 600}, {0, 0, 1280, 800}, {60, 100, 640, 560}},
        Placement{"MainFillsTheScreen", {0, 0, 1280, 800}, {0, 0, 1280, 800}, {640, 0, 640, 560}},
        Placement{"LowOnTheScreen", {0, 500, 600, 300}, {0, 0, 1280, 800}, {600, 240, 640, 560}},
        Placement{"PanelAtTheTop", {0, 0, 600, 700}, {0, 30, 1280, 770}, {600, 30, 640, 560}},
        Placement{"ScreenSmallerThanTheWindow", {0, 0, 300, 300}, {0, 0, 600, 400}, {0, 0, 600, 400}},
        Placement{"SecondScreen", {1300, 0, 600, 700}, {1280, 0, 1280, 800}, {1900, 0, 640, 560}}),
    [](const ::testing::TestParamInfo<Placement>& info) { return std::string(info.param.name); });

// A help folder holding what a person may have put there, and the message
// each request gets.
struct BadTopic {
    const char* file;
    int context;
    const char* message;
};

void PrintTo(const BadTopic& t, std::ostream* os) { *os << t.file << " #" << t.context; }

class HelpTopics : public ::testing::TestWithParam<BadTopic> {
protected:
    void SetUp() override {
        QDir root(folder.path());
        root.mkpath("cmphelp/20.html");  // a folder where a page should be
        QFile big(root.filePath("cmphelp/30.html"));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        big.write(QByteArray(1024 * 1024 + 1, 'x'));
        QFile outside(root.filePath("segredo.html"));
        ASSERT_TRUE(outside.open(QIODevice::WriteOnly));
        outside.write("<p>fora da ajuda</p>");
    }
    QTemporaryDir folder;
};

TEST_P(HelpTopics, AreReportedInPortugueseNamingWhatWasAskedFor) {
    try {
        ReadHelpTopic(folder.path(), GetParam().file, GetParam().context);
        ADD_FAILURE() << "a page was read";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().contains(QString::fromUtf8(GetParam().message)))
            << e.Message().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    MissingFolderTooBigOrOutside, HelpTopics,
    ::testing::Values(
        BadTopic{"Cmphelp.hlp", 10,
                 "o tópico 10 do arquivo de ajuda \"Cmphelp.hlp\" não foi encontrado"},
        BadTopic{"Outro.hlp", 10404900, "não foi encontrado"},
        BadTopic{"Cmphelp.hlp", 20, "20.html\" não pôde ser lida: é uma pasta"},
        BadTopic{"Cmphelp.hlp", 30, "passa do limite de 1.048.576 bytes"},
        BadTopic{"../segredo.hlp", 1, "não foi encontrado"},
        BadTopic{"Cmphelp.hlp", 0, "não foi encontrado"}));

// Invented data never passes for the company's: the window says so.
class HostTitle : public ::testing::TestWithParam<std::pair<bool, const char*>> {};

TEST_P(HostTitle, SaysWhenTheReportsReadTheSample) {
    const HostConfig saved = HostConfig::Instance();
    HostConfig::Instance().sampleDatabase = GetParam().first;
    const std::unique_ptr<HostWindow> window = std::make_unique<HostWindow>();
    HostConfig::Instance() = saved;
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8(GetParam().second));
    Application->SetMdiArea(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Table, HostTitle,
                         ::testing::Values(std::pair{true, "Gestão Empresarial — dados de demonstração"},
                                           std::pair{false, "Gestão Empresarial"}));

}  // namespace
