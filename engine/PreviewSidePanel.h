#pragma once

#include <QTabWidget>

#include "HostExport.h"

class QAction;
class QListView;
class PreviewPages;
class ReportJob;
class ThumbnailModel;
class OutlineModel;

// The report preview's side panel, at the left of the pages, with two tabs:
//
// - "Páginas": the pages' thumbnails in one column, each under "Página N".
//   Like the pages (PreviewPages), a thumbnail is painted only when it comes
//   into view, at a small resolution, into a cache of the last few
//   (PageCache), so a report of twenty thousand pages costs the thumbnails
//   in view. The page on view is the one selected, kept in view as the
//   pages turn.
// - "Sumário": the report's outline, one entry a group in the report's
//   order, "<name> — página N" (the name as its heading shows it, N the page
//   where its heading is). Disabled for a report without groups.
//
// Both grow as the report is read (Refresh): the outline lists the groups
// whose heading is on a page laid out so far.
//
// Keys in either list: the arrows, PgUp/PgDn, Home/End (also with Ctrl) move
// in the list, not the pages; Enter, a click or a double click turns the
// preview to that page; an outline entry to its group's heading, highlighted
// as Procurar highlights a row. Alt+P and Alt+S choose a tab and put the focus
// in its list, as Ctrl+Tab does from within. The preview's F4 ("Painel
// lateral", Toggle) shows or hides the panel, leaving the focus where it is
// (hiding it, the focus in it goes to the pages); F6 (SwitchFocus) moves
// the focus between the panel and the pages.
//
// Hidden at first. Whether it shows and which tab is kept across runs in
// HostConfig::previewStateFile, JSON such as {"painel": true, "aba":
// "sumario"} (or "paginas"), written when the user toggles the panel or
// changes tabs. A file that cannot be used (not a regular file, over 4 KiB,
// unreadable, not such an object) leaves the panel hidden at the first tab,
// with nothing said, and is replaced on the next write; a folder in its
// place stays, and each write says it could not be kept. No file name:
// neither read nor written.
//
// Screen readers find it as "Painel lateral", its lists as "Miniaturas das
// páginas" and "Sumário do relatório", each thumbnail as "Página N".
class HOST_EXPORT PreviewSidePanel : public QTabWidget {
    Q_OBJECT
public:
    PreviewSidePanel(const ReportJob& job, PreviewPages& pages, QWidget* parent);
    ~PreviewSidePanel() override;

    // Takes the pages and groups laid out since the last call.
    void Refresh();
    // Shows the panel if hidden, hides it if shown, and keeps the choice.
    // Throws Exception when it cannot be kept (the panel changes anyway).
    void Toggle();
    // The focus to the list of the tab shown, or from the panel to the pages;
    // nothing while the panel is hidden.
    void SwitchFocus();
    // Makes `toggle` checkable, checked while the panel shows.
    void Follow(QAction& toggle);

    // Thumbnails painted since the panel was made (one taken from the cache
    // does not count).
    int ThumbnailsPainted() const;

private:
    void Turn(const QModelIndex& index);
    void GoToGroup(const QModelIndex& index);
    void ShowPage(int page);
    void Save() const;
    void SetShown(bool shown);

    PreviewPages& pages_;
    ThumbnailModel* thumbnailModel_ = nullptr;
    OutlineModel* outlineModel_ = nullptr;
    QListView* thumbnails_ = nullptr;
    QListView* outline_ = nullptr;
    QAction* toggle_ = nullptr;
    QString file_;
};
