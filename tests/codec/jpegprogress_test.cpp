// Progress reports and stopping a decode or encode from the progress handler.

#include "codec/jpegprogress.h"

#include <gtest/gtest.h>

#include "codec/jpegimage.h"
#include "tests/codec/codectestutil.h"
#include "tests/support/imagecompare.h"

TEST(JpegProgress, ReportsAtMostEvery500msOnPercentChange) {
    // Decoding 100 rows in one pass of 100.
    CodecProgressState state{};
    const struct {
        long long now;
        long counter;
        int row;
        int percent;  // -1: no report
        int bandTop, bandHeight;
    } steps[] = {
        {1000, 10, 10, -1, 0, 0},   // first call starts the clock
        {1400, 20, 20, -1, 0, 0},   // too soon
        {1500, 30, 30, 30, 0, 30},  // rows 0..29
        {1700, 50, 50, -1, 0, 0},   // too soon
        {2000, 30, 30, -1, 0, 0},   // same percent
        {2001, 32, 32, 32, 30, 2},  // a thin band: no redraw
        {3000, 99, 99, 99, 32, 67},
    };
    for (const auto& s : steps) {
        const auto report =
            NextProgressReport(state, {s.counter, 100, 0, 1}, s.now, s.row, 50, 100);
        if (s.percent < 0) {
            EXPECT_FALSE(report) << s.now;
            continue;
        }
        ASSERT_TRUE(report) << s.now;
        EXPECT_EQ(report->percent, s.percent);
        EXPECT_EQ(report->band, QRect(0, s.bandTop, 50, s.bandHeight)) << s.now;
        EXPECT_EQ(report->redrawNow, s.bandHeight >= 4) << s.now;
    }
}

TEST(JpegProgress, PercentSpansPassesAndANewPassExtendsTheBand) {
    CodecProgressState state{};
    NextProgressReport(state, {0, 100, 0, 3}, 0, 0, 10, 100);
    // Pass 2 of 3, 50 % through: (0.5 + 1) * 100 / 3 = 50.
    auto report = NextProgressReport(state, {50, 100, 1, 3}, 600, 80, 10, 100);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->percent, 50);
    EXPECT_EQ(report->band, QRect(0, 0, 10, 80));
    // The output row went back: a new pass began; the band runs to the bottom.
    report = NextProgressReport(state, {99, 100, 1, 3}, 1200, 20, 10, 100);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->percent, 66);  // 66.33 truncated
    EXPECT_EQ(report->band, QRect(0, 80, 10, 20));
    // Encoding has no band; a zero pass limit does no harm.
    CodecProgressState encoding{};
    NextProgressReport(encoding, {0, 0, 0, 1}, 0, 0, -1, 0);
    report = NextProgressReport(encoding, {0, 0, 1, 2}, 500, 0, -1, 0);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->percent, 50);
    EXPECT_TRUE(report->band.isEmpty());
    EXPECT_FALSE(report->redrawNow);
}

namespace {

// A clock that moves a second at every look, so that every call may report.
long long FastClock() {
    static long long now = 0;
    return now += 1000;
}

class FastClockTest : public ::testing::Test {
protected:
    void SetUp() override { CodecTickSource = FastClock; }
    void TearDown() override { CodecTickSource = saved_; }

private:
    long long (*saved_)() = CodecTickSource;
};

struct Event {
    TProgressStage stage;
    int percent;
};

TBitmap Noise(int width, int height) {
    return PositionCoded(width, height,
                         [](int x, int y) { return (x * 37 + y * 11 + x * y) % 256; });
}

}  // namespace

