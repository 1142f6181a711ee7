// The PDF writer (PdfPages, on cairo) against the pages the screen paints:
// the same picture, the same text, pages in order, and a cancel that leaves
// no file.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "PdfPages.h"
#include "ReportRenderer.h"
#include "ReportTestSupport.h"
#include "SafeFile.h"
#include "SmallFileSystem.h"
#include "SysUtils.h"

namespace {

ReportDefinition Cleanup() {
    ReportDefinition report;
    report.code = "RCL047";
    report.title = QString::fromUtf8("Relatório de Limpeza");
    report.groupField = "SISTEMA";
    report.columns = {ReportColumn{"c1", "SISTEMA", "Sistema", 35, 0, "", false},
                      ReportColumn{"c2", "TABELA", "Tabela", 60, 0, "", false},
                      ReportColumn{"c3", "REGISTROS", "Registros", 30, 1, "integer", true},
                      ReportColumn{"c4", "USUARIO", QString::fromUtf8("Usuário"), 40, 2, "", false}};
    return report;
}

// `rows` rows in `groups` groups, each row numbered in its table name.
ReportData CleanupRows(int rows, int groups) {
    ReportData data(QStringList{"SISTEMA", "TABELA", "REGISTROS", "USUARIO"});
    for (int i = 0; i < rows; ++i)
        data.AddRow({QString::fromUtf8("Exportação %1").arg(i * groups / rows), QString("TABELA_%1").arg(i, 5, 10, QChar('0')),
                     i * 1001, QString::fromUtf8("joão")});
    return data;
}

QString WriteCairo(const ReportRenderer& renderer, const QTemporaryDir& dir, int first = 1, int last = 0) {
    const QString path = dir.filePath("cairo.pdf");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    PdfPages::Write(renderer, QString::fromUtf8("Relatório"), file, first, last ? last : renderer.PageCount());
    return path;
}

QString WriteQt(const ReportRenderer& renderer, const QTemporaryDir& dir) {
    const QString path = dir.filePath("qt.pdf");
    QPdfWriter writer(path);
    writer.setPageLayout(renderer.PageLayout());
    renderer.Render(writer);
    return path;
}

QString Output(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}

// Page `page` of a PDF file as pdftoppm draws it, in grey.
QImage Rasterised(const QString& pdf, int page, int dpi) {
    const QString prefix = QFileInfo(pdf).absolutePath() + "/page";
    const QString n = QString::number(page);
    Output("pdftoppm", {"-r", QString::number(dpi), "-gray", "-png", "-singlefile", "-f", n, "-l", n, pdf, prefix});
    return QImage(prefix + ".png").convertToFormat(QImage::Format_Grayscale8);
}

struct Difference {
    double mean;   // mean absolute difference of grey, 0 to 255
    double share;  // share of pixels that differ by more than a quarter of the range
};

// Over the area both images cover (pdftoppm rounds the sheet's size up).
Difference Compare(const QImage& a, const QImage& b) {
    const int w = std::min(a.width(), b.width());
    const int h = std::min(a.height(), b.height());
    double sum = 0;
    qint64 differing = 0;
    for (int y = 0; y < h; ++y) {
        const uchar* p = a.constScanLine(y);
        const uchar* q = b.constScanLine(y);
        for (int x = 0; x < w; ++x) {
            const int d = std::abs(int(p[x]) - int(q[x]));
            sum += d;
            differing += d > 64;
        }
    }
    const double pixels = double(w) * h;
    return {sum / pixels, differing / pixels};
}

// Drawn at 100 dpi and smoothed to 25 (a row of the report is 4 pixels
// high): at 50 dpi the screen's hinted 6-pixel glyphs differ from
// pdftoppm's in every letter (a mean of 10 grey levels, as much for the PDF
// Qt wrote before as for this one), which would hide a text out of place.
QImage Smoothed(const QImage& image) {
    return image.convertToFormat(QImage::Format_Grayscale8)
        .scaled(image.width() / 4, image.height() / 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// ---------------------------------------------------------------------------
// A page of the PDF as pdftoppm draws it, against the same page as the
// screen paints it (PageImage) and as Qt's PDF engine wrote it before.
// Measured on these pages: against Qt's PDF (both drawn by pdftoppm) a mean
// of at most 1.4 grey levels and 0.4% of pixels off by more than 64; against
// the screen at most 2.7 and 0.1%, as close as Qt's PDF itself was (2.8).
// Another page of the same report is 8 and more, with 3 to 6% of its pixels
// off (AnotherPageIsFarOff); the limits sit between, so a text drawn
// elsewhere, in another font or size, or left out fails them.
struct PictureCase {
    const char* name;
    int rows;
    int groups;
    const char* parameters;
    const char* notice;
    int page;
};

void PrintTo(const PictureCase& row, std::ostream* os) { *os << row.name; }

class PdfPagesPicture : public ::testing::TestWithParam<PictureCase> {};

TEST_P(PdfPagesPicture, LooksAsTheScreenAndQtsPdf) {
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty()) GTEST_SKIP() << "pdftoppm não instalado";
    const PictureCase& row = GetParam();
    const ReportRenderer renderer(Cleanup(), CleanupRows(row.rows, row.groups), QString::fromUtf8(row.parameters),
                                  QString::fromUtf8(row.notice));
    ASSERT_LE(row.page, renderer.PageCount());
    QTemporaryDir dir;
    const QImage pdf = Rasterised(WriteCairo(renderer, dir), row.page, 50);
    ASSERT_FALSE(pdf.isNull());
    const Difference qt = Compare(pdf, Rasterised(WriteQt(renderer, dir), row.page, 50));
    EXPECT_LT(qt.mean, 3.0);
    EXPECT_LT(qt.share, 0.01);
    const Difference screen = Compare(Smoothed(Rasterised(dir.filePath("cairo.pdf"), row.page, 100)),
                                      Smoothed(renderer.PageImage(row.page, 100)));
    EXPECT_LT(screen.mean, 4.5);
    EXPECT_LT(screen.share, 0.01);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PdfPagesPicture,
    ::testing::Values(
        PictureCase{"RowsAndTotals", 40, 3, "Período: 01/03/2025 a 31/03/2025   Sistemas: Todos", "", 1},
        PictureCase{"ContinuedGroupAndGrandTotal", 160, 2, "", "", 3},
        PictureCase{"NoticeAndWrappedParameters", 10, 1,
                    "Período: 01/03/2025 a 31/03/2025   Sistemas: Estoque, Compras, Vendas, Financeiro, "
                    "Contabilidade, Fiscal, Recursos Humanos, Exportação, Importação, Logística, Patrimônio, "
                    "Jurídico, Marketing, Tesouraria, Controladoria, Auditoria, Qualidade, Manutenção",
                    "Dados de demonstração", 1},
        PictureCase{"NoRows", 0, 1, "", "", 1}),
    [](const auto& info) { return std::string(info.param.name); });

// The measure tells pages apart: another page of the same report is far
// over the limits above, both ways.
TEST(PdfPagesPicture, AnotherPageIsFarOff) {
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty()) GTEST_SKIP() << "pdftoppm não instalado";
    const ReportRenderer renderer(Cleanup(), CleanupRows(160, 2), "");
    QTemporaryDir dir;
    const QString cairo = WriteCairo(renderer, dir);
    const Difference qt = Compare(Rasterised(cairo, 2, 50), Rasterised(WriteQt(renderer, dir), 3, 50));
    EXPECT_GT(qt.mean, 6.0);
    EXPECT_GT(qt.share, 0.02);
    const Difference screen = Compare(Smoothed(Rasterised(cairo, 2, 100)), Smoothed(renderer.PageImage(3, 100)));
    EXPECT_GT(screen.mean, 6.0);
    EXPECT_GT(screen.share, 0.02);
}

// ---------------------------------------------------------------------------
// The text a reader copies out of the PDF: the words the Qt-written PDF of
// the same report holds, accents included, pages in order.

QStringList Words(const QString& text) { return text.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts); }

