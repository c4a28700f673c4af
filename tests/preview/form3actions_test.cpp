#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileInfo>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <ctime>

#include "controls/cspinedit.h"
#include "controls/shelltree.h"
#include "conversion/thumbnailwriter.h"
#include "tests/preview/previewfixture.h"

namespace {

void ClickEntry(TFileListBox& list, const QString& name, Qt::KeyboardModifiers modifiers = {}) {
    const QList<QListWidgetItem*> found = list.findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers,
                      list.visualItemRect(found.front()).center());
}

QTreeWidgetItem* ChildNamed(QTreeWidgetItem* node, const QString& name) {
    for (int i = 0; i < node->childCount(); ++i)
        if (node->child(i)->text(0) == name) return node->child(i);
    return nullptr;
}

void ClickNode(QTreeWidget& tree, QTreeWidgetItem* node) {
    tree.doItemsLayout();
    tree.scrollToItem(node);
    const QRect rect = tree.visualItemRect(node);
    const QPoint text(rect.left() + 4, rect.center().y());  // the column is wider than the view
    ASSERT_TRUE(tree.viewport()->rect().contains(text));
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, text);
}

TEST_F(PreviewTest, ANewThumbnailSizeShowsOnlyAfterTheSelectionMoves) {
    makeBmp("a.bmp", 64, 48);
    makeBmp("b.bmp", 64, 48);
    makeWindows();
    form3->ShowNormal();
    openPics();
    ClickEntry(*form3->FileListBox1, "a.bmp");
    ASSERT_EQ(state().PreviewBitmap.width(), 32);

    form1->ThumbnailSize->setValue(48);
    ClickEntry(*form3->FileListBox1, "a.bmp");
    ClickEntry(*form3->FileListBox1, "a.bmp", Qt::ControlModifier);  // stays selected
    EXPECT_EQ(state().PreviewBitmap.width(), 32);
    EXPECT_EQ(form3->Image1->width(), 32);
    EXPECT_EQ(form3->FileListBox1->FileName(), pics() + "a.bmp");

    ClickEntry(*form3->FileListBox1, "b.bmp");
    ClickEntry(*form3->FileListBox1, "a.bmp");
    EXPECT_EQ(state().PreviewBitmap.width(), 48);
    EXPECT_EQ(form3->Image1->width(), 48);
}

TEST_F(PreviewTest, CopyPutsTheThumbnailAtItsOwnSizeOnTheClipboard) {
    makeBmp("a.bmp", 640, 480);
    makeWindows();
    openPics();
    select("a.bmp");
    form3->x41->trigger();
    QApplication::clipboard()->clear();

    form3->Copy1->trigger();
    const QImage copied = QApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), QSize(32, 24));
    EXPECT_TRUE(SameBitmap(TBitmap(copied), state().PreviewBitmap));

    // A clipboard that cannot be had: the standard error, nothing else changes.
    QApplication::clipboard()->clear();
    form3->clipboardLocked = true;
    try {
        form3->Copy1Click();
        ADD_FAILURE() << "no error";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "クリップボードを開くことができません");
    }
    EXPECT_TRUE(QApplication::clipboard()->image().isNull());
    EXPECT_TRUE(form3->Copy1->isEnabled());
    EXPECT_TRUE(form3->Save1->isEnabled());
}