TEST_F(FastClockTest, DecodeReportsStartRunningAndEnd) {
    TJPEGImage jpeg;
    jpeg.SetOutputDepth(JpegOutputDepth::Depth24);
    jpeg.LoadFromBytes(EncodeJpeg(Noise(64, 256), 90));
    std::vector<Event> events;
    QRect lastBand;
    jpeg.SetOnProgress([&](TJPEGImage& sender, TProgressStage stage, int percent, bool,
                           const QRect& r, const QString& msg) {
        EXPECT_EQ(&sender, &jpeg);
        EXPECT_TRUE(msg.isEmpty());
        events.push_back({stage, percent});
        if (stage == TProgressStage::Running) lastBand = r;
    });
    jpeg.Bitmap();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front().stage, TProgressStage::Starting);
    EXPECT_EQ(events.back().stage, TProgressStage::Ending);
    EXPECT_EQ(events.back().percent, 100);
    int last = 0;
    for (std::size_t i = 1; i + 1 < events.size(); ++i) {
        EXPECT_EQ(events[i].stage, TProgressStage::Running);
        EXPECT_GT(events[i].percent, last);
        last = events[i].percent;
    }
    EXPECT_EQ(lastBand.width(), 64);
}

TEST_F(FastClockTest, AbortKeepsThePartialBitmap) {
    const TBitmap picture = Noise(64, 256);
    TJPEGImage jpeg;
    jpeg.SetOutputDepth(JpegOutputDepth::Depth24);
    jpeg.LoadFromBytes(EncodeJpeg(picture, 95));
    int ending = -1;
    jpeg.SetOnProgress(
        [&](TJPEGImage&, TProgressStage stage, int percent, bool, const QRect& r, const QString&) {
            if (stage == TProgressStage::Running && r.bottom() >= 100) throw EAbort();
            if (stage == TProgressStage::Ending) ending = percent;
        });
    const TBitmap* partial = nullptr;
    ASSERT_NO_THROW(partial = &jpeg.Bitmap());
    EXPECT_EQ(ending, 0);
    ASSERT_EQ(partial->height(), 256);
    // The top rows are there; the bottom was never written.
    EXPECT_LE(MaxDifference(TBitmap(partial->image().copy(0, 0, 64, 64)),
                            TBitmap(picture.image().copy(0, 0, 64, 64))),
              24);
    jpeg.SetOnProgress(nullptr);
    EXPECT_EQ(&jpeg.Bitmap(), partial);  // kept: no second decode
}

TEST_F(FastClockTest, OtherErrorsFromTheHandlerPropagate) {
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(EncodeJpeg(Noise(64, 256), 95));
    jpeg.SetOnProgress(
        [](TJPEGImage&, TProgressStage stage, int, bool, const QRect&, const QString&) {
            if (stage == TProgressStage::Running) throw std::runtime_error("handler failed");
        });
    EXPECT_THROW(jpeg.Bitmap(), std::runtime_error);
    jpeg.SetOnProgress(nullptr);
    EXPECT_EQ(jpeg.Bitmap().height(), 256);  // decodes again
}

TEST_F(FastClockTest, AbortedEncodeDropsTheNewBytes) {
    TJPEGImage jpeg;
    jpeg.Assign(Noise(64, 256));
    int ending = -1;
    jpeg.SetOnProgress(
        [&](TJPEGImage&, TProgressStage stage, int percent, bool, const QRect&, const QString&) {
            if (stage == TProgressStage::Running) throw EAbort();
            if (stage == TProgressStage::Ending) ending = percent;
        });
    EXPECT_TRUE(jpeg.SaveToBytes().isEmpty());
    EXPECT_EQ(ending, 0);
    EXPECT_FALSE(jpeg.Data().Bytes.has_value());
}

TEST(JpegProgressStart, AbortAtTheStartOfADecode) {
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(ReadFileBytes(JpegSample("testorig.jpg")));
    jpeg.SetOnProgress(
        [](TJPEGImage&, TProgressStage stage, int, bool, const QRect&, const QString&) {
            if (stage == TProgressStage::Starting) throw EAbort();
        });
    EXPECT_NO_THROW(jpeg.Bitmap());
    EXPECT_TRUE(jpeg.Bitmap().isEmpty());
}
