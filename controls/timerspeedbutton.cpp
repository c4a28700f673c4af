#include "controls/timerspeedbutton.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>

namespace {

constexpr int kFirstRepeatMs = 400;
constexpr int kRepeatMs = 100;

// Glyph pixels of the bottom-left pixel's colour become transparent; black
// ones take the ink, so that the arrows stay visible on a dark palette.
QPixmap TransparentGlyph(const QImage& glyph, QColor ink) {
    if (glyph.isNull()) return {};
    QImage image = glyph.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (row[x] == key)
                row[x] = qRgba(0, 0, 0, 0);
            else if (row[x] == qRgb(0, 0, 0))
                row[x] = ink.rgb();
        }
    }
    return QPixmap::fromImage(image);
}

}  // namespace

TTimerSpeedButton::TTimerSpeedButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
}

void TTimerSpeedButton::setButtonFlags(ButtonFlags flags) {
    const bool frameChanged = (flags ^ flags_).testFlag(ShowFocusFrame);
    flags_ = flags;
    if (frameChanged) update();
}

void TTimerSpeedButton::setGlyph(const QImage& glyph) {
    glyph_ = glyph;
    shownGlyph_ = TransparentGlyph(glyph, palette().color(QPalette::ButtonText));
    update();
}

void TTimerSpeedButton::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        shownGlyph_ = TransparentGlyph(glyph_, palette().color(QPalette::ButtonText));
}

QSize TTimerSpeedButton::sizeHint() const {
    return shownGlyph_.size() + QSize(6, 4);
}

void TTimerSpeedButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &option, &painter, this);

    const int shift = isDown() ? 1 : 0;
    if (!shownGlyph_.isNull()) {
        const QPixmap pixmap =
            isEnabled() ? shownGlyph_
                        : style()->generatedIconPixmap(QIcon::Disabled, shownGlyph_, &option);
        const QPoint origin((width() - pixmap.width()) / 2 + shift,
                            (height() - pixmap.height()) / 2 + shift);
        painter.drawPixmap(origin, pixmap);
    }
    if (flags_.testFlag(ShowFocusFrame)) {
        QPen pen(palette().color(QPalette::WindowText));
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        const QRect frame = rect().adjusted(3, 3, -3, -3).translated(shift, shift);
        painter.drawRect(frame.adjusted(0, 0, -1, -1));
    }
}

void TTimerSpeedButton::mousePressEvent(QMouseEvent* event) {
    QAbstractButton::mousePressEvent(event);
    // Any button starts the timer; keep the press so that its release comes here
    // and stops it again.
    event->accept();
    if (!flags_.testFlag(AutoRepeat)) return;
    if (holdTimer_ == nullptr) {
        holdTimer_ = new QTimer(this);
        connect(holdTimer_, &QTimer::timeout, this, &TTimerSpeedButton::TimerExpired);
    }
    holdTimer_->setInterval(kFirstRepeatMs);
    holdTimer_->start();
}

void TTimerSpeedButton::mouseReleaseEvent(QMouseEvent* event) {
    QAbstractButton::mouseReleaseEvent(event);  // clicks when released over the button
    if (holdTimer_ != nullptr) holdTimer_->stop();
}

void TTimerSpeedButton::Click() {
    Q_EMIT clicked(false);
}

void TTimerSpeedButton::TimerExpired() {
    holdTimer_->setInterval(kRepeatMs);
    // Repeats pause while the pointer is dragged off the button.
    if (!isDown()) return;
    try {
        Click();
    } catch (...) {
        holdTimer_->stop();
        throw;
    }
}
