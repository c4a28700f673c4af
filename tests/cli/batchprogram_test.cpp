#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "buildinfo.h"
#include "codec/pictureformat.h"
#include "tests/cli/batchtestpictures.h"
#include "tests/support/removetree.h"

// The program itself: exit statuses and what goes to which stream.
namespace {

struct Outcome {
    int status = -1;
    QByteArray out, err;
};

Outcome RunBatchProgram(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(THUMBRIX_BATCH_PATH), arguments);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

TEST(BatchProgram, HelpAndVersionGoToStandardOutput) {
    Outcome o = RunBatchProgram({QStringLiteral("--version")});
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, QByteArray("thumbrix-batch " THUMBRIX_VERSION "\n"));
    o = RunBatchProgram({QStringLiteral("--help")});
    EXPECT_EQ(o.status, 0);
    EXPECT_TRUE(o.out.startsWith("Usage: thumbrix-batch [options] FILE..."));
    // In the build tree the window's settings file is the one beside it.
    const QString settings =
        QFileInfo(QStringLiteral(THUMBRIX_BATCH_PATH)).path() + "/thumbrix.ini";
    EXPECT_TRUE(o.out.contains(settings.toUtf8())) << o.out.toStdString();
    EXPECT_TRUE(o.err.isEmpty());
}

TEST(BatchProgram, WithoutADestinationThumbnailsGoToTheCurrentFolder) {
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    const std::vector<std::string> pictures = MakeBatchPictures(root, 1);
    const QString empty = dir.filePath(QStringLiteral("empty.ini"));
    QFile(empty).open(QIODevice::WriteOnly);
    QDir(dir.path()).mkdir(QStringLiteral("here"));
    QProcess process;
    process.setWorkingDirectory(dir.filePath(QStringLiteral("here")));
    process.start(QStringLiteral(THUMBRIX_BATCH_PATH),
                  {QStringLiteral("--settings"), empty, QString::fromStdString(pictures[0])});
    ASSERT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    // A JPEG source keeps its name.
    const QString name = QFileInfo(QString::fromStdString(pictures[0])).fileName();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("here/" + name)));
}

TEST(BatchProgram, ExitStatusesAndAQuietStandardOutput) {
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    QDir(dir.path()).mkdir(QStringLiteral("out"));
    const std::vector<std::string> pictures = MakeBatchPictures(root, 3);
    QStringList files;
    for (const std::string& p : pictures) files << QString::fromStdString(p);
    const QString out = dir.filePath(QStringLiteral("out"));

    Outcome o = RunBatchProgram(
        QStringList{QStringLiteral("-d"), out, QStringLiteral("-j"), QStringLiteral("2")} + files);
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_TRUE(o.out.isEmpty());
    // Not a terminal: no progress line, only the summary.
    EXPECT_TRUE(
        o.err.startsWith("thumbrix-batch: 3 files: 3 converted, 0 up to date, 0 refused, "
                         "0 failed in "))
        << o.err.toStdString();
    EXPECT_EQ(o.err.count('\n'), 1);
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 3);

    o = RunBatchProgram(
        QStringList{QStringLiteral("-d"), out, dir.filePath(QStringLiteral("missing.jpg"))} +
        files);
    EXPECT_EQ(o.status, 1);
    EXPECT_TRUE(o.out.isEmpty());
    EXPECT_TRUE(o.err.contains("missing.jpg: not converted: "));

    o = RunBatchProgram(QStringList{QStringLiteral("-d"), dir.filePath(QStringLiteral("nowhere"))} +
                        files);
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(o.out.isEmpty());

    o = RunBatchProgram(QStringList{QStringLiteral("--size"), QStringLiteral("0")} + files);
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(o.err.contains("size"));
    EXPECT_TRUE(o.out.isEmpty());
}

// Runs the program with arguments passed as bytes, as a shell passes them
// (QProcess would encode them as text).
Outcome RunWithByteArguments(const std::vector<std::string>& arguments) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDERR_FILENO);
        close(pipeEnds[0]);
        std::vector<char*> argv{const_cast<char*>(THUMBRIX_BATCH_PATH)};
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    Outcome outcome;
    char buffer[4096];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        outcome.err.append(buffer, n);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

