// Hostile input, as tables: what the user gives, what he sees, and what is
// kept. Rows run the host with a script, as a person at the screen would, or
// in this process where a script has no command for it (pasting, systems
// other than the four). Every scripted run must end normally (status 0), and
// after each row a correct action must still work on the same screen.
//
// clang-format off
//   input                                  the user sees                                   kept
//   typed date that is no day              "'31/02/2026' não é uma data válida."           the text, the focus
//   pasted date with time or spaces        the date dd/mm/yyyy                             -
//   report folder without RCL047           "O arquivo contendo a definição..."             the screen, the dates
//   report file unreadable, malformed or   "Estes arquivos de relatório..." + file,        the other reports
//     saved as UTF-8                         its line and cause
//   link to /dev/zero, FIFO, 3 GB file     the same, with the file and why                 the other reports
//   query that writes (DROP, VACUUM INTO,  "A consulta do relatório <file> foi recusada:   the database, byte for byte
//     ATTACH, UPDATE, PRAGMA)                ela tenta apagar a tabela limpeza, ..."
//   query without end                      "... passou do tempo limite de 500 ms."        the screen
//   save as with a title taken             a confirmation; only "Sim" replaces             the list: one entry a title
//   two files of one title                 both listed, with their file names              -
//   parallel hosts saving and previewing   -                                               every file
//   full or read-only output, reports or   "Não foi possível gravar <folder>: o disco      what was there, nothing
//     database folder                        está cheio." and the like                       half-written beside it
//   query with a syntax error              "Erro na consulta do relatório: ..."            the dates, the choice
//   parameter named twice                  the report, both bound                          -
//   database missing                       the report (created with the sample)            -
//     (no database named: the first run)
//   database read-only                     the report                                      the file untouched
//   database locked by another program     "... está bloqueado por outro programa"         the dates
//   database corrupt                       "O arquivo ... não é um banco ... válido"       the dates, the file
//   database without the reports' table    "... usa a tabela limpeza, que não existe ..."  the dates
//   write left unfinished by a program     the report (the write undone), or in a          the file
//                                            read-only folder, that write named
//   system name with ' ; , " [ ] % |       the name in the lookup; its rows only          the table
//   --db or [database] url to a SQLite     "O banco de dados de relatórios <path> não       no file, no folder, no sample
//     file that does not exist               existe." (status 1)
//   --create-db on a file that exists      "O arquivo <path> já existe; nada foi            the file, byte for byte
//                                            alterado." (status 1)
//   the sample in use                      "dados de demonstração" in the title, "Dados     -
//                                            de demonstração" on every page, "sample": true
//   six hosts making the sample at once    every report, from one database                 no temporary file left
//   configuration: [Database], ulr =,      "O arquivo de configuração <file>, linha N:      no sample made, nothing read
//     a limit rounding to 0, out of range,   seção desconhecida [Database]; você quis
//     a key twice, a relative or empty url,  dizer [database]?" and the like (status 1)
//     a line that is no key = value, a key
//     outside a section
//   --help, -h, --version without a        the options in Portuguese, or "rclhost 4.7.10"  -
//     display nor QT_QPA_PLATFORM            (status 0)
//   --hlep, --db without its value,        "Opção desconhecida: --hlep (rclhost --help      -
//     without a display                      lista as opções)" and the like (status 1)
//   window placement file: garbage,        the window at its first size; on closing,       the placement is written
//     over 4 KiB, a link to /dev/zero,       nothing said                                    whole in its place
//     a FIFO, a folder, cut short                                                            (a folder: left as it was)
//   a placement file in a scripted run     the host at 1000x700                            the file, byte for byte
// clang-format on
//
// Broken form definitions (unknown class, property or handler, a truncated
// file, a value of the wrong kind, a name used twice, an inherited component
// missing from the base) are the rows of
// FormsTest.BadDefinitionsFailWithWhereAndWhat (tests/framework/test_forms.cpp);
// BrokenScreenDefinition below adds what the user sees of one.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <map>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "Cli_rcl04700.h"
#include "DatabaseScripts.h"
#include "Funcoes.h"
#include "HostConfig.h"
#include "HostOptions.h"
#include "HostRun.h"
#include "HostWindow.h"
#include "PesquisaLista.h"
#include "QtPrinters.h"
#include "ReportDatabase.h"
#include "ReportDefinition.h"
#include "ReportDesigner.h"
#include "SmallFileSystem.h"
#include "WindowPlacement.h"

namespace {

const QString kCorrectPeriod =
    "type depDtIni 10/03/2025\ntype depDtFim 10/03/2025\nselect cbbReportNames \"Limpeza de Dados "
    "- Detalhado\"\n"
    "click sbtPreview\n";

QJsonObject Control(const QJsonObject& state, const QString& name) {
    return state["controls"].toObject()[name].toObject();
}

QStringList Messages(const HostRun& run) {
    QStringList texts;
    for (const QJsonObject& message : run.Events("message")) texts << message["text"].toString();
    return texts;
}

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A report definition of code RCL047 with this title and query, one column.
QByteArray Report(const char* title, const char* sqlLines) {
    return QByteArray("object Report: TReportDefinition\n  Code = 'RCL047'\n  Title = '") + title +
           "'\n  SQL.Strings = (" + sqlLines +
           ")\n  object colA: TReportColumn\n    FieldName = 'A'\n  end\nend\n";
}

// The run ended normally and the row's correct action after it produced a
// report.
void ExpectUsableAfterwards(const HostRun& run) {
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.Events("error").isEmpty());
    EXPECT_EQ(run.Events("report").size(), 1) << "the correct action after the row must work";
}

// `rclhost --create-db ...`: its status and standard error (it writes no
// events).
std::pair<int, QString> CreateDb(const QStringList& arguments) {
    QProcess process;
    process.start(HOST_PATH, arguments + QStringList{"--create-db"});
    if (!process.waitForFinished(120000)) process.kill();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardError())};
}

// ---------------------------------------------------------------------------
// Dates typed into the initial date, then the user leaves the field.

struct TypedDate {
    const char* name;
    const char* typed;
    QString sees;  // the message on leaving the field; empty: none
    QString kept;  // the field's text afterwards
};

class HostileTypedDate : public ::testing::TestWithParam<TypedDate> {
protected:
    static HostWorkspace& Workspace() {
        static HostWorkspace workspace;
        return workspace;
    }
};

TEST_P(HostileTypedDate, IsReportedOnLeavingAndKeptAsTyped) {
    const TypedDate& row = GetParam();
    const HostRun run = Workspace().Run(
        QString("open\ntype depDtIni \"%1\"\nfocus depDtFim\nstate\n").arg(row.typed) +
        kCorrectPeriod);
    ExpectUsableAfterwards(run);
    const QStringList messages = Messages(run);
    EXPECT_EQ(messages, row.sees.isEmpty() ? QStringList() : QStringList{row.sees});
    const QJsonObject state = run.Events("state").value(0);
    EXPECT_EQ(Control(state, "depDtIni")["text"].toString(), row.kept);
    TDateTime date = 0;
    EXPECT_EQ(Control(state, "edtSemIni")["text"].toString(),
              TryStrToDate(row.kept, date) ? NomeSemana(date) : "")
        << "only a valid date has a weekday";
    EXPECT_EQ(state["focus"].toString(), row.sees.isEmpty() ? "depDtFim" : "depDtIni")
        << "an invalid date keeps the user in the field";
}

