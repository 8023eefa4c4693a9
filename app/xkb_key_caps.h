#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

#include "app/key_legends.h"

struct _XDisplay;

namespace tonvel {

// The legends of the X server's active keyboard layout, read through its keyboard
// extension. Whenever the layout or its active group changes, the legends are read again
// and `window` is sent a KeyboardLayoutChange event; key translation is told whether the
// keymap's keycodes are places. Off X11 every legend is empty.
class XkbKeyCaps : public QObject, public KeyCaps {
    Q_OBJECT
  public:
    explicit XkbKeyCaps(QObject* window);
    ~XkbKeyCaps() override;
    std::string legend(int keyCode) const override { return legends_.legend(keyCode); }
    bool connected() const { return display_ != nullptr; }

  private:
    void readLayout();
    void readEvents();

    QObject* window_;
    _XDisplay* display_ = nullptr;
    int eventBase_ = 0;
    std::unique_ptr<QSocketNotifier> notifier_;
    LayoutLegends legends_;
};

}  // namespace tonvel
