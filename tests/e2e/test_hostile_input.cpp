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
//   save as into a read-only installed     the copy listed, written into                   the installed files, byte for
//     folder, or over an installed title     $XDG_DATA_HOME/rclhost/reports                  byte; the title listed once
//   temporary files of a killed host       -                                               all but the host's own
//                                                                                             (.NAME.xxxxxxxx.tmp) a day old
//   pick of a row the list lacks           error event; status 2                           the earlier choice (cancelled)
//   screenshot onto a full disk            error "Não foi possível gravar ...: o disco     what was there; no part of a PNG
//                                            está cheio."; status 2
//   standard output full, or a pipe        status 1; standard error: "Não foi possível     -
//     nobody reads                           escrever os eventos do script ..."
//   query of two statements, of comments   "Estes arquivos de relatório..." + file,        the database, the
//     only, or a quote left open             "a consulta SQL.Strings tem mais de um           other reports
//                                            comando (o segundo começa em ...)"
//   query calling fts3_tokenizer (or any   "... foi recusada: ela chama a função           the database
//     function reports do not use)           fts3_tokenizer, que não está entre ..."
//   ATTACH in a query                      "... ela tenta anexar outro arquivo, <file>"    the database
//   server rows (tests/pg/test_pg_failures.cpp):
//   SELECT; COMMIT; DELETE (or pg_sleep)   "... SQLPostgreSQL.Strings tem mais de um       the rows, even where
//     on PostgreSQL                          comando"; past a COMMIT the session is still    the user may delete
//                                            read-only and under the limit
//   table the user may not read            "O usuário relatorio não tem permissão para     the next report works
//                                            ler a tabela segredo ... (permission denied"
//   syntax error on the server             "...: syntax error at or near "SELEC"", no      -
//                                            "PREPARE qpsqlpstmt_1"
//   sslmod= in the address                 "... tem o parâmetro 'sslmod', que o            -
//                                            PostgreSQL não conhece ..."
//   wrong password in ~/.pgpass            "... recusou a senha ... guardada no arquivo     -
//                                            de senhas <file> ..."
//   ~/.pgpass that others may read         the prompt names the file, 0644, chmod 600      the screen
//   password changed while the host runs   the prompt again, saying why                    the screen
//   database locked by another program,    "Aguardando o banco de dados…" with Cancelar;   the screen, no report, the
//     on screen                              Cancelar gives the screen back at once          other program's lock
//   a value past 4 MB (hex, replace        "... um valor passou do tamanho máximo de 4     the screen
//     over megabytes)                        MB que um relatório aceita ..."
//   one step longer than the time limit    "... passou do tempo limite de 500 ms.", and    the screen; the host ends
//     (instr over megabytes)                 the next report at once                         normally, status 0
//   print cancelled at "Imprimindo: página  nothing (no job on the server)                 no spool file left
//     n de m"
//   printer that refuses the job           "A impressora X não aceitou o relatório; nada   no spool file left
//                                            foi impresso (...)"
//   10 MB text, 1 MB of "ç", zeroblob in    the first 500 characters and "…"               the page
//     a cell
//   time that is no time of day            the stored text ("2025-03-10 99:99:00")         -
//   help image or style sheet: /dev/zero,  the page without it                             the window
//     FIFO, .., a link out, http:, file:
//     outside the help folder
//   help topic that is a FIFO, a device    "A página de ajuda ... não pôde ser lida: é um  the page shown before
//     or a folder                            FIFO ..."
//   export before any preview, or of an    `error` event, exit 2                           no file written
//     unknown format (script)
//   export into a name that exists         a new file "... (2).xlsx"                       the earlier file
//   export into a full or read-only        "Não foi possível gravar <folder>: o disco      what was there, nothing
//     output folder                          está cheio." and the like                       half-written beside it
//   text cell starting with = + - @        XLSX: a text cell; CSV: quoted, after an '      the text
//   text cell of 40,000 characters         XLSX: cut to 32,767 ending in "…", counted on   CSV: the whole text
//                                            the Parâmetros sheet and said
//   date a spreadsheet cannot hold (before XLSX: the text as the database gave it         the text
//     1900) or that is no day
//   control character in a text cell      XLSX: U+FFFD (the format cannot carry it)        CSV: the byte itself
//   report title with / \ : * ? and ..     the default file name without them             -
//   more rows than a sheet holds           the rest on "Dados (2)"...; said                 every row (host tests:
//                                                                                            WorkbookRows)
//   period: unknown name, no name, extra  error event "período desconhecido: ..."     -; the run ends, status 2
//     words, 10,000 characters              (the name cut at 40 characters)
//   period before any screen is open       error event "nenhuma tela aberta"               -; status 2
//   period whose dates leave the years     error event "o período ... sai dos anos         the dates as they were
//     1 to 9999 (--today 9999-12-31)         1 a 9999"
//   --today not AAAA-MM-DD or no such day  "A data de --today deve ser um dia que existe,  nothing opened; status 1
//     (2024-02-30, 01/03/2024, empty,          escrito AAAA-MM-DD: ..."
//     0000-01-01, 10,000 characters)
//   [dates] first_day_of_week not          "O arquivo de configuração ..., linha N: valor  nothing opened; status 1
//     domingo or segunda                      inválido em [dates] first_day_of_week ..."
//   preview window shrunk to a sliver or   the page at 10% to 400%, whole rows             the page on view
//     stretched across several screens
//   --help, -h, --version without a        the options in Portuguese, or "rclhost 4.7.10"  -
//     display nor QT_QPA_PLATFORM            (status 0)
//   --hlep, --db without its value,        "Opção desconhecida: --hlep (rclhost --help      -
//     without a display                      lista as opções)" and the like (status 1)
//   window placement file: garbage,        the window at its first size; on closing,       the placement is written
//     over 4 KiB, a link to /dev/zero,       nothing said                                    whole in its place
//     a FIFO, a folder, cut short                                                            (a folder: left as it was)
//   a placement file in a scripted run     the host at 1000x700                            the file, byte for byte
//   remembered values ([screens] remember  "Os valores da última vez não foram             the screen's defaults; closing
//     = true): garbage, not an object, a     restaurados: <cause>. A tela abre com os         removes the file (a folder
//     link to /dev/zero, a FIFO, a folder,    valores padrão." (the file and why, the          is left as it was)
//     over 64 KiB, a list over 16,384         report's file, the date, the preset...)
//     characters, a report gone or with a
//     folder, a date past 9999, no such day
//     or with a time, one date, the end
//     before the start, an unknown preset or
//     one past 9999 from today, an unknown
//     option, a list that is no text
//   remembered values that cannot be       "Os valores desta tela não foram guardados      what was there; the screen
//     written (their folder is a file)        para a próxima vez. Não foi possível criar       closes
//                                            a pasta ..."
//   remembered values in a scripted run    the screen's defaults, "restored": false        the file, byte for byte
//   [screens] remember not true or false   "O arquivo de configuração ..., linha N: valor  nothing opened; status 1
//     (sim, 1, empty)                        inválido em [screens] remember ..."
//   SQLite's own query text in a           the report runs it instead of SQL.Strings;      the other reports
//     definition (SQLSQLite.Strings)         of two statements: "... a consulta
//                                            SQLSQLite.Strings tem mais de um comando ..."
//   Salvar em PDF: a range backwards or    the fields bring it inside the report as it is  the preview; the PDF holds
//     past the last page (5 a 2; 3 a 999)    typed (2 a 2; 3 to the last page)               those pages only
//     (rows DeTrasParaFrente, AlemDaUltima of PreviewPdfPages, tests/module/test_report_actions.cpp)
//   preview's side panel state: over 4     the panel hidden, nothing said; F4 shows it     the file replaced by the
//     KiB, malformed JSON, values of the     and replaces the file (a folder: "A escolha      panel's state (a folder:
//     wrong type, unreadable, a FIFO, a       do painel lateral não foi guardada para a        left as it was)
//     folder                                 próxima vez. Não foi possível gravar ...")
//
// A PostgreSQL server that stops answering in the middle of a report
// (SIGSTOP) is the row ServerFailure.CancelGivesTheScreenBackWhileTheServerIsFrozen
// (tests/pg/test_pg_failures.cpp, which has the tests' own server): Cancelar
// gives the screen back while it is still frozen, nothing is written. One
// that does not answer the connection at all when a report starts (its
// postmaster stopped) is the row
// ServerFailure.CancelGivesTheScreenBackWhileTheServerDoesNotAnswerTheConnection:
// "Aguardando o banco de dados…" with Cancelar, the window never frozen.
//
// Broken form definitions (unknown class, property or handler, a truncated
// file, a value of the wrong kind, a name used twice, an inherited component
// missing from the base) are the rows of
// FormsTest.BadDefinitionsFailWithWhereAndWhat (tests/framework/test_forms.cpp);
// BrokenScreenDefinition below adds what the user sees of one.
//   spreadsheet library not installed     "Não foi possível gravar <folder>: a biblioteca the screen; no file written;
//     (or not a library), on export          de planilhas (libxlsxwriter.so.4) não está       CSV still exported
//                                            instalada."
//   print system's library not installed   "Não foi possível imprimir em <printer>: a      no job, no spool file
//     (or not a library), on printing        biblioteca do sistema de impressão
//                                            (libcups.so.2) não está instalada; nada foi
//                                            impresso."
//
// The file a large report's rows go to (SpillFile; HostileSpill below, every
// block of the report into the file):
//   its folder cannot be written, is a     "Não foi possível criar o arquivo temporário    the screen; no PDF; no file
//     FIFO, or lies under a file             dos dados do relatório em <folder>: <why>."     in the folder, none open
//   its folder missing                     the report; the folder made, the user's only    no file in it
//   the cache folder unusable              the report, its rows in the next folder         no file in either
//   the disk full (or the quota gone)      "Não há espaço em disco para os dados do        the screen; no PDF; no file
//     while the rows are read                relatório: o disco está cheio na pasta <f>.     in the folder, none open
//                                            Libere espaço ou escolha um período menor."
//   a device error growing the file        "Não foi possível guardar os dados do           the same
//                                            relatório na pasta <f>: erro de leitura ..."
//   Cancelar while the rows go to the      nothing                                         no file, none open
//     file
//
// Find in the preview (its rows are the rows HugeTextIsCut and
// CombiningMarksOnly of PreviewFind.GoesToTheRowsHoldingTheText in
// tests/module/test_report_actions.cpp, which drives the preview itself):
//   find text of 300 characters typed      the first 200 in the field; "Nenhuma          the pages, the page on view
//     or pasted                              ocorrência"
//   find text of combining marks only      "Nenhuma ocorrência"; nothing highlighted       the pages, the page on view
//
// The PDF writer's library (cairo, opened when the first PDF is written):
//   PDF library not installed: a file      "Não foi possível gravar <folder>: a biblioteca the screen, the dates; no
//     that is no library, or a library       de PDF (libcairo.so.2) não está instalada."     PDF, no temporary file
//     without cairo's functions
//   disk full before the PDF, or read-only the rows OutputFull, OutputReadOnly of          what was there
//                                            HostileDisk (the PDF of kCorrectPeriod)
//   disk that fills while the PDF is       "Não foi possível gravar <folder>...: o disco   what was there, nothing of
//     written (room for its start only)      está cheio."                                    the PDF; the dates
//     (many pages: PdfPagesFullDisk in tests/host/test_pdf_pages.cpp)
// Previews left open beside the screens (the row of a report asked for while
// one still reads is PreviewReading.AnotherReportWaitsForTheEndOfTheReading
// in tests/module/test_preview_windows.cpp, whose reports trickle in):
//   a ninth preview while eight are open   "Já há 8 visualizações abertas, o máximo.      the eight previews; no query
//     (Visualizar, Ctrl+F2)                  Feche uma delas para visualizar outro           runs
//                                            relatório."
//   a report asked for while a preview     "Aguarde o fim da leitura do relatório aberto   the preview, reading on;
//     still reads (Visualizar, Ctrl+F2,      na visualização, ou feche-a, para gerar          no second query runs
//     Ctrl+P)                                outro relatório."
//   report title of 10,000 characters,     the preview's title: the first 120              the definition
//     of line breaks, or empty               characters and "…", one line, or the code
// clang-format on
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "Cli_rcl04700.h"
#include "CupsServer.h"
#include "DatabaseScripts.h"
#include "ExportTestSupport.h"
#include "Funcoes.h"
#include "HelpWindow.h"
#include "HostConfig.h"
#include "HostOptions.h"
#include "HostRun.h"
#include "HostWindow.h"
#include "PesquisaLista.h"
#include "PreviewPages.h"
#include "PreviewSidePanel.h"
#include "ReportPainter.h"
#include "ReportPreview.h"
#include "ReportProgressDialog.h"
#include "ReportQuery.h"
#include "ReportRenderer.h"
#include "QtPrinters.h"
#include "ReportDatabase.h"
#include "ReportDefinition.h"
#include "ReportDesigner.h"
#include "ReportExport.h"
#include "ReportJob.h"
#include "ReportOutputChoice.h"
#include "ReportSpy.h"
#include "ReportWorker.h"
#include "SmallFileSystem.h"
#include "SpillFile.h"
#include "SqliteKind.h"
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

