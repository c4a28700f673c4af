#include "controls/cspinedit.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QLocale>
#include <QPainter>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <QVBoxLayout>
#include <climits>
#include <memory>

#include "controls/cspinbutton.h"
#include "controls/programfont.h"
#include "controls/timerspeedbutton.h"

namespace {

// Counts beeps instead of sounding them.
class TestSpinEdit : public TCSpinEdit {
public:
    TestSpinEdit(int min, int max, int increment, const char* text) {
        setMinValue(min);
        setMaxValue(max);
        setIncrement(increment);
        setText(QString::fromUtf8(text));
    }
    int beeps = 0;

protected:
    void Beep() override { ++beeps; }
};

TEST(CSpinEdit, StepsByIncrementWithinLimits) {
    const struct {
        int min, max, increment;
        const char* start;
        const char* actions;  // u/d: click an arrow, U/D: Up/Down key
        const char* expected;
        int changes;
        bool readOnly;
        int beeps;
    } rows[] = {
        {20, 100, 10, "60", "u", "70", 1, false, 0},
        {20, 100, 10, "100", "u", "100", 0, false, 0},  // unchanged text fires nothing
        {32, 160, 1, "32", "d", "32", 0, false, 0},
        {0, 0, 1, "0", "dd", "-2", 2, false, 0},  // no limits
        {20, 100, 10, "60", "UUD", "70", 3, false, 0},
        {20, 100, 30, "90", "u", "100", 1, false, 0},
        {20, 100, 10, "x", "u", "30", 2, false, 0},  // rewritten to 20, then stepped
        {0, 0, 1, "2147483647", "u", "2147483647", 0, false, 0},
        {0, 0, 1, "-2147483648", "d", "-2147483648", 0, false, 0},
        {0, 0, 1000000000, "2000000000", "u", "2147483647", 1, false, 0},
        {0, 0, -5, "0", "u", "-5", 1, false, 0},
        {20, 100, 10, "60", "uD", "60", 0, true, 2},  // read-only: beeps instead
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.start) + " " + row.actions);
        TestSpinEdit edit(row.min, row.max, row.increment, row.start);
        edit.setReadOnly(row.readOnly);
        QSignalSpy changes(&edit, &TCSpinEdit::OnChange);
        for (const char* a = row.actions; *a != '\0'; ++a) {
            if (*a == 'u') QTest::mouseClick(edit.Button()->UpButton(), Qt::LeftButton);
            if (*a == 'd') QTest::mouseClick(edit.Button()->DownButton(), Qt::LeftButton);
            if (*a == 'U') QTest::keyClick(&edit, Qt::Key_Up);
            if (*a == 'D') QTest::keyClick(&edit, Qt::Key_Down);
        }
        EXPECT_EQ(edit.text().toStdString(), row.expected);
        EXPECT_EQ(changes.count(), row.changes);
        EXPECT_EQ(edit.beeps, row.beeps);
    }
}

TEST(CSpinEdit, CheckValueTestsMinimumFirst) {
    const struct {
        int min, max, v, expected;
    } rows[] = {
        {10, 5, 7, 10},    {10, 5, 12, 5},      {0, 0, INT_MIN, INT_MIN}, {5, 5, 99, 99},
        {20, 100, 19, 20}, {20, 100, 101, 100}, {20, 100, 55, 55},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.v);
        TestSpinEdit edit(row.min, row.max, 1, "0");
        EXPECT_EQ(edit.CheckValue(row.v), row.expected);
        edit.setValue(row.v);
        EXPECT_EQ(edit.text(), QString::number(row.expected));
    }
}

TEST(CSpinEdit, ValueReadsWholeNumbersAndRewritesTheRestAsMinValue) {
    const struct {
        int min, max;
        const char* text;
        int value;
        const char* after;
    } rows[] = {
        {20, 100, "60", 60, "60"},
        {20, 100, "+42", 42, "+42"},
        {20, 100, "007", 7, "007"},
        {20, 100, "500", 500, "500"},  // read, not clamped
        {20, 100, "-2147483648", INT_MIN, "-2147483648"},
        {20, 100, "", 20, "20"},
        {20, 100, "1.5", 20, "20"},
        {20, 100, "-", 20, "20"},
        {20, 100, "12a", 20, "20"},
        {20, 100, " 5", 20, "20"},
        {20, 100, "2147483648", 20, "20"},
        {20, 100, "99999999999999999999", 20, "20"},
        {20, 100, "\xef\xbc\x95", 20, "20"},  // a full-width five
        {10, 5, "", 10, "10"},                // MinValue as it is, though above MaxValue
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        TestSpinEdit edit(row.min, row.max, 1, row.text);
        QSignalSpy changes(&edit, &TCSpinEdit::OnChange);
        EXPECT_EQ(edit.value(), row.value);
        EXPECT_EQ(edit.text().toStdString(), row.after);
        EXPECT_EQ(changes.count(), edit.text() == QString::fromUtf8(row.text) ? 0 : 1);
    }
}

