// The host's way in: IniProc, the one screen it opens, its end, the help key,
// and what the built library shows to the host (exports, version record).
#include <dlfcn.h>

#include <QProcess>
#include <QRegularExpression>

#include "ModuleVersion.h"
#include "ScreenFixture.h"

namespace {

using ScreenEntry = ScreenTest;

TEST_F(ScreenEntry, SecondIniProcShowsTheSameScreenAndRestoresItFromMinimisedOrMaximised) {
    TfrmLimpDados& first = Open();
    for (TWindowState state : {wsMinimized, wsMaximized}) {
        first.SetWindowState(state);
        ASSERT_EQ(first.WindowState(), state);
        IniProc();
        EXPECT_EQ(frmLimpDados, &first);
        EXPECT_EQ(first.WindowState(), wsNormal);
    }
    EXPECT_EQ(ScreenCount(), 1);
    EXPECT_EQ(area->subWindowList().size(), 1);
    EXPECT_EQ(area->activeSubWindow(), first.SubWindow());
}

TEST_F(ScreenEntry, CursorIsTheDefaultAfterIniProcWhetherOrNotTheScreenExisted) {
    Screen->SetCursor(crArrow);
    Open();
    EXPECT_EQ(Screen->Cursor(), crDefault);
    Screen->SetCursor(crHourGlass);
    IniProc();
    EXPECT_EQ(Screen->Cursor(), crDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(ScreenEntry, AfterCloseIniProcBuildsAFreshScreen) {
    TfrmLimpDados& old = Open();
    QPointer<TfrmLimpDados> watch(&old);
    QTest::mouseClick(old.rbtListaSist, Qt::LeftButton);
    AnswerLookups({"Estoque"});
    QTest::mouseClick(old.sbtSist, Qt::LeftButton);
    ASSERT_FALSE(old.stListaSist.isEmpty());

    CloseScreen();
    EXPECT_TRUE(watch.isNull()) << "the closed screen is freed";
    EXPECT_FALSE(boStCriado);
    EXPECT_TRUE(area->subWindowList().isEmpty());

    TfrmLimpDados& fresh = Open();
    EXPECT_EQ(ScreenCount(), 1);
    EXPECT_TRUE(fresh.rbtTodosSist->Checked());
    EXPECT_FALSE(fresh.sbtSist->Enabled());
    EXPECT_EQ(fresh.stListaSist, "");
    ASSERT_EQ(fresh.cdsSist->RecordCount(), 4);
    for (fresh.cdsSist->First(); !fresh.cdsSist->Eof(); fresh.cdsSist->Next())
        EXPECT_EQ(fresh.cdsSistIDMARCADO->AsString(), "") << "no mark left from the closed screen's lookup";
}

TEST_F(ScreenEntry, CreationFailureLeavesNoScreenAndTheNextIniProcTriesAgain) {
    {
        FactoryOverride failing("TDateEditPlus", [](QObject*) -> QObject* { throw Exception("sem memória"); });
        Screen->SetCursor(crArrow);
        EXPECT_THROW(IniProc(), Exception);
        EXPECT_EQ(Screen->Cursor(), crDefault);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_FALSE(boStCriado);
        EXPECT_EQ(ScreenCount(), 0);
        EXPECT_TRUE(area->subWindowList().isEmpty());
    }
    TfrmLimpDados& screen = Open();
    EXPECT_EQ(ScreenCount(), 1);
    EXPECT_NE(screen.depDtIni, nullptr);
    EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(ScreenEntry, F1AsksForTheScreensHelpTopic) {
    TfrmLimpDados& screen = Open();
    screen.depDtIni->SetFocus();
    QTest::keyClick(screen.depDtIni, Qt::Key_F1);
    EXPECT_EQ(helpRequests, QStringList{"Cmphelp.hlp#10404900"});
    EXPECT_TRUE(messages.isEmpty());
}

struct Symbol {
    QString name;
    QChar type;  // nm's letter: T code, D/B/R data, W/V/u weak copies of inline and template code
};

// The dynamic symbols the built library defines, as nm lists them.
std::vector<Symbol> DefinedSymbols(bool demangled) {
    QProcess nm;
    QStringList args{"-D", "--defined-only", "--format=posix"};
    if (demangled) args << "-C";
    nm.start("nm", args << QStringLiteral(MODULE_PATH));
    EXPECT_TRUE(nm.waitForFinished(30000)) << "nm did not run";
    EXPECT_EQ(nm.exitCode(), 0) << nm.readAllStandardError().toStdString();
    // posix format: "<name> <type> <value> [<size>]"; demangled names may hold spaces.
    static const QRegularExpression line(QStringLiteral("^(.+) ([A-Za-z]) [0-9a-f]+( [0-9a-f]+)?$"),
                                         QRegularExpression::MultilineOption);
    std::vector<Symbol> symbols;
    for (auto it = line.globalMatch(QString::fromUtf8(nm.readAllStandardOutput())); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        symbols.push_back({match.captured(1), match.captured(2).at(0)});
    }
    return symbols;
}

bool IsPublicName(const QString& name) {
    static const QStringList names{"IniProc", "ModuleVersion", "frmLimpDados", "boStCriado", "CriaLimpDados()",
                                   "_init", "_fini", "_edata", "_end", "__bss_start"};
    return names.contains(name) || name.startsWith("TfrmLimpDados::") || name.endsWith(" for TfrmLimpDados");
}

TEST(ModuleLibrary, ExportsIniProcUndecoratedAndNoneOfItsInternalNames) {
    QStringList raw;
    for (const Symbol& symbol : DefinedSymbols(false)) raw << symbol.name;
    EXPECT_TRUE(raw.contains("IniProc")) << "IniProc must be exported under its plain name";
    EXPECT_TRUE(raw.contains("ModuleVersion"));

    // Weak copies of inline and template code from the shared headers (std,
    // Qt, framework) would keep their headers' visibility; the library's
    // export list keeps them inside too.
    QStringList internal;
    for (const Symbol& symbol : DefinedSymbols(true))
        if (!IsPublicName(symbol.name)) internal << symbol.name;
    EXPECT_TRUE(internal.isEmpty()) << "exported but not public: " << internal.join(", ").toStdString();
}

TEST(ModuleLibrary, VersionRecordIsPortugueseBrazil4_7_10_0) {
    void* handle = dlopen(MODULE_PATH, RTLD_NOW);
    ASSERT_NE(handle, nullptr) << dlerror();
    const auto* version = static_cast<const TModuleVersion*>(dlsym(handle, kModuleVersionSymbol));
    ASSERT_NE(version, nullptr);
    EXPECT_NE(dlsym(handle, kModuleEntrySymbol), nullptr);
    EXPECT_EQ((std::vector<int>{version->major, version->minor, version->release, version->build}),
              (std::vector<int>{4, 7, 10, 0}));
    EXPECT_STREQ(version->fileVersion, "4.07.010");
    EXPECT_STREQ(version->productVersion, "4.07.010");
    EXPECT_EQ(version->language, 0x0416);
    EXPECT_EQ(version->codePage, 1252);
    dlclose(handle);
}

}  // namespace
