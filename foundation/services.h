#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "foundation/controls.h"

namespace tonvel {

enum class MessageIcon { None, Critical, Warning, Question, Information };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

inline constexpr const char* kProgramTitle = ":: Tonvel 1.0 ::";

// Modal dialogs. Each call blocks in a nested event loop until the user answers.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // Lines of `text` are separated by a single CR.
    virtual MessageAnswer messageBox(const std::string& text, MessageIcon icon,
                                     MessageButtons buttons, const std::string& title) = 0;
    // Pops `menu`'s children up at (x, y) pixels of the main window's client area.
    // `eitherButton` lets the right mouse button choose too. Empty when dismissed.
    virtual std::optional<MenuChoice> popupMenu(const MenuItem& menu, int x, int y,
                                                bool eitherButton) = 0;
    // (x, y) is the top-left corner in screen pixels. Empty on Cancel.
    virtual std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                                const std::string& defaultAnswer, int x, int y) = 0;
    // A file to open, or a name to save to, chosen by the user; empty on Cancel. `start` is the
    // folder or the suggested file; `filters` read "MIDI Files (*.mid *.midi)".
    virtual std::optional<std::string> openFileName(const std::string& title,
                                                    const std::string& start,
                                                    const std::vector<std::string>& filters) {
        (void)title, (void)start, (void)filters;
        return std::nullopt;
    }
    virtual std::optional<std::string> saveFileName(const std::string& title,
                                                    const std::string& start,
                                                    const std::vector<std::string>& filters) {
        (void)title, (void)start, (void)filters;
        return std::nullopt;
    }
};

struct ScreenPoint {
    int x = 0;
    int y = 0;
};

// What the window system does for the main window.
class WindowSystem {
  public:
    virtual ~WindowSystem() = default;
    virtual void setTopmost(bool on) = 0;
    virtual void minimise() = 0;
    virtual void turnNumLockOn() = 0;
    virtual void formDrag() = 0;
    virtual void closeMainWindow() = 0;
    virtual ScreenPoint mainWindowPosition() = 0;
    // The keys the keyboard holds down right now, as virtual-key codes; none when the
    // platform cannot tell.
    virtual std::optional<std::vector<int>> keysHeld() = 0;
};

// Hands documents, web pages and mailto URIs to the user's default programs.
class DesktopShell {
  public:
    virtual ~DesktopShell() = default;
    virtual bool openDocument(const std::string& path) = 0;
    virtual bool openUrl(const std::string& url) = 0;
};

// The modal auxiliary windows. Each call returns when its window has closed.
class AuxiliaryWindows {
  public:
    virtual ~AuxiliaryWindows() = default;
    virtual void showAbout() = 0;
    virtual void showUpdate() = 0;
};

// The program's clock: the time a message sent now leaves the program. While a timer's tick is
// worked out ahead of its time, that is the tick's time rather than the present.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::chrono::steady_clock::time_point now() = 0;
};

// The program's own settings beyond the settings file: named values kept across runs.
class Preferences {
  public:
    virtual ~Preferences() = default;
    virtual std::vector<std::string> list(const std::string& key) = 0;
    virtual void setList(const std::string& key, const std::vector<std::string>& values) = 0;
    virtual std::string text(const std::string& key) = 0;
    virtual void setText(const std::string& key, const std::string& value) = 0;
    // What went wrong reading or saving them that was not told yet; each failure comes once.
    virtual std::optional<std::string> failure() = 0;
};

// Where the program tells what went wrong beyond its window, for whoever started it to read
// later: standard error.
class Notices {
  public:
    virtual ~Notices() = default;
    virtual void tell(const std::string& text) = 0;
};

}  // namespace tonvel
