#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    EXPECT_TRUE(o.err.isEmpty());  // not a terminal: no progress line
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
