// The screen opened through IniProc and closed 10,000 times in one process,
// as a user of the host would over a long day, with a report every hundredth
// time. Whatever a cycle leaves behind adds up here; the resident memory
// after the first hundred cycles (caches warm) must still hold at the end.
#include <gtest/gtest.h>
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <optional>

#include "Cli_rcl04700.h"
#include "Forms.h"
#include "HostConfig.h"
#include "ReportDatabase.h"
#include "SqliteKind.h"
#include "ReportDesigner.h"
#include "ReportOutputChoice.h"
#include "ReportSpy.h"

namespace {

// SOAK_CYCLES runs fewer (or more) cycles, e.g. under valgrind or heaptrack.
int Cycles() {
    const int asked = qEnvironmentVariableIntValue("SOAK_CYCLES");
    return asked > 0 ? asked : 10000;
}
constexpr int kWarmUpCycles = 100;
constexpr int kReportEvery = 100;
constexpr long kAllowedGrowth = 1024 * 1024;

// Resident set size in bytes, from /proc/self/statm (second field, pages).
// Memory freed but kept by the allocator is handed back first, so that what
// is counted is what is still in use.
long ResidentBytes() {
    malloc_trim(0);
    long size = 0, resident = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) return -1;
    const int read = std::fscanf(statm, "%ld %ld", &size, &resident);
    std::fclose(statm);
    return read == 2 ? resident * sysconf(_SC_PAGESIZE) : -1;
}

class SoakTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(output_.isValid() && database_.isValid());
        savedConfig_ = HostConfig::Instance();
        HostConfig& config = HostConfig::Instance();
        config.reportsDir = QStringLiteral(REPORTS_DIR);
        config.databaseName = database_.filePath(QStringLiteral("relatorios.db"));
        CreateSqliteDatabase(config.databaseName, config.reportsDir, true);
        config.outputDir = output_.path();
        folder_.emplace(output_.path());
        Application->SetMessageHook([this](TMsgDlgType, const QString& text) { messages_ << text; });
        Application->SetModalHook([](QDialog&) { return int(QDialog::Rejected); });
        // Each PDF goes as soon as it is written: only the count matters.
        spy_.reportDone = [this](const QString&, const QString&, int, const QString& file) {
            ++reports_;
            QFile::remove(file);
        };
        window_.setCentralWidget(area_);
        window_.resize(900, 600);
        window_.show();
        QApplication::setActiveWindow(&window_);
        Application->SetMdiArea(area_);
    }

    void TearDown() override {
        Application->SetMdiArea(nullptr);
        Application->SetMessageHook(nullptr);
        Application->SetModalHook(nullptr);
        spy_.reportDone = nullptr;
        folder_.reset();
        HostConfig::Instance() = savedConfig_;
    }

    // One cycle as the host runs it: open, optionally a report, close, free.
    void Cycle(bool report) {
        IniProc();
        ASSERT_TRUE(boStCriado);
        QApplication::processEvents();
        if (report) Report(*frmLimpDados);
        frmLimpDados->Close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_FALSE(boStCriado);
    }

    static void Report(TfrmLimpDados& screen) {
        screen.depDtIni->setFocus(Qt::OtherFocusReason);
        QTest::keyClicks(screen.depDtIni, QStringLiteral("01032025"));
        screen.depDtFim->setFocus(Qt::OtherFocusReason);
        QTest::keyClicks(screen.depDtFim, QStringLiteral("31032025"));
        QTest::mouseClick(screen.sbtPreview, Qt::LeftButton);
    }

    HostConfig savedConfig_;
    std::optional<ReportsIntoFolder> folder_;
    ReportSpy spy_;
    QTemporaryDir output_;
    QTemporaryDir database_;
    QMainWindow window_;
    QMdiArea* area_ = new QMdiArea(&window_);
    QStringList messages_;
    int reports_ = 0;
};

TEST_F(SoakTest, OpeningAndClosingTheScreenTenThousandTimesKeepsMemoryFlat) {
    const int cycles = Cycles();
    long warm = 0;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        ASSERT_NO_FATAL_FAILURE(Cycle(cycle % kReportEvery == 0)) << "cycle " << cycle;
        if (cycle + 1 == kWarmUpCycles) warm = ResidentBytes();
    }
    const long end = ResidentBytes();
    std::printf("resident memory: %ld KiB after %d cycles, %ld KiB after %d (growth %ld KiB)\n", warm / 1024,
                kWarmUpCycles, end / 1024, cycles, (end - warm) / 1024);

    EXPECT_TRUE(messages_.isEmpty()) << messages_.join('\n').toStdString();
    EXPECT_EQ(reports_, (cycles + kReportEvery - 1) / kReportEvery);
    EXPECT_TRUE(Application->Forms().isEmpty());
    ASSERT_GT(warm, 0);
    EXPECT_LE(end - warm, kAllowedGrowth);
}

}  // namespace
