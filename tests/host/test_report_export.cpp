#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <atomic>

#include "CsvSink.h"
#include "DateUtils.h"
#include "ExportTestSupport.h"
#include "HostConfig.h"
#include "ReportExport.h"
#include "ReportProgressDialog.h"
#include "SafeFile.h"
#include "SysUtils.h"
#include "XlsxSink.h"

namespace {

using Format = ReportExport::Format;

class QuietHost : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = HostConfig::Instance();
        ShowProgressDialogs(false);
    }
    void TearDown() override {
        HostConfig::Instance() = saved_;
        ShowProgressDialogs(true);
    }

    QString Export(Format format, const ReportData& data,
                   qint64 rowsPerSheet = XlsxSink::kSheetRows) {
        const QString path = dir_.filePath("saida." + ReportExport::Extension(format));
        SafeFile file(path);
        ReportExport::WriteFile({report_, data, params_, rowsPerSheet}, format, file, nullptr);
        return path;
    }

    HostConfig saved_;
    QTemporaryDir dir_;
    ReportDefinition report_ = ExportedReport();
    TParams params_;
};

// ---------------------------------------------------------------------------
// The workbook: typed cells in the report's order under a bold, frozen,
// filtered header, totals that follow the filter, and the rows continuing on
// further sheets instead of being cut.

struct Split {
    const char* name;
    int rows;
    qint64 perSheet;
    QList<int> rowsOnSheets;  // data rows on Dados, Dados (2), ...
    const char* totals;       // the formula under the last row
};

void PrintTo(const Split& row, std::ostream* os) { *os << row.name; }

class WorkbookRows : public QuietHost, public ::testing::WithParamInterface<Split> {};

TEST_P(WorkbookRows, AreTypedInOrderWithTotalsAndNeverCut) {
    const Split& split = GetParam();
    QList<QStringList> rows;
    for (int i = 0; i < split.rows; ++i)
        rows << QStringList{
            QStringLiteral("2025-03-%1 10:15:3%2").arg(i + 1, 2, 10, QChar('0')).arg(i % 10),
            QStringLiteral("Tabela %1").arg(i), QString::number(10 * (i + 1)),
            QStringLiteral("JOÃO")};
    const QJsonObject book = ReadXlsx(Export(Format::Xlsx, ExportedRows(rows), split.perSheet));
    const QJsonArray sheets = book["sheets"].toArray();
    ASSERT_EQ(sheets.size(), split.rowsOnSheets.size() + 1);
    EXPECT_EQ(sheets.last()["name"].toString(), QStringLiteral("Parâmetros"));
    int next = 0;
    for (int s = 0; s < split.rowsOnSheets.size(); ++s) {
        const QJsonObject sheet = sheets[s].toObject();
        EXPECT_EQ(sheet["name"].toString(),
                  s == 0 ? QString("Dados") : QStringLiteral("Dados (%1)").arg(s + 1));
        EXPECT_EQ(CellsOf(sheet, 0), (QStringList{"s:Data/Hora", "s:Tabela", "s:Registros",
                                                  QStringLiteral("s:Usuário")}));
        EXPECT_TRUE(sheet["bold"].toArray()[0].toBool());
        EXPECT_EQ(sheet["freeze"].toString(), "A2");
        EXPECT_EQ(sheet["filter"].toString(),
                  QStringLiteral("A1:D%1").arg(split.rowsOnSheets[s] + 1));
        EXPECT_GE(sheet["widths"]["B"].toDouble(), 8) << "columns as wide as their texts";
        for (int r = 1; r <= split.rowsOnSheets[s]; ++r, ++next)
            EXPECT_EQ(CellsOf(sheet, r),
                      (QStringList{QStringLiteral("d:%1|dd/mm/yyyy hh:mm").arg(rows[next][0]),
                                   "s:" + rows[next][1], "n:" + rows[next][2],
                                   QStringLiteral("s:JOÃO")}));
    }
    EXPECT_EQ(next, split.rows) << "every row, once";
    const QJsonObject last = sheets[split.rowsOnSheets.size() - 1].toObject();
    const QStringList totals = CellsOf(last, split.rowsOnSheets.last() + 1);
    const int sum = 10 * split.rows * (split.rows + 1) / 2;
    const QString total =
        *split.totals ? QStringLiteral("f:%1=%2").arg(split.totals).arg(sum) : "n:0";
    EXPECT_EQ(totals, (QStringList{"s:Total", "", total, ""}));
    EXPECT_EQ(About(book, "Linhas"), QStringLiteral("n:%1").arg(split.rows));
    EXPECT_EQ(About(book, "Planilhas de dados"),
              QStringLiteral("n:%1").arg(split.rowsOnSheets.size()));
}