// input typed | what the user sees | what the field keeps
INSTANTIATE_TEST_SUITE_P(
    Table, HostileTypedDate,
    ::testing::Values(
        TypedDate{"Zeros", "00/00/0000", Text("'00/00/0000' não é uma data válida."), "00/00/0000"},
        TypedDate{"NoSuchDay", "31/02/2026", Text("'31/02/2026' não é uma data válida."),
                  "31/02/2026"},
        TypedDate{"CenturyNotLeap", "29/02/2100", Text("'29/02/2100' não é uma data válida."),
                  "29/02/2100"},
        TypedDate{"Nines", "99/99/9999", Text("'99/99/9999' não é uma data válida."), "99/99/9999"},
        TypedDate{"Letters", "abcd", "", ""},  // the field takes digits only
        TypedDate{"HalfTyped", "12/03/20", Text("'12/03/20__' não é uma data válida."),
                  "12/03/20__"},
        TypedDate{"FarTooLong", "1003202599999999999999", "",
                  "10/03/2025"},  // the field ends at the year
        TypedDate{"WithTime", "10/03/2025 14:30", "", "10/03/2025"}),
    [](const ::testing::TestParamInfo<TypedDate>& info) { return std::string(info.param.name); });

// Found by fuzzing the date field's typing: a script that typed or pressed a
// character outside printable ASCII (an accent, a symbol, a control
// character) aborted the host, since QTest aborts on such a character.
TEST(FuzzRegression, TypingNonAsciiTextAbortedTheHost) {
    HostWorkspace workspace;
    QFile::copy(QString(TEST_REPORTS_DIR) + "/TST001_por_usuario.rpt",
                workspace.ReportsCopy() + "/TST001_por_usuario.rpt");
    const HostRun name = workspace.Run(
        Text("open\ntype edtUsuario \"João \x02Ñandú € 😀\"\nkey edtUsuario ç\nstate\n"),
        {"--module", TEST_MODULE_PATH});
    ASSERT_EQ(name.exitCode, 0) << name.errors.toStdString();
    EXPECT_EQ(Control(name.Only("state"), "edtUsuario")["text"].toString(), Text("João Ñandú € 😀ç"))
        << "a control character types nothing";
    const HostRun date =
        workspace.Run(Text("open\ntype depDtIni \"1é0/03/2025\"\nkey depDtIni ª\nstate\n"));
    ASSERT_EQ(date.exitCode, 0) << date.errors.toStdString();
    EXPECT_EQ(Control(date.Only("state"), "depDtIni")["text"].toString(), "10/03/2025");
}

// ---------------------------------------------------------------------------
// In this process: the module's screen, opened by IniProc as the host does.

class HostileScreen : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = HostConfig::Instance();
        HostConfig& config = HostConfig::Instance();
        config.reportsDir = REPORTS_DIR;
        config.databaseName = dir_.filePath("relatorios.db");
        config.outputDir = dir_.filePath("out");
        config.unattended = true;
        Application->SetMessageHook([this](TMsgDlgType, const QString& text) { messages << text; });
        IniProc();
        screen = frmLimpDados;
        QApplication::setActiveWindow(screen);
        ASSERT_TRUE(QTest::qWaitForWindowActive(screen));
    }
    void TearDown() override {
        if (boStCriado) frmLimpDados->Close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Application->SetMessageHook(nullptr);
        Application->SetModalHook(nullptr);
        ReportEvents::ReportDone() = nullptr;
        HostConfig::Instance() = saved_;
    }

    // As the user: Ctrl+V in the initial date, then a click in the final one.
    void PasteIntoInitialDate(const QString& text) {
        QGuiApplication::clipboard()->setText(text);
        screen->depDtIni->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(screen->depDtIni, Qt::Key_V, Qt::ControlModifier);
        screen->depDtFim->setFocus(Qt::MouseFocusReason);
    }

    QTemporaryDir dir_;
    HostConfig saved_;
    TfrmLimpDados* screen = nullptr;
    QStringList messages;
};

struct PastedDate {
    const char* what;
    QString pasted;
    QString sees;
    QString kept;
};

// pasted text | what the user sees | what the field keeps
const PastedDate kPastedDates[] = {
    {"date and time", "10/03/2025 14:30:00", "", "10/03/2025"},
    {"spaces around", "  \t10/03/2025 \n", "", "10/03/2025"},
    {"spaces inside", "10 / 03 / 2025", "", "10/03/2025"},
    {"ISO date", "2012-11-10", "", "10/11/2012"},
    {"day and month of one digit", "1/3/2025", "", "01/03/2025"},
    {"a date, then a long text", "31/12/2025 " + QString(20000, u'x'), "", "31/12/2025"},
    {"a long run of digits", QString("1234567890").repeated(2000),
     Text("'12/34/5678' não é uma data válida."), "12/34/5678"},
    {"letters only", Text("sem data nenhuma"), "", ""},
    {"no such day", "31/02/2026 08:00", Text("'31/02/2026' não é uma data válida."), "31/02/2026"},
};

TEST_F(HostileScreen, PastedDatesGoInWholeOrAreReported) {
    for (const PastedDate& row : kPastedDates) {
        SCOPED_TRACE(row.what);
        screen->depDtIni->Clear();
        messages.clear();
        PasteIntoInitialDate(row.pasted);
        EXPECT_EQ(messages, row.sees.isEmpty() ? QStringList() : QStringList{row.sees});
        EXPECT_EQ(screen->depDtIni->Text(), row.kept);
        TDateTime date = 0;
        const bool valid = TryStrToDate(row.kept, date);
        EXPECT_EQ(screen->edtSemIni->Text(), valid ? NomeSemana(date) : QString());
        EXPECT_EQ(screen->depDtIni->hasFocus(), !row.sees.isEmpty());
    }
}

TEST_F(HostileScreen, PasteFromTheContextMenuReadsTheDateToo) {
    QGuiApplication::clipboard()->setText("2024-02-29T23:59:00");
    screen->depDtIni->setFocus(Qt::MouseFocusReason);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            screen->depDtIni->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(screen->depDtIni, &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction* paste = nullptr;
    for (QAction* action : menu->actions())
        if (action->text().startsWith(QLineEdit::tr("&Paste"))) paste = action;
    ASSERT_NE(paste, nullptr);
    paste->trigger();
    menu->close();
    EXPECT_EQ(screen->depDtIni->Text(), "29/02/2024");
    EXPECT_EQ(screen->edtSemIni->Text(), Text("Quinta"));
}

// ---------------------------------------------------------------------------
// System names that hold quotes, semicolons and list separators: the lookup
// shows them as they are, the report receives them bound and matches each
// one exactly.

struct HostileSystem {
    QString name;
    int cleanups;  // rows of that name in the test database, all different
};

const HostileSystem kHostileSystems[] = {
    {"Estoque", 1},
    {"Estoque'; DROP TABLE limpeza; --", 2},
    {"Compras, Suprimentos", 4},
    {"Compras; Suprimentos", 8},
    {"\"Estoque\"", 16},
    {"[\"Estoque\",\"Compras\"]", 32},
    {"Estoque%", 64},
    {"Estoque|Compras", 128},
};

void FillHostileDatabase(const QString& path) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "hostile");
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        CreateReportTables(db, REPORTS_DIR, false);
        QSqlQuery insert(db);
        insert.prepare(
            "INSERT INTO limpeza (data_hora, sistema, tabela, registros, usuario) "
            "VALUES ('2025-03-10 08:00:00', ?, 'TABELA', 1, 'ADMIN')");
        for (const HostileSystem& system : kHostileSystems)
            for (int i = 0; i < system.cleanups; ++i) {
                insert.addBindValue(system.name);
                ASSERT_TRUE(insert.exec());
            }
    }
    QSqlDatabase::removeDatabase("hostile");
}

