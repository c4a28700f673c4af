#include "controls/cspineditaccessible.h"

#include "controls/cspinedit.h"

namespace {

QAccessibleInterface* Factory(const QString& key, QObject* object) {
    if (key != QLatin1String("TCSpinEdit") || !object->isWidgetType()) return nullptr;
    return new TCSpinEditAccessible(static_cast<TCSpinEdit*>(object));
}

}  // namespace

TCSpinEditAccessible::TCSpinEditAccessible(TCSpinEdit* edit)
    : QAccessibleWidget(edit, QAccessible::SpinBox) {}

void TCSpinEditAccessible::Register() {
    static const bool registered = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    Q_UNUSED(registered);
}

TCSpinEdit* TCSpinEditAccessible::edit() const {
    return static_cast<TCSpinEdit*>(widget());
}

void* TCSpinEditAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State TCSpinEditAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = !edit()->isReadOnly();
    state.readOnly = edit()->isReadOnly();
    return state;
}

QString TCSpinEditAccessible::text(QAccessible::Text type) const {
    if (type == QAccessible::Value) return edit()->text();
    return QAccessibleWidget::text(type);
}

QStringList TCSpinEditAccessible::actionNames() const {
    return QAccessibleWidget::actionNames() << QAccessibleActionInterface::increaseAction()
                                            << QAccessibleActionInterface::decreaseAction();
}

void TCSpinEditAccessible::doAction(const QString& action) {
    if (action == QAccessibleActionInterface::increaseAction()) {
        edit()->UpClick();
    } else if (action == QAccessibleActionInterface::decreaseAction()) {
        edit()->DownClick();
    } else {
        QAccessibleWidget::doAction(action);
    }
}

QVariant TCSpinEditAccessible::currentValue() const {
    return edit()->TextValue().value_or(edit()->minValue());
}

void TCSpinEditAccessible::setCurrentValue(const QVariant& value) {
    edit()->setValue(value.toInt());
}

QVariant TCSpinEditAccessible::maximumValue() const {
    return edit()->maxValue();
}

QVariant TCSpinEditAccessible::minimumValue() const {
    return edit()->minValue();
}

QVariant TCSpinEditAccessible::minimumStepSize() const {
    return edit()->increment();
}
