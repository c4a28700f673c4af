#include "app/translations.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include "app/windowtexts.h"
#include "form1fixture.h"
#include "preview/form3.h"

namespace {

// Every caption of both windows, as written and in English.
struct Text {
    const char* japanese;
    const char* english;
};

struct Captions {
    std::vector<QString> texts;
    std::vector<QWidget*> widgets;  // the controls whose captions must fit
};

Captions Collect(TForm1& form1, TForm3& form3) {
    Captions c;
    for (QLabel* l : {form1.Label8, form1.Label6, form1.Label7, form1.Label1, form1.Label2}) {
        c.texts.push_back(l->text());
        c.widgets.push_back(l);
    }
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
             form1.JpegPrEncode, form1.JpegQualityF, form1.JpegSmoothing, form1.Button1,
             form1.Button3, form1.Button2, form1.TimeStamp}) {
        c.texts.push_back(b->text());
        c.widgets.push_back(b);
    }
    c.texts.push_back(form1.GroupBox1->title());
    c.texts.push_back(form1.GroupBox2->title());
    c.texts.push_back(form1.windowTitle());
    c.texts.push_back(form3.windowTitle());
    for (QAction* a :
         {form3.File1->menuAction(), form3.Save1, form3.Exit1, form3.Edit1->menuAction(),
          form3.Copy1, form3.Show1->menuAction(), form3.M1->menuAction(), form3.x11, form3.x81})
        c.texts.push_back(a->text());
    return c;
}

const Text kTexts[] = {
    {"ThumbnailSize", "ThumbnailSize"},
    {"Quality", "Quality"},
    {"格納先指定", "Save to"},
    {"＋ FileName ＋", "+ FileName +"},
    {"＋ .JPG", "+ .JPG"},
    {"Progressive", "Progressive"},
    {"Best Quality", "Best Quality"},
    {"Smoothing", "Smoothing"},
    {"Default", "Default"},
    {"処理開始", "Start"},
    {"プレビュー", "Preview"},
    {"日付は変えない", "Keep dates"},
    {"Jpeg Option", "Jpeg Option"},
    {"FileName", "FileName"},
    {"Thumbrix", "Thumbrix"},
    {"Thumbrix - プレビュー", "Thumbrix - Preview"},
    {"ﾌｧｲﾙ(&F)", "&File"},
    {"保存(&S)", "&Save"},
    {"閉じる(&C)", "&Close"},
    {"編集(&E)", "&Edit"},
    {"コピー(&C)", "&Copy"},
    {"表示(&V)", "&View"},
    {"倍率(&M)", "&Magnification"},
    {"x 1", "x 1"},
    {"x 8", "x 8"},
};

class TranslationsTest : public Form1Test {
protected:
    void TearDown() override { InstallTranslations(QLocale::c()); }
};

// The program's own messages, with the file names they carry.
const Text kMessages[] = {
    {"格納先を設定してください", "Please set the destination folder"},
    {"ファイル /tmp/写真 a.jpg を作成できません", "Cannot create file /tmp/写真 a.jpg"},
    {"ファイル  を開けません", "Cannot open file "},
    {"/home/u/.thumbrix.ini に書き込めません", "Cannot write to /home/u/.thumbrix.ini"},
    {"JPEG エラー #42", "JPEG error #42"},
    {"ストリームの書き込みエラー", "Stream write error"},
    {"not a known message", "not a known message"},
};

// Captions, Qt's own buttons and the core's messages all follow the locale.
TEST_F(TranslationsTest, WindowsSpeakTheLocalesLanguageAndEveryCaptionFits) {
    const struct {
        const char* locale;
        bool japanese;
    } rows[] = {{"C", true}, {"ja_JP", true}, {"en_US", false}, {"de_DE", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.locale);
        const QLocale locale(QString::fromLatin1(row.locale));
        EXPECT_EQ(SpeaksJapanese(locale), row.japanese);
        InstallTranslations(locale);
        auto form1 = makeForm();
        TForm3 form3(*form1, program());
        const Captions captions = Collect(*form1, form3);
        ASSERT_EQ(captions.texts.size(), std::size(kTexts));
        for (size_t i = 0; i < captions.texts.size(); ++i) {
            const char* expected = row.japanese ? kTexts[i].japanese : kTexts[i].english;
            // Byte for byte: the UTF-8 of the caption is the text as written.
            EXPECT_EQ(captions.texts[i].toUtf8(), QByteArray(expected)) << expected;
        }
        for (QWidget* w : captions.widgets) {
            // A push button's hint has a minimum width; its text is what must fit.
            auto* push = qobject_cast<QPushButton*>(w);
            const int needed = push ? push->fontMetrics().horizontalAdvance(push->text()) + 4
                                    : w->sizeHint().width();
            EXPECT_GE(w->width(), needed) << w->metaObject()->className();
            // A caption ends inside its parent: nothing is cut off at the edge.
            EXPECT_LE(w->geometry().right(), w->parentWidget()->width()) << w->sizeHint().width();
        }
        QMessageBox box(QMessageBox::NoIcon, "t", "m", QMessageBox::Ok | QMessageBox::Cancel);
        const QString cancel = box.button(QMessageBox::Cancel)->text();
        EXPECT_TRUE(cancel.contains(row.japanese ? QStringLiteral("キャンセル") : "Cancel"))
            << cancel.toStdString();
        for (const Text& message : kMessages)
            EXPECT_EQ(WindowText(message.japanese).toStdString(),
                      row.japanese ? message.japanese : message.english);
    }
}

}  // namespace
