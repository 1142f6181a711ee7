#include "ScreenMemory.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <algorithm>

#include "StdCtrls.h"
#include "SysUtils.h"
#include "DateEditPlus.h"
#include "Events.h"
#include "Funcoes.h"
#include "HostConfig.h"
#include "PeriodFields.h"
#include "PeriodPresets.h"

namespace {

const QString kRestoredHint = QStringLiteral(
    "Valores da última vez restaurados. Restaurar padrão (Ctrl+Shift+R, ou no menu da tela, com o "
    "botão direito) volta aos valores padrão da tela.");

QString FileName(const ReportDefinition& report) { return QFileInfo(report.file).fileName(); }

QString Cut(const QString& text) {
    return text.size() > 60 ? text.left(60) + QStringLiteral("…") : text;
}

}  // namespace

TScreenMemory::TScreenMemory(const ScreenParts& parts, const QString& file)
    : QObject(parts.screen),
      parts_(parts),
      screen_(*parts.screen),
      options_(parts.options),
      list_(parts.list),
      file_(file),
      defaults_(Current()) {
    // Where the screen gives it, in its top row.
    label_ = new QLabel(QStringLiteral("Valores restaurados"), parts_.topRow);
    label_->setObjectName(QStringLiteral("lblValoresRestaurados"));
    label_->setGeometry(parts_.labelPlace);
    label_->setFont(parts_.labelFont);
    SetControlHint(label_, kRestoredHint);
    label_->hide();
    AddRestoreAction();
}

// A key, and the item of the screen's context menu (a right click where no
// control has a menu of its own: the fields keep theirs).
void TScreenMemory::AddRestoreAction() {
    auto* action = new QAction(QStringLiteral("Restaurar padrão"), &screen_);
    action->setObjectName(QStringLiteral("restaurarPadrao"));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
    action->setShortcutContext(Qt::WindowShortcut);
    action->setToolTip(kRestoredHint);
    connect(action, &QAction::triggered, this, [this] { Dispatch([this] { RestoreDefaults(); }); });
    screen_.addAction(action);
    menu_ = new QMenu(&screen_);
    menu_->setObjectName(QStringLiteral("menuTela"));
    menu_->addAction(action);
    screen_.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&screen_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { menu_->popup(screen_.mapToGlobal(at)); });
}

RememberedValues TScreenMemory::Current() const {
    RememberedValues values;
    const int index = parts_.reportNames->ItemIndex();
    if (index >= 0 && index < (*parts_.reports).size())
        values.report = FileName((*parts_.reports)[index]);
    if (const TPeriodFields* period = parts_.period) {
        const int preset = period->PresetInForce();
        const TDateTime first = period->First()->GetDate(), last = period->Last()->GetDate();
        if (preset >= 0) {
            values.preset = QString::fromLatin1(PeriodPresets()[static_cast<size_t>(preset)].name);
        } else if (first != 0 && last != 0 && first <= last) {
            values.first = ToQDate(first);
            values.last = ToQDate(last);
        }
    }
    if (options_)
        for (const QRadioButton* option : options_->findChildren<QRadioButton*>())
            if (option->isChecked()) values.option = option->objectName();
    if (list_) values.list = *list_;
    return values;
}

// What of the file the screen cannot take; empty when it takes it all.
QString TScreenMemory::Unusable(const RememberedValues& values) const {
    if (!values.report.isEmpty() && std::none_of((*parts_.reports).begin(), (*parts_.reports).end(),
                                                 [&](const ReportDefinition& report) {
                                                     return FileName(report) == values.report;
                                                 }))
        return QStringLiteral("o relatório do arquivo %1 não existe mais").arg(Cut(values.report));
    if (!values.preset.isEmpty() &&
        !ResolvePeriod(PeriodPresetIndex(values.preset), ToQDate(Date()),
                       HostConfig::Instance().firstDayOfWeek))
        return QStringLiteral("o período %1 sai dos anos 1 a 9999").arg(values.preset);
    if (!values.option.isEmpty() &&
        (!options_ || !options_->findChild<QRadioButton*>(values.option)))
        return QStringLiteral("a opção %1 não existe nesta tela").arg(Cut(values.option));
    return {};
}

void TScreenMemory::Restore() {
    const QFileInfo info(file_);
    if (!info.exists() && !info.isSymLink()) return;
    RememberedValues values;
    QString cause;
    try {
        values = ReadRememberedValues(file_);
        cause = Unusable(values);
    } catch (const Exception& error) {
        cause = error.Message();
    }
    if (!cause.isEmpty()) {
        MensErro(
            QStringLiteral("Os valores da última vez não foram restaurados: %1. A tela abre com os "
                           "valores padrão.")
                .arg(cause),
            false);
        return;
    }
    Apply(values);
    ShowRestored(true);
}

// As a person would put them: the report, the period, the option, which may
// clear the list, and the list last.
void TScreenMemory::Apply(const RememberedValues& values) {
    const QList<ReportDefinition>& reports = (*parts_.reports);
    for (int i = 0; i < reports.size(); ++i)
        if (FileName(reports[i]) == values.report && i != parts_.reportNames->ItemIndex()) {
            parts_.reportNames->SetItemIndex(i);
            emit parts_.reportNames->activated(i);
        }
    if (TPeriodFields* period = parts_.period) {
        if (!values.preset.isEmpty()) {
            period->Choose(PeriodPresetIndex(values.preset));
        } else {
            for (TDateEditPlus* field : {period->First(), period->Last()}) {
                const QDate date = field == period->First() ? values.first : values.last;
                if (date.isValid())
                    field->PutDate(FromQDate(date));
                else if (!field->Text().isEmpty())
                    field->SetDate(0);
            }
        }
    }
    if (options_ && !values.option.isEmpty())
        if (auto* option = options_->findChild<TRadioButton*>(values.option))
            option->SetChecked(true);
    if (list_) *list_ = values.list;
}

void TScreenMemory::Save() {
    const RememberedValues values = Current();
    if (values == defaults_)
        ForgetRememberedValues(file_);
    else
        WriteRememberedValues(file_, values);
}

void TScreenMemory::RestoreDefaults() {
    ShowRestored(false);
    Apply(defaults_);
    ForgetRememberedValues(file_);
}

void TScreenMemory::ShowRestored(bool restored) {
    restored_ = restored;
    label_->setVisible(restored);
}
