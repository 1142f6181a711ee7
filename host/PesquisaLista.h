#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include "ClientDataSet.h"
#include "HostExport.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The lookup list: a modal dialog over a dataset's rows, showing one field,
// with a check box per row (backed by the dataset's one-character field
// IDMARCADO, "S" when marked), a filter box, and buttons to mark all and none.
//
// OK writes the marked rows' shown texts, in table order, into `result` as a
// JSON array of strings (["Estoque","Compras/Suprimentos"]): one text a report
// query reads through one bound parameter (SQLite: json_each), unambiguous
// whatever characters a name holds. With no row marked OK writes the empty
// text. OK also stores the marks in IDMARCADO, so the next lookup opens with
// them. Cancel leaves `result` and the marks as they were.
// `singleSelect` true lets the user mark one row only (marking a row unmarks
// the others); false, what the screens pass, lets him mark any number.
// The dataset's current row is the same after the call. Throws Exception
// when the source has no dataset.
HOST_EXPORT void PesquisaLista(TDataSource* source, const QString& fieldName, const QString& title,
                               bool singleSelect, QString& result);

// The dialog itself, for the host's scripted runs and tests.
class HOST_EXPORT TfrmPesquisaLista : public QDialog {
    Q_OBJECT
public:
    TfrmPesquisaLista(const QString& title, const QStringList& rows, const QList<bool>& marked,
                      bool singleSelect, QWidget* parent = nullptr);
    QStringList Rows() const;
    QList<bool> Marked() const;
    // Leaves marked exactly the rows whose text is one of `texts`; false when
    // a text names no row.
    bool MarkExactly(const QStringList& texts);
    // Shows only the rows whose text holds `filter`, ignoring case; hidden
    // rows keep their marks.
    void SetFilter(const QString& filter);
    // Marks or unmarks the rows shown (all of them without a filter). With
    // singleSelect, marking all does nothing.
    void MarkAll(bool marked);

private:
    void BuildLayout();
    void FillList(const QStringList& rows, const QList<bool>& marked);
    void ItemChanged(QListWidgetItem* item);

    bool singleSelect_;
    QLineEdit* filter_ = nullptr;
    QListWidget* list_ = nullptr;
    QPushButton* markAll_ = nullptr;
    QPushButton* unmarkAll_ = nullptr;
};

// The text prompt of InputQuery, for the host's scripted runs and tests.
class HOST_EXPORT TfrmInputQuery : public QDialog {
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
