#include "DatabasePassword.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QLineEdit>
#include <QMutex>

#include "DatabaseUrl.h"
#include "Forms.h"

namespace {

QMutex sessionLock;

// Typed passwords by database (its description names server, user and
// database), for connections made later, on any thread.
QHash<QString, QString>& SessionPasswords() {
    static QHash<QString, QString> passwords;
    return passwords;
}

}  // namespace

TfrmSenhaBanco::TfrmSenhaBanco(const QString& user, const QString& database, const QString& note,
                               QWidget* parent)
    : TfrmInputQuery(QStringLiteral("Senha do banco de dados"),
                     (note.isEmpty() ? QString() : note + u'\n') +
                         QStringLiteral("Senha do usuário %1 em %2:").arg(user, database),
                     QString(), parent),
      database_(database) {
    Field().setEchoMode(QLineEdit::Password);
    Field().setObjectName(QStringLiteral("edtSenha"));
}

bool AskDatabasePassword(const HostConfig& config, QString& password, const QString& note) {
    const QString user =
        config.databaseUser.isEmpty() ? qEnvironmentVariable("USER") : config.databaseUser;
    const QString ignored = IgnoredPasswordFile();
    const QString why = note.isEmpty() ? ignored : ignored.isEmpty() ? note : note + u'\n' + ignored;
    TfrmSenhaBanco dialog(user, DatabaseDescription(config), why, QApplication::activeWindow());
    if (Application->ExecModal(dialog) != QDialog::Accepted) return false;
    password = dialog.Value();
    return true;
}

// As libpq finds it: PGPASSFILE, else .pgpass in the home folder (HOME,
// else the user's entry in the system).
QString IgnoredPasswordFile() {
    QString path = qEnvironmentVariable("PGPASSFILE");
    if (path.isEmpty()) {
        QString home = qEnvironmentVariable("HOME");
        if (home.isEmpty())
            if (const passwd* entry = ::getpwuid(::geteuid())) home = QFile::decodeName(entry->pw_dir);
        if (home.isEmpty()) return {};
        path = home + QStringLiteral("/.pgpass");
    }
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) return {};
    if (!S_ISREG(status.st_mode))
        return QStringLiteral("O arquivo de senhas %1 foi ignorado: ele não é um arquivo comum.").arg(path);
    if ((status.st_mode & (S_IRWXG | S_IRWXO)) == 0) return {};
    return QStringLiteral("O arquivo de senhas %1 foi ignorado: outros usuários podem lê-lo "
                          "(permissões %2); deixe-o só para o dono (chmod 600 %1).")
        .arg(path, QString::number(status.st_mode & 07777, 8).rightJustified(4, u'0'));
}

QString DatabasePassword(const HostConfig& config) {
    if (!config.databasePassword.isEmpty()) return config.databasePassword;
    const QMutexLocker locker(&sessionLock);
    return SessionPasswords().value(DatabaseDescription(config));
}

void KeepDatabasePassword(const HostConfig& config, const QString& password) {
    const QMutexLocker locker(&sessionLock);
    if (password.isEmpty())
        SessionPasswords().remove(DatabaseDescription(config));
    else
        SessionPasswords().insert(DatabaseDescription(config), password);
}
