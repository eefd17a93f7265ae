// q64 bios: shows or tunes the display parameters of a Doctor V64 BIOS file.

#include <cstdio>

#include "cli/Cli.h"
#include "cli/ImageCommand.h"
#include "engine/BiosParameters.h"
#include "engine/RomImage.h"

namespace q64::cli {

namespace {

// Takes "--NAME V" and checks V against 0..max.
std::optional<int> Parameter(ArgParser& args, const char* name, int max) {
    const auto value = args.Number(name);
    if (value && (*value < 0 || *value > max)) {
        args.Fail(std::string("--") + name + " must lie between 0 and " + std::to_string(max));
        return std::nullopt;
    }
    return value ? std::optional<int>(static_cast<int>(*value)) : std::nullopt;
}

void Print(const BiosColour& colour, const BiosPosition& position) {
    std::printf("%-20s %s\n", ComponentName(colour.component), FormatBiosValue(colour.value).c_str());
    std::printf("%-20s %s\n", "Blue", FormatBiosValue(colour.blue).c_str());
    std::printf("%-20s %s\n", "Vertical Position", FormatBiosValue(position.vertical).c_str());
    std::printf("%-20s %s\n", "Horizontal Position", FormatBiosValue(position.horizontal).c_str());
}

} // namespace

int RunBios(ArgParser& args) {
    const Command& self = CommandNamed("bios");
    const auto red = Parameter(args, "red", bios::kMaxRed);
    const auto green = Parameter(args, "green", bios::kMaxGreen);
    const auto blue = Parameter(args, "blue", bios::kMaxBlue);
    const auto vertical = Parameter(args, "vertical", bios::kMaxPosition);
    const auto horizontal = Parameter(args, "horizontal", bios::kMaxPosition);
    const auto mode = BackupModeOption(args);
    const std::vector<std::string> rest = args.Positionals();
    if (!args.Ok()) return UsageError(self, args.Error());
    if (rest.size() != 1) return UsageError(self, "give exactly one FILE");
    if (red && green) return UsageError(self, "give --red or --green, not both");

    RomImage image;
    if (!LoadForCommand(self, image, rest[0])) return 1;
    if (image.GetKind() != FileKind::Doctor64Bios) {
        SayAbout(self, rest[0], "not a Doctor64 BIOS file");
        return 1;
    }
    BiosColour colour;
    BiosPosition position;
    if (GetBiosColour(image, colour) != EngineResult::Ok || GetBiosPosition(image, position) != EngineResult::Ok)
        return 1;
    if (red || green || blue || vertical || horizontal) {
        if (RefuseBackupFile(self, rest[0])) return 1;
        if (red) colour = {*red, colour.blue, ColourComponent::Red};
        if (green) colour = {*green, colour.blue, ColourComponent::Green};
        if (blue) colour.blue = *blue;
        if (vertical) position.vertical = *vertical;
        if (horizontal) position.horizontal = *horizontal;
        if (SetBiosParameters(image, *mode, colour, position) != EngineResult::Ok) return 1;
        SayBackup(self, rest[0], image);
        // Show what the file now holds (red 0 reads back as green 0).
        if (GetBiosColour(image, colour) != EngineResult::Ok || GetBiosPosition(image, position) != EngineResult::Ok)
            return 1;
    }
    Print(colour, position);
    image.Clear();
    return 0;
}

} // namespace q64::cli
