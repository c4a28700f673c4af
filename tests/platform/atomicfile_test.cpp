#include "platform/atomicfile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <csignal>
#include <fstream>
#include <iterator>

#include "tests/support/filesizelimit.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class AtomicFileTest : public ::testing::Test {
protected:
    std::string path(const char* name) const {
        return dir_.filePath(QString::fromUtf8(name)).toStdString();
    }
    QStringList entries() const {
        return QDir(dir_.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    QTemporaryDir dir_;
};

TEST_F(AtomicFileTest, CreatesAndReplacesKeepingPermissions) {
    const std::string file = path("名前.jpg");
    ASSERT_FALSE(WriteFileAtomically(file, "first"));
    EXPECT_EQ(ReadAll(file), "first");
    ASSERT_EQ(chmod(file.c_str(), 0640), 0);
    ASSERT_FALSE(WriteFileAtomically(file, std::string(100000, 'x')));
    EXPECT_EQ(ReadAll(file), std::string(100000, 'x'));
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(entries(), QStringList{QStringLiteral("名前.jpg")});
}

TEST_F(AtomicFileTest, ReplacesTheTargetOfALink) {
    const std::string target = path("real.ini");
    const std::string link = path("link.ini");
    ASSERT_FALSE(WriteFileAtomically(target, "old"));
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    ASSERT_FALSE(WriteFileAtomically(link, "new"));
    struct stat st {};
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadAll(target), "new");
}

TEST_F(AtomicFileTest, GivesTheNewFileItsTime) {
    const std::string file = path("a.jpg");
    AtomicWriteOptions options;
    options.modified = timespec{946684800, 0};  // 2000-01-01 00:00:00 UTC
    ASSERT_FALSE(WriteFileAtomically(file, "x", options));
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 946684800);
    EXPECT_EQ(st.st_mtim.tv_nsec, 0);
}

TEST_F(AtomicFileTest, FailureLeavesTheOldFileAndNoTemporary) {
    const std::string file = path("a.jpg");
    ASSERT_FALSE(WriteFileAtomically(file, "old content"));
    {
        FileSizeLimit limit(64);
        const std::error_code error = WriteFileAtomically(file, std::string(4096, 'n'));
        EXPECT_EQ(error, std::errc::file_too_large);
    }
    EXPECT_EQ(ReadAll(file), "old content");
    EXPECT_EQ(entries(), QStringList{QStringLiteral("a.jpg")});

    // A name longer than the file system takes fails at the rename.
    EXPECT_EQ(WriteFileAtomically(path("") + std::string(300, 'n') + ".jpg", "x"),
              std::errc::filename_too_long);
    // A folder that is a regular file fails at once.
    EXPECT_TRUE(WriteFileAtomically(file + "/b.jpg", "x"));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("a.jpg")});
}

TEST(AtomicTemporaryName, RecognisesOnlyItsOwnNames) {
    EXPECT_TRUE(IsAtomicTemporaryName(".thumbrix-a1b2c3d4.tmp"));
    EXPECT_FALSE(IsAtomicTemporaryName(".thumbrix-.tmp"));
    EXPECT_FALSE(IsAtomicTemporaryName("thumbrix-a1b2.tmp"));
    EXPECT_FALSE(IsAtomicTemporaryName(".thumbrix-a1b2.jpg"));
}

}  // namespace
