// q64 sc64: the SummerCart64's own commands: what it is and how it is set,
// and backing up and restoring its save.

#include <cstdio>

#include "cli/Cli.h"
#include "cli/TransferSetup.h"
#include "engine/RomImage.h"
#include "transfer/Sc64.h"
#include "transfer/Transfer.h"
#include "transfer/TransferState.h"

namespace q64::cli {

namespace {

// Runs `operation` against the cart chosen by the options.
template <typename Operation>
EngineResult WithCart(TransferRigging& rigging, TransferConsole& console, RomImage& image, Operation operation) {
    TransferState state;
    state.unit = static_cast<int>(Unit::Sc64);
    rigging.ConnectSc64(state);
    return WithSc64(state, image, console.Callbacks(), EngineResult::ErrTransfer, operation);
}

const char* OnOff(std::uint32_t value) { return value != 0 ? "on" : "off"; }

const char* DdModeText(std::uint32_t mode) {
    switch (mode) {
    case 0: return "off";
    case 1: return "registers";
    case 2: return "IPL";
    case 3: return "registers and IPL";
    default: return "unknown";
    }
}

void PrintInfo(const Sc64Info& info) {
    std::printf("identifier    %s\n", info.identifier.c_str());
    std::printf("firmware      %u.%u.%u\n", info.major, info.minor, info.revision);
    std::printf("boot mode     %u (%s)\n", info.bootMode, BootModeText(info.bootMode));
    std::printf("save type     %u (%s)\n", info.saveType, SaveTypeText(static_cast<int>(info.saveType)));
    std::printf("TV type       %u (%s)\n", info.tvType, TvTypeText(static_cast<int>(info.tvType)));
    if (info.cicSeed == sc64::kCicAutomatic) std::printf("CIC seed      automatic\n");
    else std::printf("CIC seed      0x%02X\n", info.cicSeed);
    std::printf("ROM shadow    %s\n", OnOff(info.romShadow));
    std::printf("ROM extended  %s\n", OnOff(info.romExtended));
    std::printf("64DD mode     %u (%s)\n", info.ddMode, DdModeText(info.ddMode));
}

} // namespace

int RunSc64(ArgParser& args) {
    const Command& self = CommandNamed("sc64");
    TransferOptions options;
    ParseTransferOptions(args, options, static_cast<int>(Unit::Sc64));
    const std::vector<std::string> words = args.Positionals();
    if (!args.Ok()) return UsageError(self, args.Error());
    if (words.empty()) return UsageError(self, "give info, save-backup FILE or save-restore FILE");
    const std::string& what = words[0];
    const bool withFile = what == "save-backup" || what == "save-restore";
    if (!withFile && what != "info") return UsageError(self, "unknown action " + what);
    if (words.size() != (withFile ? 2u : 1u)) return UsageError(self, withFile ? "give one FILE" : "info takes no FILE");

    TransferRigging rigging(options);
    if (!rigging.Build("sc64", withFile ? std::vector<std::string>{words[1]} : std::vector<std::string>{})) return 1;
    TransferConsole console(what == "save-restore" ? "Sending" : "Receiving", options.syncTimeoutSeconds);
    RomImage image;
    image.SetMessageSink(console.Sink());
    const std::optional<int> saveType =
        options.saveType ? std::optional<int>(Sc64SaveTypeOf(*options.saveType)) : std::nullopt;
    Sc64Info info;
    const EngineResult result = WithCart(rigging, console, image, [&](const Sc64Context& ctx) {
        if (what == "info") return Sc64ReadInfo(ctx, info);
        if (what == "save-backup") return Sc64BackupSave(ctx, words[1], saveType);
        return Sc64RestoreSave(ctx, words[1], saveType);
    });
    if (result == EngineResult::Ok && what == "info") PrintInfo(info);
    if (result == EngineResult::Ok && what == "save-backup") std::printf("%s\n", words[1].c_str());
    return FinishTransfer(("sc64 " + what).c_str(), result, console, rigging, options);
}

} // namespace q64::cli
