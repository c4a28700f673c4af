#pragma once

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

class TCSpinEdit;

// What screen readers see of a TCSpinEdit: a spin box with its value, limits
// and step, which they can read, set, raise and lower.
class TCSpinEditAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit TCSpinEditAccessible(TCSpinEdit* edit);

    // Makes the accessibility framework use this class for every TCSpinEdit.
    static void Register();

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text type) const override;
    // The arrows are reached through the value and the actions.
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QStringList actionNames() const override;
    void doAction(const QString& action) override;

    QVariant currentValue() const override;  // the shown number, else MinValue
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

private:
    TCSpinEdit* edit() const;
};
