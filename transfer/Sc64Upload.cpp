// Sending an image to the SummerCart64 as its maker's loader does: state
// reset, the image placed into SDRAM and flash, every option set after it.

#include <algorithm>
#include <cstdio>

#include "transfer/CanonicalImage.h"
#include "transfer/Sc64.h"
#include "transfer/Sc64Cic.h"
#include "transfer/Sc64Session.h"

namespace q64 {

namespace {

// Where an image of `size` bytes goes: SDRAM from 0; when it reaches into the
// last 128 KiB of SDRAM (where SRAM and FlashRAM saves live) those bytes go to
// the flash's ROM shadow instead; bytes beyond 64 MiB go to the flash's
// extended ROM area.
struct Placement {
    std::uint32_t sdram = 0;
    std::uint32_t shadow = 0;
    std::uint32_t extended = 0;
};

Placement PlacementFor(std::uint64_t size) {
    Placement p;
    const std::uint64_t belowSaves = sc64::kSdramSize - sc64::kShadowSize;
    const bool shadow = size > belowSaves;
    p.sdram = static_cast<std::uint32_t>(std::min<std::uint64_t>(size, shadow ? belowSaves : sc64::kSdramSize));
    if (shadow) p.shadow = static_cast<std::uint32_t>(std::min<std::uint64_t>(size - p.sdram, sc64::kShadowSize));
    if (size > sc64::kSdramSize)
        p.extended = static_cast<std::uint32_t>(std::min<std::uint64_t>(size - sc64::kSdramSize, sc64::kExtendedSize));
    return p;
}

// One send: the image source and the session, with the progress over the
// whole image.
class Upload {
public:
    Upload(const Sc64Context& ctx, CanonicalImage& source, std::uint64_t size)
        : ctx_(ctx), source_(source), session_(ctx), size_(size) {}

    Sc64Session& Session() { return session_; }

    // MEMORY_WRITE commands of kChunk bytes from `address` for `length` bytes
    // of the image. Ok, or a failure after its message.
    EngineResult Write(std::uint32_t address, std::uint32_t length) {
        bool damaged = false;
        const auto next = [&](std::uint8_t* out, std::size_t max) {
            const long got = source_.Next(out, max);
            if (got < 0) damaged = true;
            return got;
        };
        for (std::uint32_t at = 0; at < length; at += sc64::kChunk) {
            const std::uint32_t piece = std::min(sc64::kChunk, length - at);
            const std::uint64_t before = done_;
            const LinkResult r = session_.Link().WriteMemory(
                address + at, piece, next, sc64::kPiece,
                [&](std::uint64_t moved) { return session_.Moved(before + moved, size_); });
            if (damaged) {
                session_.Link().Reset();
                return session_.FailWith(ctx_.image.Compressed() ? "The compressed image is damaged"
                                                                 : "The image file ended early",
                                         EngineResult::ErrTransfer);
            }
            if (r != LinkResult::Ok) return session_.Fail(r, "MEMORY_WRITE", EngineResult::ErrTransfer);
            done_ += piece;
        }
        return EngineResult::Ok;
    }

    // The next `length` bytes of the image into flash at `address`: the erase
    // block size asked (FLASH_WAIT_BUSY without waiting), every block erased,
    // the bytes written, then FLASH_WAIT_BUSY until the flash is done.
    EngineResult Flash(std::uint32_t address, std::uint32_t length) {
        std::vector<std::uint8_t> answer;
        if (const LinkResult r = session_.Link().Command(sc64::kFlashWaitBusy, 0, 0, answer); r != LinkResult::Ok)
            return session_.Fail(r, "FLASH_WAIT_BUSY", EngineResult::ErrTransfer);
        const std::uint32_t block = answer.size() == 4 ? BigEndian32(answer.data()) : 0;
        if (block == 0 || block > sc64::kExtendedSize)
            return session_.Fail(LinkResult::Garbled, "FLASH_WAIT_BUSY", EngineResult::ErrTransfer);
        for (std::uint32_t at = 0; at < length; at += block)
            if (const LinkResult r = session_.Plain(sc64::kFlashEraseBlock, address + at, 0); r != LinkResult::Ok)
                return session_.Fail(r, "FLASH_ERASE_BLOCK", EngineResult::ErrTransfer);
        if (const EngineResult written = Write(address, length); written != EngineResult::Ok) return written;
        if (const LinkResult r = session_.Link().Command(sc64::kFlashWaitBusy, 1, 0, answer); r != LinkResult::Ok)
            return session_.Fail(r, "FLASH_WAIT_BUSY", EngineResult::ErrTransfer);
        return EngineResult::Ok;
    }

    EngineResult Set(std::uint32_t id, std::uint32_t value) {
        if (const LinkResult r = session_.SetConfig(id, value); r != LinkResult::Ok)
            return session_.Fail(r, "CONFIG_SET", EngineResult::ErrTransfer);
        return EngineResult::Ok;
    }

