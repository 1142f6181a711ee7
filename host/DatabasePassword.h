#pragma once

#include <QString>

#include "HostConfig.h"
#include "HostExport.h"
#include "PesquisaLista.h"

// The password of the report database's server when libpq found none (in
// PGPASSWORD or its password file): asked of the person, kept in memory for
// the session only, never written anywhere.

// The prompt: which user on which database, a masked field, OK and Cancel.
class HOST_EXPORT TfrmSenhaBanco : public TfrmInputQuery {
    Q_OBJECT
public:
    TfrmSenhaBanco(const QString& user, const QString& database, QWidget* parent = nullptr);
    const QString& Database() const { return database_; }

private:
    QString database_;
};

// Shows the prompt (through Application->ExecModal); false when cancelled.
HOST_EXPORT bool AskDatabasePassword(const HostConfig& config, QString& password);

// The password to connect with: the configuration's, else the one typed for
// this database during the session.
HOST_EXPORT QString DatabasePassword(const HostConfig& config);
// Keeps a typed password for the session, or forgets it (empty).
HOST_EXPORT void KeepDatabasePassword(const HostConfig& config, const QString& password);
