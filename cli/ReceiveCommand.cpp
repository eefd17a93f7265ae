// q64 receive: receives an image from the Doctor V64 or the CD64 into a file.

#include <cstdio>

#include "cli/Cli.h"
#include "cli/TransferSetup.h"
#include "engine/RomImage.h"
#include "engine/SampleFiles.h"
#include "transfer/Cd64.h"
#include "transfer/SimCd64.h"
#include "transfer/SimDoctorV64.h"
#include "transfer/Transfer.h"
#include "transfer/TransferState.h"

namespace q64::cli {

namespace {

constexpr std::size_t kGeneratedV64Image = 8 * 131072; // 8 Mbit

// What the simulated unit holds: --sim-image, or a generated image.
bool LoadSimulatedImage(const TransferOptions& options, std::size_t generatedSize, samples::Bytes& out) {
    if (!options.simImage.empty()) {
        out = samples::ReadFile(options.simImage);
        if (out.empty()) {
            std::fprintf(stderr, "q64 receive: cannot read --sim-image %s\n", options.simImage.c_str());
            return false;
        }
        return true;
    }
    samples::ImageRecipe recipe;
    recipe.title = "SIMULATED UNIT";
    recipe.sizeBytes = generatedSize;
    recipe.format = ImageFormat::ByteSwapped;
    out = samples::MakeImage(recipe);
    return true;
}

} // namespace

int RunReceive(ArgParser& args) {
    const Command& self = CommandNamed("receive");
    TransferOptions options;
    ParseTransferOptions(args, options);
    int mbit = 64;
    if (const auto value = args.Number("mbit")) {
        const bool usbCart = options.settings.Unit == 3 || options.settings.Unit == 4;
        if (usbCart && *value >= 1 && *value <= 512) mbit = static_cast<int>(*value);
        else if (!usbCart && (*value == 64 || *value == 128 || *value == 192 || *value == 256)) mbit = static_cast<int>(*value);
        else args.Fail(usbCart ? "--mbit: give 1 to 512 for a USB cart" : "--mbit: give 64, 128, 192 or 256");
    }
    const std::vector<std::string> files = args.Positionals();
    if (!args.Ok()) return UsageError(self, args.Error());
    if (files.size() != 1) return UsageError(self, "give exactly one FILE");
    const Settings& s = options.settings;
    if (s.Unit == 1) {
        std::fprintf(stderr, "q64 receive: an SP64/Wildcard class unit cannot send an image back\n");
        return 1;
    }

    TransferRigging rigging(options);
    if (!rigging.Build("receive", files)) return 1;
    samples::Bytes held;
    if (rigging.Simulated() && (s.Unit == 3 || s.Unit == 4)) {
        samples::ImageRecipe recipe;
        recipe.title = "SIMULATED CART";
        recipe.sizeBytes = static_cast<std::size_t>(mbit) * 131072;
        recipe.format = ImageFormat::BigEndian;
        held = options.simImage.empty() ? samples::MakeImage(recipe) : samples::ReadFile(options.simImage);
        if (s.Unit == 3) rigging.Sc64Sim().SetMemory(0, held);
        else rigging.Ed64Sim().SetRom(0, held);
    } else if (rigging.Simulated()) {
        const std::size_t size = s.Unit == 2 ? Cd64ReceiveBytes(mbit) : kGeneratedV64Image;
        if (!LoadSimulatedImage(options, size, held)) return 1;
        if (rigging.V64()) rigging.V64()->SetImage(held);
        if (rigging.Cd64()) rigging.Cd64()->SetImage(held);
    }
    TransferState state;
    RomImage image;
    ConfigureTransfer(state, image, s.Unit, s.BIOS, s.OutPort, rigging.OsKind(), s.CD64Port,
                      static_cast<std::uint8_t>(s.CD64Comm), static_cast<std::uint8_t>(s.CD64ReceiveType));
    if (s.Unit == 3) {
        ConfigureSc64(state, s.SC64Device, 0, s.SC64BootMode, 3);
        rigging.ConnectSc64(state);
    }
    if (s.Unit == 4) rigging.ConnectEd64(state);
    TransferConsole console("Receiving", options.syncTimeoutSeconds);
    image.SetMessageSink(console.Sink());
    const EngineResult result = ReceiveImage(state, rigging.Port(), image, files[0], mbit, console.Callbacks());
    image.Clear();
    if (result == EngineResult::Ok) std::printf("%s\n", files[0].c_str());
    return FinishTransfer("receive", result, console, rigging, options);
}

} // namespace q64::cli
