// Shared by the screen tests: a host main window with its MDI area, the host
// configured for reports into PDF files, as scripted runs make them
// (Interactive() for people's preview and printer), over a temporary
// database and a copy of the report definitions, and hooks that stand in for
// the person who reads messages, answers dialogs and works in previews.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QMdiArea>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "Cli_rcl04700.h"
#include "ClassRegistry.h"
#include "Dialogs.h"
#include "Forms.h"
#include "HostConfig.h"
#include "PesquisaLista.h"
#include "QtPrinters.h"
#include "ReportDatabase.h"
#include "SqliteKind.h"
#include "ReportDesigner.h"
#include "ReportOutputChoice.h"
#include "ReportSpy.h"
#include "ReportsFolder.h"

// One report database for the whole run, with the sample: it is built on
// first use, which takes a moment.
inline QString SharedDatabaseFile() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("relatorios.db"));
        CreateSqliteDatabase(file, QStringLiteral(REPORTS_DIR), true);
        return file;
    }();
    return path;
}

// Replaces how a registered class is created, and puts the original back.
class FactoryOverride {
public:
    FactoryOverride(const QString& className, TClassInfo::Factory factory)
        : info_(ClassRegistry().FindMutable(className)) {
        saved_ = info_->ReplaceFactory(std::move(factory));
    }
    ~FactoryOverride() { info_->ReplaceFactory(saved_); }
    FactoryOverride(const FactoryOverride&) = delete;
    FactoryOverride& operator=(const FactoryOverride&) = delete;

private:
    TClassInfo* info_;
    TClassInfo::Factory saved_;
};

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedConfig_ = HostConfig::Instance();
        ConfigureHost();
        InstallHooks();
        mainWindow_ = std::make_unique<QMainWindow>();
        area = new QMdiArea(mainWindow_.get());
        mainWindow_->setCentralWidget(area);
        mainWindow_->resize(900, 600);
        mainWindow_->show();
        QApplication::setActiveWindow(mainWindow_.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(mainWindow_.get()));
        Application->SetMdiArea(area);
    }

    void TearDown() override {
        Application->CloseWindows();
        Application->SetWindowHook(nullptr);
        CloseScreen();
        for (TForm* form : Application->Forms()) delete form;
        boStCriado = false;  // a failed close must not spill into the next test
        Application->SetMessageHook(nullptr);
        Application->SetModalHook(nullptr);
        Application->SetHelpHook(nullptr);
        Application->SetMdiArea(nullptr);
        reportSpy.paramsReady = nullptr;
        reportSpy.reportDone = nullptr;
        reportSpy.exported = nullptr;
        folderReports.reset();
        HostConfig::Instance() = savedConfig_;
        Screen->SetCursor(crDefault);
        mainWindow_.reset();
    }

    // Opens the screen as the host does and waits until it is the active one.
    TfrmLimpDados& Open() {
        IniProc();
        EXPECT_TRUE(boStCriado);
        QApplication::processEvents();
        return *frmLimpDados;
    }

    // Closes the screen as the user does and lets it be freed.
    void CloseScreen() {
        if (!boStCriado || !frmLimpDados) return;
        frmLimpDados->Close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(boStCriado) << "closing the screen must end it";
    }

    int ScreenCount() const {
        int count = 0;
        for (TForm* form : Application->Forms()) count += dynamic_cast<TfrmLimpDados*>(form) ? 1 : 0;
        return count;
    }

    static void Type(QWidget* field, const QString& keys) {
        field->setFocus(Qt::OtherFocusReason);
        QTest::keyClicks(field, keys);
    }

    // Empties a date field with the keyboard and types new digits into it.
    static void Retype(TDateEditPlus* field, const QString& keys) {
        field->setFocus(Qt::OtherFocusReason);
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, keys);
    }

    // The next lookup lists are answered by marking exactly `texts` and OK.
    void AnswerLookups(const QStringList& texts) {
        answer = [this, texts](QDialog& dialog) {
            auto* lookup = dynamic_cast<TfrmPesquisaLista*>(&dialog);
            if (!lookup) return int(QDialog::Rejected);
            lookupRows = lookup->Rows();
            EXPECT_TRUE(lookup->MarkExactly(texts));
            return int(QDialog::Accepted);
        };
    }

    // The next title prompts are answered with `title` and OK.
    void AnswerPrompts(const QString& title) {
        answer = [this, title](QDialog& dialog) {
            auto* prompt = dynamic_cast<TfrmInputQuery*>(&dialog);
            if (!prompt) return int(QDialog::Rejected);
            promptTexts << prompt->Caption() << prompt->Prompt();
            prompt->SetValue(title);
            return int(QDialog::Accepted);
        };
    }

    // A definition of the screen's report code, with this title and query,
    // among the reports (before the screen opens, which lists them).
    void AddReport(const QString& title, const QString& sql) {
        ReportDefinition report = ReportDefinition::Read(QDir(reportsDir.path()).filePath("RCL047_resumo.rpt"));
        report.title = title;
        report.sql = sql;
        report.headerLine.clear();
        report.Write(QDir(reportsDir.path()).filePath("RCL047_" + QString::number(qHash(title)) + ".rpt"));
    }

    // Reports into PDF files in outputDir, no progress (the start), or
    // people's outputs: the preview, the print dialog, progress.
    void IntoFolder() { folderReports.emplace(outputDir.path()); }
    void Interactive() { folderReports.reset(); }

    QMdiArea* area = nullptr;
    QStringList messages;                         // every message shown, in order
    QStringList dialogs;                          // titles of the modal dialogs run
    QList<QPointer<QWidget>> windows;             // the windows shown beside the screens
    std::function<int(QDialog&)> answer;          // how they are answered; none: Cancel
    QStringList lookupRows;                       // rows the last answered lookup listed
    QStringList promptTexts;                      // caption and prompt of answered prompts
    QStringList helpRequests;                     // "<file>#<context>"
    std::vector<TParams> paramsSeen;              // as each report filled them
    QStringList reportsDone;                      // "<action>:<title>"
    QTemporaryDir outputDir;
    QTemporaryDir reportsDir;
    QTemporaryDir userReportsDir;  // where Salvar como writes
    ReportSpy reportSpy;
    std::optional<ReportsIntoFolder> folderReports;

