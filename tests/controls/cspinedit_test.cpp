#include "controls/cspinedit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLocale>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <climits>
#include <string>

#include "controls/cspinbutton.h"
#include "controls/timerspeedbutton.h"

namespace {

// Counts beeps instead of sounding them.
class TestSpinEdit : public TCSpinEdit {
public:
    TestSpinEdit(int min, int max, int increment, const QString& text) {
        setMinValue(min);
        setMaxValue(max);
        setIncrement(increment);
        setText(text);
    }
    int beeps = 0;

protected:
    void Beep() override { ++beeps; }
};

struct StepRow {
    const char* name;
    int min, max, increment;
    const char* start;
    const char* actions;  // u/d: click an arrow, U/D: Up/Down key
    const char* expected;
    int changes;
};

const StepRow kStepRows[] = {
    {"quality up", 20, 100, 10, "60", "u", "70", 1},
    {"quality at top", 20, 100, 10, "100", "u", "100", 0},
    {"size at bottom", 32, 160, 1, "32", "d", "32", 0},
    {"no limits go negative", 0, 0, 1, "0", "dd", "-2", 2},
    {"keys step too", 20, 100, 10, "60", "UUD", "70", 3},
    {"step lands on limit", 20, 100, 30, "90", "u", "100", 1},
    {"non-number steps from min", 20, 100, 10, "x", "u", "30", 2},
    {"saturates at top", 0, 0, 1, "2147483647", "u", "2147483647", 0},
    {"saturates at bottom", 0, 0, 1, "-2147483648", "d", "-2147483648", 0},
    {"big step saturates", 0, 0, 1000000000, "2000000000", "u", "2147483647", 1},
    {"negative increment", 0, 0, -5, "0", "u", "-5", 1},
};

TEST(CSpinEdit, StepsByIncrementWithinLimits) {
    for (const StepRow& row : kStepRows) {
        SCOPED_TRACE(row.name);
        TestSpinEdit edit(row.min, row.max, row.increment, QString::fromLatin1(row.start));
        QSignalSpy changes(&edit, &TCSpinEdit::OnChange);
        for (const char* a = row.actions; *a != '\0'; ++a) {
            TCSpinButton* pair = edit.Button();
            switch (*a) {
                case 'u':
                    QTest::mouseClick(pair->UpButton(), Qt::LeftButton);
                    break;
                case 'd':
                    QTest::mouseClick(pair->DownButton(), Qt::LeftButton);
                    break;
                case 'U':
                    QTest::keyClick(&edit, Qt::Key_Up);
                    break;
                case 'D':
                    QTest::keyClick(&edit, Qt::Key_Down);
                    break;
            }
        }
        EXPECT_EQ(edit.text().toStdString(), row.expected);
        EXPECT_EQ(changes.count(), row.changes);
        EXPECT_EQ(edit.beeps, 0);
    }
}

TEST(CSpinEdit, ReadOnlyBeepsInsteadOfStepping) {
    TestSpinEdit edit(20, 100, 10, "60");
    edit.setReadOnly(true);
    QSignalSpy changes(&edit, &TCSpinEdit::OnChange);
    QTest::mouseClick(edit.Button()->UpButton(), Qt::LeftButton);
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.text(), "60");
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(edit.beeps, 2);
}

TEST(CSpinEdit, StartsAtZeroWithoutLimits) {
    TCSpinEdit edit;
    EXPECT_EQ(edit.text(), "0");
    EXPECT_EQ(edit.minValue(), 0);
    EXPECT_EQ(edit.maxValue(), 0);
    EXPECT_EQ(edit.increment(), 1);
    EXPECT_TRUE(edit.editorEnabled());
    edit.setValue(INT_MIN);
    EXPECT_EQ(edit.value(), INT_MIN);
}

struct CheckRow {
    int min, max, v, expected;
};

TEST(CSpinEdit, CheckValueTestsLimitsInOrder) {
    const CheckRow rows[] = {
        {10, 5, 7, 10},    {10, 5, 12, 5},      {10, 5, 10, 5},    {0, 0, -7, -7},
        {20, 100, 19, 20}, {20, 100, 101, 100}, {20, 100, 55, 55}, {5, 5, 99, 99},
    };
    for (const CheckRow& row : rows) {
        SCOPED_TRACE(std::to_string(row.min) + ".." + std::to_string(row.max) + " " +
                     std::to_string(row.v));
        TestSpinEdit edit(row.min, row.max, 1, "0");
        EXPECT_EQ(edit.CheckValue(row.v), row.expected);
        edit.setValue(row.v);
        EXPECT_EQ(edit.text(), QString::number(row.expected));
    }
}

