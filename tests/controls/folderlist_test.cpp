#include "platform/folderlist.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

class FolderList : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(temp.isValid()); }

    QString path(const QString& name = {}) const { return temp.path() + u'/' + name; }
    void makeDir(const QString& name) { ASSERT_TRUE(QDir().mkpath(path(name))); }
    void makeFile(const QString& name) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    void makeLink(const QString& target, const QString& name) {
        ASSERT_TRUE(QFile::link(target, path(name)));
    }

    QTemporaryDir temp;
};

QStringList Sorted(QStringList names) {
    names.sort();
    return names;
}

TEST_F(FolderList, ListsVisibleFoldersAndLinksToFolders) {
    makeDir("b");
    makeDir("A");
    makeDir(".hidden");
    makeDir("\u5199\u771f");  // Japanese name
    makeFile("file.txt");
    makeFile(".profile");
    makeLink(path("A"), "toA");
    makeLink(path("file.txt"), "toFile");
    makeLink(path("gone"), "broken");
    makeLink(path(".hidden"), ".toHidden");

    const std::optional<QStringList> names = ListSubFolders(path());
    ASSERT_TRUE(names.has_value());
    EXPECT_EQ(Sorted(*names), Sorted({"A", "b", "toA", "\u5199\u771f"}));
}

TEST_F(FolderList, ProbeFindsOnlyVisibleFolders) {
    const struct {
        const char* name;
        const char* dirs[2];
        const char* files[2];
        bool expected;
    } rows[] = {
        {"empty", {}, {}, false},
        {"files and hidden", {".git"}, {"a.jpg", ".x"}, false},
        {"one folder", {"sub"}, {"a.jpg"}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString case_ = QString::fromLatin1(row.name) + u'/';
        makeDir(case_);
        for (const char* d : row.dirs) {
            if (d != nullptr) makeDir(case_ + QString::fromLatin1(d));
        }
        for (const char* f : row.files) {
            if (f != nullptr) makeFile(case_ + QString::fromLatin1(f));
        }
        EXPECT_EQ(HasSubFolder(path(case_)), row.expected);
        const std::optional<QStringList> names = ListSubFolders(path(case_));
        ASSERT_TRUE(names.has_value());
        EXPECT_EQ(!names->isEmpty(), row.expected);
    }
}

TEST_F(FolderList, UnreadableFolderIsNotListed) {
    makeFile("plain");
    EXPECT_FALSE(ListSubFolders(path("missing/")).has_value());
    EXPECT_FALSE(ListSubFolders(path("plain/")).has_value());
    EXPECT_FALSE(HasSubFolder(path("missing/")));

    if (geteuid() == 0) return;  // permissions do not stop root
    makeDir("locked/sub");
    ASSERT_EQ(chmod(QFile::encodeName(path("locked")).constData(), 0), 0);
    EXPECT_FALSE(ListSubFolders(path("locked/")).has_value());
    EXPECT_FALSE(HasSubFolder(path("locked/")));
    chmod(QFile::encodeName(path("locked")).constData(), 0700);
}

TEST(FolderListDrives, TheRootIsTheOneFixedDrive) {
    const std::vector<DriveEntry> drives = ListDrives();
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives[0].name, "/");
    EXPECT_TRUE(drives[0].fixed);
}

}  // namespace
