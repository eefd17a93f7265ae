#include "app/StartupNotice.h"

#include <QGuiApplication>
#include <algorithm>
#include <cstring>

#ifdef Q64_HAVE_X11
#include <X11/Xlib.h>
#endif

namespace q64 {

QByteArray LaunchToken() {
    const QByteArray wayland = qgetenv("XDG_ACTIVATION_TOKEN");
    return wayland.isEmpty() ? qgetenv("DESKTOP_STARTUP_ID") : wayland;
}

QByteArray StartupRemoveMessage(const QByteArray& id) {
    QByteArray text = QByteArrayLiteral("remove: ID=");
    for (const char c : id) {
        if (c == ' ' || c == '"' || c == '\\') text += '\\';
        text += c;
    }
    text += '\0';
    return text;
}

void EndStartupNotification(const QByteArray& id) {
#ifdef Q64_HAVE_X11
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (id.isEmpty() || !display) return;
    // The message travels to the root window in 20-byte pieces, the first
    // one marked as the beginning, from a window of the sender's own.
    const Window root = DefaultRootWindow(display);
    const Window sender = XCreateSimpleWindow(display, root, -100, -100, 1, 1, 0, 0, 0);
    const Atom begin = XInternAtom(display, "_NET_STARTUP_INFO_BEGIN", False);
    const Atom more = XInternAtom(display, "_NET_STARTUP_INFO", False);
    const QByteArray message = StartupRemoveMessage(id);
    for (qsizetype at = 0; at < message.size(); at += 20) {
        XEvent event;
        std::memset(&event, 0, sizeof event);
        event.xclient.type = ClientMessage;
        event.xclient.display = display;
        event.xclient.window = sender;
        event.xclient.message_type = at == 0 ? begin : more;
        event.xclient.format = 8;
        std::memcpy(event.xclient.data.b, message.constData() + at,
                    static_cast<std::size_t>(std::min<qsizetype>(20, message.size() - at)));
        XSendEvent(display, root, False, PropertyChangeMask, &event);
    }
    XDestroyWindow(display, sender);
    XFlush(display);
#else
    (void)id;
#endif
}

} // namespace q64
