#include "platform/atomicfile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFileInfo>
#include <climits>
#include <csignal>
#include <ctime>

#include "tests/support/filebytes.h"
#include "tests/support/filesizelimit.h"
#include "tests/support/tempfolder.h"

namespace {

using AtomicFileTest = TempFolderTest;

TEST_F(AtomicFileTest, CreatesAndReplacesKeepingPermissions) {
    const std::string file = path("名前.jpg");
    ASSERT_FALSE(WriteFileAtomically(file, "first"));
    EXPECT_EQ(ReadFileBytes(file), "first");
    ASSERT_EQ(chmod(file.c_str(), 0640), 0);
    ASSERT_FALSE(WriteFileAtomically(file, std::string(100000, 'x')));
    EXPECT_EQ(ReadFileBytes(file), std::string(100000, 'x'));
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(entries(), QStringList{QStringLiteral("名前.jpg")});
}

TEST_F(AtomicFileTest, ReplacesTheTargetOfALinkWhenAskedTo) {
    const std::string target = path("real.ini");
    const std::string link = path("link.ini");
    ASSERT_FALSE(WriteFileAtomically(target, "old"));
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    AtomicWriteOptions options;
    options.followLink = true;
    ASSERT_FALSE(WriteFileAtomically(link, "new", options));
    struct stat st {};
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadFileBytes(target), "new");
}

// What a name may hold: only a regular file, a link to one, a dangling link
// or nothing is replaced, and then never what a link points to.
TEST_F(AtomicFileTest, NeverWritesThroughALinkOrOntoASpecialFile) {
    ASSERT_EQ(mkfifo(path("fifo").c_str(), 0644), 0);
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = path("socket");
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(mkdir(path("folder").c_str(), 0755), 0);
    ASSERT_FALSE(WriteFileAtomically(path("photo.jpg"), "photo"));
    struct Case {
        const char* name;
        const char* linkTo;  // null: the special file itself is at the name
        const char* reason;  // null: the link itself is replaced
    };
    const Case cases[] = {
        {"fifo", nullptr, "a FIFO is at that name, not a regular file"},
        {"socket", nullptr, "a socket is at that name, not a regular file"},
        {"to-fifo.jpg", "fifo", "a link to a FIFO is at that name, not to a regular file"},
        {"to-socket.jpg", "socket", "a link to a socket is at that name, not to a regular file"},
        {"to-folder.jpg", "folder", "a link to a folder is at that name, not to a regular file"},
        {"to-photo.jpg", "photo.jpg", nullptr},
        {"dangling.jpg", "missing", nullptr},
    };
    for (const Case& c : cases) {
        if (c.linkTo != nullptr) {
            ASSERT_EQ(symlink(path(c.linkTo).c_str(), path(c.name).c_str()), 0);
        }
        const std::error_code error = WriteFileAtomically(path(c.name), "thumbnail");
        struct stat st {};
        ASSERT_EQ(lstat(path(c.name).c_str(), &st), 0);
        if (c.reason != nullptr) {
            EXPECT_EQ(error.message(), c.reason) << c.name;
            EXPECT_FALSE(S_ISREG(st.st_mode)) << c.name;
        } else {
            EXPECT_FALSE(error) << c.name << ": " << error.message();
            EXPECT_TRUE(S_ISREG(st.st_mode)) << c.name;
            EXPECT_EQ(ReadFileBytes(path(c.name)), "thumbnail") << c.name;
        }
    }
    struct stat st {};
    ASSERT_EQ(lstat(path("fifo").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(lstat(path("socket").c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(ReadFileBytes(path("photo.jpg")), "photo");
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(path("missing"))));
    close(sock);
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
    EXPECT_EQ(ReadFileBytes(file), "old content");
    EXPECT_EQ(entries(), QStringList{QStringLiteral("a.jpg")});

    // A name longer than the file system takes fails at the rename.
    EXPECT_EQ(WriteFileAtomically(path(std::string(300, 'n') + ".jpg"), "x"),
              std::errc::filename_too_long);
    // A folder that is a regular file fails at once.
    EXPECT_TRUE(WriteFileAtomically(file + "/b.jpg", "x"));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("a.jpg")});
}

