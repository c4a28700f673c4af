#include <gtest/gtest.h>

#include "cli/jsonreport.h"
#include "cli/progressline.h"

// The texts a batch run shows and writes.
namespace {

TEST(JsonString, EscapesWhatJsonNeedsAndKeepsEveryByte) {
    const struct {
        std::string text, json;
    } rows[] = {
        {"plain.jpg", "\"plain.jpg\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {std::string("t\tn\nnul") + '\0', "\"t\\u0009n\\u000anul\\u0000\""},
        {"写真.JPG", "\"写真.JPG\""},                              // valid UTF-8 stays as it is
        {"caf\xe9.bmp", "\"caf\\udce9.bmp\""},                     // Latin-1
        {"\xc0\xaf", "\"\\udcc0\\udcaf\""},                        // overlong "/"
        {"\xed\xa0\x80", "\"\\udced\\udca0\\udc80\""},             // an encoded surrogate
        {"\xe5\x86", "\"\\udce5\\udc86\""},                        // cut short
        {"\xf4\x90\x80\x80", "\"\\udcf4\\udc90\\udc80\\udc80\""},  // past U+10FFFF
        {"\xf0\x9f\x93\xb7", "\"\xf0\x9f\x93\xb7\""},              // four bytes, valid
    };
    for (const auto& row : rows) EXPECT_EQ(JsonString(row.text), row.json) << row.json;
}

TEST(ProgressLine, CountsAndTimeLeft) {
    ProgressLine counts(10);
    EXPECT_EQ(counts.progress(0), "0 of 10 files: 0 converted, 0 failed, 0 skipped, --:-- left");
    counts.count(ProgressLine::Outcome::Refused);
    counts.count(ProgressLine::Outcome::UpToDate);
    EXPECT_EQ(counts.progress(1), "2 of 10 files: 0 converted, 1 failed, 1 skipped, --:-- left");
    counts.count(ProgressLine::Outcome::Converted);
    counts.count(ProgressLine::Outcome::Failed);
    // Two files read in 10 s: six to go, 30 s.
    EXPECT_EQ(counts.progress(10), "4 of 10 files: 1 converted, 2 failed, 1 skipped, 0:30 left");
    EXPECT_FALSE(counts.allWell());
    EXPECT_EQ(counts.summary(12.345),
              "10 files: 1 converted, 1 up to date, 1 refused, 1 failed in 12.3 s");
    ProgressLine one(1);
    one.count(ProgressLine::Outcome::UpToDate);
    EXPECT_TRUE(one.allWell());
    EXPECT_EQ(one.summary(0), "1 file: 0 converted, 1 up to date, 0 refused, 0 failed in 0.0 s");
}

TEST(ProgressLine, ClockText) {
    const std::pair<double, const char*> rows[] = {
        {0, "0:00"}, {0.2, "0:01"}, {59, "0:59"}, {61, "1:01"}, {3599, "59:59"}, {3723, "1:02:03"}};
    for (const auto& [seconds, text] : rows) EXPECT_EQ(ClockText(seconds), text) << seconds;
}

}  // namespace
