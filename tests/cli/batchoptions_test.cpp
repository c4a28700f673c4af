#include "cli/batchoptions.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "buildinfo.h"
#include "cli/batchusage.h"
#include "codec/pictureformat.h"
#include "platform/profilefile.h"
#include "tests/support/unprivileged.h"

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
    const Settings& s = options_.settings;
    EXPECT_EQ(options_.action, BatchOptions::Action::Run);
    EXPECT_EQ(options_.files, (std::vector<std::string>{"a.jpg", "b.bmp"}));
    EXPECT_EQ(s.size, 32);
    EXPECT_EQ(s.quality, 60);
    EXPECT_TRUE(s.bestQuality);
    EXPECT_FALSE(s.smoothing || s.progressive || s.keepDate || options_.quiet);
    EXPECT_EQ(s.prefix, "");
    EXPECT_EQ(s.suffix, "");
    EXPECT_EQ(s.destination, QDir::currentPath().toStdString() + "/");  // as command-line tools
    EXPECT_GE(options_.jobs, 1);
}

TEST_F(BatchOptionsTest, EveryOptionInEveryForm) {
    ASSERT_TRUE(parse({"-d", "/out", "-s", "4096", "-q20", "--progressive", "--prefix", "s_",
                       "--suffix=_t", "--keep-date", "--fast-decode", "--smoothing", "-j", "3",
                       "--quiet", "--", "-dash.jpg", "--help"}))
        << error_;
    const Settings& s = options_.settings;
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

// The messages name the option and what it takes, from the option table.
TEST_F(BatchOptionsTest, UsageErrors) {
    const std::string size = "size must be a whole number from 1 to 4096";
    const std::string quality = "quality must be a whole number from 20 to 100";
    const struct {
        std::vector<std::string> args;
        std::string message;
    } rows[] = {
        {{}, "no FILE given"},
        {{"--quiet"}, "no FILE given"},
        {{"-s", "0", "a.jpg"}, size},
        {{"-s", "4097", "a.jpg"}, size},
        {{"--size=abc", "a.jpg"}, size},
        {{"-q", "19", "a.jpg"}, quality},
        {{"-q", "101", "a.jpg"}, quality},
        {{"-q", "-60", "a.jpg"}, quality},
        {{"-j", "0", "a.jpg"}, "jobs must be a whole number from 1 to 1024"},
        {{"a.jpg", "-j"}, "jobs must be a whole number from 1 to 1024"},
        {{"--format", "gif", "a.jpg"}, "format must be jpeg, png, webp or avif"},
        {{"--background=fff", "a.jpg"}, "background must be a colour RRGGBB in hexadecimal"},
        {{"--bogus", "a.jpg"}, "unknown option --bogus"},
        {{"--quiet=yes", "a.jpg"}, "option --quiet takes no value"},
        {{"-rx", "a.jpg"}, "option -r takes no value"},
        {{"-x", "a.jpg"}, "unknown option -x"},
        {{"a.jpg", "-d"}, "option -d needs a value"},
        {{"--settings", "/no/such.ini", "a.jpg"}, "settings file /no/such.ini cannot be read"},
        {{"--files-from="}, "option --files-from needs a value"},  // not a run over nothing
        {{"--files-from", ""}, "option --files-from needs a value"},
        {{"--base=", "a.jpg"}, "option --base needs a value"},
        {{"-o", "a.png", "a.jpg", "b.jpg"}, "-o FILE writes the thumbnail of a single source"},
    };
    for (const auto& row : rows) {
        std::string joined;
        for (const auto& a : row.args) joined += a + " ";
        EXPECT_FALSE(parse(row.args)) << joined;
        EXPECT_EQ(error_, row.message) << joined;
    }
}

// What the batch run does with them is tested on the program.
TEST_F(BatchOptionsTest, OutputChoices) {
    ASSERT_TRUE(parse({"-ox.WebP", "--background", "#1a2B3c", "--no-enlarge", "a.bmp"})) << error_;
    const Settings& s = options_.settings;
    EXPECT_EQ(s.format != nullptr ? s.format->name : "", "WebP");
    EXPECT_EQ(s.output, "x.WebP");
    EXPECT_FALSE(s.enlarge);
    EXPECT_EQ(s.background, 0x1a2b3cu);
    ASSERT_TRUE(parse({"a.bmp"}));
    EXPECT_TRUE(options_.settings.format == nullptr && options_.settings.enlarge);
    EXPECT_EQ(options_.settings.background, 0xffffffu);
}

// A settings file that exists but cannot be read is an error like a missing
// one, with the reason: its defaults are not silently dropped.
TEST_F(BatchOptionsTest, AnUnreadableSettingsFileIsAUsageError) {
    const std::string locked = folder() + "locked.ini", large = folder() + "large.ini";
    std::ofstream(locked) << "[FileName]\nPrefix=x\n";
    std::ofstream(large) << std::string(ProfileFile::kMaxFileBytes + 1, '\n');
    for (const std::string& path : {dir_.path().toStdString(), folder(), large})
        ASSERT_EQ(chmod(path.c_str(), 0755), 0);
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    const struct {
        std::string file, message;
    } rows[] = {
        {locked, "settings file " + locked + " cannot be read: Permission denied"},
        {large, "settings file " + large + " cannot be read: larger than 1 MiB"},
    };
    for (const auto& row : rows) {
        // As nobody, whom the permissions stop even when the tests run as root.
        EXPECT_EQ(RunUnprivileged([&] {
                      if (parse({"--settings", row.file, "a.jpg"})) return 1;
                      return error_.rfind(row.message, 0) == 0 ? 0 : 2;
                  }),
                  0)
            << row.file;
    }
}

TEST_F(BatchOptionsTest, HelpAndVersionNeedNoFiles) {
    ASSERT_TRUE(parse({"--help"}));
    EXPECT_EQ(options_.action, BatchOptions::Action::Help);
    ASSERT_TRUE(parse({"a.jpg", "--version"}));
    EXPECT_EQ(options_.action, BatchOptions::Action::Version);
    const std::string usage = BatchUsage("/home/ann/.config/thumbrix/thumbrix.ini");
    EXPECT_NE(usage.find("--fast-decode"), std::string::npos);
    EXPECT_NE(usage.find("(without it: /home/ann/.config/thumbrix/thumbrix.ini, if any)"),
              std::string::npos);
    // Every format the table reads and, for -r, its extensions: a new row cannot be left out.
    for (const PictureFormat& format : PictureFormats())
        EXPECT_NE(usage.find(format.name), std::string::npos) << format.name;
    for (const std::string& extension : PictureExtensions())
        EXPECT_TRUE(usage.find(extension + ",") != std::string::npos ||
                    usage.find(extension + ")") != std::string::npos)
            << extension;
    std::istringstream lines(BatchUsage("thumbrix.ini"));
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 79u) << line;
}