TEST_F(PreviewTest, SaveWritesABitmapOrAJpegByTheExtensionAndNothingElse) {
    makeBmp("a.bmp", 640, 480);
    makeWindows();
    openPics();
    select("a.bmp");
    form3->x81->trigger();
    const QString out = makeOut();

    struct Case {
        const char* name;
        const char* format;  // nullptr: nothing written
    };
    for (const Case& c : {Case{"NAME.JPEG", "jpeg"}, Case{"t.jpg", "jpeg"}, Case{"t.Bmp", "bmp"},
                          Case{"t.png", nullptr}, Case{"t", nullptr}}) {
        SCOPED_TRACE(c.name);
        const QString path = out + c.name;
        form3->saveName = path;
        form3->Save1->trigger();
        if (c.format == nullptr) {
            EXPECT_FALSE(QFileInfo::exists(path));
            continue;
        }
        const QByteArray bytes = ReadFileBytes(path);
        EXPECT_TRUE(bytes.startsWith(QByteArray(c.format) == "bmp" ? "BM" : "\xFF\xD8"));
        QImage saved;
        ASSERT_TRUE(saved.loadFromData(bytes, c.format));
        EXPECT_EQ(saved.size(), QSize(32, 24));  // the thumbnail, not the enlarged picture
        if (QByteArray(c.format) == "bmp") {
            EXPECT_TRUE(SameBitmap(TBitmap(saved), state().PreviewBitmap));
        }
    }

    form3->saveName.reset();  // cancelled
    const int before = int(QDir(out).count());
    form3->Save1->trigger();
    EXPECT_EQ(int(QDir(out).count()), before);
    EXPECT_TRUE(form1->messages.empty());
}

// A file dropped on the main window after the preview must not lend its date.
TEST_F(PreviewTest, SaveKeepsThePreviewedFilesDateWhenAskedTo) {
    makeOut(true);
    const QString dropped = makeBmp("b.bmp");
    const QString source = makeBmp("a.bmp");
    const std::time_t stamp = std::time(nullptr) - 3 * 24 * 3600;  // even: DOS times have 2 s steps
    const timespec times[2] = {{stamp & ~std::time_t(1), 0}, {stamp & ~std::time_t(1), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(source).constData(), times, 0), 0);
    makeWindows();
    openPics();
    select("a.bmp");
    form1->DropFiles({dropped});

    const QString kept = root + "kept.bmp";
    const QString fresh = root + "fresh.jpg";
    form1->TimeStamp->setChecked(true);
    form3->saveName = kept;
    form3->Save1Click();
    form1->TimeStamp->setChecked(false);
    form3->saveName = fresh;
    form3->Save1Click();
    EXPECT_EQ(QFileInfo(kept).lastModified().toSecsSinceEpoch(), stamp & ~std::time_t(1));
    EXPECT_GT(QFileInfo(fresh).lastModified().toSecsSinceEpoch(), stamp + 3600);
}

// Save opens beside the picture, or where the user saved last in this
// session, and proposes no name (the picture's own would replace it).
TEST_F(PreviewTest, SaveStartsInTheLastFolderSavedToElseThePicturesOwn) {
    makeBmp("s_big_t.bmp");
    makeBmp("夕焼け.jpeg.bmp");
    const QString out = makeOut().chopped(1);
    makeWindows();
    openPics();
    select("s_big_t.bmp");

    form3->saveName.reset();  // cancelled: nothing saved, nothing remembered
    form3->Save1Click();
    EXPECT_EQ(form3->askedFolder, pics().chopped(1));
    EXPECT_EQ(form3->proposedName, "");

    form3->saveName = out + "/first.jpg";
    form3->Save1Click();
    EXPECT_EQ(form3->askedFolder, pics().chopped(1));
    ASSERT_TRUE(QFileInfo::exists(out + "/first.jpg"));

    select("夕焼け.jpeg.bmp");
    form3->saveName.reset();
    form3->Save1Click();
    EXPECT_EQ(form3->askedFolder, out);
    EXPECT_EQ(form3->proposedName, "");
}

