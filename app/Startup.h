#pragma once
// The program's start: one instance per user, the splash picture, the main
// window at its stored place, the message loop. Arguments are accepted and
// have no effect, except "--screenshot FILE", which saves a picture of the
// main window once it is shown and then closes it normally.

namespace q64 {

int RunProgram(int argc, char** argv);

} // namespace q64