TEST_F(HostileScreen, SystemNamesWithQuotesSemicolonsAndSeparatorsAreMatchedExactly) {
    FillHostileDatabase(HostConfig::Instance().databaseName);
    for (const HostileSystem& system : kHostileSystems) {
        screen->cdsSist->Append();
        screen->cdsSistSISTEMA->SetAsString(system.name);
        screen->cdsSist->Post();
    }
    int rows = -1;
    ReportEvents::ReportDone() = [&](const QString&, const QString&, int r, const QString&) {
        rows = r;
    };
    QStringList shown;
    QStringList pick;
    Application->SetModalHook([&](QDialog& dialog) {
        auto* lookup = qobject_cast<TfrmPesquisaLista*>(&dialog);
        if (!lookup) return int(QDialog::Rejected);
        shown = lookup->Rows();
        EXPECT_TRUE(lookup->MarkExactly(pick));
        return int(QDialog::Accepted);
    });
    screen->depDtIni->SetText("10/03/2025");
    screen->depDtFim->SetText("10/03/2025");
    QTest::mouseClick(screen->rbtListaSist, Qt::LeftButton);
    const int chosenSets[][2] = {{1, -1}, {2, -1}, {3, 4}, {5, 6}, {7, 0}};
    for (const auto& set : chosenSets) {
        pick.clear();
        int expected = 0;
        for (int index : set) {
            if (index < 0) continue;
            pick << kHostileSystems[index].name;
            expected += kHostileSystems[index].cleanups;
        }
        SCOPED_TRACE(pick.join(" + ").toStdString());
        QTest::keyClick(screen->rbtListaSist, Qt::Key_F9);
        for (const HostileSystem& system : kHostileSystems)
            EXPECT_TRUE(shown.contains(system.name));
        rows = -1;
        QTest::mouseClick(screen->sbtPreview, Qt::LeftButton);
        EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
        EXPECT_EQ(rows, expected) << "each name matches its own rows, and only those";
    }
    QSqlDatabase db = ReportDatabase(HostConfig::Instance());
    QSqlQuery count("SELECT count(*) FROM limpeza", db);
    ASSERT_TRUE(count.next()) << "the table is still there";
    EXPECT_EQ(count.value(0).toInt(), 255);
}

// ---------------------------------------------------------------------------
// A screen whose definition cannot be read: the host shows where and what,
// in Portuguese, and goes on working.

class TfrmQuebrada : public TfrmDadosGerRel {
public:
    using inherited = TfrmDadosGerRel;
    static constexpr const char* ClassName = "TfrmQuebrada";
    static constexpr const char* Definition = ":/hostile/quebrada.dfm";
    static void Publish(TPublisher<TfrmQuebrada>&) {}
};

TEST_F(HostileScreen, BrokenScreenDefinitionIsAMessageWithWhereAndWhat) {
    TfrmQuebrada* broken = nullptr;
    Dispatch([&] { Application->CreateForm(broken); });
    EXPECT_EQ(broken, nullptr);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(":/hostile/quebrada.dfm:3:")) << messages[0].toStdString();
    EXPECT_TRUE(
        messages[0].contains(Text("frmQuebrada.edtNada: classe desconhecida 'TEditMagico'")))
        << messages[0].toStdString();
    EXPECT_EQ(Application->Forms(), QList<TForm*>{screen})
        << "the open screen stays, nothing half-made is left";
    screen->depDtIni->SetText("10/03/2025");
    EXPECT_EQ(screen->edtSemIni->Text(), Text("Segunda"));
}

// ---------------------------------------------------------------------------
// Report definitions: a folder of the test's own beside the shipped ones.

class HostileReports : public ::testing::Test {
protected:
    HostRun RunWith(const QString& script) {
        return workspace_.Run("open\n" + script, {"--reports", workspace_.ReportsCopy()});
    }
    QString Reports(const QString& file) const { return workspace_.ReportsCopy() + "/" + file; }

    HostWorkspace workspace_;
};

TEST_F(HostileReports, NoDefinitionAtAllSaysWhichCodeAndFolder) {
    for (const QString& file : QDir(workspace_.ReportsCopy()).entryList(QDir::Files))
        QFile::remove(Reports(file));
    const HostRun run =
        RunWith("state\n" + kCorrectPeriod.section('\n', 0, 1) + "\nclick sbtPreview\nstate\n");
    EXPECT_EQ(run.exitCode, 0);
    const QString notFound =
        Text(
            "O arquivo contendo a definição do Relatório de código 'RCL047' não foi "
            "encontrado no diretório '%1'.")
            .arg(workspace_.ReportsCopy());
    EXPECT_EQ(Messages(run), (QStringList{notFound, notFound}))
        << "on opening, and again on the action";
    EXPECT_TRUE(run.Events("report").isEmpty());
    EXPECT_EQ(Control(run.Events("state").value(1), "depDtIni")["text"].toString(), "10/03/2025");
}

TEST_F(HostileReports, UnreadableAndMalformedFilesAreNamedAndTheOthersStillWork) {
    WriteFile(Reports("RCL047_quebrado.rpt"),
              Report("Quebrado", "'SELECT 1 AS A'").replace("Title", "Titulo"));
    WriteFile(Reports("RCL047_cortado.rpt"), Report("Cortado", "'SELECT 1 AS A'").left(60));
    WriteFile(Reports("RCL047_utf8.rpt"), Report("Relat\xC3\xB3rio", "'SELECT 1 AS A'"));
    // A file that opens but cannot be read, whoever runs the test (root
    // reads files whatever their permissions).
    ASSERT_TRUE(QFile::link("/proc/self/mem", Reports("RCL047_ilegivel.rpt")));
    const HostRun run = RunWith(kCorrectPeriod + "state\n");
    ExpectUsableAfterwards(run);
    const QStringList messages = Messages(run);
    ASSERT_EQ(messages.size(), 1) << messages.join('\n').toStdString();
    EXPECT_TRUE(messages[0].startsWith(
        Text("Estes arquivos de relatório não puderam ser lidos e ficaram fora da "
             "lista:\n")))
        << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(Reports("RCL047_quebrado.rpt") +
                                     ":3:3: Report: propriedade desconhecida 'Titulo'"));
    EXPECT_TRUE(messages[0].contains(Reports("RCL047_cortado.rpt") + ":"));
    EXPECT_TRUE(messages[0].contains(
        Reports("RCL047_utf8.rpt") +
        Text(":3:11: Report: texto gravado em UTF-8 (\"Relatório\"); o arquivo deve estar em "
             "Windows-1252")));
    EXPECT_TRUE(messages[0].contains(Reports("RCL047_ilegivel.rpt") +
                                     Text(": não foi possível ler a definição")));
    EXPECT_EQ(Control(run.Only("state"), "cbbReportNames")["items"].toArray().size(), 2)
        << "the two good reports are offered";
}

