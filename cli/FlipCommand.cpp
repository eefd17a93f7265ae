// q64 flip: "Change Image Format": a little-endian image becomes big-endian,
// otherwise the image toggles between byte-swapped and big-endian; --to
// converts to the order named by its usual extension.

#include <optional>

#include "cli/Cli.h"
#include "cli/ImageCommand.h"
#include "engine/ByteOrder.h"
#include "engine/RomImage.h"

namespace q64::cli {

namespace {

std::optional<ImageFormat> TargetNamed(const std::string& name) {
    if (name == "z64") return ImageFormat::BigEndian;
    if (name == "v64") return ImageFormat::ByteSwapped;
    if (name == "n64") return ImageFormat::LittleEndian;
    return std::nullopt;
}

} // namespace

int RunFlip(ArgParser& args) {
    const Command& self = CommandNamed("flip");
    const Settings settings = LoadSettings();
    const BackupMode mode = BackupOption(args, settings);
    std::optional<ImageFormat> target;
    if (const auto to = args.Value("to")) {
        target = TargetNamed(*to);
        if (!target) args.Fail("--to: give z64, v64 or n64");
    }
    return RunOnEachImage(self, args, [&](RomImage& image) {
        if (target) return ConvertByteOrder(image, *target, mode, StderrProgress("Byte Flipping"));
        return FlipByteOrder(image, mode, StderrProgress("Byte Flipping"));
    });
}

} // namespace q64::cli
