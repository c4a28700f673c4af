#include <QAccessible>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>

#include "codec/pictureformat.h"
#include "controls/cspinedit.h"
#include "controls/shelltree.h"
#include "preview/replicatepixels.h"
#include "tests/preview/previewfixture.h"

namespace {

// The thumbnail of a picture made of 20 x 20 blocks, each of one value.
int Block(int x, int y) {
    return 3 * (x / 20) + 5 * (y / 20);
}

// The list shows the window's three extensions unless the settings' AllFormats
// asks for every format read.
TEST_F(PreviewTest, TheListShowsWhatTheWindowReads) {
    const struct {
        const char* settings;
        std::string mask;
    } rows[] = {
        {"", "*.bmp;*.jpg;*.jpeg"},
        {"[Option]\nAllFormats=0\n", "*.bmp;*.jpg;*.jpeg"},
        {"[Option]\nAllFormats=1\n", PictureFileMask()},
    };
    for (const auto& row : rows) {
        writeSettings(row.settings);
        makeWindows();
        EXPECT_EQ(form3->FileListBox1->Mask().toStdString(), row.mask) << row.settings;
        form3.reset();
        form1.reset();
    }
}

TEST_F(PreviewTest, CreatedHiddenWithItsMenuAndNothingToCopyOrSave) {
    makeWindows();
    EXPECT_FALSE(form3->isVisible());
    EXPECT_EQ(form3->windowTitle(), "Thumbrix - プレビュー");
    EXPECT_EQ(form3->FileListBox1->Mask(), "*.bmp;*.jpg;*.jpeg");

    struct Item {
        QAction* action;
        const char* caption;
        bool enabled;
        bool checked;
    };
    const Item items[] = {
        {form3->File1->menuAction(), "ﾌｧｲﾙ(&F)", true, false},
        {form3->Save1, "保存(&S)", false, false},
        {form3->Exit1, "閉じる(&C)", true, false},
        {form3->Edit1->menuAction(), "編集(&E)", true, false},
        {form3->Copy1, "コピー(&C)", false, false},
        {form3->Show1->menuAction(), "表示(&V)", true, false},
        {form3->M1->menuAction(), "倍率(&M)", true, false},
        {form3->x11, "x 1", true, true},
        {form3->x21, "x 2", true, false},
        {form3->x31, "x 3", true, false},
        {form3->x41, "x 4", true, false},
        {form3->x81, "x 8", true, false},
    };
    for (const Item& item : items) {
        SCOPED_TRACE(item.caption);
        EXPECT_EQ(item.action->text(), QString::fromUtf8(item.caption));
        EXPECT_EQ(item.action->isEnabled(), item.enabled);
        EXPECT_EQ(item.action->isChecked(), item.checked);
        EXPECT_TRUE(item.action->shortcut().isEmpty());
    }
    EXPECT_TRUE(form3->N1->isSeparator());
    EXPECT_EQ(form3->File1->actions(), (QList<QAction*>{form3->Save1, form3->N1, form3->Exit1}));

    // One of the five is always checked.
    form3->x41->trigger();
    form3->x41->trigger();
    int checked = 0;
    for (QAction* item : form3->Magnification->actions()) checked += item->isChecked() ? 1 : 0;
    EXPECT_EQ(checked, 1);
    EXPECT_TRUE(form3->x41->isChecked());
    EXPECT_EQ(form3->ZoomFactor(), 4);

    EXPECT_EQ(form3->SaveDialog1->defaultSuffix(), "jpg");
    EXPECT_EQ(form3->SaveDialog1->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(form3->SaveDialog1->testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(form3->SaveDialog1->nameFilters().size(), 3);
    EXPECT_EQ(form3->SaveDialog1->selectedNameFilter(), form3->SaveDialog1->nameFilters().front());
}

// Screen readers find the controls by their role, and the menu by its captions.
TEST_F(PreviewTest, ControlsHaveAccessibleNames) {
    makeWindows();
    const std::pair<QObject*, const char*> rows[] = {{form3->ShellTree1, "Folders"},
                                                     {form3->FileListBox1, "Files"},
                                                     {form3->ScrollBox1, "Thumbnail"},
                                                     {form3->Image1, "Thumbnail"}};
    for (const auto& [control, expected] : rows) {
        QAccessibleInterface* found = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(found, nullptr) << expected;
        EXPECT_EQ(found->text(QAccessible::Name), QString::fromUtf8(expected));
    }
}

TEST_F(PreviewTest, OpensAtTheStoredFolderOrElseTheProgramsFolder) {
    ASSERT_TRUE(QDir().mkpath(root + "stored"));
    struct Case {
        const char* name;
        std::optional<QByteArray> settings;
        QString expected;
    };
    const Case cases[] = {
        {"no settings file", std::nullopt, root + "prog/"},
        {"empty value", QByteArray("[FilePAth]\nLoad=\n"), root + "prog/"},
        {"stored folder", ("[FilePAth]\nLoad=" + root + "stored/\n").toUtf8(), root + "stored/"},
        // Nothing selected: the list keeps showing the current folder.
        {"folder gone", ("[FilePAth]\nLoad=" + root + "gone/\n").toUtf8(), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(settings());
        if (c.settings) writeSettings(*c.settings);
        makeWindows();
        EXPECT_EQ(form3->ShellTree1->PathName(), c.expected);
        EXPECT_EQ(form3->FileListBox1->Directory(),
                  c.expected.isEmpty() ? QDir::currentPath() : c.expected.chopped(1));
        EXPECT_EQ(form3->LoadFolderPath(), c.expected);
        EXPECT_FALSE(form3->Image1->isVisible());
        form3.reset();
        form1.reset();
    }
}

TEST_F(PreviewTest, PreviewShowsTheThumbnailEnlargedByReplicatingPixels) {
    makeBmp("photo.bmp", 640, 480, Block);
    makeWindows();
    openPics();
    select("photo.bmp");

    EXPECT_TRUE(form3->Copy1->isEnabled());
    EXPECT_TRUE(form3->Save1->isEnabled());
    EXPECT_TRUE(state().PreviewMode);
    EXPECT_TRUE(state().FileQueue.empty());
    EXPECT_FALSE(state().running());
    const TBitmap thumbnail = PositionCoded(32, 24, [](int x, int y) { return 3 * x + 5 * y; });
    EXPECT_TRUE(SameBitmap(state().ThumbBitmap, thumbnail));
    EXPECT_TRUE(SameBitmap(state().PreviewBitmap, thumbnail));
    EXPECT_TRUE(form3->Image1->isVisibleTo(form3.get()));
    EXPECT_TRUE(SameBitmap(picture(), thumbnail));

    form3->x31->trigger();
    EXPECT_EQ(form3->Image1->size(), QSize(96, 72));
    EXPECT_TRUE(SameBitmap(
        picture(), PositionCoded(96, 72, [](int x, int y) { return 3 * (x / 3) + 5 * (y / 3); })));
    EXPECT_TRUE(form3->Copy1->isEnabled());
    EXPECT_TRUE(form3->Save1->isEnabled());
}

TEST_F(PreviewTest, LargePicturesGetScrollBarsSmallOnesNone) {
    makeBmp("square.bmp", 400, 400);
    makeWindows();
    form1->ThumbnailSize->setValue(160);
    form3->ShowNormal();
    openPics();
    select("square.bmp");
    struct Case {
        QAction* item;
        QSize size;
        bool bars;
    };
    for (const Case& c :
         {Case{form3->x81, QSize(1280, 1280), true}, Case{form3->x11, QSize(160, 160), false}}) {
        SCOPED_TRACE(c.size.width());
        c.item->trigger();
        QApplication::processEvents();
        EXPECT_EQ(form3->Image1->size(), c.size);
        EXPECT_EQ(form3->ScrollBox1->horizontalScrollBar()->isVisible(), c.bars);
        EXPECT_EQ(form3->ScrollBox1->verticalScrollBar()->isVisible(), c.bars);
    }
    // A hidden picture takes no room.
    form3->x81->trigger();
    form3->ShellTree1->setPathName(root);
    QApplication::processEvents();
    EXPECT_FALSE(form3->ScrollBox1->horizontalScrollBar()->isVisible());
}

TEST_F(PreviewTest, FolderChangeHidesThePictureAndAMagnificationShowsItAgain) {
    makeBmp("a.bmp", 64, 48);
    makeWindows();
    openPics();
    select("a.bmp");
    ASSERT_TRUE(form3->Copy1->isEnabled());
    const TBitmap thumbnail = state().PreviewBitmap;

    form3->ShellTree1->setPathName(root + "prog/");
    EXPECT_FALSE(form3->Image1->isVisibleTo(form3.get()));
    EXPECT_FALSE(form3->Copy1->isEnabled());
    EXPECT_FALSE(form3->Save1->isEnabled());

    form3->x21->trigger();
    EXPECT_TRUE(form3->Image1->isVisibleTo(form3.get()));
    EXPECT_EQ(form3->Image1->size(), QSize(64, 48));
    EXPECT_TRUE(SameBitmap(picture(), TBitmap(ReplicatePixels(thumbnail, 2))));
    EXPECT_FALSE(form3->Copy1->isEnabled());
    EXPECT_FALSE(form3->Save1->isEnabled());
}

TEST_F(PreviewTest, MagnificationBeforeAnyPreviewShowsAnEmptyPicture) {
    makeWindows();
    form3->x41->trigger();
    EXPECT_TRUE(form3->Image1->isVisibleTo(form3.get()));
    EXPECT_TRUE(form3->Image1->pixmap().isNull());
    EXPECT_EQ(form3->Image1->size(), QSize(0, 0));
    EXPECT_FALSE(form3->Copy1->isEnabled());
}

TEST_F(PreviewTest, AFileThatDoesNotLoadHidesThePictureAndKeepsTheLastThumbnail) {
    makeBmp("a.bmp");
    makeFile("b.jpg", "not a picture");
    makeWindows();
    openPics();
    select("a.bmp");
    const TBitmap thumbnail = state().PreviewBitmap;

    select("b.jpg");
    EXPECT_TRUE(state().RunFailed);
    EXPECT_FALSE(state().running());
    EXPECT_FALSE(form3->Image1->isVisibleTo(form3.get()));
    EXPECT_FALSE(form3->Copy1->isEnabled());
    EXPECT_FALSE(form3->Save1->isEnabled());
    EXPECT_EQ(form3->FileListBox1->FileName(), pics() + "b.jpg");
    EXPECT_TRUE(SameBitmap(state().PreviewBitmap, thumbnail));
    EXPECT_TRUE(SameBitmap(state().ThumbBitmap, thumbnail));
    EXPECT_TRUE(form1->messages.empty());
}

}  // namespace
