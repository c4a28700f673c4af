#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include "cli/batchrun.h"
#include "cli/updatestamp.h"
#include "codec/jpegcomment.h"
#include "codec/pictureformat.h"
#include "tests/cli/batchtestpictures.h"

// Whole libraries: walked folders, lists, mirroring, --update and --report.
namespace {

class BatchLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = dir_.path().toStdString() + "/";
        for (const char* folder : {"Photos/2019/a", "Photos/2019/b", "Photos/.hidden", "out"})
            QDir().mkpath(QString::fromStdString(root_ + folder));
        pictures_ = MakeBatchPictures(root_ + "Photos", 3);  // 写真0.JPG pic1.bmp pic2.JPG
        copy(pictures_[0], "Photos/2019/a/IMG_0001.JPG");
        copy(pictures_[2], "Photos/2019/b/IMG_0001.JPG");
        copy(pictures_[1], "Photos/.hidden/secret.bmp");
        std::ofstream(root_ + "Photos/notes.txt") << "not a picture";
        ASSERT_EQ(symlink("..", (root_ + "Photos/2019/loop").c_str()), 0);
        ASSERT_EQ(symlink("../pic1.bmp", (root_ + "Photos/2019/link.bmp").c_str()), 0);
        options_.settings.destination = root_ + "out/";
        options_.quiet = true;
        options_.jobs = 2;
    }
    // Names may be any bytes: no QString on the way.
    void copy(const std::string& from, const std::string& to) {
        std::ofstream(root_ + to, std::ios::binary) << ReadFileBytes(from);
    }
    int run(const std::string& input = {}) {
        err_.str("");
        std::istringstream in(input);
        return RunBatch(options_, in, err_, false);
    }
    // Every file below folder, as relative paths, sorted.
    std::vector<std::string> tree(const std::string& folder) const {
        std::vector<std::string> files;
        const QDir base(QString::fromStdString(folder));
        std::function<void(const QString&)> walk = [&](const QString& path) {
            for (const QFileInfo& info : QDir(path).entryInfoList(
                     QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name)) {
                if (info.isDir()) {
                    walk(info.filePath());
                } else {
                    files.push_back(base.relativeFilePath(info.filePath()).toStdString());
                }
            }
        };
        walk(QString::fromStdString(folder));
        return files;
    }
    std::vector<std::string> reportLines(const std::string& path) const {
        std::ifstream in(path);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    QTemporaryDir dir_;
    std::string root_;
    std::vector<std::string> pictures_;
    BatchOptions options_;
    std::ostringstream err_;
};