TEST_F(HostileReports, QueryWithASyntaxErrorIsAMessageAndTheScreenGoesOn) {
    WriteFile(Reports("RCL047_erro.rpt"),
              Report("Com erro", "'SELECT 1 AS A FROMM limpeza WHERE :P_DATAINI'"));
    const HostRun run = RunWith(
        "type depDtIni 10/03/2025\ntype depDtFim 10/03/2025\n"
        "select cbbReportNames \"Com erro\"\nclick sbtPreview\nstate\n" +
        kCorrectPeriod);
    ExpectUsableAfterwards(run);
    const QStringList messages = Messages(run);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(Text("Erro na consulta do relatório: ")))
        << messages[0].toStdString();
    const QJsonObject state = run.Only("state");
    EXPECT_EQ(Control(state, "depDtIni")["text"].toString(), "10/03/2025");
    EXPECT_EQ(Control(state, "cbbReportNames")["text"].toString(), "Com erro")
        << "the choice stays";
}

TEST_F(HostileReports, ParameterNamedTwiceIsBoundBothTimes) {
    // The cleanups of the initial day: without the second :P_DATAINI (spelt
    // in another case, which is the same parameter) nothing would match.
    WriteFile(
        Reports("RCL047_duas_vezes.rpt"),
        Report("Duas vezes",
               "'SELECT id AS A FROM limpeza' "
               "' WHERE data_hora >= :P_DATAINI AND data_hora < date(:p_dataini, ''+1 day'')'"));
    const HostRun run = RunWith(
        "type depDtIni 10/03/2025\ntype depDtFim 10/03/2025\n"
        "select cbbReportNames \"Duas vezes\"\nclick sbtPreview\n");
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(Messages(run).isEmpty()) << Messages(run).join('\n').toStdString();
    const QJsonArray params = run.Only("params")["params"].toArray();
    ASSERT_EQ(params.size(), 1) << "one parameter, asked for once";
    EXPECT_EQ(params[0].toObject()["name"].toString(), "P_DATAINI");
    int expected = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "twice");
        db.setDatabaseName(workspace_.Database());
        ASSERT_TRUE(db.open());
        QSqlQuery query("SELECT count(*) FROM limpeza WHERE date(data_hora) = '2025-03-10'", db);
        ASSERT_TRUE(query.next());
        expected = query.value(0).toInt();
    }
    QSqlDatabase::removeDatabase("twice");
    ASSERT_GT(expected, 0) << "the sample has cleanups that day";
    EXPECT_EQ(run.Only("report")["rows"].toInt(), expected);
}

TEST_F(HostileReports, SpecialAndHugeFilesAreNamedSkippedAndNeverRead) {
    QTemporaryDir elsewhere;
    const QString fifo = elsewhere.filePath("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(Reports("RCL047_fifo.rpt")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", Reports("RCL047_zero.rpt")));
    ASSERT_TRUE(QFile::link("/dev/urandom", Reports("RCL047_aleatorio.rpt")));
    ASSERT_TRUE(QFile::link(fifo, Reports("RCL047_liga_fifo.rpt")));
    QFile huge(Reports("RCL047_enorme.rpt"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(3) << 30));
    huge.close();
    const QString device = Text("é um dispositivo, não um arquivo comum");
    const QString pipe = Text("é um FIFO (pipe), não um arquivo comum");
    const struct {
        const char* file;
        QString reason;
    } rows[] = {
        {"RCL047_zero.rpt", device},
        {"RCL047_aleatorio.rpt", device},
        {"RCL047_fifo.rpt", pipe},
        {"RCL047_liga_fifo.rpt", pipe},
        {"RCL047_enorme.rpt", Text("tem 3.221.225.472 bytes e passa do limite de 1.048.576 bytes")},
    };
    const HostRun run = RunWith(kCorrectPeriod + "state\n");
    ExpectUsableAfterwards(run);
    const QStringList messages = Messages(run);
    ASSERT_EQ(messages.size(), 1) << messages.join('\n').toStdString();
    for (const auto& row : rows)
        EXPECT_TRUE(messages[0].contains(
            Reports(row.file) + Text(": não foi possível ler a definição: ") + row.reason))
            << row.file << "\n" << messages[0].toStdString();
    EXPECT_EQ(Control(run.Only("state"), "cbbReportNames")["items"].toArray().size(), 2);
}

// Definitions whose query would change the database or write a file: the
// connection only reads, and each statement is checked before it runs.
TEST_F(HostileReports, DefinitionsThatWriteAreRefusedAndTheDatabaseKept) {
    ASSERT_EQ(RunWith(kCorrectPeriod).exitCode, 0);  // creates the database
    const QString out = workspace_.Output();
    const struct {
        const char* file;
        const char* title;
        QString sql;
        QString attempt;
    } rows[] = {
        {"RCL047_drop.rpt", "Apaga", "'DROP TABLE limpeza'", "apagar a tabela limpeza"},
        {"RCL047_update.rpt", "Altera",
         "'WITH x AS (SELECT 1) UPDATE limpeza SET registros = 0 WHERE :P_DATAINI IS NOT NULL'",
         "alterar registros da tabela limpeza"},
        {"RCL047_vacuum.rpt", "Copia", "'VACUUM INTO ''" + out + "/copia.db'''",
         "gravar no arquivo " + out + "/copia.db"},
        {"RCL047_attach.rpt", "Anexa", "'ATTACH ''" + out + "/anexo.db'' AS a'",
         "gravar no arquivo " + out + "/anexo.db"},
        {"RCL047_pragma.rpt", "Pragma", "'PRAGMA journal_mode = WAL'",
         "executar o comando PRAGMA journal_mode"},
    };
    QString script = kCorrectPeriod.section('\n', 0, 1) + '\n';
    QStringList refusals;
    for (const auto& row : rows) {
        WriteFile(Reports(row.file), Report(row.title, row.sql.toUtf8().constData()));
        script += QString("select cbbReportNames %1\nclick sbtPreview\n").arg(row.title);
        refusals << Text("A consulta do relatório %1 foi recusada: ela tenta %2, e um relatório só "
                         "pode ler os dados.")
                        .arg(Reports(row.file), row.attempt);
    }
    const QByteArray before = ReadFile(workspace_.Database());
    const HostRun run = RunWith(script + kCorrectPeriod);
    ExpectUsableAfterwards(run);
    EXPECT_EQ(Messages(run), refusals);
    EXPECT_EQ(ReadFile(workspace_.Database()), before);
    EXPECT_FALSE(QFile::exists(out + "/copia.db"));
    EXPECT_FALSE(QFile::exists(out + "/anexo.db"));
}

TEST_F(HostileReports, EndlessQueryStopsAtTheConfiguredTimeLimit) {
    WriteFile(Reports("RCL047_sem_fim.rpt"),
              Report("Sem fim",
                     "'WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c)' "
                     "'SELECT count(*) AS A FROM c'"));
    QDir().mkpath(QFileInfo(workspace_.ConfigFile()).path());
    WriteFile(workspace_.ConfigFile(), "[reports]\nquery_time_limit = 0.5\n");
    const HostRun run = RunWith(kCorrectPeriod.section('\n', 0, 1) +
                                "\nselect cbbReportNames \"Sem fim\"\nclick sbtPreview\n" +
                                kCorrectPeriod);
    ExpectUsableAfterwards(run);
    EXPECT_EQ(Messages(run), QStringList{Text("A consulta do relatório %1 foi interrompida: passou "
                                              "do tempo limite de 500 ms.")
                                             .arg(Reports("RCL047_sem_fim.rpt"))});
}

