#include "cli/batchoptions.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <fstream>

namespace {

class BatchOptionsTest : public ::testing::Test {
protected:
    // The program lives in its own temporary folder, beside which a
    // thumbrix.ini may be put.
    std::string program() const { return dir_.path().toStdString() + "/bin/thumbrix-batch"; }
    std::string folder() const { return dir_.path().toStdString() + "/bin/"; }
    void SetUp() override { ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("bin"))); }

    bool parse(const std::vector<std::string>& args) {
        return ParseBatchOptions(args, program(), options_, error_);
    }
    QTemporaryDir dir_;
    BatchOptions options_;
    std::string error_;
};

TEST_F(BatchOptionsTest, DefaultsWithoutASettingsFile) {
    ASSERT_TRUE(parse({"a.jpg", "b.bmp"})) << error_;
    const BatchSettings& s = options_.settings;
    EXPECT_EQ(options_.action, BatchOptions::Action::Run);
    EXPECT_EQ(options_.files, (std::vector<std::string>{"a.jpg", "b.bmp"}));
    EXPECT_EQ(s.size, 32);
    EXPECT_EQ(s.quality, 60);
    EXPECT_TRUE(s.bestQuality);
    EXPECT_FALSE(s.smoothing || s.progressive || s.keepDate || options_.quiet);
    EXPECT_EQ(s.prefix, "");
    EXPECT_EQ(s.suffix, "");
    EXPECT_EQ(s.destination, folder());  // as the window: the program's folder
    EXPECT_GE(options_.jobs, 1);
}

TEST_F(BatchOptionsTest, EveryOptionInEveryForm) {
    ASSERT_TRUE(parse({"-d", "/out", "-s", "4096", "-q20", "--progressive", "--prefix", "s_",
                       "--suffix=_t", "--keep-date", "--fast-decode", "--smoothing", "-j", "3",
                       "--quiet", "--", "-dash.jpg", "--help"}))
        << error_;
    const BatchSettings& s = options_.settings;
    EXPECT_EQ(s.destination, "/out/");
    EXPECT_EQ(s.size, 4096);
    EXPECT_EQ(s.quality, 20);
    EXPECT_TRUE(s.progressive && s.keepDate && s.smoothing && options_.quiet);
    EXPECT_FALSE(s.bestQuality);
    EXPECT_EQ(s.prefix, "s_");
    EXPECT_EQ(s.suffix, "_t");
    EXPECT_EQ(options_.jobs, 3);
    EXPECT_EQ(options_.files, (std::vector<std::string>{"-dash.jpg", "--help"}));

    ASSERT_TRUE(parse({"--dest=/x/", "--size=1", "--quality", "100", "--jobs=1", "-", "表.jpg"}));
    EXPECT_EQ(options_.settings.destination, "/x/");
    EXPECT_EQ(options_.settings.size, 1);
    EXPECT_EQ(options_.settings.quality, 100);
    EXPECT_EQ(options_.files, (std::vector<std::string>{"-", "表.jpg"}));
}

TEST_F(BatchOptionsTest, UsageErrors) {
    const std::vector<std::string> rows[] = {
        {},           // no file
        {"--quiet"},  // still no file
        {"-s", "0", "a.jpg"},
        {"-s", "4097", "a.jpg"},
        {"--size=abc", "a.jpg"},
        {"-q", "19", "a.jpg"},
        {"-q", "101", "a.jpg"},
        {"-q", "-60", "a.jpg"},
        {"-j", "0", "a.jpg"},
        {"a.jpg", "-j"},
        {"--bogus", "a.jpg"},
        {"--quiet=yes", "a.jpg"},
        {"-x", "a.jpg"},
        {"--settings", "/no/such.ini", "a.jpg"},
    };
    for (const auto& args : rows) {
        std::string joined;
        for (const auto& a : args) joined += a + " ";
        EXPECT_FALSE(parse(args)) << joined;
        EXPECT_FALSE(error_.empty()) << joined;
    }
}

TEST_F(BatchOptionsTest, HelpAndVersionNeedNoFiles) {
    ASSERT_TRUE(parse({"--help"}));
    EXPECT_EQ(options_.action, BatchOptions::Action::Help);
    ASSERT_TRUE(parse({"a.jpg", "--version"}));
    EXPECT_EQ(options_.action, BatchOptions::Action::Version);
    EXPECT_NE(BatchUsage().find("--fast-decode"), std::string::npos);
}

