#include "transfer/Transfer.h"

#include <cstdio>
#include <optional>

#include "transfer/Cd64.h"
#include "transfer/DoctorV64.h"
#include "transfer/Ed64.h"
#include "transfer/Ed64Devices.h"
#include "transfer/Sc64.h"
#include "transfer/Sc64Devices.h"
#include "transfer/Sp64.h"
#include "transfer/ThreadPriority.h"

namespace q64 {

namespace {

constexpr int kUnitRegisters = 3;

// "LPT1 0x378", "LPT2 0x278", "LPT3 0x3BC", "port 0x2BC", "CD64 card 0x310".
std::string PortLabel(int unit, int base) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(base));
    if (unit == static_cast<int>(Unit::Cd64)) return std::string("CD64 card ") + hex;
    switch (base) {
    case 0x378: return std::string("LPT1 ") + hex;
    case 0x278: return std::string("LPT2 ") + hex;
    case 0x3BC: return std::string("LPT3 ") + hex;
    default: return std::string("port ") + hex;
    }
}

// The message when the unit's port cannot be claimed: the port, what is missing, where to change it.
std::string NoCopierText(int unit, int base, const std::string& missing) {
    return "No copier can be reached on " + PortLabel(unit, base) + ".\n" + missing +
           "\nThe unit and its port are chosen in View, Properties.";
}

// Claims the configured unit's registers for one transfer and gives a driver
// device back afterwards.
class PortClaim {
public:
    PortClaim(const TransferContext& ctx) : ctx_(ctx) {
        PortBackend& backend = ctx.port.Backend();
        backend.SetParallelBase(static_cast<PortAddress>(ctx.state.parallelBase));
        if (ctx.state.unit == static_cast<int>(Unit::Cd64) && backend.IsDriver()) {
            ctx.Message("The CD64 card is not on a parallel port and cannot be reached through " + backend.Name() +
                        "; it needs direct port access (CAP_SYS_RAWIO).");
            return;
        }
        const int base = ctx.state.unit == static_cast<int>(Unit::Cd64) ? ctx.state.cd64Base : ctx.state.parallelBase;
        backend.SetClaimWait([&ctx] { return ctx.SyncMayGoOn(); });
        const std::string missing = backend.Claim(static_cast<PortAddress>(base), kUnitRegisters);
        backend.SetClaimWait({});
        if (!missing.empty()) {
            ctx.Message(NoCopierText(ctx.state.unit, base, missing));
            return;
        }
        ok_ = true;
    }
    bool Ok() const { return ok_; }
    // Closes a driver device; false when that failed.
    bool Release() { return !ok_ || ctx_.port.ClosePortDriver() == 0; }

private:
    const TransferContext& ctx_;
    bool ok_ = false;
};

bool UnitTakesKind(int unit, FileKind kind) {
    if (kind == FileKind::BpsPatch) return false; // no unit applies a BPS patch
    if (unit == static_cast<int>(Unit::DoctorV64)) return true;
    if (unit == static_cast<int>(Unit::Sc64))
        return kind == FileKind::Image || kind == FileKind::CompressedImage || kind == FileKind::SavRam;
    if (unit == static_cast<int>(Unit::Ed64)) return kind == FileKind::Image || kind == FileKind::CompressedImage;
    return kind != FileKind::Doctor64Bios && kind != FileKind::IpsPatch && kind != FileKind::SavRam;
}

// Why the unit refuses a kind UnitTakesKind turned down.
std::string RefusedKindText(int unit, FileKind kind) {
    if (kind == FileKind::BpsPatch) return "No unit takes a BPS patch: apply it to the image with IPS Patch.";
    const char* what = kind == FileKind::Doctor64Bios ? "a Doctor64 BIOS file"
                       : kind == FileKind::IpsPatch   ? "an IPS patch"
                       : kind == FileKind::SavRam     ? "a SAV file"
                       : kind == FileKind::Dx256      ? "a DX256 file"
                       : kind == FileKind::TaggedSave ? "a tagged save file"
                                                      : "this file";
    const bool sc64 = unit == static_cast<int>(Unit::Sc64);
    const bool ed64 = unit == static_cast<int>(Unit::Ed64);
    const char* name = sc64   ? "A SummerCart64"
                       : ed64 ? "An EverDrive-64"
                       : unit == static_cast<int>(Unit::Cd64) ? "A CD64"
                                                              : "An SP64/Wildcard unit";
    return std::string(name) + " cannot take " + what + ".\n" +
           (sc64   ? "It takes images and SAV files"
            : ed64 ? "It takes images"
                   : "Only a Doctor V64 takes BIOS, IPS and SAV files") +
           "; the unit is chosen in View, Properties.";
}

EngineResult RunSend(const TransferContext& ctx) {
    const bool compressed = ctx.image.Compressed();
    switch (static_cast<Unit>(ctx.state.unit)) {
    case Unit::DoctorV64: return compressed ? V64SendCompressed(ctx) : V64Send(ctx);
    case Unit::Sp64: return compressed ? SpSendCompressed(ctx) : SpSend(ctx);
    case Unit::Cd64: return compressed ? Cd64SendCompressed(ctx) : Cd64Send(ctx);
    case Unit::Sc64: // not on a port: WithSc64
    case Unit::Ed64: break; // RunEd64
    }
    return EngineResult::ErrFailed; // an unknown unit number from the settings
}

