#pragma once

#include <QPointer>
#include <QWidget>

#include "foundation/services.h"

namespace tonvel {

class QtWindowSystem : public WindowSystem {
  public:
    explicit QtWindowSystem(QWidget* window) : window_(window) {}

    void setTopmost(bool on) override;
    void minimise() override;
    void turnNumLockOn() override;
    void formDrag() override;
    void closeMainWindow() override;
    ScreenPoint mainWindowPosition() override;
    std::optional<std::vector<int>> keysHeld() override;

  private:
    QPointer<QWidget> window_;
};

}  // namespace tonvel