TEST(CSpinEdit, KeyFilterAdmitsDigitsSignsSeparatorAndControlKeys) {
    const struct {
        bool editorEnabled;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* expected;  // the text "12" after the key
        int beeps;
    } rows[] = {
        {true, Qt::Key_5, {}, "125", 0},
        {true, Qt::Key_Minus, {}, "12-", 0},
        {true, Qt::Key_Plus, {}, "12+", 0},
        {true, Qt::Key_Period, {}, "12.", 0},
        {true, Qt::Key_Comma, {}, "12", 1},
        {true, Qt::Key_A, {}, "12", 1},
        {true, Qt::Key_Space, {}, "12", 1},
        {true, Qt::Key_Return, {}, "12", 1},
        {true, Qt::Key_Enter, {}, "12", 1},
        {true, Qt::Key_Backspace, {}, "1", 0},
        {true, Qt::Key_Home, {}, "12", 0},
        {false, Qt::Key_5, {}, "12", 1},
        {false, Qt::Key_Backspace, {}, "12", 1},
        {false, Qt::Key_Delete, {}, "12", 1},
        {false, Qt::Key_Return, {}, "12", 1},
        {false, Qt::Key_Left, {}, "12", 0},
        {false, Qt::Key_A, Qt::ControlModifier, "12", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(QKeySequence(row.key).toString().toStdString());
        TestSpinEdit edit(0, 0, 1, "12");
        edit.setEditorEnabled(row.editorEnabled);
        edit.setCursorPosition(2);
        QTest::keyClick(&edit, row.key, row.modifiers);
        EXPECT_EQ(edit.text().toStdString(), row.expected);
        EXPECT_EQ(edit.beeps, row.beeps);
    }
}

TEST(CSpinEdit, SeparatorFollowsTheLocaleAndOnlyAsciiDigitsPass) {
    TCSpinEdit edit;
    EXPECT_TRUE(edit.IsValidChar(u'.'));
    EXPECT_FALSE(edit.IsValidChar(u','));
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_TRUE(edit.IsValidChar(u','));
    EXPECT_FALSE(edit.IsValidChar(u'.'));
    QLocale::setDefault(saved);
    EXPECT_FALSE(edit.IsValidChar(QChar(0xFF15)));

    TestSpinEdit typed(20, 100, 10, "");
    QTest::keyClicks(&typed, "1.5");
    QInputMethodEvent kana;
    kana.setCommitString(QStringLiteral("\u3042"));
    QGuiApplication::sendEvent(&typed, &kana);
    EXPECT_EQ(typed.text(), "1.5");
    EXPECT_EQ(typed.beeps, 1);
}

TEST(CSpinEdit, CutAndPasteOnlyWhileEditable) {
    const struct {
        bool editorEnabled, readOnly;
        const char* afterPaste;
        const char* afterCut;
    } rows[] = {{true, false, "77", ""}, {false, false, "12", "12"}, {true, true, "12", "12"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.afterPaste);
        TestSpinEdit edit(0, 0, 1, "12");
        edit.setEditorEnabled(row.editorEnabled);
        edit.setReadOnly(row.readOnly);
        QGuiApplication::clipboard()->setText(QStringLiteral("77"));
        edit.selectAll();
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(edit.text().toStdString(), row.afterPaste);
        edit.selectAll();
        QTest::keyClick(&edit, Qt::Key_X, Qt::ControlModifier);
        EXPECT_EQ(edit.text().toStdString(), row.afterCut);
        EXPECT_EQ(edit.beeps, 0);  // ignored, not refused
    }
}

TEST(CSpinEdit, BoxLowerThanItsMinimumGrows) {
    TCSpinEdit edit;
    edit.resize(49, 4);
    EXPECT_GT(edit.GetMinHeight(), 4);
    EXPECT_EQ(edit.height(), edit.GetMinHeight());
    QFont big = edit.font();
    big.setPixelSize(40);
    edit.setFont(big);
    EXPECT_GE(edit.GetMinHeight(), 40);
    EXPECT_EQ(edit.height(), edit.GetMinHeight());

    edit.show();  // the arrows sit inside the right edge, clear of the text
    const QRect pair = edit.Button()->geometry();
    EXPECT_EQ(pair.size(), QSize(15, edit.height() - 5));
    EXPECT_LT(pair.right(), edit.width() - 1);
}

// The first and last columns, left of limit, that hold dark (text) pixels.
std::pair<int, int> InkColumns(const QImage& image, int limit) {
    int first = -1;
    int last = -1;
    for (int x = 0; x < limit; ++x) {
        for (int y = 2; y < image.height() - 2; ++y) {
            if (qGray(image.pixel(x, y)) < 80) {
                if (first < 0) first = x;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

// How many columns the text covers when nothing cuts it.
int InkWidth(const QString& text, const QFont& font) {
    QImage image(80, 24, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(20, 17, text);
    }
    const auto [first, last] = InkColumns(image, image.width());
    return last - first + 1;
}

// The main window's two boxes at their sizes, in the windows' font: the
// widest value is shown whole, clear of the frame and the arrows, whether the
// box has the focus (and the cursor after the text) or not.
TEST(CSpinEdit, WidestValueIsFullyVisibleAtTheWindowsSizes) {
    const struct {
        int width, min, max, step;
        const char* text;
    } rows[] = {{41, 20, 100, 10, "100"}, {49, 32, 160, 1, "100"}, {49, 32, 160, 1, "160"}};
    const std::unique_ptr<QStyle> windows(QStyleFactory::create("Windows"));
    ASSERT_NE(windows, nullptr);
    for (const auto& row : rows) {
        for (const auto& [style, focused] :
             {std::pair(windows.get(), false), std::pair(windows.get(), true),
              std::pair(QApplication::style(), false)}) {
            SCOPED_TRACE(std::to_string(row.width) + " " + row.text + " " +
                         style->name().toStdString() + (focused ? " focused" : ""));
            QWidget window;
            auto* edit = new TCSpinEdit(&window);
            edit->setStyle(style);
            auto* other = new QLineEdit(&window);
            other->move(0, 40);
            edit->setFont(ProgramFont());
            edit->setMinValue(row.min);
            edit->setMaxValue(row.max);
            edit->setIncrement(row.step);
            edit->resize(row.width, 21);
            edit->setText(QString::fromUtf8(row.text));
            window.show();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
            (focused ? static_cast<QWidget*>(edit) : other)->setFocus();
            ASSERT_EQ(edit->hasFocus(), focused);
            const int arrows = edit->Button()->x();
            const auto [first, last] = InkColumns(edit->grab().toImage(), arrows);
            const int ink = InkWidth(edit->text(), edit->font());
            EXPECT_EQ(edit->font().pixelSize(), 12);
            EXPECT_GE(first, 1);
            EXPECT_LT(last, arrows);
            if (focused) {
                EXPECT_GE(last - first + 1, ink) << "columns " << first << " to " << last;
            } else {
                EXPECT_EQ(last - first + 1, ink) << "columns " << first << " to " << last;
            }
        }
    }
}

// Needs real focus: a shown, active window.
class CSpinEditFocus : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(&edit);
        layout->addWidget(&other);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    QWidget window;
    TestSpinEdit edit{32, 160, 1, "32"};
    QLineEdit other;
};

TEST_F(CSpinEditFocus, LeavingClampsTheTypedValue) {
    const char* rows[][2] = {{"200", "160"}, {"7", "32"}, {"100", "100"}, {"", "32"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        edit.setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(edit.hasFocus());
        edit.setText(QString::fromLatin1(row[0]));
        other.setFocus(Qt::TabFocusReason);
        EXPECT_EQ(edit.text().toStdString(), row[1]);
    }
}

TEST_F(CSpinEditFocus, EnteringSelectsAllUnlessByMouse) {
    edit.setText(QStringLiteral("123"));
    other.setFocus(Qt::TabFocusReason);
    edit.setFocus(Qt::TabFocusReason);
    EXPECT_EQ(edit.selectedText(), "123");

    other.setFocus(Qt::TabFocusReason);
    QTest::mouseClick(&edit, Qt::LeftButton, {}, QPoint(5, edit.height() / 2));
    ASSERT_TRUE(edit.hasFocus());
    EXPECT_EQ(edit.selectedText(), "");

    other.setFocus(Qt::TabFocusReason);
    QTest::mouseClick(edit.Button()->DownButton(), Qt::LeftButton);
    EXPECT_TRUE(edit.hasFocus());  // the pair is no tab stop and shows no frame
    EXPECT_EQ(edit.text(), "122");
    EXPECT_FALSE(edit.Button()->FocusArrow()->buttonFlags() & TTimerSpeedButton::ShowFocusFrame);

    other.setFocus(Qt::TabFocusReason);
    edit.setAutoSelect(false);
    edit.setFocus(Qt::TabFocusReason);
    EXPECT_EQ(edit.selectedText(), "");
}

}  // namespace
