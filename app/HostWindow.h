#pragma once

#include <QMainWindow>
#include <QMdiArea>
#include <memory>
#include <vector>

#include "ModuleLoader.h"

class HelpWindow;

// The host's main window: an MDI area for the modules' screens, a menu with
// one entry per loaded module (with its version) and "Sair" (Ctrl+Q), a
// window menu ("Janela": cascade, tile, close the active screen with Ctrl+F4,
// close all, then the open screens, the active one checked), and an about
// box. Choosing a module calls its IniProc; an error it raises is shown. A
// screen's help key opens the topic in the host's help window. Screen readers
// find the menu bar as "Menu principal" and the MDI area as "Telas abertas".
//
// Closing the window (Sair, Alt+F4, the desktop's close button) first closes
// every screen as its own close button does; while one stays open (its
// OnClose answered caNone) the host stays open too. Then the windows left
// open beside the screens (previews: TApplication::ShowWindow) close without
// asking, and their reports stop.
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

    // Opens where the placement file says, else at FirstSize in the middle of
    // the screen, and writes the placement there when the window closes (a
    // failure to write is said on standard error: the host is closing).
    // Without this call the window opens at 1000x700 and remembers nothing,
    // as scripted runs need.
    void RememberPlacement(const QString& file);

signals:
    // A help topic has been shown; `title` is its page's title.
    void HelpShown(const QString& file, int context, const QString& title);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowAbout();
    void ListScreens();
    // Closes every screen through its close path; false when one stayed open.
    bool CloseScreens();

    QMdiArea* mdiArea_;
    QMenu* modulesMenu_;
    QAction* modulesEnd_;  // the separator above Sair
    QMenu* windowsMenu_;
    QString placementFile_;
    HelpWindow* help_ = nullptr;
    std::vector<std::unique_ptr<LoadedModule>> modules_;
};
