#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>

#include "SafeFile.h"
#include "SmallFileSystem.h"
#include "SysUtils.h"

namespace {

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void Put(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QStringList Files(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QString Numbered(int n) { return QStringLiteral("saida-%1.pdf").arg(n); }

TEST(SafeFile, CommitPutsTheWholeFileInPlaceAndLeavesNoTemporary) {
    QTemporaryDir dir;
    const QString target = dir.filePath("relatorio.pdf");
    Put(target, "antigo");
    SafeFile file(target);
    file.Device().write(QByteArray(200000, 'x'));
    EXPECT_EQ(Contents(target), "antigo") << "the target changes only on Commit";
    file.Commit();
    EXPECT_EQ(Contents(target), QByteArray(200000, 'x'));
    EXPECT_EQ(Files(dir.path()), QStringList{"relatorio.pdf"});
}

TEST(SafeFile, DroppedWithoutCommitKeepsTheEarlierFileAndRemovesItsTemporary) {
    QTemporaryDir dir;
    const QString target = dir.filePath("relatorio.pdf");
    Put(target, "antigo");
    {
        SafeFile file(target);
        file.Device().write("metade");
    }
    EXPECT_EQ(Contents(target), "antigo");
    EXPECT_EQ(Files(dir.path()), QStringList{"relatorio.pdf"});
}

TEST(SafeFile, AFolderThatDoesNotExistIsNamedWithItsReason) {
    QTemporaryDir dir;
    const QString target = dir.filePath("nao/existe/relatorio.pdf");
    try {
        SafeFile file(target);
        FAIL() << "a file in a missing folder was accepted";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("Não foi possível gravar %1: a pasta ou o arquivo não existe.")
                      .arg(QDir::toNativeSeparators(target)));
    }
}

TEST(SafeFile, AFullDiskFailsTheCommitAndKeepsTheEarlierFile) {
    SmallFileSystem disk(16);
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why().toStdString();
    const QString target = QDir(disk.Path()).filePath("relatorio.pdf");
    Put(target, "antigo");
    SafeFile file(target);
    file.Device().write(QByteArray(64 * 1024, 'x'));
    try {
        file.Commit();
        FAIL() << "a write that did not fit was reported as success";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().contains("o disco está cheio")) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains(target)) << e.Message().toStdString();
    }
    EXPECT_EQ(Contents(target), "antigo");
    EXPECT_EQ(Files(disk.Path()), QStringList{"relatorio.pdf"});
}

TEST(SafeFile, ClaimsTakeFreeNamesAndNeverOverwriteAnotherFile) {
    QTemporaryDir dir;
    Put(dir.filePath("saida-1.pdf"), "de outro");
    SafeFile first = SafeFile::ClaimNew(dir.path(), Numbered);
    SafeFile second = SafeFile::ClaimNew(dir.path(), Numbered);
    first.Device().write("primeiro");
    second.Device().write("segundo");
    EXPECT_TRUE(first.Target().isEmpty()) << "a name is taken only by Commit";
    second.Commit();
    first.Commit();
    EXPECT_EQ(Contents(dir.filePath("saida-1.pdf")), "de outro");
    EXPECT_EQ(second.Target(), dir.filePath("saida-2.pdf"));
    EXPECT_EQ(Contents(second.Target()), "segundo");
    EXPECT_EQ(Contents(first.Target()), "primeiro");
    EXPECT_EQ(Files(dir.path()), QStringList({"saida-1.pdf", "saida-2.pdf", "saida-3.pdf"}));
}

TEST(SafeFile, AFailedClaimLeavesNoFileAndNoName) {
    SmallFileSystem disk(16);
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why().toStdString();
    SafeFile file = SafeFile::ClaimNew(disk.Path(), Numbered);
    file.Device().write(QByteArray(64 * 1024, 'x'));
    EXPECT_THROW(file.Commit(), Exception);
    EXPECT_TRUE(Files(disk.Path()).isEmpty());
}

}  // namespace
