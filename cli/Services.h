#pragma once
// What q64 takes from Qt and libcrypto lives in a module of its own,
// q64-services.so, loaded only by the commands that use it: the settings
// store (QSettings), "Verify Images" with its hash cache (Qt SQL) and SHA-1,
// and the save-type guess (MD5 of the image). q64 itself links neither, so
// the image commands start without loading them; the test q64_libraries
// keeps it so.

#include "cli/Cli.h"
#include "engine/SaveTypeChoice.h"

namespace q64::cli {

struct CliServices {
    // The settings in the INI file `iniPath`, or the user's store when null.
    Settings (*loadSettings)(const char* iniPath);
    // q64 verify (`self` is its entry of the command table).
    int (*verify)(const Command& self, ArgParser& args);
    // GuessSaveType of engine/SaveTypeChoice.h.
    EngineResult (*guessSaveType)(const std::string& imagePath, const RomDatabase* database,
                                  const ProgressFn& progress, SaveTypeChoice& choice, std::string& message);
};

// The services: linked in (tests) or loaded from the module on first use.
// Null when the module cannot be loaded; that is said once on stderr.
const CliServices* Services();

// The module's name, and where it is looked for: beside the program (a build
// tree), then in the program's private library folder.
inline constexpr const char* kServicesModule = "q64-services.so";

} // namespace q64::cli

// Defined by the module (and by programs that link it in); q64 itself leaves it undefined.
extern "C" const q64::cli::CliServices* q64_cli_services() __attribute__((weak));