// The host's configuration for a screen opened in this process, its files
// in `dir`.
void ConfigureInProcess(const QTemporaryDir& dir) {
    HostConfig& config = HostConfig::Instance();
    config.reportsDir = REPORTS_DIR;
    config.databaseName = dir.filePath("relatorios.db");
    config.outputDir = dir.filePath("out");
}

class HostileScreen : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = HostConfig::Instance();
        ConfigureInProcess(dir_);
        folder_.emplace(HostConfig::Instance().outputDir);
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
        spy.reportDone = nullptr;
        folder_.reset();
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
    std::optional<ReportsIntoFolder> folder_;  // reset: people's outputs
    ReportSpy spy;
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
    spy.reportDone = [&](const QString&, const QString&, int r, const QString&) {
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
    const QString reads = Text(", e um relatório só pode ler os dados.");
    const struct {
        const char* file;
        const char* title;
        QString sql;
        QString why;  // after "foi recusada: "
    } rows[] = {
        {"RCL047_drop.rpt", "Apaga", "'DROP TABLE limpeza'", "ela tenta apagar a tabela limpeza" + reads},
        {"RCL047_update.rpt", "Altera",
         "'WITH x AS (SELECT 1) UPDATE limpeza SET registros = 0 WHERE :P_DATAINI IS NOT NULL'",
         "ela tenta alterar registros da tabela limpeza" + reads},
        {"RCL047_vacuum.rpt", "Copia", "'VACUUM INTO ''" + out + "/copia.db'''",
         "ela tenta gravar no arquivo " + out + "/copia.db" + reads},
        {"RCL047_attach.rpt", "Anexa", "'ATTACH ''" + out + "/anexo.db'' AS a'",
         "ela tenta anexar outro arquivo, " + out + "/anexo.db" + reads},
        {"RCL047_pragma.rpt", "Pragma", "'PRAGMA journal_mode = WAL'",
         "ela tenta executar o comando PRAGMA journal_mode" + reads},
        {"RCL047_funcao.rpt", "Funcao", "'SELECT hex(fts3_tokenizer(''simple'')) AS A'",
         Text("ela chama a função fts3_tokenizer, que não está entre as funções que um "
              "relatório pode usar.")},
    };
    QString script = kCorrectPeriod.section('\n', 0, 1) + '\n';
    QStringList refusals;
    for (const auto& row : rows) {
        WriteFile(Reports(row.file), Report(row.title, row.sql.toUtf8().constData()));
        script += QString("select cbbReportNames %1\nclick sbtPreview\n").arg(row.title);
        refusals << Text("A consulta do relatório %1 foi recusada: %2").arg(Reports(row.file), row.why);
    }
    const QByteArray before = ReadFile(workspace_.Database());
    const HostRun run = RunWith(script + kCorrectPeriod);
    ExpectUsableAfterwards(run);
    EXPECT_EQ(Messages(run), refusals);
    EXPECT_EQ(ReadFile(workspace_.Database()), before);
    EXPECT_FALSE(QFile::exists(out + "/copia.db"));
    EXPECT_FALSE(QFile::exists(out + "/anexo.db"));
}

// A definition runs exactly one statement: the rest of a longer text would be
// dropped (SQLite) or run (a server), and a text of comments only runs
// nothing. Such files are named with the cause and left out of the list.
TEST_F(HostileReports, DefinitionsOfMoreOrLessThanOneStatementAreNamedAndLeftOut) {
    const struct {
        const char* file;
        const char* sql;
        QString says;
    } rows[] = {
        {"RCL047_dois.rpt", "'SELECT 1 AS A; DELETE FROM limpeza'",
         Text("tem mais de um comando (o segundo começa em \"DELETE FROM limpeza\"); um relatório "
              "roda um só comando")},
        {"RCL047_comentario.rpt", "'-- nada aqui' '/* nem aqui */ ;'",
         Text("não tem nenhum comando, só comentários ou espaços")},
        {"RCL047_variavel.rpt", "'SELECT $a(''x);DELETE FROM limpeza;--'') AS A'",
         Text("tem mais de um comando (o segundo começa em \"DELETE FROM limpeza;--') AS A\"); um "
              "relatório roda um só comando")},
        {"RCL047_aspas.rpt", "'SELECT ''sem fim AS A'",
         Text("não pode ser lida: tem um texto entre aspas (') que não termina")},
    };
    for (const auto& row : rows) WriteFile(Reports(row.file), Report(row.file, row.sql));
    WriteFile(Reports("RCL047_um.rpt"), Report("Um", "'SELECT '';'' AS A; -- o fim' '/* ; */'"));
    const HostRun run = RunWith(kCorrectPeriod.section('\n', 0, 1) +
                                "\nstate\nselect cbbReportNames Um\nclick sbtPreview\n" + kCorrectPeriod);
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QStringList messages = Messages(run);
    ASSERT_EQ(messages.size(), 1) << messages.join('\n').toStdString();
    for (const auto& row : rows)
        EXPECT_TRUE(messages[0].contains(QRegularExpression(
            QRegularExpression::escape(Reports(row.file)) + ":\\d+:\\d+: Report: a consulta SQL.Strings " +
            QRegularExpression::escape(row.says) + "(\n|$)")))
            << row.file << "\n" << messages[0].toStdString();
    EXPECT_EQ(Control(run.Only("state"), "cbbReportNames")["items"].toArray().size(), 3);
    ASSERT_EQ(run.Events("report").size(), 2) << "the one statement and its comments run";
    EXPECT_EQ(run.Events("report")[0]["rows"].toInt(), 1);
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
// replaces that report (with the user's copy: the installed file stays), and
// the list never shows the title twice.
TEST_F(HostileReports, SaveAsATitleTakenAsksBeforeReplacing) {
    const QString detalhado = Reports("RCL047_detalhado.rpt");
    const QString copy = workspace_.UserReports() + "/RCL047_detalhado.rpt";
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
        EXPECT_EQ(QFile::exists(copy), row.replaced);
        EXPECT_EQ(ReadFile(detalhado), before);
    }
    EXPECT_TRUE(ReadFile(copy).contains("LIMPEZAS")) << "the summary's definition";
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
    for (const QString& file : QDir(workspace.UserReports()).entryList({"RCL047_corrida*.rpt"}))
        saved << ReportDefinition::Read(workspace.UserReports() + "/" + file).title;
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
    const char* place;  // "out", "reports" (the user's) or "db": the folder on the small disk
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
    QStringList arguments = creating ? QStringList{"--db", folder + "/novo.db", "--sample", "100"}
                                     : QStringList{"--" + place, folder};
    QString shown = folder;  // the folder the message names
    if (place == "reports") {
        ASSERT_TRUE(QDir().mkpath(workspace.UserData()));
        ASSERT_TRUE(QFile::link(folder, workspace.UserReports()));
        arguments.clear();
        shown = workspace.UserReports();
    }
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
    EXPECT_TRUE(messages[0].startsWith(Text(row.sees).arg(shown))) << messages[0].toStdString();
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
// The user's files in the user's folders. The installed definitions are
// read-only, as under /usr (root writes there anyway, so what is checked is
// that nothing in them changed): every copy saved goes to the user's folder.

struct SavedCopy {
    const char* name;
    const char* script;    // after the period is typed
    const char* userFile;  // what the user's folder holds afterwards
    int listed;            // entries of the report list afterwards
};

void PrintTo(const SavedCopy& row, std::ostream* os) { *os << row.name; }

void SetFolderWritable(const QString& dir, bool writable) {
    const mode_t files = writable ? 0644 : 0444;
    for (const QString& file : QDir(dir).entryList(QDir::Files))
        ::chmod(QFile::encodeName(dir + "/" + file).constData(), files);
    ::chmod(QFile::encodeName(dir).constData(), writable ? 0755 : 0555);
}

class HostileSaveAs : public ::testing::TestWithParam<SavedCopy> {};

TEST_P(HostileSaveAs, GoesToTheUsersFolderAndLeavesTheInstalledOnes) {
    const SavedCopy& row = GetParam();
    HostWorkspace workspace;
    const auto installed = Contents(workspace.ReportsCopy());
    SetFolderWritable(workspace.ReportsCopy(), false);
    const HostRun run = workspace.Run("open\n" + kCorrectPeriod.section('\n', 0, 1) + '\n' +
                                      row.script + "state\n");
    SetFolderWritable(workspace.ReportsCopy(), true);
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(Messages(run).isEmpty()) << Messages(run).join('\n').toStdString();
    EXPECT_EQ(Contents(workspace.ReportsCopy()), installed);
    EXPECT_EQ(QDir(workspace.UserReports()).entryList({"*.rpt"}), QStringList{row.userFile});
    EXPECT_EQ(run.Only("report")["file"].toString(), workspace.UserReports() + "/" + row.userFile);
    EXPECT_EQ(Control(run.Only("state"), "cbbReportNames")["items"].toArray().size(), row.listed);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostileSaveAs,
    ::testing::Values(
        SavedCopy{"NewTitle", "click sbtSalvarComo\nanswer \"Meu relatório\"\n",
                  "RCL047_meu_relatorio.rpt", 3},
        // The user's copy takes the installed file's name and hides it.
        SavedCopy{"TitleOfAnInstalledReport",
                  "select cbbReportNames \"Limpeza de Dados - Resumo por Sistema\"\n"
                  "click sbtSalvarComo\nanswer \"Limpeza de Dados - Detalhado\"\nconfirm yes\n",
                  "RCL047_detalhado.rpt", 2}),
    [](const ::testing::TestParamInfo<SavedCopy>& info) { return std::string(info.param.name); });

// At start the host removes what a killed host left: its own temporary
// files, a day old, in the output folder and the user's reports folder.
TEST(HostileLeftovers, OnlyTheHostsOwnDayOldTemporaryFilesGo) {
    HostWorkspace workspace;
    enum Kind { File, Folder, Link };
    const struct {
        const char* place;  // "out", "user" or "installed"
        const char* name;
        int hoursOld;
        Kind kind;
        bool removed;
    } rows[] = {
        {"out", ".novo.0badf00d.tmp", 25, File, true},
        {"out", ".RCL047-preview.pdf.1234abcd.tmp", 48, File, true},
        {"user", ".novo.deadbeef.tmp", 25, File, true},
        {"out", ".novo.0badf00e.tmp", 23, File, false},  // may still be written
        {"installed", ".novo.0badf00d.tmp", 48, File, false},
        {"out", ".novo.0BADF00D.tmp", 48, File, false},  // not a name SafeFile gives
        {"out", ".novo.0badf00.tmp", 48, File, false},
        {"out", "novo.0badf00d.tmp", 48, File, false},
        {"out", ".novo.0badf00d.tmp.pdf", 48, File, false},
        {"user", "RCL047_antigo.rpt", 48, File, false},
        {"out", ".pasta.0badf00d.tmp", 48, Folder, false},
        {"out", ".ligacao.0badf00d.tmp", 48, Link, false},
    };
    const std::map<QString, QString> folders = {{"out", workspace.Output()},
                                                {"user", workspace.UserReports()},
                                                {"installed", workspace.ReportsCopy()}};
    for (const auto& [place, folder] : folders) ASSERT_TRUE(QDir().mkpath(folder));
    const QString target = workspace.Output() + "/alvo.txt";
    WriteFile(target, "alvo");
    for (const auto& row : rows) {
        const QString path = folders.at(row.place) + "/" + row.name;
        if (row.kind == File) WriteFile(path, "sobra");
        if (row.kind == Folder) {
            ASSERT_TRUE(QDir().mkpath(path));
        }
        if (row.kind == Link) {
            ASSERT_TRUE(QFile::link(target, path));
        }
        const timespec when{::time(nullptr) - row.hoursOld * 3600, 0};
        const timespec times[2] = {when, when};
        ASSERT_EQ(
            ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW),
            0);
    }
    const HostRun run = workspace.Run("state\n");
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    for (const auto& row : rows)
        EXPECT_EQ(QFileInfo::exists(folders.at(row.place) + "/" + row.name), !row.removed)
            << row.place << "/" << row.name;
    EXPECT_EQ(ReadFile(target), "alvo");
}

