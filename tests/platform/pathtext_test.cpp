#include "platform/pathtext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(PathText, EveryByteStringComesBackUnchanged) {
    std::vector<std::string> names = {
        "plain.jpg",
        "写真.jpg",                    // UTF-8
        "caf\xe9.jpg",                 // Latin-1
        "\x8e\xca\x90\x5e.jpg",        // 写真 in Shift-JIS
        "\xc0\xaf",                    // an overlong "/"
        "\xed\xb2\x80",                // an encoded surrogate
        "\xe5\x86",                    // a sequence cut short
        "\xe5\x86\x99\xe5",            // a whole one, then a cut one
        "\xf0\x9f\x98\x80 smile.jpg",  // outside the basic plane
        "\xf4\x90\x80\x80",            // past U+10FFFF
        "\xef\xbf\xbd",                // U+FFFD itself, valid
    };
    std::string every;
    for (int b = 1; b < 256; ++b) every += char(b);
    names.push_back(every);
    for (const std::string& name : names) EXPECT_EQ(PathBytes(PathText(name)), name) << name;
}

TEST(PathText, ValidUtf8IsPlainText) {
    for (const char* name : {"写真.jpg", "\xf0\x9f\x98\x80", "a/b c"})
        EXPECT_EQ(PathText(name), QString::fromUtf8(name)) << name;
    EXPECT_EQ(PathBytes(QStringLiteral("サムネ_")), "サムネ_");
}

TEST(PathText, BytesThatAreNoTextShowAsReplacementCharacters) {
    const QString text = PathText("caf\xe9.jpg");
    EXPECT_EQ(text.size(), 8);
    EXPECT_EQ(ShownText(text), QStringLiteral("caf\uFFFD.jpg"));
    EXPECT_EQ(ShownText(PathText("\xf0\x9f\x98\x80")), QString::fromUtf8("\xf0\x9f\x98\x80"));
    EXPECT_EQ(ShownText(QStringLiteral("写真")), QStringLiteral("写真"));
}

TEST(LocalPathsOfUriList, DecodesFileUrisToTheirBytes) {
    const std::string list =
        "# a comment\r\n"
        "file:///tmp/caf%E9.jpg\r\n"
        "http://example.com/a.jpg\r\n"
        "file://localhost/a%20b/%E5%86%99.bmp\r\n"
        "file://elsewhere/c.jpg\r\n"
        "file:/d.jpg\n"
        "file:///100%.jpg";
    const std::vector<std::string> expected = {"/tmp/caf\xe9.jpg", "/a b/写.bmp", "/d.jpg",
                                               "/100%.jpg"};
    EXPECT_EQ(LocalPathsOfUriList(list), expected);
    EXPECT_TRUE(LocalPathsOfUriList("").empty());
}

}  // namespace