TEST(PdfPagesText, SameWordsAsQtsPdfInPageOrder) {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) GTEST_SKIP() << "pdftotext não instalado";
    const ReportRenderer renderer(Cleanup(), CleanupRows(120, 3),
                                  QString::fromUtf8("Período: 01/03/2025 a 31/03/2025"));
    ASSERT_EQ(renderer.PageCount(), 3);
    QTemporaryDir dir;
    const QString cairo = Output("pdftotext", {"-raw", WriteCairo(renderer, dir), "-"});
    const QString qt = Output("pdftotext", {"-raw", WriteQt(renderer, dir), "-"});
    EXPECT_EQ(Words(cairo), Words(qt));
    for (const char* shown : {"Relatório de Limpeza", "Página 1 de 3", "Página 3 de 3", "Exportação 2", "joão",
                              "Usuário", "Período: 01/03/2025"})
        EXPECT_TRUE(cairo.contains(QString::fromUtf8(shown))) << shown;
    // Pages made ahead on another thread still come out in order.
    qsizetype last = -1;
    for (int i = 0; i < 120; ++i) {
        const qsizetype at = cairo.indexOf(QString("TABELA_%1").arg(i, 5, 10, QChar('0')));
        ASSERT_GT(at, last) << i;
        last = at;
    }
}

