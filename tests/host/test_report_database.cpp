#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "DatabaseScripts.h"
#include "ReportDatabase.h"
#include "SysUtils.h"

namespace {

// The size of the sample the scripts make when not told.
constexpr int kSampleCleanups = 2400;

// The host's sample at `path`, made on first use.
HostConfig SqliteConfig(const QString& path) {
    HostConfig config;
    config.databaseName = path;
    config.reportsDir = REPORTS_DIR;
    config.sampleDatabase = true;
    return config;
}

QVariant Scalar(const QSqlDatabase& db, const QString& sql) {
    QSqlQuery query(db);
    EXPECT_TRUE(query.exec(sql) && query.next()) << sql.toStdString();
    return query.value(0);
}

// The whole table as one text, to compare two databases.
QString Dump(const QSqlDatabase& db) {
    return Scalar(db,
                  "SELECT group_concat(id || data_hora || sistema || tabela || registros || "
                  "usuario, '|') "
                  "FROM (SELECT * FROM limpeza ORDER BY id)")
        .toString();
}

QString MessageOf(const HostConfig& config) {
    try {
        ReportDatabase(config);
    } catch (const Exception& error) {
        return error.Message();
    }
    return "sem erro";
}

TEST(ReportDatabase, MissingFileIsCreatedWithTheSample) {
    QTemporaryDir dir;
    QSqlDatabase db = ReportDatabase(SqliteConfig(dir.filePath("novo.db")));
    EXPECT_EQ(db.connectionName(), "relatorios");
    EXPECT_EQ(Scalar(db, "SELECT count(*) FROM limpeza").toInt(), kSampleCleanups);
    EXPECT_EQ(Scalar(db, "PRAGMA journal_mode").toString(), "wal") << "writers never wait for reports";
    EXPECT_EQ(
        Scalar(db,
               "SELECT group_concat(sistema, ';') FROM (SELECT DISTINCT sistema FROM limpeza ORDER "
               "BY 1)")
            .toString(),
        "Compras/Suprimentos;Documentos Fiscais/Financeiro;Estoque;Planejamento Alim. Industrial");
    EXPECT_GE(Scalar(db, "SELECT min(data_hora) FROM limpeza").toString(), "2024-01-01 00:00:00");
    EXPECT_LE(Scalar(db, "SELECT max(data_hora) FROM limpeza").toString(), "2025-12-31 23:59:59");
    EXPECT_EQ(Scalar(db,
                     "SELECT count(*) FROM limpeza WHERE data_hora NOT GLOB "
                     "'20[0-9][0-9]-[01][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]' "
                     "OR registros <= 0 OR tabela = '' OR usuario = ''")
                  .toInt(),
              0);
    EXPECT_EQ(
        Scalar(
            db,
            "SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name LIKE 'ix_limpeza%'")
            .toInt(),
        2);
}

TEST(ReportDatabase, SampleIsTheSameEveryTime) {
    QTemporaryDir dir;
    const QString first = Dump(ReportDatabase(SqliteConfig(dir.filePath("a.db"))));
    const QString second = Dump(ReportDatabase(SqliteConfig(dir.filePath("b.db"))));
    EXPECT_FALSE(first.isEmpty());
    EXPECT_EQ(first, second);
}

TEST(ReportDatabase, ExistingFileIsOpenedNotRefilled) {
    QTemporaryDir dir;
    const HostConfig config = SqliteConfig(dir.filePath("r.db"));
    ReportDatabase(config);  // creates it
    {
        // The report connection only reads: another program changes the file.
        QSqlDatabase writer = QSqlDatabase::addDatabase("QSQLITE", "writer");
        writer.setDatabaseName(config.databaseName);
        ASSERT_TRUE(writer.open());
        ASSERT_TRUE(QSqlQuery(writer).exec("DELETE FROM limpeza WHERE id > 5"));
    }
    QSqlDatabase::removeDatabase("writer");
    ReportDatabase(SqliteConfig(dir.filePath("other.db")));  // the connection moves away and back
    EXPECT_EQ(Scalar(ReportDatabase(config), "SELECT count(*) FROM limpeza").toInt(), 5);
}

// A file named by the user that is not there is a typo or an unmounted
// share: never a new database of invented data.
TEST(ReportDatabaseErrors, MissingFileOtherThanTheSampleIsNamedAndNotMade) {
    QTemporaryDir dir;
    HostConfig config = SqliteConfig(dir.filePath("limpeza.db"));
    config.sampleDatabase = false;
    EXPECT_EQ(MessageOf(config), "O banco de dados de relatórios " + config.databaseName + " não existe.");
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST(ReportDatabase, TablesMadeTwiceAreRefusedAndNothingChanges) {
    QTemporaryDir dir;
    QSqlDatabase db = ReportDatabase(SqliteConfig(dir.filePath("r.db")));
    try {
        CreateReportTables(db, REPORTS_DIR, true, 10);
        FAIL() << "no exception";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(),
                  "O banco de dados de relatórios já tem a tabela limpeza; nada foi alterado.");
    }
    EXPECT_EQ(Scalar(db, "SELECT count(*) FROM limpeza").toInt(), kSampleCleanups);
    EXPECT_EQ(Scalar(db, "SELECT count(*) FROM sqlite_temp_master").toInt(), 0);
}

TEST(ReportDatabaseErrors, MissingFolderNamesIt) {
    EXPECT_EQ(MessageOf(SqliteConfig("/nao/existe/relatorios.db")),
              "A pasta do banco de dados de relatórios não existe: /nao/existe");
}

TEST(ReportDatabaseErrors, NotConfigured) {
    EXPECT_EQ(MessageOf(SqliteConfig("")), "O banco de dados de relatórios não foi configurado.");
}

TEST(ReportDatabaseErrors, CorruptFile) {
    QTemporaryDir dir;
    QFile file(dir.filePath("lixo.db"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    const QString message = MessageOf(SqliteConfig(file.fileName()));
    EXPECT_TRUE(message.startsWith("O arquivo " + file.fileName() +
                                   " não é um banco de dados de relatórios válido"))
        << message.toStdString();
}

TEST(ReportDatabaseErrors, FolderInsteadOfFile) {
    QTemporaryDir dir;
    EXPECT_EQ(MessageOf(SqliteConfig(dir.path())),
              "O caminho do banco de dados de relatórios não é um arquivo: " + dir.path());
}

TEST(ReportDatabaseErrors, UnknownKind) {
    HostConfig config;
    config.databaseKind = "nenhum";
    config.databaseName = "x";
    EXPECT_EQ(MessageOf(config), "O tipo de banco de dados 'nenhum' não é conhecido.");
}

}  // namespace
