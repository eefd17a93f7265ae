#include "app/KeyStateIndicators.h"

#include <QGuiApplication>

#ifdef Q64_HAVE_X11
#include <X11/XKBlib.h>
#endif

namespace q64 {

LockKeys ReadLockKeys() {
    LockKeys keys;
#ifdef Q64_HAVE_X11
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display()) return keys;
    unsigned int state = 0;
    if (XkbGetIndicatorState(x11->display(), XkbUseCoreKbd, &state) != Success) return keys;
    // The core keyboard's usual indicator order: Caps, Num, Scroll.
    keys.caps = state & 0x1;
    keys.num = state & 0x2;
    keys.scroll = state & 0x4;
#endif
    return keys;
}

} // namespace q64
