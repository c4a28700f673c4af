#include "cli/batchrun.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include "tests/cli/batchtestpictures.h"
#include "tests/support/unprivileged.h"

namespace {

class BatchRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir root(dir_.path());
        for (const char* name : {"src", "out", "out2"}) root.mkdir(QString::fromUtf8(name));
        src_ = dir_.path().toStdString() + "/src/";
        out_ = dir_.path().toStdString() + "/out/";
        options_.settings.destination = out_;
        options_.quiet = true;
    }
    int run(bool progress = false) {
        err_.str("");
        std::istringstream in(input_);
        return RunBatch(options_, in, err_, progress);
    }
    QStringList entries(const std::string& folder) const {
        return QDir(QString::fromStdString(folder))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    void write(const std::string& name, const std::string& bytes) {
        std::ofstream(src_ + name, std::ios::binary) << bytes;
    }

    QTemporaryDir dir_;
    std::string src_, out_;
    BatchOptions options_;
    std::ostringstream err_;
    std::string input_;  // standard input
};

TEST_F(BatchRunTest, ParallelJobsWriteExactlyTheBytesOfOneJob) {
    options_.files = MakeBatchPictures(dir_.path().toStdString() + "/src", 24);
    options_.settings.size = 100;
    options_.settings.keepDate = true;
    options_.jobs = 1;
    ASSERT_EQ(run(), kAllConverted) << err_.str();
    EXPECT_EQ(err_.str(), "");
    const QStringList written = entries(out_);
    ASSERT_EQ(written.size(), 24);

    for (int jobs : {2, 5}) {
        const std::string other = dir_.path().toStdString() + "/out" + std::to_string(jobs) + "/";
        QDir().mkpath(QString::fromStdString(other));
        options_.settings.destination = other;
        options_.jobs = jobs;
        ASSERT_EQ(run(), kAllConverted) << err_.str();
        ASSERT_EQ(entries(other), written);
        for (const QString& name : written) {
            const std::string file = name.toStdString();
            EXPECT_EQ(ReadFileBytes(other + file), ReadFileBytes(out_ + file))
                << file << " -j " << jobs;
        }
    }
}

TEST_F(BatchRunTest, LaterInputWinsAndSkippedFilesAreReported) {
    std::vector<std::string> pictures = MakeBatchPictures(dir_.path().toStdString() + "/src", 3);
    // pic1.bmp (37x91) and pic1.jpg, a copy of the 640x480 JPEG, map to the same output.
    QFile::copy(QString::fromStdString(pictures[0]), QString::fromStdString(src_ + "pic1.jpg"));
    write("notes.txt", "not a picture");
    write("broken.jpg", "\xFF\xD8\xFF");
    options_.files = {pictures[1],       src_ + "notes.txt",  src_ + "missing.bmp",
                      src_ + "pic1.jpg", src_ + "broken.jpg", pictures[2]};
    for (int jobs : {1, 2, 3}) {
        QDir(QString::fromStdString(out_)).removeRecursively();
        QDir().mkpath(QString::fromStdString(out_));
        options_.jobs = jobs;
        EXPECT_EQ(run(), kSomeFailed);
        EXPECT_EQ(entries(out_),
                  (QStringList{QStringLiteral("pic1.jpg"), QStringLiteral("pic2.JPG")}));
        // The later input wins: the landscape picture, not the portrait one,
        // and both are named.
        EXPECT_EQ(QImage(QString::fromStdString(out_ + "pic1.jpg")).size(), QSize(32, 24));
        const std::string report = err_.str();
        for (const char* name : {"notes.txt", "missing.bmp", "broken.jpg"})
            EXPECT_NE(report.find(src_ + name + ": not converted: "), std::string::npos) << name;
        EXPECT_NE(report.find(pictures[1] + " and " + src_ + "pic1.jpg both make " + out_ +
                              "pic1.jpg; the later one wins"),
                  std::string::npos)
            << report;
        EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 4) << report;
    }
}

