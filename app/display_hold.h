#pragma once

namespace tonvel {

// An X server resets when its last client leaves and refuses connections meanwhile; a start
// that falls into that moment made the toolkit abort. When the program is to run on X11, this
// waits until $DISPLAY answers and then holds a connection of its own for as long as it lives,
// so that no reset can come between it and the toolkit's connection. Make it before the
// QApplication. A display that never answers is left to the toolkit to report.
class DisplayHold {
  public:
    explicit DisplayHold(int patienceMs = 5000);
    ~DisplayHold();
    DisplayHold(const DisplayHold&) = delete;
    DisplayHold& operator=(const DisplayHold&) = delete;

    bool holding() const { return display_ != nullptr; }

  private:
    void* display_ = nullptr;
};

}  // namespace tonvel
