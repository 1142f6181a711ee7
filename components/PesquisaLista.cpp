#include "PesquisaLista.h"

#include <QAccessible>
#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "AccessibleNames.h"
#include "Dialogs.h"
#include "Forms.h"
#include "SysUtils.h"

namespace {

const QString kMarkField = QStringLiteral("IDMARCADO");
const QString kMarked = QStringLiteral("S");


}  // namespace

TfrmPesquisaLista::TfrmPesquisaLista(const QString& title, const QStringList& rows,
                                     const QList<bool>& marked, bool singleSelect, QWidget* parent)
    : QDialog(parent), singleSelect_(singleSelect) {
    setWindowTitle(title);
    BuildLayout();
    FillList(rows, marked);
    markAll_->setEnabled(!singleSelect_);
    filter_->installEventFilter(this);
    list_->installEventFilter(this);
    connect(filter_, &QLineEdit::textChanged, this, &TfrmPesquisaLista::SetFilter);
    connect(list_, &QListWidget::itemChanged, this, &TfrmPesquisaLista::ItemChanged);
    connect(list_, &QListWidget::itemDoubleClicked, this, [](QListWidgetItem* item) {
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    });
    connect(markAll_, &QPushButton::clicked, this, [this] { MarkAll(true); });
    connect(unmarkAll_, &QPushButton::clicked, this, [this] { MarkAll(false); });
}

void TfrmPesquisaLista::BuildLayout() {
    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("edtFiltro"));
    filter_->setPlaceholderText(QStringLiteral("Digite parte do texto para filtrar"));
    filter_->setClearButtonEnabled(true);
    filter_->setAccessibleName(QStringLiteral("Filtro"));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("lstItens"));
    list_->setAccessibleName(windowTitle());
    list_->setAccessibleDescription(
        QStringLiteral("Espaço marca ou desmarca a linha; Ctrl+A marca as linhas à vista"));
    markAll_ = new QPushButton(QStringLiteral("Marcar todos"), this);
    markAll_->setObjectName(QStringLiteral("btnMarcarTodos"));
    markAll_->setToolTip(QStringLiteral("Marca as linhas à vista (Ctrl+A)"));
    unmarkAll_ = new QPushButton(QStringLiteral("Desmarcar todos"), this);
    unmarkAll_->setObjectName(QStringLiteral("btnDesmarcarTodos"));
    unmarkAll_->setToolTip(QStringLiteral("Desmarca as linhas à vista"));
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("lblMarcados"));

    auto* marks = new QHBoxLayout;
    marks->addWidget(markAll_);
    marks->addWidget(unmarkAll_);
    marks->addStretch();
    marks->addWidget(count_);
    auto* layout = new QVBoxLayout(this);
    auto* filterLabel = new QLabel(QStringLiteral("Filtro:"), this);
    filterLabel->setBuddy(filter_);
    layout->addWidget(filterLabel);
    layout->addWidget(filter_);
    layout->addWidget(list_);
    layout->addLayout(marks);
    layout->addWidget(OkCancelButtons(this));
    resize(360, 320);
}

void TfrmPesquisaLista::FillList(const QStringList& rows, const QList<bool>& marked) {
    {
        QSignalBlocker quiet(list_);
        for (qsizetype i = 0; i < rows.size(); ++i) {
            auto* item = new QListWidgetItem(rows.at(i), list_);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            const bool on = i < marked.size() && marked.at(i);
            item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
            DescribeMark(item);
        }
    }
    list_->setCurrentRow(rows.isEmpty() ? -1 : 0);
    UpdateCount();
}

QStringList TfrmPesquisaLista::Rows() const {
    QStringList rows;
    for (int i = 0; i < list_->count(); ++i) rows << list_->item(i)->text();
    return rows;
}

QList<bool> TfrmPesquisaLista::Marked() const {
    QList<bool> marked;
    for (int i = 0; i < list_->count(); ++i)
        marked << (list_->item(i)->checkState() == Qt::Checked);
    return marked;
}

bool TfrmPesquisaLista::MarkExactly(const QStringList& texts) {
    const QStringList rows = Rows();
    bool allFound = true;
    for (const QString& text : texts) allFound = allFound && rows.contains(text);
    for (int i = 0; i < list_->count(); ++i) {
        QListWidgetItem* item = list_->item(i);
        item->setCheckState(texts.contains(item->text()) ? Qt::Checked : Qt::Unchecked);
    }
    return allFound;
}

void TfrmPesquisaLista::SetFilter(const QString& filter) {
    if (filter_->text() != filter) filter_->setText(filter);  // comes back here through textChanged
    for (int i = 0; i < list_->count(); ++i) {
        QListWidgetItem* item = list_->item(i);
        item->setHidden(!item->text().contains(filter, Qt::CaseInsensitive));
    }
    KeepCurrentInView();
}

// Space would otherwise act on the current row even while the filter hides it.
void TfrmPesquisaLista::KeepCurrentInView() {
    const QListWidgetItem* current = list_->currentItem();
    if (current && !current->isHidden()) return;
    const QList<QListWidgetItem*> inView = RowsInView();
    list_->setCurrentItem(inView.isEmpty() ? nullptr : inView.first());
}

