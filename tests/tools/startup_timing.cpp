// Start-up of the real program, measured from outside: starts it, watches the X server for its
// top-level windows and reports, in milliseconds from the exec, when the first window was mapped
// and when its picture was on the screen, and when the main window was mapped. Then, after
// SECONDS more, the program's resident memory. The program is ended with SIGTERM.
//   tonvel_startup_timing MAIN_WINDOW_NAME SECONDS PROGRAM [ARGS...]
// Prints one "name value" line per figure.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct ImageDeleter {
    void operator()(XImage* image) const { XDestroyImage(image); }
};
using Image = std::unique_ptr<XImage, ImageDeleter>;

Image grab(Display* display, Window root, int x, int y, int width, int height) {
    return Image(XGetImage(display, root, x, y, width, height, AllPlanes, ZPixmap));
}

// Whether the window's place shows a picture: most of its pixels differ from what the screen
// showed there before the program started, in more than a few colours (a window's plain
// background is one colour).
bool showsPicture(Display* display, Window root, const XImage& before,
                  const XWindowAttributes& at) {
    const int x = std::max(0, at.x), y = std::max(0, at.y);
    const int width = std::min(at.width, before.width - x);
    const int height = std::min(at.height, before.height - y);
    if (width <= 0 || height <= 0) return false;
    Image now = grab(display, root, x, y, width, height);
    if (!now) return false;
    long changed = 0;
    std::set<unsigned long> colours;
    for (int row = 0; row < height; row += 2) {
        for (int column = 0; column < width; column += 2) {
            const unsigned long pixel = XGetPixel(now.get(), column, row);
            if (pixel != XGetPixel(const_cast<XImage*>(&before), x + column, y + row)) ++changed;
            if (colours.size() < 16) colours.insert(pixel);
        }
    }
    const long looked = static_cast<long>((height + 1) / 2) * ((width + 1) / 2);
    return colours.size() >= 16 && changed * 2 > looked;
}

std::string nameOf(Display* display, Window window) {
    char* name = nullptr;
    if (XFetchName(display, window, &name) == 0 || name == nullptr) return {};
    std::string text = name;
    XFree(name);
    return text;
}

std::optional<double> residentMegabytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s MAIN_WINDOW_NAME SECONDS PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    const std::string mainName = argv[1];
    const double settle = std::atof(argv[2]);
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XWindowAttributes screen;
    XGetWindowAttributes(display, root, &screen);
    const Image before = grab(display, root, 0, 0, screen.width, screen.height);
    XSync(display, False);

    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[3], argv + 3);
        _exit(127);
    }

    std::optional<double> firstMapped, firstDrawn, mainMapped;
    Window first = 0;
    XWindowAttributes firstPlace{};
    const auto deadline = start + std::chrono::seconds(30);
    while ((!firstDrawn || !mainMapped) && Clock::now() < deadline) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != MapNotify || event.xmap.event != root) continue;
            const double at = msSince(start);
            const Window window = event.xmap.window;
            if (!firstMapped) {
                firstMapped = at;
                first = window;
                XGetWindowAttributes(display, window, &firstPlace);
            }
            if (!mainMapped && nameOf(display, window) == mainName) mainMapped = at;
        }
        // Drawn once most of its place shows something new.
        if (first != 0 && !firstDrawn && before && showsPicture(display, root, *before, firstPlace))
            firstDrawn = msSince(start);
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "the program ended before its main window showed\n");
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    if (!firstDrawn || !mainMapped) {
        std::fprintf(stderr, "no %s window within 30 s\n", firstDrawn ? "main" : "drawn");
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(settle));
    const auto resident = residentMegabytes(child);

    std::printf("first_window_mapped_ms %.1f\n", *firstMapped);
    std::printf("first_window_drawn_ms %.1f\n", *firstDrawn);
    std::printf("main_window_mapped_ms %.1f\n", *mainMapped);
    if (resident) std::printf("resident_MB %.1f\n", *resident);
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    XCloseDisplay(display);
    return 0;
}