TEST(BatchProgram, NamesThatAreNotUtf8AreConvertedUnderTheirBytes) {
    QTemporaryDir dir;
    const RemoveTreeAtEnd remove(dir.path().toStdString());
    const std::string root = dir.path().toStdString() + "/";
    const std::string out = root + "\x8e\xca\x90\x5e/";  // 写真 in Shift-JIS
    ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
    const std::vector<std::string> pictures = MakeBatchPictures(root, 1);
    const std::string source = root + "caf\xe9.jpg";  // Latin-1
    ASSERT_EQ(rename(pictures[0].c_str(), source.c_str()), 0);

    const Outcome o = RunWithByteArguments({"-d", out, "--prefix", "\xe9_", source});
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_EQ(access((out + "\xe9_caf\xe9.jpg").c_str(), F_OK), 0);
}

TEST(BatchProgram, APhotoBesideItsSourceIsNeverReplaced) {
    QTemporaryDir dir;
    const std::vector<std::string> pictures = MakeBatchPictures(dir.path().toStdString(), 2);
    const std::string photo = dir.path().toStdString() + "/pic1.jpg";  // beside pic1.bmp
    std::ofstream(photo, std::ios::binary) << ReadFileBytes(pictures[0]);
    const std::string before = ReadFileBytes(photo);
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(THUMBRIX_BATCH_PATH),
                  {QStringLiteral("--no-settings"), QStringLiteral("pic1.bmp")});
    ASSERT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitCode(), 1);
    const std::string err = process.readAllStandardError().toStdString();
    EXPECT_NE(err.find("pic1.bmp: not converted: "), std::string::npos) << err;
    EXPECT_NE(err.find("pic1.jpg is a picture beside its source"), std::string::npos) << err;
    EXPECT_EQ(ReadFileBytes(photo), before);
}

// A run killed while it replaced a thumbnail may leave a temporary file; the
// next run removes it even when it has nothing to write there.
TEST(BatchProgram, AnUpToDateRunStillRemovesWhatAKilledRunLeft) {
    QTemporaryDir dir;
    const std::vector<std::string> pictures = MakeBatchPictures(dir.path().toStdString(), 1);
    QDir(dir.path()).mkdir(QStringLiteral("out"));
    const QStringList args{QStringLiteral("--no-settings"), QStringLiteral("--update"),
                           QStringLiteral("-d"), dir.filePath(QStringLiteral("out")),
                           QString::fromStdString(pictures[0])};
    ASSERT_EQ(RunBatchProgram(args).status, 0);
    const QStringList thumbnails = QDir(dir.filePath(QStringLiteral("out"))).entryList(QDir::Files);
    std::ofstream(dir.filePath(QStringLiteral("out/.thumbrix-dead0000.tmp")).toStdString())
        << "half a thumbnail";  // no writer holds it locked
    const Outcome o = RunBatchProgram(args);
    EXPECT_EQ(o.status, 0);
    EXPECT_TRUE(o.err.contains("1 up to date")) << o.err.toStdString();
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden),
              thumbnails);
}

TEST(BatchProgram, AReportNamedDashGoesToStandardOutput) {
    QTemporaryDir dir;
    const std::vector<std::string> pictures = MakeBatchPictures(dir.path().toStdString(), 1);
    QDir(dir.path()).mkdir(QStringLiteral("out"));
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(THUMBRIX_BATCH_PATH),
                  {QStringLiteral("--no-settings"), QStringLiteral("--quiet"),
                   QStringLiteral("--report"), QStringLiteral("-"), QStringLiteral("-d"),
                   QStringLiteral("out"), QString::fromStdString(pictures[0])});
    ASSERT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitCode(), 0);
    const QByteArray out = process.readAllStandardOutput();
    EXPECT_TRUE(out.startsWith("{\"source\":") && out.endsWith("}\n")) << out.toStdString();
    EXPECT_TRUE(out.contains("\"status\":\"written\"")) << out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("-"))));
}

