#include "ScriptRunner.h"

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <algorithm>
#include <utility>

#include "Confirma.h"
#include "Dadosgerrel.h"
#include "Dialogs.h"
#include "DatabasePassword.h"
#include "DateEditPlus.h"
#include "EventOutput.h"
#include "Forms.h"
#include "HostConfig.h"
#include "HostWindow.h"
#include "PesquisaLista.h"
#include "ReportDesigner.h"
#include "ReportObservers.h"
#include "SafeFile.h"
#include "ScriptInput.h"
#include "ScriptState.h"
#include "SystemError.h"

namespace {

// The reports' parameters, completed actions and exports, as events.
class ReportEvents : public ReportObserver {
public:
    explicit ReportEvents(std::function<void(const QJsonObject&)> send) : emit_(std::move(send)) {}

    void ParamsReady(const TParams& params) override { emit_(ParamsEvent(params)); }
    void ReportDone(const QString& action, const QString& title, int rows, const QString& file) override {
        emit_({{"event", "report"}, {"action", action}, {"title", title}, {"rows", rows}, {"file", file},
               {"sample", HostConfig::Instance().sampleDatabase}});
    }
    void Exported(const QString& action, const QString& title, qint64 rows, const QString& file,
                  int sheets) override {
        QJsonObject event{{"event", "report"}, {"action", action}, {"title", title},
                          {"rows", static_cast<double>(rows)}, {"file", file}};
        if (sheets > 0) event["sheets"] = sheets;
        emit_(event);
    }

private:
    std::function<void(const QJsonObject&)> emit_;
};

QString KindName(TMsgDlgType type) {
    return type == mtError ? "error" : type == mtWarning ? "warning" : "info";
}

const std::map<QString, Qt::Key>& NamedKeys() {
    static const std::map<QString, Qt::Key> keys = [] {
        std::map<QString, Qt::Key> k{{"Backspace", Qt::Key_Backspace}, {"Delete", Qt::Key_Delete},
                                     {"Tab", Qt::Key_Tab},             {"Enter", Qt::Key_Return},
                                     {"Escape", Qt::Key_Escape},       {"Left", Qt::Key_Left},
                                     {"Right", Qt::Key_Right},         {"Home", Qt::Key_Home},
                                     {"End", Qt::Key_End},             {"Space", Qt::Key_Space},
                                     {"Up", Qt::Key_Up},               {"Down", Qt::Key_Down},
                                     {"PgUp", Qt::Key_PageUp},         {"PgDown", Qt::Key_PageDown},
                                     {"Insert", Qt::Key_Insert}};
        for (int f = 1; f <= 12; ++f) k[QStringLiteral("F%1").arg(f)] = static_cast<Qt::Key>(Qt::Key_F1 + f - 1);
        return k;
    }();
    return keys;
}

}  // namespace

ScriptRunner::ScriptRunner(HostWindow& host, EventOutput& out, QString outputDir)
    : host_(host), out_(out), outputDir_(std::move(outputDir)) {
    commands_ = {{"open", &ScriptRunner::Open},         {"type", &ScriptRunner::Type},
                 {"key", &ScriptRunner::Key},           {"focus", &ScriptRunner::Focus},
                 {"click", &ScriptRunner::Click},       {"select", &ScriptRunner::Select},
                 {"pick", &ScriptRunner::QueueAnswer},  {"answer", &ScriptRunner::QueueAnswer},
                 {"confirm", &ScriptRunner::QueueAnswer},
                 {"password", &ScriptRunner::QueueAnswer},
                 {"activate", &ScriptRunner::Activate}, {"minimize", &ScriptRunner::Minimize},
                 {"maximize", &ScriptRunner::Maximize}, {"restore", &ScriptRunner::Restore},
                 {"close", &ScriptRunner::Close},       {"state", &ScriptRunner::State},
                 {"screenshot", &ScriptRunner::ScreenShot},
                 {"export", &ScriptRunner::Export},     {"period", &ScriptRunner::Period}};
    Application->SetMessageHook([this](TMsgDlgType type, const QString& text) {
        Emit({{"event", "message"}, {"kind", KindName(type)}, {"text", text}});
    });
    Application->SetModalHook([this](QDialog& dialog) { return AnswerDialog(dialog); });
    helpShown_ = QObject::connect(&host_, &HostWindow::HelpShown, &host_,
                                  [this](const QString& file, int context, const QString& title) {
                                      Emit({{"event", "help"}, {"file", file}, {"context", context}, {"title", title}});
                                  });
    reports_ = std::make_unique<ReportEvents>([this](const QJsonObject& event) { Emit(event); });
    ReportObservers::Add(reports_.get());
}

