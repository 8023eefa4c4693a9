#include "app/midi_input_pump.h"

#include <gtest/gtest.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>

namespace tonvel {
namespace {

// Each raise of the descriptor is one call, and the descriptor is read empty before it.
TEST(MidiInputPump, EachRaiseIsOneCallWithTheDescriptorEmptied) {
    const int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    ASSERT_GE(fd, 0);
    int calls = 0;
    bool emptied = true;
    MidiInputPump pump(fd, [&] {
        ++calls;
        uint64_t left = 0;
        emptied = emptied && ::read(fd, &left, sizeof left) < 0;
    });
    for (int raise = 1; raise <= 3; ++raise) {
        const uint64_t one = 1;
        ASSERT_EQ(::write(fd, &one, sizeof one), static_cast<ssize_t>(sizeof one));
        ASSERT_EQ(::write(fd, &one, sizeof one), static_cast<ssize_t>(sizeof one));
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        EXPECT_EQ(calls, raise);
    }
    EXPECT_TRUE(emptied);
    ::close(fd);
}

}  // namespace
}  // namespace tonvel
