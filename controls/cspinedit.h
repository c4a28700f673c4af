#pragma once

#include <QLineEdit>
#include <optional>

class TCSpinButton;

// A one-line whole-number box with an up/down arrow pair inside its right edge.
// The value lives only in the text. Arrows and the Up/Down keys step it by
// Increment; it is held to MinValue..MaxValue when set and when the focus
// leaves, not while the user types. MinValue == MaxValue means no limits.
class TCSpinEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TCSpinEdit(QWidget* parent = nullptr);  // text "0", no limits, Increment 1

    int minValue() const { return minValue_; }    // 0 at creation
    void setMinValue(int value);                  // leaves the text as it is
    int maxValue() const { return maxValue_; }    // 0 at creation
    void setMaxValue(int value);                  // leaves the text as it is
    int increment() const { return increment_; }  // 1 at creation
    void setIncrement(int value) { increment_ = value; }
    bool editorEnabled() const { return editorEnabled_; }  // false: no typing, cut or paste
    void setEditorEnabled(bool enabled) { editorEnabled_ = enabled; }
    bool autoSelect() const { return autoSelect_; }  // select all on focus not from a press
    void setAutoSelect(bool enabled) { autoSelect_ = enabled; }

    int value();  // the text as a number; other text is replaced by MinValue
    std::optional<int> TextValue() const;  // the text as a number, leaving other text alone
    void setValue(int value);         // writes CheckValue(value); no OnChange if the text stays
    int CheckValue(int value) const;  // value held to the limits (MinValue first)
    int GetMinHeight() const;         // the least height the box takes for its font

    TCSpinButton* Button() const { return button_; }  // the arrow pair

    // Whether a typed character may reach the text: the locale's decimal
    // separator, signs, digits and control characters except Enter.
    virtual bool IsValidChar(QChar key) const;

public Q_SLOTS:
    virtual void UpClick();    // one step up; beeps instead while ReadOnly
    virtual void DownClick();  // one step down; beeps instead while ReadOnly

Q_SIGNALS:
    void OnChange();  // the text changed: typed, pasted or set

protected:
    virtual void Beep();  // refused key or step

    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void step(qint64 delta);
    void ReportValue();
    void setTextIfChanged(int value);
    bool canCutOrPaste() const { return editorEnabled_ && !isReadOnly(); }
    bool acceptsText(const QString& text) const;
    void updateMinimumHeight();
    int frameWidth() const;
    void SetEditRect();
    void FitDigits();

    TCSpinButton* button_ = nullptr;
    int minValue_ = 0;
    int maxValue_ = 0;
    int increment_ = 1;
    bool editorEnabled_ = true;
    bool autoSelect_ = true;
    bool fitting_ = false;  // FitDigits is changing the font
};
