#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>
#include <exception>
#include <functional>
#include <map>

#include "Events.h"
#include "Export.h"
#include "FormClass.h"
#include "Graphics.h"

#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>

class TClassInfo;

enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TFormStyle { fsNormal, fsMDIChild };
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };

// A screen. Its components come from its class's definitions; it is shown as
// a child of the host's MDI area when it is an MDI child and there is one,
// else as a window of its own.
class FRAMEWORK_EXPORT TForm : public QWidget {
    Q_OBJECT
public:
    using inherited = TForm;

    explicit TForm(QWidget* parent = nullptr);
    ~TForm() override;

    QString Name() const { return objectName(); }
    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& caption);

    // Shows the screen and brings it to the front.
    void Show();
    // Asks the screen to close, as the user's close button does.
    void Close();
    // Frees the screen once the current event has been handled.
    void Release();
    // Repaints the whole screen now. Called while Show is still at work (the
    // activate event runs inside it), it leaves the painting to the event
    // loop, which paints the screen that Show puts up in any case.
    void Refresh();

    TWindowState WindowState() const;
    void SetWindowState(TWindowState state);

    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle style) { formStyle_ = style; }
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    void SetLeft(int left);
    void SetTop(int top);
    void SetClientWidth(int width);
    void SetClientHeight(int height);
    void SetColor(TColor color);

    const QString& HelpFile() const { return helpFile_; }
    void SetHelpFile(const QString& file) { helpFile_ = file; }
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int context) { helpContext_ = context; }

    // The form's component of that name, or nullptr.
    QObject* FindComponent(const QString& name) const;
    // The components in the order they were created.
    const QList<QObject*>& Components() const { return components_; }
    // The component's class name as definitions write it ("TEdit").
    QString ComponentClassName(const QObject* component) const;
    // The component of that name and class; throws Exception naming what is missing.
    template <class C>
    C& Component(const QString& name) const {
        auto* typed = dynamic_cast<C*>(FindComponent(name));
        if (!typed) throw Exception(QStringLiteral("componente '%1.%2' não encontrado").arg(Name(), name));
        return *typed;
    }

    TNotifyEvent OnCreate;
    TNotifyEvent OnActivate;
    TCloseEvent OnClose;

    // Reads the class's definitions into this form; used by CreateForm.
    void LoadDefinitions(const TFormClass& formClass);
    void AddComponent(QObject* component, const TClassInfo* info);

    QMdiSubWindow* SubWindow() const { return subWindow_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class TFormWindow;  // fits the screen's size to its window's state

    void EnsureHost();
    void Activated();
    void UpdateFixedSize();

    TFormStyle formStyle_ = fsNormal;
    TFormBorderStyle borderStyle_ = bsSizeable;
    QString helpFile_;
    int helpContext_ = 0;
    QSize clientSize_;
    QPoint position_;
    bool positioned_ = false;
    bool showing_ = false;  // inside Show
    QPointer<QMdiSubWindow> subWindow_;
    QList<QObject*> components_;
    std::map<QString, QObject*> byName_;
    std::map<const QObject*, const TClassInfo*> classes_;
};

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };

// The application object: creates the screens, lists those alive, and shows
// messages. It holds no screen alive: a screen is freed when it is released
// (its close action caFree) or with the MDI area that shows it, and the
// application keeps only guarded pointers (QPointer), so a freed screen just
// drops out of Forms(). A host replaces how messages, modal dialogs, windows
// that leave the others usable and help requests are shown (scripted runs
// answer them without a person; tests drive them).
class FRAMEWORK_EXPORT TApplication {
public:
    // Creates a form of class T: the reference is set first, then the
    // definitions are read and the create event runs. When that fails the
    // form is freed, the reference cleared and the error rethrown.
    template <class T>
    void CreateForm(T*& reference) {
        T* form = new T();
        reference = form;
        try {
            form->LoadDefinitions(FormClassOf<T>());
            Adopt(form);
        } catch (...) {
            reference = nullptr;
            delete form;
            throw;
        }
    }

    QString Title() const { return title_; }
    void SetTitle(const QString& title) { title_ = title; }

    // The host's MDI area; MDI child screens are shown in it.
    QMdiArea* MdiArea() const { return mdiArea_; }
    void SetMdiArea(QMdiArea* area) { mdiArea_ = area; }
    QList<TForm*> Forms() const;

    using MessageHook = std::function<void(TMsgDlgType type, const QString& text)>;
    using ModalHook = std::function<int(QDialog& dialog)>;
    using WindowHook = std::function<void(QWidget& window)>;
    using HelpHook = std::function<void(const QString& file, int context)>;
    void SetMessageHook(MessageHook hook) { messageHook_ = std::move(hook); }
    void SetModalHook(ModalHook hook) { modalHook_ = std::move(hook); }
    void SetWindowHook(WindowHook hook) { windowHook_ = std::move(hook); }
    void SetHelpHook(HelpHook hook) { helpHook_ = std::move(hook); }

    void ShowMessage(TMsgDlgType type, const QString& text);
    void ShowException(const std::exception& error);
    // Runs a dialog modally (or lets the host answer it) and gives its result.
    int ExecModal(QDialog& dialog);
    // Shows a window that leaves every other usable (a report's preview), in
    // front and active, or lets the host's hook show it; returns at once.
    // The window stays in Windows() for as long as it lives.
    void ShowWindow(QWidget& window);
    // The windows ShowWindow showed that are still alive, in that order.
    QList<QWidget*> Windows() const;
    // Closes each of those windows as its close button does, without asking
    // anything more, and frees it: none outlives the host's window.
    void CloseWindows();
    // Asks the host to show the help topic; without a host's hook the user
    // is told there is no help here.
    void HelpCommand(const QString& file, int context);
    void ProcessMessages();

private:
    void Adopt(TForm* form);

    QString title_ = QStringLiteral("Aplicação");
    QPointer<QMdiArea> mdiArea_;
    QList<QPointer<TForm>> forms_;
    MessageHook messageHook_;
    ModalHook modalHook_;
    WindowHook windowHook_;
    HelpHook helpHook_;
    QList<QPointer<QWidget>> windows_;
};

using TCursor = int;
constexpr TCursor crDefault = 0, crArrow = -2, crHourGlass = -11;

// The screen: the cursor shown over the whole application.
class FRAMEWORK_EXPORT TScreen {
public:
    TCursor Cursor() const { return cursor_; }
    // Any cursor but crDefault is shown over every window until crDefault.
    void SetCursor(TCursor cursor);
    TForm* ActiveForm() const;

private:
    TCursor cursor_ = crDefault;
};

// The form that holds a widget, or nullptr.
FRAMEWORK_EXPORT TForm* FormOf(const QWidget* widget);

extern FRAMEWORK_EXPORT TApplication* const Application;
extern FRAMEWORK_EXPORT TScreen* const Screen;
