// The detailed report (RCL047_detalhado.rpt) over 1,000,000 cleanups (or
// RCL_BENCH_ROWS, as bench_report takes it) on a
// PostgreSQL server of the benchmark's own (the tests' PgServer: initdb in a
// temporary folder, removed at the end), the database made by the reports'
// own scripts at start. Side by side, over the same socket:
//
// - the report component: the report's snapshot begun (ReportSnapshot) and
//   every row of its PostgreSQL query fetched (RunReportQuery) on the host's
//   open connection, the parameters filled by the screen itself;
// - psql: the same transaction, the same statement prepared and executed
//   with the same values, written as Qt's driver writes them (Qt's
//   PostgreSQL driver sends PREPARE and EXECUTE too), its rows printed into
//   /dev/null. psql starts and connects every time, and so does the
//   component (a connection of its own opened as a report's worker thread
//   opens it, then closed): both sides counted the same way. The component
//   on the connection already open, as it is from the second report on, is
//   shown beside, for reading.
//
// Two periods: March 2024 with two systems (about 21,000 rows) and the two
// years with every system (all the rows). And psql with nothing to run, to
// tell its start from its work.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDriver>
#include <QSqlField>
#include <QTemporaryFile>
#include <chrono>
#include <cstdio>
#include <memory>

#include "BenchHost.h"
#include "BenchMain.h"
#include "Cli_rcl04700.h"
#include "DatabaseScripts.h"
#include "PgServer.h"
#include "ReportDatabase.h"
#include "ReportDefinition.h"
#include "ReportQuery.h"
#include "ReportSnapshot.h"
#include "ReportValues.h"

namespace {

int Cleanups() { return BenchRows(); }
const char* const kDatabase = "limpeza_bench";
const char* const kDriver = "QPSQL";

PgServer* server = nullptr;

// The server and its database, made once for the whole run.
void MakeDatabase() {
    std::fprintf(stderr, "Gerando %d limpezas no PostgreSQL...\n", Cleanups());
    QElapsedTimer timer;
    timer.start();
    if (!server->Psql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE %1").arg(kDatabase)))
        qFatal("cannot create the database");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(kDriver, QStringLiteral("gerador"));
        db.setHostName(server->SocketDir());
        db.setPort(server->Port());
        db.setUserName(PgServer::kAdmin);
        db.setDatabaseName(kDatabase);
        if (!db.open()) qFatal("cannot connect to the benchmark server");
        CreateReportTables(db, QStringLiteral(REPORTS_DIR), true, Cleanups());
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("gerador"));
    if (!server->Psql(kDatabase, QStringLiteral("VACUUM ANALYZE limpeza"))) qFatal("cannot analyze");
    std::fprintf(stderr, "Banco gerado em %.1f s.\n", timer.elapsed() / 1000.0);
}

// The screen with a period and systems chosen, as a person leaves it.
struct Ask {
    const char* first;
    const char* last;
    const char* systems;  // nullptr: "Todas"
};
constexpr Ask kMonthTwoSystems{"01/03/2024", "31/03/2024", R"(["Compras/Suprimentos","Estoque"])"};
constexpr Ask kTwoYearsAll{"01/01/2024", "31/12/2025", nullptr};

TParams ScreenParams(const QString& sql, const Ask& ask) {
    IniProc();
    frmLimpDados->depDtIni->SetText(QString::fromLatin1(ask.first));
    frmLimpDados->depDtFim->SetText(QString::fromLatin1(ask.last));
    if (ask.systems) {
        frmLimpDados->rbtListaSist->SetChecked(true);
        frmLimpDados->stListaSist = QString::fromUtf8(ask.systems);
    }
    TParams params = QueryParams(sql);
    bool flag = false;
    frmLimpDados->rpddPadraoBeforeGetQueryParams(params, flag);
    frmLimpDados->Close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return params;
}

// The host on the benchmark server, with the report's query and its
// parameters at hand.
struct ServerBench {
    explicit ServerBench(const Ask& ask) {
        HostConfig& config = HostConfig::Instance();
        config.databaseKind = QStringLiteral("postgresql");
        config.databaseHost = server->SocketDir();
        config.databasePort = server->Port();
        config.databaseUser = PgServer::kAdmin;
        config.databaseName = kDatabase;
        config.databaseOptions.clear();
        params = ScreenParams(sql, ask);
    }