// A page range alone: its pages, numbered as in the whole report.
TEST(PdfPagesText, RangeHoldsItsPagesOnly) {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) GTEST_SKIP() << "pdftotext não instalado";
    const ReportRenderer renderer(Cleanup(), CleanupRows(120, 3), "");
    QTemporaryDir dir;
    const QString text = Output("pdftotext", {"-raw", WriteCairo(renderer, dir, 2, 3), "-"});
    EXPECT_FALSE(text.contains(QString::fromUtf8("Página 1 de 3")));
    EXPECT_TRUE(text.contains(QString::fromUtf8("Página 2 de 3")));
    EXPECT_TRUE(text.contains(QString::fromUtf8("Página 3 de 3")));
    EXPECT_EQ(Output("pdfinfo", {dir.filePath("cairo.pdf")}).contains(QRegularExpression("Pages:\\s+2\\n")), true);
}

// Pages the report does not have: refused before a byte is written.
class PdfPagesBadRange : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(PdfPagesBadRange, RefusedAndNothingWritten) {
    const ReportRenderer renderer(Cleanup(), CleanupRows(120, 3), "");
    ASSERT_EQ(renderer.PageCount(), 3);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_THROW(PdfPages::Write(renderer, "r", buffer, GetParam().first, GetParam().second), Exception);
    EXPECT_EQ(buffer.size(), 0);
}

INSTANTIATE_TEST_SUITE_P(Table, PdfPagesBadRange,
                         ::testing::Values(std::pair{0, 1}, std::pair{1, 4}, std::pair{3, 2}, std::pair{4, 4}));

// ---------------------------------------------------------------------------
// Cancelar while pages are made ahead: the pages asked for came in order up
// to the cancel, and the SafeFile the PDF went to leaves nothing.
class PdfPagesCancel : public ::testing::TestWithParam<int> {};

TEST_P(PdfPagesCancel, LeavesNoFile) {
    const ReportRenderer renderer(Cleanup(), CleanupRows(1000, 4), "");
    const int pages = renderer.PageCount();
    ASSERT_GT(pages, 15);
    const int cancelAt = GetParam() > 0 ? GetParam() : pages;
    QTemporaryDir dir;
    std::vector<int> seen;
    {
        SafeFile file(dir.filePath("r.pdf"));
        EXPECT_THROW(PdfPages::Write(renderer, "r", file.Device(), 1, pages,
                                     [&](int page) {
                                         seen.push_back(page);
                                         if (page == cancelAt) Abort();
                                     }),
                     EAbort);
    }
    std::vector<int> expected(static_cast<std::size_t>(cancelAt));
    for (int i = 0; i < cancelAt; ++i) expected[static_cast<std::size_t>(i)] = i + 1;
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

// The disk fills in the middle of a PDF of many pages: the writer stops
// without a message of its own and the file's commit names the full disk;
// nothing is left beside what was there.
TEST(PdfPagesFullDisk, CommitSaysTheDiskIsFullAndNothingIsLeft) {
    SmallFileSystem disk(1024);
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why().toStdString();
    const ReportRenderer renderer(Cleanup(), CleanupRows(6000, 4), "");
    disk.Fill(128 * 1024);
    const QStringList before = QDir(disk.Path()).entryList(QDir::Files | QDir::Hidden);
    const QString path = disk.Path() + "/r.pdf";
    int written = 0;
    try {
        SafeFile file(path);
        PdfPages::Write(renderer, "r", file.Device(), 1, renderer.PageCount(), [&](int page) { written = page; });
        file.Commit();
        FAIL() << "committed on a full disk";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message().toStdString(),
                  QString::fromUtf8("Não foi possível gravar %1: o disco está cheio.").arg(path).toStdString());
    }
    EXPECT_GT(written, 1) << "the disk filled before the PDF began";
    EXPECT_EQ(QDir(disk.Path()).entryList(QDir::Files | QDir::Hidden), before);
}

INSTANTIATE_TEST_SUITE_P(Table, PdfPagesCancel, ::testing::Values(1, 7, 0),
                         [](const auto& info) { return info.param ? "AtPage" + std::to_string(info.param) : std::string("AtTheLast"); });

}  // namespace