TEST_F(BatchLibraryTest, RecursiveRunMirrorsFoldersAndLeavesOutHiddenFilesAndLoops) {
    options_.recursive = true;
    options_.files = {root_ + "Photos"};
    EXPECT_EQ(run(), kAllConverted) << err_.str();
    EXPECT_EQ(tree(root_ + "out"),
              (std::vector<std::string>{"2019/a/IMG_0001.JPG", "2019/b/IMG_0001.JPG",
                                        "2019/link.jpg", "pic1.jpg", "pic2.JPG", "写真0.JPG"}));
    // The same bytes as a run over the files one by one.
    options_.recursive = false;
    options_.files = {root_ + "Photos/2019/a/IMG_0001.JPG"};
    options_.settings.destination = root_ + "Photos/.hidden/";
    EXPECT_EQ(run(), kAllConverted) << err_.str();
    EXPECT_EQ(ReadFileBytes(root_ + "Photos/.hidden/IMG_0001.JPG"),
              ReadFileBytes(root_ + "out/2019/a/IMG_0001.JPG"));

    // A destination inside the library is not walked: no thumbnails of
    // thumbnails at the next run.
    options_.recursive = true;
    options_.files = {root_ + "Photos"};
    options_.settings.destination = root_ + "Photos/2019/thumbs/";
    QDir().mkpath(QString::fromStdString(options_.settings.destination));
    for (int run_ = 0; run_ < 2; ++run_) EXPECT_EQ(run(), kAllConverted) << err_.str();
    EXPECT_EQ(tree(root_ + "Photos/2019/thumbs").size(), 6u);

    // A picture's name on a broken link is reported, not skipped in silence.
    ASSERT_EQ(symlink("loop.jpg", (root_ + "Photos/2019/loop.jpg").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", (root_ + "Photos/gone.bmp").c_str()), 0);
    EXPECT_EQ(run(), kSomeFailed);
    for (const char* line : {"2019/loop.jpg: not converted: Too many levels of symbolic links\n",
                             "/gone.bmp: not converted: no such file\n"})
        EXPECT_NE(err_.str().find(line), std::string::npos) << line << " in " << err_.str();
}

TEST_F(BatchLibraryTest, ListsAndBaseMirrorNamedFiles) {
    options_.base = root_ + "Photos";
    options_.lists = {{0, "-"}, {1, root_ + "list"}};
    options_.files = {root_ + "Photos/pic1.bmp", "/elsewhere/x.jpg"};
    const std::string nul(1, '\0');
    std::ofstream(root_ + "list") << root_ + "Photos/2019/b/IMG_0001.JPG" + nul;
    // Standard input, with a name that must be made normal before it compares.
    const std::string input =
        root_ + "Photos/2019/a/IMG_0001.JPG" + nul + root_ + "Photos/./2019/../pic2.JPG" + nul;
    options_.nullSeparated = true;
    EXPECT_EQ(run(input), kSomeFailed);
    EXPECT_EQ(tree(root_ + "out"),
              (std::vector<std::string>{"2019/a/IMG_0001.JPG", "2019/b/IMG_0001.JPG", "pic1.jpg",
                                        "pic2.JPG"}));
    EXPECT_NE(err_.str().find("/elsewhere/x.jpg: not under the --base folder"), std::string::npos)
        << err_.str();

    // Lines, and a list that cannot be read.
    QDir(QString::fromStdString(root_ + "out")).removeRecursively();
    QDir().mkpath(QString::fromStdString(root_ + "out"));
    options_.nullSeparated = false;
    options_.files = {};
    options_.lists = {{0, root_ + "list"}, {0, root_ + "missing-list"}};
    std::ofstream(root_ + "list", std::ios::trunc)
        << root_ + "Photos/2019/b/IMG_0001.JPG\n\n" + root_ + "Photos/2019/a/IMG_0001.JPG\n";
    EXPECT_EQ(run(), kSomeFailed);
    EXPECT_EQ(tree(root_ + "out"),
              (std::vector<std::string>{"2019/a/IMG_0001.JPG", "2019/b/IMG_0001.JPG"}));
    EXPECT_NE(err_.str().find("missing-list: cannot read the list"), std::string::npos);
}

TEST_F(BatchLibraryTest, CameraNamesInSeveralFoldersAreNotLostSilently) {
    options_.files = {root_ + "Photos/2019/a/IMG_0001.JPG", root_ + "Photos/2019/b/IMG_0001.JPG",
                      root_ + "Photos/2019/a/IMG_0001.JPG"};
    EXPECT_EQ(run(), kSomeFailed);
    // Each time the file changes within one output.
    const std::string text = err_.str();
    const std::string warning = root_ + "Photos/2019/a/IMG_0001.JPG and " + root_ +
                                "Photos/2019/b/IMG_0001.JPG both make " + root_ +
                                "out/IMG_0001.JPG; the later one wins";
    EXPECT_NE(text.find(warning), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;  // b, then a again
    // The last one wins, as in the window.
    options_.files = {root_ + "Photos/2019/a/IMG_0001.JPG"};
    options_.settings.destination = root_ + "Photos/.hidden/";
    EXPECT_EQ(run(), kAllConverted);
    EXPECT_EQ(ReadFileBytes(root_ + "out/IMG_0001.JPG"),
              ReadFileBytes(root_ + "Photos/.hidden/IMG_0001.JPG"));
}

TEST_F(BatchLibraryTest, UpdateSkipsWhatIsUpToDateAndRemakesTheRest) {
    options_.recursive = true;
    options_.files = {root_ + "Photos"};
    options_.reportFile = root_ + "report.json";
    options_.jobs = 1;  // the report in walk order
    EXPECT_EQ(run(), kAllConverted);
    const std::string plain = ReadFileBytes(root_ + "out/pic1.jpg");
    EXPECT_FALSE(ReadJpegComment(root_ + "out/pic1.jpg", ""));  // the window's bytes

    options_.update = true;
    EXPECT_EQ(run(), kAllConverted);  // no stamps yet: everything is made again
    const std::string stamped = ReadFileBytes(root_ + "out/pic1.jpg");
    EXPECT_NE(stamped, plain);
    EXPECT_TRUE(ReadJpegComment(root_ + "out/pic1.jpg", "thumbrix-update "));

    const auto statuses = [&] {
        std::string all;
        for (const std::string& line : reportLines(options_.reportFile))
            all += line.substr(line.find("\"status\":\"") + 10, 1);
        return all;
    };
    EXPECT_EQ(run(), kAllConverted);
    EXPECT_EQ(statuses(), "ssssss");  // all skipped

    // A touched source is remade; so is a thumbnail that was removed.
    struct timespec times[2] = {{0, UTIME_OMIT}, {1700000000, 5}};
    ASSERT_EQ(utimensat(AT_FDCWD, (root_ + "Photos/pic2.JPG").c_str(), times, 0), 0);
    QFile::remove(QString::fromStdString(root_ + "out/2019/link.jpg"));
    EXPECT_EQ(run(), kAllConverted);
    EXPECT_EQ(statuses(), "sswsws") << err_.str();  // link.bmp and pic2.JPG
    EXPECT_EQ(ReadFileBytes(root_ + "out/pic1.jpg"), stamped);

    // Any setting that shapes the picture remakes everything.
    options_.settings.quality = 61;
    EXPECT_EQ(run(), kAllConverted);
    EXPECT_EQ(statuses(), "wwwwww");
}

TEST_F(BatchLibraryTest, ReportHasOneJsonLinePerSourceAndKeepsOddNames) {
    const std::string odd = "Photos/caf\xe9 \"1\"\t.txt";  // Latin-1, not UTF-8
    copy(pictures_[1], odd);
    std::ofstream(root_ + "Photos/bad.jpg") << "not a jpeg";
    options_.files = {root_ + odd, root_ + "Photos/bad.jpg", root_ + "Photos/pic1.bmp"};
    options_.reportFile = root_ + "report.json";
    options_.jobs = 1;
    EXPECT_EQ(run(), kSomeFailed);
    const std::vector<std::string> lines = reportLines(options_.reportFile);
    ASSERT_EQ(lines.size(), 3u);
    // Refusals are known first.
    EXPECT_EQ(lines[0], "{\"source\":\"" + root_ +
                            "Photos/caf\\udce9 \\\"1\\\"\\u0009.txt\",\"output\":\"\","
                            "\"status\":\"refused\","
                            "\"reason\":\"not a " +
                            PictureExtensionWords() + " file\",\"ms\":0}");
    EXPECT_NE(lines[1].find("\"status\":\"failed\",\"reason\":\"not a picture: its first "
                            "bytes are those of no " +
                            PictureFormatWords() + " file\""),
              std::string::npos)
        << lines[1];
    EXPECT_EQ(lines[2].substr(0, lines[2].find(",\"ms\":")),
              "{\"source\":\"" + root_ + "Photos/pic1.bmp\",\"output\":\"" + root_ +
                  "out/pic1.jpg\",\"status\":\"written\",\"reason\":\"\"");
}

}  // namespace

// A setting left out of the stamp would let --update keep thumbnails made
// with the old value; name-only settings must not force remaking. One row
// for every field of Settings.
TEST(UpdateStampTest, EverySettingThatShapesThePictureChangesTheStamp) {
    const struct {
        const char* field;
        void (*change)(Settings&);
        bool shapesPicture;
    } cases[] = {
        {"size", [](Settings& s) { s.size += 1; }, true},
        {"quality", [](Settings& s) { s.quality += 1; }, true},
        {"bestQuality", [](Settings& s) { s.bestQuality = !s.bestQuality; }, true},
        {"smoothing", [](Settings& s) { s.smoothing = !s.smoothing; }, true},
        {"progressive", [](Settings& s) { s.progressive = !s.progressive; }, true},
        {"keepDate", [](Settings& s) { s.keepDate = !s.keepDate; }, true},
        {"optimize", [](Settings& s) { s.optimize = !s.optimize; }, true},
        {"draft", [](Settings& s) { s.draft = !s.draft; }, true},
        {"autoOrient", [](Settings& s) { s.autoOrient = !s.autoOrient; }, true},
        {"toSrgb", [](Settings& s) { s.toSrgb = !s.toSrgb; }, true},
        {"prefix", [](Settings& s) { s.prefix += "t_"; }, false},
        {"suffix", [](Settings& s) { s.suffix += "_t"; }, false},
        {"destination", [](Settings& s) { s.destination += "sub/"; }, false},
        {"format", [](Settings& s) { s.format = OutputFormatNamed("png"); }, true},
        {"format jpeg", [](Settings& s) { s.format = OutputFormatNamed("jpeg"); }, false},
        {"enlarge", [](Settings& s) { s.enlarge = false; }, true},
        {"background", [](Settings& s) { s.background = 0; }, true},
        {"output", [](Settings& s) { s.output = "/x/a.jpg"; }, false},
        {"windowLeft", [](Settings& s) { s.windowLeft += 5; }, false},
        {"windowTop", [](Settings& s) { s.windowTop += 5; }, false},
        {"loadFolder", [](Settings& s) { s.loadFolder = "/photos/"; }, false},
        {"allFormats", [](Settings& s) { s.allFormats = !s.allFormats; }, false},
    };
    FileStatus status;
    status.size = 1234;
    status.modified = {1700000000, 5};
    const Settings base;
    const std::string before = UpdateStamp(base).textFor("/photos/a.jpg", status);
    for (const auto& c : cases) {
        Settings changed = base;
        c.change(changed);
        const std::string after = UpdateStamp(changed).textFor("/photos/a.jpg", status);
        EXPECT_EQ(after != before, c.shapesPicture) << c.field;
    }
}
