// q64 send: sends a file to the configured unit, as the Send command does.

#include <cstdio>

#include "cli/Cli.h"
#include "cli/TransferSetup.h"
#include "engine/RomImage.h"
#include "transfer/SimCd64.h"
#include "transfer/SimDoctorV64.h"
#include "transfer/Sc64.h"
#include "transfer/SimSp64.h"
#include "transfer/Transfer.h"
#include "transfer/TransferState.h"

namespace q64::cli {

namespace {

// The Doctor V64 takes every kind the Send command offers; the other units
// take images and DX256 files (BIOS, IPS and SAV files and tagged saves are
// for the Doctor V64 only).
bool Sendable(FileKind kind, int unit) {
    const int bits = ToInt(kind);
    if (unit == 0) return (bits & (0x001 | 0x004 | 0x008 | 0x040 | 0x080 | 0x200)) != 0;
    if (unit == 3) return (bits & (0x001 | 0x040)) != 0; // images and SAV files (its EEPROM 4k save)
    if (unit == 4) return (bits & 0x001) != 0;           // images
    return (bits & (0x001 | 0x200)) != 0;
}

const char* UnitName(int unit) {
    switch (unit) {
    case 0: return "Doctor V64";
    case 1: return "SP64/Wildcard";
    case 2: return "CD64";
    case 3: return "SummerCart64";
    case 4: return "EverDrive-64";
    default: return "unit";
    }
}

void PrintSimulatedUpload(TransferRigging& rigging, const Settings& s) {
    if (s.Unit == 4) {
        const SimEd64& cart = rigging.Ed64Sim();
        const std::vector<std::uint8_t> saveBytes = cart.Rom(0x3C, 4);
        std::printf("simulated EverDrive-64 took %llu bytes%s; save name \"%s\", header 0x3C..0x3F %02x %02x %02x %02x\n",
                    static_cast<unsigned long long>(cart.PayloadWritten()), cart.Started() ? " and started" : "",
                    cart.SaveName().c_str(), saveBytes[0], saveBytes[1], saveBytes[2], saveBytes[3]);
        return;
    }
    if (s.Unit == 3) {
        SimSc64& cart = rigging.Sc64Sim();
        const std::array<std::uint32_t, 2> cic = cart.CicParams();
        std::printf("simulated SummerCart64 took %llu bytes; save type %s, boot mode %u, TV type %s, "
                    "CIC seed 0x%02X, checksum 0x%04X%08X\n",
                    static_cast<unsigned long long>(cart.PayloadWritten()),
                    SaveTypeText(static_cast<int>(cart.Config(sc64::kConfigSaveType))),
                    cart.Config(sc64::kConfigBootMode), TvTypeText(static_cast<int>(cart.Config(sc64::kConfigTvType))),
                    cic[0] >> 16 & 0xFF, cic[0] & 0xFFFF, cic[1]);
        return;
    }
    const SimDoctorV64* v64 = rigging.V64();
    if (const SimDoctorV64* unit = v64 && (v64->UploadComplete() || !v64->Received().empty()) ? v64 : nullptr)
        std::printf("simulated Doctor V64 received %zu of %u bytes named \"%s\"\n", unit->Received().size(),
                    unit->AnnouncedLength(), unit->ReceivedName().c_str());
    if (const SimSp64* unit = rigging.Sp64())
        std::printf("simulated SP64/Wildcard received %zu bytes in %zu blocks%s\n", unit->Received().size(),
                    unit->BlockNumbers().size(), unit->NumberingOk() && unit->Closed() ? "" : " (incomplete)");
    if (const SimCd64* unit = rigging.Cd64())
        std::printf("simulated CD64 received %zu bytes, checksum %s\n", unit->Received().size(),
                    unit->UploadConfirmed() ? "confirmed" : "not confirmed");
}

} // namespace

int RunSend(ArgParser& args) {
    const Command& self = CommandNamed("send");
    TransferOptions options;
    ParseTransferOptions(args, options);
    const std::vector<std::string> files = args.Positionals();
    if (!args.Ok()) return UsageError(self, args.Error());
    if (files.size() != 1) return UsageError(self, "give exactly one FILE");
    const Settings& s = options.settings;

    TransferRigging rigging(options);
    if (!rigging.Build("send", files)) return 1;
    TransferState state;
    RomImage image;
    ConfigureTransfer(state, image, s.Unit, s.BIOS, s.OutPort, rigging.OsKind(), s.CD64Port,
                      static_cast<std::uint8_t>(s.CD64Comm), static_cast<std::uint8_t>(s.CD64ReceiveType));
    TransferConsole console("Sending", options.syncTimeoutSeconds);
    image.SetMessageSink(console.Sink());
    const EngineResult identified = image.Identify(files[0]);
    if (identified != EngineResult::Ok) {
        std::fprintf(stderr, "q64 send: %s: %s\n", files[0].c_str(),
                     identified == EngineResult::ErrOpen ? "cannot be read" : "not a file the unit can take");
        return 1;
    }
    if (s.Unit == 3) {
        // A SAV file is the cart's EEPROM 4k save: no save type to choose.
        const int saveType = HasImageBit(image.GetKind()) ? Sc64SaveTypeOf(SaveTypeFor(options, files[0])) : 0;
        ConfigureSc64(state, s.SC64Device, saveType, s.SC64BootMode, s.SC64TvType);
        rigging.ConnectSc64(state);
    }
    if (s.Unit == 4) {
        ConfigureEd64(state, s.ED64Device, SaveTypeFor(options, files[0]));
        rigging.ConnectEd64(state);
    }
    if (!Sendable(image.GetKind(), s.Unit)) {
        std::fprintf(stderr, "q64 send: %s: the %s cannot take this kind of file\n", files[0].c_str(),
                     UnitName(s.Unit));
        return 1;
    }
    const EngineResult result = SendImage(state, rigging.Port(), image, console.Callbacks());
    image.Clear();
    if (rigging.Simulated() && result != EngineResult::ErrFailed) PrintSimulatedUpload(rigging, s);
    return FinishTransfer("send", result, console, rigging, options);
}

} // namespace q64::cli
