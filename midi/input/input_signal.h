#pragma once

namespace tonvel {

// An eventfd that is readable while input waits: raised by the threads that fill the input's
// rings, from real-time ones too (one write, no lock), and cleared by the window before it
// takes what waits.
class InputSignal {
  public:
    InputSignal();
    ~InputSignal();
    InputSignal(const InputSignal&) = delete;
    InputSignal& operator=(const InputSignal&) = delete;

    void raise() const;
    void clear() const;
    // -1 when the system gave none.
    int descriptor() const { return fd_; }

  private:
    int fd_ = -1;
};

}  // namespace tonvel
