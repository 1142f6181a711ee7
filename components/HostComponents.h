#pragma once

#include <QMenu>
#include <QPointer>
#include <QString>

#include "Classes.h"
#include "HostExport.h"

// A context menu. The report screens keep theirs empty (see TfrmDadosGerRel).
class HOST_EXPORT TPopupMenu : public TComponent {
    Q_OBJECT
public:
    explicit TPopupMenu(QObject* owner = nullptr) : TComponent(owner) {}
};

// Asks for a file name to save to, through Application->ExecModal.
class HOST_EXPORT TSaveDialog : public TComponent {
    Q_OBJECT
public:
    explicit TSaveDialog(QObject* owner = nullptr) : TComponent(owner) {}
    void SetTitle(const QString& title) { title_ = title; }
    void SetFilter(const QString& filter) { filter_ = filter; }
    void SetDefaultExt(const QString& ext) { defaultExt_ = ext; }
    // True with the chosen name in FileName().
    bool Execute();
    const QString& FileName() const { return fileName_; }

private:
    QString title_;
    QString filter_;
    QString defaultExt_;
    QString fileName_;
};

// The report designer's connection settings. The reports here run on the
// host's report database (HostConfig), so it only names the connection.
class HOST_EXPORT TNetConnection : public TComponent {
    Q_OBJECT
public:
    explicit TNetConnection(QObject* owner = nullptr) : TComponent(owner) {}
    const QString& ConnectionName() const { return connectionName_; }
    void SetConnectionName(const QString& name) { connectionName_ = name; }

private:
    QString connectionName_ = QStringLiteral("relatorios");
};
