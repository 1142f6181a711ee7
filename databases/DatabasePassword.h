#pragma once

#include <QString>

#include "HostConfig.h"
#include "HostExport.h"
#include "Dialogs.h"

// The password of the report database's server when libpq found none (in
// PGPASSWORD or its password file): asked of the person, kept in memory for
// the session only, never written anywhere.

// The prompt: which user on which database, a masked field, OK and Cancel.
class HOST_EXPORT TfrmSenhaBanco : public TfrmInputQuery {
    Q_OBJECT
public:
    // `note`, when given, is a line above the question (why it is asked).
    TfrmSenhaBanco(const QString& user, const QString& database, const QString& note = {},
                   QWidget* parent = nullptr);
    const QString& Database() const { return database_; }

private:
    QString database_;
};

// Shows the prompt (through Application->ExecModal); false when cancelled.
// `note` says why it is asked when that is news: a password accepted earlier
// in the session and now refused, or a password file libpq ignored.
HOST_EXPORT bool AskDatabasePassword(const HostConfig& config, QString& password,
                                     const QString& note = {});

// The sentence naming libpq's password file (PGPASSFILE, else ~/.pgpass)
// when libpq ignores it for its permissions (others may read it) or because
// it is no regular file; empty when there is no such file or it is used.
HOST_EXPORT QString IgnoredPasswordFile();

// The password to connect with: the configuration's, else the one typed for
// this database during the session.
HOST_EXPORT QString DatabasePassword(const HostConfig& config);
// Keeps a typed password for the session, or forgets it (empty).
HOST_EXPORT void KeepDatabasePassword(const HostConfig& config, const QString& password);
