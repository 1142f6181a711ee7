#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "DefinitionReader.h"
#include "ReportDefinition.h"
#include "ReportQuery.h"
#include "ReportTestSupport.h"

namespace {

void WriteFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

const QByteArray kMinimal =
    "object Report: TReportDefinition\n"
    "  Code = 'RCL047'\n"
    "  Title = 'Outro'\n"
    "  SQL.Strings = ('SELECT 1 AS A')\n"
    "  object colA: TReportColumn\n"
    "    FieldName = 'A'\n"
    "  end\n"
    "end\n";

TEST(ReportDefinitionShipped, BothRcl047ReportsReadWithTheFourParameters) {
    for (const char* file : {"RCL047_detalhado.rpt", "RCL047_resumo.rpt"}) {
        const ReportDefinition report = ReportDefinition::Read(ReportPath(file));
        EXPECT_EQ(report.code, "RCL047");
        EXPECT_EQ(QueryParamNames(report.sql),
                  QStringList({"P_DATAINI", "P_DATAFIM", "P_TSISTEMA", "P_SISTEMA"}));
    }
    const ReportDefinition detail = ReportDefinition::Read(ReportPath("RCL047_detalhado.rpt"));
    EXPECT_EQ(detail.title, "Limpeza de Dados - Detalhado");
    EXPECT_EQ(detail.groupField, "SISTEMA");
    ASSERT_EQ(detail.columns.size(), 4);
    EXPECT_EQ(detail.columns[3].header, "Usuário");
    EXPECT_TRUE(detail.columns[2].total);
    EXPECT_EQ(detail.columns[2].alignment, 1);
}

struct BadDefinition {
    const char* name;
    QByteArray text;
    int line;
    QString what;
};

class MalformedReport : public ::testing::TestWithParam<BadDefinition> {};

TEST_P(MalformedReport, RaisesWithFileAndLine) {
    QTemporaryDir dir;
    const QString path = dir.filePath("bad.rpt");
    WriteFile(path, GetParam().text);
    try {
        ReportDefinition::Read(path);
        FAIL() << "no exception";
    } catch (const EDefinitionError& error) {
        EXPECT_EQ(error.Source(), path);
        EXPECT_EQ(error.Line(), GetParam().line) << error.what();
        EXPECT_EQ(error.What(), GetParam().what) << error.what();
    }
}

QByteArray Replace(QByteArray text, const char* from, const char* to) {
    return text.replace(from, to);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, MalformedReport,
    ::testing::Values(
        BadDefinition{"UnknownProperty", Replace(kMinimal, "  Title", "  Titulo"), 3,
                      "propriedade desconhecida 'Titulo'"},
        BadDefinition{
            "UnknownColumnProperty",
            Replace(kMinimal, "    FieldName = 'A'\n", "    FieldName = 'A'\n    Cor = 1\n"), 7,
            "propriedade desconhecida 'Cor'"},
        BadDefinition{
            "RepeatedProperty",
            Replace(kMinimal, "  Title = 'Outro'\n", "  Title = 'Outro'\n  Title = 'B'\n"), 4,
            "propriedade 'Title' repetida"},
        BadDefinition{"MissingTitle", Replace(kMinimal, "  Title = 'Outro'\n", ""), 1,
                      "propriedade obrigatória 'Title' ausente ou vazia"},
        BadDefinition{"EmptySql", Replace(kMinimal, "('SELECT 1 AS A')", "('  ')"), 1,
                      "propriedade obrigatória 'SQL.Strings' ausente ou vazia"},
        BadDefinition{
            "NoColumns",
            Replace(kMinimal, "  object colA: TReportColumn\n    FieldName = 'A'\n  end\n", ""), 1,
            "o relatório não tem nenhuma coluna"},
        BadDefinition{"WrongColumnClass", Replace(kMinimal, "TReportColumn", "TLabel"), 5,
                      "esperado 'object colA: TReportColumn'"},
        BadDefinition{
            "WidthAsText",
            Replace(kMinimal, "    FieldName = 'A'\n", "    FieldName = 'A'\n    Width = 'x'\n"), 7,
            "Width: esperado número inteiro, encontrado texto"},
        BadDefinition{"UnknownFormat",
                      Replace(kMinimal, "    FieldName = 'A'\n",
                              "    FieldName = 'A'\n    Format = 'moeda'\n"),
                      7,
                      "Format: formato 'moeda' inválido; esperado um de: '', date, datetime, "
                      "integer, float2"},
        BadDefinition{"WrongRootClass", Replace(kMinimal, "TReportDefinition", "TForm"), 1,
                      "esperado 'object Report: TReportDefinition'"},
        BadDefinition{"HeaderPlaceholderUnclosed",
                      Replace(kMinimal, "  Title = 'Outro'\n",
                              "  Title = 'Outro'\n  HeaderLine = 'De {P_A|\"-\"'\n"),
                      4, "HeaderLine: '{' sem '}' (caractere 4 da linha de cabeçalho)"},
        BadDefinition{
            "HeaderConditionWithoutText",
            Replace(kMinimal, "  Title = 'Outro'\n",
                    "  Title = 'Outro'\n  HeaderLine = '{P_A=T}'\n"),
            4, "HeaderLine: esperado ':' depois de 'P_A=T' (caractere 7 da linha de cabeçalho)"},
        BadDefinition{
            "HeaderNameNotAName",
            Replace(kMinimal, "  Title = 'Outro'\n",
                    "  Title = 'Outro'\n  HeaderLine = 'x { 1A }'\n"),
            4, "HeaderLine: nome de parâmetro inválido '1A' (caractere 5 da linha de cabeçalho)"},
        BadDefinition{"HeaderParameterTheQueryLacks",
                      Replace(kMinimal, "  Title = 'Outro'\n",
                              "  Title = 'Outro'\n  HeaderLine = 'De {P_DATAINI}'\n"),
                      1,
                      "a linha de cabeçalho usa o parâmetro 'P_DATAINI', que a consulta não tem"}),
    [](const auto& info) { return std::string(info.param.name); });

// Query texts that hold one statement for every database they run on, and
// texts that hide a second one from a reader that knows less than that
// database does. `sqlite` runs on SQLite (and on PostgreSQL when `postgres`
// is empty); `refused` is the end of the message, empty when read.
struct StatementText {
    const char* name;
    QString sqlite;
    QString postgres;
    QString refused;
};

void PrintTo(const StatementText& row, std::ostream* os) { *os << row.name; }

QByteArray WithQueries(const StatementText& row) {
    const auto lines = [](const QString& sql) {
        QStringList quoted;
        for (QString line : sql.split('\n')) quoted << "'" + line.replace("'", "''") + "'";
        return quoted.join(' ').toUtf8();
    };
    QByteArray text = "object Report: TReportDefinition\n  Code = 'RCL047'\n  Title = 'T'\n"
                      "  SQL.Strings = (" + lines(row.sqlite) + ")\n";
    if (!row.postgres.isEmpty()) text += "  SQLPostgreSQL.Strings = (" + lines(row.postgres) + ")\n";
    // Windows-1252, as definitions are written: U+00A0 is one byte.
    text += "  object colA: TReportColumn\n    FieldName = 'A'\n  end\nend\n";
    return text.replace("\xC2\xA0", "\xA0");
}

class OneStatement : public ::testing::TestWithParam<StatementText> {};

TEST_P(OneStatement, IsReadAndAnyOtherCountRefusedNamingTheQuery) {
    const StatementText& row = GetParam();
    QString error;
    try {
        ReportDefinition::ReadFromText(WithQueries(row), "x.rpt");
    } catch (const EDefinitionError& e) {
        error = e.Message();
    }
    if (row.refused.isEmpty())
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    else
        EXPECT_TRUE(error.startsWith("x.rpt:1:1: Report: a consulta ") && error.endsWith(row.refused))
            << error.toStdString();
}

const QString kTwo = QString::fromUtf8("; um relatório roda um só comando");
const QString kDollar = QString::fromUtf8("tem um '$' colado a um parâmetro");

INSTANTIATE_TEST_SUITE_P(
    Texts, OneStatement,
    ::testing::Values(
        StatementText{"SemicolonsInStringsNamesAndComments",
                      "SELECT ';' AS \"a;\", 'it''s;' AS A -- ;\nFROM t /* ; */", "", ""},
        StatementText{"UnterminatedComment", "SELECT 1 AS A /* ; DELETE FROM t", "",
                      "SQL.Strings não pode ser lida: tem um comentário /* sem o */ que o fecha"},
        StatementText{"SqliteBracketNameHidesNothingOnSqlite", "SELECT [a;b] AS A FROM t",
                      "SELECT 1 AS A", ""},
        StatementText{"SqliteBracketNameIsTwoStatementsOnPostgres", "SELECT [a;b] AS A FROM t", "",
                      "SQL.Strings tem mais de um comando (o segundo começa em \"b] AS A FROM t\")" + kTwo},
        StatementText{"DollarQuoteOnPostgres", "SELECT 1 AS A", "SELECT $x$;'$x$ AS A, $$;$$", ""},
        StatementText{"DollarQuoteLeftOpen", "SELECT 1 AS A", "SELECT $x$ AS A; DELETE FROM t",
                      "SQLPostgreSQL.Strings não pode ser lida: tem uma cadeia $x$ sem o $x$ que a fecha"},
        StatementText{"EscapedQuoteInAnEString", "SELECT 1 AS A", "SELECT E'\\';' AS A; DELETE FROM t",
                      "SQLPostgreSQL.Strings tem mais de um comando (o segundo começa em \"DELETE FROM "
                      "t\")" + kTwo},
        StatementText{"NestedCommentOnPostgres", "SELECT 1 AS A",
                      "SELECT 1 AS A /* /* */ ; DELETE FROM t */",
                      "SQLPostgreSQL.Strings tem mais de um comando (o segundo começa em \"DELETE "
                      "FROM t */\")" + kTwo},
        StatementText{"CommentInAnEStringHidesADelete", "SELECT 1 AS A",
                      "SELECT E'\\'--', $a$ \nx';DELETE FROM limpeza;--$a$",
                      "SQLPostgreSQL.Strings tem mais de um comando (o segundo começa em \"DELETE "
                      "FROM limpeza;--$a$\")" + kTwo},
        StatementText{"ParameterBecomingADollarTag", "SELECT 1 AS A",
                      "SELECT $a:P_X, $a$;DELETE FROM t; -- $a$", "SQLPostgreSQL.Strings " + kDollar},
        StatementText{"DollarInANameAfterADigit", "SELECT 1 AS A", "SELECT 1$a$;DELETE$a$",
                      "SQLPostgreSQL.Strings não pode ser lida: tem um '$' colado a um número"},
        StatementText{"NoBreakSpaceIsPartOfAName", "SELECT 1 AS A",
                      "SELECT\u00A0$a$;DELETE FROM t;SELECT\u00A0$a$ AS A",
                      "SQLPostgreSQL.Strings tem mais de um comando (o segundo começa em \"DELETE "
                      "FROM t;SELECT $a$ AS A\")" + kTwo}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReportDefinitionSyntax, ReaderErrorKeepsItsLine) {
    QTemporaryDir dir;
    const QString path = dir.filePath("bad.rpt");
    WriteFile(path, Replace(kMinimal, "  Code = 'RCL047'\n", "  Code = 'RCL047\n"));
    try {
        ReportDefinition::Read(path);
        FAIL() << "no exception";
    } catch (const EDefinitionError& error) {
        EXPECT_EQ(error.Line(), 2) << error.what();
    }
}

TEST(ReportDefinitionWrite, RoundTripKeepsEverything) {
    QTemporaryDir dir;
    ReportDefinition report = ReportDefinition::Read(ReportPath("RCL047_detalhado.rpt"));
    report.title = "Título com 'aspas' e ç";
    report.columns[0].width = 12.5;
    report.columns.append(ReportColumn{"", "X", "Sem nome", 10, 2, "float2", true});
    report.Write(dir.filePath("copy.rpt"));
    const ReportDefinition back = ReportDefinition::Read(dir.filePath("copy.rpt"));
    EXPECT_EQ(back.title, report.title);
    EXPECT_EQ(back.sql, report.sql);
    EXPECT_EQ(back.groupField, report.groupField);
    EXPECT_EQ(back.headerLine, report.headerLine);
    ASSERT_EQ(back.columns.size(), 5);
    EXPECT_EQ(back.columns[0].width, 12.5);
    EXPECT_EQ(back.columns[4].name, "col5");
    EXPECT_EQ(back.columns[4].format, "float2");
    EXPECT_EQ(back.columns[4].alignment, 2);
}

TEST(ReportDefinitionWrite, UnwritablePlaceRaises) {
    const ReportDefinition report = ReportDefinition::Read(ReportPath("RCL047_resumo.rpt"));
    EXPECT_THROW(report.Write("/nonexistent-folder/x.rpt"), Exception);
}

TEST(FindReports, ByCodeSortedByTitleWithProblemsListed) {
    QTemporaryDir dir;
    for (const char* file : {"RCL047_detalhado.rpt", "RCL047_resumo.rpt"})
        ASSERT_TRUE(QFile::copy(ReportPath(file), dir.filePath(file)));
    WriteFile(dir.filePath("a_outro.rpt"), Replace(kMinimal, "RCL047", "RCL048"));
    WriteFile(dir.filePath("b_outro.rpt"), Replace(kMinimal, "'Outro'", "'Ab'"));
    WriteFile(dir.filePath("quebrado.rpt"), "object Report: TReportDefinition\n");
    WriteFile(dir.filePath("ignorado.txt"), kMinimal);

    QStringList problems;
    const QList<ReportDefinition> found = FindReports(dir.path(), "RCL047", &problems);
    QStringList titles;
    for (const ReportDefinition& report : found) titles << report.title;
    EXPECT_EQ(titles, QStringList({"Ab", "Limpeza de Dados - Detalhado",
                                   "Limpeza de Dados - Resumo por Sistema"}));
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].startsWith(dir.filePath("quebrado.rpt") + ":2"))
        << problems[0].toStdString();
    EXPECT_TRUE(FindReports(dir.path(), "RCL999").isEmpty());
}

TEST(ReportDefinitionWriteNew, CodeAndTitleSlugNeverTaken) {
    QTemporaryDir dir;
    ReportDefinition report = ReportDefinition::Read(ReportPath("RCL047_resumo.rpt"));
    report.title = "  Meu Relatório: Ação/Março!! ";
    const QString first = report.WriteNew(dir.path());
    EXPECT_EQ(QFileInfo(first).fileName(), "RCL047_meu_relatorio_acao_marco.rpt");
    report.title = "Meu relatório ação março";
    EXPECT_EQ(QFileInfo(report.WriteNew(dir.path())).fileName(),
              "RCL047_meu_relatorio_acao_marco_2.rpt");
    report.title = "???";
    EXPECT_EQ(QFileInfo(report.WriteNew(dir.path())).fileName(), "RCL047_relatorio.rpt");
    EXPECT_EQ(ReportDefinition::Read(first).title, "  Meu Relatório: Ação/Março!! ")
        << "the first file is kept";
}

}  // namespace