TEST(CSpinEdit, SettingLimitsLeavesTheText) {
    TestSpinEdit edit(0, 0, 1, "500");
    edit.setMinValue(20);
    edit.setMaxValue(100);
    EXPECT_EQ(edit.text(), "500");
    EXPECT_EQ(edit.value(), 500);  // read, not clamped
}

struct ReadRow {
    const char* text;
    int value;
    const char* after;
    int changes;
};

TEST(CSpinEdit, ValueReadsWholeNumbersAndRewritesTheRest) {
    const ReadRow rows[] = {
        {"60", 60, "60", 0},
        {"+42", 42, "+42", 0},
        {"-7", -7, "-7", 0},
        {"007", 7, "007", 0},
        {"2147483647", INT_MAX, "2147483647", 0},
        {"-2147483648", INT_MIN, "-2147483648", 0},
        {"", 20, "20", 1},
        {"1.5", 20, "20", 1},
        {"-", 20, "20", 1},
        {"+", 20, "20", 1},
        {"abc", 20, "20", 1},
        {"12a", 20, "20", 1},
        {" 5", 20, "20", 1},
        {"2147483648", 20, "20", 1},
        {"-2147483649", 20, "20", 1},
        {"99999999999999999999", 20, "20", 1},
        {"\xef\xbc\x95", 20, "20", 1},  // a full-width five
    };
    for (const ReadRow& row : rows) {
        SCOPED_TRACE(row.text);
        TestSpinEdit edit(20, 100, 10, QString::fromUtf8(row.text));
        QSignalSpy changes(&edit, &TCSpinEdit::OnChange);
        EXPECT_EQ(edit.value(), row.value);
        EXPECT_EQ(edit.text().toStdString(), row.after);
        EXPECT_EQ(changes.count(), row.changes);
    }
}

TEST(CSpinEdit, NonNumberReadsAsMinValueEvenAboveMaxValue) {
    TestSpinEdit edit(10, 5, 1, "");
    EXPECT_EQ(edit.value(), 10);
    EXPECT_EQ(edit.text(), "10");
}

TEST(CSpinEdit, SettingTheSameTextFiresNothing) {
    TestSpinEdit edit(20, 100, 10, "60");
    QSignalSpy changes(&edit, &TCSpinEdit::OnChange);
    edit.setValue(60);
    edit.setValue(500);
    edit.setValue(100);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(edit.text(), "100");
}

struct KeyRow {
    const char* name;
    bool editorEnabled;
    int key;
    Qt::KeyboardModifiers modifiers;
    const char* expected;  // text after the key, the start text being "12"
    int beeps;
};

TEST(CSpinEdit, KeyFilterAdmitsDigitsSignsSeparatorAndControlKeys) {
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const KeyRow rows[] = {
        {"digit", true, Qt::Key_5, none, "125", 0},
        {"minus", true, Qt::Key_Minus, none, "12-", 0},
        {"plus", true, Qt::Key_Plus, none, "12+", 0},
        {"separator", true, Qt::Key_Period, none, "12.", 0},
        {"comma is no separator here", true, Qt::Key_Comma, none, "12", 1},
        {"letter", true, Qt::Key_A, none, "12", 1},
        {"space", true, Qt::Key_Space, none, "12", 1},
        {"enter", true, Qt::Key_Return, none, "12", 1},
        {"keypad enter", true, Qt::Key_Enter, none, "12", 1},
        {"backspace", true, Qt::Key_Backspace, none, "1", 0},
        {"cursor keys pass", true, Qt::Key_Home, none, "12", 0},
        {"no editor: digit", false, Qt::Key_5, none, "12", 1},
        {"no editor: backspace", false, Qt::Key_Backspace, none, "12", 1},
        {"no editor: delete", false, Qt::Key_Delete, none, "12", 1},
        {"no editor: separator", false, Qt::Key_Period, none, "12", 1},
        {"no editor: enter", false, Qt::Key_Return, none, "12", 1},
        {"no editor: cursor keys pass", false, Qt::Key_Left, none, "12", 0},
        {"no editor: select all passes", false, Qt::Key_A, Qt::ControlModifier, "12", 0},
    };
    for (const KeyRow& row : rows) {
        SCOPED_TRACE(row.name);
        TestSpinEdit edit(0, 0, 1, "12");
        edit.setEditorEnabled(row.editorEnabled);
        edit.setCursorPosition(2);
        QTest::keyClick(&edit, Qt::Key(row.key), row.modifiers);
        EXPECT_EQ(edit.text().toStdString(), row.expected);
        EXPECT_EQ(edit.beeps, row.beeps);
    }
}

