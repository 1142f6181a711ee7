#pragma once

#include <QDialog>
#include <QStyle>
#include <functional>
#include <memory>

#include "HostExport.h"
#include "ReportDefinition.h"

class QAction;
class QComboBox;
class QToolBar;
class QLabel;
class QLineEdit;
class PreviewPages;
class PreviewSidePanel;
class ReportFind;
class ReportJob;

// The host's report preview, for people (PreviewOutput shows it). It opens
// as soon as the first page is laid out, while the rest is still being
// read: the page count reads "de …" until it is known and the status line
// counts rows and pages. Pages are painted only when they come
// into view (PreviewPages).
//
// Toolbar and keys: first, previous, next and last page (Ctrl+Home, PgUp,
// PgDn, Ctrl+End), the page number to go to (Ctrl+G), fit width (the
// start), whole page, 100%, zoom out and in (Ctrl+-, Ctrl++, Ctrl+wheel);
// print (Ctrl+P), save as PDF (Ctrl+S) and export the rows as a spreadsheet
// or CSV (Ctrl+E, ReportExport) once every page is laid out; F1 asks the
// host for the help topic of the screen it was opened from (a TForm over
// `host`, else the host's current MDI screen), remembered when it opens, so
// that it still answers once that screen is closed; Esc closes. Find (Ctrl+F)
// opens a bar above the status line: Enter or F3 goes to the next row
// holding the text, Shift+Enter or Shift+F3 to the previous one (ReportFind:
// every row read so far, case and accents aside), wrapping around; the page
// turns to it and its line is highlighted; the bar says "ocorrência 3 de
// 41"; Esc there closes the bar. Closing the preview stops whatever is still
// being read. It opens over most of the host's window.
//
// It is an ordinary window of its own (not modal, not kept above the host):
// the screens stay usable while it is open, and several may be open at once.
// It owns its job, and with it its copy of the report definition and the
// parameters, and frees itself (and the job) once closed. For screen readers
// each button is named by its action, the page field "Página", the zoom
// list "Zoom", the toolbar
// "Ferramentas da visualização". F4 ("Painel lateral") shows or hides the
// side panel at the left of the pages, thumbnails and the report's outline
// (PreviewSidePanel); F6 moves the focus between it and the pages.
class HOST_EXPORT ReportPreview : public QDialog {
    Q_OBJECT
public:
    struct Actions {
        std::function<void(int currentPage)> print;
        std::function<void(int currentPage)> savePdf;
        std::function<void()> exportData;
    };

    // Titled "Visualização - " and the report's title and period
    // (ReportExport::DisplayName).
    ReportPreview(std::unique_ptr<ReportJob> job, Actions actions, QWidget* host);
    ~ReportPreview() override;

    ReportJob& Job() const { return job_; }

    PreviewPages& Pages() const { return *pages_; }
    PreviewSidePanel& SidePanel() const { return *side_; }
    // What the find bar says ("ocorrência 3 de 41").
    QString FindStatus() const;
    // The job ended without laying out every page, nor was it cancelled:
    // the preview, once shown, closes itself and the caller reports the
    // failure.
    bool JobFailed() const;

private:
    void BuildToolBar(QLayout& layout);
    // An action of the window: its shortcut works wherever the focus is in
    // it; errors it raises are shown (Dispatch).
    QAction* AddAction(const QString& text, const QKeySequence& key, const std::function<void()>& run,
                       QStyle::StandardPixmap icon = QStyle::SP_CustomBase);
    void AddNavigation(QToolBar& bar);
    void AddZoom(QToolBar& bar);
    void ZoomIcons(QToolBar& bar);
    void Refresh();
    void ShowCurrentPage(int page);
    void ShowHelp();
    void ShowScale(double scale);
    void FitToHost(QWidget* host);
    void BuildFindBar(QLayout& layout);
    void OpenFind();
    // To the next (+1) or previous (-1) match; waits for one while none is
    // found yet and rows are still searched.
    void Step(int direction);
    void ShowMatch();
    void ShowFindStatus();
    bool eventFilter(QObject* watched, QEvent* event) override;

    std::unique_ptr<ReportJob> ownJob_;
    ReportJob& job_;
    Actions actions_;
    QString helpFile_;     // the topic of the screen it was opened from
    int helpContext_ = 0;  // 0: none
    PreviewPages* pages_ = nullptr;
    PreviewSidePanel* side_ = nullptr;
    QLineEdit* pageNumber_ = nullptr;
    QLabel* pageCount_ = nullptr;
    QLabel* scale_ = nullptr;
    QLabel* status_ = nullptr;
    QAction* print_ = nullptr;
    QAction* savePdf_ = nullptr;
    QAction* export_ = nullptr;
    QComboBox* zoomMode_ = nullptr;
    ReportFind* find_ = nullptr;
    QWidget* findBar_ = nullptr;
    QLineEdit* findText_ = nullptr;
    QLabel* findStatus_ = nullptr;
    int match_ = -1;       // index in the matches of the one shown
    int pendingStep_ = 0;  // asked for before any match was found
    QString wrapped_;      // "voltou ao início" after a wrap
};