// Whatever name reaches the previewed file is refused with a box, and the
// photograph keeps its bytes; another file is written.
TEST_F(PreviewTest, SaveNeverWritesOverThePreviewedFile) {
    const QString photo = makeBmp("photo.bmp");
    const QByteArray original = ReadFileBytes(photo);
    ASSERT_TRUE(QFile::link(photo, pics() + "link.bmp"));
    ASSERT_EQ(::link(QFile::encodeName(photo).constData(),
                     QFile::encodeName(root + "hard.bmp").constData()),
              0);
    makeWindows();
    openPics();
    select("photo.bmp");
    const struct {
        QString path;
        bool refused;
    } cases[] = {
        {photo, true},
        {pics() + "../pics/photo.bmp", true},
        {pics() + "link.bmp", true},
        {root + "hard.bmp", true},
        {root + "other.bmp", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        form3->refusals.clear();
        form3->saveName = c.path;
        form3->Save1Click();
        EXPECT_EQ(form3->refusals.size(), c.refused ? 1 : 0);
        EXPECT_EQ(ReadFileBytes(photo), original);
    }
    EXPECT_TRUE(QFileInfo::exists(root + "other.bmp"));
}

TEST_F(PreviewTest, SaveThatCannotCreateItsFileThrowsTheFileLayersError) {
    makeBmp("a.bmp");
    makeWindows();
    openPics();
    select("a.bmp");
    const QString path = root + "missing/t.jpg";
    form3->saveName = path;
    try {
        form3->Save1Click();
        ADD_FAILURE() << "no error";
    } catch (const ThumbnailCreateError& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), "ファイル " + path + " を作成できません");
    }
    EXPECT_TRUE(form3->Save1->isEnabled());
    EXPECT_TRUE(form3->Image1->isVisibleTo(form3.get()));
}

TEST_F(PreviewTest, SelectionsDuringAMainWindowRunAreIgnored) {
    const QString out = makeOut(true);
    makeBmp("a.bmp");
    makeBmp("b.bmp", 48, 48);
    const QString dropped = makeBmp("c.bmp", 320, 320);
    makeWindows();
    openPics();
    select("a.bmp");
    const TBitmap shown = picture();

    bool selected = false;
    form1->duringRun = [&] {
        if (selected) return;
        selected = true;
        select("b.bmp");
        EXPECT_FALSE(state().PreviewMode);
        EXPECT_EQ(state().FileQueue, std::vector<std::string>{dropped.toStdString()});
    };
    form1->DropFiles({dropped});
    ASSERT_TRUE(selected);
    EXPECT_TRUE(QFileInfo::exists(out + "c.jpg"));
    EXPECT_TRUE(form3->Copy1->isEnabled());
    EXPECT_TRUE(form3->Save1->isEnabled());
    EXPECT_EQ(state().PreviewBitmap.height(), 24);  // still a.bmp's thumbnail
    EXPECT_EQ(state().ThumbBitmap.height(), 32);    // c.bmp's
    EXPECT_TRUE(SameBitmap(picture(), shown));
}

TEST_F(PreviewTest, AFolderThatCannotBeListedLeavesListAndPictureAsTheyWere) {
    makeBmp("a.bmp");
    makeBmp("b.bmp");
    ASSERT_TRUE(QDir().mkpath(pics() + "gone"));
    ASSERT_TRUE(QDir().mkpath(pics() + "file"));
    makeWindows();
    form3->ShowNormal();
    openPics();
    select("b.bmp");
    QTreeWidgetItem* listed = form3->ShellTree1->currentItem();
    ASSERT_NE(listed, nullptr);
    form3->ShellTree1->expandItem(listed);
    // The tree has its nodes; the folders go away before the list reads them.
    // This holds for root too, whom no access rights stop.
    ASSERT_TRUE(QDir(pics() + "gone").removeRecursively());
    ASSERT_TRUE(QDir(pics() + "file").removeRecursively());
    makeFile("file", "now a file");

    for (const char* name : {"gone", "file"}) {
        SCOPED_TRACE(name);
        QTreeWidgetItem* node = ChildNamed(listed, QString::fromUtf8(name));
        ASSERT_NE(node, nullptr);
        QSignalSpy changes(form3->ShellTree1, &TShellTree::OnChange);
        ClickNode(*form3->ShellTree1, node);
        EXPECT_EQ(changes.count(), 2);  // to the node, and back
        EXPECT_EQ(form3->ShellTree1->PathName(), pics());
        EXPECT_EQ(form3->ShellTree1->selectedItems(), QList<QTreeWidgetItem*>{listed});
        EXPECT_EQ(form3->FileListBox1->Directory() + "/", pics());
        EXPECT_EQ(form3->FileListBox1->count(), 2);
        EXPECT_EQ(form3->FileListBox1->FileName(), pics() + "b.bmp");
        EXPECT_TRUE(form3->Image1->isVisibleTo(form3.get()));
        EXPECT_TRUE(form3->Copy1->isEnabled());
    }
    EXPECT_TRUE(form1->errors.empty());
}