TEST_F(BatchRunTest, MissingDestinationStopsBeforeAnything) {
    options_.files = MakeBatchPictures(dir_.path().toStdString() + "/src", 2);
    for (const std::string& dest : {out_ + "none/", std::string(), src_ + "pic1.bmp/"}) {
        options_.settings.destination = dest;
        EXPECT_EQ(run(), kUsageError);
        EXPECT_NE(err_.str().find("destination folder"), std::string::npos);
    }
    EXPECT_TRUE(entries(out_).isEmpty());
}

TEST_F(BatchRunTest, SourcesAreNeverReplaced) {
    const std::vector<std::string> pictures =
        MakeBatchPictures(dir_.path().toStdString() + "/src", 3);
    const std::string original = ReadFileBytes(pictures[0]);  // 写真0.JPG
    options_.settings.destination = src_;
    options_.files = {pictures[0], pictures[1], src_ + "./" + "写真0.JPG"};
    options_.jobs = 2;
    EXPECT_EQ(run(), kSomeFailed);
    EXPECT_EQ(ReadFileBytes(pictures[0]), original);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(src_ + "pic1.jpg")));
    EXPECT_NE(err_.str().find(pictures[0] + ": not converted: "), std::string::npos);
    EXPECT_NE(err_.str().find("is a source file"), std::string::npos);
}

// A report at the name of a source, an output or a list would destroy it: a
// slip of the shell is a usage error that touches nothing.
TEST_F(BatchRunTest, AReportOverAnInputOrOutputIsAUsageError) {
    const std::vector<std::string> pictures = MakeBatchPictures(src_, 2);
    const std::string output =
        out_ + QFileInfo(QString::fromStdString(pictures[0])).fileName().toStdString();
    write("list.txt", pictures[1] + "\n");
    std::ofstream(output) << "old thumbnail";
    const std::string before = ReadFileBytes(pictures[0]);
    const struct {
        std::string report;
        const char* what;
    } cases[] = {
        {pictures[0], "a source file"},
        {src_ + "./" + QFileInfo(QString::fromStdString(pictures[0])).fileName().toStdString(),
         "a source file"},
        {output, "an output"},
        {out_ + "pic1.jpg", "an output"},  // not there yet
        {src_ + "list.txt", "a list of names"},
    };
    options_.files = pictures;
    options_.lists = {{0, src_ + "list.txt"}};
    for (const auto& c : cases) {
        options_.reportFile = c.report;
        EXPECT_EQ(run(), kUsageError) << c.report;
        EXPECT_NE(err_.str().find(std::string("the report ") + c.report + " is " + c.what),
                  std::string::npos)
            << err_.str();
    }
    // A list at an output's name: the thumbnail would replace it.
    options_.reportFile.clear();
    options_.lists = {{0, output}};
    EXPECT_EQ(run(), kUsageError);
    EXPECT_NE(err_.str().find("the list " + output + " is an output"), std::string::npos)
        << err_.str();
    EXPECT_EQ(ReadFileBytes(pictures[0]), before);
    EXPECT_EQ(ReadFileBytes(output), "old thumbnail");
    EXPECT_EQ(ReadFileBytes(src_ + "list.txt"), pictures[1] + "\n");
    EXPECT_EQ(entries(out_), QStringList{QString::fromStdString(output).section('/', -1)});
}