// ---------------------------------------------------------------------------
// Scripts never end with success when they did not: a row the list lacks, a
// screenshot the disk cannot hold, events nobody could read.

enum class EventsGo { Pipe, FullDevice, ClosedPipe };

struct ScriptEnd {
    const char* name;
    const char* script;
    EventsGo events;
    bool fullDisk;  // --out on a full disk
    int status;
    const char* sees;  // the error event's text, or standard error's for lost events; %1: --out
};

void PrintTo(const ScriptEnd& row, std::ostream* os) { *os << row.name; }

class HostileScriptEnd : public ::testing::TestWithParam<ScriptEnd> {};

TEST_P(HostileScriptEnd, IsNeverReportedAsSuccess) {
    const ScriptEnd& row = GetParam();
    HostWorkspace workspace;
    std::unique_ptr<SmallFileSystem> disk;
    QString out = workspace.Output();
    if (row.fullDisk) {
        disk = std::make_unique<SmallFileSystem>(256);
        if (!disk->Mounted()) GTEST_SKIP() << disk->Why().toStdString();
        disk->Fill();
        out = disk->Path();
    }
    const auto before = Contents(out);
    int pipe[2] = {-1, -1};
    if (row.events == EventsGo::ClosedPipe) {
        ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
        ::close(pipe[0]);  // nobody reads: a write fails with EPIPE
    }
    const auto process = workspace.Start(row.script, {"--out", out}, [&row, &pipe](QProcess& host) {
        if (row.events == EventsGo::FullDevice) host.setStandardOutputFile("/dev/full");
        const int end = pipe[1];
        if (row.events == EventsGo::ClosedPipe)
            host.setChildProcessModifier([end] { ::dup2(end, STDOUT_FILENO); });
    });
    if (pipe[1] >= 0) ::close(pipe[1]);
    const HostRun run = HostWorkspace::Finish(*process);
    EXPECT_EQ(run.exitCode, row.status) << run.errors.toStdString();
    const QString sees = row.fullDisk ? Text(row.sees).arg(out) : Text(row.sees);
    if (row.events == EventsGo::Pipe) {
        EXPECT_EQ(run.Only("error")["text"].toString(), sees);
        EXPECT_TRUE(run.Events("state").isEmpty()) << "nothing after the error runs";
    } else {
        EXPECT_TRUE(run.errors.contains(sees)) << run.errors.toStdString();
    }
    if (row.fullDisk) {
        EXPECT_EQ(Contents(out), before) << "no PNG, not even a part of one";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostileScriptEnd,
    ::testing::Values(
        ScriptEnd{"PickOfARowTheListLacks",
                  "open\ntype depDtIni 10/03/2025\ntype depDtFim 10/03/2025\nclick rbtListaSist\n"
                  "key rbtListaSist F9\npick Estoque Inexistente\nstate\n",
                  EventsGo::Pipe, false, 2, "item inexistente na lista 'Sistema' (linha 6)"},
        ScriptEnd{"ScreenshotOnAFullDisk", "open\nscreenshot tela.png\nstate\n", EventsGo::Pipe,
                  true, 2, "Não foi possível gravar %1/tela.png: o disco está cheio."},
        ScriptEnd{
            "EventsIntoAFullDevice", "open\nstate\nstate\n", EventsGo::FullDevice, false, 1,
            "Não foi possível escrever os eventos do script na saída padrão: o disco está cheio."},
        ScriptEnd{"EventsIntoAPipeNobodyReads", "open\nstate\nstate\n", EventsGo::ClosedPipe, false,
                  1,
                  "Não foi possível escrever os eventos do script na saída padrão: o outro lado do "
                  "pipe foi fechado."}),
    [](const ::testing::TestParamInfo<ScriptEnd>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Waits and single steps that the database makes long.

// A program that keeps the whole database file to itself while it lives.
class DatabaseLock {
public:
    explicit DatabaseLock(const QString& path) : db_(QSqlDatabase::addDatabase("QSQLITE", "locker")) {
        db_.setDatabaseName(path);
        QSqlQuery query(db_);
        held_ = db_.open() && query.exec("CREATE TABLE IF NOT EXISTS limpeza (x)") &&
                query.exec("PRAGMA locking_mode=EXCLUSIVE") && query.exec("BEGIN EXCLUSIVE") &&
                query.exec("INSERT INTO limpeza VALUES (1)");
    }
    ~DatabaseLock() {
        QSqlQuery(db_).exec("ROLLBACK");
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase("locker");
    }
    DatabaseLock(const DatabaseLock&) = delete;
    DatabaseLock& operator=(const DatabaseLock&) = delete;
    bool Held() const { return held_; }
    // Another connection still cannot read the file.
    static bool Keeps(const QString& path) {
        bool readable = false;
        {
            QSqlDatabase probe = QSqlDatabase::addDatabase("QSQLITE", "probe");
            probe.setDatabaseName(path);
            probe.setConnectOptions("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=0");
            readable = probe.open() && QSqlQuery(probe).exec("SELECT count(*) FROM sqlite_master");
        }
        QSqlDatabase::removeDatabase("probe");
        return !readable;
    }

private:
    QSqlDatabase db_;
    bool held_ = false;
};

// The visible progress dialog, or null.
QDialog* ShownProgress() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->inherits("ReportProgressDialog")) return qobject_cast<QDialog*>(widget);
    return nullptr;
}

// Before the fix the window froze in the lock for 5 s, showed no progress
// and then said the file was locked.
TEST_F(HostileScreen, LockedDatabaseShowsTheWaitAndCancelGivesTheScreenBack) {
    folder_.reset();
    DatabaseLock lock(HostConfig::Instance().databaseName);
    ASSERT_TRUE(lock.Held());
    QStringList reports;
    spy.reportDone = [&](const QString& action, const QString&, int, const QString&) { reports << action; };
    Application->SetModalHook([&](QDialog& dialog) {
        reports << dialog.windowTitle();
        return int(QDialog::Rejected);
    });
    QString status;
    bool cancelled = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QDialog* progress = ShownProgress();
        if (!progress || cancelled) return;
        for (QLabel* label : progress->findChildren<QLabel*>())
            if (label->text().startsWith(Text("Aguardando"))) status = label->text();
        auto* cancel = progress->findChild<QPushButton*>();
        if (status.isEmpty() || !cancel) return;
        cancelled = true;
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    watch.start(20);
    QTest::keyClicks(screen->depDtIni, "10032025");
    QTest::keyClicks(screen->depDtFim, "10032025");
    QTimer::singleShot(60000, [] { if (QDialog* progress = ShownProgress()) progress->reject(); });
    QTest::mouseClick(screen->sbtPreview, Qt::LeftButton);
    watch.stop();
    EXPECT_EQ(status, Text("Aguardando o banco de dados…"));
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(DatabaseLock::Keeps(HostConfig::Instance().databaseName))
        << "the screen answers while the other program still holds the file";
    EXPECT_EQ(ShownProgress(), nullptr);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_TRUE(reports.isEmpty()) << reports.join('\n').toStdString();
    EXPECT_TRUE(QDir(HostConfig::Instance().outputDir).isEmpty());
    EXPECT_EQ(screen->depDtIni->Text(), "10/03/2025");
    EXPECT_TRUE(WaitForAbandonedWork(std::chrono::seconds(30)));
}

struct HugeValue {
    const char* what;
    const char* sql;
};

class HostileValue : public ::testing::TestWithParam<HugeValue> {};

// Before the fix a value of a gigabyte took the host down (zeroblob, which
// reports may no longer call), and these made values of 6 and 8 MB, printed
// as if nothing were amiss.
TEST_P(HostileValue, IsRefusedWithItsMessage) {
    HostWorkspace workspace;
    const QString file = workspace.ReportsCopy() + "/RCL047_enorme.rpt";
    WriteFile(file, Report("Enorme", GetParam().sql));
    const HostRun run = workspace.Run("open\n" + kCorrectPeriod.section('\n', 0, 1) +
                                      "\nselect cbbReportNames \"Enorme\"\nclick sbtPreview\n" + kCorrectPeriod);
    ExpectUsableAfterwards(run);
    EXPECT_EQ(Messages(run), QStringList{Text("A consulta do relatório %1 foi interrompida: um valor passou do "
                                              "tamanho máximo de 4 MB que um relatório aceita (string or blob "
                                              "too big).")
                                             .arg(file)});
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HostileValue,
    ::testing::Values(HugeValue{"hex", "'SELECT hex(printf(''%.*c'', 3000000, ''x'')) AS A'"},
                      HugeValue{"replace", "'SELECT length(replace(printf(''%.*c'', 3000000, ''x''), ''x'', ''ab'')) AS A'"}),
    [](const auto& info) { return std::string(info.param.what); });

// One instr() over megabytes is one step of SQLite's, minutes long, where it
// looks at no time limit: the host gives up on it at the limit and goes on;
// the step still running does not keep the host from ending normally.
TEST(HostileStep, LongerThanTheTimeLimitEndsTheReportAndTheHostStillEndsNormally) {
    HostWorkspace workspace;
    const QString file = workspace.ReportsCopy() + "/RCL047_passo.rpt";
    WriteFile(file, Report("Passo", "'WITH t(a) AS (SELECT printf(''%.*c'', 4000000, ''a''))' "
                                    "'SELECT instr(a, substr(a, 1, 1000000) || ''b'') AS A FROM t'"));
    QDir().mkpath(QFileInfo(workspace.ConfigFile()).path());
    WriteFile(workspace.ConfigFile(), "[reports]\nquery_time_limit = 0.5\n");
    const HostRun run = workspace.Run("open\n" + kCorrectPeriod.section('\n', 0, 1) +
                                      "\nselect cbbReportNames \"Passo\"\nclick sbtPreview\n" + kCorrectPeriod);
    ExpectUsableAfterwards(run);
    EXPECT_EQ(Messages(run), QStringList{Text("A consulta do relatório %1 foi interrompida: passou "
                                              "do tempo limite de 500 ms.")
                                             .arg(file)});
}

// ---------------------------------------------------------------------------
// Printing, against a CUPS server of the test's own: the job reaches the
// print system only whole, and a cancel or a refusal prints nothing.

struct PrintCase {
    const char* name;
    const char* printer;
    bool cancel;        // Cancelar once the progress says "Imprimindo"
    int jobs;           // what the server receives
    const char* sees;   // the message; "" for none
};

class HostilePrint : public HostileScreen, public ::testing::WithParamInterface<PrintCase> {
protected:
    void SetUp() override {
        HostileScreen::SetUp();
        if (!cups_.Running()) GTEST_SKIP() << cups_.Error().toStdString();
        cups_.UseForThisProcess();
        folder_.reset();
        // A temporary folder of this test's own: other tests that print at
        // the same time leave their spools in the shared one meanwhile.
        hadTmp_ = qEnvironmentVariableIsSet("TMPDIR");
        savedTmp_ = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(tmp_.path()));
    }
    void TearDown() override {
        if (hadTmp_) qputenv("TMPDIR", savedTmp_);
        else qunsetenv("TMPDIR");
        HostileScreen::TearDown();
    }
    // Folders of print spool files in the temporary folder.
    static QStringList Spools() {
        return QDir::temp().entryList({"rclhost-impressao-*"}, QDir::Dirs | QDir::Files | QDir::Hidden);
    }
    CupsServer cups_;
    QTemporaryDir tmp_;
    bool hadTmp_ = false;
    QByteArray savedTmp_;
};

