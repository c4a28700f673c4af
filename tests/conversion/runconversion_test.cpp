#include "conversion/runconversion.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <csignal>

#include "conversion/runobserver.h"
#include "conversion/runstate.h"
#include "conversion/thumbnailwriter.h"
#include "image/bitmap.h"
#include "tests/conversion/conversiontesthost.h"
#include "tests/support/filesizelimit.h"
#include "tests/support/imagecompare.h"
#include "tests/support/unprivileged.h"

namespace {

class RecordingObserver : public RunObserver {
public:
    void loadFailed(int index, const std::string& source, const std::string&) override {
        failed.push_back(std::to_string(index) + ":" + source);
    }
    void writeRefused(int index, const std::string& source, const std::string&,
                      const std::string&) override {
        refused.push_back(std::to_string(index) + ":" + source);
    }
    void written(int index, const std::string&, const std::string& output) override {
        outputs.push_back(std::to_string(index) + ":" + output);
    }
    std::vector<std::string> failed, refused, outputs;
};

class RunConversionTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir root(dir_.path());
        root.mkdir(QStringLiteral("src"));
        root.mkdir(QStringLiteral("out"));
        src_ = dir_.path().toStdString() + "/src/";
        out_ = dir_.path().toStdString() + "/out/";
        host_.settings.destination = out_;
    }
    void run() { RunConversion(state_, host_, &observer_); }
    void queue(std::initializer_list<std::string> names) {
        for (const std::string& name : names) state_.FileQueue.push_back(src_ + name);
    }
    // The end of every run that was not refused.
    void expectFinished() {
        EXPECT_TRUE(state_.FileQueue.empty());
        EXPECT_EQ(state_.BusyFlags, 0u);
        ASSERT_FALSE(host_.progress.empty());
        EXPECT_EQ(host_.progress.back(), 0);
    }
    QStringList outFiles() const { return FolderEntries(out_); }

    QTemporaryDir dir_;
    std::string src_, out_;
    TestHost host_;
    RunState state_;
    RecordingObserver observer_;
};

// Blue, green, red of the centre pixel of a picture file.
std::array<int, 3> Centre(const std::string& path) {
    const QImage image(QString::fromStdString(path));
    const QRgb c = image.pixel(image.width() / 2, image.height() / 2);
    return {qBlue(c), qGreen(c), qRed(c)};
}

