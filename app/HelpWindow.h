#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

// The host's help. A topic is one HTML page (UTF-8) in the help folder, found
// by the help file's name and the topic's context number:
//   <help folder>/<file name in lower case, without extension>/<context>.html
// so "Cmphelp.hlp", 10404900 is cmphelp/10404900.html. Only a regular file of
// at most 1 MiB is read, and only a file name of letters, digits, '_' and '-'
// is looked for.
//
// The page of a topic; throws Exception with a message in Portuguese naming
// the topic and the folder when there is no such page or it cannot be read.
QString ReadHelpTopic(const QString& helpDir, const QString& file, int context);

// The window that shows the help pages, one at a time: asking for another
// topic shows it in the same window. Links in a page are not followed.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the page and brings the window to the front; the window's title
    // is the page's own title.
    void ShowPage(const QString& html);
    // The page's title ("Relatório de Limpeza de Dados (RCL04700)").
    QString PageTitle() const;
    // The page as plain text.
    QString PageText() const;

private:
    QTextBrowser* browser_;
};
