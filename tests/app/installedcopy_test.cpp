#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>
#include <string>

#include "buildinfo.h"
#include "controls/cspinedit.h"
#include "controls/shelltree.h"
#include "conversion/settingstable.h"
#include "platform/profilefile.h"
#include "preview/form3.h"
#include "tests/support/testform1.h"

namespace {

// The windows of a copy laid out as the install lays it out (prefix/bin/
// with the desktop entry under prefix/share/), for a user whose home is a
// temporary folder.
class InstalledCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir root(dir.path());
        ASSERT_TRUE(root.mkpath("usr/bin") && root.mkpath("usr/share/applications"));
        ASSERT_TRUE(root.mkpath("home/Pictures") && root.mkpath("home/Photos"));
        QFile entry(dir.filePath("usr/share/applications/" THUMBRIX_APP_ID ".desktop"));
        ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
        if (const char* value = std::getenv("HOME")) oldHome = value;
        setenv("HOME", dir.filePath("home").toUtf8().constData(), 1);
        unsetenv("XDG_CONFIG_HOME");
    }
    void TearDown() override { setenv("HOME", oldHome.c_str(), 1); }

    QString program() const { return dir.filePath("usr/bin/thumbrix"); }
    QString home() const { return dir.filePath("home") + "/"; }
    QString settings() const { return home() + ".config/thumbrix/thumbrix.ini"; }

    QTemporaryDir dir;
    std::string oldHome;
};

TEST_F(InstalledCopyTest, SettingsGoToTheConfigFolderAndComeBackAtTheNextStart) {
    {
        TestForm1 form1({}, program());
        TForm3 form3(form1, program());
        form1.SetPreviewWindow(&form3);
        EXPECT_EQ(form1.SettingsPath(), settings());
        // No stored folders: both trees start in Pictures.
        EXPECT_EQ(form1.ShellTree2->PathName(), home() + "Pictures/");
        EXPECT_EQ(form3.LoadFolderPath(), home() + "Pictures/");
        form1.ShellTree2->setPathName(home() + "Photos/");
        form1.ThumbnailSize->setValue(100);
        EXPECT_TRUE(form1.close());
        EXPECT_TRUE(form1.errors.isEmpty()) << form1.errors.join('\n').toStdString();
    }
    const ProfileFile file(settings().toStdString());
    for (const SettingKey& k : SettingsKeys())
        EXPECT_NE(file.readString(k.section, k.key, "(missing)"), "(missing)")
            << k.section << "/" << k.key;
    EXPECT_EQ(ReadSettings(file).loadFolder, (home() + "Pictures/").toStdString());
    EXPECT_FALSE(QFile::exists(dir.filePath("usr/bin/thumbrix.ini")));

    TestForm1 again({}, program());
    EXPECT_EQ(again.ThumbnailSize->value(), 100);
    EXPECT_EQ(again.ShellTree2->PathName(), home() + "Photos/");
}

TEST_F(InstalledCopyTest, WithoutAPicturesFolderTheWindowStartsAtHome) {
    ASSERT_TRUE(QDir(home()).rmdir("Pictures"));
    TestForm1 form1({}, program());
    EXPECT_EQ(form1.ShellTree2->PathName(), home());
}

}  // namespace
