#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "ScriptReader.h"

class EventOutput;
class HostWindow;
class QDialog;
class QWidget;
class ReportObserver;
class TForm;
class TfrmConfirma;
class TfrmInputQuery;
class TfrmPesquisaLista;
class TfrmSenhaBanco;

// Runs a script of user actions on the real widgets of the host and writes
// one JSON object per line for what the user would have seen: messages,
// lookup lists, prompts and confirmations that opened, the report
// parameters, completed reports and the states asked for. Modal dialogs are
// answered from the script: by a `pick`, `answer`, `confirm` or `password`
// given before, or by the line right after the action that opened them;
// without an answer they are cancelled. An answer queued for another kind of
// dialog, or left unused at the end of the script, is a script error, and so
// is a `pick` of a row the list does not have (the list is cancelled). A
// password typed this way never appears in an event.
class ScriptRunner {
public:
    ScriptRunner(HostWindow& host, EventOutput& out, QString outputDir);
    ~ScriptRunner();

    // 0 when the script ran to its end, 2 when a line cannot be carried out,
    // 1 when the events could not be written (the run stops after the action
    // during which that happened).
    int Run(const std::vector<ScriptLine>& lines);

private:
    struct ScriptError {
        QString text;
    };
    using Command = void (ScriptRunner::*)(const ScriptLine&);

    int RunLines(const std::vector<ScriptLine>& lines);
    void Execute(const ScriptLine& line);
    void Emit(const QJsonObject& event);
    void Settle();
    int UnusedAnswers();
    int AnswerDialog(QDialog& dialog);
    int AnswerLookup(TfrmPesquisaLista& lookup);
    int AnswerPrompt(TfrmInputQuery& prompt);
    int AnswerConfirm(TfrmConfirma& confirm);
    int AnswerPassword(TfrmSenhaBanco& password);
    bool TakeAnswer(const QString& command, const QString& dialog, ScriptLine& answer);
    std::optional<QString> TakeText(const QString& command, const QString& dialog);

    TForm& ActiveScreen() const;
    QWidget& Control(const ScriptLine& line, int argument = 0) const;
    void FocusTo(QWidget& control);

    void Open(const ScriptLine& line);
    void Type(const ScriptLine& line);
    void Key(const ScriptLine& line);
    void Focus(const ScriptLine& line);
    void Click(const ScriptLine& line);
    void Select(const ScriptLine& line);
    void QueueAnswer(const ScriptLine& line);
    void Activate(const ScriptLine& line);
    void Minimize(const ScriptLine& line);
    void Maximize(const ScriptLine& line);
    void Restore(const ScriptLine& line);
    void Close(const ScriptLine& line);
    void State(const ScriptLine& line);
    void ScreenShot(const ScriptLine& line);
    void Export(const ScriptLine& line);
    void Period(const ScriptLine& line);

    HostWindow& host_;
    EventOutput& out_;
    QString outputDir_;
    std::unique_ptr<ReportObserver> reports_;  // their events
    const std::vector<ScriptLine>* lines_ = nullptr;
    size_t next_ = 0;
    std::deque<ScriptLine> answers_;
    QString answerError_;  // an answer that did not fit its dialog
    std::map<QString, Command> commands_;
    QMetaObject::Connection helpShown_;
};
