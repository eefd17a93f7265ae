// q64 ips: applies an IPS or BPS patch to an image in place.
// q64 mkpatch: makes an IPS or BPS patch from an image and a modified copy.

#include <cstdio>

#include "cli/Cli.h"
#include "cli/ImageCommand.h"
#include "cli/Interrupt.h"
#include "engine/Patches.h"
#include "engine/RomImage.h"

namespace q64::cli {

namespace {

// Loads `file` for a patch command: only uncompressed images, as the window offers them.
// A missing or unreadable file reads as in every other command.
bool LoadImage(RomImage& image, const char* command, const std::string& file) {
    const Command& self = CommandNamed(command);
    if (!LoadForCommand(self, image, file)) return false;
    if (image.GetKind() == FileKind::Image) return true;
    SayAbout(self, file, "not an uncompressed image");
    return false;
}

} // namespace

int RunIps(ArgParser& args) {
    const Command& self = CommandNamed("ips");
    const auto mode = BackupModeOption(args);
    const std::vector<std::string> rest = args.Positionals();
    if (!args.Ok()) return UsageError(self, args.Error());
    if (rest.size() != 2) return UsageError(self, "give FILE and PATCH");

    RomImage image;
    if (!LoadImage(image, "ips", rest[0])) return 1;
    if (RefuseBackupFile(self, rest[0])) return 1;
    const EngineResult result = ApplyPatch(image, *mode, rest[1]);
    if (result == EngineResult::Ok) SayBackup(self, rest[0], image);
    image.Clear();
    return result == EngineResult::Ok ? 0 : 1;
}

int RunMakePatch(ArgParser& args) {
    const Command& self = CommandNamed("mkpatch");
    const std::optional<std::string> format = args.Value("format");
    const bool linear = args.Flag("linear");
    const std::vector<std::string> rest = args.Positionals();
    if (!args.Ok()) return UsageError(self, args.Error());
    if (format && *format != "ips" && *format != "bps") return UsageError(self, "--format is ips or bps");
    if (rest.size() != 3) return UsageError(self, "give ORIGINAL, MODIFIED and OUT");
    const std::string& out = rest[2];
    const PatchKind kind = !format ? PatchKindForName(out) : *format == "bps" ? PatchKind::Bps : PatchKind::Ips;
    if (linear && kind != PatchKind::Bps) return UsageError(self, "--linear is for BPS patches");

    const InterruptGuard cancelOnSignal;
    RomImage image;
    if (!LoadImage(image, "mkpatch", rest[0])) return 1;
    const EngineResult result = CreatePatch(image, rest[1], out, kind, linear ? BpsMethod::Linear : BpsMethod::Delta,
                                            StderrProgress("Creating Patch"));
    image.Clear();
    if (result != EngineResult::Ok && InterruptSignal() != 0) return ReportInterrupt(self.name, out, result);
    return result == EngineResult::Ok ? 0 : 1;
}

} // namespace q64::cli
