#pragma once

#include <string>
#include <utility>

namespace tonvel {

class frmPiano;

// Where the desktop does not let a program keep its window above the others, takes back, after
// each of the window's handlers, what they showed of stay-on-top: the state, the lit button, and
// the status line's claim, which then says why instead. The activation's own return to a saved
// stay-on-top (at every activation) says why once only.
class StayOnTopRefusal {
  public:
    explicit StayOnTopRefusal(std::string reason) : reason_(std::move(reason)) {}
    void settle(frmPiano& piano);

  private:
    std::string reason_;
    bool told_ = false;
};

// The status line's words for it on Wayland.
inline constexpr char kStayOnTopRefusedOnWayland[] =
    "Stay on Top : the desktop's to set on Wayland";

}  // namespace tonvel
