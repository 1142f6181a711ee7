#include "Confirma.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "AccessibleNames.h"
#include "Forms.h"

bool Confirma(const QString& caption, const QString& text) {
    TfrmConfirma dialog(caption, text, QApplication::activeWindow());
    return Application->ExecModal(dialog) == QDialog::Accepted;
}

TfrmConfirma::TfrmConfirma(const QString& caption, const QString& text, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(caption);
    text_ = new QLabel(text, this);
    text_->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* yes = buttons->addButton(QStringLiteral("Sim"), QDialogButtonBox::AcceptRole);
    QPushButton* no = buttons->addButton(QStringLiteral("Não"), QDialogButtonBox::RejectRole);
    yes->setObjectName(QStringLiteral("btnSim"));
    yes->setAutoDefault(false);
    no->setObjectName(QStringLiteral("btnNao"));
    no->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(buttons);
    resize(380, sizeHint().height());
    MarkAsAlert(this, text);
}

QString TfrmConfirma::Caption() const { return windowTitle(); }
QString TfrmConfirma::Text() const { return text_->text(); }