void FillManyCleanups(const QString& path, int rows) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "many");
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        CreateReportTables(db, REPORTS_DIR, false);
        db.transaction();
        QSqlQuery insert(db);
        insert.prepare(
            "INSERT INTO limpeza (data_hora, sistema, tabela, registros, usuario) "
            "VALUES ('2025-03-10 08:00:00', ?, ?, ?, 'ADMIN')");
        for (int i = 0; i < rows; ++i) {
            insert.addBindValue(QString("Sistema %1").arg(i % 7));
            insert.addBindValue(QString("TABELA_%1").arg(i));
            insert.addBindValue(i);
            ASSERT_TRUE(insert.exec());
        }
        db.commit();
    }
    QSqlDatabase::removeDatabase("many");
}

int PdfPages(const QString& file) {
    QProcess info;
    info.start("pdfinfo", {file});
    if (!info.waitForFinished(30000)) return -1;
    const QString text = QString::fromUtf8(info.readAllStandardOutput());
    const QRegularExpressionMatch pages = QRegularExpression("Pages:\\s+(\\d+)").match(text);
    return pages.hasMatch() ? pages.captured(1).toInt() : -1;
}

TEST_P(HostilePrint, NothingReachesThePrinterUntilTheJobIsWhole) {
    const PrintCase& row = GetParam();
    FillManyCleanups(HostConfig::Instance().databaseName, row.cancel ? 120000 : 300);
    screen->depDtIni->SetText("10/03/2025");
    screen->depDtFim->SetText("10/03/2025");
    int asked = 0;
    Application->SetModalHook([&](QDialog& dialog) {
        auto* print = qobject_cast<QPrintDialog*>(&dialog);
        if (!print) return int(QDialog::Rejected);
        ++asked;
        print->printer()->setPrinterName(row.printer);
        print->printer()->setCopyCount(2);
        if (!row.cancel) {  // a whole job of pages 2 and 3; a cancel, of all of them
            print->printer()->setPrintRange(QPrinter::PageRange);
            print->printer()->setFromTo(2, 3);
        }
        return int(QDialog::Accepted);
    });
    bool cancelled = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* progress = qobject_cast<ReportProgressDialog*>(widget);
            if (!row.cancel || cancelled || !progress || !progress->isVisible()) continue;
            bool printing = false;
            for (const QLabel* label : progress->findChildren<QLabel*>())
                printing = printing || label->text().startsWith("Imprimindo");
            if (!printing) continue;
            QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
            cancelled = true;
        }
    });
    watch.start(20);
    QTest::keyClick(screen->depDtFim, Qt::Key_P, Qt::ControlModifier);
    watch.stop();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(cancelled, row.cancel) << "the cancel came before the job was whole";
    EXPECT_EQ(messages, QString(row.sees).isEmpty() ? QStringList() : QStringList{Text(row.sees)})
        << messages.join('\n').toStdString();
    ASSERT_TRUE(cups_.WaitUntilIdle());
    EXPECT_EQ(cups_.Jobs(), row.jobs) << "jobs the server heard of";
    const QStringList outputs = cups_.Outputs();
    ASSERT_EQ(outputs.size(), row.jobs);
    if (row.jobs == 1) {
        const QString pdf = cups_.OutputDir() + "/" + outputs[0];
        EXPECT_EQ(PdfPages(pdf), 2) << "pages 2 and 3, whole";
        EXPECT_TRUE(ReadFile(pdf).trimmed().endsWith("%%EOF"));
        EXPECT_TRUE(ReadFile(QString(pdf).replace(".pdf", ".options")).startsWith("copies=2\n"));
    }
    EXPECT_TRUE(Spools().isEmpty()) << Spools().join(' ').toStdString();
}

// printer | cancel | jobs on the server | what the user sees
INSTANTIATE_TEST_SUITE_P(
    Table, HostilePrint,
    ::testing::Values(
        PrintCase{"WholeJob", CupsServer::kPrinter, false, 1, ""},
        PrintCase{"CancelledWhilePrinting", CupsServer::kPrinter, true, 0, ""},
        PrintCase{"PrinterRefuses", CupsServer::kRefusing, false, 0,
                  "A impressora rcl-recusa não aceitou o relatório; nada foi impresso "
                  "(Destination \"rcl-recusa\" is not accepting jobs.)."}),
    [](const ::testing::TestParamInfo<PrintCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// A cell's value as the report receives it from the database and prints it
// (before fitting it to its column): bounded, and never a time it does not
// hold.

struct CellValue {
    const char* name;
    const char* sql;     // one value, A
    const char* format;  // the column's format
    QString prints;
};

class HostileCellValue : public ::testing::TestWithParam<CellValue> {};

QString Repeated(const char* utf8, int times) { return Text(utf8).repeated(times); }

TEST_P(HostileCellValue, IsPrintedBoundedAndAsStored) {
    QTemporaryDir dir;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "cells");
        db.setDatabaseName(dir.filePath("cells.db"));
        ASSERT_TRUE(db.open());
        const ReportData data = RunReportQuery(db, GetParam().sql, TParams());
        ASSERT_EQ(data.RowCount(), 1);
        EXPECT_LE(data.Cell(0, 0).size, kMaxCellBytes + 3);
        EXPECT_EQ(PageText(FormatReportCell(data.Cell(0, 0), ReportFormatOf(GetParam().format))),
                  GetParam().prints);
    }
    QSqlDatabase::removeDatabase("cells");
}

// value | the column's format | what the cell prints
INSTANTIATE_TEST_SUITE_P(
    Table, HostileCellValue,
    ::testing::Values(
        CellValue{"TenMegabytes", "SELECT printf('%.*c', 10000000, 'x') AS A", "",
                  Repeated("x", 500) + Text("…")},
        CellValue{"MultibyteCutWhole", "SELECT replace(printf('%.*c', 1000000, 'x'), 'x', 'ç') AS A", "",
                  Repeated("ç", 500) + Text("…")},
        CellValue{"ZeroBlob", "SELECT CAST(replace(printf('%.*c', 3000000, 'x'), 'x', char(0)) AS BLOB) AS A",
                  "", QString(500, QChar(0)) + Text("…")},
        CellValue{"JustTheBound", "SELECT printf('%.*c', 500, 'y') AS A", "", Repeated("y", 500)},
        CellValue{"NoTimeOfDay", "SELECT '2025-03-10 99:99:00' AS A", "datetime", "2025-03-10 99:99:00"},
        CellValue{"HourTwentyFour", "SELECT '2025-03-10 24:00' AS A", "datetime", "2025-03-10 24:00"},
        CellValue{"BadSeconds", "SELECT '2025-03-10 10:00:61' AS A", "date", "2025-03-10 10:00:61"},
        CellValue{"GoodTime", "SELECT '2025-03-10 23:59:59' AS A", "datetime", "10/03/2025 23:59"}),
    [](const ::testing::TestParamInfo<CellValue>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Help pages: what a page may fetch, and topics that are no page.

// A PNG of 2 x 2 pixels.
QByteArray TinyPng() {
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class HostileHelp : public ::testing::Test {
protected:
    void SetUp() override {
        QDir root(dir_.path());
        ASSERT_TRUE(root.mkpath("ajuda/cmphelp/img") && root.mkpath("ajuda/cmphelp/pasta.html"));
        WriteFile(root.filePath("ajuda/cmphelp/img/dentro.png"), TinyPng());
        WriteFile(root.filePath("fora.png"), TinyPng());
        ASSERT_EQ(::mkfifo(QFile::encodeName(root.filePath("ajuda/cmphelp/fifo.png")).constData(), 0600), 0);
        ASSERT_EQ(::mkfifo(QFile::encodeName(root.filePath("ajuda/cmphelp/fifo.html")).constData(), 0600), 0);
        ASSERT_TRUE(QFile::link("/dev/zero", root.filePath("ajuda/cmphelp/zero.png")));
        ASSERT_TRUE(QFile::link("/dev/zero", root.filePath("ajuda/cmphelp/zero.html")));
        ASSERT_TRUE(QFile::link(root.filePath("fora.png"), root.filePath("ajuda/cmphelp/img/link.png")));
    }
    QString Help() const { return dir_.filePath("ajuda"); }
    QTemporaryDir dir_;
};

struct HelpResource {
    const char* name;
    QString src;  // %1: the test's folder, beside the help folder
    bool loaded;
};

class HostileHelpResource : public HostileHelp, public ::testing::WithParamInterface<HelpResource> {};

TEST_P(HostileHelpResource, ComesOnlyFromARegularFileInsideTheHelpFolder) {
    const QString src = QString(GetParam().src).replace("%1", dir_.path());
    HelpWindow window;
    window.ShowPage({Help() + "/cmphelp/1.html",
                     QString("<html><head><title>T</title><link rel=stylesheet href=\"%1\"></head>"
                             "<body><p>texto</p><img src=\"%1\"></body></html>")
                         .arg(src)},
                    Help());
    QTextDocument* page = window.findChild<QTextBrowser*>()->document();
    const QVariant image = page->resource(QTextDocument::ImageResource, QUrl(src));
    const QImage shown = image.typeId() == QMetaType::QPixmap  ? image.value<QPixmap>().toImage()
                         : image.typeId() == QMetaType::QImage ? image.value<QImage>()
                                                               : QImage::fromData(image.toByteArray());
    EXPECT_EQ(shown.size() == QSize(2, 2), GetParam().loaded);
    EXPECT_EQ(window.PageText().trimmed().startsWith("texto"), true);
}

// src | loaded
INSTANTIATE_TEST_SUITE_P(
    Table, HostileHelpResource,
    ::testing::Values(HelpResource{"Inside", "img/dentro.png", true},
                      HelpResource{"InsideByAbsolutePath", "%1/ajuda/cmphelp/img/dentro.png", true},
                      HelpResource{"InsideAsFileUrl", "file://%1/ajuda/cmphelp/img/dentro.png", true},
                      HelpResource{"SmallDataAddress",
                                   "data:image/png;base64," + QString::fromLatin1(TinyPng().toBase64()), true},
                      HelpResource{"DevZero", "/dev/zero", false},
                      HelpResource{"LinkToDevZero", "zero.png", false},
                      HelpResource{"Fifo", "fifo.png", false},
                      HelpResource{"FifoByAbsolutePath", "%1/ajuda/cmphelp/fifo.png", false},
                      HelpResource{"LinkToDevZeroByAbsolutePath", "%1/ajuda/cmphelp/zero.png", false},
                      HelpResource{"DotDotOut", "../../fora.png", false},
                      HelpResource{"LinkOut", "img/link.png", false},
                      HelpResource{"AbsoluteOutside", "%1/fora.png", false},
                      HelpResource{"Network", "http://127.0.0.1:9/x.png", false}),
    [](const ::testing::TestParamInfo<HelpResource>& info) { return std::string(info.param.name); });

struct HelpTopic {
    int context;  // the page <context>.html, here a name of what it is
    const char* file;
    const char* sees;
};

class HostileHelpTopic : public HostileHelp, public ::testing::WithParamInterface<HelpTopic> {};

TEST_P(HostileHelpTopic, IsNamedForWhatItIs) {
    const QString page = Help() + "/cmphelp/" + GetParam().file;
    ASSERT_TRUE(QDir().rename(page, Help() + QString("/cmphelp/%1.html").arg(GetParam().context)));
    try {
        ReadHelpTopic(Help(), "Cmphelp.hlp", GetParam().context);
        ADD_FAILURE() << "a page was read";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), Text("A página de ajuda \"%1/cmphelp/%2.html\" não pôde ser lida: %3.")
                                   .arg(Help())
                                   .arg(GetParam().context)
                                   .arg(Text(GetParam().sees)));
    }
}

// what the topic is | what the user sees
INSTANTIATE_TEST_SUITE_P(
    Table, HostileHelpTopic,
    ::testing::Values(HelpTopic{1, "fifo.html", "é um FIFO (pipe), não um arquivo comum"},
                      HelpTopic{2, "zero.html", "é um dispositivo, não um arquivo comum"},
                      HelpTopic{3, "pasta.html", "é uma pasta"}),
    [](const ::testing::TestParamInfo<HelpTopic>& info) { return std::to_string(info.param.context); });
// ---------------------------------------------------------------------------
// Exporting the rows as a spreadsheet or CSV.

struct ExportScript {
    const char* name;
    bool previewFirst;   // the detailed report of 10/03/2025
    const char* script;
    int exitCode;
    const char* error;   // the error event's text; "" for none
    QStringList files;   // what the output folder holds besides the PDFs
};

void PrintTo(const ExportScript& row, std::ostream* os) { *os << row.name; }

class HostileExportScript : public ::testing::TestWithParam<ExportScript> {};

TEST_P(HostileExportScript, IsRefusedOrWrittenBesideWhatWasThere) {
    const ExportScript& row = GetParam();
    HostWorkspace workspace;
    const HostRun run =
        workspace.Run("open\n" + (row.previewFirst ? kCorrectPeriod : QString()) + QString::fromUtf8(row.script));
    EXPECT_EQ(run.exitCode, row.exitCode) << run.errors.toStdString();
    const QList<QJsonObject> errors = run.Events("error");
    EXPECT_EQ(errors.isEmpty() ? QString() : errors[0]["text"].toString(), Text(row.error));
    QStringList files = QDir(workspace.Output()).entryList({"*.xlsx", "*.csv", ".*"}, QDir::Files | QDir::Hidden);
    EXPECT_EQ(files, row.files);
    QStringList reported;
    for (const QJsonObject& report : run.Events("report")) {
        if (report["action"].toString() != "xlsx") continue;
        reported << QFileInfo(report["file"].toString()).fileName();
        EXPECT_EQ(report["sheets"].toInt(), 1);
        EXPECT_EQ(report["rows"].toInt(), run.Events("report")[0]["rows"].toInt()) << "the preview's rows";
    }
    reported.sort(Qt::CaseInsensitive);
    EXPECT_EQ(reported, row.files);
}

// after opening | exit | error | the files
INSTANTIATE_TEST_SUITE_P(
    Table, HostileExportScript,
    ::testing::Values(
        ExportScript{"BeforeAnyPreview", false, "export xlsx\n", 2,
                     "nenhum relatório visualizado nesta tela para exportar", {}},
        ExportScript{"UnknownFormat", true, "export pdf\n", 2, "export espera xlsx ou csv", {}},
        ExportScript{"NameThatExists", true, "export xlsx\nexport xlsx\n", 0, "",
                     {"Limpeza de Dados - Detalhado 2025-03-10 a 2025-03-10 (2).xlsx",
                      "Limpeza de Dados - Detalhado 2025-03-10 a 2025-03-10.xlsx"}}),
    [](const ::testing::TestParamInfo<ExportScript>& info) { return std::string(info.param.name); });

// In this process: cells the rows may hold, as each file keeps them.
struct HostileCell {
    const char* name;
    QString text;       // the table's name in the row
    QString xlsx;       // the cell openpyxl reads
    QByteArray csv;     // the field in the CSV
    const char* cut;    // the Parâmetros sheet's count of texts cut
};

void PrintTo(const HostileCell& row, std::ostream* os) { *os << row.name; }

class ExportInProcess : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = HostConfig::Instance();
        ShowProgressDialogs(false);
        HostConfig::Instance().outputDir = dir_.path();
        Application->SetMessageHook([this](TMsgDlgType, const QString& text) { messages_ << text; });
    }
    void TearDown() override {
        Application->SetMessageHook(nullptr);
        ShowProgressDialogs(true);
        HostConfig::Instance() = saved_;
    }
    HostConfig saved_;
    QTemporaryDir dir_;
    QStringList messages_;
};

