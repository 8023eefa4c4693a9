#include "midi/input/alsa_sequencer.h"

#include <unistd.h>

namespace tonvel {

namespace {

class SystemSequencer : public AlsaSequencer {
  public:
    SystemSequencer(snd_seq_t* seq, snd_seq_addr_t self) : seq_(seq), self_(self) {}
    ~SystemSequencer() override { snd_seq_close(seq_); }

    snd_seq_addr_t inputPort() const override { return self_; }

    std::vector<AlsaPortInfo> ports() override {
        std::vector<AlsaPortInfo> found;
        snd_seq_client_info_t* client = nullptr;
        snd_seq_port_info_t* port = nullptr;
        snd_seq_client_info_alloca(&client);
        snd_seq_port_info_alloca(&port);
        snd_seq_client_info_set_client(client, -1);
        while (snd_seq_query_next_client(seq_, client) >= 0) {
            const int id = snd_seq_client_info_get_client(client);
            snd_seq_port_info_set_client(port, id);
            snd_seq_port_info_set_port(port, -1);
            while (snd_seq_query_next_port(seq_, port) >= 0) {
                found.push_back(
                    {*snd_seq_port_info_get_addr(port), snd_seq_client_info_get_name(client),
                     snd_seq_port_info_get_name(port), snd_seq_port_info_get_capability(port),
                     snd_seq_port_info_get_type(port), snd_seq_client_info_get_card(client)});
            }
        }
        return found;
    }

    std::vector<snd_seq_addr_t> senders() override {
        std::vector<snd_seq_addr_t> found;
        snd_seq_query_subscribe_t* query = nullptr;
        snd_seq_query_subscribe_alloca(&query);
        snd_seq_query_subscribe_set_root(query, &self_);
        snd_seq_query_subscribe_set_type(query, SND_SEQ_QUERY_SUBS_WRITE);
        snd_seq_query_subscribe_set_index(query, 0);
        while (snd_seq_query_port_subscribers(seq_, query) >= 0) {
            found.push_back(*snd_seq_query_subscribe_get_addr(query));
            snd_seq_query_subscribe_set_index(query, snd_seq_query_subscribe_get_index(query) + 1);
        }
        return found;
    }

    bool subscribe(snd_seq_addr_t sender, bool subscribed) override {
        return (subscribed
                    ? snd_seq_connect_from(seq_, self_.port, sender.client, sender.port)
                    : snd_seq_disconnect_from(seq_, self_.port, sender.client, sender.port)) == 0;
    }

    bool nextEvent(snd_seq_event_t& event) override {
        for (;;) {
            snd_seq_event_t* next = nullptr;
            const int result = snd_seq_event_input(seq_, &next);
            // -ENOSPC: the kernel's queue overflowed and dropped events; read on.
            if (result == -ENOSPC) continue;
            if (result < 0 || next == nullptr) return false;
            event = *next;
            return true;
        }
    }

    std::vector<pollfd> descriptors() override {
        std::vector<pollfd> fds(static_cast<size_t>(snd_seq_poll_descriptors_count(seq_, POLLIN)));
        const int count =
            snd_seq_poll_descriptors(seq_, fds.data(), static_cast<unsigned>(fds.size()), POLLIN);
        fds.resize(static_cast<size_t>(count < 0 ? 0 : count));
        return fds;
    }

  private:
    snd_seq_t* seq_;
    snd_seq_addr_t self_;
};

}  // namespace

std::unique_ptr<AlsaSequencer> openAlsaSequencer(const std::string& clientName) {
    // Asked first: without the device the library prints its failure to open it.
    if (access("/dev/snd/seq", R_OK | W_OK) != 0) return nullptr;
    snd_seq_t* seq = nullptr;
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0) return nullptr;
    snd_seq_set_client_name(seq, clientName.c_str());
    const int port = snd_seq_create_simple_port(
        seq, "Input", SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
        SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (port < 0 ||
        snd_seq_connect_from(seq, port, SND_SEQ_CLIENT_SYSTEM, SND_SEQ_PORT_SYSTEM_ANNOUNCE) < 0) {
        snd_seq_close(seq);
        return nullptr;
    }
    const snd_seq_addr_t self{static_cast<unsigned char>(snd_seq_client_id(seq)),
                              static_cast<unsigned char>(port)};
    return std::make_unique<SystemSequencer>(seq, self);
}

}  // namespace tonvel
