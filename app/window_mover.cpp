#include "app/window_mover.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace tonvel {
namespace {

// Grabs the mouse and drags the window by the pointer's travel since the start; removes
// itself on release of the left button.
class PointerFollower : public QObject {
  public:
    explicit PointerFollower(QWidget* window)
        : QObject(window),
          window_(window),
          startPointer_(QCursor::pos()),
          startWindow_(window->pos()) {
        window->installEventFilter(this);
        window->grabMouse();
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != window_) return false;
        switch (event->type()) {
            case QEvent::MouseMove: {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                if (!(mouse->buttons() & Qt::LeftButton)) {
                    finish();  // the release happened where we could not see it
                    return false;
                }
                const QPoint travel = mouse->globalPosition().toPoint() - startPointer_;
                window_->move(startWindow_ + travel);
                return true;
            }
            case QEvent::MouseButtonRelease:
                if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return true;
                finish();
                return true;
            case QEvent::Hide:
                finish();
                return false;
            default:
                return false;
        }
    }

  private:
    void finish() {
        window_->removeEventFilter(this);
        window_->releaseMouse();
        deleteLater();
    }

    QPointer<QWidget> window_;
    QPoint startPointer_;
    QPoint startWindow_;
};

// Hands the move to the compositor at the pointer's first move with the left button held. A
// compositor (sway) may take a move asked for at the press after a quick click's release has
// come, and then carries the window on the bare pointer until the next click.
class MoveOnDrag : public QObject {
  public:
    explicit MoveOnDrag(QWidget* window) : QObject(window), window_(window) {
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != window_) return false;
        switch (event->type()) {
            case QEvent::MouseMove: {
                const bool held =
                    static_cast<QMouseEvent*>(event)->buttons().testFlag(Qt::LeftButton);
                finish();
                if (!held) return false;
                if (QWindow* handle = window_->windowHandle()) handle->startSystemMove();
                return true;
            }
            case QEvent::MouseButtonRelease:
                if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) finish();
                return false;
            case QEvent::Hide:
                finish();
                return false;
            default:
                return false;
        }
    }

  private:
    void finish() {
        window_->removeEventFilter(this);
        deleteLater();
    }

    QPointer<QWidget> window_;
};

bool onWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}  // namespace

void startWindowMove(QWidget* window, Qt::MouseButtons held) {
    if (!window) return;
    window = window->window();
    // A move follows the left button only: with another button the window manager would carry
    // the window on a bare pointer until the next left click.
    if (!(held & Qt::LeftButton)) return;
    // One drag at a time. Not findChild: without a meta-object of its own the follower would
    // be taken for any other child of the window.
    for (QObject* child : window->children())
        if (dynamic_cast<PointerFollower*>(child) || dynamic_cast<MoveOnDrag*>(child)) return;
    if (onWayland()) {
        new MoveOnDrag(window);
        return;
    }
    if (QWindow* handle = window->windowHandle(); handle && handle->startSystemMove()) return;
    new PointerFollower(window);
}

}  // namespace tonvel
