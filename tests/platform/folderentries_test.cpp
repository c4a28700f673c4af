#include "platform/folderentries.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <map>
#include <string>

namespace {

// What each entry is taken for, links as the callers need them told apart.
TEST(FolderEntries, TellsFilesFoldersAndLinksApartAndLeavesOutHiddenOnes) {
    QTemporaryDir temp;
    const std::string base = temp.path().toStdString() + "/";
    ASSERT_TRUE(QDir().mkpath(temp.path() + "/folder"));
    ASSERT_TRUE(QFile(temp.path() + "/file").open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile(temp.path() + "/.hidden").open(QIODevice::WriteOnly));
    ASSERT_EQ(symlink("file", (base + "to-file").c_str()), 0);
    ASSERT_EQ(symlink("folder", (base + "to-folder").c_str()), 0);
    ASSERT_EQ(symlink("missing", (base + "dangling").c_str()), 0);

    struct Kind {
        bool file, folder, realFolder;
        bool operator==(const Kind&) const = default;
    };
    std::map<std::string, Kind> seen;
    EXPECT_EQ(ForEachFolderEntry(base,
                                 [&](const FolderEntry& e) {
                                     seen[e.name()] = {e.isFile(), e.isFolder(), e.isRealFolder()};
                                     return true;
                                 }),
              0);
    const std::map<std::string, Kind> expected = {
        {"file", {true, false, false}},      {"folder", {false, true, true}},
        {"to-file", {true, false, false}},   {"to-folder", {false, true, false}},
        {"dangling", {false, false, false}},
    };
    EXPECT_TRUE(seen == expected) << seen.size() << " entries";

    int visits = 0;
    EXPECT_EQ(ForEachFolderEntry(base, [&](const FolderEntry&) { return ++visits < 2; }), 0);
    EXPECT_EQ(visits, 2);  // stopped when asked
    EXPECT_EQ(ForEachFolderEntry(base + "missing", [](const FolderEntry&) { return true; }),
              ENOENT);
    EXPECT_EQ(ForEachFolderEntry(base + "file", [](const FolderEntry&) { return true; }), ENOTDIR);
}

}  // namespace