// Opens the EverDrive's stream and runs `operation` on it; `failure` when it
// cannot be opened (after the message).
template <typename Operation>
EngineResult RunEd64(const TransferState& state, RomImage& image, const TransferCallbacks& calls,
                     EngineResult failure, Operation operation) {
    std::string message;
    const std::unique_ptr<ByteStream> stream =
        state.ed64Opener ? state.ed64Opener(state.ed64Device, message) : OpenEd64Device(state.ed64Device, message);
    if (!stream) {
        image.Report(message);
        return failure;
    }
    return operation(Ed64Context{*stream, image, calls, state.ed64Waits});
}

} // namespace

EngineResult SendImage(TransferState& state, ParallelPort& port, RomImage& image, const TransferCallbacks& calls) {
    if (!image.IsLoaded()) return EngineResult::ErrNotLoaded;
    if (!UnitTakesKind(state.unit, image.GetKind())) {
        image.Report(RefusedKindText(state.unit, image.GetKind()));
        return EngineResult::ErrFailed;
    }
    if (state.unit == static_cast<int>(Unit::Sc64)) {
        return WithSc64(state, image, calls, EngineResult::ErrTransfer, [&](const Sc64Context& ctx) {
            if (image.GetKind() == FileKind::SavRam)
                return Sc64RestoreSave(ctx, image.Path(), static_cast<int>(Sc64SaveType::Eeprom4k));
            return Sc64Send(ctx, Sc64SendOptions{state.sc64SaveType, static_cast<std::uint32_t>(state.sc64BootMode),
                                                 state.sc64TvType});
        });
    }
    if (state.unit == static_cast<int>(Unit::Ed64)) {
        return RunEd64(state, image, calls, EngineResult::ErrTransfer, [&](const Ed64Context& ctx) {
            return Ed64Send(ctx, Ed64SendOptions{state.ed64SaveType});
        });
    }
    const TransferContext ctx{state, port, image, calls};
    PortClaim claim(ctx);
    if (!claim.Ok()) return EngineResult::ErrTransfer;
    std::optional<ThreadPriorityBoost> boost;
    if (!state.useDriver) boost.emplace();
    const EngineResult result = RunSend(ctx);
    if (!claim.Release() && result == EngineResult::Ok) return EngineResult::ErrTransfer;
    return result;
}

std::string NoAnswerHint(const TransferState& state, const PortBackend& backend) {
    if (state.unit != static_cast<int>(Unit::DoctorV64) || backend.ReadsControlLines()) return {};
    return "Through " + backend.Name() +
           " only a Doctor V64 wired for handshake mode 1 (status lines) can answer; mode 0 reads the control "
           "lines back, which needs direct port access (CAP_SYS_RAWIO).";
}

EngineResult ReceiveImage(TransferState& state, ParallelPort& port, RomImage& image, const std::string& path,
                          int sizeMbit, const TransferCallbacks& calls) {
    if (state.unit == static_cast<int>(Unit::Sc64)) {
        ThreadPriorityBoost boost;
        return WithSc64(state, image, calls, EngineResult::ErrReceive, [&](const Sc64Context& ctx) {
            return Sc64Receive(ctx, path, static_cast<std::uint32_t>(sizeMbit) * kBytesPerMbit);
        });
    }
    if (state.unit == static_cast<int>(Unit::Ed64)) {
        ThreadPriorityBoost boost;
        return RunEd64(state, image, calls, EngineResult::ErrReceive, [&](const Ed64Context& ctx) {
            return Ed64Receive(ctx, path, static_cast<std::uint32_t>(sizeMbit) * kBytesPerMbit);
        });
    }
    const TransferContext ctx{state, port, image, calls};
    PortClaim claim(ctx);
    if (!claim.Ok()) return EngineResult::ErrReceive;
    ThreadPriorityBoost boost;
    const EngineResult result = state.unit == static_cast<int>(Unit::Cd64) ? Cd64Receive(ctx, path, sizeMbit)
                                                                          : V64Receive(ctx, path);
    if (!claim.Release() && result == EngineResult::Ok) return EngineResult::ErrReceive;
    return result;
}

EngineResult WithSc64(const TransferState& state, RomImage& image, const TransferCallbacks& calls,
                      EngineResult failure, const std::function<EngineResult(const Sc64Context&)>& operation) {
    std::string message;
    const std::unique_ptr<ByteStream> stream =
        state.sc64Opener ? state.sc64Opener(state.sc64Device, message) : OpenSc64Device(state.sc64Device, message);
    if (!stream) {
        image.Report(message);
        return failure;
    }
    LinkWaits waits;
    waits.answerMs = state.sc64AnswerWaitMs;
    waits.flashMs = sc64::kFlashAnswerMs;
    return operation(Sc64Context{*stream, image, calls, waits});
}

} // namespace q64