// Save as with the title of a report already there: asked first; only "yes"
// replaces that report, and the list never shows the title twice.
TEST_F(HostileReports, SaveAsATitleTakenAsksBeforeReplacing) {
    const QString detalhado = Reports("RCL047_detalhado.rpt");
    const QByteArray before = ReadFile(detalhado);
    const QString saveOverDetalhado =
        kCorrectPeriod.section('\n', 0, 1) +
        "\nselect cbbReportNames \"Limpeza de Dados - Resumo por Sistema\"\n"
        "click sbtSalvarComo\nanswer \"Limpeza de Dados - Detalhado\"\n";
    const struct {
        const char* answer;
        bool replaced;
    } rows[] = {{"", false}, {"confirm no\n", false}, {"confirm yes\n", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.answer);
        const HostRun run = RunWith(saveOverDetalhado + row.answer + "state\n");
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        const QJsonObject confirm = run.Only("confirm");
        EXPECT_EQ(confirm["title"].toString(), Text("Substituir relatório"));
        EXPECT_EQ(confirm["text"].toString(),
                  Text("Já existe um relatório com o título 'Limpeza de Dados - Detalhado' "
                       "(arquivo %1). Deseja substituí-lo?")
                      .arg(detalhado));
        EXPECT_EQ(QDir(workspace_.ReportsCopy()).entryList({"*.rpt"}).size(), 2);
        EXPECT_EQ(Control(run.Only("state"), "cbbReportNames")["items"].toArray().size(), 2);
        EXPECT_EQ(run.Events("report").size(), row.replaced ? 1 : 0);
        EXPECT_EQ(ReadFile(detalhado) == before, !row.replaced);
    }
    EXPECT_TRUE(ReadFile(detalhado).contains("LIMPEZAS")) << "the summary's definition";
}

TEST_F(HostileReports, TwoFilesOfOneTitleAreListedApart) {
    WriteFile(Reports("RCL047_b.rpt"), Report("Limpeza de Dados - Detalhado", "'SELECT 1 AS A'"));
    const HostRun run = RunWith(
        "state\nselect cbbReportNames \"Limpeza de Dados - Detalhado (RCL047_b.rpt)\"\n" +
        kCorrectPeriod.section('\n', 0, 1) + "\nclick sbtPreview\n");
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(Control(run.Events("state").value(0), "cbbReportNames")["items"].toArray(),
              QJsonArray({"Limpeza de Dados - Detalhado (RCL047_b.rpt)",
                          "Limpeza de Dados - Detalhado (RCL047_detalhado.rpt)",
                          "Limpeza de Dados - Resumo por Sistema"}));
    EXPECT_EQ(run.Only("report")["rows"].toInt(), 1) << "the one chosen, not the first";
}

// Hosts side by side, each saving a title that makes the same file name and
// previewing into the same output folder: no file overwrites another.
TEST(ParallelHosts, SavingAndPreviewingIntoOneFolderKeepEveryFile) {
    HostWorkspace workspace;
    ASSERT_EQ(workspace.Run("open\n" + kCorrectPeriod).exitCode, 0);  // database, one PDF
    const QStringList titles = {"Corrida",  "Corrida!", "Corrida?",
                                "(Corrida)", "Corrida.", "Corrida..."};
    std::vector<std::unique_ptr<QProcess>> hosts;
    for (const QString& title : titles)
        hosts.push_back(workspace.Start(
            QString("open\n%1click sbtSalvarComo\nanswer \"%2\"\n").arg(kCorrectPeriod, title)));
    for (auto& host : hosts) {
        const HostRun run = HostWorkspace::Finish(*host);
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        EXPECT_EQ(run.Events("report").size(), 2) << "a preview and a save";
    }
    QStringList saved;
    for (const QString& file : QDir(workspace.ReportsCopy()).entryList({"RCL047_corrida*.rpt"}))
        saved << ReportDefinition::Read(workspace.ReportsCopy() + "/" + file).title;
    saved.sort();
    QStringList expected = titles;
    expected.sort();
    EXPECT_EQ(saved, expected);
    EXPECT_EQ(QDir(workspace.Output()).entryList({"*.pdf"}).size(), titles.size() + 1);
}

// ---------------------------------------------------------------------------
// A full disk or a read-only file system under the output folder, the
// reports folder or the database's folder: the action says where and why,
// and what was there stays as it was, with nothing half-written beside it.

struct FailingDisk {
    const char* name;
    const char* place;  // "out", "reports" or "db": the folder on the small disk
    bool readOnly;      // else full
    const char* sees;   // how the message starts; %1 is the folder
};

void PrintTo(const FailingDisk& row, std::ostream* os) { *os << row.name; }

// Every file under `dir`, hidden ones too, with its contents.
std::map<QString, QByteArray> Contents(const QString& dir) {
    std::map<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[path] = ReadFile(path);
    }
    return files;
}

class HostileDisk : public ::testing::TestWithParam<FailingDisk> {};

