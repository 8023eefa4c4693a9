#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

class QWidget;

namespace tonvel {

// Runs a long piece of start-up work once a window is on the screen, so that the user sees
// the window while the work blocks: after the window's first paint has reached the display,
// or after `atLatest` for a window that is never drawn. The work runs once, from the event
// loop, never inside the paint.
class StartupAfterPaint : public QObject {
  public:
    StartupAfterPaint(QWidget* window, std::function<void()> work,
                      std::chrono::milliseconds atLatest);
    bool ran() const { return ran_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void run();

    QWidget* window_;
    std::function<void()> work_;
    QTimer atLatest_;
    bool ran_ = false;
};

}  // namespace tonvel
