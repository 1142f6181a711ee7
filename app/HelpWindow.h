#pragma once

#include <QString>
#include <QWidget>

class HelpBrowser;

// The host's help. A topic is one HTML page (UTF-8) in the help folder, found
// by the help file's name and the topic's context number:
//   <help folder>/<file name in lower case, without extension>/<context>.html
// so "Cmphelp.hlp", 10404900 is cmphelp/10404900.html. Only a regular file of
// at most 1 MiB is read (host/BoundedFile.h), and only a file name of
// letters, digits, '_' and '-' is looked for.
struct HelpPage {
    QString path;  // the page's file
    QString html;
};

// The page of a topic; throws Exception with a message in Portuguese naming
// the topic and the folder when there is no such page, or the page and why
// when it cannot be read (a folder, a FIFO or a device is named as such).
HelpPage ReadHelpTopic(const QString& helpDir, const QString& file, int context);

// The window that shows the help pages, one at a time: asking for another
// topic shows it in the same window. Links in a page are not followed. A
// page's images and style sheets are read only from regular files inside the
// help folder (names relative to the page's folder, or absolute ones that lie
// inside), of at most 4 MiB each; anything else (a name that leaves the
// folder, by `..` or by a link, a device, a FIFO, another scheme such as
// http:, or a data: address longer than 1 MiB) is not fetched and the page
// shows without it. Esc closes the window.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the page, whose images and style sheets come from `helpDir`, and
    // brings the window to the front; the window's title is the page's own
    // title. The first time, the window is placed beside its parent (see
    // PlaceBeside).
    void ShowPage(const HelpPage& page, const QString& helpDir);
    // The page's title ("Relatório de Limpeza de Dados (RCL04700)").
    QString PageTitle() const;
    // The page as plain text.
    QString PageText() const;

    // Where the window goes beside a main window at `main` (its frame), on a
    // screen whose available area (without panels and docks) is `available`:
    // to the right of the main window when it fits there, else to its left,
    // else against the available area's right edge; never larger than the
    // available area, and always wholly inside it.
    static QRect PlaceBeside(const QRect& main, const QRect& available, const QSize& size);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Place(const QWidget& main);

    HelpBrowser* browser_;
    bool placed_ = false;
};
