#pragma once

#include <QMainWindow>
#include <QMdiArea>
#include <memory>
#include <vector>

#include "ModuleLoader.h"

// The host's main window: an MDI area for the modules' screens, a menu with
// one entry per loaded module (with its version), a window menu, and an about
// box. Choosing a module calls its IniProc; an error it raises is shown.
class HostWindow : public QMainWindow {
    Q_OBJECT
public:
    HostWindow();
    QMdiArea* MdiArea() const { return mdiArea_; }

    // Loads a module and lists it in the menu; throws Exception on failure.
    LoadedModule& AddModule(const QString& path);
    const std::vector<std::unique_ptr<LoadedModule>>& Modules() const { return modules_; }
    // The loaded module of that name (file name without extension), or nullptr.
    LoadedModule* FindModule(const QString& name) const;
    // Calls the module's IniProc; errors become messages.
    void OpenModule(const LoadedModule& module);

private:
    void ShowAbout();

    QMdiArea* mdiArea_;
    QMenu* modulesMenu_;
    std::vector<std::unique_ptr<LoadedModule>> modules_;
};
