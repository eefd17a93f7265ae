#pragma once
// The commands and helpers of q64-services.so (see cli/Services.h).

#include "cli/Cli.h"

namespace q64::cli {

// q64 verify: compares images with a DAT file through the hash cache.
int VerifyImagesCommand(const Command& self, ArgParser& args);

} // namespace q64::cli
