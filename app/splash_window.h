#pragma once

#include <QPixmap>
#include <QWidget>
#include <memory>

#include "app/timer_binding.h"
#include "windows/splash.h"

namespace tonvel {

// Draws the splash and runs its timer.
class SplashWindow : public QWidget {
    Q_OBJECT
  public:
    explicit SplashWindow(splash& model);
    // Redraws and brings the timers in line with the model; call after every handler.
    void refresh();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    splash& model_;
    QPixmap picture_;
    std::unique_ptr<TimerBinding> timer_;
    std::unique_ptr<TimerBinding> volumeTimer_;  // gone with the volume control
};

}  // namespace tonvel
