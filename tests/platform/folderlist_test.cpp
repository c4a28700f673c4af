#include "platform/folderlist.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/support/filebytes.h"
#include "tests/support/unprivileged.h"

namespace {

TEST(FolderList, ListsVisibleFoldersAndLinksToFolders) {
    QTemporaryDir temp;
    const QString base = temp.path() + u'/';
    for (const char* dir : {"b", "A", ".hidden", "\xe5\x86\x99\xe7\x9c\x9f", "files/x.jpg.d"}) {
        ASSERT_TRUE(QDir().mkpath(base + QString::fromUtf8(dir)));
    }
    ASSERT_TRUE(WriteFileBytes(base + "file.txt", {}));
    ASSERT_TRUE(QFile::link(base + "A", base + "toA"));
    ASSERT_TRUE(QFile::link(base + "file.txt", base + "toFile"));
    ASSERT_TRUE(QFile::link(base + "gone", base + "broken"));
    ASSERT_TRUE(QFile::link(base + ".hidden", base + ".toHidden"));

    std::optional<QStringList> names = ListSubFolders(base);
    ASSERT_TRUE(names.has_value());
    names->sort();
    EXPECT_EQ(*names, (QStringList{"A", "b", "files", "toA", "\u5199\u771f"}));
    EXPECT_TRUE(HasSubFolder(base));
    EXPECT_TRUE(HasSubFolder(base + "files/"));
    EXPECT_FALSE(HasSubFolder(base + "files/x.jpg.d/"));
    EXPECT_FALSE(HasSubFolder(base + ".hidden/"));
    EXPECT_EQ(ListSubFolders(base + "A/"), QStringList{});  // empty, yet read
}

TEST(FolderList, UnreadableFolderIsNotListed) {
    QTemporaryDir temp;
    const QString base = temp.path() + u'/';
    ASSERT_TRUE(WriteFileBytes(base + "plain", {}));
    EXPECT_FALSE(ListSubFolders(base + "missing/").has_value());
    EXPECT_FALSE(ListSubFolders(base + "plain/").has_value());
    EXPECT_FALSE(HasSubFolder(base + "missing/"));

    ASSERT_TRUE(QDir().mkpath(base + "locked/sub"));
    AsUnprivileged(temp.path().toStdString(), [&] {
        const QByteArray locked = QFile::encodeName(base + "locked");
        ASSERT_EQ(chmod(locked.constData(), 0), 0);
        EXPECT_FALSE(ListSubFolders(base + "locked/").has_value());
        EXPECT_FALSE(HasSubFolder(base + "locked/"));
        chmod(locked.constData(), 0700);
    });
}

TEST(FolderList, TheRootIsTheOneFixedDrive) {
    const std::vector<DriveEntry> drives = ListDrives();
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives[0].name, "/");
    EXPECT_TRUE(drives[0].fixed);
}

}  // namespace
