#pragma once

#include <QPointer>
#include <QString>
#include <vector>

#include "Classes.h"
#include "FieldTypes.h"
#include "Variants.h"

class TClientDataSet;

// A field component of a dataset: it reads and writes its column of the
// dataset's current row.
class FRAMEWORK_EXPORT TField : public TComponent {
    Q_OBJECT
public:
    explicit TField(QObject* owner = nullptr, TFieldType type = ftUnknown);
    // Leaves its dataset, which then has no column for it.
    ~TField() override;

    const QString& FieldName() const { return fieldName_; }
    void SetFieldName(const QString& name) { fieldName_ = name; }
    TFieldType DataType() const { return dataType_; }
    int Size() const { return size_; }
    void SetSize(int size) { size_ = size; }
    // The column title; the field name when none is set.
    QString DisplayLabel() const { return displayLabel_.isEmpty() ? fieldName_ : displayLabel_; }
    void SetDisplayLabel(const QString& label) { displayLabel_ = label; }

    TClientDataSet* DataSet() const { return dataSet_; }
    // Attaches the field to a dataset, at the end of its fields, leaving the
    // one it was on (nullptr only leaves). Throws EDatabaseError when either
    // dataset is open: the columns are fixed while a table is open.
    void SetDataSet(TClientDataSet* dataSet);

    // The value in the current row (or the row being inserted or edited).
    // Reading an empty field gives the empty text. Throws EDatabaseError
    // without an open dataset.
    QString AsString() const;
    // Throws EDatabaseError unless the dataset is being inserted or edited.
    // The empty text leaves the field null; a text is converted to the
    // field's type (EConvertError when it does not fit).
    void SetAsString(const QString& text);
    bool IsNull() const;

private:
    friend class TClientDataSet;
    QString DisplayName() const;
    void CheckDataSet() const;

    QString fieldName_;
    TFieldType dataType_;
    int size_ = 0;
    QString displayLabel_;
    TClientDataSet* dataSet_ = nullptr;
};

// A text field; a text longer than Size is cut to Size characters.
class FRAMEWORK_EXPORT TStringField : public TField {
    Q_OBJECT
public:
    explicit TStringField(QObject* owner = nullptr) : TField(owner, ftString) { SetSize(20); }
};

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// A table held in memory: the columns are its field components, in field
// order; rows stay in the order they were inserted; one row is current.
class FRAMEWORK_EXPORT TClientDataSet : public TComponent {
    Q_OBJECT
public:
    explicit TClientDataSet(QObject* owner = nullptr);
    // Detaches its fields, which outlive it when the form owns them.
    ~TClientDataSet() override;

    // Creates the empty table from the field components and opens it, empty
    // again when it was open. Throws EDatabaseError without fields, or for a
    // field without a name or with the name of another.
    void CreateDataSet();
    bool Active() const { return state_ != dsInactive; }
    TDataSetState State() const { return state_; }
    // Closes the table; its rows are dropped.
    void Close();

    // Every operation below throws EDatabaseError on a closed table. Those
    // that start a row or move first end a pending insert or edit: stored
    // when a field was set, dropped otherwise.

    // Starts a new row before the current one (at the start of an empty table).
    void Insert();
    // Starts a new row after the last one.
    void Append();
    // Starts editing the current row (inserting one into an empty table);
    // does nothing while inserting or editing.
    void Edit();
    // Stores the row being inserted or edited; it becomes the current row.
    // Does nothing when not inserting or editing.
    void Post();
    // Drops the row being inserted or the changes being edited.
    void Cancel();
    // Deletes the current row (drops the row being inserted); the next row,
    // or the new last one, becomes current. Throws on an empty table.
    void Delete();

    // Moving as a cursor: Next on the last row sets Eof and stays there,
    // Prior on the first sets Bof; First and Last set Bof and Eof.
    void First();
    void Next();
    void Prior();
    void Last();
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    bool IsEmpty() const { return rows_.empty(); }
    int RecordCount() const { return static_cast<int>(rows_.size()); }
    // The current row, counted from 1; 0 on an empty table.
    int RecNo() const;
    // Throws EDatabaseError for a row number outside 1..RecordCount.
    void SetRecNo(int recNo);

    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TField* Fields(int index) const { return fields_.at(static_cast<size_t>(index)); }
    TField* FindField(const QString& fieldName) const;
    // Throws EDatabaseError when there is no such field. Names are compared
    // without regard to case.
    TField& FieldByName(const QString& fieldName) const;

private:
    friend class TField;
    void AddField(TField* field);
    void RemoveField(TField* field);
    int ColumnOf(const TField* field) const;
    Variant ValueOf(const TField* field) const;
    void SetValueOf(const TField* field, const Variant& value);
    void CheckActive() const;
    // Ends a pending insert or edit, as moving away from a row does.
    void CheckBrowseMode();
    void EnterInsert(bool atEnd);
    void LeaveEditing();

    std::vector<TField*> fields_;
    std::vector<std::vector<Variant>> rows_;
    std::vector<Variant> buffer_;  // the row being inserted or edited
    TDataSetState state_ = dsInactive;
    int current_ = -1;  // index into rows_
    int insertAt_ = -1;
    bool modified_ = false;  // a field was set since the insert or edit began
    bool bof_ = true;
    bool eof_ = true;
};

// Hands a dataset to data-aware parts (the lookup list) by one reference.
class FRAMEWORK_EXPORT TDataSource : public TComponent {
    Q_OBJECT
public:
    explicit TDataSource(QObject* owner = nullptr) : TComponent(owner) {}
    TClientDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TClientDataSet* dataSet) { dataSet_ = dataSet; }

private:
    QPointer<TClientDataSet> dataSet_;
};