class HostileExportCell : public ExportInProcess, public ::testing::WithParamInterface<HostileCell> {};

TEST_P(HostileExportCell, StaysTextAndWhole) {
    const HostileCell& row = GetParam();
    const ReportDefinition report = ExportedReport();
    const ReportData data = ExportedRows({{"2025-03-10 08:00:00", row.text, "5", "ANA"}});
    const TParams params;
    const auto xlsx = ReportExport::WriteToOutputFolder({report, data, params}, ReportExport::Format::Xlsx);
    const QJsonObject book = ReadXlsx(xlsx.file);
    EXPECT_EQ(CellsOf(Sheet(book, "Dados"), 1).value(1), row.xlsx);
    EXPECT_EQ(About(book, "Textos cortados em 32.767 caracteres"), Text(row.cut));
    EXPECT_EQ(xlsx.result.cutCells, *row.cut == 'n' ? 1 : 0);
    EXPECT_EQ(messages_.size(), *row.cut == 'n' ? 1 : 0) << "a cut is said";
    const auto csv = ReportExport::WriteToOutputFolder({report, data, params}, ReportExport::Format::Csv);
    EXPECT_EQ(ReadFile(csv.file).split('\n').value(1), "10/03/2025 08:00;" + row.csv + ";5;ANA\r");
}

// the text | the XLSX cell | the CSV field | texts cut
INSTANTIATE_TEST_SUITE_P(
    Table, HostileExportCell,
    ::testing::Values(
        HostileCell{"FormulaEquals", "=HYPERLINK(\"http://x\")", "s:=HYPERLINK(\"http://x\")",
                    "\"'=HYPERLINK(\"\"http://x\"\")\"", "<none>"},
        HostileCell{"FormulaPlus", "+55 11 9999", "s:+55 11 9999", "\"'+55 11 9999\"", "<none>"},
        HostileCell{"FormulaMinus", "-2+3", "s:-2+3", "\"'-2+3\"", "<none>"},
        HostileCell{"FormulaAt", "@SOMA(A1)", "s:@SOMA(A1)", "\"'@SOMA(A1)\"", "<none>"},
        HostileCell{"HugeCell", QString(40000, 'x'), "s:" + QString(32766, 'x') + QChar(0x2026),
                    QByteArray(40000, 'x'), "n:1"},
        HostileCell{"ControlCharacter", "a\x01" "b", "s:a" + QString(QChar::ReplacementCharacter) + "b", "a\x01" "b",
                    "<none>"}),
    [](const ::testing::TestParamInfo<HostileCell>& info) { return std::string(info.param.name); });

// Dates in a date column that are no spreadsheet date stay the text they came as.
class HostileExportDate : public ExportInProcess, public ::testing::WithParamInterface<std::pair<QString, QString>> {};

TEST_P(HostileExportDate, IsADateCellOnlyWhenItIsOne) {
    const ReportDefinition report = ExportedReport();
    const ReportData data = ExportedRows({{GetParam().first, "t", "5", "ANA"}});
    const auto xlsx = ReportExport::WriteToOutputFolder({report, data, TParams()}, ReportExport::Format::Xlsx);
    EXPECT_EQ(CellsOf(Sheet(ReadXlsx(xlsx.file), "Dados"), 1).value(0), GetParam().second);
}

// the date's text | the cell
INSTANTIATE_TEST_SUITE_P(
    Table, HostileExportDate,
    ::testing::Values(std::pair<QString, QString>{"1899-12-31 10:00:00", "s:1899-12-31 10:00:00"},
                      std::pair<QString, QString>{"2025-02-30 10:00:00", "s:2025-02-30 10:00:00"},
                      std::pair<QString, QString>{"2025-03-10 25:00:00", "s:2025-03-10 25:00:00"},
                      std::pair<QString, QString>{"9999-12-31 23:59:59", "d:9999-12-31 23:59:59|dd/mm/yyyy hh:mm"}));

TEST(HostileExportName, TitleThatIsNoFileNameGivesOneThatIs) {
    ReportDefinition report = ExportedReport();
    report.title = "../Limpeza: a/b*c?";
    EXPECT_EQ(ReportExport::DefaultFileName(report, TParams(), ReportExport::Format::Csv), "-Limpeza- a-b-c-.csv");
    report.title = QString(300, u'é');
    EXPECT_EQ(ReportExport::DefaultFileName(report, TParams(), ReportExport::Format::Xlsx, 2),
              QString(120, u'é') + " (2).xlsx");
}

struct FailingExport {
    const char* name;
    ReportExport::Format format;
    bool readOnly;
    const char* sees;  // %1 is the folder
};

void PrintTo(const FailingExport& row, std::ostream* os) { *os << row.name; }

class HostileExportDisk : public ExportInProcess, public ::testing::WithParamInterface<FailingExport> {};