QList<QListWidgetItem*> TfrmPesquisaLista::RowsInView() const {
    QList<QListWidgetItem*> rows;
    for (int i = 0; i < list_->count(); ++i)
        if (!list_->item(i)->isHidden()) rows << list_->item(i);
    return rows;
}

void TfrmPesquisaLista::MarkAll(bool marked) {
    if (marked && singleSelect_) return;
    for (QListWidgetItem* item : RowsInView())
        item->setCheckState(marked ? Qt::Checked : Qt::Unchecked);
}

void TfrmPesquisaLista::ToggleCurrent() {
    QListWidgetItem* item = list_->currentItem();
    if (!item || item->isHidden()) return;
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void TfrmPesquisaLista::accept() {
    const QList<QListWidgetItem*> inView = RowsInView();
    if (inView.size() == 1 && !Marked().contains(true)) inView.first()->setCheckState(Qt::Checked);
    QDialog::accept();
}

// Space in the list and Ctrl+A in the list or the filter box are the
// dialog's, not the widgets' own (the delegate's toggle, select all).
bool TfrmPesquisaLista::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::SelectAll)) {
        MarkAll(true);
        return true;
    }
    if (watched == list_ && key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
        ToggleCurrent();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// With singleSelect a newly marked row takes the mark from the others.
void TfrmPesquisaLista::ItemChanged(QListWidgetItem* item) {
    if (singleSelect_ && item->checkState() == Qt::Checked) {
        QSignalBlocker quiet(list_);
        for (int i = 0; i < list_->count(); ++i)
            if (list_->item(i) != item) {
                list_->item(i)->setCheckState(Qt::Unchecked);
                DescribeMark(list_->item(i));
            }
    }
    DescribeMark(item);
    AnnounceMark(item);
    UpdateCount();
}

// Qt's AT-SPI bridge (6.4) passes a row's checked state but not that it can
// be checked, and a screen reader says nothing of a row it does not know to
// be checkable: the row's description says it in words.
void TfrmPesquisaLista::DescribeMark(QListWidgetItem* item) {
    QSignalBlocker quiet(list_);
    item->setData(Qt::AccessibleDescriptionRole, item->checkState() == Qt::Checked
                                                     ? QStringLiteral("marcado")
                                                     : QStringLiteral("não marcado"));
}

// A screen reader says "marcado" or "não marcado" as the mark changes; the
// list itself only tells that its data changed.
void TfrmPesquisaLista::AnnounceMark(QListWidgetItem* item) {
    if (!QAccessible::isActive()) return;
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(list_);
    QAccessibleTableInterface* table = list ? list->tableInterface() : nullptr;
    QAccessibleInterface* cell = table ? table->cellAt(list_->row(item), 0) : nullptr;
    if (!cell) return;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(cell, changed);
    QAccessible::updateAccessibility(&event);
}

void TfrmPesquisaLista::UpdateCount() {
    const auto marked = Marked().count(true);
    count_->setText(QStringLiteral("%1 de %2 marcados").arg(marked).arg(list_->count()));
    count_->setAccessibleName(count_->text());
}

namespace {

struct LookupRows {
    QStringList texts;
    QList<bool> marked;
};

LookupRows ReadRows(TClientDataSet& data, const QString& fieldName) {
    LookupRows rows;
    const TField* mark = data.FindField(kMarkField);
    for (data.First(); !data.Eof(); data.Next()) {
        rows.texts << data.FieldByName(fieldName).AsString();
        rows.marked << (mark && mark->AsString() == kMarked);
    }
    return rows;
}

void WriteMarks(TClientDataSet& data, const QList<bool>& marked) {
    TField* mark = data.FindField(kMarkField);
    if (!mark) return;
    qsizetype row = 0;
    for (data.First(); !data.Eof() && row < marked.size(); data.Next(), ++row) {
        data.Edit();
        mark->SetAsString(marked.at(row) ? kMarked : QString());
        data.Post();
    }
}

QString JsonOf(const QStringList& texts, const QList<bool>& marked) {
    QJsonArray chosen;
    for (qsizetype i = 0; i < texts.size(); ++i)
        if (marked.at(i)) chosen.append(texts.at(i));
    if (chosen.isEmpty()) return QString();
    return QString::fromUtf8(QJsonDocument(chosen).toJson(QJsonDocument::Compact));
}

}  // namespace

void PesquisaLista(TDataSource* source, const QString& fieldName, const QString& title,
                   bool singleSelect, QString& result) {
    TClientDataSet* data = source ? source->DataSet() : nullptr;
    if (!data)
        throw Exception(QStringLiteral("A pesquisa '%1' não tem tabela de onde ler.").arg(title));
    const int current = data->RecNo();
    const LookupRows rows = ReadRows(*data, fieldName);
    TfrmPesquisaLista dialog(title, rows.texts, rows.marked, singleSelect,
                             QApplication::activeWindow());
    const bool accepted = Application->ExecModal(dialog) == QDialog::Accepted;
    if (accepted) {
        const QList<bool> marked = dialog.Marked();
        WriteMarks(*data, marked);
        result = JsonOf(rows.texts, marked);
    }
    if (current > 0) data->SetRecNo(current);
}
