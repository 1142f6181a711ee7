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
// IDMARCADO, "S" when marked), a filter box, buttons to mark all and none,
// and a line "n de N marcados" (n marked of the N rows, in view or not).
//
// Marks act only on rows in view: the filter hides rows but keeps their
// marks, and when it hides the current row the first row in view becomes
// current. Space or a click on a row's mark toggles it (a click on the text
// makes the row current; a double click toggles it too); Ctrl+A, from the
// list or the filter box, marks every row in view. Enter (or OK) confirms;
// when exactly one row is in view and no row is marked, it marks that row
// first, so that filtering down to one name and pressing Enter picks it. Esc
// (or Cancel) leaves everything as it was.
//
// For screen readers each row is a checkable item, read as marked or not
// (its state, and "marcado" or "não marcado" as its description, said as it
// changes); the list is named by the title, the filter
// box "Filtro", and the count by what it says.
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

// The dialog itself. Visible outside the library because the host's scripted
// runs answer it (`pick`: its rows and marks) and tests mark rows in it as a
// person does.
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
    // Confirms, marking the one row in view first when nothing is marked.
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildLayout();
    void FillList(const QStringList& rows, const QList<bool>& marked);
    void ItemChanged(QListWidgetItem* item);
    void AnnounceMark(QListWidgetItem* item);
    // The row's description, "marcado" or "não marcado".
    void DescribeMark(QListWidgetItem* item);
    void ToggleCurrent();
    void KeepCurrentInView();
    QList<QListWidgetItem*> RowsInView() const;
    void UpdateCount();

    bool singleSelect_;
    QLineEdit* filter_ = nullptr;
    QListWidget* list_ = nullptr;
    QLabel* count_ = nullptr;
    QPushButton* markAll_ = nullptr;
    QPushButton* unmarkAll_ = nullptr;
};
