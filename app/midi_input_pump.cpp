#include "app/midi_input_pump.h"

#include <unistd.h>

#include <cstdint>

namespace tonvel {

MidiInputPump::MidiInputPump(int descriptor, std::function<void()> arrived, QObject* parent)
    : QObject(parent), descriptor_(descriptor), arrived_(std::move(arrived)) {
    if (descriptor_ < 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(descriptor_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &MidiInputPump::drain);
}

void MidiInputPump::drain() {
    uint64_t count = 0;
    [[maybe_unused]] const auto read = ::read(descriptor_, &count, sizeof count);
    if (arrived_) arrived_();
}

}  // namespace tonvel
