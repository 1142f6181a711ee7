#include "ModuleLoader.h"

#include <dlfcn.h>

#include <QFileInfo>

#include "SysUtils.h"

LoadedModule::LoadedModule(const QString& path) : path_(path) {
    if (!QFileInfo::exists(path)) throw Exception(QStringLiteral("Módulo não encontrado: %1").arg(path));
    handle_ = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_)
        throw Exception(QStringLiteral("Não foi possível carregar o módulo %1: %2").arg(path, QString::fromLocal8Bit(dlerror())));
    iniProc_ = reinterpret_cast<void (*)()>(dlsym(handle_, kModuleEntrySymbol));
    version_ = static_cast<const TModuleVersion*>(dlsym(handle_, kModuleVersionSymbol));
    if (!iniProc_) {
        dlclose(handle_);
        throw Exception(QStringLiteral("O módulo %1 não exporta IniProc.").arg(path));
    }
}

// The library stays loaded: its screens and class records may outlive this
// object until the application ends.
LoadedModule::~LoadedModule() = default;

QString LoadedModule::Name() const {
    QString name = QFileInfo(path_).completeBaseName();
    return name.startsWith("lib") ? name.mid(3) : name;
}

QString LoadedModule::Title() const {
    if (!version_) return Name();
    return QStringLiteral("%1 %2").arg(QString::fromUtf8(version_->fileDescription), QString::fromUtf8(version_->fileVersion));
}

void LoadedModule::Open() const { iniProc_(); }