TEST_F(RunConversionTest, SkipsWhatDoesNotLoadAndWritesTheRest) {
    SaveJpeg(TestPicture(40, 30, 1), src_ + "a.jpg");
    WriteBytes(src_ + "notes.txt", "not a picture");
    SaveBmp(TestPicture(300, 200, 2), src_ + "b.bmp");
    queue({"a.jpg", "notes.txt", "b.bmp"});
    run();
    expectFinished();
    EXPECT_FALSE(state_.RunFailed);
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_EQ(outFiles(), (QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.jpg")}));
    EXPECT_EQ(observer_.failed, std::vector<std::string>{"1:" + src_ + "notes.txt"});
    EXPECT_EQ(QImage(QString::fromStdString(out_ + "b.jpg")).size(), QSize(32, 21));
    // ThumbBitmap keeps the last thumbnail; one pump per thumbnail pixel.
    EXPECT_EQ(state_.ThumbBitmap.width(), 32);
    EXPECT_EQ(state_.ThumbBitmap.height(), 21);
    EXPECT_EQ(host_.pumps, 32 * 24 + 32 * 21);
}

TEST_F(RunConversionTest, ProgressClimbsPerFileAndEndsAtZero) {
    SaveBmp(TestPicture(40, 30), src_ + "a.bmp");
    SaveBmp(TestPicture(40, 30), src_ + "b.bmp");
    queue({"a.bmp", "b.bmp"});
    run();
    expectFinished();
    ASSERT_EQ(host_.progress.size(), 2u * 32 * 24 + 1);
    EXPECT_EQ(host_.progress.front(), 0);
    EXPECT_EQ(host_.progress[32 * 24], 500);  // the second file's first pixel
    EXPECT_EQ(host_.progress[2 * 32 * 24 - 1], 999);
    EXPECT_TRUE(std::is_sorted(host_.progress.begin(), host_.progress.end() - 1));
}

TEST_F(RunConversionTest, LaterSourcesWinTheSameOutputName) {
    SaveBmp(PlainPicture(40, 30, 0, 0, 255), src_ + "a.bmp");   // red
    SaveJpeg(PlainPicture(40, 30, 255, 0, 0), src_ + "a.jpg");  // blue
    queue({"a.bmp", "a.jpg"});
    run();
    expectFinished();
    EXPECT_EQ(observer_.outputs,
              (std::vector<std::string>{"0:" + out_ + "a.jpg", "1:" + out_ + "a.jpg"}));
    const auto blue = Centre(out_ + "a.jpg");
    EXPECT_GT(blue[0], 200);
    EXPECT_LT(blue[2], 50);

    // The same file twice: two writes, the second replacing the first.
    SaveBmp(PlainPicture(40, 30, 0, 0, 255), src_ + "c.bmp");
    queue({"c.bmp", "c.bmp"});
    run();
    expectFinished();
    EXPECT_EQ(observer_.outputs.size(), 4u);
    EXPECT_EQ(outFiles(), (QStringList{QStringLiteral("a.jpg"), QStringLiteral("c.jpg")}));
}

TEST_F(RunConversionTest, MissingDestinationIsRefusedWithTheMessage) {
    SaveBmp(TestPicture(40, 30), src_ + "a.bmp");
    WriteBytes(dir_.path().toStdString() + "/file", "x");
    const std::string rows[] = {"", out_ + "missing/", dir_.path().toStdString() + "/file"};
    for (const std::string& dest : rows) {
        host_ = TestHost();
        host_.settings.destination = dest;
        state_.FileQueue = {src_ + "a.bmp"};
        run();
        EXPECT_EQ(host_.messages, std::vector<std::string>{"格納先を設定してください"}) << dest;
        EXPECT_TRUE(state_.RunFailed);
        EXPECT_EQ(state_.FileQueue.size(), 1u);
        EXPECT_EQ(state_.BusyFlags, 0u);
        EXPECT_TRUE(host_.progress.empty());  // the bar stays where it was
        EXPECT_EQ(host_.pumps, 0);
    }
    EXPECT_EQ(FolderEntries(src_), QStringList{QStringLiteral("a.bmp")});
    EXPECT_TRUE(outFiles().isEmpty());
}

TEST_F(RunConversionTest, EmptyQueueFailsQuietly) {
    run();
    EXPECT_TRUE(state_.RunFailed);
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_TRUE(host_.progress.empty());
}

TEST_F(RunConversionTest, PreviewRunOnlyMakesTheThumbnail) {
    SaveBmp(TestPicture(40, 30, 5), src_ + "a.bmp");
    host_.settings.destination = "";  // no destination needed
    state_.PreviewMode = true;
    queue({"a.bmp"});
    run();
    expectFinished();
    EXPECT_FALSE(state_.RunFailed);
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_EQ(state_.ThumbBitmap.width(), 32);
    EXPECT_EQ(FolderEntries(src_), QStringList{QStringLiteral("a.bmp")});

    const TBitmap kept = state_.ThumbBitmap;
    WriteBytes(src_ + "bad.jpg", "not a picture");
    host_.progress.clear();
    queue({"bad.jpg"});
    run();
    expectFinished();
    EXPECT_TRUE(state_.RunFailed);
    EXPECT_TRUE(SameBitmap(state_.ThumbBitmap, kept));
}

TEST_F(RunConversionTest, NeverReplacesASourceWithItsThumbnail) {
    SaveJpeg(TestPicture(40, 30), src_ + "a.jpg");
    SaveBmp(TestPicture(40, 30), src_ + "a.bmp");
    SaveBmp(TestPicture(40, 30), src_ + "b.bmp");
    const std::string original = ReadFileBytes(src_ + "a.jpg");
    const std::string rows[] = {src_, dir_.path().toStdString() + "/src/./"};
    for (const std::string& dest : rows) {
        host_.settings.destination = dest;
        // b.jpg of the row before would be a picture beside b.bmp.
        remove((src_ + "b.jpg").c_str());
        observer_ = RecordingObserver();
        queue({"a.bmp", "a.jpg", "b.bmp"});
        run();
        expectFinished();
        // a.bmp and a.jpg both name a.jpg, a queued source; b.jpg is new.
        EXPECT_EQ(observer_.refused.size(), 2u) << dest;
        EXPECT_EQ(observer_.outputs, std::vector<std::string>{"2:" + dest + "b.jpg"});
        EXPECT_EQ(ReadFileBytes(src_ + "a.jpg"), original);
    }
    // A queued name that does not exist yet is not written either.
    host_.settings.destination = src_;
    observer_ = RecordingObserver();
    queue({"b.bmp", "b.jpg"});
    ASSERT_EQ(remove((src_ + "b.jpg").c_str()), 0);
    run();
    EXPECT_EQ(observer_.refused, std::vector<std::string>{"0:" + src_ + "b.bmp"});
    EXPECT_FALSE(QFile::exists(QString::fromStdString(src_ + "b.jpg")));
}

// photo.jpg beside photo.bmp is a photograph, not an old thumbnail: with the
// photos' own folder as destination and neither prefix nor suffix, it stays.
TEST_F(RunConversionTest, NeverReplacesAPictureBesideItsSourceUnderItsName) {
    SaveBmp(TestPicture(40, 30), src_ + "photo.bmp");
    SaveJpeg(TestPicture(64, 48), src_ + "photo.jpg");
    const std::string original = ReadFileBytes(src_ + "photo.jpg");
    const struct {
        std::string dest, prefix, suffix, written;  // empty: refused
    } rows[] = {
        {src_, "", "", ""},
        {dir_.path().toStdString() + "/out/../src/", "", "", ""},
        {src_, "t_", "", src_ + "t_photo.jpg"},
        {src_, "", "_t", src_ + "photo_t.jpg"},
        {out_, "", "", out_ + "photo.jpg"},
    };
    for (const auto& row : rows) {
        host_.settings.destination = row.dest;
        host_.settings.prefix = row.prefix;
        host_.settings.suffix = row.suffix;
        observer_ = RecordingObserver();
        queue({"photo.bmp"});
        run();
        expectFinished();
        if (row.written.empty()) {
            EXPECT_EQ(observer_.refused, std::vector<std::string>{"0:" + src_ + "photo.bmp"});
            EXPECT_TRUE(observer_.outputs.empty()) << row.dest;
        } else {
            EXPECT_EQ(observer_.outputs, std::vector<std::string>{"0:" + row.written});
        }
        EXPECT_TRUE(ReadFileBytes(src_ + "photo.jpg") == original) << row.dest;
    }
}

// The window's pump may queue more files while a run is going: those are
// sources too, by name or through a hard link.
TEST_F(RunConversionTest, ProtectsFilesQueuedDuringTheRun) {
    SaveBmp(TestPicture(40, 30), src_ + "a.bmp");
    SaveJpeg(TestPicture(40, 30, 3), src_ + "a.jpg");
    ASSERT_EQ(link((src_ + "a.jpg").c_str(), (src_ + "link.jpg").c_str()), 0);
    const std::string original = ReadFileBytes(src_ + "a.jpg");
    for (const std::string appended : {"a.jpg", "link.jpg"}) {
        host_.settings.destination = src_;
        observer_ = RecordingObserver();
        host_.pumps = 0;
        host_.onPump = [&] {
            if (host_.pumps == 1) state_.FileQueue.push_back(src_ + appended);
        };
        queue({"a.bmp"});
        run();
        expectFinished();
        EXPECT_EQ(observer_.refused,
                  (std::vector<std::string>{"0:" + src_ + "a.bmp", "1:" + src_ + appended}))
            << appended;
        EXPECT_TRUE(observer_.outputs.empty()) << appended;
        EXPECT_EQ(ReadFileBytes(src_ + "a.jpg"), original) << appended;
    }
}

TEST_F(RunConversionTest, FailedWriteStopsTheRunCleanlyAndKeepsTheOldFile) {
    SaveBmp(TestPicture(40, 30), src_ + "a.bmp");
    SaveBmp(TestPicture(40, 30), src_ + "b.bmp");
    WriteBytes(out_ + "a.jpg", std::string(500, 'o'));
    const struct {
        const char* cause;
        std::string prefix;
        rlim_t sizeLimit;  // 0: none
        std::string output;
    } rows[] = {
        {"file size limit", "", 100, out_ + "a.jpg"},
        {"missing folder in the prefix", "nofolder/", 0, out_ + "nofolder/a.jpg"},
        {"name too long", std::string(300, 'n'), 0, out_ + std::string(300, 'n') + "a.jpg"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.cause);
        host_ = TestHost();
        host_.settings.destination = out_;
        host_.settings.prefix = r.prefix;
        observer_ = RecordingObserver();
        queue({"a.bmp", "b.bmp"});
        try {
            std::optional<FileSizeLimit> limit;
            if (r.sizeLimit != 0) limit.emplace(r.sizeLimit);
            run();
            ADD_FAILURE() << "no error";
        } catch (const ThumbnailCreateError& e) {
            EXPECT_EQ(std::string(e.what()), "ファイル " + r.output + " を作成できません");
        }
        expectFinished();
        EXPECT_TRUE(observer_.outputs.empty());  // stopped at the first file
        EXPECT_EQ(outFiles(), QStringList{QStringLiteral("a.jpg")});
        EXPECT_EQ(ReadFileBytes(out_ + "a.jpg"), std::string(500, 'o'));
    }
}

TEST_F(RunConversionTest, FailedWriteInAReadOnlyFolder) {
    SaveBmp(TestPicture(40, 30), src_ + "a.bmp");
    WriteBytes(out_ + "a.jpg", "old");
    AsUnprivileged(dir_.path().toStdString(), [&] {
        ASSERT_EQ(chmod(out_.c_str(), 0555), 0);
        queue({"a.bmp"});
        EXPECT_THROW(run(), ThumbnailCreateError);
        chmod(out_.c_str(), 0755);
        expectFinished();
        EXPECT_EQ(ReadFileBytes(out_ + "a.jpg"), "old");
        EXPECT_EQ(outFiles(), QStringList{QStringLiteral("a.jpg")});
    });
}

TEST_F(RunConversionTest, DoesNothingWhileARunIsInProgress) {
    SaveBmp(TestPicture(40, 30), src_ + "a.bmp");
    queue({"a.bmp"});
    state_.BusyFlags = RunState::kRunning;
    state_.RunFailed = true;
    run();
    EXPECT_EQ(state_.FileQueue.size(), 1u);
    EXPECT_EQ(state_.BusyFlags, RunState::kRunning);
    EXPECT_TRUE(state_.RunFailed);
    EXPECT_TRUE(host_.progress.empty());
    EXPECT_TRUE(outFiles().isEmpty());

    // A start from inside the pump, as a drop during a run would be.
    state_.BusyFlags = 0;
    int nested = 0;
    host_.onPump = [&] {
        if (nested++ == 0) {
            state_.FileQueue.push_back(src_ + "intruder.bmp");
            RunConversion(state_, host_);
            state_.FileQueue.pop_back();
        }
    };
    run();
    expectFinished();
    EXPECT_EQ(observer_.outputs, std::vector<std::string>{"0:" + out_ + "a.jpg"});
}

TEST_F(RunConversionTest, ReadsEverySettingWhenItNeedsIt) {
    SaveBmp(TestPicture(40, 30, 1), src_ + "a.bmp");
    SaveBmp(TestPicture(40, 30, 2), src_ + "b.bmp");
    QDir(dir_.path()).mkdir(QStringLiteral("out2"));
    const std::string out2 = dir_.path().toStdString() + "/out2/";
    host_.settings.quality = 20;
    // Changes made in the middle of the first thumbnail, as window events
    // would: the first file is written with them, the size counts from the
    // second file on, which goes to the new folder with a new prefix.
    host_.onPump = [&] {
        if (host_.pumps == 10) {
            host_.settings.quality = 100;
            host_.settings.size = 64;
        }
        if (host_.pumps == 32 * 24 + 1) {
            host_.settings.destination = out2;
            host_.settings.prefix = "t_";
        }
    };
    queue({"a.bmp", "b.bmp"});
    run();
    expectFinished();
    EXPECT_EQ(observer_.outputs,
              (std::vector<std::string>{"0:" + out_ + "a.jpg", "1:" + out2 + "t_b.jpg"}));
    EXPECT_EQ(QImage(QString::fromStdString(out_ + "a.jpg")).size(), QSize(32, 24));
    EXPECT_EQ(QImage(QString::fromStdString(out2 + "t_b.jpg")).size(), QSize(64, 48));
    // Quality 100 means a quantisation table of ones: the file holds 64 bytes of 1.
    EXPECT_NE(ReadFileBytes(out_ + "a.jpg").find(std::string(64, '\1')), std::string::npos);
}

TEST_F(RunConversionTest, KeepDateCarriesTheSourceTimeToTheThumbnail) {
    SaveBmp(TestPicture(40, 30), src_ + "a.bmp");
    SaveJpeg(TestPicture(40, 30), src_ + "b.jpg");
    SetModified(src_ + "a.bmp", LocalTime(2024, 5, 17, 10, 0, 1));
    SetModified(src_ + "b.jpg", LocalTime(1999, 12, 31, 23, 59, 59));
    host_.settings.keepDate = true;
    queue({"a.bmp", "b.jpg"});
    run();
    expectFinished();
    EXPECT_EQ(Modified(out_ + "a.jpg"), LocalTime(2024, 5, 17, 10, 0, 0));
    EXPECT_EQ(Modified(out_ + "b.jpg"), LocalTime(1999, 12, 31, 23, 59, 58));

    host_.settings.keepDate = false;
    const time_t before = time(nullptr);
    queue({"a.bmp"});
    run();
    EXPECT_GE(Modified(out_ + "a.jpg"), before);
    EXPECT_LE(Modified(out_ + "a.jpg"), FineNow());
}

TEST_F(RunConversionTest, QueueLengthIsReadForEveryIndex) {
    SaveBmp(TestPicture(40, 30), src_ + "a.bmp");
    SaveBmp(TestPicture(40, 30), src_ + "b.bmp");
    host_.onPump = [&] {
        if (host_.pumps == 1) state_.FileQueue.push_back(src_ + "b.bmp");
    };
    queue({"a.bmp"});
    run();
    expectFinished();
    EXPECT_EQ(observer_.outputs.size(), 2u);
    // The divisor follows the queue too: 0 then 1 of 2 files.
    EXPECT_EQ(host_.progress[32 * 24], 500);
}

}  // namespace