TEST_F(BatchOptionsTest, SettingsFileSuppliesDefaultsAndTheCommandLineWins) {
    const std::string ini = dir_.path().toStdString() + "/my.ini";
    std::ofstream(ini) << "[FilePAth]\nSave=/stored\n[IconImage]\nSize=200\n"
                          "[JpegOption]\nQualityV=5\nQualityF=0\nSmoothing=1\nProgressive=1\n"
                          "[FileName]\nA=pre_\nB=_suf\n[Option]\nTimeStamp=1\n";
    ASSERT_TRUE(parse({"--settings", ini, "a.jpg"})) << error_;
    BatchSettings s = options_.settings;
    EXPECT_EQ(s.destination, "/stored/");
    EXPECT_EQ(s.size, 160);    // held to the window's range
    EXPECT_EQ(s.quality, 20);  // likewise
    EXPECT_FALSE(s.bestQuality);
    EXPECT_TRUE(s.smoothing && s.progressive && s.keepDate);
    EXPECT_EQ(s.prefix, "pre_");
    EXPECT_EQ(s.suffix, "_suf");

    ASSERT_TRUE(parse({"--settings", ini, "-d", "/cli", "-s", "64", "-q", "90", "--prefix", "",
                       "--suffix", "x", "a.jpg"}));
    s = options_.settings;
    EXPECT_EQ(s.destination, "/cli/");
    EXPECT_EQ(s.size, 64);
    EXPECT_EQ(s.quality, 90);
    EXPECT_EQ(s.prefix, "");
    EXPECT_EQ(s.suffix, "x");
}

TEST_F(BatchOptionsTest, PhotoFlagsWinOverTheSettingsFile) {
    const std::string on = dir_.path().toStdString() + "/on.ini";
    const std::string off = dir_.path().toStdString() + "/off.ini";
    std::ofstream(on) << "[Option]\nTimeStamp=0\n";  // older file: both on
    std::ofstream(off) << "[Option]\nAutoOrient=0\nToSRGB=0\n";
    const struct {
        std::vector<std::string> args;
        bool orient, srgb;
    } rows[] = {
        {{"a.jpg"}, true, true},
        {{"--settings", on, "a.jpg"}, true, true},
        {{"--settings", off, "a.jpg"}, false, false},
        {{"--settings", off, "--auto-orient", "a.jpg"}, true, false},
        {{"--settings", off, "--srgb", "a.jpg"}, false, true},
        {{"--settings", on, "--no-auto-orient", "--no-srgb", "a.jpg"}, false, false},
        {{"--no-srgb", "--srgb", "a.jpg"}, true, true},  // the last one counts
    };
    for (const auto& r : rows) {
        ASSERT_TRUE(parse(r.args)) << error_;
        EXPECT_EQ(options_.settings.autoOrient, r.orient) << r.args[0] << ' ' << r.args[1];
        EXPECT_EQ(options_.settings.toSrgb, r.srgb) << r.args[0] << ' ' << r.args[1];
    }
    EXPECT_FALSE(parse({"--srgb=1", "a.jpg"}));
    for (const char* flag : {"--auto-orient", "--no-auto-orient", "--srgb", "--no-srgb"})
        EXPECT_NE(BatchUsage().find(flag), std::string::npos) << flag;
}

TEST_F(BatchOptionsTest, ThumbrixIniBesideTheProgramUnlessSettingsAreGiven) {
    std::ofstream(folder() + "thumbrix.ini") << "[IconImage]\nSize=100\n[FilePAth]\nSave=\n";
    const std::string other = dir_.path().toStdString() + "/other.ini";
    std::ofstream(other) << "[IconImage]\nSize=48\n";
    ASSERT_TRUE(parse({"a.jpg"}));
    EXPECT_EQ(options_.settings.size, 100);
    EXPECT_EQ(options_.settings.destination, folder());  // empty Save: the program's folder
    ASSERT_TRUE(parse({"--settings", other, "a.jpg"}));
    EXPECT_EQ(options_.settings.size, 48);
}

}  // namespace
