// A report larger than the memory the process may take: its rows go to a
// temporary file of the report's own (SpillFile), so it is still read, laid
// out, previewed to its last page and printed to a PDF, and nothing of the
// file is left. Each row runs in a child process (this program again) under
// a limit on its private memory (RLIMIT_DATA, which shared file mappings do
// not count), with a report several times that limit.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdint>

#include "ReportJob.h"
#include "ReportOutput.h"
#include "ReportRunner.h"
#include "ReportTestSupport.h"
#include "SpillFile.h"

namespace {

constexpr int kRows = 320;             // of 1 MB each
constexpr std::int64_t kLimitMb = 80;  // over what the child had before the report
constexpr int kRowBytes = 1000 * 1000;

// The detailed report over `rows` rows whose table name is `width` digits.
ReportDefinition WideReport(int rows, int width) {
    ReportDefinition report = ReportDefinition::Read(ReportPath("RCL047_detalhado.rpt"));
    report.sql = QStringLiteral(
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ") +
                 QString::number(rows) +
                 QStringLiteral(
                     ") SELECT 'Estoque' AS SISTEMA, '2025-03-10 08:00:00' AS DATA_HORA, "
                     "printf('%0*d', ") +
                 QString::number(width) +
                 QStringLiteral(", i) AS TABELA, i AS REGISTROS, 'ANA' AS USUARIO FROM n");
    return report;
}

// What the preview and Salvar em PDF ask of a report: its page count, its
// last page, every page into a PDF.
class PreviewAndPdf : public ReportOutput {
public:
    explicit PreviewAndPdf(QString pdf) : pdf_(std::move(pdf)) {}
    bool TakesFirstPage() const override { return false; }
    bool KeepsRows() const override { return false; }
    QString Take(ReportJob& job, QWidget* /*host*/) override {
        pages = job.Pages();
        lastPage = !job.Renderer().PageImage(pages).isNull();
        QPdfWriter writer(pdf_);
        writer.setPageLayout(job.Renderer().PageLayout());
        job.Renderer().Render(writer);
        return pdf_;
    }
    int pages = 0;
    bool lastPage = false;

private:
    QString pdf_;
};

// Descriptors of this process open on a file in `folder`.
int OpenFilesIn(const QString& folder) {
    int open = 0;
    for (const QFileInfo& fd :
         QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System | QDir::Files))
        if (fd.symLinkTarget().startsWith(folder + u'/')) ++open;
    return open;
}

double VmDataMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmData:"))
            return line.mid(7).trimmed().split(' ').first().toDouble() / 1024;
    return -1;
}

struct Bounded {
    const char* name;
    bool spill;      // blocks past the first 16 MB from the file, as the host does
    bool completes;  // the report comes out whole
};

void PrintTo(const Bounded& row, std::ostream* os) { *os << row.name; }

class BoundedMemory : public ::testing::TestWithParam<Bounded> {};

// The child: RCL_BOUNDED_DIR names its folder; it prints "pages N" and
// "last page" as it gets them.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

TEST(BoundedMemoryChild, Runs) {
    const QString dir = qEnvironmentVariable("RCL_BOUNDED_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "run by BoundedMemory";
    const QString spill = dir + QStringLiteral("/spill");
    SpillFile::Tuning().folders = {spill};
    if (qEnvironmentVariableIsSet("RCL_BOUNDED_NO_SPILL"))
        SpillFile::Tuning().anonymousBytes = SIZE_MAX;
    TempReportDb db;
    HostConfigGuard guard(db.Path(), dir);
    const ReportDefinition report = WideReport(kRows, kRowBytes);
    PreviewAndPdf output(dir + QStringLiteral("/relatorio.pdf"));
    const auto limit = static_cast<rlim_t>((VmDataMb() + kLimitMb) * 1024 * 1024);
    const rlimit data{limit, limit};
    ASSERT_EQ(::setrlimit(RLIMIT_DATA, &data), 0);
    ReportRunner runner;
    try {
        runner.Run(report, output, QStringLiteral("preview"), {});
    } catch (const std::exception& error) {
        std::printf("failed %s\n", error.what());
    }
    std::printf("pages %d\n%s\nopen %d\n", output.pages,
                output.lastPage ? "last page" : "no last page", OpenFilesIn(spill));
}

TEST_P(BoundedMemory, ReportSeveralTimesTheLimitIsPreviewedAndPrinted) {
    if (kSanitized) GTEST_SKIP() << "the sanitizer's shadow and quarantine are counted in the limit";
    const Bounded& row = GetParam();
    QTemporaryDir dir;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("RCL_BOUNDED_DIR"), dir.path());
    if (!row.spill) env.insert(QStringLiteral("RCL_BOUNDED_NO_SPILL"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=BoundedMemoryChild.Runs")});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QString out = QString::fromUtf8(child.readAllStandardOutput());

    // The same report of narrow rows, in this process, for the page count.
    TempReportDb db;
    HostConfigGuard guard(db.Path(), dir.path());
    PreviewAndPdf narrow(dir.filePath(QStringLiteral("estreito.pdf")));
    ReportRunner().Run(WideReport(kRows, 1), narrow, QStringLiteral("preview"), {});
    ASSERT_GT(narrow.pages, 1);

    const bool whole = out.contains(QStringLiteral("pages %1\nlast page\n").arg(narrow.pages)) &&
                       child.exitCode() == 0 &&
                       QFileInfo(dir.filePath(QStringLiteral("relatorio.pdf"))).size() > 0;
    EXPECT_EQ(whole, row.completes)
        << out.toStdString() << child.readAllStandardError().toStdString();
    if (row.spill) {
        EXPECT_TRUE(out.contains(QStringLiteral("open 0\n"))) << "the file goes with the report";
        EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("spill"))).isEmpty())
            << "nothing of it has a name";
    }
}

// name | spills | comes out whole
INSTANTIATE_TEST_SUITE_P(Table, BoundedMemory,
                         ::testing::Values(Bounded{"RowsInTheirFile", true, true},
                                           Bounded{"RowsInMemoryFailUnderTheLimit", false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
