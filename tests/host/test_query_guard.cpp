#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QSqlQuery>
#include <thread>

#include "QueryGuard.h"
#include "ReportQuery.h"
#include "ReportTestSupport.h"
#include "SysUtils.h"

namespace {

using namespace std::chrono_literals;

const QString kSource = QStringLiteral("/relatorios/RCL047_hostil.rpt");
const QString kEndless = QStringLiteral(
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
    "SELECT count(*) FROM c");

QByteArray FileHash(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

class QueryGuardTest : public ::testing::Test {
protected:
    QueryGuardTest()
        : db_({{"2024-01-05 10:00:00", "Estoque", "INVENTARIO", 10}}),
          config_(db_.Path(), db_.Dir()) {}

    QSqlDatabase Connection() { return ReportDatabase(HostConfig::Instance()); }

    // The message the query ends with, or "" when it runs.
    QString RunMessage(const QString& sql, const QueryLimits& limits) {
        QSqlDatabase db = Connection();
        try {
            RunReportQuery(db, sql, TParams(), {}, limits);
        } catch (const EAbort&) {
            return QStringLiteral("EAbort");
        } catch (const Exception& error) {
            return error.Message();
        }
        return {};
    }

    TempReportDb db_;
    HostConfigGuard config_;
};

// A statement a hostile definition may carry, and what the message says it
// tried; %DIR% stands for the database's folder.
struct Hostile {
    const char* sql;
    const char* attempt;
};
void PrintTo(const Hostile& h, std::ostream* os) { *os << h.sql; }

class RefusedStatement : public QueryGuardTest, public ::testing::WithParamInterface<Hostile> {};

TEST_P(RefusedStatement, NamesTheFileAndWhatItTriedAndChangesNothing) {
    const QString dir = db_.Dir();
    const QString sql = QString::fromUtf8(GetParam().sql).replace("%DIR%", dir);
    const QString attempt = QString::fromUtf8(GetParam().attempt).replace("%DIR%", dir);
    const QByteArray before = FileHash(db_.Path());

    EXPECT_EQ(RunMessage(sql, {kSource, nullptr, 0ms}).toStdString(),
              ("A consulta do relatório /relatorios/RCL047_hostil.rpt foi recusada: ela tenta " +
               attempt + ", e um relatório só pode ler os dados.")
                  .toStdString());
    EXPECT_EQ(FileHash(db_.Path()), before);
    EXPECT_FALSE(QFile::exists(dir + "/copia.db"));
    EXPECT_EQ(RunMessage("SELECT count(*) FROM limpeza", {}), "") << "the connection still reads";
}

INSTANTIATE_TEST_SUITE_P(
    Writes, RefusedStatement,
    ::testing::Values(
        Hostile{"DROP TABLE limpeza", "apagar a tabela limpeza"},
        Hostile{"DELETE FROM limpeza", "apagar registros da tabela limpeza"},
        Hostile{"WITH v AS (SELECT 1) DELETE FROM limpeza", "apagar registros da tabela limpeza"},
        Hostile{"UPDATE limpeza SET registros = 0", "alterar registros da tabela limpeza"},
        Hostile{"INSERT INTO limpeza SELECT * FROM limpeza", "incluir registros na tabela limpeza"},
        Hostile{"CREATE TABLE x (a)", "criar a tabela x"},
        Hostile{"CREATE TEMP VIEW v AS SELECT 1", "criar a visão v"},
        Hostile{"DROP INDEX ix_limpeza_data_hora", "apagar o índice ix_limpeza_data_hora"},
        Hostile{"ALTER TABLE limpeza ADD COLUMN x", "alterar a tabela limpeza"},
        Hostile{"CREATE TRIGGER t AFTER INSERT ON limpeza BEGIN SELECT 1; END",
                "criar o gatilho t"}));

INSTANTIATE_TEST_SUITE_P(
    FilesAndSettings, RefusedStatement,
    ::testing::Values(
        Hostile{"ATTACH '%DIR%/copia.db' AS c", "anexar outro arquivo, %DIR%/copia.db"},
        Hostile{"VACUUM INTO '%DIR%/copia.db'", "gravar no arquivo %DIR%/copia.db"},
        Hostile{"VACUUM", "reescrever o banco de dados (VACUUM)"},
        Hostile{"PRAGMA journal_mode = WAL", "executar o comando PRAGMA journal_mode"},
        Hostile{"PRAGMA user_version = 7", "executar o comando PRAGMA user_version"},
        Hostile{"SELECT * FROM pragma_table_info('limpeza')",
                "executar o comando PRAGMA table_info"},
        Hostile{"ANALYZE", "executar o comando ANALYZE"},
        Hostile{"SAVEPOINT s", "abrir um ponto de salvamento"}));

// Functions no report needs, refused by name: the list says what may run.
class RefusedFunction : public QueryGuardTest, public ::testing::WithParamInterface<Hostile> {};

TEST_P(RefusedFunction, IsNamedAndNothingRuns) {
    EXPECT_EQ(RunMessage(QString::fromUtf8(GetParam().sql), {kSource, nullptr, 0ms}).toStdString(),
              QStringLiteral("A consulta do relatório /relatorios/RCL047_hostil.rpt foi recusada: ela "
                             "chama a função %1, que não está entre as funções que um relatório pode "
                             "usar.")
                  .arg(GetParam().attempt)
                  .toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Unlisted, RefusedFunction,
    ::testing::Values(Hostile{"SELECT load_extension('/tmp/x.so')", "load_extension"},
                      Hostile{"SELECT hex(fts3_tokenizer('simple')) AS A", "fts3_tokenizer"},
                      Hostile{"SELECT length(zeroblob(999999999)) AS A", "zeroblob"},
                      Hostile{"SELECT sqlite_version() AS A", "sqlite_version"},
                      Hostile{"SELECT count(*) FROM limpeza WHERE registros = changes()", "changes"}));

// The schema table's changes pass the guard on the way to the statement's
// own action; written directly, SQLite refuses them itself.
TEST_F(QueryGuardTest, SchemaTableWrittenDirectlyStaysUnchanged) {
    const QByteArray before = FileHash(db_.Path());
    for (const char* sql : {"DELETE FROM sqlite_master", "UPDATE sqlite_schema SET sql = ''",
                            "INSERT INTO sqlite_temp_master SELECT * FROM sqlite_master"})
        EXPECT_TRUE(RunMessage(sql, {kSource, nullptr, 0ms}).contains("may not be modified"))
            << sql;
    EXPECT_EQ(FileHash(db_.Path()), before);
}

TEST_F(QueryGuardTest, ReadingRecursionAndFunctionsRun) {
    QSqlDatabase db = Connection();
    const ReportData data =
        RunReportQuery(db,
                       "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c LIMIT 3) "
                       "SELECT x, upper(sistema), json_array(x) FROM c, limpeza ORDER BY x",
                       TParams(), {}, {kSource, nullptr, 1000ms});
    ASSERT_EQ(data.RowCount(), 3);
    EXPECT_EQ(data.Row(2), QVariantList({3, "ESTOQUE", "[3]"}));
}

// A definition saying just "BEGIN" must not keep the database locked against
// the programs that write to it.
TEST_F(QueryGuardTest, TransactionLeftOpenIsRolledBack) {
    EXPECT_EQ(RunMessage("BEGIN", {kSource, nullptr, 0ms}), "");
    EXPECT_EQ(RunMessage("SELECT count(*) FROM limpeza", {}), "");
    db_.Insert({{"2024-02-01 08:00:00", "Estoque", "INVENTARIO", 5}});
    QSqlDatabase db = Connection();
    EXPECT_EQ(RunReportQuery(db, "SELECT count(*) FROM limpeza", TParams()).Value(0, 0), 2);
}

TEST_F(QueryGuardTest, CancelStopsAnEndlessQuery) {
    std::atomic<bool> cancel = false;
    std::thread user([&cancel] {
        std::this_thread::sleep_for(50ms);
        cancel = true;
    });
    const QString message = RunMessage(kEndless, {kSource, &cancel, 0ms});
    user.join();
    EXPECT_EQ(message, "EAbort");
    EXPECT_EQ(RunMessage("SELECT 1", {kSource, nullptr, 0ms}), "") << "the next report runs";
}

TEST_F(QueryGuardTest, TimeLimitEndsAnEndlessQueryWithAMessage) {
    EXPECT_EQ(RunMessage(kEndless, {kSource, nullptr, 100ms}),
              "A consulta do relatório /relatorios/RCL047_hostil.rpt foi interrompida: passou do "
              "tempo limite de 100 ms.");
}

TEST_F(QueryGuardTest, OtherFailuresAreLeftToTheCaller) {
    QSqlDatabase db = Connection();
    QueryGuard guard(db, kSource, nullptr, 0ms);
    QSqlQuery query(db);
    EXPECT_FALSE(query.exec("SELECT * FROM inexistente"));
    EXPECT_NO_THROW(guard.Check());
}

// The guard's callbacks point into the guard: they must be gone with it.
TEST_F(QueryGuardTest, ConnectionWritesAgainOnceTheGuardIsGone) {
    QSqlDatabase db = Connection();
    { QueryGuard guard(db, kSource, nullptr, 1ms); }
    QSqlQuery query(db);
    EXPECT_TRUE(query.exec("CREATE TEMP TABLE depois (a)"));
    EXPECT_TRUE(query.exec(QString(kEndless).replace("FROM c)", "FROM c LIMIT 100000)")));
}

}  // namespace
