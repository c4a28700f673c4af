#include "platform/programplaces.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <optional>

#include "buildinfo.h"
#include "platform/profilefile.h"
#include "tests/support/filebytes.h"
#include "tests/support/scopedenv.h"
#include "tests/support/unprivileged.h"

namespace {

class ProgramPlacesTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = dir_.path().toStdString() + "/";
        ASSERT_TRUE(QDir(dir_.path()).mkpath("home"));
        ASSERT_TRUE(QDir(dir_.path()).mkpath("usr/bin"));
        ASSERT_TRUE(QDir(dir_.path()).mkpath("usr/share/applications"));
    }
    // A copy laid out as the install lays it out.
    std::string installed() {
        EXPECT_TRUE(
            WriteFileBytes(root_ + "usr/share/applications/" THUMBRIX_APP_ID ".desktop", ""));
        return root_ + "usr/bin/thumbrix";
    }
    std::string home() const { return root_ + "home/"; }

    QTemporaryDir dir_;
    std::string root_;
    ScopedEnv home_{"HOME", dir_.path().toStdString() + "/home"};
    ScopedEnv config_{"XDG_CONFIG_HOME", std::nullopt};
};

TEST_F(ProgramPlacesTest, AWritableFolderKeepsEverythingBesideTheProgram) {
    // A build tree's bin/ has no desktop entry beside it.
    for (const std::string& program : {root_ + "thumbrix", root_ + "usr/bin/thumbrix"}) {
        const std::string folder = program.substr(0, program.rfind('/') + 1);
        EXPECT_TRUE(IsOwnProgramFolder(program)) << program;
        EXPECT_EQ(SettingsFilePath(program), program + ".ini");
        EXPECT_EQ(DefaultFolder(program), folder);
    }
}

TEST_F(ProgramPlacesTest, AnInstalledCopyKeepsItsSettingsInTheConfigFolder) {
    const std::string program = installed();
    EXPECT_FALSE(IsOwnProgramFolder(program));
    const struct {
        std::optional<std::string> configHome;
        std::string settings;
    } rows[] = {
        {std::nullopt, home() + ".config/thumbrix/thumbrix.ini"},
        {"", home() + ".config/thumbrix/thumbrix.ini"},
        {"relative/cfg", home() + ".config/thumbrix/thumbrix.ini"},  // to be ignored
        {root_ + "cfg", root_ + "cfg/thumbrix/thumbrix.ini"},
        {root_ + "cfg/", root_ + "cfg/thumbrix/thumbrix.ini"},
    };
    for (const auto& row : rows) {
        ScopedEnv config("XDG_CONFIG_HOME", row.configHome);
        EXPECT_EQ(SettingsFilePath(program), row.settings) << row.configHome.value_or("(unset)");
    }
}

TEST_F(ProgramPlacesTest, AnInstalledCopyStartsInPicturesWhenThereIsOneElseAtHome) {
    const std::string program = installed();
    EXPECT_EQ(DefaultFolder(program), home());
    ASSERT_TRUE(QDir(dir_.path()).mkpath("home/Pictures"));
    EXPECT_EQ(DefaultFolder(program), home() + "Pictures/");
    // A Pictures folder of another name, as xdg-user-dirs keeps it.
    ASSERT_TRUE(QDir(dir_.path()).mkpath("home/.config"));
    ASSERT_TRUE(QDir(dir_.path()).mkpath("home/写真"));
    ASSERT_TRUE(
        WriteFileBytes(home() + ".config/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/写真\"\n"));
    EXPECT_EQ(DefaultFolder(program), home() + "写真/");
}

TEST_F(ProgramPlacesTest, AReadOnlyFolderIsNotTheProgramsOwn) {
    AsUnprivileged(root_, [&] {
        const std::string program = root_ + "usr/bin/thumbrix";
        ASSERT_EQ(chmod((root_ + "usr/bin").c_str(), 0555), 0);
        EXPECT_FALSE(IsOwnProgramFolder(program));
        EXPECT_EQ(SettingsFilePath(program), home() + ".config/thumbrix/thumbrix.ini");
        EXPECT_EQ(DefaultFolder(program), home());
        chmod((root_ + "usr/bin").c_str(), 0755);
    });
}

TEST_F(ProgramPlacesTest, TheFirstWriteMakesTheSettingsFolder) {
    const std::string path = SettingsFilePath(installed());
    {
        ProfileFile file(path);
        file.writeInteger("IconImage", "Size", 64);
    }
    EXPECT_EQ(ProfileFile(path).readInteger("IconImage", "Size", 0), 64);
    struct stat made {};
    ASSERT_EQ(stat((home() + ".config/thumbrix").c_str(), &made), 0);
    EXPECT_EQ(made.st_mode & 0777, 0700u);
}

}  // namespace
