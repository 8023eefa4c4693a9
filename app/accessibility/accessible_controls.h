#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

#include "shell/accessible_names.h"

class QAccessibleInterface;

namespace tonvel {

using AccessibleSource = std::function<std::vector<AccessibleItem>()>;

// The controls a window paints from its models, as a screen reader finds them: a child of
// the window that reads their names from `source`, and after each change of the models tells
// assistive technology what changed and speaks what matters. Costs nothing while no assistive
// technology listens.
class AccessibleControls : public QObject {
    Q_OBJECT
  public:
    AccessibleControls(QWidget* window, AccessibleSource source);
    ~AccessibleControls() override;

    // The controls of `window`, if it has any.
    static AccessibleControls* of(QObject* window);

    QWidget* window() const { return window_; }
    const std::vector<AccessibleItem>& items();
    int count() { return static_cast<int>(items().size()); }
    QAccessibleInterface* child(int index);
    int indexOf(const QAccessibleInterface* child) const;
    // The control the last announcement moved to, -1 while the window itself has the focus.
    int focused() const { return focused_; }

    // Compares the models with the last look and reports the differences.
    void changed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void announce(int index);
    // Gives a control a new accessible object, which a screen reader takes for another.
    void renew(int index);

    QWidget* window_;
    AccessibleSource source_;
    std::vector<AccessibleItem> snapshot_;
    bool stale_ = true;
    int focused_ = -1;
    std::vector<QAccessibleInterface*> children_;
};

// Gives `window`, painted from models, the controls `source` describes.
AccessibleControls* describePaintedWindow(QWidget* window, AccessibleSource source);

}  // namespace tonvel
