#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace tonvel {

// Calls `arrived` on the window's thread whenever the MIDI input's descriptor (an eventfd)
// turns readable, after reading it empty, so that nothing raised during the call is missed.
// Does nothing for a descriptor of -1.
class MidiInputPump : public QObject {
    Q_OBJECT

  public:
    MidiInputPump(int descriptor, std::function<void()> arrived, QObject* parent = nullptr);

  private:
    void drain();

    int descriptor_;
    std::function<void()> arrived_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tonvel