ScriptRunner::~ScriptRunner() {
    Application->SetMessageHook(nullptr);
    Application->SetModalHook(nullptr);
    QObject::disconnect(helpShown_);
    ReportObservers::Remove(reports_.get());
}

// Events nobody received outweigh what the script did.
int ScriptRunner::Run(const std::vector<ScriptLine>& lines) {
    const int status = RunLines(lines);
    return out_.Failed() ? 1 : status;
}

int ScriptRunner::RunLines(const std::vector<ScriptLine>& lines) {
    lines_ = &lines;
    for (next_ = 0; next_ < lines.size() && !out_.Failed();) {
        const ScriptLine& line = lines[next_++];
        try {
            Execute(line);
        } catch (const ScriptError& error) {
            Emit({{"event", "error"}, {"line", line.number}, {"text", error.text}});
            return 2;
        }
    }
    return UnusedAnswers();
}

// An answer no dialog asked for means the script and the screen parted ways.
int ScriptRunner::UnusedAnswers() {
    if (answers_.empty()) return 0;
    QStringList numbers;
    for (const ScriptLine& answer : answers_) numbers << QString::number(answer.number);
    Emit({{"event", "error"},
          {"line", answers_.front().number},
          {"text", QStringLiteral("nenhum diálogo usou a resposta (linhas %1)").arg(numbers.join(", "))}});
    return 2;
}

void ScriptRunner::Execute(const ScriptLine& line) {
    const auto found = commands_.find(line.command);
    if (found == commands_.end()) throw ScriptError{QStringLiteral("comando desconhecido: %1").arg(line.command)};
    (this->*found->second)(line);
    Settle();
    if (!answerError_.isEmpty()) throw ScriptError{std::exchange(answerError_, QString())};
}

void ScriptRunner::Emit(const QJsonObject& event) {
    out_.WriteLine(QJsonDocument(event).toJson(QJsonDocument::Compact));
}

// Lets the events that the action posted run, and released screens go.
void ScriptRunner::Settle() {
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

// The answer for a dialog of kind `command`: the first one queued, or the
// line right after the action when none is queued. A queued answer of
// another kind is not used for it: the dialog is cancelled and the action
// ends in an error.
bool ScriptRunner::TakeAnswer(const QString& command, const QString& dialog, ScriptLine& answer) {
    if (!answers_.empty() && answers_.front().command != command) {
        const ScriptLine& other = answers_.front();
        answerError_ = QStringLiteral("a resposta '%1' da linha %2 não serve para %3")
                           .arg(other.command)
                           .arg(other.number)
                           .arg(dialog);
        return false;
    }
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
        return true;
    }
    if (lines_ && next_ < lines_->size() && (*lines_)[next_].command == command) {
        answer = (*lines_)[next_++];
        return true;
    }
    return false;
}

int ScriptRunner::AnswerDialog(QDialog& dialog) {
    if (auto* lookup = qobject_cast<TfrmPesquisaLista*>(&dialog)) return AnswerLookup(*lookup);
    if (auto* password = qobject_cast<TfrmSenhaBanco*>(&dialog)) return AnswerPassword(*password);
    if (auto* prompt = qobject_cast<TfrmInputQuery*>(&dialog)) return AnswerPrompt(*prompt);
    if (auto* confirm = qobject_cast<TfrmConfirma*>(&dialog)) return AnswerConfirm(*confirm);
    return QDialog::Rejected;
}

int ScriptRunner::AnswerLookup(TfrmPesquisaLista& lookup) {
    Emit({{"event", "lookup"}, {"title", lookup.windowTitle()}, {"rows", QJsonArray::fromStringList(lookup.Rows())}});
    ScriptLine answer;
    if (!TakeAnswer("pick", QStringLiteral("a lista '%1'").arg(lookup.windowTitle()), answer) || answer.args.isEmpty())
        return QDialog::Rejected;
    if (!lookup.MarkExactly(answer.args)) {
        answerError_ = QStringLiteral("item inexistente na lista '%1' (linha %2)")
                           .arg(lookup.windowTitle())
                           .arg(answer.number);
        return QDialog::Rejected;
    }
    return QDialog::Accepted;
}

// The words of a `command` line answering `dialog`, joined by spaces; none
// when no such answer came or it had no words.
std::optional<QString> ScriptRunner::TakeText(const QString& command, const QString& dialog) {
    ScriptLine answer;
    if (!TakeAnswer(command, dialog, answer) || answer.args.isEmpty()) return std::nullopt;
    return answer.args.join(' ');
}

