// q64 resize: "Re-Size", truncating or zero-padding an image to a size in Mbit.

#include <cstdio>

#include "cli/Cli.h"
#include "cli/ImageCommand.h"
#include "cli/Interrupt.h"
#include "engine/Resize.h"
#include "engine/RomImage.h"

namespace q64::cli {

int RunResize(ArgParser& args) {
    const Command& self = CommandNamed("resize");
    const Settings settings = LoadSettings();
    const BackupMode mode = BackupOption(args, settings);
    const std::vector<std::string> rest = args.Positionals();
    if (!args.Ok()) return UsageError(self, args.Error());
    if (rest.size() != 2) return UsageError(self, "give FILE and MBIT");
    // MBIT is a decimal count ("064" is 64, not octal).
    const auto mbit = ParseDecimalText(rest[1]);
    if (!mbit || !IsResizeMbitAllowed(*mbit)) {
        std::fprintf(stderr, "%s\n", kResizeRangeMessage);
        return 2;
    }
    const InterruptGuard cancelOnSignal;
    RomImage image;
    if (!LoadForCommand(self, image, rest[0])) return 1;
    if (RefuseBackupFile(self, rest[0])) return 1;
    return ExitStatusFor(self, rest[0],
                         ResizeImage(image, *mbit * kBytesPerMbit, mode, StderrProgress("Re-Size an Image")), &image);
}

} // namespace q64::cli