TEST_P(HostileDisk, SaysWhereAndWhyAndKeepsWhatWasThere) {
    const FailingDisk& row = GetParam();
    SmallFileSystem disk(256);
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why().toStdString();
    HostWorkspace workspace;
    ASSERT_EQ(workspace.Run("open\n" + kCorrectPeriod).exitCode, 0);  // database, one PDF
    const QString place = QString::fromUtf8(row.place);
    const QString folder = disk.Path() + "/" + place;
    QDir().mkpath(folder);
    for (const QString& source : {workspace.Output(), workspace.ReportsCopy()}) {
        if (!source.endsWith(place)) continue;
        for (const QString& file : QDir(source).entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(source + "/" + file, folder + "/" + file));
    }
    // A database is made only when asked for (status 1, standard error).
    const bool creating = place == "db";
    const QStringList arguments = creating ? QStringList{"--db", folder + "/novo.db", "--sample", "100"}
                                           : QStringList{"--" + place, folder};
    if (row.readOnly)
        ASSERT_TRUE(disk.MakeReadOnly());
    else
        disk.Fill();
    const auto before = Contents(disk.Path());
    HostRun run;
    if (creating)
        std::tie(run.exitCode, run.errors) = CreateDb(arguments);
    else
        run = workspace.Run("open\n" + kCorrectPeriod + "click sbtSalvarComo\nanswer \"Novo título\"\n", arguments);
    EXPECT_EQ(run.exitCode, creating ? 1 : 0) << run.errors.toStdString();
    const QStringList messages = creating ? QStringList{run.errors.trimmed().split('\n').last()} : Messages(run);
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_TRUE(messages[0].startsWith(Text(row.sees).arg(folder))) << messages[0].toStdString();
    EXPECT_EQ(Contents(disk.Path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostileDisk,
    ::testing::Values(
        FailingDisk{"OutputFull", "out", false, "Não foi possível gravar %1: o disco está cheio."},
        FailingDisk{"OutputReadOnly", "out", true,
                    "Não foi possível gravar %1: o sistema de arquivos é somente leitura."},
        FailingDisk{"ReportsFull", "reports", false,
                    "Não foi possível gravar %1: o disco está cheio."},
        FailingDisk{"ReportsReadOnly", "reports", true,
                    "Não foi possível gravar %1: o sistema de arquivos é somente leitura."},
        FailingDisk{"DatabaseFull", "db", false,
                    "Não foi possível criar o banco de dados de relatórios em %1/novo.db."},
        FailingDisk{"DatabaseReadOnly", "db", true,
                    "Não foi possível criar o banco de dados de relatórios em %1/novo.db: a pasta "
                    "%1 não permite gravação (o sistema de arquivos é somente leitura)."}),
    [](const ::testing::TestParamInfo<FailingDisk>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The report database.

class HostileDatabase : public ::testing::Test {
protected:
    HostRun RunOn(const QString& database, const QString& script) {
        return workspace_.Run("open\n" + script, {"--db", database});
    }
    HostWorkspace workspace_;
};

TEST_F(HostileDatabase, ReadOnlyIsReadAndLeftAlone) {
    ASSERT_EQ(workspace_.Run("open\n" + kCorrectPeriod).exitCode, 0);  // creates it
    const QString database = workspace_.Database();
    const QByteArray before = ReadFile(database);
    ASSERT_TRUE(
        QFile::setPermissions(database, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const HostRun run = RunOn(database, kCorrectPeriod);
    QFile::setPermissions(database, QFile::ReadOwner | QFile::WriteOwner);
    ExpectUsableAfterwards(run);
    EXPECT_TRUE(Messages(run).isEmpty()) << Messages(run).join('\n').toStdString();
    EXPECT_EQ(ReadFile(database), before);
}

TEST_F(HostileDatabase, LockedByAnotherProgramSaysSoAndWorksOnceFree) {
    ASSERT_EQ(workspace_.Run("open\n" + kCorrectPeriod).exitCode, 0);  // creates it
    const QString database = workspace_.Database();
    HostRun locked;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "locker");
        db.setDatabaseName(database);
        ASSERT_TRUE(db.open());
        QSqlQuery query(db);
        // A program that keeps the file to itself: in WAL mode a writer's
        // transaction alone does not keep reports out.
        ASSERT_TRUE(query.exec("PRAGMA locking_mode=EXCLUSIVE"));
        ASSERT_TRUE(query.exec("BEGIN EXCLUSIVE"));
        locked = RunOn(database, kCorrectPeriod + "click sbtPreview\nstate\n");
        query.exec("ROLLBACK");
    }
    QSqlDatabase::removeDatabase("locker");
    EXPECT_EQ(locked.exitCode, 0) << locked.errors.toStdString();
    const QString sees = Text(
                             "O banco de dados de relatórios %1 está bloqueado por outro programa. "
                             "Tente de novo em instantes.")
                             .arg(database);
    EXPECT_EQ(Messages(locked), (QStringList{sees, sees})) << "a second try says the same";
    EXPECT_TRUE(locked.Events("report").isEmpty());
    EXPECT_EQ(Control(locked.Only("state"), "depDtIni")["text"].toString(), "10/03/2025");
    ExpectUsableAfterwards(RunOn(database, kCorrectPeriod));
}

TEST_F(HostileDatabase, OneWithoutTheReportsTableSaysWhichTable) {
    ASSERT_TRUE(QDir().mkpath(workspace_.Output()));
    const QString database = workspace_.Output() + "/outro.db";
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other");
        db.setDatabaseName(database);
        ASSERT_TRUE(db.open());
        ASSERT_TRUE(QSqlQuery(db).exec("CREATE TABLE clientes (nome TEXT)"));
    }
    QSqlDatabase::removeDatabase("other");
    const HostRun run = RunOn(database, kCorrectPeriod + "state\n");
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(Messages(run),
              QStringList{Text("A consulta do relatório usa a tabela limpeza, que não existe no "
                               "banco de dados de relatórios %1.")
                              .arg(database)});
    EXPECT_TRUE(run.Events("report").isEmpty());
    EXPECT_EQ(Control(run.Only("state"), "depDtIni")["text"].toString(), "10/03/2025");
}

TEST_F(HostileDatabase, CorruptIsNamedAndTheScreenKeepsItsInput) {
    ASSERT_EQ(workspace_.Run("open\n" + kCorrectPeriod).exitCode, 0);  // creates it
    const struct {
        const char* what;
        QByteArray bytes;
        QString sees;
    } rows[] = {
        {"not a database", QByteArray(8192, 'x'),
         Text("O arquivo %1 não é um banco de dados de relatórios válido")
             .arg(workspace_.Database())},
        {"a database cut short", ReadFile(workspace_.Database()).left(20000),
         Text("O arquivo %1 não é um banco de dados de relatórios válido")
             .arg(workspace_.Database())},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        WriteFile(workspace_.Database(), row.bytes);
        const HostRun run = RunOn(workspace_.Database(), kCorrectPeriod + "state\n");
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        const QStringList messages = Messages(run);
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].startsWith(row.sees)) << messages[0].toStdString();
        EXPECT_FALSE(messages[0].contains("Unable to")) << "the database's words, not Qt's";
        EXPECT_TRUE(run.Events("report").isEmpty());
        EXPECT_EQ(Control(run.Only("state"), "depDtIni")["text"].toString(), "10/03/2025");
        EXPECT_EQ(ReadFile(workspace_.Database()), row.bytes)
            << "the damaged file is left as it was";
    }
}


// Leaves `database` as a program that stopped in the middle of a write
// leaves it: half its rows deleted in the file, and the journal to undo that.
// The program keeps its files with a rollback journal (the host makes its
// own in WAL mode, where an unfinished write leaves the file as it was).
void LeaveUnfinishedWrite(const QString& database) {
    QProcess sqlite;
    sqlite.start("sqlite3", {database});
    sqlite.write(
        "PRAGMA journal_mode = DELETE;\nPRAGMA cache_size = 1;\nBEGIN;\nDELETE FROM limpeza WHERE id > 0;\n"
        ".shell kill -9 $PPID\n");
    sqlite.closeWriteChannel();
    sqlite.waitForFinished();
}

int Cleanups(const QString& database) {
    int count = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "cleanups");
        db.setDatabaseName(database);
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        QSqlQuery query(db);
        if (db.open() && query.exec("SELECT count(*) FROM limpeza") && query.next())
            count = query.value(0).toInt();
    }
    QSqlDatabase::removeDatabase("cleanups");
    return count;
}

// Where the folder allows writing, the host finishes another program's
// unfinished write as SQLite does (the rows are back); in a read-only folder
// it says so, instead of calling the file corrupt.
TEST_F(HostileDatabase, UnfinishedWriteOfAnotherProgramIsUndoneOrNamed) {
    ASSERT_EQ(workspace_.Run("open\n" + kCorrectPeriod).exitCode, 0);  // creates it
    const QString database = workspace_.Database();
    const int cleanups = Cleanups(database);
    LeaveUnfinishedWrite(database);
    ASSERT_TRUE(QFile::exists(database + "-journal")) << "sqlite3 left no journal";
    SmallFileSystem disk(2048);
    if (disk.Mounted()) {
        const QString copy = disk.Path() + "/sample.db";
        ASSERT_TRUE(QFile::copy(database, copy) && QFile::copy(database + "-journal", copy + "-journal"));
        ASSERT_TRUE(disk.MakeReadOnly());
        const HostRun run = RunOn(copy, kCorrectPeriod + "state\n");
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        EXPECT_EQ(Messages(run),
                  QStringList{Text("O banco de dados de relatórios %1 tem uma gravação inacabada "
                                   "(%1-journal) que só pode ser desfeita com permissão de "
                                   "gravação na pasta %2. O arquivo não está corrompido.")
                                  .arg(copy, disk.Path())});
        EXPECT_EQ(Control(run.Only("state"), "depDtIni")["text"].toString(), "10/03/2025");
    }
    const HostRun run = RunOn(database, kCorrectPeriod);
    ExpectUsableAfterwards(run);
    EXPECT_TRUE(Messages(run).isEmpty()) << Messages(run).join('\n').toStdString();
    EXPECT_FALSE(QFile::exists(database + "-journal"));
    EXPECT_EQ(Cleanups(database), cleanups);
    if (!disk.Mounted()) GTEST_SKIP() << "read-only half: " << disk.Why().toStdString();
}

