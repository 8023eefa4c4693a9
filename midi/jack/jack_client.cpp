#include "midi/jack/jack_client.h"

#include <map>
#include <thread>

#include "midi/jack/jack_autostart.h"
#include "midi/jack/jack_server_socket.h"

namespace tonvel {

std::shared_ptr<JackClient> JackClient::shared(const std::string& name) {
    static std::mutex lock;
    static std::map<std::string, std::weak_ptr<JackClient>> clients;
    std::lock_guard hold(lock);
    std::weak_ptr<JackClient>& known = clients[name];
    if (auto client = known.lock(); client && !client->gone()) return client;
    std::shared_ptr<JackClient> client(new JackClient());
    if (!client->open(name)) return nullptr;
    known = client;
    return client;
}

bool JackClient::open(const std::string& name) {
    preventJackServerAutostart();
    if (!jackServerMayAnswer()) return false;
    jack_status_t status{};
    client_ = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (client_ == nullptr) return false;
    if (jack_set_process_callback(client_, &JackClient::onProcess, this) != 0 ||
        jack_set_port_connect_callback(client_, &JackClient::onConnect, this) != 0 ||
        jack_set_port_registration_callback(client_, &JackClient::onRegistration, this) != 0 ||
        jack_set_xrun_callback(client_, &JackClient::onXrun, this) != 0) {
        jack_client_close(client_);
        client_ = nullptr;
        return false;
    }
    jack_on_shutdown(client_, &JackClient::onShutdown, this);
    if (jack_activate(client_) != 0) {
        jack_client_close(client_);
        client_ = nullptr;
        return false;
    }
    return true;
}

JackClient::~JackClient() {
    if (client_ != nullptr) jack_client_close(client_);
}

bool JackClient::add(JackPart& part) {
    std::lock_guard hold(notifying_);
    for (auto& slot : parts_) {
        JackPart* empty = nullptr;
        if (slot.compare_exchange_strong(empty, &part)) return true;
    }
    return false;
}

void JackClient::remove(JackPart& part) {
    for (auto& slot : parts_) {
        JackPart* self = &part;
        slot.compare_exchange_strong(self, nullptr);
    }
    waitOutCycle();
    // A notification under way ends before the part may go.
    std::lock_guard hold(notifying_);
}

void JackClient::waitOutCycle() {
    const uint64_t ended = cyclesEnded_.load();
    if (!inCycle_.load()) return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (cyclesEnded_.load() == ended && !gone() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
}

int JackClient::onProcess(jack_nframes_t frames, void* self) {
    auto* client = static_cast<JackClient*>(self);
    client->inCycle_.store(true);
    for (auto& slot : client->parts_)
        if (JackPart* part = slot.load()) part->process(frames);
    client->inCycle_.store(false);
    client->cyclesEnded_.fetch_add(1);
    return 0;
}

void JackClient::onConnect(jack_port_id_t a, jack_port_id_t b, int connect, void* self) {
    auto* client = static_cast<JackClient*>(self);
    std::lock_guard hold(client->notifying_);
    for (auto& slot : client->parts_)
        if (JackPart* part = slot.load()) part->connection(a, b, connect != 0);
}

void JackClient::onRegistration(jack_port_id_t port, int registered, void* self) {
    auto* client = static_cast<JackClient*>(self);
    std::lock_guard hold(client->notifying_);
    for (auto& slot : client->parts_)
        if (JackPart* part = slot.load()) part->registration(port, registered != 0);
}

int JackClient::onXrun(void* self) {
    auto* client = static_cast<JackClient*>(self);
    std::lock_guard hold(client->notifying_);
    for (auto& slot : client->parts_)
        if (JackPart* part = slot.load()) part->xrun();
    return 0;
}

void JackClient::onShutdown(void* self) {
    auto* client = static_cast<JackClient*>(self);
    client->gone_.store(true, std::memory_order_release);
    // The server is gone: no cycle waits on this.
    std::lock_guard hold(client->notifying_);
    for (auto& slot : client->parts_)
        if (JackPart* part = slot.load()) part->shutdown();
}

}  // namespace tonvel
