#include "platform/profilefile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <string>

#include "tests/support/tempfolder.h"
#include "tests/support/unprivileged.h"

namespace {

// Appends without operator+, which GCC 12 misreads under -Wrestrict.
template <typename... Parts>
std::string Cat(const Parts&... parts) {
    std::string text;
    (text.append(parts), ...);
    return text;
}

class ProfileFileTest : public TempFolderTest {
protected:
    std::string file(const char* name = "thumbrix.ini") const { return path(name); }
};

TEST(ProfileInteger, ParsesDecimalAndHexOnlyWhenWhole) {
    const struct {
        const char* text;
        bool ok;
        int value;
    } rows[] = {
        {"32", true, 32},
        {"-5", true, -5},
        {"+7", true, 7},
        {" 60 ", true, 60},
        {"0x1F", true, 31},
        {"0X10", true, 16},
        {"-0x10", true, -16},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0},
        {"12abc", false, 0},
        {"", false, 0},
        {"0x", false, 0},
        {"1.5", false, 0},
        {"true", false, 0},
        {"0xG", false, 0},
        {"- 1", false, 0},
    };
    for (const auto& r : rows) {
        int value = 12345;
        EXPECT_EQ(ParseProfileInteger(r.text, value), r.ok) << '"' << r.text << '"';
        if (r.ok) {
            EXPECT_EQ(value, r.value) << '"' << r.text << '"';
        }
    }
}

TEST_F(ProfileFileTest, ReadsWhatTheWindowsFunctionsWouldRead) {
    WriteFileBytes(file(),
                   "; settings\r\n"
                   "[WinPos]\r\n"
                   "x=120\r\n"
                   " Y = 40 \r\n"
                   "[filepath]\r\n"
                   "Save=\"/home/ann/ with blank \"\r\n"
                   "Load = /tmp/\r\n"
                   "[JpegOption]\n"
                   ";QualityV=10\n"
                   "QualityV=0x50\n"
                   "QualityV=99\n"
                   "Smoothing=yes\n"
                   "[JpegOption]\n"
                   "Progressive=1\n"
                   "orphan\n"
                   "[FileName]\n"
                   "Prefix=x" +
                       std::string(1, '\0') +
                       "y_\n"
                       "[Empty]");
    const ProfileFile profile(file());
    EXPECT_EQ(profile.readInteger("WinPos", "x", 0), 120);
    EXPECT_EQ(profile.readInteger("winpos", "y", 0), 40);
    EXPECT_EQ(profile.readString("FilePAth", "Save", ""), "/home/ann/ with blank ");
    EXPECT_EQ(profile.readString("FilePAth", "LOAD", ""), "/tmp/");
    EXPECT_EQ(profile.readInteger("JpegOption", "QualityV", 60), 80);   // the first one counts
    EXPECT_EQ(profile.readInteger("JpegOption", "Smoothing", 7), 7);    // not a number
    EXPECT_EQ(profile.readInteger("JpegOption", "Progressive", 0), 0);  // second section ignored
    EXPECT_EQ(profile.readString("FileName", "Prefix", ""), "x");       // ends at its NUL
    EXPECT_EQ(profile.readString("Empty", "x", "fallback"), "fallback");
    EXPECT_EQ(profile.readString("Missing", "x", "fallback"), "fallback");
}

TEST_F(ProfileFileTest, MissingFileReadsAsEmptyAndLongValuesAreCut) {
    EXPECT_EQ(ProfileFile(file("none.ini")).readInteger("IconImage", "Size", 32), 32);

    // 2046 ASCII bytes, then a 3-byte character that would cross the limit.
    const std::string value = Cat(std::string(2046, 'a'), "表", "tail");
    WriteFileBytes(file(), Cat("[FileName]\nA=", value, "\nB=", std::string(3000, 'b'), "\n"));
    const ProfileFile profile(file());
    EXPECT_EQ(profile.readString("FileName", "A", ""), std::string(2046, 'a'));
    EXPECT_EQ(profile.readString("FileName", "B", "").size(), ProfileFile::kMaxValueBytes);
}

TEST_F(ProfileFileTest, WritesChangeOnlyTheirLine) {
    WriteFileBytes(file(),
                   "; keep me\r\n"
                   "[WinPos]\r\n"
                   "x=1\r\n"
                   "\r\n"
                   "[Other]\r\n"
                   "weird line without equals\r\n"
                   "k=v");
    ProfileFile profile(file());
    profile.writeInteger("winpos", "X", 300);  // replaced in place
    profile.writeInteger("WinPos", "y", -20);  // added before the blank line
    profile.holdWrites();
    profile.writeString("Other", "new", "表示");  // after a last line without line end
    profile.writeString("FileName", "A", "s_");   // a new section at the end
    EXPECT_EQ(ReadFileBytes(file()).find("new="), std::string::npos) << "held writes written";
    profile.commitWrites();
    EXPECT_EQ(ReadFileBytes(file()),
              "; keep me\r\n"
              "[WinPos]\r\n"
              "X=300\r\n"
              "y=-20\r\n"
              "\r\n"
              "[Other]\r\n"
              "weird line without equals\r\n"
              "k=v\r\n"
              "new=表示\r\n"
              "[FileName]\r\n"
              "A=s_\r\n");
    const ProfileFile again(file());
    EXPECT_EQ(again.readInteger("WinPos", "x", 0), 300);
    EXPECT_EQ(again.readString("Other", "new", ""), "表示");
}