    BenchHost host;
    ReportDefinition report =
        ReportDefinition::Read(QStringLiteral(REPORTS_DIR "/RCL047_detalhado.rpt"));
    QString sql = report.QueryFor(QStringLiteral("postgresql"));
    TParams params;
};

void ComponentRows(benchmark::State& state, const Ask& ask) {
    ServerBench bench(ask);
    QSqlDatabase db = ReportDatabase(HostConfig::Instance());
    qsizetype rows = 0;
    for (auto _ : state) {
        const ReportSnapshot snapshot(db, std::chrono::milliseconds(0));
        rows = RunReportQuery(db, bench.sql, bench.params).RowCount();
    }
    state.counters["linhas"] = static_cast<double>(rows);
}

// The same, each time on a connection of its own, opened and closed: what
// psql's figure counts too.
void ComponentRowsConnecting(benchmark::State& state, const Ask& ask) {
    ServerBench bench(ask);
    ReportDatabase(HostConfig::Instance());  // the database is there, as a worker thread expects
    const QString name = QStringLiteral("bench-conexao");
    qsizetype rows = 0;
    for (auto _ : state) {
        {
            QSqlDatabase db = OpenReportConnection(HostConfig::Instance(), name);
            const ReportSnapshot snapshot(db, std::chrono::milliseconds(0));
            rows = RunReportQuery(db, bench.sql, bench.params).RowCount();
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
    state.counters["linhas"] = static_cast<double>(rows);
}

// '?' by '$1', '$2'... outside string literals, as Qt's driver prepares it.
QString NumberedParameters(const QString& positional) {
    QString sql;
    int next = 0;
    bool literal = false;
    for (const QChar c : positional) {
        if (c == u'\'') literal = !literal;
        if (c == u'?' && !literal) sql += u'$' + QString::number(++next);
        else sql += c;
    }
    return sql;
}

// The report's transaction and statement for psql, with its values as Qt's
// driver writes them.
QString PsqlScript(const ServerBench& bench) {
    const PositionalQuery positional = ToPositional(bench.sql);
    QStringList values;
    QSqlDatabase db = ReportDatabase(HostConfig::Instance());
    for (const QString& name : positional.bindings) {
        const QVariant value = BoundValue(*bench.params.FindParam(name));
        QSqlField field(QString(), value.metaType());
        field.setValue(value);
        values << db.driver()->formatValue(field);
    }
    return QStringLiteral(
               "BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY;\n"
               "SET LOCAL statement_timeout = 0;\n"
               "PREPARE relatorio AS %1;\n"
               "EXECUTE relatorio (%2);\n"
               "ROLLBACK;\n")
        .arg(NumberedParameters(positional.sql), values.join(QStringLiteral(", ")));
}

// psql running `script` into /dev/null, once an iteration.
void RunPsql(benchmark::State& state, const QString& text) {
    QTemporaryFile script;
    if (!script.open()) qFatal("cannot write the psql script");
    script.write(text.toUtf8());
    script.flush();
    const QStringList arguments{"-X", "-q", "-A", "-t", "-v", "ON_ERROR_STOP=1",
                                "-h", server->SocketDir(), "-p", QString::number(server->Port()),
                                "-U", PgServer::kAdmin, "-d", kDatabase, "-f", script.fileName()};
    for (auto _ : state) {
        QProcess psql;
        psql.setStandardOutputFile(QProcess::nullDevice());
        psql.start(server->PsqlProgram(), arguments);
        if (!psql.waitForFinished(-1) || psql.exitCode() != 0) {
            state.SkipWithError(psql.readAllStandardError().constData());
            break;
        }
    }
}

void PsqlRows(benchmark::State& state, const Ask& ask) {
    const ServerBench bench(ask);
    RunPsql(state, PsqlScript(bench));
}

void BM_MonthTwoSystems_Component(benchmark::State& state) { ComponentRows(state, kMonthTwoSystems); }
void BM_MonthTwoSystems_ComponentConnecting(benchmark::State& state) {
    ComponentRowsConnecting(state, kMonthTwoSystems);
}
void BM_MonthTwoSystems_Psql(benchmark::State& state) { PsqlRows(state, kMonthTwoSystems); }
void BM_TwoYearsAll_Component(benchmark::State& state) { ComponentRows(state, kTwoYearsAll); }
void BM_TwoYearsAll_ComponentConnecting(benchmark::State& state) { ComponentRowsConnecting(state, kTwoYearsAll); }
void BM_TwoYearsAll_Psql(benchmark::State& state) { PsqlRows(state, kTwoYearsAll); }
// What psql's start, connection and end alone take, for reading the above.
void BM_PsqlStartOnly(benchmark::State& state) { RunPsql(state, QString()); }
BENCHMARK(BM_MonthTwoSystems_Component)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MonthTwoSystems_ComponentConnecting)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MonthTwoSystems_Psql)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TwoYearsAll_Component)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TwoYearsAll_ComponentConnecting)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TwoYearsAll_Psql)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PsqlStartOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

// --help and listings need no server.
bool OnlyAsks(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--help" || argument.startsWith("--benchmark_list_tests")) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::unique_ptr<PgServer> owned;
    if (!OnlyAsks(argc, argv)) {
        owned = std::make_unique<PgServer>();
        if (!owned->Running()) qFatal("%s", qPrintable(owned->Error()));
        server = owned.get();
        MakeDatabase();
    }
    const int result = RunBenchmarks(
        argc, argv,
        {{"um mês, dois sistemas: componente / psql", "BM_MonthTwoSystems_ComponentConnecting",
          "BM_MonthTwoSystems_Psql", 1.3},
         {"dois anos, todos os sistemas: componente / psql", "BM_TwoYearsAll_ComponentConnecting",
          "BM_TwoYearsAll_Psql", 1.3},
         {"um mês, conexão já aberta / psql", "BM_MonthTwoSystems_Component", "BM_MonthTwoSystems_Psql", 1.3},
         {"dois anos, conexão já aberta / psql", "BM_TwoYearsAll_Component", "BM_TwoYearsAll_Psql", 1.3}});
    QSqlDatabase::removeDatabase(QStringLiteral("relatorios"));
    return result;
}