// ---------------------------------------------------------------------------
// Which database the reports read: the sample only when none is named, and
// then labelled; a named file that is not there stops the host.

struct DatabaseChoice {
    const char* name;
    const char* config;          // the configuration file; %1: the workspace; null: none
    QStringList arguments;       // %1: the workspace
    int exitCode;
    const char* says;            // standard error holds it; %1: the workspace, %2: the file
    const char* notMade;         // a path that must not exist afterwards; %1: the workspace
};

void PrintTo(const DatabaseChoice& row, std::ostream* os) { *os << row.name; }

class HostileDatabaseChoice : public ::testing::TestWithParam<DatabaseChoice> {
protected:
    HostWorkspace workspace_;
    QString Place(const char* text) const { return Text(text).replace("%1", QFileInfo(workspace_.Output()).path()); }
};

TEST_P(HostileDatabaseChoice, StopsTheHostNamingTheCauseAndMakesNothing) {
    const DatabaseChoice& row = GetParam();
    QStringList arguments;
    for (const QString& argument : row.arguments) arguments << QString(argument).replace("%1", QFileInfo(workspace_.Output()).path());
    const QString config = Place("%1/rclhost.conf");
    if (row.config) {
        WriteFile(config, Place(row.config).toUtf8());
        arguments << "--config" << config;
    }
    const HostRun run = workspace_.Run("open\n" + kCorrectPeriod + "state\n", arguments);
    EXPECT_EQ(run.exitCode, row.exitCode) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains(Place(row.says).replace("%2", config))) << run.errors.toStdString();
    EXPECT_TRUE(run.events.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(Place(row.notMade))) << Place(row.notMade).toStdString();
    EXPECT_FALSE(QFileInfo::exists(workspace_.DataHome())) << "no sample made in its place";
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostileDatabaseChoice,
    ::testing::Values(
        DatabaseChoice{"DbInAFolderThatIsNotThere", nullptr, {"--db", "%1/u/nao-existe/limpeza.db"}, 1,
                       "O banco de dados de relatórios %1/u/nao-existe/limpeza.db não existe.", "%1/u"},
        DatabaseChoice{"DbFileThatIsNotThere", nullptr, {"--db", "%1/limpeza.db"}, 1,
                       "O banco de dados de relatórios %1/limpeza.db não existe.", "%1/limpeza.db"},
        DatabaseChoice{"ConfiguredFileThatIsNotThere", "[database]\nurl = %1/u/limpeza.db\n", {}, 1,
                       "O banco de dados de relatórios %1/u/limpeza.db não existe.", "%1/u"},
        DatabaseChoice{"SectionInCapitals", "[Database]\nurl = %1/limpeza.db\n", {}, 1,
                       "O arquivo de configuração %2, linha 1: seção desconhecida [Database]; você "
                       "quis dizer [database]?", "%1/limpeza.db"},
        DatabaseChoice{"KeyMistyped", "; empresa\n[database]\nulr = %1/limpeza.db\n", {}, 1,
                       "O arquivo de configuração %2, linha 3: chave desconhecida ulr em [database]; "
                       "você quis dizer url?", "%1/limpeza.db"},
        DatabaseChoice{"LimitRoundingToNone", "[reports]\nquery_time_limit = 0.0004\n", {}, 1,
                       "O arquivo de configuração %2, linha 2: valor inválido em [reports] "
                       "query_time_limit: '0.0004' (o menor limite é 0.001 segundo; 0 quer dizer "
                       "sem limite).", "%1/limpeza.db"},
        DatabaseChoice{"LimitOutOfRange", "[reports]\nquery_time_limit = 86401 ; um dia e um segundo\n", {}, 1,
                       "O arquivo de configuração %2, linha 2: valor inválido em [reports] "
                       "query_time_limit: '86401'", "%1/limpeza.db"},
        DatabaseChoice{"KeyGivenTwice",
                       "[database]\nurl = %1/a.db\n[reports]\nquery_time_limit = 5\n[database]\nurl = %1/b.db\n",
                       {}, 1,
                       "O arquivo de configuração %2, linha 6: [database] url repetida (já dada na "
                       "linha 2).", "%1/b.db"},
        DatabaseChoice{"RelativePath", "[database]\nurl = relative.db\n", {}, 1,
                       "O arquivo de configuração %2, linha 2: o caminho do banco de dados em "
                       "[database] url deve ser absoluto (começar por /): relative.db",
                       "%1/relative.db"},
        DatabaseChoice{"EmptyUrl", "[database]\nurl =\n", {}, 1,
                       "O arquivo de configuração %2, linha 2: [database] url está vazio.", "%1/x"},
        DatabaseChoice{"LineWithoutEquals", "[reports]\nquery_time_limit 300\n", {}, 1,
                       "O arquivo de configuração %2, linha 2: esperado 'chave = valor' ou "
                       "'[seção]': query_time_limit 300", "%1/x"},
        DatabaseChoice{"KeyOutsideASection", "url = %1/limpeza.db\n", {}, 1,
                       "O arquivo de configuração %2, linha 1: a chave url está fora de uma seção",
                       "%1/limpeza.db"},
        DatabaseChoice{"CreateOnAMissingFolder", nullptr,
                       {"--db", "%1/u/nova.db", "--create-db", "--sample", "10"}, 1,
                       "A pasta do banco de dados de relatórios não existe: %1/u", "%1/u"}),
    [](const ::testing::TestParamInfo<DatabaseChoice>& info) { return std::string(info.param.name); });

// A file that exists is never made again, whatever it holds.
TEST(HostileCreateDb, AFileThatExistsIsLeftByteForByte) {
    HostWorkspace workspace;
    const QString database = QFileInfo(workspace.Output()).path() + "/limpeza.db";
    const auto [made, madeErrors] = CreateDb({"--db", database, "--sample", "10"});
    ASSERT_EQ(made, 0) << madeErrors.toStdString();
    const QByteArray before = ReadFile(database);
    const auto [again, errors] = CreateDb({"--db", database});
    EXPECT_EQ(again, 1);
    EXPECT_TRUE(errors.contains(Text("O arquivo %1 já existe; nada foi alterado.").arg(database)))
        << errors.toStdString();
    EXPECT_EQ(ReadFile(database), before);
}

// The sample is labelled wherever it shows; a database of the company's is not.
struct SampleLabel {
    const char* name;
    bool named;  // the run names a database made with --create-db
};

void PrintTo(const SampleLabel& row, std::ostream* os) { *os << row.name; }

class HostileSampleLabel : public ::testing::TestWithParam<SampleLabel> {};

