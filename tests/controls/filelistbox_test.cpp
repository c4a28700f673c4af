#include "controls/filelistbox.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <string>

#include "controls/filelisting.h"
#include "controls/programfont.h"
#include "platform/pathtext.h"
#include "tests/support/filebytes.h"
#include "tests/support/removetree.h"

namespace {

TEST(MatchesMaskPart, WildcardsWithoutRegardToCase) {
    struct Case {
        const char* name;
        const char* part;
        bool matches;
    };
    const Case cases[] = {
        {"a.jpg", "*.jpg", true},      {"IMG_0001.JPG", "*.jpg", true}, {"b.Jpeg", "*.jpeg", true},
        {"c.jpg.txt", "*.jpg", false}, {"d.jpeg", "*.jpg", false},      {"jpg", "*.jpg", false},
        {"e.bmp", "?.bmp", true},      {"ee.bmp", "?.bmp", false},      {"README", "*.*", true},
        {"写真.JPG", "*.jpg", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesMaskPart(QString::fromUtf8(c.name), QString::fromUtf8(c.part)), c.matches)
            << c.name << " ~ " << c.part;
    }
}

class FileListing : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        folder = dir.path() + u'/';
    }
    void touch(const QString& name) { ASSERT_TRUE(WriteFileBytes(folder + name, {})); }

    QTemporaryDir dir;
    QString folder;
};

TEST_F(FileListing, OrdinaryVisibleMatchingFilesEachOnceSortedByName) {
    for (const char* name : {"c.bmp", "a.JPG", "b.jpeg", "d.png", ".hidden.jpg", "写真.jpg"})
        touch(QString::fromUtf8(name));
    ASSERT_TRUE(QDir(folder).mkdir("folder.jpg"));
    ASSERT_EQ(symlink("c.bmp", QFile::encodeName(folder + "link.bmp").constData()), 0);
    ASSERT_EQ(symlink("nowhere", QFile::encodeName(folder + "broken.bmp").constData()), 0);
    ASSERT_EQ(symlink("folder.jpg", QFile::encodeName(folder + "dirlink.jpg").constData()), 0);
    ASSERT_EQ(link(QFile::encodeName(folder + "c.bmp").constData(),
                   QFile::encodeName(folder + "hard.BMP").constData()),
              0);
    ASSERT_EQ(mkfifo(QFile::encodeName(folder + "pipe.jpg").constData(), 0600), 0);

    const QStringList names = ListMatchingFiles(folder, "*.jpg;*.jpeg;*.bmp;*.JPG");
    EXPECT_EQ(names, (QStringList{"a.JPG", "b.jpeg", "c.bmp", "hard.BMP", "link.bmp", "写真.jpg"}));
    EXPECT_EQ(ListMatchingFiles(dir.path(), "*.png"), QStringList{"d.png"});  // no final "/"
}

TEST_F(FileListing, NamesSortLetterCaseAsideInEveryLocale) {
    for (const char* name : {"B2.JPG", "a.bmp", "c.jpg", "A.bmp", "_x.jpg"}) touch(name);
    for (const char* name : {"C", "en_US", "de_DE", "ja_JP"}) {
        SCOPED_TRACE(name);
        QLocale::setDefault(QLocale(QString::fromUtf8(name)));
        EXPECT_EQ(ListMatchingFiles(folder, "*.jpg;*.bmp"),
                  (QStringList{"_x.jpg", "a.bmp", "A.bmp", "B2.JPG", "c.jpg"}));
    }
    QLocale::setDefault(QLocale::system());
}

TEST_F(FileListing, AFolderThatCannotBeReadThrows) {
    touch("plain");
    for (const QString& path : {folder + "missing/", folder + "plain/", QString("/proc/0/")}) {
        EXPECT_THROW(ListMatchingFiles(path, "*.*"), FolderListError) << path.toStdString();
    }
}

class FileListBox : public FileListing {
protected:
    void SetUp() override {
        FileListing::SetUp();
        ASSERT_TRUE(QDir(folder).mkdir("sub"));
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "sub/d.jpg"}) touch(name);
        list.setMask("*.bmp;*.jpg");
    }
    void selectRow(int row) { list.setCurrentRow(row); }

    TFileListBox list;
};

