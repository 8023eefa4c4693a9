// Presses or releases keys by X keycode through XTest, so a test can play the piano
// exactly as a keyboard would, whatever the layout and without touching NumLock.
//   tonvel_xkey down 52 | up 52 | tap 52 [milliseconds held]
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s down|up|tap KEYCODE [MS]\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open display\n");
        return 1;
    }
    const unsigned keycode = static_cast<unsigned>(std::atoi(argv[2]));
    const bool tap = std::strcmp(argv[1], "tap") == 0;
    if (tap || std::strcmp(argv[1], "down") == 0) XTestFakeKeyEvent(display, keycode, True, 0);
    XFlush(display);
    if (tap)
        std::this_thread::sleep_for(std::chrono::milliseconds(argc > 3 ? std::atoi(argv[3]) : 50));
    if (tap || std::strcmp(argv[1], "up") == 0) XTestFakeKeyEvent(display, keycode, False, 0);
    XFlush(display);
    XCloseDisplay(display);
    return 0;
}
