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
    return RunOnOneImage(self, args, [&](RomImage& image) {
        return FlipByteOrder(image, mode, StderrProgress("Byte Flipping"));
    });
}

} // namespace q64::cli
