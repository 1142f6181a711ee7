#include "PeriodFields.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QMenu>

#include "DateEditPlus.h"
#include "Events.h"
#include "HostConfig.h"

namespace {

const QString kKeysHint = QStringLiteral(
    "Períodos prontos (P). Mover o período para trás (Alt+Seta para a esquerda) ou para a "
    "frente (Alt+Seta para a direita).");

DatePeriod Dates(const TDateEditPlus& first, const TDateEditPlus& last) {
    return {ToQDate(first.GetDate()), ToQDate(last.GetDate())};
}

}  // namespace

TPeriodFields::TPeriodFields(TDateEditPlus* first, TDateEditPlus* last, QObject* parent)
    : QObject(parent),
      first_(first),
      last_(last),
      box_(qobject_cast<QGroupBox*>(first->parentWidget())) {
    if (box_) boxTitle_ = box_->title();
    BuildMenu();
    for (TDateEditPlus* field : {first_, last_}) {
        field->installEventFilter(this);
        field->SetPeriodMenu(menu_);
        const QString own = field->Hint();
        field->SetHint(own.isEmpty() ? kKeysHint : own + u'\n' + kKeysHint);
        connect(field, &QLineEdit::textChanged, this, &TPeriodFields::Edited);
    }
}

// The menu belongs to the first field's window, so it goes with the screen.
void TPeriodFields::BuildMenu() {
    menu_ = new QMenu(QStringLiteral("Períodos"), first_);
    menu_->setObjectName(QStringLiteral("periodos"));
    const std::vector<PeriodPreset>& presets = PeriodPresets();
    for (size_t i = 0; i < presets.size(); ++i) {
        QAction* action = menu_->addAction(QString::fromUtf8(presets[i].caption));
        action->setObjectName(QString::fromLatin1(presets[i].name));
        connect(action, &QAction::triggered, this, [this, i] { Chosen(static_cast<int>(i)); });
    }
}

// The person goes on typing where the list was opened.
void TPeriodFields::Chosen(int preset) {
    Dispatch([&] { Choose(preset); });
    if (!menuField_) return;
    menuField_->activateWindow();
    menuField_->setFocus(Qt::PopupFocusReason);
}

bool TPeriodFields::Choose(int preset) {
    const std::optional<DatePeriod> period =
        ResolvePeriod(preset, ToQDate(Date()), HostConfig::Instance().firstDayOfWeek);
    if (!period) return false;
    preset_ = -1;
    first_->PutDate(FromQDate(period->first));
    last_->PutDate(FromQDate(period->last));
    // A handler of the fields may have changed them meanwhile: the name is
    // shown only for the dates it stands for.
    if (Dates(*first_, *last_) == *period) {
        preset_ = preset;
        presetDates_ = *period;
    }
    ShowPreset();
    return true;
}

void TPeriodFields::Move(int direction) {
    if (first_->GetDate() == 0 || last_->GetDate() == 0) return;
    const std::optional<DatePeriod> moved = MovedPeriod(Dates(*first_, *last_), direction);
    if (!moved) return;
    first_->PutDate(FromQDate(moved->first));
    last_->PutDate(FromQDate(moved->last));
}

// Keys the fields would otherwise ignore: a masked field takes no letters,
// and Alt with an arrow does nothing in a line edit.
bool TPeriodFields::eventFilter(QObject* watched, QEvent* event) {
    auto* field = qobject_cast<TDateEditPlus*>(watched);
    if (field && event->type() == QEvent::ContextMenu) menuField_ = field;
    if (!field || event->type() != QEvent::KeyPress || field->isReadOnly()) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers held = key->modifiers() & ~Qt::KeypadModifier;
    if (held == Qt::AltModifier && (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right)) {
        Dispatch([&] { Move(key->key() == Qt::Key_Left ? -1 : 1); });
        return true;
    }
    if (key->key() == Qt::Key_P && (held == Qt::NoModifier || held == Qt::ShiftModifier)) {
        menuField_ = field;
        menu_->popup(field->mapToGlobal(field->rect().bottomLeft()));
        return true;
    }
    return false;
}

void TPeriodFields::Edited() {
    if (preset_ < 0 || Dates(*first_, *last_) == presetDates_) return;
    preset_ = -1;
    ShowPreset();
}

void TPeriodFields::ShowPreset() {
    if (!box_) return;
    box_->setTitle(
        preset_ < 0 ? boxTitle_
                    : boxTitle_ + QStringLiteral(" – ") +
                          QString::fromUtf8(PeriodPresets()[static_cast<size_t>(preset_)].caption));
}