TEST_P(HostileSampleLabel, SaysSoInEveryEventAndOnEveryPage) {
    HostWorkspace workspace;
    QStringList arguments;
    if (GetParam().named) {
        const QString database = QFileInfo(workspace.Output()).path() + "/empresa.db";
        ASSERT_EQ(CreateDb({"--db", database, "--sample", "3000"}).first, 0);
        arguments << "--db" << database;
    }
    const HostRun run = workspace.Run(
        "open\ntype depDtIni 01/01/2024\ntype depDtFim 31/12/2025\nselect cbbReportNames \"Limpeza de "
        "Dados - Detalhado\"\nclick sbtPreview\nstate\n",
        arguments);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const bool sample = !GetParam().named;
    EXPECT_EQ(run.Only("state")["sample"], QJsonValue(sample));
    const QJsonObject report = run.Only("report");
    EXPECT_EQ(report["sample"], QJsonValue(sample));
    const QString text = PdfText(report["file"].toString());
    const qsizetype pages = text.count(QRegularExpression(Text("Página \\d+ de \\d+")));
    ASSERT_GT(pages, 1);
    EXPECT_EQ(text.count(Text("Dados de demonstração")), sample ? pages : 0);
    EXPECT_EQ(QFileInfo::exists(workspace.Database()), sample);
}

INSTANTIATE_TEST_SUITE_P(Table, HostileSampleLabel,
                         ::testing::Values(SampleLabel{"NoDatabaseNamedIsTheSample", false},
                                           SampleLabel{"ADatabaseMadeWithCreateDb", true}),
                         [](const ::testing::TestParamInfo<SampleLabel>& info) {
                             return std::string(info.param.name);
                         });

// Six hosts making the sample at once: each reads a whole database, the
// same one, and no half-made file is left beside it.
TEST(ParallelHosts, MakingTheSampleTogetherGivesEveryOneTheSameWholeDatabase) {
    HostWorkspace workspace;
    std::vector<std::unique_ptr<QProcess>> hosts;
    for (int i = 0; i < 6; ++i) hosts.push_back(workspace.Start("open\n" + kCorrectPeriod));
    QList<int> rows;
    for (auto& host : hosts) {
        const HostRun run = HostWorkspace::Finish(*host);
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        EXPECT_TRUE(Messages(run).isEmpty()) << Messages(run).join('\n').toStdString();
        rows << run.Only("report")["rows"].toInt(-1);
    }
    EXPECT_EQ(rows, QList<int>(6, rows.value(0)));
    EXPECT_GT(rows.value(0), 0);
    const QStringList left = QDir(QFileInfo(workspace.Database()).path())
                                 .entryList(QDir::Files | QDir::Hidden, QDir::Name)
                                 .filter(QRegularExpression("^(?!sample\\.db)"));
    EXPECT_TRUE(left.isEmpty()) << left.join(' ').toStdString();
}

// ---------------------------------------------------------------------------
// The command line where there is no display at all: information options
// answer, a mistyped option is named as such.

struct CommandLine {
    const char* name;
    QStringList arguments;
    int exitCode;
    const char* out;     // standard output holds it
    const char* errors;  // standard error holds it
};

void PrintTo(const CommandLine& row, std::ostream* os) { *os << row.name; }

class HostileCommandLine : public ::testing::TestWithParam<CommandLine> {};

TEST_P(HostileCommandLine, AnswersWithoutADisplay) {
    const CommandLine& row = GetParam();
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
    process.setProcessEnvironment(environment);
    process.start(HOST_PATH, row.arguments);
    ASSERT_TRUE(process.waitForFinished(60000));
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(process.exitCode(), row.exitCode) << errors.toStdString();
    EXPECT_TRUE(out.contains(Text(row.out))) << out.toStdString();
    EXPECT_TRUE(errors.contains(Text(row.errors))) << errors.toStdString();
    EXPECT_FALSE(errors.contains(Text("Não há tela"))) << errors.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostileCommandLine,
    ::testing::Values(
        CommandLine{"Help", {"--help"}, 0, "Uso: rclhost [OPÇÃO]...", ""},
        CommandLine{"ShortHelpAfterOtherOptions", {"--db", "x.db", "-h"}, 0, "--create-db        cria", ""},
        CommandLine{"Version", {"--version"}, 0, "rclhost " RCLHOST_VERSION "\n", ""},
        CommandLine{"Mistyped", {"--hlep"}, 1, "", "Opção desconhecida: --hlep (rclhost --help lista as opções)"},
        CommandLine{"ValueMissing", {"--db"}, 1, "", "Falta o valor da opção --db"}),
    [](const ::testing::TestParamInfo<CommandLine>& info) { return std::string(info.param.name); });

// Every option of the host is in --help.
TEST(HostileCommandLineHelp, NamesEveryOption) {
    const QString usage = HostOptions::Usage();
    for (const char* option : {"--module", "--reports", "--help-dir", "--db", "--create-db", "--sample",
                               "--script", "--out", "--config", "--help", "--version"})
        EXPECT_TRUE(usage.contains(QString(option) + ' ')) << option;
}

// A placement file that is not one: the window opens at its first size, and
// closing writes a good one in its place.
struct BrokenPlacement {
    const char* name;
    std::function<void(const QString& file)> make;
    bool replaced;  // closing puts a placement there
};

void PrintTo(const BrokenPlacement& row, std::ostream* os) { *os << row.name; }

class HostilePlacement : public ::testing::TestWithParam<BrokenPlacement> {
protected:
    void TearDown() override { Application->SetMdiArea(nullptr); }
    QTemporaryDir state_;
};

TEST_P(HostilePlacement, OpensAtTheFirstSizeAndIsWrittenAgainOnClosing) {
    const QString file = state_.filePath("rclhost/janela");
    QDir().mkpath(QFileInfo(file).path());
    GetParam().make(file);
    auto window = std::make_unique<HostWindow>();
    window->RememberPlacement(file);
    window->show();
    EXPECT_EQ(window->size(), FirstSize(window->screen()->availableGeometry()));
    window->resize(640, 480);
    EXPECT_TRUE(window->close());
    QFileInfo written(file);
    EXPECT_EQ(written.isFile() && !written.isSymLink(), GetParam().replaced);
    EXPECT_EQ(written.isDir(), !GetParam().replaced);
    window = std::make_unique<HostWindow>();
    window->RememberPlacement(file);
    EXPECT_EQ(window->size() == QSize(640, 480), GetParam().replaced);
}

QByteArray RealPlacement() {
    QWidget widget;
    widget.setGeometry(10, 10, 300, 200);
    return widget.saveGeometry();
}

// Scripts see the same window whatever the desktop left behind.
TEST(HostilePlacementScripted, IsNeitherAppliedNorWritten) {
    HostWorkspace workspace;
    const QString file = workspace.StateHome() + "/rclhost/janela";
    QDir().mkpath(QFileInfo(file).path());
    WriteFile(file, RealPlacement());
    const HostRun run = workspace.Run("screenshot host.png\n");
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(QImage(workspace.Output() + "/host.png").size(), QSize(1000, 700));
    EXPECT_EQ(ReadFile(file), RealPlacement());
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostilePlacement,
    ::testing::Values(
        BrokenPlacement{"Garbage", [](const QString& f) { WriteFile(f, "não é uma janela\n"); }, true},
        BrokenPlacement{"OverTheLimit", [](const QString& f) { WriteFile(f, RealPlacement() + QByteArray(5000, 0)); }, true},
        BrokenPlacement{"CutShort", [](const QString& f) { WriteFile(f, RealPlacement().left(20)); }, true},
        BrokenPlacement{"LinkToDevZero", [](const QString& f) { QFile::link("/dev/zero", f); }, true},
        BrokenPlacement{"Fifo", [](const QString& f) { mkfifo(QFile::encodeName(f).constData(), 0600); }, true},
        BrokenPlacement{"Folder", [](const QString& f) { QDir().mkpath(f); }, false}),
    [](const ::testing::TestParamInfo<BrokenPlacement>& info) { return std::string(info.param.name); });

}  // namespace