// Names are shown with their control bytes escaped, one message a line, and
// a file that cannot be reached gets the system's own reason.
TEST_F(BatchRunTest, MessagesNameEveryFileOnOneLineWithTheSystemsReason) {
    ASSERT_EQ(symlink("loop.jpg", (src_ + "loop.jpg").c_str()), 0);
    QDir().mkpath(QString::fromStdString(src_ + "shut"));
    MakeBatchPictures(src_ + "shut", 1);
    const std::string inShut = src_ + "shut/写真0.JPG";
    const struct {
        std::string name, shown;
    } rows[] = {
        {src_ + "esc\x1b[2Jx.jpg", src_ + "esc\\x1b[2Jx.jpg: not converted: no such file"},
        {src_ + "bell\a.jpg", src_ + "bell\\x07.jpg: not converted: no such file"},
        {src_ + "two\nlines.jpg", src_ + "two\\x0alines.jpg: not converted: no such file"},
        {src_ + "crlf.jpg\r", src_ + "crlf.jpg\\x0d: not converted: no such file"},
        {src_ + "loop.jpg", src_ + "loop.jpg: not converted: Too many levels of symbolic links"},
        {inShut, inShut + ": not converted: Permission denied"},
    };
    options_.files.clear();
    for (const auto& row : rows) options_.files.push_back(row.name);
    // A folder that may be listed but not entered, as nobody, whom the
    // permissions stop even when the tests run as root.
    for (const std::string& path : {dir_.path().toStdString(), src_, out_})
        ASSERT_EQ(chmod(path.c_str(), 0777), 0);
    ASSERT_EQ(chmod((src_ + "shut").c_str(), 0644), 0);
    const int wrong = RunUnprivileged([&] {
        if (run() != kSomeFailed) return 1;
        const std::string err = err_.str();
        if (size_t(std::count(err.begin(), err.end(), '\n')) != std::size(rows)) return 2;
        for (const char c : err)
            if ((c > 0 && c < 0x20 && c != '\n') || c == 0x7F) return 3;
        int missing = 0;
        for (const auto& row : rows)
            if (err.find("thumbrix-batch: " + row.shown + "\n") == std::string::npos) ++missing;
        if (missing != 0) std::fprintf(stderr, "%s", err.c_str());
        return missing == 0 ? 0 : 4;
    });
    chmod((src_ + "shut").c_str(), 0755);
    EXPECT_EQ(wrong, 0);
}

TEST_F(BatchRunTest, WriteFailureIsReportedAndTheOthersGoOn) {
    const std::vector<std::string> pictures =
        MakeBatchPictures(dir_.path().toStdString() + "/src", 2);
    const std::string longName = src_ + std::string(250, 'n') + ".bmp";
    QFile::copy(QString::fromStdString(pictures[1]), QString::fromStdString(longName));
    options_.settings.prefix = "thumb_";  // the long name's output no longer fits
    options_.files = {longName, pictures[0]};
    options_.jobs = 2;
    EXPECT_EQ(run(), kSomeFailed);
    EXPECT_EQ(entries(out_), QStringList{QStringLiteral("thumb_写真0.JPG")});
    EXPECT_NE(err_.str().find(longName + ": not converted: cannot write " + out_ + "thumb_"),
              std::string::npos)
        << err_.str();
    EXPECT_NE(err_.str().find("File name too long"), std::string::npos) << err_.str();
}

TEST_F(BatchRunTest, ProgressLineCountsFilesDone) {
    options_.files = MakeBatchPictures(dir_.path().toStdString() + "/src", 2);
    options_.files.push_back(src_ + "missing.jpg");
    options_.jobs = 1;
    options_.quiet = false;
    EXPECT_EQ(run(true), kSomeFailed);
    const std::string report = err_.str();
    // The refusal is known first, the line is redrawn under each message, and
    // the summary replaces it at the end.
    EXPECT_NE(report.find("missing.jpg: not converted: no such file\n"
                          "\r\033[Kthumbrix-batch: 1 of 3 files: 0 converted, 1 failed, "
                          "0 skipped, --:-- left"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("\r\033[Kthumbrix-batch: 3 files: 2 converted, 0 up to date, "
                          "1 refused, 0 failed in "),
              std::string::npos)
        << report;
}

// --update reads the old thumbnail's record first: a FIFO at the output's
// name must neither be waited on nor written.
TEST_F(BatchRunTest, UpdateNeverBlocksOnAFifoAtAnOutputsName) {
    options_.files = MakeBatchPictures(src_, 1);
    const std::string name =
        QFileInfo(QString::fromStdString(options_.files[0])).fileName().toStdString();
    ASSERT_EQ(mkfifo((out_ + name).c_str(), 0644), 0);
    options_.update = true;
    EXPECT_EQ(run(), kSomeFailed);
    EXPECT_NE(err_.str().find("a FIFO is at that name"), std::string::npos) << err_.str();
    struct stat st {};
    ASSERT_EQ(lstat((out_ + name).c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

}  // namespace
