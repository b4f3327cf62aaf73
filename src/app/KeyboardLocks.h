#pragma once

#include <memory>

namespace orbiplot {

struct KeyboardLocks {
    bool Known = false; // false where the state cannot be read
    bool CapsLock = false;
    bool NumLock = false;
};

// Reads the lock keys' state from the X keyboard when the program runs on X. The
// connection to the display is opened once, by the first reader, and closed with it.
class KeyboardLockReader {
public:
    KeyboardLockReader();
    ~KeyboardLockReader();
    KeyboardLockReader(const KeyboardLockReader&) = delete;
    KeyboardLockReader& operator=(const KeyboardLockReader&) = delete;

    KeyboardLocks Read();
    // Whether a display is open now (for the tests).
    bool IsConnected() const;

private:
    struct X11;
    std::unique_ptr<X11> x11_;
};

} // namespace orbiplot