// A refused file is named on standard error with what is wrong with it.
TEST(BatchProgram, RefusedFilesAreNamedWithTheirReason) {
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString() + "/";
    // 65500 x 65500, progressive, a few hundred bytes: the header of a picture
    // that would need gigabytes.
    const std::string huge = root + "huge.jpg";
    {
        std::ofstream file(huge, std::ios::binary);
        file << ReadFileBytes(THUMBRIX_SOURCE_DIR
                              "/tests/data/fuzz/jpeg/progressive-65500x65500-header.jpg");
    }
    const std::string bomb = root + "bomb.jpg";
    {
        std::ofstream file(bomb, std::ios::binary);
        file << ReadFileBytes(THUMBRIX_SOURCE_DIR
                              "/tests/data/fuzz/jpeg/scan-bomb-120-empty-scans.jpg");
    }
    const std::string zeros = root + "zeros.bmp";
    std::ofstream(zeros, std::ios::binary) << std::string(100, '\0');

    ASSERT_EQ(mkdir((root + "out").c_str(), 0755), 0);
    const Outcome o = RunWithByteArguments({"-d", root + "out", huge, bomb, zeros});
    EXPECT_EQ(o.status, 1);
    const std::string err = o.err.toStdString();
    for (const std::string& line :
         {huge + ": not converted: too large to decode: 65500 x 65500 pixels need more than the "
                 "1536 MiB that one picture may use\n",
          bomb + ": not converted: too many scans (more than 100; a photograph has about 10): a "
                 "damaged or hostile file\n",
          zeros + ": not converted: not a picture: its first bytes are those of no " +
              PictureFormatWords() + " file\n"})
        EXPECT_NE(err.find("thumbrix-batch: " + line), std::string::npos) << line << "in\n" << err;
}

// The thumbnails of a folder by name; temporary files of writes cut short
// are not thumbnails.
std::map<QString, QByteArray> Thumbnails(const QString& folder) {
    std::map<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        if (name.startsWith(QStringLiteral(".thumbrix-"))) continue;
        QFile file(QDir(folder).filePath(name));
        file.open(QIODevice::ReadOnly);
        files[name] = file.readAll();
    }
    return files;
}

class BatchUpdateProgram : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"src", "one", "out"}) QDir(dir_.path()).mkdir(folder);
        for (const std::string& p : MakeBatchPictures(dir_.filePath("src").toStdString(), 18))
            files_ << QString::fromStdString(p);
        // The reference: one --update run, undisturbed.
        reference_ = ReferenceRun(QStringLiteral("one"), kQuality);
    }
    std::map<QString, QByteArray> ReferenceRun(const QString& folder, int quality) {
        QDir(dir_.path()).mkdir(folder);
        const Outcome o = RunBatchProgram(args(dir_.filePath(folder), files_, quality));
        EXPECT_EQ(o.status, 0) << o.err.toStdString();
        const std::map<QString, QByteArray> thumbnails = Thumbnails(dir_.filePath(folder));
        EXPECT_EQ(thumbnails.size(), 18u);
        return thumbnails;
    }
    QStringList args(const QString& dest) const { return args(dest, files_, kQuality); }
    static QStringList args(const QString& dest, const QStringList& files, int quality) {
        return QStringList{QStringLiteral("--update"), QStringLiteral("--quiet"),
                           QStringLiteral("-j"),       QStringLiteral("1"),
                           QStringLiteral("-q"),       QString::number(quality),
                           QStringLiteral("-d"),       dest} +
               files;
    }

    static constexpr int kQuality = 60;

    QTemporaryDir dir_;
    QStringList files_;
    std::map<QString, QByteArray> reference_;
};

