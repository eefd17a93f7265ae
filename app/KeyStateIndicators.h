#pragma once
// The state of the Caps Lock, Num Lock and Scroll Lock keys, as far as the
// display server tells it (X11); elsewhere every key reads as off.

namespace q64 {

struct LockKeys {
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

LockKeys ReadLockKeys();

} // namespace q64
