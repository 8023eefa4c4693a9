#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "foundation/services.h"
#include "midi/midi_system.h"

namespace tonvel::testing {

// Records every message as its wire bytes; opening succeeds unless told otherwise. Keeps,
// per device, the notes that sound there: the built-in synthesizer (-1) silences itself when
// it closes, a port keeps sounding what it was last told.
class RecordingMidiSystem : public MidiSystem {
  public:
    std::vector<std::string> names;
    bool openSucceeds = true;
    std::optional<int> openDevice;
    std::vector<int> openedDevices;
    int closeCount = 0;
    std::vector<std::vector<uint8_t>> sent;
    std::vector<std::optional<int>> sentTo;  // the device open at each send, index for index
    // (channel, note) pairs sounding on each device.
    std::map<int, std::set<std::pair<int, int>>> sounding;
    // Channels whose sustain pedal is down, on each device.
    std::map<int, std::set<int>> pedalDown;
    // Messages whose data bytes left the 0..127 range.
    std::vector<std::vector<uint8_t>> badBytes;
    // Run as each send or close begins, to look around meanwhile.
    std::function<void()> onSendOrClose;

    // The messages that reached `device`, as "90 32 7F" strings.
    std::vector<std::string> sentHexTo(int device) const;
    bool silent() const;
    void clearSent() {
        sent.clear();
        sentTo.clear();
    }

    std::vector<std::string> outputNames() override { return names; }
    bool open(int deviceNumber) override;
    void close() override;
    bool sendShortMessage(uint32_t message) override;
    // Each drop, as the number of messages sent before it.
    std::vector<std::pair<const void*, size_t>> drops;
    void dropTimed(const void* source, std::chrono::steady_clock::time_point) override {
        drops.push_back({source, sent.size()});
    }

    // The sent messages as "90 32 7F" strings.
    std::vector<std::string> sentHex() const;
};

class RecordingNotices : public Notices {
  public:
    void tell(const std::string& text) override { told.push_back(text); }
    std::vector<std::string> told;
};

struct ShownMessage {
    std::string text;
    MessageIcon icon;
    MessageButtons buttons;
    std::string title;
};

struct PoppedMenu {
    MenuItem menu;  // as it was when it popped up
    int x;
    int y;
    bool eitherButton;
    const MenuItem* source;  // the menu the window handed over
};

struct AskedInput {
    std::string prompt, title, defaultAnswer;
    int x, y;
};

// Answers from queues; an empty queue dismisses menus, cancels input and says OK/No.
class RecordingDialogs : public Dialogs {
  public:
    std::vector<ShownMessage> messages;
    std::vector<PoppedMenu> menus;
    std::vector<AskedInput> inputs;
    std::deque<MessageAnswer> messageAnswers;
    std::deque<std::optional<MenuChoice>> menuAnswers;
    std::deque<std::optional<std::string>> inputAnswers;
    // File dialogs: each asked for as "title: start", answered from `fileAnswers`.
    std::vector<std::string> fileDialogs;
    std::deque<std::optional<std::string>> fileAnswers;
    // Run while a menu, or a message or input box, is open, to act meanwhile.
    std::function<void()> whileMenuOpen;
    std::function<void()> whileBoxOpen;

    MessageAnswer messageBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                             const std::string& title) override;
    std::optional<MenuChoice> popupMenu(const MenuItem& menu, int x, int y,
                                        bool eitherButton) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultAnswer, int x, int y) override;
    std::optional<std::string> openFileName(const std::string& title, const std::string& start,
                                            const std::vector<std::string>&) override {
        return fileAnswer(title, start);
    }
    std::optional<std::string> saveFileName(const std::string& title, const std::string& start,
                                            const std::vector<std::string>&) override {
        return fileAnswer(title, start);
    }

  private:
    std::optional<std::string> fileAnswer(const std::string& title, const std::string& start) {
        fileDialogs.push_back(title + ": " + start);
        if (fileAnswers.empty()) return std::nullopt;
        auto answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
};

class RecordingWindowSystem : public WindowSystem {
  public:
    std::vector<bool> topmostCalls;
    int minimiseCount = 0;
    int numLockCalls = 0;
    int dragCount = 0;
    int closeCount = 0;
    ScreenPoint position{100, 50};

    void setTopmost(bool on) override { topmostCalls.push_back(on); }
    void minimise() override { ++minimiseCount; }
    void turnNumLockOn() override { ++numLockCalls; }
    void formDrag() override { ++dragCount; }
    void closeMainWindow() override {
        ++closeCount;
        if (onClose) onClose();
    }
    // What the window system does when the window closes, such as unloading it.
    std::function<void()> onClose;
    ScreenPoint mainWindowPosition() override { return position; }
    // Keys the keyboard holds now; none: the platform cannot tell.
    std::optional<std::vector<int>> held;
    std::optional<std::vector<int>> keysHeld() override { return held; }
};

// A clock that moves only when told.
class ManualClock : public Clock {
  public:
    std::chrono::steady_clock::time_point now() override { return time; }
    void advance(int ms) { time += std::chrono::milliseconds(ms); }
    std::chrono::steady_clock::time_point time{std::chrono::hours(1)};
};

class RecordingShell : public DesktopShell {
  public:
    std::vector<std::string> documents;
    std::vector<std::string> urls;
    bool openDocument(const std::string& path) override {
        documents.push_back(path);
        return true;
    }
    bool openUrl(const std::string& url) override {
        urls.push_back(url);
        return true;
    }
};

// Records which window was shown and the topmost calls made before it.
class RecordingAuxiliaryWindows : public AuxiliaryWindows {
  public:
    explicit RecordingAuxiliaryWindows(const RecordingWindowSystem& window) : window_(window) {}
    struct Shown {
        std::string which;
        size_t topmostCallsBefore;
    };
    std::vector<Shown> shown;
    // Run while a window is up, to act meanwhile.
    std::function<void()> whileShown;
    void showAbout() override {
        shown.push_back({"about", window_.topmostCalls.size()});
        if (whileShown) whileShown();
    }
    void showUpdate() override {
        shown.push_back({"update", window_.topmostCalls.size()});
        if (whileShown) whileShown();
    }

  private:
    const RecordingWindowSystem& window_;
};

}  // namespace tonvel::testing