TEST_F(ProfileFileTest, AValueBeforeABareCarriageReturnAtTheEndKeepsItsText) {
    WriteFileBytes(file(), "[FileName]\nA=s_\r");
    ProfileFile profile(file());
    EXPECT_EQ(profile.readString("FileName", "A", "?"), "s_");
    profile.writeString("FileName", "B", "x");
    EXPECT_EQ(ProfileFile(file()).readString("FileName", "A", "?"), "s_");
}

TEST_F(ProfileFileTest, ValuesComeBackAsWritten) {
    const std::string values[] = {" lead", "trail ",      "\"quoted\"", "a=b",
                                  "",      "日本語 名前", "semi;colon"};
    {
        ProfileFile profile(file("new.ini"));
        for (size_t i = 0; i < std::size(values); ++i)
            profile.writeString("FileName", Cat("k", std::to_string(i)), values[i]);
        profile.writeString("FileName", "lines", "one\ntwo");
    }
    const ProfileFile profile(file("new.ini"));
    for (size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(profile.readString("FileName", Cat("k", std::to_string(i)), "?"), values[i]);
    EXPECT_EQ(profile.readString("FileName", "lines", "?"), "one two");
    EXPECT_EQ(ReadFileBytes(file("new.ini")).substr(0, 11), "[FileName]\n");
}

TEST_F(ProfileFileTest, FailedWriteRaisesAndKeepsTheFile) {
    // A path below a regular file cannot be created, whoever runs the test.
    WriteFileBytes(file("plain"), "x");
    const std::string path = Cat(file("plain"), "/thumbrix.ini");
    ProfileFile profile(path);
    try {
        profile.writeInteger("WinPos", "x", 1);
        FAIL() << "no error";
    } catch (const ProfileWriteError& e) {
        EXPECT_EQ(std::string(e.what()), Cat(path, " に書き込めません"));
    }

    WriteFileBytes(file(), "[WinPos]\nx=1\n");
    ProfileFile kept(file());
    QDir(dir_.path()).mkdir(QStringLiteral("blocker"));
    // Replacing a name that is now a folder fails at the rename.
    ProfileFile blocked(file("blocker"));
    EXPECT_THROW(blocked.writeInteger("WinPos", "x", 2), ProfileWriteError);
    EXPECT_EQ(ReadFileBytes(file()), "[WinPos]\nx=1\n");
    EXPECT_EQ(entries(), (QStringList{QStringLiteral("blocker"), QStringLiteral("plain"),
                                      QStringLiteral("thumbrix.ini")}));
}

// A file too large for a settings file, or one that may not be read, reads
// as empty with the reason, and is never replaced by a write.
TEST_F(ProfileFileTest, AFileThatCannotBeReadIsNeitherReadNorReplaced) {
    const std::string large =
        Cat("[FileName]\nPrefix=x\n;", std::string(ProfileFile::kMaxFileBytes, ';'));
    WriteFileBytes(file("large.ini"), large);
    WriteFileBytes(file("locked.ini"), "[FileName]\nPrefix=x\n");
    ASSERT_EQ(chmod(dir_.path().toLocal8Bit().constData(), 0755), 0);
    ASSERT_EQ(chmod(file("large.ini").c_str(), 0644), 0);
    ASSERT_EQ(chmod(file("locked.ini").c_str(), 0), 0);
    const struct {
        const char* name;
        std::string reason, content;
    } rows[] = {
        {"large.ini", "larger than 1 MiB: not a settings file", large},
        {"locked.ini", "Permission denied", "[FileName]\nPrefix=x\n"},
    };
    for (const auto& row : rows) {
        const std::string path = file(row.name);
        // As nobody, whom the permissions stop even when the tests run as root.
        const int wrong = RunUnprivileged([&] {
            ProfileFile profile(path);
            int faults = profile.readFailure() == row.reason ? 0 : 1;
            faults |= profile.readString("FileName", "Prefix", "none") == "none" ? 0 : 2;
            try {
                profile.writeString("FileName", "Prefix", "y");
                faults |= 4;
            } catch (const ProfileWriteError&) {
            }
            return faults;
        });
        EXPECT_EQ(wrong, 0) << row.name;
        chmod(path.c_str(), 0644);
        EXPECT_EQ(ReadFileBytes(path), row.content) << row.name;
    }
}

}  // namespace
