#include <sys/stat.h>

#include <QAccessible>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <fstream>
#include <string>
#include <vector>

#include "codec/pictureformat.h"
#include "controls/cspinedit.h"
#include "controls/shelltree.h"
#include "platform/pathtext.h"
#include "tests/app/form1fixture.h"
#include "tests/support/removetree.h"

namespace {

TEST_F(Form1Test, FirstStartWithoutSettingsUsesTheDefaults) {
    auto form = makeForm();
    EXPECT_EQ(form->pos(), QPoint(0, 0));
    EXPECT_EQ(form->ThumbnailSize->value(), 32);
    EXPECT_EQ(form->JpegQualityV->value(), 60);
    EXPECT_TRUE(form->JpegQualityF->isChecked());
    EXPECT_FALSE(form->JpegSmoothing->isChecked());
    EXPECT_FALSE(form->JpegPrEncode->isChecked());
    EXPECT_FALSE(form->TimeStamp->isChecked());
    EXPECT_TRUE(form->FileNameA->text().isEmpty());
    EXPECT_TRUE(form->FileNameB->text().isEmpty());
    EXPECT_EQ(form->ShellTree2->PathName(), folder());
    EXPECT_EQ(form->size(), QSize(281, 280));
    EXPECT_EQ(form->windowTitle(), "Thumbrix");
}

TEST_F(Form1Test, StoredValuesAreHeldToTheSpinRangesAndDefaultRestoresOnlyConversion) {
    writeSettings(
        "[IconImage]\nSize=200\n[JpegOption]\nQualityV=0x5\nQualityF=0\nSmoothing=7\n"
        "Progressive=1\n[FileName]\nA=pre\nB=post\n[Option]\nTimeStamp=1\n");
    auto form = makeForm();
    EXPECT_EQ(form->ThumbnailSize->value(), 160);
    EXPECT_EQ(form->JpegQualityV->value(), 20);  // 5, read as hexadecimal, held to 20
    EXPECT_TRUE(form->JpegSmoothing->isChecked());

    form->Button1Click();
    EXPECT_EQ(form->ThumbnailSize->value(), 32);
    EXPECT_EQ(form->JpegQualityV->value(), 60);
    EXPECT_TRUE(form->JpegQualityF->isChecked());
    EXPECT_FALSE(form->JpegSmoothing->isChecked());
    EXPECT_FALSE(form->JpegPrEncode->isChecked());
    EXPECT_EQ(form->FileNameA->text(), "pre");
    EXPECT_EQ(form->FileNameB->text(), "post");
    EXPECT_TRUE(form->TimeStamp->isChecked());
    EXPECT_EQ(form->ShellTree2->PathName(), folder());
}

// The photo settings have no control: the window answers the run from the
// file (an older file without them: on) and writes them back as it read them.
TEST_F(Form1Test, PhotoSettingsComeFromTheFileAndGoBackToIt) {
    const struct {
        const char* option;
        bool orient, srgb;
    } rows[] = {
        {"TimeStamp=1\n", true, true},
        {"AutoOrient=0\n", false, true},
        {"AutoOrient=1\nToSRGB=0\n", true, false},
    };
    for (const auto& r : rows) {
        writeSettings(QByteArray("[Option]\n") + r.option);
        auto form = makeForm();
        EXPECT_EQ(form->autoOrient(), r.orient) << r.option;
        EXPECT_EQ(form->toSrgb(), r.srgb) << r.option;
        ASSERT_TRUE(form->close());
        const QByteArray stored = readSettings();
        EXPECT_TRUE(stored.contains(r.orient ? "AutoOrient=1\n" : "AutoOrient=0\n"))
            << stored.toStdString();
        EXPECT_TRUE(stored.contains(r.srgb ? "ToSRGB=1\n" : "ToSRGB=0\n")) << stored.toStdString();
    }
}

// Off unless the file says 1: the window then reads every format the table
// reads; the key goes back to the file as it was read.
TEST_F(Form1Test, AllFormatsComesFromTheFileAndGoesBackToIt) {
    const PictureFormat& jpeg = *FormatOfExtension(".jpg");
    const struct {
        const char* option;
        bool all;
    } rows[] = {{"TimeStamp=1\n", false}, {"AllFormats=0\n", false}, {"AllFormats=1\n", true}};
    for (const auto& r : rows) {
        writeSettings(QByteArray("[Option]\n") + r.option);
        auto form = makeForm();
        EXPECT_EQ(form->AllFormats(), r.all) << r.option;
        EXPECT_TRUE(form->readsSource("/p/a.JPG", jpeg)) << r.option;
        EXPECT_EQ(form->readsSource("/p/a.jfif", jpeg), r.all) << r.option;
        ASSERT_TRUE(form->close());
        EXPECT_TRUE(readSettings().contains(r.all ? "AllFormats=1\n" : "AllFormats=0\n"))
            << readSettings().toStdString();
    }
}

TEST_F(Form1Test, TypedValuesAreCorrectedAsTheyAreTyped) {
    auto form = makeForm();
    const struct {
        TCSpinEdit* TForm1::*edit;
        Qt::Key key;
        QString atOnce;
        QString afterFocusLeaves;
    } rows[] = {
        {&TForm1::JpegQualityV, Qt::Key_1, "20", "20"},
        {&TForm1::ThumbnailSize, Qt::Key_5, "32", "32"},
        {&TForm1::ThumbnailSize, Qt::Key_9, "9", "32"},
        {&TForm1::JpegQualityV, Qt::Key_9, "20", "20"},
    };
    for (const auto& row : rows) {
        TCSpinEdit* edit = (*form).*(row.edit);
        edit->selectAll();
        QTest::keyClick(edit, row.key);
        EXPECT_EQ(edit->text(), row.atOnce) << QTest::toString(row.key);
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(edit, &leave);
        EXPECT_EQ(edit->text(), row.afterFocusLeaves) << QTest::toString(row.key);
    }
}

TEST_F(Form1Test, SettingsRoundTripWithTheKeysSpelledAsStored) {
    const QString destination = makeFolder("出力 先");
    {
        auto form = makeForm();
        form->move(37, 41);
        form->ThumbnailSize->setValue(150);
        form->JpegQualityV->setValue(90);
        form->JpegQualityF->setChecked(false);
        form->JpegSmoothing->setChecked(true);
        form->JpegPrEncode->setChecked(true);
        form->FileNameA->setText("サムネ_");
        form->FileNameB->setText("_小");
        form->TimeStamp->setChecked(true);
        form->ShellTree2->setPathName(destination);
        ASSERT_TRUE(form->close());
    }
    const QByteArray stored = readSettings();
    for (const char* line : {"[WinPos]", "x=37", "y=41", "[FilePAth]", "[IconImage]", "Size=150",
                             "[JpegOption]", "QualityV=90", "QualityF=0", "Smoothing=1",
                             "Progressive=1", "[FileName]", "[Option]", "TimeStamp=1"})
        EXPECT_TRUE(stored.contains(line)) << line << " missing in\n" << stored.toStdString();
    EXPECT_TRUE(stored.contains(("Save=" + destination).toUtf8()));
    EXPECT_TRUE(stored.contains(QStringLiteral("A=サムネ_").toUtf8()));

    auto again = makeForm();
    EXPECT_EQ(again->pos(), QPoint(37, 41));
    EXPECT_EQ(again->ThumbnailSize->value(), 150);
    EXPECT_EQ(again->JpegQualityV->value(), 90);
    EXPECT_FALSE(again->JpegQualityF->isChecked());
    EXPECT_TRUE(again->JpegSmoothing->isChecked());
    EXPECT_TRUE(again->JpegPrEncode->isChecked());
    EXPECT_EQ(again->FileNameA->text(), "サムネ_");
    EXPECT_EQ(again->FileNameB->text(), "_小");
    EXPECT_TRUE(again->TimeStamp->isChecked());
    EXPECT_EQ(again->ShellTree2->PathName(), destination);
}

// Names from an old archive (Latin-1, Shift-JIS) are bytes that are not
// UTF-8: a stored folder, prefix and suffix go back to the file unchanged,
// and command-line files keep their bytes.
TEST_F(Form1Test, BytesThatAreNotUtf8SurviveTheWindow) {
    const RemoveTreeAtEnd remove(dir.path().toStdString());
    const std::string destination = PathBytes(folder()) + "d\xe9st";
    ASSERT_EQ(mkdir(destination.c_str(), 0755), 0);
    const std::string stored =
        "[FilePAth]\nSave=" + destination + "/\n[FileName]\nA=\xe9_\nB=_\x82\xa0\n";
    writeSettings(QByteArray::fromStdString(stored));
    const std::string source = PathBytes(folder()) + "caf\xe9.jpg";
    std::ofstream(source) << "x";
    {
        auto form = makeForm({PathText(source)});
        EXPECT_EQ(form->State().FileQueue, std::vector<std::string>{source});
        EXPECT_EQ(PathBytes(form->ShellTree2->PathName()), destination + "/");
        EXPECT_EQ(form->FileNameA->text(), PathText("\xe9_"));
        ASSERT_TRUE(form->close());
    }
    const QByteArray written = readSettings();
    for (const std::string& line :
         {"Save=" + destination + "/\n", std::string("A=\xe9_\n"), std::string("B=_\x82\xa0\n")})
        EXPECT_TRUE(written.contains(QByteArray::fromStdString(line))) << line << " missing in\n"
                                                                       << written.toStdString();
}

TEST_F(Form1Test, ModeDecidesButtonsAndDrops) {
    auto interactive = makeForm();
    EXPECT_FALSE(interactive->CommandLineMode());
    EXPECT_FALSE(interactive->Button2->isHidden());
    EXPECT_TRUE(interactive->Button3->isHidden());
    EXPECT_TRUE(interactive->acceptDrops());

    auto commandLine = makeForm({dir.filePath("a.jpg")});
    EXPECT_TRUE(commandLine->CommandLineMode());
    EXPECT_TRUE(commandLine->Button2->isHidden());
    EXPECT_FALSE(commandLine->Button3->isHidden());
    EXPECT_FALSE(commandLine->acceptDrops());
}

TEST_F(Form1Test, CommandLineModeKeepsTheStoredPreviewFolder) {
    writeSettings("[FilePAth]\nLoad=/some/where/\n");
    auto form = makeForm({dir.filePath("a.jpg")});
    ASSERT_TRUE(form->close());
    EXPECT_TRUE(readSettings().contains("Load=/some/where/"));
    EXPECT_TRUE(readSettings().contains("Size=32"));
    EXPECT_TRUE(form->State().FileQueue.size() == 1);
}

TEST_F(Form1Test, ArgumentsAreMadeAbsoluteAndTakeTheNamesOnDisk) {
    makeFolder("pics");
    makeBmp("pics/b.BMP");
    makeBmp("pics/a.bmp");
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    auto form = makeForm({"pics/b.BMP", dir.filePath("pics/*.BMP"), "missing.jpg"});
    QDir::setCurrent(previous);
    const std::vector<std::string> expected = {dir.filePath("pics/b.BMP").toStdString(),
                                               dir.filePath("pics/a.bmp").toStdString(),
                                               dir.filePath("missing.jpg").toStdString()};
    EXPECT_EQ(form->State().FileQueue, expected);
}

TEST_F(Form1Test, AWildcardArgumentSkipsHiddenFiles) {
    makeFolder("pics");
    makeBmp("pics/.hidden.jpg");
    makeBmp("pics/a.jpg");
    auto form = makeForm({dir.filePath("pics/*.jpg"), dir.filePath("pics/.*.jpg")});
    const std::vector<std::string> expected = {dir.filePath("pics/a.jpg").toStdString(),
                                               dir.filePath("pics/.hidden.jpg").toStdString()};
    EXPECT_EQ(form->State().FileQueue, expected);
}

// The caption under the size box is condensed to end before the box, which
// keeps its place; the text stays whole.
TEST_F(Form1Test, ThumbnailSizeCaptionFitsBesideItsBox) {
    auto form = makeForm();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_EQ(form->Label8->text(), "ThumbnailSize");
    EXPECT_EQ(form->Label8->pos(), QPoint(0, 8));
    EXPECT_EQ(form->ThumbnailSize->pos(), QPoint(80, 0));
    EXPECT_EQ(form->ThumbnailSize->width(), 49);
    EXPECT_LE(form->Label8->geometry().right(), form->ThumbnailSize->x() - 1);
    EXPECT_LE(form->Label8->sizeHint().width(), form->Label8->width());
    EXPECT_EQ(form->Label8->font().pixelSize(), 12);
}

// Screen readers find every control by a name, and the spin edits as spin
// boxes they can read and set.
TEST_F(Form1Test, ControlsHaveAccessibleNamesAndTheSpinEditsAreSpinBoxes) {
    auto form = makeForm();
    const auto name = [](QWidget* widget) {
        QAccessibleInterface* control = QAccessible::queryAccessibleInterface(widget);
        return control == nullptr ? QString() : control->text(QAccessible::Name);
    };
    const std::pair<QWidget*, const char*> rows[] = {
        {form->ThumbnailSize, "ThumbnailSize"},
        {form->JpegQualityV, "Quality"},
        {form->ShellTree2, "格納先指定"},
        {form->FileNameA, "FileName prefix"},
        {form->FileNameB, "FileName suffix"},
        {form->ProgressBar1, "Progress"},
        {form->Button1, "Default"},
        {form->Button2, "プレビュー"},
        {form->Button3, "処理開始"},
        {form->JpegPrEncode, "Progressive"},
        {form->JpegQualityF, "Best Quality"},
        {form->JpegSmoothing, "Smoothing"},
        {form->TimeStamp, "日付は変えない"},
        {form->GroupBox1, "Jpeg Option"},
        {form->GroupBox2, "FileName"},
    };
    for (const auto& [widget, expected] : rows)
        EXPECT_EQ(name(widget), QString::fromUtf8(expected)) << expected;

    QAccessibleInterface* quality = QAccessible::queryAccessibleInterface(form->JpegQualityV);
    ASSERT_NE(quality, nullptr);
    EXPECT_EQ(quality->role(), QAccessible::SpinBox);
    QAccessibleValueInterface* value = quality->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toInt(), 60);
    EXPECT_EQ(value->minimumValue().toInt(), 20);
    EXPECT_EQ(value->maximumValue().toInt(), 100);
    EXPECT_EQ(value->minimumStepSize().toInt(), 10);
    EXPECT_EQ(quality->text(QAccessible::Value), "60");
    value->setCurrentValue(500);
    EXPECT_EQ(form->JpegQualityV->text(), "100");
    QAccessibleActionInterface* actions = quality->actionInterface();
    ASSERT_NE(actions, nullptr);
    actions->doAction(QAccessibleActionInterface::decreaseAction());
    EXPECT_EQ(value->currentValue().toInt(), 90);

    QAccessibleInterface* size = QAccessible::queryAccessibleInterface(form->ThumbnailSize);
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(size->role(), QAccessible::SpinBox);
    EXPECT_EQ(size->valueInterface()->maximumValue().toInt(), 160);
}

TEST_F(Form1Test, UnwritableSettingsFileIsReportedAndTheWindowStillCloses) {
    // A folder in the settings file's place cannot be replaced, even by root.
    ASSERT_TRUE(QDir(dir.path()).mkdir("thumbrix.ini"));
    auto form = makeForm();
    EXPECT_TRUE(form->close());
    ASSERT_EQ(form->errors.size(), 1);
    EXPECT_EQ(form->errors.front(), settings() + " に書き込めません");
}

}  // namespace
