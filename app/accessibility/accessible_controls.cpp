#include "app/accessibility/accessible_controls.h"

#include <QAccessible>
#include <QEvent>

#include "app/accessibility/painted_interfaces.h"

namespace tonvel {

namespace {

QAccessibleInterface* paintedWindowFactory(const QString&, QObject* object) {
    if (!object || !object->isWidgetType()) return nullptr;
    AccessibleControls* controls = AccessibleControls::of(object);
    if (!controls) return nullptr;
    return new PaintedWindowInterface(static_cast<QWidget*>(object), controls);
}

void send(QAccessibleEvent&& event) {
    QAccessible::updateAccessibility(&event);
}

}  // namespace

AccessibleControls::AccessibleControls(QWidget* window, AccessibleSource source)
    : QObject(window), window_(window), source_(std::move(source)) {
    window->installEventFilter(this);
}

AccessibleControls::~AccessibleControls() {
    for (QAccessibleInterface* child : children_)
        if (child) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(child));
}

AccessibleControls* AccessibleControls::of(QObject* window) {
    return window->findChild<AccessibleControls*>(QString(), Qt::FindDirectChildrenOnly);
}

const std::vector<AccessibleItem>& AccessibleControls::items() {
    if (stale_) {
        snapshot_ = source_();
        stale_ = false;
    }
    return snapshot_;
}

QAccessibleInterface* AccessibleControls::child(int index) {
    if (index < 0 || index >= count()) return nullptr;
    if (children_.size() <= static_cast<size_t>(index)) children_.resize(items().size(), nullptr);
    auto& child = children_[static_cast<size_t>(index)];
    if (!child) {
        child = new PaintedControlInterface(this, index);
        QAccessible::registerAccessibleInterface(child);
    }
    return child;
}

int AccessibleControls::indexOf(const QAccessibleInterface* child) const {
    for (size_t i = 0; i < children_.size(); ++i)
        if (children_[i] == child) return static_cast<int>(i);
    return -1;
}

void AccessibleControls::changed() {
    if (!QAccessible::isActive()) {
        stale_ = true;
        return;
    }
    std::vector<AccessibleItem> now = source_();
    if (stale_ || now.size() != snapshot_.size()) {
        snapshot_ = std::move(now);
        stale_ = false;
        return;
    }
    const AccessibleDifference difference = accessibleDifference(snapshot_, now);
    snapshot_ = std::move(now);
    for (const AccessibleChange& change : difference.changes) {
        QAccessibleInterface* iface = child(static_cast<int>(change.item));
        if (!iface) continue;
        const AccessibleItem& item = snapshot_[change.item];
        if (change.nameChanged) send(QAccessibleEvent(iface, QAccessible::NameChanged));
        if (change.valueChanged)
            send(QAccessibleValueChangeEvent(iface, QVariant(item.value.current)));
        if (change.stateChanged) {
            QAccessible::State states;
            states.pressed = true;
            states.checked = item.checkable;
            send(QAccessibleStateChangeEvent(iface, states));
        }
    }
    if (difference.announce) announce(static_cast<int>(*difference.announce));
}

void AccessibleControls::announce(int index) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent event(window_, QString::fromStdString(snapshot_[index].name));
    QAccessible::updateAccessibility(&event);
#else
    // Screen readers speak a control that takes the focus, so the focus moves to what changed,
    // without taking the keyboard. Through this bridge a name change carries no name, and a
    // reader ignores the focus coming to the control that has it: a control spoken again
    // comes back as a new object.
    if (focused_ == index) renew(index);
    focused_ = index;
    send(QAccessibleEvent(child(index), QAccessible::Focus));
#endif
}

void AccessibleControls::renew(int index) {
    auto& child = children_[static_cast<size_t>(index)];
    if (!child) return;
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(child));
    child = nullptr;
}

bool AccessibleControls::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_) {
        switch (event->type()) {
            case QEvent::FocusIn:
            case QEvent::WindowActivate:
                // The focus went back to the window itself.
                focused_ = -1;
                break;
            case QEvent::Paint:
                changed();
                break;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}

AccessibleControls* describePaintedWindow(QWidget* window, AccessibleSource source) {
    static const bool installed = [] {
        QAccessible::installFactory(paintedWindowFactory);
        return true;
    }();
    (void)installed;
    auto* controls = new AccessibleControls(window, std::move(source));
    // A window asked for before it had controls keeps the plain interface it got: forget it.
    if (QAccessibleInterface* plain = QAccessible::queryAccessibleInterface(window);
        plain && !dynamic_cast<PaintedWindowInterface*>(plain))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(plain));
    return controls;
}

}  // namespace tonvel
