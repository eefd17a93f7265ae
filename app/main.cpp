// quorvel64: the desktop program.
#include "app/Startup.h"

int main(int argc, char** argv) { return q64::RunProgram(argc, argv); }