private:
    void ConfigureHost() {
        ASSERT_TRUE(CopyReportsFolder(QStringLiteral(REPORTS_DIR), reportsDir.path()));
        HostConfig& config = HostConfig::Instance();
        config.reportsDir = reportsDir.path();
        config.userReportsDir = userReportsDir.path();
        config.databaseKind = QStringLiteral("sqlite");
        config.databaseName = SharedDatabaseFile();
        config.outputDir = outputDir.path();
        IntoFolder();
    }

    void InstallHooks() {
        Application->SetMessageHook([this](TMsgDlgType, const QString& text) { messages << text; });
        Application->SetModalHook([this](QDialog& dialog) {
            dialogs << dialog.windowTitle();
            return answer ? answer(dialog) : int(QDialog::Rejected);
        });
        // A preview: shown and active, as the window system leaves it; then
        // `answer` may drive it. Without one it stays open.
        Application->SetWindowHook([this](QWidget& window) {
            windows << &window;
            window.show();
            QApplication::setActiveWindow(&window);
            if (auto* dialog = qobject_cast<QDialog*>(&window); dialog && answer) answer(*dialog);
        });
        Application->SetHelpHook(
            [this](const QString& file, int context) { helpRequests << QStringLiteral("%1#%2").arg(file).arg(context); });
        reportSpy.paramsReady = [this](const TParams& params) { paramsSeen.push_back(params); };
        reportSpy.reportDone = [this](const QString& action, const QString& title, int, const QString&) {
            reportsDone << action + ":" + title;
        };
    }

    HostConfig savedConfig_;
    std::unique_ptr<QMainWindow> mainWindow_;
};
