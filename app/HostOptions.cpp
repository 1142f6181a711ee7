#include "HostOptions.h"

#include <QDir>

#include "ConfigFile.h"
#include "HostFolders.h"

namespace {

int SampleRows(const QString& value, QString& error) {
    bool ok = false;
    const int rows = value.toInt(&ok);
    if (!ok || rows < 1 || rows > 100'000'000)
        error = QStringLiteral("O número de limpezas de exemplo de --sample deve ser de 1 a 100000000: %1").arg(value);
    return rows;
}

// A day of the years 1 to 9999, written as AAAA-MM-DD.
QDate Today(const QString& value, QString& error) {
    const QDate day = value.size() == 10 ? QDate::fromString(value, Qt::ISODate) : QDate();
    if (!day.isValid() || day.year() < 1)
        error = QStringLiteral("A data de --today deve ser um dia que existe, escrito AAAA-MM-DD: %1")
                    .arg(value.left(40));
    return day;
}

bool TakesValue(const QString& name) {
    return name == "--module" || name == "--reports" || name == "--help-dir" || name == "--db" ||
           name == "--script" || name == "--out" || name == "--config" || name == "--sample" ||
           name == "--today";
}

// The options as written, without the defaults; false with options.error
// set at the first that cannot be used.
bool ReadArguments(const QStringList& arguments, HostOptions& options) {
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& name = arguments[i];
        if (name == "--create-db") {
            options.createDatabase = true;
            continue;
        }
        if (!TakesValue(name)) {
            options.error = QStringLiteral("Opção desconhecida: %1 (rclhost --help lista as opções)").arg(name);
            return false;
        }
        if (i + 1 >= arguments.size()) {
            options.error = QStringLiteral("Falta o valor da opção %1").arg(name);
            return false;
        }
        const QString& value = arguments[++i];
        if (name == "--module") options.modules << value;
        else if (name == "--reports") options.reportsDir = value;
        else if (name == "--help-dir") options.helpDir = value;
        else if (name == "--db") options.database = value;
        else if (name == "--script") options.script = value;
        else if (name == "--config") options.configFile = value;
        else if (name == "--sample") options.sampleRows = SampleRows(value, options.error);
        else if (name == "--today") options.today = Today(value, options.error);
        else options.outputDir = value;
        if (!options.error.isEmpty()) return false;
    }
    if (options.sampleRows > 0 && !options.createDatabase) {
        options.error = QStringLiteral("A opção --sample só vale com --create-db");
        return false;
    }
    return true;
}

}  // namespace

QString HostOptions::Information(const QStringList& arguments) {
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& name = arguments[i];
        if (name == "--help" || name == "-h") return Usage();
        if (name == "--version") return QStringLiteral("rclhost " RCLHOST_VERSION "\n");
        if (TakesValue(name)) ++i;
        else if (name != "--create-db") break;
    }
    return {};
}

QString HostOptions::ArgumentError(const QStringList& arguments) {
    HostOptions options;
    ReadArguments(arguments, options);
    return options.error;
}

QString HostOptions::Usage() {
    return QStringLiteral(
        "Uso: rclhost [OPÇÃO]...\n"
        "     rclhost --db BANCO --create-db [--sample LINHAS]\n"
        "Gestão Empresarial: abre os módulos (telas de relatório) numa janela, ou roda\n"
        "um script de ações do usuário sem tela.\n"
        "\n"
        "  --module ARQUIVO   carrega este módulo (repetível; padrão: os módulos\n"
        "                     instalados)\n"
        "  --reports PASTA    a pasta das definições de relatório\n"
        "  --help-dir PASTA   a pasta das páginas de ajuda\n"
        "  --db BANCO         o banco de dados dos relatórios: um arquivo SQLite que\n"
        "                     existe ou postgresql://usuário@servidor:porta/banco\n"
        "                     (padrão: [database] url do arquivo de configuração;\n"
        "                     sem nenhum, os dados de demonstração)\n"
        "  --create-db        cria as tabelas dos relatórios no banco de --db (ou um\n"
        "                     arquivo SQLite novo) e termina\n"
        "  --sample LINHAS    com --create-db, grava também LINHAS limpezas de exemplo\n"
        "  --script ARQUIVO   roda o script de ações sem tela ('-': a entrada padrão)\n"
        "  --out PASTA        onde o script grava relatórios e imagens (padrão: out/)\n"
        "  --config ARQUIVO   o arquivo de configuração (padrão:\n"
        "                     ~/.config/rclhost/rclhost.conf)\n"
        "  --today AAAA-MM-DD fixa a data de hoje (\"H\" e os períodos partem dela)\n"
        "  -h, --help         mostra esta ajuda e termina\n"
        "  --version          mostra a versão e termina\n"
        "\n"
        "Situação de saída: 0 sem erro; 1 quando o programa falha; 2 num erro do script.\n"
        "Mais em: man rclhost\n");
}

HostOptions HostOptions::Parse(const QStringList& arguments, const QString& hostDir) {
    HostOptions options;
    if (!ReadArguments(arguments, options)) return options;
    const HostFolders folders = HostFolders::Of(hostDir);
    if (options.modules.isEmpty()) options.modules = folders.modules;
    if (options.modules.isEmpty()) options.error = QStringLiteral("Nenhum módulo encontrado em %1").arg(folders.modulesDir);
    if (options.reportsDir.isEmpty()) options.reportsDir = folders.reportsDir;
    if (options.helpDir.isEmpty()) options.helpDir = folders.helpDir;
    options.sampleDatabase = folders.userDataDir + "/sample.db";
    options.userReportsDir = folders.userReportsDir;
    if (options.outputDir.isEmpty()) options.outputDir = QDir::currentPath() + "/out";
    options.configRequired = !options.configFile.isEmpty();
    if (options.configFile.isEmpty()) options.configFile = DefaultConfigFile();
    return options;
}
