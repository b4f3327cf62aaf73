#include "app/KeyboardLocks.h"

#include <QGuiApplication>

#include <dlfcn.h>

namespace orbiplot {

namespace {

// libX11 is loaded when present, so the program starts without it elsewhere.
struct X11 {
    using OpenDisplay = void* (*)(const char*);
    using GetIndicatorState = int (*)(void*, unsigned int, unsigned int*);
    void* display = nullptr;
    GetIndicatorState getState = nullptr;

    X11() {
        void* library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
        if (!library) return;
        auto open = reinterpret_cast<OpenDisplay>(dlsym(library, "XOpenDisplay"));
        getState = reinterpret_cast<GetIndicatorState>(dlsym(library, "XkbGetIndicatorState"));
        if (open && getState) display = open(nullptr);
    }
};

} // namespace

KeyboardLocks ReadKeyboardLocks() {
    if (QGuiApplication::platformName() != "xcb") return {};
    static X11 x11;
    if (!x11.display || !x11.getState) return {};
    constexpr unsigned int UseCoreKeyboard = 0x0100;
    unsigned int state = 0;
    if (x11.getState(x11.display, UseCoreKeyboard, &state) != 0) return {};
    return {true, (state & 1u) != 0, (state & 2u) != 0};
}

} // namespace orbiplot