TEST_F(BatchOptionsTest, SettingsFileSuppliesDefaultsAndTheCommandLineWins) {
    const std::string ini = dir_.path().toStdString() + "/my.ini";
    std::ofstream(ini) << "[FilePAth]\nSave=/stored\n[IconImage]\nSize=200\n"
                          "[JpegOption]\nQualityV=5\nQualityF=0\nSmoothing=1\nProgressive=1\n"
                          "[FileName]\nA=pre_\nB=_suf\n[Option]\nTimeStamp=1\n";
    ASSERT_TRUE(parse({"--settings", ini, "a.jpg"})) << error_;
    Settings s = options_.settings;
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
        EXPECT_NE(BatchUsage("thumbrix.ini").find(flag), std::string::npos) << flag;
}

TEST_F(BatchOptionsTest, ThumbrixIniBesideTheProgramUnlessSettingsAreGiven) {
    std::ofstream(folder() + "thumbrix.ini") << "[IconImage]\nSize=100\n[FilePAth]\nSave=\n";
    const std::string other = dir_.path().toStdString() + "/other.ini";
    std::ofstream(other) << "[IconImage]\nSize=48\n";
    ASSERT_TRUE(parse({"a.jpg"}));
    EXPECT_EQ(options_.settings.size, 100);
    EXPECT_EQ(options_.settings.destination, QDir::currentPath().toStdString() + "/");
    ASSERT_TRUE(parse({"--settings", other, "a.jpg"}));
    EXPECT_EQ(options_.settings.size, 48);
    EXPECT_EQ(BatchSettingsFile(program()), folder() + "thumbrix.ini");
}

