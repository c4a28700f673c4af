#include "platform/longname.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>

#include "platform/pathname.h"
#include "platform/programfile.h"
#include "tests/support/tempfolder.h"

namespace {

class LongNameTest : public TempFolderTest {
protected:
    void SetUp() override {
        root_ = dir_.path().toStdString();
        ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("写真/Sub")));
        for (const char* name :
             {"写真/b.JPG", "写真/a.jpg", "写真/C.jpg", "写真/notes.txt", "写真/.hidden.jpg"})
            ASSERT_TRUE(WriteFileBytes(path(name), ""));
    }
    std::string root_;
};

// Wildcards take the first match; what exists, or matches nothing, comes back as given.
TEST_F(LongNameTest, WildcardsTakeTheFirstMatchInNameOrderIgnoringCase) {
    const struct {
        const char* pattern;
        const char* result;
    } rows[] = {
        {"/写真/a.jpg", "/写真/a.jpg"},
        {"/写真/Sub", "/写真/Sub"},
        {"/写真", "/写真"},
        {"/写真/*.jpg", "/写真/C.jpg"},  // "C" sorts before "a" and "b"
        {"/写真/?.JPG", "/写真/C.jpg"},
        {"/写真/b*", "/写真/b.JPG"},
        {"/写真/*.TXT", "/写真/notes.txt"},
        {"/写真/s?B", "/写真/Sub"},
        {"/写真/*", "/写真/C.jpg"},  // hidden names only for a pattern naming the dot
        {"/写真/.*", "/写真/.hidden.jpg"},
        {"/写真/.H*.JPG", "/写真/.hidden.jpg"},
        {"/写真/?hidden.jpg", "/写真/?hidden.jpg"},
        {"/写真/missing.jpg", "/写真/missing.jpg"},
        {"/写真/*.png", "/写真/*.png"},
        {"/no/such/a.jpg", "/no/such/a.jpg"},
        {"/写真/", "/写真/"},
        {"/*/a.jpg", "/*/a.jpg"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(LongFileName(root_ + r.pattern), root_ + r.result) << r.pattern;
}

TEST_F(LongNameTest, RelativePathsBecomeAbsolute) {
    const std::string old = QDir::currentPath().toStdString();
    ASSERT_EQ(chdir(root_.c_str()), 0);
    const std::string wild = LongFileName("写真/*.JPG");
    const std::string missing = LongFileName("nothing.jpg");
    ASSERT_EQ(chdir(old.c_str()), 0);
    // The current folder may be reached through a link; compare from the folder on.
    EXPECT_EQ(wild.substr(wild.size() - std::string("/写真/C.jpg").size()), "/写真/C.jpg");
    EXPECT_EQ(wild.front(), '/');
    EXPECT_EQ(missing.front(), '/');
    EXPECT_EQ(missing.substr(missing.size() - 12), "/nothing.jpg");
}

TEST(ProgramFile, NamesDerivedFromTheProgramPath) {
    EXPECT_EQ(SettingsFileOf("/opt/thumbrix/thumbrix"), "/opt/thumbrix/thumbrix.ini");
    EXPECT_EQ(SettingsFileOf("/opt/thumbrix/Thumbrix.exe"), "/opt/thumbrix/Thumbrix.ini");
    EXPECT_EQ(SettingsFileOf("/opt/v1.2/thumbrix"), "/opt/v1.2/thumbrix.ini");
    EXPECT_EQ(FolderOf("/opt/thumbrix/thumbrix"), "/opt/thumbrix/");
    EXPECT_EQ(FolderOf("thumbrix"), "");
    EXPECT_EQ(ApplicationTitle("/opt/v1.2/THUMBRIX.EXE"), "Thumbrix");
    EXPECT_EQ(ApplicationTitle("/opt/thumbrix"), "thumbrix");
    EXPECT_EQ(ApplicationTitle("/a/Thumb.rix.bin"), "Thumb");
}

}  // namespace
