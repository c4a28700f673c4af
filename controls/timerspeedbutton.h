#pragma once

#include <QAbstractButton>
#include <QImage>

class QTimer;

// A flat arrow button that never takes the focus and, while held, repeats its
// click: first 400 ms after the press, then every 100 ms while it shows pressed.
class TTimerSpeedButton : public QAbstractButton {
    Q_OBJECT
public:
    enum ButtonFlag {
        ShowFocusFrame = 0x1,  // draw a dotted focus frame
        AutoRepeat = 0x2,      // repeat the click while held
    };
    Q_DECLARE_FLAGS(ButtonFlags, ButtonFlag)

    explicit TTimerSpeedButton(QWidget* parent = nullptr);  // no flags, no glyph

    ButtonFlags buttonFlags() const { return flags_; }  // empty at creation
    void setButtonFlags(ButtonFlags flags);             // repaints for a changed focus frame

    QImage glyph() const { return glyph_; }  // as given, before transparency
    void setGlyph(const QImage& glyph);      // its bottom-left colour is drawn transparent

    const QTimer* holdTimer() const { return holdTimer_; }  // null until the first press

    void Click();  // fires clicked() alone: no pressed look, no pressed() signal

    QSize sizeHint() const override;  // the glyph with a margin

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void TimerExpired();

    ButtonFlags flags_;
    QImage glyph_;
    QPixmap shownGlyph_;
    QTimer* holdTimer_ = nullptr;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TTimerSpeedButton::ButtonFlags)