TEST_F(FileListBox, ListingANewFolderFiresOnceWithNothingSelected) {
    QSignalSpy changes(&list, &TFileListBox::OnChange);
    list.setDirectory(folder);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.FileName(), "");
    EXPECT_EQ(list.Directory(), dir.path());

    selectRow(1);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(list.FileName(), folder + "b.bmp");

    // The folder already shown, with or without its "/", and the empty text.
    for (const QString& same : {folder, dir.path(), folder + "sub/..", QString()}) {
        list.setDirectory(same);
        EXPECT_EQ(changes.count(), 2) << same.toStdString();
    }
    EXPECT_EQ(list.FileName(), folder + "b.bmp");

    list.setDirectory(folder + "sub/");
    EXPECT_EQ(changes.count(), 3);
    EXPECT_EQ(list.FileName(), "");
    EXPECT_EQ(list.count(), 1);
    list.item(0)->setSelected(true);
    EXPECT_EQ(list.FileName(), folder + "sub/d.jpg");
}

TEST_F(FileListBox, AFolderThatCannotBeReadLeavesTheListAsItWas) {
    list.setDirectory(folder);
    selectRow(2);
    QSignalSpy changes(&list, &TFileListBox::OnChange);
    EXPECT_THROW(list.setDirectory(folder + "missing/"), FolderListError);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(list.Directory(), dir.path());
    EXPECT_EQ(list.FileName(), folder + "c.bmp");
}

// A file named in Shift-JIS shows replacement characters; the path it stands
// for keeps the bytes.
TEST_F(FileListBox, NamesThatAreNotUtf8KeepTheirBytes) {
    const std::string name = "\x8e\xca\x90\x5e.jpg";  // 写真.jpg in Shift-JIS
    ASSERT_TRUE(WriteFileBytes(PathBytes(folder) + name, "x"));
    const RemoveTreeAtEnd remove(PathBytes(folder) + name);
    list.setDirectory(folder);
    const QList<QListWidgetItem*> items =
        list.findItems(ShownText(PathText(name)), Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1);
    EXPECT_TRUE(items.front()->text().contains(QChar::ReplacementCharacter));
    list.setCurrentItem(items.front());
    EXPECT_EQ(PathBytes(list.FileName()), PathBytes(folder) + name);
}

TEST_F(FileListBox, MouseAndKeyboardMovesFireButAClickOnTheSelectedEntryDoesNot) {
    list.setDirectory(folder);
    list.resize(120, 100);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    QSignalSpy changes(&list, &TFileListBox::OnChange);
    const auto click = [&](int row, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers,
                          list.visualItemRect(list.item(row)).center());
    };

    click(0);
    EXPECT_EQ(changes.count(), 1);
    click(0);
    click(0, Qt::ControlModifier);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(list.FileName(), folder + "a.bmp");

    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(list.FileName(), folder + "b.bmp");
    QTest::keyClick(&list, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(list.FileName(), folder + "b.bmp");

    click(2);
    EXPECT_EQ(changes.count(), 3);
    EXPECT_EQ(list.visualItemRect(list.item(0)).height(), list.ItemHeight());
}

// The list keeps its one selected entry: a press, a click or a drag on the
// blank below the entries leaves it as it is.
TEST_F(FileListBox, ClickBelowTheEntriesKeepsTheSelection) {
    list.setDirectory(folder);
    list.resize(120, 150);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    list.setCurrentRow(1);
    QSignalSpy changes(&list, &TFileListBox::OnChange);
    const QPoint entry = list.visualItemRect(list.item(1)).center();
    const QPoint blank(20, list.visualItemRect(list.item(2)).bottom() + 30);
    ASSERT_FALSE(list.indexAt(blank).isValid());

    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, blank);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ControlModifier, blank);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, blank);
    QTest::mousePress(list.viewport(), Qt::LeftButton, {}, entry);
    QTest::mouseMove(list.viewport(), blank);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, blank);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(list.FileName(), folder + "b.bmp");
    EXPECT_EQ(list.currentRow(), 1);
}

// Rows are as high as the windows' font needs, so that underscores and the
// descenders of j, p and g are not cut; never lower than 12.
TEST_F(FileListBox, RowsHoldTheFontsLine) {
    touch("s_big_t.jpg");
    list.setFont(ProgramFont());
    list.setDirectory(folder);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    const int line = QFontMetrics(ProgramFont()).height();
    for (int row = 0; row < list.count(); ++row) {
        const int height = list.visualItemRect(list.item(row)).height();
        EXPECT_GE(height, line) << list.item(row)->text().toStdString();
        EXPECT_EQ(height, std::max(line, int(TFileListBox::kItemHeight)));
    }

    QFont small = ProgramFont();
    small.setPixelSize(6);
    list.setFont(small);
    EXPECT_EQ(list.visualItemRect(list.item(0)).height(), TFileListBox::kItemHeight);
}

}  // namespace
