#pragma once

#include <QMainWindow>
#include <QMdiArea>
#include <memory>
#include <vector>

#include "ModuleLoader.h"

class HelpWindow;

// The host's main window: an MDI area for the modules' screens, a menu with
// one entry per loaded module (with its version), a window menu, and an about
// box. Choosing a module calls its IniProc; an error it raises is shown. A
// screen's help key opens the topic in the host's help window.
class HostWindow : public QMainWindow {
    Q_OBJECT
public:
    HostWindow();
    ~HostWindow() override;
    QMdiArea* MdiArea() const { return mdiArea_; }

    // Shows the help topic from HostConfig's help folder in the help window;
    // a topic that is not there is reported in a message. True when shown.
    bool ShowHelp(const QString& file, int context);
    // The help window, once a topic has been shown.
    HelpWindow* Help() const { return help_; }

    // Loads a module and lists it in the menu; throws Exception on failure.
    LoadedModule& AddModule(const QString& path);
    const std::vector<std::unique_ptr<LoadedModule>>& Modules() const { return modules_; }
    // The loaded module of that name (file name without extension), or nullptr.
    LoadedModule* FindModule(const QString& name) const;
    // Calls the module's IniProc; errors become messages.
    void OpenModule(const LoadedModule& module);

signals:
    // A help topic has been shown; `title` is its page's title.
    void HelpShown(const QString& file, int context, const QString& title);

private:
    void ShowAbout();

    QMdiArea* mdiArea_;
    QMenu* modulesMenu_;
    HelpWindow* help_ = nullptr;
    std::vector<std::unique_ptr<LoadedModule>> modules_;
};
