#pragma once

#include <QDialog>
#include <QString>

#include "Export.h"

class QDialogButtonBox;
class QLabel;
class QLineEdit;

// OK and Cancelar at the foot of a dialog, named btnOK and btnCancelar.
// OK is the default button, so Enter in any field of the dialog confirms.
FRAMEWORK_EXPORT QDialogButtonBox* OkCancelButtons(QDialog* dialog);

// Asks the user for a text: a modal prompt with `caption` as its title and
// `prompt` above the entry, which starts with `value`. OK stores the entry in
// `value` and gives true; Cancel gives false and leaves `value` alone.
FRAMEWORK_EXPORT bool InputQuery(const QString& caption, const QString& prompt, QString& value);

// The text prompt of InputQuery; the host's scripted runs answer it.
class FRAMEWORK_EXPORT TfrmInputQuery : public QDialog {
    Q_OBJECT
public:
    TfrmInputQuery(const QString& caption, const QString& prompt, const QString& value,
                   QWidget* parent = nullptr);
    QString Caption() const;
    QString Prompt() const;
    QString Value() const;
    void SetValue(const QString& value);

protected:
    QLineEdit& Field() const { return *value_; }

private:
    QLabel* prompt_ = nullptr;
    QLineEdit* value_ = nullptr;
};
