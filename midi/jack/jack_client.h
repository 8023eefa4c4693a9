#pragma once

#include <jack/jack.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace tonvel {

// A part of the program that works in JACK's cycle (the MIDI input, the MIDI output).
class JackPart {
  public:
    virtual ~JackPart() = default;
    // In the process callback: no lock, no allocation, no call that asks the server.
    virtual void process(jack_nframes_t frames) = 0;
    // On JACK's notification thread: a connection between two ports was made or broken.
    virtual void connection(jack_port_id_t, jack_port_id_t, bool) {}
    // On JACK's notification thread: a port of any client appeared or went.
    virtual void registration(jack_port_id_t, bool) {}
    // On JACK's notification thread: a client (ours or another) finished a cycle late, and the
    // MIDI that cycle carried may have been lost.
    virtual void xrun() {}
    // On a thread of JACK's: the server went, and the client with it.
    virtual void shutdown() {}
};

// The program's own JACK client, one for its MIDI input and its MIDI output, so that a cycle
// wakes one thread of ours and the state of our ports comes from JACK's callbacks, never from
// calls inside the cycle. Shared by whoever uses it, and closed with the last of them.
class JackClient {
  public:
    // The open client of this name, or a new one; null when no server answers. From the
    // window's thread.
    static std::shared_ptr<JackClient> shared(const std::string& name);
    ~JackClient();
    JackClient(const JackClient&) = delete;
    JackClient& operator=(const JackClient&) = delete;

    jack_client_t* handle() const { return client_; }
    // The server shut the client down: the next shared() opens another.
    bool gone() const { return gone_.load(std::memory_order_acquire); }

    // From the window's thread. False when every place is taken. Once remove returns, the part
    // is no longer called.
    bool add(JackPart& part);
    void remove(JackPart& part);
    // Waits (a little) for a cycle under way to end: what the parts stopped using before the
    // call is no longer in use after it.
    void waitOutCycle();

  private:
    static constexpr size_t kParts = 4;

    JackClient() = default;
    bool open(const std::string& name);
    static int onProcess(jack_nframes_t frames, void* self);
    static void onConnect(jack_port_id_t a, jack_port_id_t b, int connect, void* self);
    static void onRegistration(jack_port_id_t port, int registered, void* self);
    static int onXrun(void* self);
    static void onShutdown(void* self);

    jack_client_t* client_ = nullptr;
    std::array<std::atomic<JackPart*>, kParts> parts_{};
    std::atomic<bool> inCycle_{false};
    std::atomic<uint64_t> cyclesEnded_{0};
    std::atomic<bool> gone_{false};
    // The notification thread's callbacks against add and remove: no real-time thread takes it.
    std::mutex notifying_;
};

}  // namespace tonvel
