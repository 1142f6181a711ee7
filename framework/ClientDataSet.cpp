#include "ClientDataSet.h"

#include <QLocale>
#include <algorithm>

#include "SysUtils.h"

namespace {

QString Quoted(const QString& name) { return QLatin1Char('\'') + name + QLatin1Char('\''); }

QString DataSetName(const TClientDataSet* dataSet) { return Quoted(dataSet->objectName()); }

// A text as a value of the field's type.
Variant ConvertText(const QString& text, TFieldType type, int size) {
    bool ok = true;
    Variant value;
    switch (type) {
        case ftInteger:
            value = text.trimmed().toInt(&ok);
            break;
        case ftFloat:
            value = QLocale::c().toDouble(text.trimmed(), &ok);
            break;
        case ftDate:
        case ftDateTime:
            return VarFromDateTime(StrToDate(text));
        case ftBoolean: {
            // The words Variant::ToString writes.
            const bool isTrue = text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
            ok = isTrue || text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0;
            value = isTrue;
            break;
        }
        default:
            return size > 0 ? text.left(size) : text;
    }
    if (!ok) throw EConvertError(QStringLiteral("'%1' não é um valor válido.").arg(text));
    return value;
}

}  // namespace

TField::TField(QObject* owner, TFieldType type) : TComponent(owner), dataType_(type) {}

TField::~TField() {
    if (dataSet_) dataSet_->RemoveField(this);
}

QString TField::DisplayName() const { return fieldName_.isEmpty() ? objectName() : fieldName_; }

void TField::SetDataSet(TClientDataSet* dataSet) {
    if (dataSet == dataSet_) return;
    for (const TClientDataSet* side : {dataSet_, dataSet}) {
        if (side && side->Active()) {
            throw EDatabaseError(
                QStringLiteral("O campo %1 não pode mudar de conjunto de dados com %2 aberto.")
                    .arg(Quoted(DisplayName()), DataSetName(side)));
        }
    }
    if (dataSet_) dataSet_->RemoveField(this);
    dataSet_ = dataSet;
    if (dataSet_) dataSet_->AddField(this);
}

void TField::CheckDataSet() const {
    if (!dataSet_) {
        throw EDatabaseError(
            QStringLiteral("O campo %1 não tem conjunto de dados.").arg(Quoted(DisplayName())));
    }
}

QString TField::AsString() const {
    CheckDataSet();
    return dataSet_->ValueOf(this).ToString();
}

void TField::SetAsString(const QString& text) {
    CheckDataSet();
    if (dataSet_->State() != dsInsert && dataSet_->State() != dsEdit) {
        throw EDatabaseError(
            QStringLiteral("O campo %1 só pode ser alterado com o conjunto de dados %2 em "
                           "inserção ou edição.")
                .arg(Quoted(DisplayName()), DataSetName(dataSet_)));
    }
    // The empty text is the absent value.
    dataSet_->SetValueOf(this,
                         text.isEmpty() ? Variant::Null() : ConvertText(text, dataType_, size_));
}

bool TField::IsNull() const {
    CheckDataSet();
    return dataSet_->ValueOf(this).IsEmpty();
}

TClientDataSet::TClientDataSet(QObject* owner) : TComponent(owner) {}

TClientDataSet::~TClientDataSet() {
    for (TField* field : fields_) field->dataSet_ = nullptr;
}

void TClientDataSet::AddField(TField* field) { fields_.push_back(field); }

// A field can leave an open table only by being destroyed; its column goes
// with it so that the other fields keep reading their own.
void TClientDataSet::RemoveField(TField* field) {
    const int column = ColumnOf(field);
    if (column < 0) return;
    fields_.erase(fields_.begin() + column);
    for (auto& row : rows_) row.erase(row.begin() + column);
    if (static_cast<int>(buffer_.size()) > column) buffer_.erase(buffer_.begin() + column);
}

int TClientDataSet::ColumnOf(const TField* field) const {
    const auto it = std::find(fields_.begin(), fields_.end(), field);
    return it == fields_.end() ? -1 : static_cast<int>(it - fields_.begin());
}

Variant TClientDataSet::ValueOf(const TField* field) const {
    CheckActive();
    const auto column = static_cast<size_t>(ColumnOf(field));
    if (state_ == dsInsert || state_ == dsEdit) return buffer_.at(column);
    if (current_ < 0) return Variant();
    return rows_.at(static_cast<size_t>(current_)).at(column);
}

void TClientDataSet::SetValueOf(const TField* field, const Variant& value) {
    buffer_.at(static_cast<size_t>(ColumnOf(field))) = value;
    modified_ = true;
}

TField* TClientDataSet::FindField(const QString& fieldName) const {
    for (TField* field : fields_) {
        if (field->FieldName().compare(fieldName, Qt::CaseInsensitive) == 0) return field;
    }
    return nullptr;
}