// The process dies between its first bytes and the rename: killed by the
// file size limit in the middle of its write.
TEST_F(AtomicFileTest, AWriterKilledMidWriteLeavesNothing) {
    for (const bool unnamed : {true, false}) {
        ASSERT_FALSE(WriteFileAtomically(path("a.jpg"), "old content"));
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            rlimit limit{4096, 4096};
            setrlimit(RLIMIT_FSIZE, &limit);
            std::signal(SIGXFSZ, SIG_DFL);
            AtomicWriteOptions options;
            options.unnamedTemporary = unnamed;
            WriteFileAtomically(path("a.jpg"), std::string(1 << 20, 'n'), options);
            _exit(0);  // not reached
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "unnamed " << unnamed;
        EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
        EXPECT_EQ(ReadFileBytes(path("a.jpg")), "old content");
        if (unnamed) {
            // Nothing ever had a name.
            EXPECT_EQ(entries(), QStringList{QStringLiteral("a.jpg")});
        } else {
            // A named temporary file stays, unlocked since its writer died;
            // the cleaning that the next process writing here does removes
            // it at once.
            const QStringList left = entries();
            ASSERT_EQ(left.size(), 2);
            const QString temp = left.front() == "a.jpg" ? left.back() : left.front();
            EXPECT_TRUE(IsAtomicTemporaryName(temp.toStdString()));
            RemoveStaleAtomicTemporaries(path(""));
            EXPECT_EQ(entries(), QStringList{QStringLiteral("a.jpg")});
        }
    }
}

// Only a lock tells a live writer's temporary file: a dead one goes at the
// cleaning of the first write into its folder, however young (or dated back
// by --keep-date).
TEST_F(AtomicFileTest, TemporaryFilesOfDeadWritersGoAtTheNextWrite) {
    const struct {
        const char* name;
        time_t age;
        bool locked, left;
    } rows[] = {
        {".thumbrix-fresh000.tmp", 0, false, false},
        {".thumbrix-stale000.tmp", 3600, false, false},
        {".thumbrix-dated000.tmp", 30 * 365 * 86400, false, false},
        {".thumbrix-locked00.tmp", 3600, true, true},  // its writer still runs
        {".thumbrix-young000.tmp", 0, true, true},
        {"other-stale.tmp", 3600, false, true},
    };
    std::vector<int> held;
    QStringList expected;
    for (const auto& row : rows) {
        const int fd = open(path(row.name).c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        const timespec times[2] = {{0, UTIME_OMIT}, {time(nullptr) - row.age, 0}};
        futimens(fd, times);
        if (row.locked) {
            ASSERT_EQ(flock(fd, LOCK_EX), 0);
            held.push_back(fd);
        } else {
            close(fd);
        }
        if (row.left) expected << QString::fromUtf8(row.name);
    }
    // What the first write into the folder does.
    RemoveStaleAtomicTemporaries(path(""));
    QStringList left = entries();
    left.sort();
    expected.sort();
    EXPECT_EQ(left, expected);
    for (const int fd : held) close(fd);
}

TEST_F(AtomicFileTest, APathThatFitsStaysWithinThePathLimit) {
    // Nested folders up to a path of PATH_MAX - 1 bytes with a short name at
    // the end ("/a.jpg"): folder + temporary name would be longer than that.
    std::string folder = dir_.path().toStdString();
    while (size_t(PATH_MAX - 7) - folder.size() > 256) {
        folder.append(1, '/').append(200, 'd');
        ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    }
    folder += '/';
    folder.append(size_t(PATH_MAX - 7) - folder.size(), 'e');
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string file = folder + "/a.jpg";
    ASSERT_EQ(file.size(), size_t(PATH_MAX - 1));
    for (const bool unnamed : {true, false}) {
        AtomicWriteOptions options;
        options.unnamedTemporary = unnamed;
        EXPECT_FALSE(WriteFileAtomically(file, unnamed ? "one" : "two", options)) << unnamed;
        EXPECT_FALSE(WriteFileAtomically(file, unnamed ? "three" : "four", options)) << unnamed;
        EXPECT_EQ(ReadFileBytes(file), unnamed ? "three" : "four");
    }
}

TEST(AtomicTemporaryName, RecognisesOnlyItsOwnNames) {
    EXPECT_TRUE(IsAtomicTemporaryName(".thumbrix-a1b2c3d4.tmp"));
    EXPECT_FALSE(IsAtomicTemporaryName(".thumbrix-.tmp"));
    EXPECT_FALSE(IsAtomicTemporaryName("thumbrix-a1b2.tmp"));
    EXPECT_FALSE(IsAtomicTemporaryName(".thumbrix-a1b2.jpg"));
}

}  // namespace