TEST_P(HostileExportDisk, SaysWhereAndWhyAndKeepsWhatWasThere) {
    const FailingExport& row = GetParam();
    SmallFileSystem disk(256);
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why().toStdString();
    HostConfig::Instance().outputDir = disk.Path();
    WriteFile(disk.Path() + "/anterior.xlsx", "antigo");
    QList<QStringList> rows(2000, QStringList{"2025-03-10 08:00:00", "tabela de clientes", "5", "ANA"});
    const ReportData data = ExportedRows(rows);
    if (row.readOnly)
        ASSERT_TRUE(disk.MakeReadOnly());
    else
        disk.Fill();
    const auto before = Contents(disk.Path());
    const ReportDefinition report = ExportedReport();
    try {
        ReportExport::WriteToOutputFolder({report, data, TParams()}, row.format);
        ADD_FAILURE() << "no failure reported";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), Text(row.sees).arg(disk.Path()));
    }
    EXPECT_EQ(Contents(disk.Path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostileExportDisk,
    ::testing::Values(
        FailingExport{"XlsxFull", ReportExport::Format::Xlsx, false,
                      "Não foi possível gravar %1: o disco está cheio."},
        FailingExport{"CsvFull", ReportExport::Format::Csv, false, "Não foi possível gravar %1: o disco está cheio."},
        FailingExport{"XlsxReadOnly", ReportExport::Format::Xlsx, true,
                      "Não foi possível gravar %1: o sistema de arquivos é somente leitura."}),
    [](const ::testing::TestParamInfo<FailingExport>& info) { return std::string(info.param.name); });
// ---------------------------------------------------------------------------
// The period presets: the name a script gives, the day --today fixes, the
// configured week start. These rows end the run on purpose: a script error
// (status 2) or a host that refuses to start (status 1), with the cause.

struct PeriodInput {
    const char* name;
    QStringList arguments;
    const char* config;  // the configuration file; empty: none
    QString script;
    int status;
    QString sees;  // in the error event (status 2) or on standard error (status 1)
};

void PrintTo(const PeriodInput& p, std::ostream* os) { *os << p.name; }

class HostilePeriod : public ::testing::TestWithParam<PeriodInput> {
protected:
    static HostWorkspace& Workspace() {
        static HostWorkspace workspace;
        return workspace;
    }
};

TEST_P(HostilePeriod, EndsTheRunNamingTheCause) {
    const PeriodInput& p = GetParam();
    QFile::remove(Workspace().ConfigFile());
    if (*p.config) {
        QDir().mkpath(QFileInfo(Workspace().ConfigFile()).absolutePath());
        WriteFile(Workspace().ConfigFile(), p.config);
    }
    const HostRun run = Workspace().Run(p.script, p.arguments);
    EXPECT_EQ(run.exitCode, p.status) << run.errors.toStdString();
    if (p.status == 2) {
        EXPECT_EQ(run.Only("error")["text"].toString(), p.sees);
        EXPECT_TRUE(run.Events("report").isEmpty());
    } else {
        EXPECT_TRUE(run.errors.contains(p.sees)) << run.errors.toStdString();
        EXPECT_TRUE(run.events.isEmpty()) << "nothing opened";
    }
}

const QString kLongName(10000, u'x');

// input | arguments | configuration | script | status | what the user sees
INSTANTIATE_TEST_SUITE_P(
    Table, HostilePeriod,
    ::testing::Values(
        PeriodInput{"UnknownName", {}, "", "open\nperiod mes-que-vem\n", 2, Text("período desconhecido: mes-que-vem")},
        PeriodInput{"NoName", {}, "", "open\nperiod\n", 2, Text("falta o nome do período")},
        PeriodInput{"ExtraWords", {}, "", "open\nperiod mes-passado agora\n", 2,
                    Text("período desconhecido: mes-passado agora")},
        PeriodInput{"NameOf10000Characters", {}, "", "open\nperiod " + kLongName + "\n", 2,
                    Text("período desconhecido: ") + kLongName.left(40)},
        PeriodInput{"NoScreenOpen", {}, "", "period hoje\n", 2, Text("nenhuma tela aberta")},
        PeriodInput{"PastTheLastYear", {"--today", "9999-12-31"}, "", "open\nperiod esta-semana\n", 2,
                    Text("o período esta-semana sai dos anos 1 a 9999")},
        PeriodInput{"BeforeTheFirstYear", {"--today", "0001-01-01"}, "", "open\nperiod ontem\n", 2,
                    Text("o período ontem sai dos anos 1 a 9999")},
        PeriodInput{"TodayNoSuchDay", {"--today", "2024-02-30"}, "", "open\n", 1,
                    Text("A data de --today deve ser um dia que existe, escrito AAAA-MM-DD: 2024-02-30")},
        PeriodInput{"TodayTypedAsOnScreen", {"--today", "01/03/2024"}, "", "open\n", 1,
                    Text("A data de --today deve ser um dia que existe, escrito AAAA-MM-DD: 01/03/2024")},
        PeriodInput{"TodayEmpty", {"--today", ""}, "", "open\n", 1,
                    Text("A data de --today deve ser um dia que existe, escrito AAAA-MM-DD: ")},
        PeriodInput{"TodayYearZero", {"--today", "0000-01-01"}, "", "open\n", 1,
                    Text("A data de --today deve ser um dia que existe, escrito AAAA-MM-DD: 0000-01-01")},
        PeriodInput{"TodayWithoutValue", {"--today"}, "", "open\n", 1, Text("Falta o valor da opção --today")},
        PeriodInput{"WeekStartsOnSaturday", {}, "[dates]\nfirst_day_of_week = sabado\n", "open\n", 1,
                    Text("valor inválido em [dates] first_day_of_week: 'sabado' (esperado domingo ou "
                         "segunda)")},
        PeriodInput{"WeekStartAsANumber", {}, "[dates]\nfirst_day_of_week = 1\n", "open\n", 1,
                    Text("inválido em [dates] first_day_of_week: '1'")}));
// ---------------------------------------------------------------------------
// The preview's window at sizes no page fits, or that a page would fill only
// at hundreds of megabytes: the page is painted within the zoom's bounds
// (10% to 400%), whole.
struct PreviewWindow {
    const char* name;
    QSize size;
    PreviewPages::Zoom zoom;
};

void PrintTo(const PreviewWindow& window, std::ostream* out) { *out << window.name; }

class HostilePreviewWindow : public ::testing::TestWithParam<PreviewWindow> {};

TEST_P(HostilePreviewWindow, PaintsThePageWithinTheZoomsBounds) {
    int largestDpi = 0;
    int smallestDpi = 1 << 30;
    PreviewPages pages(QSizeF(210, 297), [&](int /*page*/, int dpi) {
        largestDpi = std::max(largestDpi, dpi);
        smallestDpi = std::min(smallestDpi, dpi);
        QImage image(qRound(210 * dpi / 25.4), qRound(297 * dpi / 25.4), QImage::Format_RGB32);
        image.fill(Qt::white);
        return image;
    });
    pages.SetPageCount(2, true);
    pages.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pages));
    pages.SetZoom(GetParam().zoom);
    pages.resize(GetParam().size);
    pages.viewport()->repaint();
    QApplication::processEvents();
    const double dpi = pages.logicalDpiX() * pages.devicePixelRatioF();
    EXPECT_LE(largestDpi, qRound(dpi * 4.0)) << "a page painted beyond 400%";
    EXPECT_GE(smallestDpi, qRound(dpi * 0.1)) << "a page painted below 10%";
    EXPECT_GE(pages.Scale(), 0.099);
    EXPECT_LE(pages.Scale(), 4.001);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostilePreviewWindow,
    ::testing::Values(PreviewWindow{"Sliver", QSize(30, 20), PreviewPages::Zoom::FitWidth},
                      PreviewWindow{"SliverWholePage", QSize(30, 20), PreviewPages::Zoom::WholePage},
                      PreviewWindow{"AcrossScreensFitWidth", QSize(7680, 400), PreviewPages::Zoom::FitWidth}),
    [](const ::testing::TestParamInfo<PreviewWindow>& info) { return std::string(info.param.name); });
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

// ---------------------------------------------------------------------------
// The values a screen remembers ([screens] remember = true): a state file
// that cannot be used is said, naming the cause, and the screen opens with
// its defaults and works; scripted runs neither read nor write it.

struct BrokenState {
    const char* name;
    std::function<void(const QString& file)> make;
    QString cause;         // after "...não foram restaurados: "; %1 is the file
    const char* today;     // AAAA-MM-DD; empty: the clock's
    bool removedOnClosing;  // closing with the defaults takes it away
};

void PrintTo(const BrokenState& row, std::ostream* os) { *os << row.name; }

class HostileRememberedValues : public ::testing::TestWithParam<BrokenState> {
protected:
    void SetUp() override {
        saved_ = HostConfig::Instance();
        ConfigureInProcess(dir_);
        HostConfig& config = HostConfig::Instance();
        config.rememberScreens = true;
        config.screenStateDir = dir_.filePath("telas");
        ASSERT_TRUE(CreateSqliteDatabase(config.databaseName, REPORTS_DIR, false));
        Application->SetMessageHook([this](TMsgDlgType, const QString& text) { messages << text; });
        spy_.reportDone = [this](const QString& action, const QString&, int, const QString&) {
            reports << action;
        };
    }
    void TearDown() override {
        if (boStCriado) frmLimpDados->Close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Application->SetMessageHook(nullptr);
        folder_.reset();
        HostConfig::Instance() = saved_;
        SetToday(0);
    }
    QString StateFile() const { return dir_.filePath("telas/RCL04700.json"); }
    // As the host opens it, active.
    void Open() {
        IniProc();
        ASSERT_TRUE(boStCriado);
        QApplication::setActiveWindow(frmLimpDados);
        ASSERT_TRUE(QTest::qWaitForWindowActive(frmLimpDados));
    }

    QTemporaryDir dir_;
    HostConfig saved_;
    ReportSpy spy_;
    std::optional<ReportsIntoFolder> folder_;  // reports into files, once the screen is open
    QStringList messages;
    QStringList reports;
};

TEST_P(HostileRememberedValues, IsSaidAndTheScreenOpensWithItsDefaults) {
    const BrokenState& row = GetParam();
    if (*row.today) SetToday(FromQDate(QDate::fromString(row.today, Qt::ISODate)));
    QDir().mkpath(dir_.filePath("telas"));
    row.make(StateFile());
    Open();
    TfrmLimpDados& s = *frmLimpDados;
    EXPECT_EQ(messages, QStringList{Text("Os valores da última vez não foram restaurados: ") +
                                    QString(row.cause).replace("%1", StateFile()) +
                                    Text(". A tela abre com os valores padrão.")});
    EXPECT_EQ(s.depDtIni->Text(), "");
    EXPECT_EQ(s.depDtFim->Text(), "");
    EXPECT_TRUE(s.rbtTodosSist->Checked());
    EXPECT_EQ(s.stListaSist, "");
    EXPECT_EQ(s.cbbReportNames->ItemIndex(), 0);
    EXPECT_FALSE(s.ValuesRestored());
    // The screen works: a period and a report.
    folder_.emplace(HostConfig::Instance().outputDir);
    s.depDtIni->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(s.depDtIni, "01032025");
    s.depDtFim->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(s.depDtFim, "31032025");
    QTest::keyClick(s.depDtFim, Qt::Key_F2, Qt::ControlModifier);
    EXPECT_EQ(reports, QStringList{"preview"}) << messages.join(" | ").toStdString();
    s.depDtIni->SetDate(0);
    s.depDtFim->SetDate(0);
    s.Close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(boStCriado);
    const QFileInfo left(StateFile());
    EXPECT_EQ(!left.exists() && !left.isSymLink(), row.removedOnClosing);
}

// A state file of `bytes`.
std::function<void(const QString&)> Holding(const QByteArray& bytes) {
    return [bytes](const QString& f) { WriteFile(f, bytes); };
}

// name | how the file is made | the cause said | today | removed on closing
INSTANTIATE_TEST_SUITE_P(
    Table, HostileRememberedValues,
    ::testing::Values(
        BrokenState{"Garbage", Holding("não é um estado\n"), Text("o arquivo %1 não é um objeto JSON válido"), "", true},
        BrokenState{"AnArray", Holding("[1, 2]"), Text("o arquivo %1 não é um objeto JSON válido"), "", true},
        BrokenState{"LinkToDevZero", [](const QString& f) { QFile::link("/dev/zero", f); },
                    Text("o arquivo %1 não pôde ser lido (é um dispositivo, não um arquivo comum)"), "", true},
        BrokenState{"Fifo", [](const QString& f) { mkfifo(QFile::encodeName(f).constData(), 0600); },
                    Text("o arquivo %1 não pôde ser lido (é um FIFO (pipe), não um arquivo comum)"), "", true},
        BrokenState{"Folder", [](const QString& f) { QDir().mkpath(f); },
                    Text("o arquivo %1 não pôde ser lido (é uma pasta)"), "", false},
        BrokenState{"OverTheLimit", Holding(QByteArray(70000, ' ')),
                    Text("o arquivo %1 não pôde ser lido (tem 70.000 bytes e passa do limite de 65.536 bytes)"),
                    "", true},
        BrokenState{"HugeList", Holding(R"({"opcao": "rbtListaSist", "lista": ")" + QByteArray(20000, 'x') + "\"}"),
                    Text("a lista tem 20.000 caracteres, mais que o limite de 16.384"), "", true},
        BrokenState{"ReportNoLongerThere", Holding(R"({"relatorio": "RCL047_apagado.rpt"})"),
                    Text("o relatório do arquivo RCL047_apagado.rpt não existe mais"), "", true},
        BrokenState{"ReportOutsideTheFolders", Holding(R"({"relatorio": "../../RCL047_detalhado.rpt"})"),
                    Text("o relatório ../../RCL047_detalhado.rpt não é o nome de um arquivo"), "", true},
        BrokenState{"YearPast9999", Holding(R"({"inicio": "10000-01-01", "fim": "10000-01-31"})"),
                    Text("a data \"inicio\" (10000-01-01) não é um dia dos anos 1 a 9999 escrito AAAA-MM-DD"), "",
                    true},
        BrokenState{"NoSuchDay", Holding(R"({"inicio": "2025-02-01", "fim": "2025-02-30"})"),
                    Text("a data \"fim\" (2025-02-30) não é um dia dos anos 1 a 9999 escrito AAAA-MM-DD"), "",
                    true},
        BrokenState{"DateWithATime", Holding(R"({"inicio": "2025-02-01T08:00", "fim": "2025-02-28"})"),
                    Text("a data \"inicio\" (2025-02-01T08:00) não é um dia dos anos 1 a 9999 escrito AAAA-MM-DD"),
                    "", true},
        BrokenState{"OneDateOnly", Holding(R"({"inicio": "2025-02-01"})"), Text("o período tem só uma das datas"),
                    "", true},
        BrokenState{"EndBeforeStart", Holding(R"({"inicio": "2025-02-01", "fim": "2025-01-31"})"),
                    Text("o período termina antes de começar"), "", true},
        BrokenState{"UnknownPreset", Holding(R"({"periodo": "mes-que-vem"})"),
                    Text("o período mes-que-vem não existe"), "", true},
        BrokenState{"PresetPastTheLastYear", Holding(R"({"periodo": "esta-semana"})"),
                    Text("o período esta-semana sai dos anos 1 a 9999"), "9999-12-31", true},
        BrokenState{"UnknownOption", Holding(R"({"opcao": "rbtNenhumSist"})"),
                    Text("a opção rbtNenhumSist não existe nesta tela"), "", true},
        BrokenState{"ListAsANumber", Holding(R"({"opcao": "rbtListaSist", "lista": 5})"),
                    Text("o valor de \"lista\" não é um texto"), "", true}),
    [](const ::testing::TestParamInfo<BrokenState>& info) { return std::string(info.param.name); });

