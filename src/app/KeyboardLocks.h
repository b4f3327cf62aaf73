#pragma once

namespace orbiplot {

struct KeyboardLocks {
    bool Known = false; // false where the state cannot be read
    bool CapsLock = false;
    bool NumLock = false;
};

// The lock keys' state from the X keyboard, when the program runs on X.
KeyboardLocks ReadKeyboardLocks();

} // namespace orbiplot
