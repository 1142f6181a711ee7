#include "Forms.h"

#include "AccessibleNames.h"
#include "ClassRegistry.h"
#include "Controls.h"
#include "SysUtils.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QScopedValueRollback>
#include <QStyle>
#include <QTimer>
#include <QWindowStateChangeEvent>
#include <QPointer>
#include <new>

// The MDI window that holds a screen. Whatever changes its state (its title
// bar buttons, its window menu, the screen's WindowState), the focus stays on
// the control that had it and no control runs OnEnter or OnExit: Qt hides the
// window while it changes its size, which hands the focus to the next control
// and back. A screen of fixed size keeps that size while its window is
// normal, so only resizing is off; maximised, it fills the MDI area.
class TFormWindow : public QMdiSubWindow {
public:
    TFormWindow(TForm* form, bool fixedSize);

    // Frees the screen's size in a minimised or maximised window, fixes it
    // in a normal one.
    void FitToState();

protected:
    void changeEvent(QEvent* event) override;

private:
    QPointer<TForm> form_;  // a screen freed on its own leaves its window empty
    bool fixedSize_;
};

namespace {
TApplication applicationInstance;
TScreen screenInstance;

// A sub-window without an icon makes its own copy of the style's menu icon,
// and the style caches the title bar's scaled pixmap under a key of that copy:
// one icon for every sub-window keeps the cache from growing with each screen.
const QIcon& SubWindowIcon() {
    static const auto* const icon = new QIcon(QApplication::style()->standardIcon(QStyle::SP_TitleBarMenuButton));
    return *icon;
}
// Styles draw the focus frame only once the keyboard has moved the focus in
// a window; screens and dialogs are worked from the keyboard from their first
// moment, so the control that holds the focus shows it from the start.
void ShowFocusFrames(QWidget& window) { window.setAttribute(Qt::WA_KeyboardFocusChange); }
}  // namespace

TApplication* const Application = &applicationInstance;
TScreen* const Screen = &screenInstance;

TForm::TForm(QWidget* parent) : QWidget(parent), clientSize_(size()) { setAttribute(Qt::WA_DeleteOnClose, false); }

TForm::~TForm() {
    // The components die with the widget below, after this form's index of
    // them: they must not report their end to it.
    for (QObject* component : components_) QObject::disconnect(component, nullptr, this, nullptr);
}

void TForm::SetCaption(const QString& caption) {
    setWindowTitle(caption);
    if (subWindow_) subWindow_->setWindowTitle(caption);
}

void TForm::EnsureHost() {
    QMdiArea* area = Application->MdiArea();
    if (formStyle_ != fsMDIChild || !area || subWindow_) return;
    auto* window = new TFormWindow(this, borderStyle_ != bsSizeable);
    subWindow_ = window;
    area->addSubWindow(window, Qt::SubWindow);
    subWindow_->setWindowTitle(windowTitle());
    if (subWindow_->windowIcon().isNull()) subWindow_->setWindowIcon(SubWindowIcon());
    // The frame takes the screen's size; a screen of fixed size keeps it.
    window->FitToState();
    if (borderStyle_ == bsSizeable) subWindow_->resize(subWindow_->sizeHint().expandedTo(size()));
    if (positioned_) subWindow_->move(position_);
    QObject::connect(area, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* active) {
        if (active && active == subWindow_) Activated();
    });
}

void TForm::Show() {
    const QScopedValueRollback<bool> showing(showing_, true);
    EnsureHost();
    ShowFocusFrames(*window());
    if (subWindow_) {
        subWindow_->show();
        subWindow_->raise();
        subWindow_->mdiArea()->setActiveSubWindow(subWindow_);
        return;
    }
    if (positioned_) move(position_);
    show();
    activateWindow();
}

void TForm::Close() {
    if (subWindow_)
        subWindow_->close();
    else
        close();
}

void TForm::Release() {
    QWidget* outer = subWindow_ ? static_cast<QWidget*>(subWindow_.data()) : this;
    // Hiding hands the focus on: the screen's controls must not take it as
    // the user leaving them, or a field would report its text over a screen
    // that is gone.
    const FocusQuietScope quiet;
    outer->hide();
    outer->deleteLater();
}

void TForm::Refresh() {
    QWidget* outer = subWindow_ ? static_cast<QWidget*>(subWindow_.data()) : this;
    if (showing_)
        outer->update();
    else
        outer->repaint();
}