TEST_F(BatchUpdateProgram, ARunKilledHalfWayIsCompletedByTheNext) {
    const QString out = dir_.filePath(QStringLiteral("out"));
    // Stopped as the third thumbnail takes its name, told by the file system:
    // a run made of one job cannot have made them all by then.
    const int watch = inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, QFile::encodeName(out).constData(), IN_CREATE | IN_MOVED_TO),
              0);
    QProcess process;
    process.start(QStringLiteral(THUMBRIX_BATCH_PATH), args(out));
    ASSERT_TRUE(process.waitForStarted());
    for (int named = 0; named < 3;) {
        pollfd ready{watch, POLLIN, 0};
        ASSERT_EQ(poll(&ready, 1, 60000), 1) << "no thumbnail appeared";  // not a measure
        alignas(inotify_event) char events[4096];
        const ssize_t length = read(watch, events, sizeof events);
        ASSERT_GT(length, 0);
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            if (!QByteArray(event->name).startsWith(".thumbrix-")) ++named;
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    kill(pid_t(process.processId()), SIGSTOP);
    close(watch);
    const size_t before = Thumbnails(out).size();
    process.kill();
    process.waitForFinished();
    ASSERT_GE(before, 3u);
    EXPECT_LT(before, 18u) << "the run ended before it could be stopped";

    const Outcome o = RunBatchProgram(
        args(out) + QStringList{QStringLiteral("--report"), dir_.filePath("report.json")});
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_EQ(Thumbnails(out), reference_);
    // What the killed run finished is not made again.
    QFile report(dir_.filePath("report.json"));
    report.open(QIODevice::ReadOnly);
    EXPECT_GE(report.readAll().count("\"status\":\"skipped\""), qsizetype(before) - 1);
}

// The runs write other bytes to the same names: each thumbnail is then one
// run's whole file, never a mix or a part.
TEST_F(BatchUpdateProgram, TwoRunsIntoOneDestinationAtOnce) {
    const std::map<QString, QByteArray> other = ReferenceRun(QStringLiteral("two"), 95);
    const QString out = dir_.filePath(QStringLiteral("out"));
    QProcess first, second;
    first.start(QStringLiteral(THUMBRIX_BATCH_PATH), args(out));
    second.start(QStringLiteral(THUMBRIX_BATCH_PATH), args(out, files_, 95));
    for (QProcess* p : {&first, &second}) {
        ASSERT_TRUE(p->waitForFinished(120000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
    }
    const std::map<QString, QByteArray> both = Thumbnails(out);
    ASSERT_EQ(both.size(), reference_.size());
    for (const auto& [name, bytes] : both) {
        ASSERT_NE(reference_.at(name), other.at(name)) << name.toStdString();
        EXPECT_TRUE(bytes == reference_.at(name) || bytes == other.at(name)) << name.toStdString();
    }
    EXPECT_EQ(RunBatchProgram(args(out)).status, 0);
    EXPECT_EQ(Thumbnails(out), reference_);
}

// Under a process limit no thread can be started; as root the limit binds
// only once the child is another user (one with no other processes).
TEST(BatchProgram, ThreadsThatCannotStartNeverAbortTheRun) {
    QTemporaryDir dir;
    ASSERT_EQ(chmod(dir.path().toUtf8().constData(), 0777), 0);
    const std::vector<std::string> pictures = MakeBatchPictures(dir.path().toStdString(), 4);
    QStringList arguments{QStringLiteral("--no-settings"), QStringLiteral("-j"),
                          QStringLiteral("64"), QStringLiteral("-d"), dir.path() + "/out"};
    for (const std::string& p : pictures) arguments << QString::fromStdString(p);
    QDir(dir.path()).mkdir(QStringLiteral("out"));
    ASSERT_EQ(chmod((dir.path() + "/out").toUtf8().constData(), 0777), 0);
    QProcess process;
    process.setChildProcessModifier([] {
        if (geteuid() == 0 && (setgid(54321) != 0 || setuid(54321) != 0)) _exit(99);
        const rlimit one{1, 1};
        setrlimit(RLIMIT_NPROC, &one);
    });
    // The leak checker needs a thread of its own at exit, which the limit
    // refuses; the run itself is what is checked here.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(
        QStringLiteral("ASAN_OPTIONS"),
        environment.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(THUMBRIX_BATCH_PATH), arguments);
    ASSERT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_EQ(QDir(dir.path() + "/out").entryList(QDir::Files).size(), 4);
}

}  // namespace
