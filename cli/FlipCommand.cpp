// q64 flip: "Change Image Format", swapping an image's byte order.

#include "cli/Cli.h"
#include "cli/ImageCommand.h"
#include "engine/ByteOrder.h"
#include "engine/RomImage.h"

namespace q64::cli {

int RunFlip(ArgParser& args) {
    const Command& self = CommandNamed("flip");
    const Settings settings = LoadSettings();
    const BackupMode mode = BackupOption(args, settings);
    const std::vector<std::string> files = args.Positionals();
    if (!args.Ok()) return UsageError(self, args.Error());
    if (files.size() != 1) return UsageError(self, "give exactly one FILE");
    RomImage image;
    if (!LoadForCommand(self, image, files[0])) return 1;
    return ExitStatusFor(self, files[0], FlipByteOrder(image, mode, StderrProgress("Byte Flipping")));
}

} // namespace q64::cli