TEST_F(PreviewTest, AFolderChosenDuringAPreviewIsListedAndThePreviewStillEnds) {
    makeBmp("a.bmp", 200, 100);
    ASSERT_TRUE(QDir().mkpath(pics() + "sub"));
    makeFile("sub/c.bmp", "x");
    makeWindows();
    form3->ShowNormal();
    openPics();
    form3->ShellTree1->expandItem(form3->ShellTree1->currentItem());
    QTreeWidgetItem* sub = ChildNamed(form3->ShellTree1->currentItem(), "sub");
    ASSERT_NE(sub, nullptr);
    bool moved = false;
    form1->duringRun = [&] {
        if (moved) return;
        moved = true;
        ClickNode(*form3->ShellTree1, sub);
        EXPECT_FALSE(form3->Copy1->isEnabled());  // disabled for the whole run
    };
    ClickEntry(*form3->FileListBox1, "a.bmp");
    ASSERT_TRUE(moved);
    EXPECT_EQ(form3->FileListBox1->Directory() + "/", pics() + "sub/");
    EXPECT_EQ(form3->FileListBox1->FileName(), "");
    // The picture is that of the file selected when the run started.
    EXPECT_EQ(state().PreviewBitmap.image().size(), QSize(32, 16));
    EXPECT_TRUE(form3->Image1->isVisibleTo(form3.get()));
    EXPECT_TRUE(form3->Copy1->isEnabled());
}

TEST_F(PreviewTest, HidingAndShowingKeepsEverything) {
    makeBmp("a.bmp");
    makeBmp("b.bmp");
    makeWindows();
    form1->Button2Click();
    EXPECT_TRUE(form3->isVisible());
    openPics();
    select("b.bmp");
    form3->x21->trigger();
    const TBitmap shown = picture();

    for (const auto& hide : {std::function<void()>([&] { form3->Exit1->trigger(); }),
                             std::function<void()>([&] { form3->close(); })}) {
        hide();
        EXPECT_FALSE(form3->isVisible());
        form1->Button2Click();
        EXPECT_TRUE(form3->isVisible());
        EXPECT_EQ(form3->ShellTree1->PathName(), pics());
        EXPECT_EQ(form3->FileListBox1->FileName(), pics() + "b.bmp");
        EXPECT_TRUE(form3->x21->isChecked());
        EXPECT_TRUE(form3->Image1->isVisible());
        EXPECT_TRUE(SameBitmap(picture(), shown));
        EXPECT_TRUE(form3->Copy1->isEnabled());
    }
}

TEST_F(PreviewTest, HidingTheWindowDuringItsOwnRunStillFinishesThePreview) {
    makeBmp("a.bmp", 100, 100);
    makeWindows();
    form3->ShowNormal();
    openPics();
    bool hidden = false;
    form1->duringRun = [&] {
        if (hidden) return;
        hidden = true;
        form3->Exit1->trigger();
    };
    select("a.bmp");
    ASSERT_TRUE(hidden);
    EXPECT_FALSE(form3->isVisible());
    EXPECT_TRUE(form3->Copy1->isEnabled());
    EXPECT_EQ(state().PreviewBitmap.width(), 32);
    EXPECT_EQ(form3->Image1->width(), 32);
}

TEST_F(PreviewTest, TheMainWindowsCloseStoresTheTreesFolderForTheNextStart) {
    ASSERT_TRUE(QDir().mkpath(pics() + "日本語"));
    makeWindows();
    form1->show();
    form3->ShellTree1->setPathName(pics() + "日本語/");
    ASSERT_TRUE(form1->close());
    form3.reset();
    form1.reset();

    makeWindows();
    EXPECT_EQ(form3->ShellTree1->PathName(), pics() + "日本語/");
    EXPECT_EQ(form3->FileListBox1->Directory(), pics() + "日本語");
}

}  // namespace
