#pragma once
// The launcher's startup notification (the busy cursor or spinning icon a
// desktop shows while a program starts). A later start that hands its work to
// the running window shows no window of its own, so it ends the notification
// itself: on X11 with the "remove" message of the freedesktop.org
// startup-notification protocol (DESKTOP_STARTUP_ID), on Wayland by handing
// its XDG_ACTIVATION_TOKEN to the running window, which raises itself with it.

#include <QByteArray>

namespace q64 {

// The launcher's token of this start: XDG_ACTIVATION_TOKEN, else
// DESKTOP_STARTUP_ID (empty: none). Read before the application object is
// made, which takes them out of the environment.
QByteArray LaunchToken();

// The protocol's text that ends the launch `id`, NUL included:
// remove: ID=<id>, with a backslash before each space, '"' and '\'.
QByteArray StartupRemoveMessage(const QByteArray& id);

// Ends the launch `id` on an X11 display (nothing elsewhere or when empty).
void EndStartupNotification(const QByteArray& id);

} // namespace q64
