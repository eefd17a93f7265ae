// q64 list: the rows the file list would show for a folder.
#include "cli/Cli.h"

namespace q64::cli {
int RunList(ArgParser&) { return UsageError(CommandNamed("list"), "not yet available"); }
} // namespace q64::cli
