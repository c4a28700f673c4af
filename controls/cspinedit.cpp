#include "controls/cspinedit.h"

#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QScopedValueRollback>
#include <QStyle>
#include <algorithm>
#include <climits>
#include <optional>

#include "controls/cspinbutton.h"
#include "controls/cspineditaccessible.h"

namespace {

constexpr int kThinBorder = 1;
constexpr QChar kEnter(13);
// QLineEdit's own blank on either side of the text, inside the text margins.
constexpr int kLineEditInnerMargin = 2;
// How far FitDigits may set the characters closer together, in pixels.
constexpr qreal kMostTightening = 2.0;

// An optionally signed run of decimal digits within the int range.
std::optional<int> ParseWhole(const QString& text) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size()) return std::nullopt;
    qint64 magnitude = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') return std::nullopt;
        magnitude = magnitude * 10 + (c - u'0');
        if (magnitude > qint64{INT_MAX} + 1) return std::nullopt;
    }
    const qint64 v = negative ? -magnitude : magnitude;
    if (v > INT_MAX) return std::nullopt;
    return static_cast<int>(v);
}

// Keys that change the text without typing a character.
bool IsEditingKey(QKeyEvent* event) {
    static constexpr QKeySequence::StandardKey kKeys[] = {
        QKeySequence::Delete,
        QKeySequence::Undo,
        QKeySequence::Redo,
        QKeySequence::DeleteEndOfLine,
        QKeySequence::DeleteStartOfWord,
        QKeySequence::DeleteEndOfWord,
        QKeySequence::DeleteCompleteLine,
        QKeySequence::Backspace,
    };
    return std::any_of(std::begin(kKeys), std::end(kKeys),
                       [event](QKeySequence::StandardKey key) { return event->matches(key); });
}

// A focus change that stays inside the window, such as a context menu opening.
bool IsPassingFocus(const QFocusEvent* event) {
    return event->reason() == Qt::PopupFocusReason ||
           event->reason() == Qt::ActiveWindowFocusReason;
}

}  // namespace

TCSpinEdit::TCSpinEdit(QWidget* parent) : QLineEdit(QStringLiteral("0"), parent) {
    button_ = new TCSpinButton(this);
    button_->resize(15, 17);
    button_->setFocusControl(this);
    button_->show();
    connect(button_, &TCSpinButton::OnUpClick, this, &TCSpinEdit::UpClick);
    connect(button_, &TCSpinButton::OnDownClick, this, &TCSpinEdit::DownClick);
    connect(this, &QLineEdit::textChanged, this, &TCSpinEdit::OnChange);
    connect(this, &QLineEdit::textChanged, this, &TCSpinEdit::ReportValue);
    TCSpinEditAccessible::Register();
    setAcceptDrops(false);
    updateMinimumHeight();
}

void TCSpinEdit::setMinValue(int value) {
    minValue_ = value;
    FitDigits();
}

void TCSpinEdit::setMaxValue(int value) {
    maxValue_ = value;
    FitDigits();
}

std::optional<int> TCSpinEdit::TextValue() const {
    return ParseWhole(text());
}

int TCSpinEdit::value() {
    if (const std::optional<int> v = ParseWhole(text())) return *v;
    setTextIfChanged(minValue_);  // as it is, even outside MaxValue
    return minValue_;
}

// Screen readers follow the value as it changes.
void TCSpinEdit::ReportValue() {
    if (!QAccessible::isActive()) return;
    if (const std::optional<int> v = TextValue()) {
        QAccessibleValueChangeEvent event(this, *v);
        QAccessible::updateAccessibility(&event);
    }
}

void TCSpinEdit::setValue(int value) {
    setTextIfChanged(CheckValue(value));
}

void TCSpinEdit::setTextIfChanged(int value) {
    const QString text = QString::number(value);
    if (text != this->text()) setText(text);
}

int TCSpinEdit::CheckValue(int value) const {
    if (maxValue_ == minValue_) return value;
    if (value < minValue_) return minValue_;
    if (value > maxValue_) return maxValue_;
    return value;
}

void TCSpinEdit::UpClick() {
    step(increment_);
}

void TCSpinEdit::DownClick() {
    step(-qint64{increment_});
}

// Saturates at the int range, which matters only without limits.
void TCSpinEdit::step(qint64 delta) {
    if (isReadOnly()) {
        Beep();
        return;
    }
    const qint64 next = std::clamp<qint64>(qint64{value()} + delta, INT_MIN, INT_MAX);
    setValue(static_cast<int>(next));
}

void TCSpinEdit::Beep() {
    QApplication::beep();
}

bool TCSpinEdit::IsValidChar(QChar key) const {
    const char16_t c = key.unicode();
    const QString separator = QLocale().decimalPoint();
    const bool admitted = (separator.size() == 1 && separator[0] == key) || c == u'+' ||
                          c == u'-' || (c >= u'0' && c <= u'9') || (c < 32 && key != kEnter);
    if (!admitted) return false;
    if (!editorEnabled_ && (c >= 32 || c == 8)) return false;
    return true;
}

