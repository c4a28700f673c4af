#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

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

}  // namespace
