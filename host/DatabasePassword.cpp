#include "DatabasePassword.h"

#include <QApplication>
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

TfrmSenhaBanco::TfrmSenhaBanco(const QString& user, const QString& database, QWidget* parent)
    : TfrmInputQuery(QStringLiteral("Senha do banco de dados"),
                     QStringLiteral("Senha do usuário %1 em %2:").arg(user, database), QString(),
                     parent),
      database_(database) {
    Field().setEchoMode(QLineEdit::Password);
    Field().setObjectName(QStringLiteral("edtSenha"));
}

bool AskDatabasePassword(const HostConfig& config, QString& password) {
    const QString user =
        config.databaseUser.isEmpty() ? qEnvironmentVariable("USER") : config.databaseUser;
    TfrmSenhaBanco dialog(user, DatabaseDescription(config), QApplication::activeWindow());
    if (Application->ExecModal(dialog) != QDialog::Accepted) return false;
    password = dialog.Value();
    return true;
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
