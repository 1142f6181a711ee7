// Where the host looks for its modules, reports and help when the command
// line does not say: installed, from its install prefix; in the build tree,
// from the same layout beside itself; never from the tree it was built in.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "HostOptions.h"

namespace {

// A root holding an installed host's folders, as the Debian package lays
// them out under /usr, and a build tree's bin folder beside it.
class HostTree {
public:
    QString Path(const QString& relative) const {
        return QDir::cleanPath(root_.filePath(relative));
    }
    void Folder(const QString& relative) const { QDir().mkpath(Path(relative)); }
    void File(const QString& relative) const {
        QFile file(Path(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    void Link(const QString& target, const QString& relative) const {
        QFile::link(target, Path(relative));
    }
    HostOptions Parse(const QString& hostDir, const QStringList& arguments = {}) const {
        return HostOptions::Parse(QStringList{"rclhost"} + arguments, Path(hostDir));
    }

private:
    QTemporaryDir root_;
};

class InstalledHost : public ::testing::Test {
protected:
    void SetUp() override {
        tree.Folder("usr/bin");
        tree.Folder("usr/lib/rclhost/modules");
        tree.Folder("usr/share/rclhost/reports");
    }
    HostTree tree;
};

TEST_F(InstalledHost, LoadsEachModuleOfItsModulesFolderOnceAndReadsItsOwnShare) {
    tree.File("usr/lib/rclhost/modules/zz9000.so");
    tree.File("usr/lib/rclhost/modules/rcl04700.so.4.7.10");
    tree.Link("rcl04700.so.4.7.10", "usr/lib/rclhost/modules/rcl04700.so.4");
    tree.Link("rcl04700.so.4", "usr/lib/rclhost/modules/rcl04700.so");
    tree.File("usr/lib/rclhost/modules/LEIAME.txt");
    const HostOptions options = tree.Parse("usr/bin");
    EXPECT_EQ(options.error, "");
    EXPECT_EQ(options.modules, QStringList({tree.Path("usr/lib/rclhost/modules/rcl04700.so"),
                                            tree.Path("usr/lib/rclhost/modules/zz9000.so")}));
    EXPECT_EQ(options.reportsDir, tree.Path("usr/share/rclhost/reports"));
    EXPECT_EQ(options.helpDir, tree.Path("usr/share/rclhost/help"));
}

TEST_F(InstalledHost, EmptyModulesFolderIsNamedInsteadOfAnEmptyMenu) {
    EXPECT_EQ(tree.Parse("usr/bin").error, QString::fromUtf8("Nenhum módulo encontrado em %1")
                                               .arg(tree.Path("usr/lib/rclhost/modules")));
    const HostOptions given =
        tree.Parse("usr/bin", {"--module", "/opt/outro.so", "--reports", "/opt/relatorios"});
    EXPECT_EQ(given.error, "");
    EXPECT_EQ(given.modules, QStringList{"/opt/outro.so"});
    EXPECT_EQ(given.reportsDir, "/opt/relatorios");
}

// The build tree has the installed layout beside the host: the modules
// folder's modules, never the host's own libraries built beside it.
TEST(BuildTreeHost, LoadsEachModuleOfItsModulesFolderBesideIt) {
    HostTree tree;
    tree.Folder("build/bin/reports");
    tree.Folder("build/bin/modules");
    tree.File("build/bin/libhost.so");
    tree.File("build/bin/modules/zz9000.so");
    tree.File("build/bin/modules/rcl04700.so.4.7.10");
    tree.Link("rcl04700.so.4.7.10", "build/bin/modules/rcl04700.so");
    const HostOptions options = tree.Parse("build/bin");
    EXPECT_EQ(options.error, "");
    EXPECT_EQ(options.modules, QStringList({tree.Path("build/bin/modules/rcl04700.so"),
                                            tree.Path("build/bin/modules/zz9000.so")}));
    EXPECT_EQ(options.reportsDir, tree.Path("build/bin/reports"));
    EXPECT_EQ(options.helpDir, tree.Path("build/bin/help"));
}

}  // namespace