int ScriptRunner::AnswerPrompt(TfrmInputQuery& prompt) {
    Emit({{"event", "prompt"}, {"title", prompt.Caption()}, {"label", prompt.Prompt()}});
    const std::optional<QString> text =
        TakeText("answer", QStringLiteral("o pedido de texto '%1'").arg(prompt.Caption()));
    if (!text) return QDialog::Rejected;
    prompt.SetValue(*text);
    return QDialog::Accepted;
}

// The event names the database, never the password typed.
int ScriptRunner::AnswerPassword(TfrmSenhaBanco& password) {
    Emit({{"event", "password"}, {"title", password.Caption()}, {"label", password.Prompt()},
          {"database", password.Database()}});
    const std::optional<QString> text =
        TakeText("password", QStringLiteral("a senha de %1").arg(password.Database()));
    if (!text) return QDialog::Rejected;
    password.SetValue(*text);
    return QDialog::Accepted;
}

int ScriptRunner::AnswerConfirm(TfrmConfirma& confirm) {
    Emit({{"event", "confirm"}, {"title", confirm.Caption()}, {"text", confirm.Text()}});
    ScriptLine answer;
    if (!TakeAnswer("confirm", QStringLiteral("a confirmação '%1'").arg(confirm.Caption()), answer))
        return QDialog::Rejected;
    const QString choice = answer.args.value(0);
    if (answer.args.size() != 1 || (choice != "yes" && choice != "no"))
        answerError_ = QStringLiteral("confirm espera yes ou no (linha %1)").arg(answer.number);
    return choice == "yes" && answerError_.isEmpty() ? QDialog::Accepted : QDialog::Rejected;
}

TForm& ScriptRunner::ActiveScreen() const {
    QMdiSubWindow* window = host_.MdiArea()->activeSubWindow();
    if (!window) window = host_.MdiArea()->currentSubWindow();
    auto* form = window ? qobject_cast<TForm*>(window->widget()) : nullptr;
    if (!form) throw ScriptError{QStringLiteral("nenhuma tela aberta")};
    return *form;
}

QWidget& ScriptRunner::Control(const ScriptLine& line, int argument) const {
    if (line.args.size() <= argument) throw ScriptError{QStringLiteral("falta o nome do controle")};
    const QString& name = line.args[argument];
    auto* control = qobject_cast<QWidget*>(ActiveScreen().FindComponent(name));
    if (!control) throw ScriptError{QStringLiteral("controle desconhecido: %1").arg(name)};
    return *control;
}

// As a person clicking into the control: the control that had the focus
// sees it leave.
void ScriptRunner::FocusTo(QWidget& control) {
    if (QApplication::focusWidget() == &control) return;
    control.setFocus(Qt::MouseFocusReason);
    Settle();
}

void ScriptRunner::Open(const ScriptLine& line) {
    if (host_.Modules().empty()) throw ScriptError{QStringLiteral("nenhum módulo carregado")};
    LoadedModule* module = line.args.isEmpty() ? host_.Modules().front().get() : host_.FindModule(line.args[0]);
    if (!module) throw ScriptError{QStringLiteral("módulo desconhecido: %1").arg(line.args[0])};
    host_.OpenModule(*module);
}

void ScriptRunner::Type(const ScriptLine& line) {
    QWidget& control = Control(line);
    const QString text = line.args.value(1);
    FocusTo(control);
    QWidget* target = &control;
    if (auto* combo = qobject_cast<QComboBox*>(&control); combo && combo->lineEdit()) target = combo->lineEdit();
    if (auto* edit = qobject_cast<QLineEdit*>(target)) edit->selectAll();
    if (text.isEmpty())
        PressKey(target, Qt::Key_Delete);
    else
        TypeCharacters(target, text);
}

void ScriptRunner::Key(const ScriptLine& line) {
    QWidget& control = Control(line);
    const QString name = line.args.value(1);
    Qt::KeyboardModifiers modifiers;
    for (const QString& modifier : line.args.mid(2)) {
        if (modifier == "shift") modifiers |= Qt::ShiftModifier;
        else if (modifier == "ctrl") modifiers |= Qt::ControlModifier;
        else if (modifier == "alt") modifiers |= Qt::AltModifier;
        else throw ScriptError{QStringLiteral("modificador desconhecido: %1").arg(modifier)};
    }
    FocusTo(control);
    const auto named = NamedKeys().find(name);
    if (named != NamedKeys().end())
        PressKey(&control, named->second, modifiers);
    else if (name.size() == 1 || (name.size() == 2 && name[0].isHighSurrogate()))
        TypeCharacter(&control, name, modifiers);
    else
        throw ScriptError{QStringLiteral("tecla desconhecida: %1").arg(name)};
}

