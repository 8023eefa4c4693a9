#include "app/accessibility/painted_interfaces.h"

#include <QDialog>
#include <QWidget>

#include "app/accessibility/accessible_controls.h"

namespace tonvel {

PaintedWindowInterface::PaintedWindowInterface(QWidget* window, AccessibleControls* controls)
    : QAccessibleWidget(window,
                        qobject_cast<QDialog*>(window) ? QAccessible::Dialog : QAccessible::Window),
      controls_(controls) {}

QString PaintedWindowInterface::text(QAccessible::Text t) const {
    // The skin's captions pad the titles with spaces.
    return QAccessibleWidget::text(t).trimmed();
}

int PaintedWindowInterface::childCount() const {
    return controls_ ? controls_->count() : 0;
}

QAccessibleInterface* PaintedWindowInterface::child(int index) const {
    return controls_ ? controls_->child(index) : nullptr;
}

int PaintedWindowInterface::indexOfChild(const QAccessibleInterface* child) const {
    return controls_ ? controls_->indexOf(child) : -1;
}

QAccessibleInterface* PaintedWindowInterface::childAt(int x, int y) const {
    if (!controls_) return nullptr;
    const QPoint at = widget()->mapFromGlobal(QPoint(x, y));
    const auto& items = controls_->items();
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].visible && items[i].rect.contains(at.x(), at.y()))
            return controls_->child(static_cast<int>(i));
    return nullptr;
}

QAccessibleInterface* PaintedWindowInterface::focusChild() const {
    if (controls_ && controls_->focused() >= 0) return controls_->child(controls_->focused());
    return QAccessibleWidget::focusChild();
}

PaintedControlInterface::PaintedControlInterface(AccessibleControls* controls, int index)
    : controls_(controls), index_(index) {}

const AccessibleItem* PaintedControlInterface::item() const {
    if (!controls_) return nullptr;
    const auto& items = controls_->items();
    return index_ < static_cast<int>(items.size()) ? &items[static_cast<size_t>(index_)] : nullptr;
}

bool PaintedControlInterface::isValid() const {
    return item() != nullptr;
}

QWindow* PaintedControlInterface::window() const {
    return controls_ ? controls_->window()->windowHandle() : nullptr;
}

QAccessibleInterface* PaintedControlInterface::parent() const {
    return controls_ ? QAccessible::queryAccessibleInterface(controls_->window()) : nullptr;
}

QString PaintedControlInterface::text(QAccessible::Text t) const {
    const AccessibleItem* control = item();
    if (!control) return {};
    switch (t) {
        case QAccessible::Name:
            return QString::fromStdString(control->name);
        case QAccessible::Accelerator:
        case QAccessible::Help:
            return QString::fromStdString(control->shortcut);
        case QAccessible::Value:
            return control->hasValue ? QString::number(control->value.current) : QString();
        default:
            return {};
    }
}

QRect PaintedControlInterface::rect() const {
    const AccessibleItem* control = item();
    if (!control) return {};
    const Rect& r = control->rect;
    return QRect(controls_->window()->mapToGlobal(QPoint(r.left, r.top)), QSize(r.width, r.height));
}

QAccessible::Role PaintedControlInterface::role() const {
    const AccessibleItem* control = item();
    if (!control) return QAccessible::NoRole;
    switch (control->role) {
        case AccessibleRole::Button:
            return QAccessible::Button;
        case AccessibleRole::Slider:
            return QAccessible::Slider;
        case AccessibleRole::StatusBar:
            return QAccessible::StatusBar;
        case AccessibleRole::Label:
            return QAccessible::StaticText;
    }
    return QAccessible::NoRole;
}

QAccessible::State PaintedControlInterface::state() const {
    QAccessible::State state;
    const AccessibleItem* control = item();
    if (!control) {
        state.invalid = true;
        return state;
    }
    state.invisible = !control->visible || !controls_->window()->isVisible();
    state.focusable = true;
    state.focused = controls_->focused() == index_;
    state.pressed = control->pressed;
    state.checkable = control->checkable;
    state.checked = control->checked;
    state.readOnly = control->role != AccessibleRole::Button;
    return state;
}

void* PaintedControlInterface::interface_cast(QAccessible::InterfaceType type) {
    const AccessibleItem* control = item();
    if (type == QAccessible::ValueInterface && control && control->hasValue)
        return static_cast<QAccessibleValueInterface*>(this);
    return nullptr;
}

QVariant PaintedControlInterface::currentValue() const {
    const AccessibleItem* control = item();
    return control ? QVariant(control->value.current) : QVariant();
}

QVariant PaintedControlInterface::maximumValue() const {
    const AccessibleItem* control = item();
    return control ? QVariant(control->value.maximum) : QVariant();
}

QVariant PaintedControlInterface::minimumValue() const {
    const AccessibleItem* control = item();
    return control ? QVariant(control->value.minimum) : QVariant();
}

}  // namespace tonvel
