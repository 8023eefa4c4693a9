#include "midi/synth/engine_load.h"

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "midi/realtime/realtime_thread.h"
#include "midi/synth/fluid_log.h"
#include "midi/synth/soundfont_locator.h"

namespace tonvel {

namespace {

// The bytes a thread of this process has read, from the kernel's own count: FluidSynth tells
// nothing of its progress.
uint64_t bytesReadBy(pid_t thread) {
    if (thread == 0) return 0;
    std::ifstream io("/proc/self/task/" + std::to_string(thread) + "/io");
    std::string key;
    uint64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return 0;
}

}  // namespace

std::string soundFontRefusal(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return "it is not a file";
    // Non-blocking: a file that is not one by the time it is opened must not hold the thread.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::string("it cannot be read: ") + std::strerror(errno);
    ::close(fd);
    return soundFontProblem(path).value_or("");
}

EngineLoad::EngineLoad(std::filesystem::path path, SynthConfig config, Prepare prepare)
    : path_(std::move(path)), config_(config), prepare_(std::move(prepare)) {
    worker_ = std::thread([this] { run(); });
}

EngineLoad::~EngineLoad() {
    worker_.join();
}

void EngineLoad::run() {
    // Parsing a large SoundFont takes a core for a second: the window's thread, which times the
    // rhythm, comes first.
    lowerToBackground();
    const auto self = static_cast<pid_t>(::syscall(SYS_gettid));
    readBefore_.store(bytesReadBy(self));
    thread_.store(self);
    const FluidLogCapture said;
    failure_ = soundFontRefusal(path_);
    if (failure_.empty()) {
        engine_ = SynthEngine::create(path_, config_);
        if (!engine_) {
            failure_ = said.said().empty() ? "FluidSynth cannot read it"
                                           : "FluidSynth cannot read it (" + said.said() + ")";
        } else if (prepare_) {
            prepare_(*engine_);
        }
    }
    readAtEnd_.store(bytesReadBy(self) - readBefore_.load());
    finished_.store(true, std::memory_order_release);
}

uint64_t EngineLoad::bytesRead() const {
    if (finished()) return readAtEnd_.load();
    const uint64_t now = bytesReadBy(thread_.load());
    const uint64_t before = readBefore_.load();
    return now > before ? now - before : 0;
}

std::unique_ptr<SynthEngine> EngineLoad::take() {
    if (!finished()) return nullptr;
    return std::move(engine_);
}

const std::string& EngineLoad::failure() const {
    static const std::string none;
    return finished() ? failure_ : none;
}

}  // namespace tonvel
