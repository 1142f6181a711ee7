// Shared pieces of the host component tests: hooks that stand in for the
// person answering messages and dialogs, and a small screen built from a
// definition that uses the host's components.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QStringList>
#include <QTest>
#include <utility>
#include <vector>

#include "ButtonFlat.h"
#include "DateEditPlus.h"
#include "Forms.h"
#include "Messages.h"

// Captures what Application->ShowMessage shows, while it lives.
class MessageCapture {
public:
    MessageCapture() {
        Application->SetMessageHook(
            [this](TMsgDlgType type, const QString& text) { shown.emplace_back(type, text); });
    }
    ~MessageCapture() { Application->SetMessageHook(nullptr); }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    QStringList Texts() const {
        QStringList texts;
        for (const auto& message : shown) texts << message.second;
        return texts;
    }
    std::vector<std::pair<TMsgDlgType, QString>> shown;
};

// Answers modal dialogs with `answer` instead of running them, while it lives.
class ModalAnswer {
public:
    explicit ModalAnswer(TApplication::ModalHook answer) {
        Application->SetModalHook(std::move(answer));
    }
    ~ModalAnswer() { Application->SetModalHook(nullptr); }
    ModalAnswer(const ModalAnswer&) = delete;
    ModalAnswer& operator=(const ModalAnswer&) = delete;
};

// A date field on its own, with a spy on OnChange ("C:<text>") and
// OnDateChange ("D:<date>").
class DateEditTyping : public ::testing::Test {
protected:
    void SetUp() override {
        edit.OnChange = [this](TObject*) { spy << "C:" + edit.Text(); };
        edit.OnDateChange = [this](TObject*) { spy << "D:" + DateToStr(edit.GetDate()); };
    }
    void Type(const QString& keys) { QTest::keyClicks(&edit, keys); }

    TDateEditPlus edit;
    QStringList spy;
};

// Handlers that ran on the screen below, in order, with what they saw.
inline QStringList hostEvents;

// Two date fields wired as a report screen wires them (leaving a field checks
// it), a flat button and a catalogue.
class TfrmHostComponents : public TForm {
public:
    using inherited = TForm;
    static constexpr const char* ClassName = "TfrmHostComponents";
    static constexpr const char* Definition = ":/hosttest/forms/host_components.dfm";
    static void Publish(TPublisher<TfrmHostComponents>& p) {
        using F = TfrmHostComponents;
        p.Field("depDtIni", &F::depDtIni)
            .Field("depDtFim", &F::depDtFim)
            .Field("sbtSist", &F::sbtSist)
            .Field("msgPadrao", &F::msgPadrao);
        p.Handler("depDtIniChange", &F::depDtIniChange)
            .Handler("depDtIniDateChange", &F::depDtIniDateChange)
            .Handler("depDtIniExit", &F::depDtIniExit)
            .Handler("depDtFimChange", &F::depDtFimChange)
            .Handler("depDtFimDateChange", &F::depDtFimDateChange)
            .Handler("depDtFimExit", &F::depDtFimExit)
            .Handler("sbtSistClick", &F::sbtSistClick);
    }

    TDateEditPlus* depDtIni = nullptr;
    TDateEditPlus* depDtFim = nullptr;
    TButtonFlat* sbtSist = nullptr;
    TMessages* msgPadrao = nullptr;

    void depDtIniChange(TObject*) { hostEvents << "Ini.Change:" + depDtIni->Text(); }
    void depDtIniDateChange(TObject*) {
        hostEvents << "Ini.DateChange:" + DateToStr(depDtIni->GetDate());
    }
    void depDtIniExit(TObject*) {
        hostEvents << "Ini.Exit";
        depDtIni->CheckValidDate();
        hostEvents << "Ini.Exit.ok";
    }
    void depDtFimChange(TObject*) { hostEvents << "Fim.Change:" + depDtFim->Text(); }
    void depDtFimDateChange(TObject*) {
        hostEvents << "Fim.DateChange:" + DateToStr(depDtFim->GetDate());
    }
    void depDtFimExit(TObject*) {
        hostEvents << "Fim.Exit";
        depDtFim->CheckValidDate();
        hostEvents << "Fim.Exit.ok";
    }
    void sbtSistClick(TObject*) { hostEvents << "sbtSistClick"; }
};

// Creates the screen through the application, shown and active, with the
// event log empty. The caller deletes it (or leaves it to DeleteForms).
inline TfrmHostComponents* CreateShownHostForm() {
    TfrmHostComponents* form = nullptr;
    Application->CreateForm(form);
    form->Show();
    form->activateWindow();
    QApplication::setActiveWindow(form);
    EXPECT_TRUE(QTest::qWaitForWindowActive(form));
    hostEvents.clear();
    return form;
}

inline void DeleteForms() {
    for (TForm* form : Application->Forms()) delete form;
}
