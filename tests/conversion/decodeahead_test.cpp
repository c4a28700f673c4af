#include "conversion/decodeahead.h"

#include <gtest/gtest.h>

#include <QDir>
#include <functional>
#include <map>

#include "codec/srgbtransform.h"
#include "conversion/runconversion.h"
#include "conversion/runobserver.h"
#include "conversion/runstate.h"
#include "conversion/sourceloader.h"
#include "image/bitmap.h"
#include "tests/conversion/conversiontesthost.h"
#include "tests/support/formatpictures.h"
#include "tests/support/imagecompare.h"
#include "tests/support/tempfolder.h"

namespace {

// Calls back after each written file: settings change between two files.
class BetweenFiles : public RunObserver {
public:
    explicit BetweenFiles(std::function<void(int)> after) : after_(std::move(after)) {}
    void loadFailed(int, const std::string&, const std::string&) override {}
    void writeRefused(int, const std::string&, const std::string&, const std::string&) override {}
    void written(int index, const std::string&, const std::string&) override { after_(index); }

private:
    std::function<void(int)> after_;
};

class DecodeAheadTest : public TempFolderTest {
protected:
    std::string folder(const std::string& name) const {
        QDir(dir_.path()).mkpath(QString::fromStdString(name));
        return path(name) + "/";
    }

    TestHost host_;
};

TEST_F(DecodeAheadTest, HandsOverOnlyWhatTheFileAndTheShapeStillGive) {
    const std::vector<std::string> queue = {path("a.jpg"), path("b.bmp"), path("c.jpg"),
                                            path("d.jpg"), path("e.png"), path("f.jpg")};
    SaveJpeg(TestPicture(90, 60, 1), queue[0]);
    SaveBmp(TestPicture(40, 70, 2), queue[1]);
    SaveJpeg(TestPicture(80, 80, 3), queue[2]);
    SaveJpeg(TestPicture(50, 30, 4), queue[3]);
    WriteBytes(queue[4], EncodeTestPicture("PNG", TestPicture(30, 20, 5)).toStdString());
    SaveJpeg(TestPicture(20, 30, 6), queue[5]);
    // The window refuses f.jpg when it is reached, as if its formats changed.
    bool refuseF = false;
    host_.reads = [&](const std::string& source, const PictureFormat&) {
        return !refuseF || source != queue[5];
    };
    {
        // Without a size estimate a picture may take the whole budget: alone it fits.
        DecodeAhead ahead(4);
        ahead.schedule(queue, 0, host_);
        ahead.finishScheduled();
        DecodeAhead alone(1);
        alone.schedule(queue, 4, host_);
        alone.finishScheduled();
        // Rewritten after it was decoded: same size and time, another file.
        SaveJpeg(TestPicture(80, 80, 9), path("new.jpg"));
        ASSERT_EQ(std::rename(path("new.jpg").c_str(), queue[2].c_str()), 0);
        refuseF = true;

        struct Case {
            size_t index;
            bool otherShape;
            bool handed;
        };
        for (const Case& c : {Case{0, false, true}, Case{1, false, true}, Case{2, false, false},
                              Case{3, true, false}, Case{4, false, true}, Case{5, false, false}}) {
            const std::string& file = queue[c.index];
            SCOPED_TRACE(file);
            LoadChoices shape = LoadChoices::Of(host_, file);
            if (c.otherShape) shape.decode.bestQuality = !shape.decode.bestQuality;
            TBitmap bitmap;
            uint32_t age = 0;
            std::unique_ptr<SrgbTransform> colours;
            DecodeAhead& from = c.index == 4 ? alone : ahead;
            EXPECT_EQ(from.take(c.index, file, shape, bitmap, age, colours), c.handed);
            if (!c.handed) continue;
            RunState state;
            TBitmap expected;
            ASSERT_TRUE(LoadSourceFile(expected, file, state, host_));
            EXPECT_TRUE(SameBitmap(bitmap, expected));
            EXPECT_EQ(age, state.SourceFileAge);
        }
        // Taken entries are gone: a second take loads again.
        TBitmap bitmap;
        uint32_t age = 0;
        std::unique_ptr<SrgbTransform> colours;
        EXPECT_FALSE(
            ahead.take(0, queue[0], LoadChoices::Of(host_, queue[0]), bitmap, age, colours));
    }
}

// Settings changed between files, and a source rewritten after the run has
// passed it by in the queue, give the files of a run without decode-ahead.
TEST_F(DecodeAheadTest, RunGivesTheOneThreadFilesWhateverChangesMidway) {
    std::vector<std::string> sources;
    for (int i = 0; i < 7; ++i) {
        sources.push_back(path("p" + std::to_string(i) + (i == 3 ? ".bmp" : ".jpg")));
        if (i == 3)
            SaveBmp(TestPicture(120, 80, i), sources.back());
        else
            SaveJpeg(TestPicture(200 - 10 * i, 150, i), sources.back());
    }
    SaveJpeg(TestPicture(200, 150, 42), path("rewrite.jpg"));
    std::map<int, std::string> outputs;
    for (const int workers : {0, 2}) {
        SCOPED_TRACE(workers);
        TestHost host;
        host.workers = workers;
        const std::string first = folder("out" + std::to_string(workers));
        host.settings.destination = first;
        const std::string second = folder("other" + std::to_string(workers));
        const std::string rewritten = ReadFileBytes(path("rewrite.jpg"));
        const std::string original = ReadFileBytes(sources[5]);
        BetweenFiles between([&](int index) {
            switch (index) {
                case 0:
                    host.settings.size = 60;
                    break;
                case 1:
                    host.settings.quality = 95;
                    break;
                case 2:
                    host.settings.bestQuality = false;
                    break;
                case 3:
                    host.settings.prefix = "s_";
                    break;
                case 4:
                    host.settings.destination = second;
                    WriteBytes(sources[5], rewritten);
                    break;
                case 5:
                    host.settings.smoothing = true;
                    break;
            }
        });
        RunState state;
        state.FileQueue = sources;
        RunConversion(state, host, &between);
        WriteBytes(sources[5], original);
        std::string all;
        for (const std::string& out : {first, second})
            for (const QString& name : FolderEntries(out))
                all += name.toStdString() + "=" + ReadFileBytes(out + name.toStdString()) + ";";
        outputs[workers] = all;
        EXPECT_EQ(FolderEntries(second).size(), 2);
    }
    EXPECT_TRUE(outputs[0] == outputs[2]);
}

}  // namespace