// rows | data rows a sheet holds | data rows on each sheet | totals
INSTANTIATE_TEST_SUITE_P(
    Table, WorkbookRows,
    ::testing::Values(Split{"OneSheet", 4, XlsxSink::kSheetRows, {4}, "=SUBTOTAL(9,'Dados'!C2:C5)"},
                      Split{"ContinuesOnNextSheets",
                            7,
                            3,
                            {3, 3, 1},
                            "=SUBTOTAL(9,'Dados'!C2:C4,'Dados (2)'!C2:C4,'Dados (3)'!C2:C2)"},
                      Split{"FullLastSheetTotalsOnASheetOfTheirOwn",
                            6,
                            3,
                            {3, 3, 0},
                            "=SUBTOTAL(9,'Dados'!C2:C4,'Dados (2)'!C2:C4)"},
                      Split{"NoRows", 0, XlsxSink::kSheetRows, {0}, ""}),
    [](const ::testing::TestParamInfo<Split>& info) { return std::string(info.param.name); });

TEST_F(QuietHost, ParametersSheetNamesTheRunButNeverAPassword) {
    HostConfig& config = HostConfig::Instance();
    config.databaseKind = "postgresql";
    config.databaseHost = "db.empresa";
    config.databaseName = "relatorios";
    config.databaseUser = "relatorio";
    config.databasePassword = "segredo";
    qputenv("USER", "maria");
    params_.CreateParam(ftDateTime, "P_DATAINI").SetValue(VarFromDateTime(EncodeDate(2025, 3, 1)));
    params_.CreateParam(ftDateTime, "P_DATAFIM").SetValue(VarFromDateTime(EncodeDate(2025, 3, 31)));
    params_.CreateParam(ftString, "P_TSISTEMA").SetAsString("T");
    const QJsonObject book = ReadXlsx(Export(Format::Xlsx, ExportedRows({})));
    EXPECT_EQ(About(book, QStringLiteral("Relatório")), "s:Limpeza de Dados - Detalhado");
    EXPECT_EQ(About(book, QStringLiteral("Período")), "s:01/03/2025 a 31/03/2025");
    EXPECT_EQ(About(book, "Sistemas"), "s:Todos");
    EXPECT_EQ(About(book, "Banco de dados"), "s:postgresql://relatorio@db.empresa/relatorios");
    EXPECT_EQ(About(book, QStringLiteral("Usuário")), "s:maria");
    EXPECT_TRUE(About(book, "Gerado em").endsWith("|dd/mm/yyyy hh:mm"));
    config.sampleDatabase = true;
    EXPECT_EQ(ReportExport::AboutLines(report_, params_).last().second,
              QStringLiteral("dados de demonstração"));
}

// ---------------------------------------------------------------------------
// The CSV's bytes, for the Brazilian desktop.

struct CsvLine {
    const char* name;
    QStringList row;  // data_hora, tabela, registros, usuario
    const char* line;
};

void PrintTo(const CsvLine& row, std::ostream* os) { *os << row.name; }

class CsvBytes : public QuietHost, public ::testing::WithParamInterface<CsvLine> {};