bool TCSpinEdit::acceptsText(const QString& text) const {
    return std::all_of(text.begin(), text.end(), [this](QChar c) { return IsValidChar(c); });
}

void TCSpinEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        if (event->key() == Qt::Key_Up) {
            UpClick();
        } else {
            DownClick();
        }
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Paste)) {
        if (canCutOrPaste()) {
            QLineEdit::keyPressEvent(event);
        } else {
            event->accept();
        }
        return;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    QString typed = enter ? QString(kEnter) : event->text();
    // With Ctrl held only a control character is typed; the edit inserts no other.
    if (event->modifiers().testFlag(Qt::ControlModifier)) {
        typed.removeIf([](QChar c) { return c.unicode() >= 32; });
    }
    // Delete types no character; without the editor it is refused like Backspace.
    const bool refused = event->key() == Qt::Key_Delete || event->matches(QKeySequence::Delete)
                             ? !editorEnabled_
                             : (!acceptsText(typed) || (!editorEnabled_ && IsEditingKey(event)));
    if (refused) {
        Beep();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

// Input methods bypass key presses: hold their text to the same rule.
void TCSpinEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty() && !acceptsText(event->commitString())) {
        Beep();
        QInputMethodEvent cleared;
        QLineEdit::inputMethodEvent(&cleared);
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

// The middle button pastes the selection on X11.
void TCSpinEdit::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton && !canCutOrPaste()) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void TCSpinEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (!canCutOrPaste()) {
        static const QStringList kEditing = {
            QStringLiteral("edit-undo"), QStringLiteral("edit-redo"), QStringLiteral("edit-cut"),
            QStringLiteral("edit-paste"), QStringLiteral("edit-delete")};
        for (QAction* action : menu->actions()) {
            if (kEditing.contains(action->objectName())) action->setEnabled(false);
        }
    }
    menu->popup(event->globalPos());
}

void TCSpinEdit::focusInEvent(QFocusEvent* event) {
    const Qt::FocusReason reason = event->reason();
    if (!autoSelect_ && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                         reason == Qt::ShortcutFocusReason)) {
        QFocusEvent plain(QEvent::FocusIn, Qt::OtherFocusReason);  // the edit would select all
        QLineEdit::focusInEvent(&plain);
        return;
    }
    QLineEdit::focusInEvent(event);
    if (IsPassingFocus(event)) return;
    // A press places the cursor itself.
    if (autoSelect_ && event->reason() != Qt::MouseFocusReason) selectAll();
}

void TCSpinEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (IsPassingFocus(event)) return;
    const int v = value();
    if (CheckValue(v) != v) setValue(v);
}

int TCSpinEdit::GetMinHeight() const {
    const int own = QFontMetrics(font()).height();
    const int screen = QFontMetrics(QGuiApplication::font()).height();
    return own + std::min(own, screen) / 4 + 4 * kThinBorder + 2;
}

void TCSpinEdit::updateMinimumHeight() {
    setMinimumHeight(GetMinHeight());
}

int TCSpinEdit::frameWidth() const {
    return style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
}

void TCSpinEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    // Inside the frame, one pixel clear of its right edge.
    const int frame = frameWidth();
    button_->setGeometry(width() - frame - 1 - button_->width(), frame, button_->width(),
                         height() - 5);
    SetEditRect();
    FitDigits();
}

// The text has everything from the frame to the arrows: the edit's own blanks
// are taken back.
void TCSpinEdit::SetEditRect() {
    const int toArrows = width() - frameWidth() - button_->x();
    setTextMargins(-kLineEditInnerMargin, 0, toArrows - kLineEditInnerMargin, 0);
}

// The widest value the limits allow, with the cursor after it, must fit
// before the arrows, or the edit scrolls it ("100" shows as "00"). Where the
// font's digits are too wide for the box, they are set just enough closer
// together; the font keeps its size.
void TCSpinEdit::FitDigits() {
    if (button_ == nullptr || fitting_ || minValue_ == maxValue_) return;
    const QString low = QString::number(minValue_);
    const QString high = QString::number(maxValue_);
    const QString& widest = low.size() > high.size() ? low : high;
    const int room = button_->x() - frameWidth();
    QFont fitted = font();
    qreal spacing = 0;
    for (;; spacing -= 0.25) {
        fitted.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
        if (spacing <= -kMostTightening ||
            QFontMetricsF(fitted).horizontalAdvance(widest) + 2 <= room)
            break;
    }
    const bool absolute = font().letterSpacingType() == QFont::AbsoluteSpacing;
    if ((absolute ? font().letterSpacing() : 0.0) == spacing) return;
    const QScopedValueRollback<bool> fitting(fitting_, true);
    setFont(fitted);
}

void TCSpinEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        updateMinimumHeight();
        FitDigits();
    }
}