TEST_F(BatchOptionsTest, AnInstalledCopyReadsTheWindowsSettingsFromTheConfigFolder) {
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("share/applications")));
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("cfg/thumbrix")));
    std::ofstream(dir_.path().toStdString() + "/share/applications/" THUMBRIX_APP_ID ".desktop");
    std::ofstream(folder() + "thumbrix.ini") << "[IconImage]\nSize=100\n";  // not read
    const std::string config = dir_.path().toStdString() + "/cfg";
    std::ofstream(config + "/thumbrix/thumbrix.ini") << "[IconImage]\nSize=64\n"
                                                        "[FilePAth]\nSave=/stored\n";
    const std::string old = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    EXPECT_EQ(BatchSettingsFile(program()), config + "/thumbrix/thumbrix.ini");
    EXPECT_TRUE(parse({"a.jpg"}));
    EXPECT_EQ(options_.settings.size, 64);
    EXPECT_EQ(options_.settings.destination, "/stored/");
    if (old.empty())
        unsetenv("XDG_CONFIG_HOME");
    else
        setenv("XDG_CONFIG_HOME", old.c_str(), 1);
}

TEST_F(BatchOptionsTest, NoFormsWinOverTheSettingsFileAndTheLastOneCounts) {
    const std::string ini = dir_.path().toStdString() + "/my.ini";
    std::ofstream(ini) << "[JpegOption]\nQualityF=0\nSmoothing=1\nProgressive=1\n"
                          "[Option]\nTimeStamp=1\n[IconImage]\nSize=100\n";
    ASSERT_TRUE(parse({"--settings", ini, "--no-progressive", "--no-keep-date", "--no-smoothing",
                       "--no-fast-decode", "a.jpg"}))
        << error_;
    const Settings& s = options_.settings;
    EXPECT_FALSE(s.progressive || s.keepDate || s.smoothing);
    EXPECT_TRUE(s.bestQuality);
    EXPECT_EQ(s.size, 100);  // the rest of the file still counts

    ASSERT_TRUE(parse({"--settings", ini, "--no-settings", "a.jpg"}));
    EXPECT_EQ(options_.settings.size, 32);
    EXPECT_TRUE(options_.settings.bestQuality);
    EXPECT_FALSE(options_.settings.progressive);
    std::ofstream(folder() + "thumbrix.ini") << "[IconImage]\nSize=100\n";
    ASSERT_TRUE(parse({"--no-settings", "a.jpg"}));
    EXPECT_EQ(options_.settings.size, 32);

    ASSERT_TRUE(parse({"--optimize", "--no-optimize", "--no-draft", "--draft", "--update",
                       "--quiet", "--no-quiet", "a.jpg"}));
    EXPECT_FALSE(options_.settings.optimize);
    EXPECT_TRUE(options_.settings.draft && options_.update);
    EXPECT_FALSE(options_.quiet);
}

TEST_F(BatchOptionsTest, FilesFoldersAndLists) {
    ASSERT_TRUE(parse({"-r", "-0", "a.jpg", "--files-from", "-", "Photos", "--files-from=l.txt",
                       "--base", "/lib", "--report", "r.json"}))
        << error_;
    EXPECT_TRUE(options_.recursive && options_.nullSeparated);
    EXPECT_EQ(options_.files, (std::vector<std::string>{"a.jpg", "Photos"}));
    ASSERT_EQ(options_.lists.size(), 2u);
    EXPECT_EQ(options_.lists[0].before, 1u);  // between a.jpg and Photos
    EXPECT_EQ(options_.lists[0].path, "-");
    EXPECT_EQ(options_.lists[1].before, 2u);
    EXPECT_EQ(options_.lists[1].path, "l.txt");
    EXPECT_EQ(options_.base, "/lib");
    EXPECT_EQ(options_.reportFile, "r.json");

    ASSERT_TRUE(parse({"--files-from", "list"}));  // a list alone is enough
    ASSERT_TRUE(parse({"--recursive", "--null", "--no-recursive", "x"}));
    EXPECT_FALSE(options_.recursive);
    EXPECT_TRUE(options_.nullSeparated);
    ASSERT_TRUE(parse({"-h"}));
    EXPECT_EQ(options_.action, BatchOptions::Action::Help);
    ASSERT_TRUE(parse({"-V"}));
    EXPECT_EQ(options_.action, BatchOptions::Action::Version);

    for (const std::vector<std::string>& args : {std::vector<std::string>{"--files-from"},
                                                 {"--base", "", "a.jpg"},
                                                 {"-r=1", "a.jpg"},
                                                 {"--no-update=1", "a.jpg"},
                                                 {"--no-dest", "a.jpg"},
                                                 {"--report"}}) {
        EXPECT_FALSE(parse(args)) << args[0];
    }
}

}  // namespace
