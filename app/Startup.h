#pragma once
// The program's start: one instance per user, the splash picture, the main
// window at its stored place, the message loop. "quorvel64 FILE" opens the
// window on FILE's folder with FILE selected (a second start hands FILE to
// the running window); "--screenshot PNG" saves a picture of the main window
// once it is shown and then closes it normally; "--screenshots DIR" saves
// pictures of the whole screen with the window and each dialog, then closes.

#include <QString>
#include <QStringList>
#include <optional>

namespace q64 {

int RunProgram(int argc, char** argv);

// "--version" and "--help" (or "-h") before any "--" are answered on stdout
// without opening a window or connecting to a display: the exit status.
// A start with no display to show the window on (no DISPLAY, WAYLAND_DISPLAY,
// QT_QPA_PLATFORM or -platform) says so on stderr and gives 1, where the
// toolkit would abort. Nothing for every other start.
std::optional<int> AnswerWithoutWindow(int argc, char** argv);

// The FILE argument as an absolute path, empty when there is none
// (`arguments` as QApplication gives them, the program first).
QString FileArgument(const QStringList& arguments);

} // namespace q64
