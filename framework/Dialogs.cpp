#include "Dialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "Forms.h"

QDialogButtonBox* OkCancelButtons(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(dialog);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    cancel->setObjectName(QStringLiteral("btnCancelar"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

bool InputQuery(const QString& caption, const QString& prompt, QString& value) {
    TfrmInputQuery dialog(caption, prompt, value, QApplication::activeWindow());
    if (Application->ExecModal(dialog) != QDialog::Accepted) return false;
    value = dialog.Value();
    return true;
}

TfrmInputQuery::TfrmInputQuery(const QString& caption, const QString& prompt, const QString& value,
                               QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(caption);
    prompt_ = new QLabel(prompt, this);
    value_ = new QLineEdit(value, this);
    value_->setObjectName(QStringLiteral("edtValor"));
    prompt_->setBuddy(value_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt_);
    layout->addWidget(value_);
    layout->addWidget(OkCancelButtons(this));
    value_->selectAll();
    resize(320, sizeHint().height());
}

QString TfrmInputQuery::Caption() const { return windowTitle(); }
QString TfrmInputQuery::Prompt() const { return prompt_->text(); }
QString TfrmInputQuery::Value() const { return value_->text(); }
void TfrmInputQuery::SetValue(const QString& value) { value_->setText(value); }
