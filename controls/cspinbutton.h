#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

class TTimerSpeedButton;

// A pair of auto-repeating arrow buttons, up above down, sharing one pixel row.
// Pressing an arrow hands the focus to FocusControl. As a tab stop of its own,
// the pair draws a focus frame on its focus arrow and answers Space, Up, Down.
class TCSpinButton : public QWidget {
    Q_OBJECT
public:
    explicit TCSpinButton(QWidget* parent = nullptr);  // 20 x 25, no tab stop, default arrows

    TTimerSpeedButton* UpButton() const { return upButton_; }      // the upper half
    TTimerSpeedButton* DownButton() const { return downButton_; }  // the lower half
    TTimerSpeedButton* FocusArrow() const { return focusArrow_; }  // UpButton at first

    QImage upGlyph() const;                  // UpButton's glyph
    void setUpGlyph(const QImage& glyph);    // a null image loads the "SpinUp" resource
    QImage downGlyph() const;                // DownButton's glyph
    void setDownGlyph(const QImage& glyph);  // a null image loads the "SpinDown" resource

    QWidget* focusControl() const { return focusControl_; }  // takes the focus on a press
    void setFocusControl(QWidget* control) { focusControl_ = control; }

    QSize sizeHint() const override { return {20, 25}; }  // the size at creation

Q_SIGNALS:
    void OnUpClick();    // once per click of the up arrow and per repeat
    void OnDownClick();  // once per click of the down arrow and per repeat

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    TTimerSpeedButton* CreateButton();
    void BtnMouseDown(TTimerSpeedButton* sender);
    void BtnClick(TTimerSpeedButton* sender);
    void SetFocusBtn(TTimerSpeedButton* button);
    void setFocusFrame(bool shown);
    bool isTabStop() const;

    TTimerSpeedButton* upButton_ = nullptr;
    TTimerSpeedButton* downButton_ = nullptr;
    TTimerSpeedButton* focusArrow_ = nullptr;
    QPointer<QWidget> focusControl_;
};
