#pragma once

#include <QDialog>
#include <memory>

#include "HostExport.h"

class QLabel;
class QProgressBar;
class QPushButton;

// How far a report has got, over the host and in front of it: the report's
// whole title, a line of status ("Lendo os dados do relatório: 12.345
// linhas"), a bar (moving to and fro while the end is not known) and
// "Cancelar". Its size is set once, for the title and the longest status, so
// it keeps still while it counts; Esc and closing it are Cancelar too.
// Screen readers find it by its title, the status as its description, the
// bar as "Andamento".
class HOST_EXPORT ReportProgressDialog : public QDialog {
    Q_OBJECT
public:
    ReportProgressDialog(const QString& title, QWidget* host);

    void SetStatus(const QString& status);
    // `maximum` 0: the end is not known.
    void SetProgress(int value, int maximum);
    // After Cancelar: says so and takes no second press.
    void ShowCancelling();

signals:
    void CancelRequested();

protected:
    void reject() override;

private:
    QLabel* status_;
    QProgressBar* bar_;
    QPushButton* cancel_;
};

// A progress titled `title` over `host`, or none where nobody would see it:
// a program without widgets, or one that turned them off.
HOST_EXPORT std::unique_ptr<ReportProgressDialog> ProgressDialogFor(const QString& title, QWidget* host);

// Whether ProgressDialogFor gives progress at all (at the start, it does).
// The host application turns it off for its scripted runs, which nobody
// watches; the work and its Cancel are the same either way.
HOST_EXPORT void ShowProgressDialogs(bool shown);
