#pragma once

// The version record a module exports as the symbol "ModuleVersion", so the
// host can show it without opening the module's screen. Texts are UTF-8.
extern "C" struct TModuleVersion {
    unsigned short major;
    unsigned short minor;
    unsigned short release;
    unsigned short build;
    const char* fileVersion;     // as written in the version strings: "4.07.010"
    const char* productVersion;
    unsigned short language;     // 0x0416: Portuguese (Brazil)
    unsigned short codePage;     // 1252
    const char* companyName;
    const char* fileDescription;
    const char* productName;
    const char* internalName;
    const char* legalCopyright;
};

constexpr const char* kModuleVersionSymbol = "ModuleVersion";
constexpr const char* kModuleEntrySymbol = "IniProc";
