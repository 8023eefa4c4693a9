#include "app/startup_after_paint.h"

#include <QEvent>
#include <QWidget>

#include "app/x11_keyboard.h"

namespace tonvel {

namespace {

// The picture is sent to the X server when the paint ends, but the server draws it only once
// the requests leave our buffer; waiting for its answer makes sure they have been drawn.
void waitForTheDisplay() {
    syncX11Display();
}

}  // namespace

StartupAfterPaint::StartupAfterPaint(QWidget* window, std::function<void()> work,
                                     std::chrono::milliseconds atLatest)
    : window_(window), work_(std::move(work)) {
    window_->installEventFilter(this);
    atLatest_.setSingleShot(true);
    connect(&atLatest_, &QTimer::timeout, this, &StartupAfterPaint::run);
    atLatest_.start(atLatest);
}

bool StartupAfterPaint::eventFilter(QObject* watched, QEvent* event) {
    // The paint itself follows this filter; the work goes behind it in the event queue.
    if (watched == window_ && event->type() == QEvent::Paint && !ran_)
        QTimer::singleShot(0, this, &StartupAfterPaint::run);
    return false;
}

void StartupAfterPaint::run() {
    if (ran_) return;
    ran_ = true;
    atLatest_.stop();
    window_->removeEventFilter(this);
    waitForTheDisplay();
    work_();
}

}  // namespace tonvel
