#pragma once

#include <string>

namespace tonvel {

// FluidSynth has one log for the whole process; these decide, thread by thread, where its
// warnings and errors go: to standard error as FluidSynth prints them, nowhere, or into a
// capture that tells why something failed. Routed once, before any thread of ours may log.
void routeFluidLog();

// From now on FluidSynth prints nothing for the calling thread: one that asks a server again
// and again tells what it finds once, by itself.
void muteFluidLogOnThisThread();

// While one lives, FluidSynth's warnings and errors on the calling thread are kept in it instead
// of printed.
class FluidLogCapture {
  public:
    FluidLogCapture();
    ~FluidLogCapture();
    FluidLogCapture(const FluidLogCapture&) = delete;
    FluidLogCapture& operator=(const FluidLogCapture&) = delete;

    // The first error told, or else the first warning; empty when none.
    const std::string& said() const { return error_.empty() ? warning_ : error_; }
    // Where the calling thread's messages go now, if anywhere.
    static FluidLogCapture* current();
    void keep(int level, const char* message);

  private:
    FluidLogCapture* outer_;
    std::string error_;
    std::string warning_;
};

}  // namespace tonvel
