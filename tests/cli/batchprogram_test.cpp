#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <map>

#include "tests/cli/batchtestpictures.h"

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
    EXPECT_TRUE(o.err.isEmpty());
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
        const Outcome o = RunBatchProgram(args(dir_.filePath(QStringLiteral("one"))));
        ASSERT_EQ(o.status, 0) << o.err.toStdString();
        reference_ = Thumbnails(dir_.filePath(QStringLiteral("one")));
        ASSERT_EQ(reference_.size(), 18u);
    }
    QStringList args(const QString& dest) const {
        return QStringList{QStringLiteral("--update"), QStringLiteral("--quiet"),
                           QStringLiteral("-j"),       QStringLiteral("1"),
                           QStringLiteral("-d"),       dest} +
               files_;
    }

    QTemporaryDir dir_;
    QStringList files_;
    std::map<QString, QByteArray> reference_;
};

TEST_F(BatchUpdateProgram, ARunKilledHalfWayIsCompletedByTheNext) {
    const QString out = dir_.filePath(QStringLiteral("out"));
    QProcess process;
    process.start(QStringLiteral(THUMBRIX_BATCH_PATH), args(out));
    ASSERT_TRUE(process.waitForStarted());
    while (Thumbnails(out).size() < 3 && process.state() == QProcess::Running) QThread::msleep(2);
    process.kill();
    process.waitForFinished();
    const size_t before = Thumbnails(out).size();
    EXPECT_LT(before, 18u) << "the run ended before it could be killed";

    const Outcome o = RunBatchProgram(
        args(out) + QStringList{QStringLiteral("--report"), dir_.filePath("report.json")});
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_EQ(Thumbnails(out), reference_);
    // What the killed run finished is not made again.
    QFile report(dir_.filePath("report.json"));
    report.open(QIODevice::ReadOnly);
    EXPECT_GE(report.readAll().count("\"status\":\"skipped\""), qsizetype(before) - 1);
}

TEST_F(BatchUpdateProgram, TwoRunsIntoOneDestinationAtOnce) {
    const QString out = dir_.filePath(QStringLiteral("out"));
    QProcess first, second;
    first.start(QStringLiteral(THUMBRIX_BATCH_PATH), args(out));
    second.start(QStringLiteral(THUMBRIX_BATCH_PATH), args(out));
    for (QProcess* p : {&first, &second}) {
        ASSERT_TRUE(p->waitForFinished(120000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
    }
    EXPECT_EQ(Thumbnails(out), reference_);
    EXPECT_EQ(RunBatchProgram(args(out)).status, 0);
    EXPECT_EQ(Thumbnails(out), reference_);
}

}  // namespace
