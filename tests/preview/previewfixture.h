#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageWriter>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>

#include "controls/filelistbox.h"
#include "image/bitmap.h"
#include "preview/form3.h"
#include "tests/support/filebytes.h"
#include "tests/support/imagecompare.h"
#include "tests/support/testform1.h"

// A preview window whose save dialog and clipboard are the test's.
class TestForm3 : public TForm3 {
public:
    using TForm3::TForm3;

    std::optional<QString> saveName;  // nothing: the dialog is cancelled
    bool clipboardLocked = false;
    QString askedFolder;   // where the dialog opened, last time it was asked
    QString proposedName;  // the file name it proposed then
    QStringList refusals;  // the boxes Save showed instead of writing

protected:
    std::optional<QString> AskSaveFileName() override {
        askedFolder = SaveDialog1->directory().absolutePath();
        const QStringList files = SaveDialog1->selectedFiles();
        // With no name typed the dialog gives its folder.
        proposedName = files.isEmpty() || QFileInfo(files.front()).isDir()
                           ? QString()
                           : QFileInfo(files.front()).fileName();
        return saveName;
    }
    void ShowSaveRefusal(const QString& text) override { refusals.append(text); }
    QClipboard* OpenClipboard() override {
        return clipboardLocked ? nullptr : TForm3::OpenClipboard();
    }
};

// Each test has its own folder: the program file's place prog/ (settings file
// prog/thumbrix.ini) and a folder of pictures pics/.
class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        root = QDir(dir.path()).canonicalPath() + u'/';
        ASSERT_FALSE(root.contains(QStringLiteral("/."))) << "the tree lists no hidden folders";
        ASSERT_TRUE(QDir().mkpath(root + "prog"));
        ASSERT_TRUE(QDir().mkpath(root + "pics"));
    }

    QString program() const { return root + "prog/thumbrix"; }
    QString settings() const { return root + "prog/thumbrix.ini"; }
    QString pics() const { return root + "pics/"; }

    void writeSettings(const QByteArray& text) { ASSERT_TRUE(WriteFileBytes(settings(), text)); }
    // root/out/, made; with asDestination, the main window's stored destination too.
    QString makeOut(bool asDestination = false) {
        EXPECT_TRUE(QDir().mkpath(root + "out"));
        if (asDestination) writeSettings(("[FilePAth]\nSave=" + root + "out/\n").toUtf8());
        return root + "out/";
    }

    // Both windows as start-up makes them without arguments.
    void makeWindows() {
        form1 = std::make_unique<TestForm1>(QStringList(), program());
        form3 = std::make_unique<TestForm3>(*form1, program());
        form1->SetPreviewWindow(form3.get());
    }

    // A BMP file in pics/ whose every channel of (x, y) is f(x, y).
    template <typename F>
    QString makeBmp(const QString& name, int width, int height, F f) {
        const QString path = pics() + name;
        QImageWriter writer(path, "bmp");
        EXPECT_TRUE(writer.write(PositionCoded(width, height, f).image()));
        return path;
    }
    QString makeBmp(const QString& name, int width = 64, int height = 48) {
        return makeBmp(name, width, height, [](int x, int y) { return x + 2 * y; });
    }
    QString makeFile(const QString& name, const QByteArray& bytes) {
        EXPECT_TRUE(WriteFileBytes(pics() + name, bytes)) << name.toStdString();
        return pics() + name;
    }

    // Opens the pictures folder in the preview's tree, as a click there would.
    void openPics() { form3->ShellTree1->setPathName(pics()); }

    // Moves the list's selection to the named entry, as the keyboard would.
    void select(const QString& name) {
        const QList<QListWidgetItem*> found =
            form3->FileListBox1->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        form3->FileListBox1->setCurrentItem(found.front());
    }

    TBitmap picture() const { return TBitmap(form3->Image1->pixmap().toImage()); }
    const RunState& state() const { return form1->State(); }

    QTemporaryDir dir;
    QString root;
    std::unique_ptr<TestForm1> form1;
    std::unique_ptr<TestForm3> form3;
};
