#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <map>
#include <string>

#include "conversion/runstate.h"
#include "conversion/sourceloader.h"
#include "image/bitmap.h"
#include "tests/conversion/conversiontesthost.h"

// Every file of the BMP Suite through the loader, as its README says a careful
// reader handles it; for files that may be loaded or refused, the choice made
// here is pinned, and a loaded picture must match its reference rendering.
namespace {

const std::string kSuite = THUMBRIX_TESTDATA "/bmpsuite/";

enum class Expect { Load, Refuse };

struct SuiteRow {
    Expect expect;
    const char* reference;  // under ref/; nullptr: no rendering to compare with
    int tolerance;          // per channel: scaled 10- and 11-bit channels may round apart
};

// Pixels that the reference leaves transparent hold no colour to compare.
const std::map<std::string, SuiteRow> kRows = {
    // g: good, all load.
    {"g/pal1.bmp", {Expect::Load, "pal1.png", 0}},
    {"g/pal1wb.bmp", {Expect::Load, "pal1.png", 0}},
    {"g/pal1bg.bmp", {Expect::Load, "pal1bg.png", 0}},
    {"g/pal4.bmp", {Expect::Load, "pal4.png", 0}},
    {"g/pal4gs.bmp", {Expect::Load, "pal4gs.png", 0}},
    {"g/pal4rle.bmp", {Expect::Load, "pal4.png", 0}},
    {"g/pal8.bmp", {Expect::Load, "pal8.png", 0}},
    {"g/pal8-0.bmp", {Expect::Load, "pal8.png", 0}},
    {"g/pal8gs.bmp", {Expect::Load, "pal8gs.png", 0}},
    {"g/pal8rle.bmp", {Expect::Load, "pal8.png", 0}},
    {"g/pal8w126.bmp", {Expect::Load, "pal8w126.png", 0}},
    {"g/pal8w125.bmp", {Expect::Load, "pal8w125.png", 0}},
    {"g/pal8w124.bmp", {Expect::Load, "pal8w124.png", 0}},
    {"g/pal8topdown.bmp", {Expect::Load, "pal8.png", 0}},
    {"g/pal8nonsquare.bmp", {Expect::Load, "pal8nonsquare-e.png", 0}},
    {"g/pal8os2.bmp", {Expect::Load, "pal8.png", 0}},
    {"g/pal8v4.bmp", {Expect::Load, "pal8.png", 0}},
    {"g/pal8v5.bmp", {Expect::Load, "pal8.png", 0}},
    {"g/rgb16.bmp", {Expect::Load, "rgb16.png", 0}},
    {"g/rgb16bfdef.bmp", {Expect::Load, "rgb16.png", 0}},
    {"g/rgb16-565.bmp", {Expect::Load, "rgb16-565.png", 0}},
    {"g/rgb16-565pal.bmp", {Expect::Load, "rgb16-565.png", 0}},
    {"g/rgb24.bmp", {Expect::Load, "rgb24.png", 0}},
    {"g/rgb24pal.bmp", {Expect::Load, "rgb24.png", 0}},
    {"g/rgb32.bmp", {Expect::Load, "rgb24.png", 0}},
    {"g/rgb32bfdef.bmp", {Expect::Load, "rgb24.png", 0}},
    {"g/rgb32bf.bmp", {Expect::Load, "rgb24.png", 0}},
    // q: questionable, either is allowed.
    {"q/pal1huffmsb.bmp", {Expect::Refuse, nullptr, 0}},
    {"q/pal1p1.bmp", {Expect::Load, "pal1p1.png", 0}},
    {"q/pal2.bmp", {Expect::Refuse, nullptr, 0}},
    {"q/pal2color.bmp", {Expect::Refuse, nullptr, 0}},
    {"q/pal4rletrns.bmp", {Expect::Load, "pal4rletrns-0.png", 0}},  // skipped: colour 0
    {"q/pal4rlecut.bmp", {Expect::Load, "pal4rlecut.png", 0}},
    {"q/pal8rletrns.bmp", {Expect::Load, "pal8rletrns-0.png", 0}},
    {"q/pal8rlecut.bmp", {Expect::Load, "pal8rlecut.png", 0}},
    {"q/pal8offs.bmp", {Expect::Load, "pal8.png", 0}},
    {"q/pal8oversizepal.bmp", {Expect::Refuse, nullptr, 0}},
    {"q/pal8os2-sz.bmp", {Expect::Load, "pal8.png", 0}},
    {"q/pal8os2-hs.bmp", {Expect::Load, "pal8.png", 0}},
    {"q/pal8os2sp.bmp", {Expect::Refuse, nullptr, 0}},  // short palette
    {"q/pal8os2v2.bmp", {Expect::Load, "pal8.png", 0}},
    {"q/pal8os2v2-16.bmp", {Expect::Refuse, nullptr, 0}},
    {"q/pal8os2v2-sz.bmp", {Expect::Load, "pal8.png", 0}},
    {"q/pal8os2v2-40sz.bmp", {Expect::Load, "pal8.png", 0}},
    {"q/rgb24rle24.bmp", {Expect::Refuse, nullptr, 0}},
    {"q/rgb16faketrns.bmp", {Expect::Load, "rgb16.png", 0}},
    {"q/rgb16-231.bmp", {Expect::Load, "rgb16-231.png", 1}},
    {"q/rgb16-3103.bmp", {Expect::Load, "rgb16-3103.png", 1}},
    {"q/rgba16-4444.bmp", {Expect::Load, "rgba16-4444.png", 1}},
    {"q/rgba16-5551.bmp", {Expect::Load, "rgba16-5551.png", 1}},
    {"q/rgba16-1924.bmp", {Expect::Load, "rgba16-1924.png", 1}},
    {"q/rgb24largepal.bmp", {Expect::Load, "rgb24.png", 0}},
    {"q/rgb24prof.bmp", {Expect::Load, "rgb24.png", 0}},
    {"q/rgb24prof2.bmp",
     {Expect::Load, nullptr, 0}},  // without colour profiles: red and green swapped
    {"q/rgb24lprof.bmp", {Expect::Load, "rgb24.png", 0}},
    {"q/rgb24jpeg.bmp", {Expect::Refuse, nullptr, 0}},
    {"q/rgb24png.bmp", {Expect::Refuse, nullptr, 0}},
    {"q/rgb32h52.bmp", {Expect::Load, "rgb24.png", 0}},
    {"q/rgb32-xbgr.bmp", {Expect::Load, "rgb24.png", 0}},
    {"q/rgb32fakealpha.bmp", {Expect::Load, "rgb24.png", 0}},
    {"q/rgb32-111110.bmp", {Expect::Load, "rgb24.png", 1}},
    {"q/rgb32-7187.bmp", {Expect::Load, "rgb32-7187.png", 1}},
    {"q/rgba32-1.bmp", {Expect::Load, "rgba32.png", 0}},
    {"q/rgba32-2.bmp", {Expect::Load, "rgba32.png", 0}},
    {"q/rgba32-1010102.bmp", {Expect::Load, "rgba32-1010102.png", 1}},
    {"q/rgba32-81284.bmp", {Expect::Load, "rgba32-81284.png", 1}},
    {"q/rgba32-61754.bmp", {Expect::Load, "rgba32-61754.png", 1}},
    {"q/rgba32abf.bmp", {Expect::Load, "rgba32.png", 0}},
    {"q/rgba32h56.bmp", {Expect::Load, "rgba32.png", 0}},
    {"q/rgba64.bmp", {Expect::Refuse, nullptr, 0}},
    // b: bad. The header faults, overrunning or top-down RLE and cut data are refused.
    {"b/badbitcount.bmp", {Expect::Refuse, nullptr, 0}},
    {"b/badbitssize.bmp", {Expect::Load, "pal1.png", 0}},
    {"b/baddens1.bmp", {Expect::Load, "pal1.png", 0}},
    {"b/baddens2.bmp", {Expect::Load, "pal1.png", 0}},
    {"b/badfilesize.bmp", {Expect::Load, "pal1.png", 0}},
    {"b/badheadersize.bmp", {Expect::Refuse, nullptr, 0}},
    {"b/badpalettesize.bmp", {Expect::Refuse, nullptr, 0}},
    {"b/badplanes.bmp", {Expect::Refuse, nullptr, 0}},
    {"b/badrle4.bmp", {Expect::Refuse, nullptr, 0}},
    {"b/badrle4bis.bmp", {Expect::Refuse, nullptr, 0}},
    {"b/badrle4ter.bmp", {Expect::Refuse, nullptr, 0}},
    {"b/badrle.bmp", {Expect::Refuse, nullptr, 0}},
    {"b/badrlebis.bmp", {Expect::Refuse, nullptr, 0}},
    {"b/badrleter.bmp", {Expect::Refuse, nullptr, 0}},
    {"b/badwidth.bmp", {Expect::Refuse, nullptr, 0}},
    {"b/pal8badindex.bmp", {Expect::Load, nullptr, 0}},  // bad indices take a fixed colour
    {"b/reallybig.bmp", {Expect::Refuse, nullptr, 0}},
    {"b/rgb16-880.bmp", {Expect::Load, "rgb16-880.png", 0}},
    {"b/rletopdown.bmp", {Expect::Refuse, nullptr, 0}},
    {"b/shortfile.bmp", {Expect::Refuse, nullptr, 0}},
    // x: a related format.
    {"x/ba-bm.bmp", {Expect::Refuse, nullptr, 0}},
};

::testing::AssertionResult MatchesReference(const TBitmap& bitmap, const std::string& reference,
                                            int tolerance) {
    const QImage ref =
        QImage(QString::fromStdString(reference)).convertToFormat(QImage::Format_ARGB32);
    if (ref.isNull()) return ::testing::AssertionFailure() << "no reference " << reference;
    if (ref.width() != bitmap.width() || ref.height() != bitmap.height())
        return ::testing::AssertionFailure() << "size " << bitmap.width() << "x" << bitmap.height()
                                             << " vs " << ref.width() << "x" << ref.height();
    for (int y = 0; y < ref.height(); ++y) {
        const uchar* row = bitmap.scanLine(y);
        for (int x = 0; x < ref.width(); ++x) {
            const QRgb want = ref.pixel(x, y);
            if (qAlpha(want) == 0) continue;
            const int got[3] = {row[x * 3 + 2], row[x * 3 + 1], row[x * 3]};
            const int expected[3] = {qRed(want), qGreen(want), qBlue(want)};
            for (int c = 0; c < 3; ++c)
                if (std::abs(got[c] - expected[c]) > tolerance)
                    return ::testing::AssertionFailure()
                           << "differs at (" << x << ", " << y << "): " << got[0] << "," << got[1]
                           << "," << got[2] << " vs " << expected[0] << "," << expected[1] << ","
                           << expected[2] << " (red, green, blue)";
        }
    }
    return ::testing::AssertionSuccess();
}

TEST(BmpSuite, EveryFileIsHandledAsItsReadmeSays) {
    int seen = 0;
    for (const char* folder : {"g", "q", "b", "x"}) {
        const QStringList names = QDir(QString::fromStdString(kSuite + folder))
                                      .entryList({QStringLiteral("*.bmp")}, QDir::Files);
        for (const QString& name : names) {
            const std::string file = std::string(folder) + "/" + name.toStdString();
            SCOPED_TRACE(file);
            const auto row = kRows.find(file);
            ASSERT_NE(row, kRows.end()) << "not in the table";
            ++seen;

            TestHost host;
            RunState state;
            state.SourceFileAge = 7;
            TBitmap bitmap;
            std::string reason;
            const bool loaded = LoadSourceFile(bitmap, kSuite + file, state, host, &reason);
            if (row->second.expect == Expect::Refuse) {
                EXPECT_FALSE(loaded);
                EXPECT_FALSE(reason.empty());
                EXPECT_EQ(state.SourceFileAge, 7u);
                continue;
            }
            ASSERT_TRUE(loaded) << reason;
            EXPECT_EQ(bitmap.pixelFormat(), TBitmap::PixelFormat::Bits24);
            EXPECT_NE(state.SourceFileAge, 7u);
            if (row->second.reference != nullptr) {
                EXPECT_TRUE(MatchesReference(bitmap, kSuite + "ref/" + row->second.reference,
                                             row->second.tolerance));
            }
        }
    }
    EXPECT_EQ(seen, static_cast<int>(kRows.size()));
}

}  // namespace
