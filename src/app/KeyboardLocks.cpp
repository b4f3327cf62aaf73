#include "app/KeyboardLocks.h"

#include <QGuiApplication>

#include <dlfcn.h>

namespace orbiplot {

// libX11 is loaded when present, so the program starts without it elsewhere.
struct KeyboardLockReader::X11 {
    using OpenDisplay = void* (*)(const char*);
    using CloseDisplay = int (*)(void*);
    using GetIndicatorState = int (*)(void*, unsigned int, unsigned int*);
    void* library = nullptr;
    void* display = nullptr;
    CloseDisplay close = nullptr;
    GetIndicatorState getState = nullptr;

    X11() {
        library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
        if (!library) return;
        auto open = reinterpret_cast<OpenDisplay>(dlsym(library, "XOpenDisplay"));
        close = reinterpret_cast<CloseDisplay>(dlsym(library, "XCloseDisplay"));
        getState = reinterpret_cast<GetIndicatorState>(dlsym(library, "XkbGetIndicatorState"));
        if (open && close && getState) display = open(nullptr);
    }
    ~X11() {
        if (display) close(display);
        if (library) dlclose(library);
    }
};

KeyboardLockReader::KeyboardLockReader() {
    if (QGuiApplication::platformName() == "xcb") x11_ = std::make_unique<X11>();
}

KeyboardLockReader::~KeyboardLockReader() = default;

bool KeyboardLockReader::IsConnected() const { return x11_ && x11_->display; }

KeyboardLocks KeyboardLockReader::Read() {
    if (!IsConnected()) return {};
    constexpr unsigned int UseCoreKeyboard = 0x0100;
    unsigned int state = 0;
    if (x11_->getState(x11_->display, UseCoreKeyboard, &state) != 0) return {};
    return {true, (state & 1u) != 0, (state & 2u) != 0};
}

} // namespace orbiplot
