#pragma once

#include <QAccessibleWidget>
#include <QPointer>

#include "shell/accessible_names.h"

namespace tonvel {

class AccessibleControls;

// A painted window: its children are the controls it paints.
class PaintedWindowInterface : public QAccessibleWidget {
  public:
    PaintedWindowInterface(QWidget* window, AccessibleControls* controls);
    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

  private:
    QPointer<AccessibleControls> controls_;
};

// One painted control, which has no object of its own.
class PaintedControlInterface : public QAccessibleInterface, public QAccessibleValueInterface {
  public:
    PaintedControlInterface(AccessibleControls* controls, int index);
    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    // Read only: the sliders move with the keys and the mouse as before.
    QVariant currentValue() const override;
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override { return 1; }

  private:
    const AccessibleItem* item() const;

    QPointer<AccessibleControls> controls_;
    int index_;
};

}  // namespace tonvel
