#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/select.h>
#include <unistd.h>

// Starts a program and waits, on X events rather than by polling, until one of its windows
// carries the given title; prints the time from the start, then the program's process id.
// The program is left running.
namespace {

using Clock = std::chrono::steady_clock;

std::string windowTitle(Display* display, Window window, Atom netWmName, Atom utf8) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netWmName, 0, 1024, False, utf8, &type, &format, &count,
                           &remaining, &data) == Success &&
        data) {
        title.assign(reinterpret_cast<const char*>(data), count);
    }
    if (data) {
        XFree(data);
    }
    return title;
}

int ignoreErrors(Display*, XErrorEvent*) {
    // Windows may be gone before their properties are read.
    return 0;
}

bool waitForEvent(Display* display, Clock::time_point deadline) {
    while (!XPending(display)) {
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) {
            return false;
        }
        const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(left).count();
        timeval timeout{static_cast<time_t>(micros / 1000000),
                        static_cast<suseconds_t>(micros % 1000000)};
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(ConnectionNumber(display), &fds);
        select(ConnectionNumber(display) + 1, &fds, nullptr, nullptr, &timeout);
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <title> <program> [arguments...]\n", argv[0]);
        return 2;
    }
    const std::string expected = argv[1];
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    const Window root = DefaultRootWindow(display);
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }

    const Clock::time_point deadline = start + std::chrono::seconds(30);
    while (waitForEvent(display, deadline)) {
        XEvent event;
        XNextEvent(display, &event);
        Window window = None;
        if (event.type == CreateNotify) {
            window = event.xcreatewindow.window;
            XSelectInput(display, window, PropertyChangeMask);
        } else if (event.type == PropertyNotify && event.xproperty.atom == netWmName) {
            window = event.xproperty.window;
        }
        if (window != None && windowTitle(display, window, netWmName, utf8) == expected) {
            const double ms =
                std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            std::printf("title_ms %.1f\npid %d\n", ms, static_cast<int>(pid));
            XCloseDisplay(display);
            return 0;
        }
    }
    std::printf("pid %d\n", static_cast<int>(pid));
    std::fprintf(stderr, "no window titled \"%s\" within 30 s\n", expected.c_str());
    XCloseDisplay(display);
    return 1;
}