TEST(CSpinEdit, DecimalSeparatorFollowsTheLocale) {
    TCSpinEdit edit;
    EXPECT_TRUE(edit.IsValidChar(u'.'));
    EXPECT_FALSE(edit.IsValidChar(u','));
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_TRUE(edit.IsValidChar(u','));
    EXPECT_FALSE(edit.IsValidChar(u'.'));
    QLocale::setDefault(saved);
    // Control characters pass, Enter does not; nothing beyond ASCII digits does.
    EXPECT_TRUE(edit.IsValidChar(QChar(9)));
    EXPECT_TRUE(edit.IsValidChar(QChar(22)));
    EXPECT_FALSE(edit.IsValidChar(QChar(13)));
    EXPECT_FALSE(edit.IsValidChar(QChar(0xFF15)));
    edit.setEditorEnabled(false);
    EXPECT_TRUE(edit.IsValidChar(QChar(9)));
    EXPECT_FALSE(edit.IsValidChar(QChar(8)));
    EXPECT_FALSE(edit.IsValidChar(u'7'));
}

TEST(CSpinEdit, TypingADecimalIsPossibleButReadsAsMinValue) {
    TestSpinEdit edit(20, 100, 10, "");
    QTest::keyClicks(&edit, "1.5");
    EXPECT_EQ(edit.text(), "1.5");
    EXPECT_EQ(edit.beeps, 0);
    EXPECT_EQ(edit.value(), 20);
    EXPECT_EQ(edit.text(), "20");
}

TEST(CSpinEdit, InputMethodTextIsFiltered) {
    TestSpinEdit edit(0, 0, 1, "1");
    edit.setCursorPosition(1);
    QInputMethodEvent digits;
    digits.setCommitString(QStringLiteral("23"));
    QApplication::sendEvent(&edit, &digits);
    QInputMethodEvent kana;
    kana.setCommitString(QStringLiteral("\u3042"));
    QApplication::sendEvent(&edit, &kana);
    EXPECT_EQ(edit.text(), "123");
    EXPECT_EQ(edit.beeps, 1);
}

TEST(CSpinEdit, CutAndPasteOnlyWhileEditable) {
    struct Row {
        const char* name;
        bool editorEnabled, readOnly;
        const char* afterPaste;
        const char* afterCut;
    };
    const Row rows[] = {
        {"editable", true, false, "77", ""},
        {"no editor", false, false, "12", "12"},
        {"read-only", true, true, "12", "12"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
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
    edit.resize(49, 21);
    EXPECT_EQ(edit.height(), edit.GetMinHeight());
}

TEST(CSpinEdit, ArrowPairSitsInsideTheRightEdge) {
    TCSpinEdit edit;
    edit.resize(80, 30);
    edit.show();
    const QRect pair = edit.Button()->geometry();
    EXPECT_EQ(pair.width(), 15);
    EXPECT_EQ(pair.height(), 30 - 5);
    EXPECT_LT(pair.right(), edit.width() - 1);
    EXPECT_GT(pair.top(), 0);
    EXPECT_GE(edit.textMargins().right(), pair.width());
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
    const struct {
        const char* typed;
        const char* after;
    } rows[] = {{"200", "160"}, {"7", "32"}, {"100", "100"}, {"", "32"}, {"1.5", "32"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        edit.setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(edit.hasFocus());
        edit.setText(QString::fromLatin1(row.typed));
        other.setFocus(Qt::TabFocusReason);
        EXPECT_EQ(edit.text().toStdString(), row.after);
    }
}

TEST_F(CSpinEditFocus, EnteringSelectsAllUnlessByLeftPress) {
    edit.setText(QStringLiteral("123"));
    other.setFocus(Qt::TabFocusReason);
    edit.setFocus(Qt::TabFocusReason);
    EXPECT_EQ(edit.selectedText(), "123");

    other.setFocus(Qt::TabFocusReason);
    QTest::mouseClick(&edit, Qt::LeftButton, {}, QPoint(5, edit.height() / 2));
    ASSERT_TRUE(edit.hasFocus());
    EXPECT_EQ(edit.selectedText(), "");

    other.setFocus(Qt::TabFocusReason);
    edit.setAutoSelect(false);
    edit.setFocus(Qt::TabFocusReason);
    EXPECT_EQ(edit.selectedText(), "");
}

TEST_F(CSpinEditFocus, PressingAnArrowFocusesTheEditNotThePair) {
    edit.setText(QStringLiteral("50"));
    other.setFocus(Qt::TabFocusReason);
    TCSpinButton* pair = edit.Button();
    QTest::mouseClick(pair->DownButton(), Qt::LeftButton);
    EXPECT_TRUE(edit.hasFocus());
    EXPECT_EQ(edit.text(), "49");
    EXPECT_FALSE(pair->UpButton()->buttonFlags().testFlag(TTimerSpeedButton::ShowFocusFrame));
    EXPECT_FALSE(pair->DownButton()->buttonFlags().testFlag(TTimerSpeedButton::ShowFocusFrame));
}

}  // namespace
