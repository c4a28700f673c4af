#include "controls/cspinbutton.h"

#include <QKeyEvent>

#include "controls/timerspeedbutton.h"

// Outside any namespace, as the macro requires.
static void InitSpinResources() {
    Q_INIT_RESOURCE(thumbrix);
}

namespace {

constexpr int kMinWidth = 15;

bool CanTakeFocus(const QWidget* widget) {
    return widget->isEnabled() && widget->isVisible() && widget->focusPolicy() != Qt::NoFocus;
}

QImage ResourceGlyph(const char* name) {
    InitSpinResources();
    return QImage(QString::fromLatin1(name), "BMP");
}

}  // namespace

TCSpinButton::TCSpinButton(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    upButton_ = CreateButton();
    downButton_ = CreateButton();
    setUpGlyph({});
    setDownGlyph({});
    focusArrow_ = upButton_;
    setMinimumWidth(kMinWidth);
    resize(20, 25);
}

TTimerSpeedButton* TCSpinButton::CreateButton() {
    auto* button = new TTimerSpeedButton(this);
    connect(button, &TTimerSpeedButton::clicked, this, [this, button] { BtnClick(button); });
    connect(button, &TTimerSpeedButton::pressed, this, [this, button] { BtnMouseDown(button); });
    button->setButtonFlags(TTimerSpeedButton::AutoRepeat);
    button->show();
    return button;
}

QImage TCSpinButton::upGlyph() const {
    return upButton_->glyph();
}

void TCSpinButton::setUpGlyph(const QImage& glyph) {
    upButton_->setGlyph(glyph.isNull() ? ResourceGlyph(":/SpinUp") : glyph);
}

QImage TCSpinButton::downGlyph() const {
    return downButton_->glyph();
}

void TCSpinButton::setDownGlyph(const QImage& glyph) {
    downButton_->setGlyph(glyph.isNull() ? ResourceGlyph(":/SpinDown") : glyph);
}

void TCSpinButton::resizeEvent(QResizeEvent*) {
    const int upHeight = height() / 2;
    upButton_->setGeometry(0, 0, width(), upHeight);
    downButton_->setGeometry(0, upHeight - 1, width(), height() - upHeight + 1);
}

bool TCSpinButton::isTabStop() const {
    return (focusPolicy() & Qt::TabFocus) != 0;
}

void TCSpinButton::BtnMouseDown(TTimerSpeedButton* sender) {
    SetFocusBtn(sender);
    if (focusControl_ != nullptr && (focusControl_->focusPolicy() & Qt::TabFocus) &&
        CanTakeFocus(focusControl_) && !focusControl_->hasFocus()) {
        focusControl_->setFocus(Qt::OtherFocusReason);
    } else if (isTabStop() && !hasFocus() && CanTakeFocus(this)) {
        setFocus(Qt::OtherFocusReason);
    }
}

void TCSpinButton::BtnClick(TTimerSpeedButton* sender) {
    if (sender == upButton_) {
        Q_EMIT OnUpClick();
    } else {
        Q_EMIT OnDownClick();
    }
}

void TCSpinButton::SetFocusBtn(TTimerSpeedButton* button) {
    if (!isTabStop() || !CanTakeFocus(this) || button == focusArrow_) return;
    focusArrow_->setButtonFlags(focusArrow_->buttonFlags() & ~TTimerSpeedButton::ShowFocusFrame);
    focusArrow_ = button;
    if (hasFocus()) setFocusFrame(true);
}

void TCSpinButton::setFocusFrame(bool shown) {
    auto flags = focusArrow_->buttonFlags();
    flags.setFlag(TTimerSpeedButton::ShowFocusFrame, shown);
    focusArrow_->setButtonFlags(flags);
}

void TCSpinButton::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Space:
            focusArrow_->Click();
            break;
        case Qt::Key_Up:
            SetFocusBtn(upButton_);
            upButton_->Click();
            break;
        case Qt::Key_Down:
            SetFocusBtn(downButton_);
            downButton_->Click();
            break;
        default:
            QWidget::keyPressEvent(event);
    }
}

void TCSpinButton::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    setFocusFrame(true);
}

void TCSpinButton::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    setFocusFrame(false);
}