// Values that cannot be written never keep the screen open.
TEST_F(HostileRememberedValues, ThatCannotBeWrittenAreSaidAndTheScreenCloses) {
    WriteFile(dir_.filePath("telas"), "um arquivo onde ficaria a pasta\n");
    Open();
    QTest::mouseClick(frmLimpDados->rbtListaSist, Qt::LeftButton);
    frmLimpDados->Close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(boStCriado);
    EXPECT_EQ(messages, QStringList{Text("Os valores desta tela não foram guardados para a próxima vez. Não foi "
                                         "possível criar a pasta ") +
                                    dir_.filePath("telas") + "."});
    EXPECT_EQ(ReadFile(dir_.filePath("telas")), "um arquivo onde ficaria a pasta\n");
}

// Scripts see the screen's documented defaults whatever a person left.
TEST(HostileRememberedValuesScripted, AreNeitherAppliedNorWritten) {
    HostWorkspace workspace;
    QDir().mkpath(QFileInfo(workspace.ConfigFile()).absolutePath());
    WriteFile(workspace.ConfigFile(), "[screens]\nremember = true\n");
    const QString file = workspace.StateHome() + "/rclhost/telas/RCL04700.json";
    QDir().mkpath(QFileInfo(file).absolutePath());
    const QByteArray state = R"({"periodo": "ontem", "opcao": "rbtListaSist", "lista": "[\"Estoque\"]"})";
    WriteFile(file, state);
    const HostRun run = workspace.Run("open\nstate\ntype depDtIni 01032025\nclose\n");
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QJsonObject shown = run.Only("state");
    EXPECT_EQ(Control(shown, "depDtIni")["text"].toString(), "");
    EXPECT_TRUE(Control(shown, "rbtTodosSist")["checked"].toBool());
    EXPECT_EQ(shown["restored"], QJsonValue(false));
    EXPECT_EQ(ReadFile(file), state);
    EXPECT_EQ(QDir(QFileInfo(file).absolutePath()).entryList(QDir::Files | QDir::Hidden), QStringList{"RCL04700.json"});
}

struct RememberKey {
    const char* name;
    const char* value;
};

void PrintTo(const RememberKey& row, std::ostream* os) { *os << row.name; }

class HostileRememberKey : public ::testing::TestWithParam<RememberKey> {};

TEST_P(HostileRememberKey, StopsTheHostNamingTheLine) {
    HostWorkspace workspace;
    QDir().mkpath(QFileInfo(workspace.ConfigFile()).absolutePath());
    WriteFile(workspace.ConfigFile(), QByteArray("[screens]\nremember = ") + GetParam().value + "\n");
    const HostRun run = workspace.Run("open\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(Text("linha 2: valor inválido em [screens] remember: '") +
                                    Text(GetParam().value) + Text("' (esperado true ou false)")))
        << run.errors.toStdString();
    EXPECT_TRUE(run.events.isEmpty()) << "nothing opened";
}

INSTANTIATE_TEST_SUITE_P(Table, HostileRememberKey,
                         ::testing::Values(RememberKey{"Portuguese", "sim"}, RememberKey{"Number", "1"},
                                           RememberKey{"Empty", ""}),
                         [](const ::testing::TestParamInfo<RememberKey>& info) {
                             return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------
// A library the host opens only when it needs it, missing or broken on the
// user's machine: the action says which and why, and the rest works.

// A run that finds the libraries of `libraries` first.
HostRun RunWithLibraries(const HostWorkspace& workspace, const QString& script, const QTemporaryDir& libraries) {
    const std::unique_ptr<QProcess> host = workspace.Start(script, {}, [&](QProcess& process) {
        QProcessEnvironment environment = process.processEnvironment();
        environment.insert("LD_LIBRARY_PATH", libraries.path());
        process.setProcessEnvironment(environment);
    });
    return HostWorkspace::Finish(*host);
}

TEST(HostileMissingLibrary, SpreadsheetLibraryNotInstalledIsSaidAndCsvStillWorks) {
    HostWorkspace workspace;
    QTemporaryDir libraries;
    WriteFile(libraries.filePath("libxlsxwriter.so.4"), "não é uma biblioteca\n");
    const HostRun run = RunWithLibraries(workspace, "open\n" + kCorrectPeriod + "export xlsx\nexport csv\n", libraries);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(run.Only("message")["text"].toString(),
              Text("Não foi possível gravar %1: a biblioteca de planilhas (libxlsxwriter.so.4) não está instalada.")
                  .arg(QDir::toNativeSeparators(workspace.Output())));
    EXPECT_EQ(QDir(workspace.Output()).entryList({"*.xlsx", "*.csv", ".*"}, QDir::Files | QDir::Hidden),
              QStringList{"Limpeza de Dados - Detalhado 2025-03-10 a 2025-03-10.csv"});
}

// A database kind's own query text: SQLite runs SQLSQLite.Strings where a
// definition gives one, and one of two statements is named with its property
// and left out of the list, as SQL.Strings is.
TEST_F(HostileReports, SqliteOwnQueryTextRunsAndIsCheckedAsSqlIs) {
    const auto withOwnText = [](const char* title, const char* own) {
        return QByteArray("object Report: TReportDefinition\n  Code = 'RCL047'\n  Title = '") + title +
               "'\n  SQL.Strings = ('SELECT 1 AS A')\n  SQLSQLite.Strings = (" + own +
               ")\n  object colA: TReportColumn\n    FieldName = 'A'\n  end\nend\n";
    };
    WriteFile(Reports("RCL047_proprio.rpt"), withOwnText("Proprio", "'SELECT 1 AS A UNION ALL SELECT 2'"));
    WriteFile(Reports("RCL047_proprio_dois.rpt"), withOwnText("Dois", "'SELECT 1 AS A; DELETE FROM limpeza'"));
    const HostRun run = RunWith(kCorrectPeriod.section('\n', 0, 1) +
                                "\nselect cbbReportNames Proprio\nclick sbtPreview\n" + kCorrectPeriod);
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QStringList messages = Messages(run);
    ASSERT_EQ(messages.size(), 1) << messages.join('\n').toStdString();
    EXPECT_TRUE(messages[0].contains(QRegularExpression(
        QRegularExpression::escape(Reports("RCL047_proprio_dois.rpt")) +
        ":\\d+:\\d+: Report: a consulta SQLSQLite.Strings " +
        QRegularExpression::escape(Text("tem mais de um comando (o segundo começa em \"DELETE FROM "
                                         "limpeza\"); um relatório roda um só comando")))))
        << messages[0].toStdString();
    ASSERT_EQ(run.Events("report").size(), 2);
    EXPECT_EQ(run.Events("report")[0]["rows"].toInt(), 2) << "SQLite's own text, not SQL.Strings";
}

// ---------------------------------------------------------------------------
// The preview's side panel, kept between runs in a state file: one that
// cannot be used leaves the panel hidden, nothing said, and is replaced when
// the user next shows or hides the panel; a folder in its place stays, and
// that toggle says the choice was not kept.

struct BrokenPanelState {
    const char* name;
    std::function<void(const QString& file)> make;
    bool replaced;  // F4 writes the panel's state in its place
};

void PrintTo(const BrokenPanelState& row, std::ostream* os) { *os << row.name; }

class HostilePanelState : public HostileScreen, public ::testing::WithParamInterface<BrokenPanelState> {};

TEST_P(HostilePanelState, OpensHiddenAndIsReplacedOnTheNextToggle) {
    HostConfig& config = HostConfig::Instance();
    ASSERT_TRUE(CreateSqliteDatabase(config.databaseName, REPORTS_DIR, false));
    const QString file = dir_.filePath("estado/visualizacao.json");
    config.previewStateFile = file;
    QDir().mkpath(dir_.filePath("estado"));
    GetParam().make(file);
    folder_.reset();
    QPointer<ReportPreview> preview;
    Application->SetWindowHook([&](QWidget& window) {
        preview = qobject_cast<ReportPreview*>(&window);
        window.show();
    });
    const auto closeAll = qScopeGuard([] {
        Application->CloseWindows();
        Application->SetWindowHook(nullptr);
    });
    screen->depDtIni->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(screen->depDtIni, "01032025");
    screen->depDtFim->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(screen->depDtFim, "31032025");
    QTest::keyClick(screen->depDtFim, Qt::Key_F2, Qt::ControlModifier);
    ASSERT_TRUE(preview);
    QApplication::setActiveWindow(preview);
    ASSERT_TRUE(QTest::qWaitForWindowActive(preview));
    const bool hiddenAtFirst = !preview->SidePanel().isVisible();
    QTest::keyClick(&preview->Pages(), Qt::Key_F4);
    const bool shownByF4 = preview->SidePanel().isVisible();
    QTest::keyClick(&preview->Pages(), Qt::Key_Escape);
    EXPECT_TRUE(hiddenAtFirst);
    EXPECT_TRUE(shownByF4);
    if (GetParam().replaced) {
        EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
        EXPECT_EQ(ReadFile(file), R"({"aba":"paginas","painel":true})");
    } else {
        EXPECT_EQ(messages, QStringList{Text("A escolha do painel lateral não foi guardada para a próxima vez. ") +
                                        Text("Não foi possível gravar %1: o caminho é uma pasta.").arg(file)});
        EXPECT_TRUE(QFileInfo(file).isDir());
    }
}

// name | how the file is made | replaced by the toggle
INSTANTIATE_TEST_SUITE_P(
    Table, HostilePanelState,
    ::testing::Values(
        BrokenPanelState{"OverTheLimit",
                         Holding(R"({"painel": true, "aba": "paginas"})" + QByteArray(5000, ' ')), true},
        BrokenPanelState{"MalformedJson", Holding(R"({"painel": true, "aba": "pagi)"), true},
        BrokenPanelState{"WrongTypes", Holding(R"({"painel": "sim", "aba": "paginas"})"), true},
        BrokenPanelState{"Unreadable", [](const QString& f) { QFile::link("/proc/self/mem", f); }, true},
        BrokenPanelState{"Fifo", [](const QString& f) { mkfifo(QFile::encodeName(f).constData(), 0600); }, true},
        BrokenPanelState{"Folder", [](const QString& f) { QDir().mkpath(f); }, false}),
    [](const ::testing::TestParamInfo<BrokenPanelState>& info) { return std::string(info.param.name); });

// The PDF writer's library missing or not what its name says: the PDF is
// refused naming it, nothing is left in the output folder, and the screen
// keeps what was typed.

struct PdfLibrary {
    const char* name;
    QString file;  // what the host finds as libcairo.so.2: empty for text
};

void PrintTo(const PdfLibrary& row, std::ostream* os) { *os << row.name; }

class HostileMissingPdfLibrary : public ::testing::TestWithParam<PdfLibrary> {};

TEST_P(HostileMissingPdfLibrary, PdfRefusedNamingItAndTheScreenKept) {
    HostWorkspace workspace;
    QTemporaryDir libraries;
    const QString fake = libraries.filePath("libcairo.so.2");
    if (GetParam().file.isEmpty())
        WriteFile(fake, "não é uma biblioteca\n");
    else
        ASSERT_TRUE(QFile::copy(GetParam().file, fake)) << GetParam().file.toStdString();
    const HostRun run = RunWithLibraries(workspace, "open\n" + kCorrectPeriod + "state\n", libraries);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(run.Only("message")["text"].toString(),
              Text("Não foi possível gravar %1: a biblioteca de PDF (libcairo.so.2) não está instalada.")
                  .arg(QDir::toNativeSeparators(workspace.Output())));
    EXPECT_EQ(QDir(workspace.Output()).entryList(QDir::Files | QDir::Hidden), QStringList{});
    EXPECT_EQ(Control(run.Only("state"), "depDtIni")["text"].toString(), "10/03/2025");
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostileMissingPdfLibrary,
    ::testing::Values(PdfLibrary{"NotALibrary", {}},
                      PdfLibrary{"AnotherLibrary", QStringLiteral("/usr/lib/x86_64-linux-gnu/libsqlite3.so.0")}),
    [](const ::testing::TestParamInfo<PdfLibrary>& info) { return std::string(info.param.name); });

// A disk that fills while the PDF is being written (room for its start,
// not for its end): the PDF is refused naming the disk, nothing of it is
// left beside what was there.
TEST(HostileFullDiskWhileWritingPdf, SaysTheDiskIsFullAndLeavesNothing) {
    SmallFileSystem disk(512);
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why().toStdString();
    HostWorkspace workspace;
    const QString folder = disk.Path() + "/out";
    ASSERT_TRUE(QDir().mkpath(folder));
    disk.Fill(8 * 1024);
    const auto before = Contents(disk.Path());
    const HostRun run = workspace.Run("open\n" + kCorrectPeriod + "state\n", {"--out", folder});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QStringList messages = Messages(run);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(Text("Não foi possível gravar %1").arg(folder))) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].endsWith(Text("o disco está cheio."))) << messages[0].toStdString();
    EXPECT_EQ(Contents(disk.Path()), before);
    EXPECT_EQ(Control(run.Only("state"), "depDtIni")["text"].toString(), "10/03/2025");
}
// Previews left open beside the screens: at most eight at once.