TField& TClientDataSet::FieldByName(const QString& fieldName) const {
    TField* field = FindField(fieldName);
    if (!field) {
        throw EDatabaseError(
            QStringLiteral("%1: campo %2 não encontrado.").arg(objectName(), Quoted(fieldName)));
    }
    return *field;
}

void TClientDataSet::CreateDataSet() {
    if (fields_.empty()) {
        throw EDatabaseError(
            QStringLiteral("O conjunto de dados %1 não tem campos.").arg(DataSetName(this)));
    }
    for (const TField* field : fields_) {
        if (field->FieldName().isEmpty() || FindField(field->FieldName()) != field) {
            throw EDatabaseError(QStringLiteral("%1: nome de campo vazio ou repetido: %2.")
                                     .arg(objectName(), Quoted(field->FieldName())));
        }
    }
    Close();
    state_ = dsBrowse;
}

void TClientDataSet::Close() {
    rows_.clear();
    buffer_.clear();
    state_ = dsInactive;
    current_ = -1;
    insertAt_ = -1;
    modified_ = false;
    bof_ = eof_ = true;
}

void TClientDataSet::CheckActive() const {
    if (state_ == dsInactive) {
        throw EDatabaseError(
            QStringLiteral("O conjunto de dados %1 está fechado.").arg(DataSetName(this)));
    }
}

void TClientDataSet::CheckBrowseMode() {
    CheckActive();
    if (state_ != dsInsert && state_ != dsEdit) return;
    if (modified_) {
        Post();
    } else {
        Cancel();
    }
}

void TClientDataSet::EnterInsert(bool atEnd) {
    CheckBrowseMode();
    if (atEnd) {
        insertAt_ = RecordCount();
    } else {
        insertAt_ = IsEmpty() ? 0 : current_;  // before the current row
    }
    buffer_.assign(fields_.size(), Variant());
    modified_ = false;
    state_ = dsInsert;
}

void TClientDataSet::Insert() { EnterInsert(false); }

void TClientDataSet::Append() { EnterInsert(true); }

void TClientDataSet::Edit() {
    CheckActive();
    if (state_ == dsInsert || state_ == dsEdit) return;
    if (IsEmpty()) {
        Insert();
        return;
    }
    buffer_ = rows_.at(static_cast<size_t>(current_));
    modified_ = false;
    state_ = dsEdit;
}

void TClientDataSet::Post() {
    CheckActive();
    if (state_ == dsInsert) {
        rows_.insert(rows_.begin() + insertAt_, buffer_);
        current_ = insertAt_;
    } else if (state_ == dsEdit) {
        rows_.at(static_cast<size_t>(current_)) = buffer_;
    } else {
        return;
    }
    LeaveEditing();
}

void TClientDataSet::Cancel() {
    CheckActive();
    if (state_ == dsInsert || state_ == dsEdit) LeaveEditing();
}

void TClientDataSet::LeaveEditing() {
    buffer_.clear();
    insertAt_ = -1;
    modified_ = false;
    state_ = dsBrowse;
    bof_ = eof_ = IsEmpty();
}

void TClientDataSet::Delete() {
    CheckActive();
    if (state_ == dsInsert) {
        Cancel();
        return;
    }
    if (IsEmpty()) {
        throw EDatabaseError(
            QStringLiteral("O conjunto de dados %1 está vazio.").arg(DataSetName(this)));
    }
    Cancel();
    rows_.erase(rows_.begin() + current_);
    current_ = std::min(current_, RecordCount() - 1);
    bof_ = eof_ = IsEmpty();
}

void TClientDataSet::First() {
    CheckBrowseMode();
    current_ = IsEmpty() ? -1 : 0;
    bof_ = true;
    eof_ = IsEmpty();
}

void TClientDataSet::Last() {
    CheckBrowseMode();
    current_ = RecordCount() - 1;
    bof_ = IsEmpty();
    eof_ = true;
}

void TClientDataSet::Next() {
    CheckBrowseMode();
    if (current_ + 1 < RecordCount()) {
        ++current_;
        bof_ = eof_ = false;
    } else {
        eof_ = true;
    }
}

void TClientDataSet::Prior() {
    CheckBrowseMode();
    if (current_ > 0) {
        --current_;
        bof_ = eof_ = false;
    } else {
        bof_ = true;
    }
}

int TClientDataSet::RecNo() const { return current_ + 1; }

void TClientDataSet::SetRecNo(int recNo) {
    CheckBrowseMode();
    if (recNo < 1 || recNo > RecordCount()) {
        throw EDatabaseError(QStringLiteral("%1: registro %2 fora do intervalo de 1 a %3.")
                                 .arg(objectName())
                                 .arg(recNo)
                                 .arg(RecordCount()));
    }
    current_ = recNo - 1;
    bof_ = eof_ = false;
}