TWindowState TForm::WindowState() const {
    const Qt::WindowStates states = subWindow_ ? subWindow_->windowState() : windowState();
    if (states & Qt::WindowMinimized) return wsMinimized;
    if (states & Qt::WindowMaximized) return wsMaximized;
    return wsNormal;
}

void TForm::SetWindowState(TWindowState state) {
    QWidget* outer = subWindow_ ? static_cast<QWidget*>(subWindow_.data()) : this;
    switch (state) {
        case wsMinimized: outer->showMinimized(); break;
        case wsMaximized: outer->showMaximized(); break;
        case wsNormal:
            if (outer->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) outer->showNormal();
            break;
    }
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
    borderStyle_ = style;
    UpdateFixedSize();
}

void TForm::SetLeft(int left) {
    position_.setX(left);
    positioned_ = true;
}

void TForm::SetTop(int top) {
    position_.setY(top);
    positioned_ = true;
}

void TForm::SetClientWidth(int width) {
    clientSize_.setWidth(width);
    UpdateFixedSize();
}

void TForm::SetClientHeight(int height) {
    clientSize_.setHeight(height);
    UpdateFixedSize();
}

void TForm::SetColor(TColor color) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ToQColor(color));
    ApplyPalette(*this, palette);
}

void TForm::UpdateFixedSize() {
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (WindowState() != wsNormal) return;  // maximised it fills its window
    resize(clientSize_);
    if (borderStyle_ != bsSizeable) setFixedSize(clientSize_);
}

QObject* TForm::FindComponent(const QString& name) const {
    const auto found = byName_.find(name);
    return found == byName_.end() ? nullptr : found->second;
}

QString TForm::ComponentClassName(const QObject* component) const {
    const auto found = classes_.find(component);
    return found == classes_.end() ? QString() : found->second->Name();
}

void TForm::AddComponent(QObject* component, const TClassInfo* info) {
    components_.append(component);
    byName_[component->objectName()] = component;
    classes_[component] = info;
    QObject::connect(component, &QObject::destroyed, this, [this](QObject* gone) {
        components_.removeAll(gone);
        classes_.erase(gone);
        for (auto it = byName_.begin(); it != byName_.end(); ++it)
            if (it->second == gone) {
                byName_.erase(it);
                break;
            }
    });
}

void TForm::Activated() { RaiseEvent(OnActivate, this); }

void TForm::closeEvent(QCloseEvent* event) {
    TCloseAction action = formStyle_ == fsMDIChild ? caMinimize : caHide;
    if (OnClose) Dispatch([&] { OnClose(this, action); });
    switch (action) {
        case caNone: event->ignore(); break;
        case caHide: event->accept(); break;
        case caMinimize:
            event->ignore();
            SetWindowState(wsMinimized);
            break;
        case caFree:
            event->accept();
            Release();
            break;
    }
}

void TForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !subWindow_ && isActiveWindow()) Activated();
}

void TForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && helpContext_ != 0) {
        Application->HelpCommand(helpFile_, helpContext_);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TApplication::Adopt(TForm* form) {
    // Freed screens leave null entries; a host opens screens all day long.
    forms_.removeIf([](const QPointer<TForm>& old) { return old.isNull(); });
    forms_.append(form);
    RaiseEvent(form->OnCreate, form);
    if (form->property("VisibleOnCreate").toBool()) form->Show();
}

QList<TForm*> TApplication::Forms() const {
    QList<TForm*> alive;
    for (const QPointer<TForm>& form : forms_)
        if (form) alive.append(form);
    return alive;
}

void TApplication::ShowMessage(TMsgDlgType type, const QString& text) {
    if (messageHook_) {
        messageHook_(type, text);
        return;
    }
    QMessageBox box(type == mtError ? QMessageBox::Critical
                    : type == mtWarning ? QMessageBox::Warning
                                        : QMessageBox::Information,
                    title_, text, QMessageBox::Ok, QApplication::activeWindow());
    MarkAsAlert(&box, text);
    ExecModal(box);
}

void TApplication::ShowException(const std::exception& error) {
    // The library's own text ("std::bad_alloc") would tell the user nothing.
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return ShowMessage(mtError, QStringLiteral("Não há memória suficiente para concluir esta ação. "
                                                   "Feche outras janelas ou escolha um período menor."));
    const auto* own = dynamic_cast<const Exception*>(&error);
    ShowMessage(mtError, own ? own->Message() : QString::fromLocal8Bit(error.what()));
}

int TApplication::ExecModal(QDialog& dialog) {
    ShowFocusFrames(dialog);
    if (modalHook_) return modalHook_(dialog);
    return dialog.exec();
}

void TApplication::ShowWindow(QWidget& window) {
    windows_.removeIf([](const QPointer<QWidget>& old) { return old.isNull(); });
    windows_.append(&window);
    ShowFocusFrames(window);
    if (windowHook_) return windowHook_(window);
    window.show();
    window.raise();
    window.activateWindow();
}

QList<QWidget*> TApplication::Windows() const {
    QList<QWidget*> alive;
    for (const QPointer<QWidget>& window : windows_)
        if (window) alive.append(window);
    return alive;
}

// A window that frees itself on closing only asks for it (deleteLater),
// which an event loop that is ending may never do.
void TApplication::CloseWindows() {
    for (QWidget* window : Windows()) {
        const QPointer<QWidget> open(window);
        window->close();
        delete open.data();
    }
    windows_.clear();
}

void TApplication::HelpCommand(const QString& file, int context) {
    if (helpHook_) {
        helpHook_(file, context);
        return;
    }
    // Without a host there is no help window to show the topic in.
    ShowMessage(mtInformation, QStringLiteral("Não há ajuda disponível aqui para esta tela (tópico %1 do arquivo de "
                                              "ajuda \"%2\").")
                                   .arg(context)
                                   .arg(file));
}

void TApplication::ProcessMessages() { QApplication::processEvents(); }

void TScreen::SetCursor(TCursor cursor) {
    cursor_ = cursor;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
    if (cursor == crDefault) return;
    QGuiApplication::setOverrideCursor(cursor == crHourGlass ? Qt::WaitCursor : Qt::ArrowCursor);
}

TForm* TScreen::ActiveForm() const {
    for (TForm* form : Application->Forms()) {
        const QWidget* outer = form->SubWindow() ? static_cast<QWidget*>(form->SubWindow()) : form;
        if (form->SubWindow() && form->SubWindow()->mdiArea()->activeSubWindow() == form->SubWindow()) return form;
        if (!form->SubWindow() && outer->isActiveWindow()) return form;
    }
    return nullptr;
}

TFormWindow::TFormWindow(TForm* form, bool fixedSize) : form_(form), fixedSize_(fixedSize) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWidget(form);
}

namespace {
// Minimised, maximised or normal changed, not just being the active window
// (nor Qt's own note of a state already set).
bool SizeStateChanged(QEvent* event, Qt::WindowStates now) {
    if (event->type() != QEvent::WindowStateChange) return false;
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    const Qt::WindowStates sized = Qt::WindowMinimized | Qt::WindowMaximized;
    return !change->isOverride() && ((change->oldState() ^ now) & sized) != 0;
}
}  // namespace

void TFormWindow::changeEvent(QEvent* event) {
    if (!form_ || !SizeStateChanged(event, windowState())) {
        QMdiSubWindow::changeEvent(event);
        return;
    }
    QPointer<QWidget> focused = QApplication::focusWidget();
    if (focused && !form_->isAncestorOf(focused)) focused = nullptr;
    const FocusQuietScope quiet;
    // The size is freed before Qt fits the window to a minimised or maximised
    // state, and fixed again once it is back to normal.
    const bool normal = !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));
    if (!normal) FitToState();
    QMdiSubWindow::changeEvent(event);
    if (normal) FitToState();
    if (focused && focused->isVisible() && !focused->hasFocus())
        focused->setFocus(Qt::OtherFocusReason);
}

void TFormWindow::FitToState() {
    if (form_) form_->UpdateFixedSize();
    if (!fixedSize_) return;
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        setFixedSize(sizeHint());
    }
}

TForm* FormOf(const QWidget* widget) {
    for (QWidget* w = widget ? widget->parentWidget() : nullptr; w; w = w->parentWidget())
        if (auto* form = qobject_cast<TForm*>(w)) return form;
    return nullptr;
}

// Declared with the events; defined here, with the application that shows
// what a handler throws.
void Dispatch(const std::function<void()>& action) {
    if (LoadingScope::Active()) return;
    try {
        action();
    } catch (const EAbort&) {
        // The action was ended on purpose; the user has been told already.
    } catch (const std::exception& e) {
        Application->ShowException(e);
    } catch (...) {
        Application->ShowException(Exception(QStringLiteral("Erro desconhecido.")));
    }
}
