#include "HostWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <cstdio>

#include "AccessibleNames.h"
#include "Forms.h"
#include "HelpWindow.h"
#include "HostConfig.h"
#include "SysUtils.h"
#include "WindowPlacement.h"

HostWindow::HostWindow() : mdiArea_(new QMdiArea(this)) {
    setCentralWidget(mdiArea_);
    mdiArea_->setAccessibleName(QStringLiteral("Telas abertas"));
    menuBar()->setAccessibleName(QStringLiteral("Menu principal"));
    resize(1000, 700);
    modulesMenu_ = menuBar()->addMenu(QStringLiteral("&Módulos"));
    modulesEnd_ = modulesMenu_->addSeparator();
    modulesMenu_->addAction(QStringLiteral("&Sair"), QKeySequence(Qt::CTRL | Qt::Key_Q), this, &QWidget::close);
    windowsMenu_ = menuBar()->addMenu(QStringLiteral("&Janela"));
    connect(windowsMenu_, &QMenu::aboutToShow, this, &HostWindow::ListScreens);
    ListScreens();
    QMenu* help = menuBar()->addMenu(QStringLiteral("Aj&uda"));
    help->addAction(QStringLiteral("&Sobre..."), this, &HostWindow::ShowAbout);
    // Qt names a menu bar's items by their text, but not the menus they open.
    for (QMenu* menu : {modulesMenu_, windowsMenu_, help})
        menu->setAccessibleName(WithoutKeyMark(menu->title()));
    Application->SetMdiArea(mdiArea_);
    Application->SetTitle(QStringLiteral("Gestão Empresarial"));
    // Invented data must never pass for the company's.
    setWindowTitle(HostConfig::Instance().sampleDatabase
                       ? QStringLiteral("Gestão Empresarial — dados de demonstração")
                       : QStringLiteral("Gestão Empresarial"));
    Application->SetHelpHook([this](const QString& file, int context) { ShowHelp(file, context); });
}

HostWindow::~HostWindow() { Application->SetHelpHook(nullptr); }

void HostWindow::RememberPlacement(const QString& file) {
    placementFile_ = file;
    if (RestorePlacement(*this, file)) return;
    const QRect available = screen()->availableGeometry();
    resize(FirstSize(available));
    move(available.center() - rect().center());
}

// The screens come after the fixed items, numbered for the keyboard; the
// list is made again each time the menu opens, so it is never stale.
void HostWindow::ListScreens() {
    windowsMenu_->clear();
    windowsMenu_->addAction(QStringLiteral("&Cascata"), mdiArea_, &QMdiArea::cascadeSubWindows);
    windowsMenu_->addAction(QStringLiteral("&Lado a lado"), mdiArea_, &QMdiArea::tileSubWindows);
    // Ctrl+F4 itself belongs to each screen's window menu (Qt's "Fechar",
    // which closes it as its close button does); a second shortcut here
    // would make the key ambiguous, and then it would do nothing.
    windowsMenu_->addAction(QStringLiteral("&Fechar\tCtrl+F4"), mdiArea_, &QMdiArea::closeActiveSubWindow);
    windowsMenu_->addAction(QStringLiteral("Fechar &todas"), mdiArea_, &QMdiArea::closeAllSubWindows);
    const QList<QMdiSubWindow*> screens = mdiArea_->subWindowList();
    if (screens.isEmpty()) return;
    windowsMenu_->addSeparator();
    int number = 0;
    for (QMdiSubWindow* screen : screens) {
        if (!screen->isVisible()) continue;
        ++number;
        QString title = screen->windowTitle();
        title.replace('&', QStringLiteral("&&"));
        QAction* item = windowsMenu_->addAction(number <= 9 ? QStringLiteral("&%1 %2").arg(number).arg(title) : title);
        item->setCheckable(true);
        item->setChecked(screen == mdiArea_->activeSubWindow());
        connect(item, &QAction::triggered, mdiArea_, [this, screen = QPointer<QMdiSubWindow>(screen)] {
            if (!screen) return;                              // closed meanwhile
            if (screen->isMinimized()) screen->showNormal();  // chosen to be worked in
            mdiArea_->setActiveSubWindow(screen);
        });
    }
}

// Minimised screens are asked too: their OnClose may free them. A screen
// that answers by minimising has let go; one that stays as it was (and not
// minimised) has refused.
bool HostWindow::CloseScreens() {
    for (QMdiSubWindow* screen : mdiArea_->subWindowList()) {
        if (!screen->isVisible()) continue;
        if (!screen->close() && screen->isVisible() && !screen->isMinimized()) return false;
    }
    return true;
}

void HostWindow::closeEvent(QCloseEvent* event) {
    if (!CloseScreens()) {
        event->ignore();
        return;
    }
    Application->CloseWindows();
    if (!placementFile_.isEmpty()) {
        try {
            SavePlacement(*this, placementFile_);
        } catch (const Exception& e) {
            std::fprintf(stderr, "Aviso: o tamanho e a posição da janela não foram guardados: %s\n",
                         qPrintable(e.Message()));
        }
    }
    QMainWindow::closeEvent(event);
}

bool HostWindow::ShowHelp(const QString& file, int context) {
    HelpPage page;
    try {
        page = ReadHelpTopic(HostConfig::Instance().helpDir, file, context);
    } catch (const Exception& e) {
        Application->ShowMessage(mtWarning, e.Message());
        return false;
    }
    if (!help_) help_ = new HelpWindow(this);
    help_->ShowPage(page, HostConfig::Instance().helpDir);
    emit HelpShown(file, context, help_->PageTitle());
    return true;
}

LoadedModule& HostWindow::AddModule(const QString& path) {
    modules_.push_back(std::make_unique<LoadedModule>(path));
    LoadedModule& module = *modules_.back();
    // A module's title is shown as written: an '&' in it is no accelerator.
    auto* item = new QAction(QString(module.Title()).replace('&', QStringLiteral("&&")), modulesMenu_);
    connect(item, &QAction::triggered, this, [this, &module] { OpenModule(module); });
    modulesMenu_->insertAction(modulesEnd_, item);
    return module;
}

LoadedModule* HostWindow::FindModule(const QString& name) const {
    for (const auto& module : modules_)
        if (module->Name() == name) return module.get();
    return nullptr;
}

void HostWindow::OpenModule(const LoadedModule& module) {
    Dispatch([&] { module.Open(); });
}

void HostWindow::ShowAbout() {
    QStringList lines{QStringLiteral("Módulos carregados:")};
    for (const auto& module : modules_) {
        const TModuleVersion* v = module->Version();
        lines << (v ? QStringLiteral("%1 — versão %2 (%3.%4.%5.%6)")
                          .arg(QString::fromUtf8(v->fileDescription), QString::fromUtf8(v->fileVersion))
                          .arg(v->major).arg(v->minor).arg(v->release).arg(v->build)
                    : module->Path());
    }
    Application->ShowMessage(mtInformation, lines.join('\n'));
}