void ScriptRunner::Focus(const ScriptLine& line) { FocusTo(Control(line)); }

void ScriptRunner::Click(const ScriptLine& line) { ClickCentre(&Control(line)); }

void ScriptRunner::Select(const ScriptLine& line) {
    auto* combo = qobject_cast<QComboBox*>(&Control(line));
    if (!combo) throw ScriptError{QStringLiteral("%1 não é uma lista de escolha").arg(line.args[0])};
    const int index = combo->findText(line.args.value(1));
    if (index < 0) throw ScriptError{QStringLiteral("item inexistente: %1").arg(line.args.value(1))};
    FocusTo(*combo);
    combo->setCurrentIndex(index);
}

void ScriptRunner::QueueAnswer(const ScriptLine& line) { answers_.push_back(line); }

// Another window comes to the front, then the screen again: the screen is
// activated anew.
void ScriptRunner::Activate(const ScriptLine& /*line*/) {
    TForm& screen = ActiveScreen();
    QMdiSubWindow* other = host_.MdiArea()->addSubWindow(new QWidget);
    other->show();
    host_.MdiArea()->setActiveSubWindow(other);
    Settle();
    screen.Show();
    other->close();
    other->deleteLater();
}

void ScriptRunner::Minimize(const ScriptLine& /*line*/) { ActiveScreen().SetWindowState(wsMinimized); }
void ScriptRunner::Maximize(const ScriptLine& /*line*/) { ActiveScreen().SetWindowState(wsMaximized); }
void ScriptRunner::Restore(const ScriptLine& /*line*/) { ActiveScreen().SetWindowState(wsNormal); }
void ScriptRunner::Close(const ScriptLine& /*line*/) { ActiveScreen().Close(); }

void ScriptRunner::State(const ScriptLine& /*line*/) { Emit(StateEvent(host_.MdiArea())); }

void ScriptRunner::ScreenShot(const ScriptLine& line) {
    if (line.args.isEmpty()) throw ScriptError{QStringLiteral("falta o nome do arquivo")};
    const QString file = QDir(outputDir_).absoluteFilePath(line.args[0]);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!host_.grab().save(&buffer, "PNG"))
        throw ScriptError{QStringLiteral("não foi possível gerar a imagem de %1").arg(file)};
    // Whole or not at all: a full disk leaves no truncated PNG behind.
    try {
        MakeFolder(QFileInfo(file).absolutePath(), QStringLiteral("da imagem"));
        SafeFile out(file);
        out.Device().write(png);
        out.Commit();
    } catch (const Exception& error) {
        throw ScriptError{error.Message()};
    }
}

// The rows of the report the screen's last Visualizar produced, into the
// output folder; a failure to write is the screen's message, as for a PDF.
void ScriptRunner::Export(const ScriptLine& line) {
    const QString kind = line.args.value(0);
    if (line.args.size() != 1 || (kind != "xlsx" && kind != "csv"))
        throw ScriptError{QStringLiteral("export espera xlsx ou csv")};
    const QList<TReportDesignerDialog*> reports = ActiveScreen().findChildren<TReportDesignerDialog*>();
    const auto previewed = std::find_if(reports.begin(), reports.end(),
                                        [](const TReportDesignerDialog* report) { return report->HasLastPreview(); });
    if (previewed == reports.end())
        throw ScriptError{QStringLiteral("nenhum relatório visualizado nesta tela para exportar")};
    const auto format = kind == "xlsx" ? ReportExport::Format::Xlsx : ReportExport::Format::Csv;
    Dispatch([&] { (*previewed)->ExportLastPreview(format); });
}

// As a person choosing the preset from the list of either date field.
void ScriptRunner::Period(const ScriptLine& line) {
    auto* screen = qobject_cast<TfrmDadosGerRel*>(&ActiveScreen());
    if (!screen || !screen->Period()) throw ScriptError{QStringLiteral("a tela não tem período")};
    if (line.args.isEmpty()) throw ScriptError{QStringLiteral("falta o nome do período")};
    const QString& name = line.args[0];
    const int preset = PeriodPresetIndex(name);
    if (preset < 0 || line.args.size() > 1)
        throw ScriptError{QStringLiteral("período desconhecido: %1").arg(line.args.join(' ').left(40))};
    if (!screen->Period()->Choose(preset))
        throw ScriptError{QStringLiteral("o período %1 sai dos anos 1 a 9999").arg(name)};
}