TEST_P(CsvBytes, AreUtf8WithBomSemicolonsCrlfAndQuoting) {
    const QString path = Export(Format::Csv, ExportedRows({GetParam().row}));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\xEF\xBB\xBF"
                                         "Data/Hora;Tabela;Registros;Usu\xC3\xA1rio\r\n") +
                                  GetParam().line + "\r\n");
}

// the row | its line
INSTANTIATE_TEST_SUITE_P(
    Table, CsvBytes,
    ::testing::Values(
        CsvLine{"Plain",
                {"2025-03-01 10:15:00", "Clientes", "1234567", QStringLiteral("JOÃO")},
                "01/03/2025 10:15;Clientes;1234567;JO\xC3\x83O"},
        CsvLine{"SecondsKept", {"2025-03-01 10:15:30", "a", "1", "b"}, "01/03/2025 10:15:30;a;1;b"},
        CsvLine{"SeparatorAndQuotes",
                {"2025-03-01 10:15:00", "a;b \"c\"", "1", "x"},
                "01/03/2025 10:15;\"a;b \"\"c\"\"\";1;x"},
        CsvLine{"LineBreak",
                {"2025-03-01 10:15:00", "a\r\nb", "1", "x"},
                "01/03/2025 10:15;\"a\r\nb\";1;x"},
        CsvLine{"NotADate", {"ontem", "a", "", "x"}, "ontem;a;;x"},
        CsvLine{"RealNumberWithDecimalComma",
                {"2025-03-01 10:15:00", "a", "1234.5", "x"},
                "01/03/2025 10:15;a;1234,5;x"}),
    [](const ::testing::TestParamInfo<CsvLine>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Cancelar in the progress: no file, and the earlier one as it was.

class CancelledExport : public ::testing::TestWithParam<Format> {};

// Holds each row until the test has pressed Cancelar.
class HeldSink : public ReportSink {
public:
    HeldSink(ReportSink& sink, std::atomic<bool>& release) : sink_(sink), release_(release) {}
    void Begin(const ReportSinkStart& start) override { sink_.Begin(start); }
    void Row(const ReportCell* cells) override {
        while (!release_.load()) QThread::msleep(5);
        sink_.Row(cells);
    }
    ReportSinkResult End() override { return sink_.End(); }
    void Abort() override { sink_.Abort(); }

private:
    ReportSink& sink_;
    std::atomic<bool>& release_;
};

TEST_P(CancelledExport, LeavesNoFileAndKeepsTheEarlierOne) {
    QTemporaryDir dir;
    const QString path = dir.filePath("relatorio." + ReportExport::Extension(GetParam()));
    QFile earlier(path);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("antigo");
    earlier.close();
    QList<QStringList> rows(3000, QStringList{"2025-03-01 10:15:00", "t", "1", "u"});
    const ReportData data = ExportedRows(rows);
    const ReportDefinition report = ExportedReport();
    const TParams params;
    std::atomic<bool> release{false};
    QTimer pressCancel;
    QObject::connect(&pressCancel, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* progress = qobject_cast<ReportProgressDialog*>(window);
                progress && progress->isVisible()) {
                progress->findChild<QPushButton*>()->click();
                release.store(true);
            }
    });
    pressCancel.start(20);
    {
        SafeFile file(path);
        std::unique_ptr<ReportSink> sink;
        if (GetParam() == Format::Csv)
            sink = std::make_unique<CsvSink>(file.Device());
        else
            sink = std::make_unique<XlsxSink>(file.PathForWriter(), path);
        HeldSink held(*sink, release);
        EXPECT_THROW(ReportExport::Write({report, data, params}, held, file, nullptr), EAbort);
    }
    EXPECT_TRUE(release.load()) << "the progress showed Cancelar";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{path.section('/', -1)});
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), "antigo");
}

INSTANTIATE_TEST_SUITE_P(Table, CancelledExport, ::testing::Values(Format::Xlsx, Format::Csv),
                         [](const ::testing::TestParamInfo<Format>& info) {
                             return info.param == Format::Xlsx ? std::string("Xlsx")
                                                               : std::string("Csv");
                         });

}  // namespace
