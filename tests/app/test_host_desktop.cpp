// The host's main window as a desktop program: its keys and menus, driven
// from the keyboard, and the size and place it keeps between runs.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "Forms.h"
#include "HostWindow.h"
#include "WindowPlacement.h"

namespace {

class HostDesktop : public ::testing::Test {
protected:
    void SetUp() override { Open(); }
    void TearDown() override {
        window.reset();
        Application->SetMdiArea(nullptr);
    }
    void Open() {
        window.reset();
        window = std::make_unique<HostWindow>();
        window->RememberPlacement(PlacementFile());
        window->show();
        QApplication::setActiveWindow(window.get());
    }
    QString PlacementFile() const { return state.filePath("rclhost/janela"); }

    // A screen in the host whose OnClose answers `action`.
    TForm* OpenScreen(const QString& caption, TCloseAction action = caFree) {
        auto* screen = new TForm;
        screen->SetFormStyle(fsMDIChild);
        screen->SetBorderStyle(bsSingle);
        screen->SetCaption(caption);
        screen->OnClose = [action](TObject*, TCloseAction& answer) { answer = action; };
        screen->Show();
        return screen;
    }
    void Press(QWidget* where, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(where, key, modifiers);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The items of the menu open on screen, as shown.
    static QStringList OpenMenuItems() {
        QStringList items;
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
            for (const QAction* item : menu->actions())
                if (!item->isSeparator()) items << item->text() + (item->isChecked() ? " (v)" : "");
        return items;
    }

    QTemporaryDir state;
    std::unique_ptr<HostWindow> window;
};

// Ctrl+F4 and Sair (Ctrl+Q) close screens the way their close button does:
// the screen's OnClose decides, and a screen that stays keeps the host open.
struct CloseKey {
    const char* name;
    Qt::KeyboardModifiers modifiers;
    Qt::Key key;
    TCloseAction action;
    bool screenLeft;  // still there (shown or minimised)
    bool hostOpen;
};

void PrintTo(const CloseKey& row, std::ostream* os) { *os << row.name; }

class HostCloseKeys : public HostDesktop, public ::testing::WithParamInterface<CloseKey> {};

TEST_P(HostCloseKeys, CloseThroughTheScreensOwnClosePath) {
    const CloseKey& row = GetParam();
    QPointer<TForm> other = OpenScreen("Outra", caFree);
    other->SubWindow()->showMinimized();  // asked all the same
    QPointer<TForm> screen = OpenScreen("Tela", row.action);
    ASSERT_EQ(window->MdiArea()->activeSubWindow(), screen->SubWindow());
    Press(screen, row.key, row.modifiers);
    EXPECT_EQ(!screen.isNull() && screen->SubWindow() && screen->SubWindow()->isVisible(),
              row.screenLeft);
    EXPECT_EQ(window->isVisible(), row.hostOpen);
    // Ctrl+F4 closes the active screen only; Sair closes the others too,
    // those before a screen that stays included.
    EXPECT_EQ(!other.isNull(), row.key == Qt::Key_F4);
    if (row.action == caMinimize && screen) {
        EXPECT_TRUE(screen->SubWindow()->isMinimized());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostCloseKeys,
    ::testing::Values(
        CloseKey{"CtrlF4Frees", Qt::ControlModifier, Qt::Key_F4, caFree, false, true},
        CloseKey{"CtrlF4Refused", Qt::ControlModifier, Qt::Key_F4, caNone, true, true},
        CloseKey{"CtrlF4Minimises", Qt::ControlModifier, Qt::Key_F4, caMinimize, true, true},
        CloseKey{"CtrlQClosesAll", Qt::ControlModifier, Qt::Key_Q, caFree, false, false},
        CloseKey{"CtrlQRefusedKeepsTheHost", Qt::ControlModifier, Qt::Key_Q, caNone, true, true}),
    [](const ::testing::TestParamInfo<CloseKey>& info) { return std::string(info.param.name); });

TEST_F(HostDesktop, JanelaListsTheOpenScreensCheckingTheActiveAndShowsTheOneChosenByNumber) {
    QPointer<TForm> first = OpenScreen("Relatório & Cia");
    first->SubWindow()->showMinimized();
    OpenScreen("Segunda");
    Press(window.get(), Qt::Key_J, Qt::AltModifier);
    EXPECT_EQ(OpenMenuItems(),
              QStringList({"&Cascata", "&Lado a lado", "&Fechar\tCtrl+F4", "Fechar &todas",
                           "&1 Relatório && Cia", "&2 Segunda (v)"}));
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    Press(QApplication::activePopupWidget(), Qt::Key_1);
    EXPECT_EQ(window->MdiArea()->activeSubWindow(), first->SubWindow());
    EXPECT_FALSE(first->SubWindow()->isMinimized()) << "chosen from the list, a screen is shown";
}

// Every menu, the Janela menu with screens listed, answers each of its
// accelerators with one item only.
TEST_F(HostDesktop, NoMenuHasTwoItemsWithOneAccelerator) {
    for (int i = 1; i <= 12; ++i) OpenScreen(QStringLiteral("Tela %1").arg(i));
    const auto accelerators = [](const QList<QAction*>& items, const QString& menu) {
        QStringList seen;
        for (const QAction* item : items) {
            const QString text = QString(item->text()).replace("&&", "");
            const qsizetype at = text.indexOf('&');
            if (at < 0 || at + 1 >= text.size()) continue;
            const QString key = text.mid(at + 1, 1).toLower();
            EXPECT_FALSE(seen.contains(key))
                << menu.toStdString() << ": " << item->text().toStdString();
            seen << key;
        }
    };
    accelerators(window->menuBar()->actions(), "barra de menus");
    for (QAction* entry : window->menuBar()->actions()) {
        emit entry->menu()->aboutToShow();
        accelerators(entry->menu()->actions(), entry->text());
    }
}

// The window comes back where it was closed, maximised or not.
class HostPlacement : public HostDesktop, public ::testing::WithParamInterface<bool> {};

TEST_P(HostPlacement, IsRememberedFromOneRunToTheNext) {
    const bool maximized = GetParam();
    window->setGeometry(130, 90, 810, 560);
    if (maximized) window->showMaximized();
    const QRect normal = window->normalGeometry();
    Press(window.get(), Qt::Key_Q, Qt::ControlModifier);
    ASSERT_FALSE(window->isVisible());
    Open();
    EXPECT_EQ(window->isMaximized(), maximized);
    EXPECT_EQ(window->normalGeometry().size(), normal.size());
}

INSTANTIATE_TEST_SUITE_P(NormalOrMaximized, HostPlacement, ::testing::Bool());

TEST_F(HostDesktop, FirstStartTakesMostOfTheScreen) {
    const QRect available = window->screen()->availableGeometry();
    EXPECT_EQ(window->size(), FirstSize(available));
    EXPECT_EQ(FirstSize(QRect(0, 0, 1600, 1000)), QSize(1360, 850));
    EXPECT_EQ(FirstSize(QRect(0, 0, 800, 600)), QSize(800, 600));
}

// A screen reader finds the host's menu bar, its menus (as they open, named
// without the '&' of their keys) and the area of the open screens by name.
TEST_F(HostDesktop, ScreenReaderFindsTheMenusAndTheAreaOfTheScreensByName) {
    QStringList named;
    QList<QWidget*> parts = window->findChildren<QWidget*>();
    for (QWidget* part : parts)
        if (QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(part))
            named << QStringLiteral("%1:%2")
                         .arg(int(accessible->role()))
                         .arg(accessible->text(QAccessible::Name));
    for (const QString& expected :
         {QStringLiteral("%1:Menu principal").arg(int(QAccessible::MenuBar)),
          QStringLiteral("%1:Telas abertas").arg(int(QAccessible::LayeredPane)),
          QString::fromUtf8("%1:Módulos").arg(int(QAccessible::PopupMenu)),
          QStringLiteral("%1:Janela").arg(int(QAccessible::PopupMenu))})
        EXPECT_TRUE(named.contains(expected))
            << expected.toStdString() << " em " << named.join(", ").toStdString();
}

}  // namespace
