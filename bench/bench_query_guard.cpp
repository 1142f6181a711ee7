// What QueryGuard costs and how fast it stops a query, on a statement that
// keeps SQLite's virtual machine busy without any table (a recursive count):
//
// - steps: the same statement on the same connection, with and without a
//   guard (authorizer and progress handler, with a cancel flag and a time
//   limit to look at), run to its end;
// - cancel: an endless statement under a guard, a thread setting the cancel
//   flag; the time from the flag set to the statement's return.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <thread>

#include "BenchMain.h"
#include "QueryGuard.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const QString kCount = QStringLiteral(
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c LIMIT 1000000) "
    "SELECT sum(x) FROM c");
const QString kEndless = QStringLiteral(
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT count(*) FROM c");

QSqlDatabase Connection() {
    static QTemporaryDir dir;
    QSqlDatabase db = QSqlDatabase::database(QStringLiteral("guarda"), false);
    if (db.isValid()) return db;
    db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("guarda"));
    db.setDatabaseName(dir.filePath(QStringLiteral("guarda.db")));
    if (!db.open()) qFatal("cannot open the benchmark's database");
    return db;
}

void RunToEnd(QSqlDatabase& db, benchmark::State& state) {
    QSqlQuery query(db);
    if (!query.exec(kCount) || !query.next()) state.SkipWithError("a consulta falhou");
    benchmark::DoNotOptimize(query.value(0));
}

void BM_Steps_Unguarded(benchmark::State& state) {
    QSqlDatabase db = Connection();
    for (auto _ : state) RunToEnd(db, state);
}
BENCHMARK(BM_Steps_Unguarded)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Steps_Guarded(benchmark::State& state) {
    QSqlDatabase db = Connection();
    const std::atomic<bool> cancel = false;
    for (auto _ : state) {
        QueryGuard guard(db, QStringLiteral("bench.rpt"), &cancel, 300s);
        RunToEnd(db, state);
    }
}
BENCHMARK(BM_Steps_Guarded)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Cancel(benchmark::State& state) {
    QSqlDatabase db = Connection();
    for (auto _ : state) {
        std::atomic<bool> cancel = false;
        std::atomic<Clock::rep> cancelledAt = 0;
        QueryGuard guard(db, QStringLiteral("bench.rpt"), &cancel, 0ms);
        std::thread user([&] {
            std::this_thread::sleep_for(20ms);
            cancelledAt = Clock::now().time_since_epoch().count();
            cancel = true;
        });
        QSqlQuery query(db);
        const bool ran = query.exec(kEndless);
        const Clock::time_point stopped = Clock::now();
        user.join();
        if (ran) state.SkipWithError("a consulta sem fim terminou sozinha");
        const Clock::time_point asked{Clock::duration(cancelledAt.load())};
        state.SetIterationTime(std::chrono::duration<double>(stopped - asked).count());
    }
}
BENCHMARK(BM_Cancel)->Unit(benchmark::kMicrosecond)->UseManualTime()->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RunBenchmarks(
        argc, argv,
        {{"passos com a guarda / sem a guarda", "BM_Steps_Guarded", "BM_Steps_Unguarded", 1.05},
         {"do Cancelar ao fim da consulta", "BM_Cancel", "", 0.200}});
}
