#include "controls/cspinbutton.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <stdexcept>

#include "controls/cspinedit.h"
#include "controls/timerspeedbutton.h"

namespace {

// Stands in for the clock: one expiry of the hold timer, as the event loop
// would deliver it.
void Expire(const QTimer* timer) {
    ASSERT_NE(timer, nullptr);
    ASSERT_TRUE(timer->isActive());
    QMetaObject::invokeMethod(const_cast<QTimer*>(timer), "timeout", Qt::DirectConnection);
}

QPoint Outside(const QWidget* w) {
    return QPoint(w->width() + 20, w->height() + 20);
}

TEST(TimerSpeedButton, HeldForOneSecondStepsEightTimes) {
    TCSpinEdit edit;
    TTimerSpeedButton* up = edit.Button()->UpButton();
    EXPECT_EQ(up->holdTimer(), nullptr);  // none before the first press

    QTest::mousePress(up, Qt::LeftButton);
    const QTimer* timer = up->holdTimer();
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 400);
    EXPECT_EQ(edit.value(), 0);
    for (int ms = 400; ms <= 1000; ms += 100) {
        Expire(timer);
        EXPECT_EQ(timer->interval(), 100);
    }
    EXPECT_EQ(edit.value(), 7);
    QTest::mouseRelease(up, Qt::LeftButton);
    EXPECT_EQ(edit.value(), 8);  // the release over the arrow clicks once more
    EXPECT_FALSE(timer->isActive());

    QTest::mousePress(up, Qt::LeftButton);  // the next press starts over at 400 ms
    EXPECT_EQ(timer->interval(), 400);
    QTest::mouseRelease(up, Qt::LeftButton);
    EXPECT_EQ(edit.value(), 9);
}

TEST(TimerSpeedButton, ReleaseOutsideAfterShortPressStepsNothing) {
    TCSpinEdit edit;
    TTimerSpeedButton* up = edit.Button()->UpButton();
    QSignalSpy changes(&edit, &TCSpinEdit::OnChange);
    QTest::mousePress(up, Qt::LeftButton);
    QTest::mouseMove(up, Outside(up));
    QTest::mouseRelease(up, Qt::LeftButton, {}, Outside(up));
    EXPECT_EQ(changes.count(), 0);
    EXPECT_FALSE(up->holdTimer()->isActive());
}

TEST(TimerSpeedButton, RepeatsPauseWhileThePointerIsOff) {
    TCSpinEdit edit;
    TTimerSpeedButton* up = edit.Button()->UpButton();
    QTest::mousePress(up, Qt::LeftButton);
    Expire(up->holdTimer());
    QTest::mouseMove(up, Outside(up));
    Expire(up->holdTimer());
    EXPECT_EQ(edit.value(), 1);
    QTest::mouseMove(up, QPoint(2, 2));
    Expire(up->holdTimer());
    EXPECT_EQ(edit.value(), 2);
    QTest::mouseRelease(up, Qt::LeftButton, {}, Outside(up));
    EXPECT_EQ(edit.value(), 2);
}

TEST(TimerSpeedButton, AFailingRepeatStopsTheTimer) {
    TCSpinButton pair;
    QObject::connect(&pair, &TCSpinButton::OnUpClick, [] { throw std::runtime_error("full"); });
    TTimerSpeedButton* up = pair.UpButton();
    QTest::mousePress(up, Qt::LeftButton);
    EXPECT_THROW(Expire(up->holdTimer()), std::runtime_error);
    EXPECT_FALSE(up->holdTimer()->isActive());
}

TEST(CSpinButton, ArrowsShareOnePixelRowAndKeepTheirWidth) {
    const struct {
        int w, h;
        QRect up, down;
    } rows[] = {
        {20, 25, QRect(0, 0, 20, 12), QRect(0, 11, 20, 14)},
        {15, 16, QRect(0, 0, 15, 8), QRect(0, 7, 15, 9)},
        {9, 17, QRect(0, 0, 15, 8), QRect(0, 7, 15, 10)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.h);
        TCSpinButton pair;
        pair.resize(row.w, row.h);
        pair.show();  // a hidden widget is laid out when shown
        EXPECT_EQ(pair.UpButton()->geometry(), row.up);
        EXPECT_EQ(pair.DownButton()->geometry(), row.down);
    }
}

TEST(CSpinButton, TabStopPairShowsAndMovesItsFocusFrame) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* pair = new TCSpinButton;
    auto* other = new QLineEdit;
    pair->setFocusPolicy(Qt::StrongFocus);
    layout->addWidget(pair);
    layout->addWidget(other);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QSignalSpy ups(pair, &TCSpinButton::OnUpClick);
    QSignalSpy downs(pair, &TCSpinButton::OnDownClick);
    const auto framed = [pair] {
        return QString("%1%2")
            .arg(pair->UpButton()->buttonFlags() & TTimerSpeedButton::ShowFocusFrame ? "U" : "")
            .arg(pair->DownButton()->buttonFlags() & TTimerSpeedButton::ShowFocusFrame ? "D" : "");
    };

    pair->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(framed(), "U");
    QTest::keyClick(pair, Qt::Key_Down);
    QTest::keyClick(pair, Qt::Key_Space);
    EXPECT_EQ(framed(), "D");
    EXPECT_EQ(downs.count(), 2);
    QTest::mouseClick(pair->UpButton(), Qt::LeftButton);  // the pressed arrow takes the frame
    EXPECT_EQ(framed(), "U");
    EXPECT_EQ(ups.count(), 1);
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(framed(), "");
}

// Rows from the top: the number of black pixels, centred on olive.
void ExpectArrow(const QImage& glyph, const int (&counts)[6]) {
    ASSERT_EQ(glyph.size(), QSize(9, 6));
    EXPECT_EQ(glyph.colorCount(), 16);
    for (int y = 0; y < 6; ++y) {
        const int left = (9 - counts[y]) / 2;
        for (int x = 0; x < 9; ++x) {
            const bool black = x >= left && x < left + counts[y];
            EXPECT_EQ(glyph.pixel(x, y), black ? qRgb(0, 0, 0) : qRgb(128, 128, 0))
                << "at (" << x << ", " << y << ")";
        }
    }
}

TEST(CSpinButton, ArrowsAreTheSpinResourcesDrawnWithoutTheirOlive) {
    TCSpinButton pair;
    ExpectArrow(pair.upGlyph(), {0, 1, 3, 5, 7, 0});
    ExpectArrow(pair.downGlyph(), {0, 7, 5, 3, 1, 0});

    // The triangle is drawn in the button text colour: black on the usual
    // palette, the palette's own on another one set after creation.
    for (const QColor ink : {QColor(Qt::black), QColor(0, 230, 120)}) {
        SCOPED_TRACE(ink.name().toStdString());
        QPalette palette = pair.palette();
        palette.setColor(QPalette::ButtonText, ink);
        if (ink != Qt::black) pair.setPalette(palette);
        pair.resize(15, 40);
        const QImage shot = pair.UpButton()->grab().toImage();
        int inked = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                ASSERT_NE(shot.pixel(x, y), qRgb(128, 128, 0)) << "at (" << x << ", " << y << ")";
                if (shot.pixel(x, y) == ink.rgb()) ++inked;
            }
        }
        EXPECT_GE(inked, 16);  // the triangle
    }
}

}  // namespace
