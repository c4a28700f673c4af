// What a hostile or cut file may cost: scans, memory, a header cut inside.

#include "codec/jpeglimits.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include "codec/jpegimage.h"
#include "tests/codec/codectestutil.h"

namespace {

TBitmap Gradient(int width, int height) {
    TBitmap picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uchar* p = picture.scanLine(y) + x * 3;
            p[0] = uchar(x * 7);
            p[1] = uchar(y * 5);
            p[2] = uchar(x + y);
        }
    return picture;
}

// Where the first start-of-scan marker stands.
qsizetype FirstScanMarker(const QByteArray& jpeg) {
    return ScanDataOffset(jpeg) - 4 - HeaderSegments(jpeg).back().body.size();
}

// A progressive file's header with its frame size replaced, then `scans`
// scans without data, each the first component's DC scan again: the scan
// bomb of a few bytes a scan.
QByteArray EmptyScans(int width, int height, int scans) {
    const QByteArray progressive = EncodeJpeg(Gradient(16, 16), 75, true);
    QByteArray file = WithFrameSize(progressive, width, height).left(FirstScanMarker(progressive));
    const char scan[] = {'\xFF', '\xDA', 0, 8, 1, 1, 0, 0, 0, 0};
    for (int i = 0; i < scans; ++i) file.append(scan, sizeof scan);
    return file.append("\xFF\xD9", 2);
}

// The reason of the EJPEG that f throws, or "" when it throws none.
template <typename F>
std::string RefusalOf(F f) {
    try {
        f();
    } catch (const EJPEG& e) {
        return e.Reason();
    }
    return {};
}

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(JpegLimits, CountsScansOutsideMarkerSegmentsOnly) {
    EXPECT_EQ(CountJpegScans(EncodeJpeg(Gradient(16, 16), 75), 1000), 1);
    const QByteArray progressive = EncodeJpeg(Gradient(16, 16), 75, true);
    EXPECT_EQ(CountJpegScans(progressive, 1000), 10);
    EXPECT_EQ(CountJpegScans(progressive, 4), 4);  // stops there
    // A start-of-scan inside an APP segment (a thumbnail, say) is no scan.
    QByteArray withApp = progressive;
    withApp.insert(2, QByteArray("\xFF\xE1\x00\x08\xFF\xDA\x00\x04", 8));
    EXPECT_EQ(CountJpegScans(withApp, 1000), 10);
    // Nothing after the end of the image counts.
    EXPECT_EQ(CountJpegScans(progressive + progressive, 1000), 10);
    EXPECT_EQ(CountJpegScans(QByteArray(), 1000), 0);
    EXPECT_EQ(CountJpegScans(QByteArray("\xFF\xD8\xFF\xDA", 4), 1000), 1);  // cut: no crash
}

TEST(JpegLimits, ScanBombIsRefusedAsSoonAsItsHeaderIsRead) {
    const QByteArray bomb = EmptyScans(8192, 8192, 10000);
    TJPEGImage jpeg;
    const std::string reason = RefusalOf([&] { jpeg.LoadFromBytes(bomb); });
    EXPECT_NE(reason.find("too many scans"), std::string::npos) << reason;
}

TEST(JpegLimits, ScansUpToTheLimitDecode) {
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(EmptyScans(64, 48, kJpegMaxScans));
    EXPECT_EQ(jpeg.Bitmap().width(), 64);
    EXPECT_NE(RefusalOf([&] { jpeg.LoadFromBytes(EmptyScans(64, 48, kJpegMaxScans + 1)); }), "");
}

TEST(JpegLimits, HugeProgressiveHeaderIsRefusedBeforeItsBufferIsMade) {
    const QByteArray huge = WithFrameSize(EncodeJpeg(Gradient(16, 16), 75, true), 65500, 65500);
    const long before = PeakKilobytes();
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(huge);  // the header alone is fine
    EXPECT_EQ(jpeg.Width(), 65500);
    for (int scale = 0; scale < 4; ++scale) {
        jpeg.SetDecodeScale(JpegDecodeScale(scale));
        const std::string reason = RefusalOf([&] { jpeg.Bitmap(); });
        EXPECT_NE(reason.find("too large to decode: 65500 x 65500"), std::string::npos)
            << scale << ": " << reason;
    }
    EXPECT_LT(PeakKilobytes() - before, 300 * 1024);
}

TEST(JpegLimits, DecodedBitmapOverTheBudgetIsRefusedBeforeItIsMade) {
    // A baseline file needs no coefficient buffer; at full size its bitmap of
    // 65500 x 65500 x 3 bytes is what does not fit.
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(WithFrameSize(EncodeJpeg(Gradient(16, 16), 75), 65500, 65500));
    const std::string reason = RefusalOf([&] { jpeg.Bitmap(); });
    EXPECT_NE(reason.find("too large to decode"), std::string::npos) << reason;
}

TEST(JpegLimits, FileCutInsideItsStartOfScanHeaderIsRefused) {
    const QByteArray whole = EncodeJpeg(Gradient(32, 32), 75);
    const qsizetype marker = FirstScanMarker(whole);
    const qsizetype data = ScanDataOffset(whole);
    for (qsizetype cut = marker; cut < data; ++cut) {
        TJPEGImage jpeg;
        EXPECT_NE(RefusalOf([&] { jpeg.LoadFromBytes(whole.left(cut)); }), "") << "cut at " << cut;
    }
    // Without its last byte the header still parses, the made-up end marker
    // read as scan parameters: only the check of the source refuses it.
    TJPEGImage cut;
    EXPECT_EQ(RefusalOf([&] { cut.LoadFromBytes(whole.left(data - 1)); }),
              "the file ends before its picture data");
    // Cut where the picture data begins: the header is whole, the picture gray.
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(whole.left(data));
    EXPECT_EQ(jpeg.Bitmap().width(), 32);
}

TEST(JpegLimits, DamagedFilesSayWhatTheLibrarySaw) {
    TJPEGImage jpeg;
    const std::string reason = RefusalOf([&] { jpeg.LoadFromBytes(QByteArray("BM\0\0", 4)); });
    EXPECT_EQ(reason, "Not a JPEG file: starts with 0x42 0x4d");
}

}  // namespace
