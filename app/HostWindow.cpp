#include "HostWindow.h"

#include <QMenuBar>
#include <QMessageBox>

#include "Forms.h"
#include "HelpWindow.h"
#include "HostConfig.h"
#include "SysUtils.h"

HostWindow::HostWindow() : mdiArea_(new QMdiArea(this)) {
    setCentralWidget(mdiArea_);
    resize(1000, 700);
    modulesMenu_ = menuBar()->addMenu(QStringLiteral("&Módulos"));
    QMenu* windows = menuBar()->addMenu(QStringLiteral("&Janela"));
    windows->addAction(QStringLiteral("&Cascata"), mdiArea_, &QMdiArea::cascadeSubWindows);
    windows->addAction(QStringLiteral("&Lado a lado"), mdiArea_, &QMdiArea::tileSubWindows);
    windows->addAction(QStringLiteral("&Fechar todas"), mdiArea_, &QMdiArea::closeAllSubWindows);
    QMenu* help = menuBar()->addMenu(QStringLiteral("A&juda"));
    help->addAction(QStringLiteral("&Sobre..."), this, &HostWindow::ShowAbout);
    Application->SetMdiArea(mdiArea_);
    Application->SetTitle(QStringLiteral("Gestão Empresarial"));
    // Invented data must never pass for the company's.
    setWindowTitle(HostConfig::Instance().sampleDatabase
                       ? QStringLiteral("Gestão Empresarial — dados de demonstração")
                       : QStringLiteral("Gestão Empresarial"));
    Application->SetHelpHook([this](const QString& file, int context) { ShowHelp(file, context); });
}

HostWindow::~HostWindow() { Application->SetHelpHook(nullptr); }

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
    modulesMenu_->addAction(module.Title(), this, [this, &module] { OpenModule(module); });
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
