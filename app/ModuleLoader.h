#pragma once

#include <QString>
#include <memory>

#include "ModuleVersion.h"

// A module loaded into the host's process: a shared library that exports
// IniProc (and, optionally, its version record).
class LoadedModule {
public:
    // Loads the library; throws Exception with a message in Portuguese when
    // the file is missing, cannot be loaded or lacks IniProc.
    explicit LoadedModule(const QString& path);
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    const QString& Path() const { return path_; }
    // The module's file name without folder and extension: its name in scripts.
    QString Name() const;
    // "Relatório de Limpeza de Dados (RCL04700) 4.07.010", or the file name.
    QString Title() const;
    const TModuleVersion* Version() const { return version_; }
    // Calls IniProc; whatever it throws goes on to the caller.
    void Open() const;

private:
    QString path_;
    void* handle_ = nullptr;
    void (*iniProc_)() = nullptr;
    const TModuleVersion* version_ = nullptr;
};
