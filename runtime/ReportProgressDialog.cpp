#include "ReportProgressDialog.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <atomic>

namespace {

// The longest status a report shows, to size the dialog for.
const QString kWidestStatus = QStringLiteral("Gerando o arquivo PDF: página 9.999.999 de 9.999.999");

std::atomic<bool> progressShown{true};

}  // namespace

ReportProgressDialog::ReportProgressDialog(const QString& title, QWidget* host) : QDialog(host) {
    setWindowTitle(title);
    setWindowModality(Qt::ApplicationModal);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* heading = new QLabel(title, this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    heading->setWordWrap(true);
    status_ = new QLabel(this);
    bar_ = new QProgressBar(this);
    bar_->setTextVisible(false);
    bar_->setAccessibleName(QStringLiteral("Andamento"));
    cancel_ = new QPushButton(QStringLiteral("Cancelar"), this);
    connect(cancel_, &QPushButton::clicked, this, &ReportProgressDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(status_);
    layout->addWidget(bar_);
    layout->addWidget(cancel_, 0, Qt::AlignRight);

    // Wide enough for the title on one line, within most of the host.
    const int limit = host ? host->window()->width() * 9 / 10 : 800;
    const int wanted = std::max(heading->fontMetrics().horizontalAdvance(title),
                                status_->fontMetrics().horizontalAdvance(kWidestStatus));
    const QMargins margins = layout->contentsMargins();
    heading->setFixedWidth(std::clamp(wanted, 320, std::max(320, limit - margins.left() - margins.right())));
    status_->setText(kWidestStatus);
    adjustSize();
    setFixedSize(size());
    status_->setText(QString());
}

// The status is also the dialog's description, so a screen reader that asks
// where the report is hears the latest count.
void ReportProgressDialog::SetStatus(const QString& status) {
    status_->setText(status);
    setAccessibleDescription(status);
}

void ReportProgressDialog::SetProgress(int value, int maximum) {
    bar_->setRange(0, maximum);
    bar_->setValue(maximum > 0 ? value : 0);
}

void ReportProgressDialog::ShowCancelling() {
    SetStatus(QStringLiteral("Cancelando..."));
    cancel_->setEnabled(false);
}

// Esc, the close button and Cancelar: the work is asked to stop; the dialog
// goes when it has.
void ReportProgressDialog::reject() {
    if (!cancel_->isEnabled()) return;
    ShowCancelling();
    emit CancelRequested();
}

std::unique_ptr<ReportProgressDialog> ProgressDialogFor(const QString& title, QWidget* host) {
    if (!progressShown.load() || !qobject_cast<QApplication*>(QCoreApplication::instance())) return nullptr;
    return std::make_unique<ReportProgressDialog>(title, host);
}

void ShowProgressDialogs(bool shown) { progressShown.store(shown); }