TEST_F(HostileScreen, NinthPreviewIsRefusedWhileEightAreOpen) {
    ASSERT_TRUE(CreateSqliteDatabase(HostConfig::Instance().databaseName, REPORTS_DIR, true));
    folder_.reset();
    QList<QPointer<QWidget>> previews;
    Application->SetWindowHook([&](QWidget& window) {
        previews << &window;
        window.show();
    });
    const auto closeAll = qScopeGuard([] {
        Application->CloseWindows();
        Application->SetWindowHook(nullptr);
    });
    int queries = 0;
    spy.paramsReady = [&](const TParams&) { ++queries; };
    QTest::keyClicks(screen->depDtIni, "10032025");
    QTest::keyClicks(screen->depDtFim, "10032025");
    for (int i = 0; i < 8; ++i) {
        QApplication::setActiveWindow(screen);
        QTest::mouseClick(screen->sbtPreview, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([] { return !ReportJob::AnyReading(); }, 30000));
    }
    ASSERT_EQ(previews.size(), 8) << messages.join('\n').toStdString();
    QApplication::setActiveWindow(screen);
    QTest::mouseClick(screen->sbtPreview, Qt::LeftButton);
    QTest::keyClick(screen->depDtFim, Qt::Key_F2, Qt::ControlModifier);
    const QString refused =
        Text("Já há 8 visualizações abertas, o máximo. Feche uma delas para visualizar outro relatório.");
    EXPECT_EQ(messages, QStringList({refused, refused}));
    EXPECT_EQ(queries, 8) << "no query runs past the limit";
    EXPECT_EQ(previews.size(), 8);
    for (const QPointer<QWidget>& preview : previews) EXPECT_TRUE(preview && preview->isVisible());

    QTest::keyClick(previews.first(), Qt::Key_Escape);
    QApplication::setActiveWindow(screen);
    QTest::mouseClick(screen->sbtPreview, Qt::LeftButton);
    EXPECT_EQ(previews.size(), 9) << "one closed, one more opens";
    EXPECT_EQ(messages.size(), 2);
}

struct HostileTitle {
    const char* name;
    QString title;
    QString shown;  // after "Visualização - "
};

void PrintTo(const HostileTitle& t, std::ostream* os) { *os << t.name; }

class HostilePreviewTitle : public ::testing::TestWithParam<HostileTitle> {};

TEST_P(HostilePreviewTitle, IsOneLineOfBoundedLength) {
    ReportDefinition report;
    report.code = "RCL047";
    report.title = GetParam().title;
    TParams params;
    params.CreateParam(ftDate, "P_DATAINI").SetValue(VarFromDateTime(EncodeDate(2025, 3, 1)));
    params.CreateParam(ftDate, "P_DATAFIM").SetValue(VarFromDateTime(EncodeDate(2025, 3, 31)));
    EXPECT_EQ(ReportExport::DisplayName(report, params), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostilePreviewTitle,
    ::testing::Values(
        HostileTitle{"TenThousandCharacters", QString(10000, u'x'), QString(119, u'x') + Text("… - 01/03/2025 a 31/03/2025")},
        HostileTitle{"LineBreaksAndTabs", "Limpeza\n\nde\tDados\r", "Limpeza de Dados - 01/03/2025 a 31/03/2025"},
        HostileTitle{"Empty", "  ", "RCL047 - 01/03/2025 a 31/03/2025"}),
    [](const ::testing::TestParamInfo<HostileTitle>& info) { return std::string(info.param.name); });

// The file a report's rows go to. Every block of the report goes to the file
// here (no anonymous memory first), so the small report of these rows spills.

// Descriptors of this process open on a file in `folder`.
int OpenFilesIn(const QString& folder) {
    int open = 0;
    for (const QFileInfo& fd : QDir("/proc/self/fd").entryInfoList(QDir::System | QDir::Files))
        if (fd.symLinkTarget().startsWith(folder + '/')) ++open;
    return open;
}

int FullDisk(int, off_t, off_t) { return ENOSPC; }
int QuotaGone(int, off_t, off_t) { return EDQUOT; }
int DeviceError(int, off_t, off_t) { return EIO; }

struct SpillCase {
    const char* name;
    QStringList folders;  // under the test's folder (a relative name), or absolute
    int (*allocate)(int, off_t, off_t);
    const char*
        said;       // %1 the first folder; a text ending in ": " begins the message; "": the report
    int writtenIn;  // the folder holding the file while the report ran; -1: none
};

void PrintTo(const SpillCase& row, std::ostream* os) { *os << row.name; }

class HostileSpill : public HostileScreen, public ::testing::WithParamInterface<SpillCase> {
protected:
    void SetUp() override {
        HostileScreen::SetUp();
        saved_ = SpillFile::Tuning();
        SpillFile::Tuning().anonymousBytes = 0;
        ::mkfifo(QFile::encodeName(base_.filePath("fila")).constData(), 0600);
        WriteFile(base_.filePath("arquivo"), "x");
        QDir(base_.path()).mkdir("boa");
        FillManyCleanups(HostConfig::Instance().databaseName, 300);
        screen->depDtIni->SetText("10/03/2025");
        screen->depDtFim->SetText("10/03/2025");
    }
    void TearDown() override {
        SpillFile::Tuning() = saved_;
        HostileScreen::TearDown();
    }
    QString Folder(const QString& name) const {
        return QDir::isAbsolutePath(name) ? name : base_.filePath(name);
    }
    QStringList Pdfs() const {
        return QDir(HostConfig::Instance().outputDir).entryList({"*.pdf"}, QDir::Files);
    }
    // What each folder holds, hidden names too.
    QStringList Contents(const QStringList& folders) const {
        QStringList all;
        for (const QString& folder : folders)
            if (QFileInfo(folder).isDir() && !folder.startsWith("/proc"))
                all << QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                              QDir::NoDotAndDotDot);
        return all;
    }

    QTemporaryDir base_;
    SpillFile::Settings saved_;
};

TEST_P(HostileSpill, FailsWithTheCauseOrGoesOnAndLeavesNoFile) {
    const SpillCase& row = GetParam();
    QStringList folders;
    for (const QString& name : row.folders) folders << Folder(name);
    SpillFile::Tuning().folders = folders;
    SpillFile::Tuning().allocate = row.allocate;
    const QString used = row.writtenIn >= 0 ? folders.value(row.writtenIn) : QString();
    const bool made = !used.isEmpty() && !QFileInfo::exists(used);
    int openDuring = -1;
    spy.reportDone = [&](const QString&, const QString&, int, const QString&) {
        openDuring = OpenFilesIn(used);
    };
    int openAfter = 0;
    const QStringList before = Contents(folders);
    QTest::mouseClick(screen->sbtPrint, Qt::LeftButton);
    const QString said = row.said[0] ? Text(row.said).arg(folders.value(0)) : QString();
    if (said.isEmpty()) {
        EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
        EXPECT_EQ(Pdfs().size(), 1);
        EXPECT_TRUE(QFileInfo(used).isDir());
        EXPECT_EQ(openDuring, 1) << "the rows were in that folder's file";
        if (made) {
            EXPECT_EQ(QFileInfo(used).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0)
                << "a folder made for the rows is the user's only";
        }
    } else {
        ASSERT_EQ(messages.size(), 1) << messages.join('\n').toStdString();
        EXPECT_EQ(messages[0], said);
        EXPECT_TRUE(Pdfs().isEmpty());
    }
    EXPECT_EQ(Contents(folders), before) << "no file of the rows left";
    for (const QString& folder : folders)
        if (!folder.startsWith("/proc")) openAfter += OpenFilesIn(folder);
    EXPECT_EQ(openAfter, 0) << "the file went with the report";

    // The host goes on: the same report, into a folder that works.
    messages.clear();
    SpillFile::Tuning().folders = {Folder("boa")};
    SpillFile::Tuning().allocate = nullptr;
    QTest::mouseClick(screen->sbtPrint, Qt::LeftButton);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(Pdfs().size(), said.isEmpty() ? 2 : 1);
    EXPECT_EQ(screen->depDtIni->Text(), "10/03/2025");
}

// name | folders | growing the file | what the user sees | the folder used
INSTANTIATE_TEST_SUITE_P(
    Table, HostileSpill,
    ::testing::Values(
        // Not writable whoever runs the test, root too.
        SpillCase{"FolderNotWritable",
                  {"/proc/self"},
                  nullptr,
                  "Não foi possível criar o arquivo temporário dos dados do relatório em %1: "
                  "permissão negada.",
                  -1},
        SpillCase{"FolderIsAFifo",
                  {"fila"},
                  nullptr,
                  "Não foi possível criar o arquivo temporário dos dados do relatório em %1: o "
                  "caminho não é "
                  "uma pasta.",
                  -1},
        SpillCase{"FolderUnderAFile",
                  {"arquivo/dados"},
                  nullptr,
                  "Não foi possível criar o arquivo temporário dos dados do relatório em %1: uma "
                  "parte do "
                  "caminho não é uma pasta.",
                  -1},
        SpillCase{"FolderMissing", {"nova/dados"}, nullptr, "", 0},
        SpillCase{"CacheFolderUnusable", {"fila", "boa"}, nullptr, "", 1},
        SpillCase{"DiskFull",
                  {"boa"},
                  FullDisk,
                  "Não há espaço em disco para os dados do relatório: o disco está cheio na pasta "
                  "%1. Libere "
                  "espaço ou escolha um período menor.",
                  -1},
        SpillCase{"QuotaGone",
                  {"boa"},
                  QuotaGone,
                  "Não há espaço em disco para os dados do relatório: a cota de disco do usuário "
                  "acabou na "
                  "pasta %1. Libere espaço ou escolha um período menor.",
                  -1},
        SpillCase{"DeviceError",
                  {"boa"},
                  DeviceError,
                  "Não foi possível guardar os dados do relatório na pasta %1: erro de leitura ou "
                  "gravação no "
                  "dispositivo.",
                  -1}),
    [](const auto& info) { return std::string(info.param.name); });

// Growing the file waits a moment the first time, so Cancelar comes while
// the report holds it.
std::atomic<bool> spillStarted{false};
int SlowFirstGrowth(int fd, off_t offset, off_t length) {
    if (!spillStarted.exchange(true)) std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    return ::posix_fallocate(fd, offset, length);
}

TEST_F(HostileSpill, CancelledWhileTheRowsGoToTheFileLeavesNoFile) {
    const QString folder = Folder("boa");
    SpillFile::Tuning().folders = {folder};
    SpillFile::Tuning().allocate = SlowFirstGrowth;
    spillStarted = false;
    folder_.reset();  // people's outputs: the progress shows, with Cancelar
    QStringList dialogs;
    Application->SetModalHook([&](QDialog& dialog) {
        dialogs << dialog.windowTitle();
        return int(QDialog::Rejected);
    });
    bool cancelled = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QDialog* progress = ShownProgress();
        auto* cancel = progress ? progress->findChild<QPushButton*>() : nullptr;
        if (!cancel || cancelled || !spillStarted) return;
        cancelled = true;
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    watch.start(20);
    QTest::mouseClick(screen->sbtPrint, Qt::LeftButton);
    watch.stop();
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_TRUE(dialogs.isEmpty()) << "no printer or file asked for";
    EXPECT_TRUE(WaitForAbandonedWork(std::chrono::seconds(30)));
    EXPECT_EQ(OpenFilesIn(folder), 0) << "the file went with the cancelled report";
    EXPECT_TRUE(QDir(folder).isEmpty());
}

}  // namespace