    // The boot chip parameters: from the image's own boot code for a direct
    // boot, else from the bootloader's, read from the cart's flash.
    EngineResult SetCic(bool direct) {
        CicParams params;
        if (direct) {
            params = SignIpl3(source_.Boot() + sc64::kIpl3Offset);
        } else {
            std::vector<std::uint8_t> ipl3;
            const LinkResult r = session_.Link().ReadMemory(
                sc64::kBootloaderBase + sc64::kIpl3Offset, sc64::kIpl3Length,
                [&](const std::uint8_t* bytes, std::size_t count) {
                    ipl3.insert(ipl3.end(), bytes, bytes + count);
                    return true;
                },
                nullptr);
            if (r != LinkResult::Ok) return session_.Fail(r, "MEMORY_READ", EngineResult::ErrTransfer);
            params = SignIpl3(ipl3.data());
        }
        if (const LinkResult r = session_.Plain(sc64::kCicParamsSet, CicArgument0(params), CicArgument1(params));
            r != LinkResult::Ok)
            return session_.Fail(r, "CIC_PARAMS_SET", EngineResult::ErrTransfer);
        if (direct && !params.known) {
            char text[200];
            std::snprintf(text, sizeof text,
                          "The image's boot code is of no known boot chip: signed with seed 0x%02X, checksum "
                          "0x%012llX; it may not boot",
                          params.seed, static_cast<unsigned long long>(params.checksum));
            session_.Status(text);
        }
        return EngineResult::Ok;
    }

private:
    const Sc64Context& ctx_;
    CanonicalImage& source_;
    Sc64Session session_;
    std::uint64_t size_;
    std::uint64_t done_ = 0;
};

// Why the options cannot be sent (empty: they can).
std::string OptionsRefusal(const Sc64SendOptions& options) {
    if (options.saveType < 0 || options.saveType >= kSc64SaveTypeCount)
        return "Unknown save type " + std::to_string(options.saveType);
    if (std::string why = BootModeRefusal(options.bootMode); !why.empty()) return why;
    if (options.tvType < 0 || options.tvType >= kSc64TvTypeCount)
        return "Unknown TV type " + std::to_string(options.tvType);
    if (options.bootMode == sc64::kBootDirect && options.tvType != static_cast<int>(Sc64TvType::Auto))
        return std::string("A TV type cannot be forced with direct boot: the cart's bootloader applies it, and a "
                           "direct boot skips the bootloader. Choose the console's own TV type, or boot through "
                           "the bootloader");
    return {};
}

} // namespace

EngineResult Sc64Send(const Sc64Context& ctx, const Sc64SendOptions& options) {
    RomImage& image = ctx.image;
    if (!image.IsLoaded()) return EngineResult::ErrNotLoaded;
    if (!HasImageBit(image.GetKind())) return EngineResult::ErrFailed;
    if (const std::string why = OptionsRefusal(options); !why.empty()) {
        image.Report(why);
        return EngineResult::ErrFailed;
    }
    CanonicalImage source(image);
    if (const EngineResult opened = source.Open(); opened != EngineResult::Ok) return opened;
    const std::uint64_t size = source.Size();
    if (size == 0 || size > sc64::kMaxImage) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "The image (%llu bytes) does not fit into a SummerCart64, which holds at most 78 MiB "
                      "(64 MiB of memory and 14 MiB of flash); nothing was sent",
                      static_cast<unsigned long long>(size));
        image.Report(text);
        return EngineResult::ErrFailed;
    }
    const Placement placement = PlacementFor(size);

    Upload upload(ctx, source, size);
    Sc64Session& session = upload.Session();
    if (const EngineResult opened = session.Open(EngineResult::ErrTransfer); opened != EngineResult::Ok)
        return opened;
    // Settings an earlier tool or the cart's menu left must not stay in force.
    if (const LinkResult r = session.Plain(sc64::kStateReset, 0, 0); r != LinkResult::Ok)
        return session.Fail(r, "STATE_RESET", EngineResult::ErrTransfer);
    session.Status("Sending File...");
    EngineResult result = upload.Write(sc64::kSdramBase, placement.sdram);
    if (result == EngineResult::Ok) result = upload.Set(sc64::kConfigRomShadow, placement.shadow != 0 ? 1 : 0);
    if (result == EngineResult::Ok && placement.shadow != 0) {
        session.Status("Writing the image's last 128 KiB into the cart's flash...");
        result = upload.Flash(sc64::kShadowBase, placement.shadow);
    }
    if (result == EngineResult::Ok) result = upload.Set(sc64::kConfigRomExtended, placement.extended != 0 ? 1 : 0);
    if (result == EngineResult::Ok && placement.extended != 0) {
        session.Status("Writing the image beyond 64 MiB into the cart's flash...");
        result = upload.Flash(sc64::kExtendedBase, placement.extended);
    }
    if (result != EngineResult::Ok) return result;
    session.Status("Setting up the cart...");
    result = upload.Set(sc64::kConfigSaveType, static_cast<std::uint32_t>(options.saveType));
    if (result == EngineResult::Ok) result = upload.Set(sc64::kConfigBootMode, options.bootMode);
    if (result == EngineResult::Ok && options.tvType != static_cast<int>(Sc64TvType::Auto))
        result = upload.Set(sc64::kConfigTvType, static_cast<std::uint32_t>(options.tvType));
    if (result == EngineResult::Ok) result = upload.SetCic(options.bootMode == sc64::kBootDirect);
    if (result != EngineResult::Ok) return result;
    session.Status("Ready");
    return EngineResult::Ok;
}

} // namespace q64
