#pragma once

#include <QDialog>
#include <QString>

#include "HostExport.h"

class QLabel;

// Asks the user to confirm something that cannot be undone: a modal dialog
// with `caption` as its title, `text` as its question and the buttons "Sim"
// and "Não". "Não" is the default button, so Enter or Esc never replaces
// anything by accident. True only for "Sim". Screen readers read it as an
// alert, the question as its description.
HOST_EXPORT bool Confirma(const QString& caption, const QString& text);

// The dialog of Confirma: accepted means "Sim". Visible outside the library
// because the host's scripted runs answer it (`confirm`, with its caption
// and text in their event) and tests read its question.
class HOST_EXPORT TfrmConfirma : public QDialog {
    Q_OBJECT
public:
    TfrmConfirma(const QString& caption, const QString& text, QWidget* parent = nullptr);
    QString Caption() const;
    QString Text() const;

private:
    QLabel* text_ = nullptr;
};
