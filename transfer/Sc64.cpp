#include "transfer/Sc64.h"

#include <algorithm>
#include <cstdio>

#include "transfer/CanonicalImage.h"
#include "transfer/Sc64Session.h"

namespace q64 {

namespace {

constexpr const char* kIdentifier = "SCv2";
constexpr int kCancelPollMs = 40;

struct SaveTypeRow {
    Sc64SaveType type;
    const char* text;
    const char* key;
    Sc64SaveArea area;
};

// Sizes: EEPROM 4 kbit = 512 bytes, 16 kbit = 2 KiB; SRAM 256 kbit = 32 KiB,
// 768 kbit = 96 KiB (three banks), 1 Mbit = 128 KiB; FlashRAM 1 Mbit = 128 KiB.
constexpr SaveTypeRow kSaveTypes[kSc64SaveTypeCount] = {
    {Sc64SaveType::None, "none", "none", {0, 0}},
    {Sc64SaveType::Eeprom4k, "EEPROM 4k", "eeprom4k", {sc64::kEepromBase, 512}},
    {Sc64SaveType::Eeprom16k, "EEPROM 16k", "eeprom16k", {sc64::kEepromBase, 2048}},
    {Sc64SaveType::Sram256k, "SRAM 256k", "sram256k", {sc64::kSaveBase, 32768}},
    {Sc64SaveType::FlashRam1M, "FlashRAM 1M", "flashram", {sc64::kSaveBase, 131072}},
    {Sc64SaveType::Sram768k, "SRAM 768k", "sram768k", {sc64::kSaveBase, 98304}},
    {Sc64SaveType::Sram1M, "SRAM 1M", "sram1m", {sc64::kSaveBase, 131072}},
    {Sc64SaveType::FakeFlashRam1M, "FakeFlashRAM 1M", "fakeflashram", {sc64::kSaveBase, 131072}},
};

const SaveTypeRow* RowOf(int saveType) {
    return saveType >= 0 && saveType < kSc64SaveTypeCount ? &kSaveTypes[saveType] : nullptr;
}

const char* LinkResultWords(LinkResult r) {
    switch (r) {
    case LinkResult::Ok: return "answered";
    case LinkResult::Refused: return "refused";
    case LinkResult::NoAnswer: return "did not answer";
    case LinkResult::Cut: return "stopped part-way through its answer to";
    case LinkResult::Garbled: return "gave an answer out of step with";
    case LinkResult::Cancelled: return "was left waiting at";
    case LinkResult::Failed: return "was lost during";
    }
    return "failed at";
}

} // namespace

Sc64SaveArea SaveAreaOf(int saveType) {
    const SaveTypeRow* row = RowOf(saveType);
    return row ? row->area : Sc64SaveArea{};
}

const char* SaveTypeText(int saveType) {
    const SaveTypeRow* row = RowOf(saveType);
    return row ? row->text : "unknown";
}

const char* SaveTypeKey(int saveType) {
    const SaveTypeRow* row = RowOf(saveType);
    return row ? row->key : "unknown";
}

std::optional<int> Sc64SaveTypeFromKey(const std::string& key) {
    for (const SaveTypeRow& row : kSaveTypes)
        if (key == row.key) return static_cast<int>(row.type);
    return std::nullopt;
}

std::uint16_t CicSeedOf(BootChip chip) {
    switch (chip) {
    case BootChip::Cic6102: return 0x3F;
    case BootChip::Cic6103: return 0x78;
    case BootChip::Cic6105: return 0x91;
    case BootChip::Cic6106: return 0x85;
    }
    return sc64::kCicAutomatic;
}

std::uint16_t CicSeedForBoot(const std::uint8_t* canonical4096) {
    const BootChip chip = BootChipOf(canonical4096);
    return chip == BootChip::Cic6102 ? sc64::kCicAutomatic : CicSeedOf(chip);
}

Sc64Session::Sc64Session(const Sc64Context& ctx)
    : ctx_(ctx), link_(ctx.stream, ctx.waits, [this] { return KeepGoing(); }) {}

void Sc64Session::Status(const char* text) const {
    if (ctx_.calls.status) ctx_.calls.status(text);
}

bool Sc64Session::KeepGoing() {
    // Asked between every write and every wait slice: the front end hears of
    // it at most every kCancelPollMs.
    const auto now = std::chrono::steady_clock::now();
    if (cancelled_ || now - lastAsked_ < std::chrono::milliseconds(kCancelPollMs)) return !cancelled_;
    lastAsked_ = now;
    if (ctx_.calls.progress && ctx_.calls.progress(lastPercent_) != kProgressGoOn) cancelled_ = true;
    return !cancelled_;
}

bool Sc64Session::Moved(std::uint64_t done, std::uint64_t total) {
    const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
    if (percent != lastPercent_) {
        lastPercent_ = percent;
        if (ctx_.calls.progress && ctx_.calls.progress(percent) != kProgressGoOn) cancelled_ = true;
    }
    return !cancelled_;
}

EngineResult Sc64Session::FailWith(const std::string& message, EngineResult failure) {
    Status("Ready");
    ctx_.image.Report(message);
    return failure;
}

EngineResult Sc64Session::Fail(LinkResult result, const char* what, EngineResult failure) {
    ctx_.stream.ResetCommunication();
    if (result == LinkResult::Cancelled) {
        Status("Ready");
        return EngineResult::ErrCancelled;
    }
    if (result == LinkResult::Failed) {
        const std::string why = ctx_.stream.Error();
        return FailWith(why.empty() ? "The SummerCart64 on " + ctx_.stream.Name() + " went away" : why, failure);
    }
    return FailWith("The SummerCart64 on " + ctx_.stream.Name() + " " + LinkResultWords(result) + " " + what,
                    failure);
}

LinkResult Sc64Session::SetConfig(std::uint32_t id, std::uint32_t value) {
    std::vector<std::uint8_t> answer;
    return link_.Command(sc64::kConfigSet, id, value, answer);
}

LinkResult Sc64Session::GetConfig(std::uint32_t id, std::uint32_t& value) {
    std::vector<std::uint8_t> answer;
    const LinkResult r = link_.Command(sc64::kConfigGet, id, 0, answer);
    if (r != LinkResult::Ok) return r;
    if (answer.size() != 4) return LinkResult::Garbled;
    value = BigEndian32(answer.data());
    return LinkResult::Ok;
}

EngineResult Sc64Session::Open(EngineResult failure, Sc64Info* info) {
    Status("Connecting...");
    if (!ctx_.stream.ResetCommunication()) return FailWith(ctx_.stream.Error(), failure);
    std::vector<std::uint8_t> answer;
    if (const LinkResult r = link_.Command(sc64::kIdentifierGet, 0, 0, answer); r != LinkResult::Ok)
        return Fail(r, "IDENTIFIER_GET", failure);
    const std::string identifier(answer.begin(), answer.end());
    if (identifier != kIdentifier) {
        std::string shown;
        for (const char c : identifier) shown += (c >= 0x20 && c < 0x7F) ? c : '?';
        return FailWith("The device on " + ctx_.stream.Name() + " is not a SummerCart64 (it answered \"" + shown +
                            "\" instead of \"SCv2\"); nothing was written",
                        failure);
    }
    if (const LinkResult r = link_.Command(sc64::kVersionGet, 0, 0, answer); r != LinkResult::Ok)
        return Fail(r, "VERSION_GET", failure);
    if (answer.size() < 8) return Fail(LinkResult::Garbled, "VERSION_GET", failure);
    const unsigned major = static_cast<unsigned>(answer[0] << 8 | answer[1]);
    const unsigned minor = static_cast<unsigned>(answer[2] << 8 | answer[3]);
    const std::uint32_t revision = BigEndian32(&answer[4]);
    char text[96];
    std::snprintf(text, sizeof text, "SummerCart64 firmware %u.%u.%u", major, minor, revision);
    Status(text);
    if (info) {
        info->identifier = identifier;
        info->major = static_cast<std::uint16_t>(major);
        info->minor = static_cast<std::uint16_t>(minor);
        info->revision = revision;
    }
    return EngineResult::Ok;
}

EngineResult Sc64ReadInfo(const Sc64Context& ctx, Sc64Info& info) {
    Sc64Session session(ctx);
    if (const EngineResult opened = session.Open(EngineResult::ErrTransfer, &info); opened != EngineResult::Ok)
        return opened;
    const std::pair<std::uint32_t, std::uint32_t*> options[] = {{sc64::kConfigBootMode, &info.bootMode},
                                                                {sc64::kConfigSaveType, &info.saveType},
                                                                {sc64::kConfigCicSeed, &info.cicSeed},
                                                                {sc64::kConfigTvType, &info.tvType}};
    for (const auto& [id, value] : options)
        if (const LinkResult r = session.GetConfig(id, *value); r != LinkResult::Ok)
            return session.Fail(r, "CONFIG_GET", EngineResult::ErrTransfer);
    session.Status("Ready");
    return EngineResult::Ok;
}

EngineResult Sc64Send(const Sc64Context& ctx, const Sc64SendOptions& options) {
    RomImage& image = ctx.image;
    if (!image.IsLoaded()) return EngineResult::ErrNotLoaded;
    if (!HasImageBit(image.GetKind())) return EngineResult::ErrFailed;
    const Sc64SaveArea save = SaveAreaOf(options.saveType);
    if (!RowOf(options.saveType)) {
        image.Report("Unknown save type " + std::to_string(options.saveType));
        return EngineResult::ErrFailed;
    }
    CanonicalImage source(image);
    if (const EngineResult opened = source.Open(); opened != EngineResult::Ok) return opened;
    const std::uint64_t size = source.Size();
    const std::uint64_t room = save.address == sc64::kSaveBase ? sc64::kSaveBase : sc64::kSdramSize;
    if (size > room) {
        char text[200];
        if (room == sc64::kSdramSize)
            std::snprintf(text, sizeof text, "The image (%llu bytes) does not fit into the SummerCart64's 64 MiB",
                          static_cast<unsigned long long>(size));
        else
            std::snprintf(text, sizeof text,
                          "The image (%llu bytes) reaches into the last 128 KiB of the SummerCart64's memory, "
                          "where it keeps %s saves; choose another save type",
                          static_cast<unsigned long long>(size), SaveTypeText(options.saveType));
        image.Report(text);
        return EngineResult::ErrFailed;
    }

    Sc64Session session(ctx);
    if (const EngineResult opened = session.Open(EngineResult::ErrTransfer); opened != EngineResult::Ok)
        return opened;
    session.Status("Sending File...");
    bool damaged = false;
    const auto next = [&](std::uint8_t* out, std::size_t max) {
        const long got = source.Next(out, max);
        if (got < 0) damaged = true;
        return got;
    };
    for (std::uint64_t at = 0; at < size || size == 0; at += sc64::kChunk) {
        const auto length = static_cast<std::uint32_t>(std::min<std::uint64_t>(sc64::kChunk, size - at));
        const LinkResult r = session.Link().WriteMemory(
            sc64::kSdramBase + static_cast<std::uint32_t>(at), length, next, sc64::kPiece,
            [&](std::uint64_t done) { return session.Moved(at + done, size); });
        if (damaged) {
            ctx.stream.ResetCommunication();
            return session.FailWith(image.Compressed() ? "The compressed image is damaged"
                                                       : "The image file ended early",
                                    EngineResult::ErrTransfer);
        }
        if (r != LinkResult::Ok) return session.Fail(r, "MEMORY_WRITE", EngineResult::ErrTransfer);
        if (size == 0) break;
    }
    session.Status("Setting up the cart...");
    const std::uint16_t seed = CicSeedForBoot(source.Boot());
    const std::pair<std::uint32_t, std::uint32_t> settings[] = {
        {sc64::kConfigSaveType, static_cast<std::uint32_t>(options.saveType)},
        {sc64::kConfigCicSeed, seed},
        {sc64::kConfigBootMode, options.bootMode}};
    for (const auto& [id, value] : settings)
        if (const LinkResult r = session.SetConfig(id, value); r != LinkResult::Ok)
            return session.Fail(r, "CONFIG_SET", EngineResult::ErrTransfer);
    session.Status("Ready");
    return EngineResult::Ok;
}

} // namespace q64
