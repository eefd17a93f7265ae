#include "transfer/Sc64.h"

#include <cstdio>

#include "transfer/Sc64Session.h"

namespace q64 {

namespace {

constexpr const char* kIdentifier = "SCv2";
constexpr int kCancelPollMs = 40;

struct SaveTypeRow {
    Sc64SaveType type;
    const char* text;
    SaveType program; // the program's save type it holds
    Sc64SaveArea area;
};

// Sizes: EEPROM 4 kbit = 512 bytes, 16 kbit = 2 KiB; SRAM 256 kbit = 32 KiB,
// 768 kbit = 96 KiB (three banks), 1 Mbit = 128 KiB; FlashRAM 1 Mbit = 128 KiB.
constexpr SaveTypeRow kSaveTypes[kSc64SaveTypeCount] = {
    {Sc64SaveType::None, "none", SaveType::None, {0, 0}},
    {Sc64SaveType::Eeprom4k, "EEPROM 4k", SaveType::Eeprom4k, {sc64::kEepromBase, 512}},
    {Sc64SaveType::Eeprom16k, "EEPROM 16k", SaveType::Eeprom16k, {sc64::kEepromBase, 2048}},
    {Sc64SaveType::Sram256k, "SRAM 256k", SaveType::Sram256k, {sc64::kSaveBase, 32768}},
    {Sc64SaveType::FlashRam1M, "FlashRAM 1M", SaveType::FlashRam, {sc64::kSaveBase, 131072}},
    {Sc64SaveType::Sram768k, "SRAM 768k", SaveType::Sram768k, {sc64::kSaveBase, 98304}},
    {Sc64SaveType::Sram1M, "SRAM 1M", SaveType::Sram1M, {sc64::kSaveBase, 131072}},
    {Sc64SaveType::FakeFlashRam1M, "FakeFlashRAM 1M", SaveType::FlashRam, {sc64::kSaveBase, 131072}},
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

int Sc64SaveTypeOf(SaveType type) {
    for (const SaveTypeRow& row : kSaveTypes)
        if (row.program == type) return static_cast<int>(row.type);
    return 0;
}

SaveType SaveTypeOfSc64(int saveType) {
    const SaveTypeRow* row = RowOf(saveType);
    return row ? row->program : SaveType::None;
}

const char* TvTypeText(int tvType) {
    switch (tvType) {
    case 0: return "PAL";
    case 1: return "NTSC";
    case 2: return "MPAL";
    case 3: return "the console's own";
    default: return "unknown";
    }
}

const char* TvTypeKey(int tvType) {
    static const char* const kKeys[kSc64TvTypeCount] = {"pal", "ntsc", "mpal", "auto"};
    return tvType >= 0 && tvType < kSc64TvTypeCount ? kKeys[tvType] : "unknown";
}

std::optional<int> TvTypeFromKey(const std::string& key) {
    for (int type = 0; type < kSc64TvTypeCount; ++type)
        if (key == TvTypeKey(type)) return type;
    return std::nullopt;
}

const char* BootModeText(std::uint32_t bootMode) {
    switch (bootMode) {
    case sc64::kBootMenu: return "the menu";
    case sc64::kBootLoadedImage: return "the loaded image through the bootloader";
    case sc64::kBootDdIpl: return "the 64DD IPL through the bootloader";
    case sc64::kBootDirect: return "the loaded image directly";
    case sc64::kBootDirectDdIpl: return "the 64DD IPL directly";
    default: return "unknown";
    }
}

std::string BootModeRefusal(std::uint32_t bootMode) {
    switch (bootMode) {
    case sc64::kBootMenu:
    case sc64::kBootLoadedImage:
    case sc64::kBootDirect: return {};
    case sc64::kBootDdIpl:
    case sc64::kBootDirectDdIpl:
        return "Boot mode " + std::to_string(bootMode) +
               " starts a 64DD IPL, which this program does not load; choose boot mode 0 (the menu), "
               "1 (the loaded image through the bootloader) or 3 (the loaded image directly)";
    default:
        return "There is no boot mode " + std::to_string(bootMode) +
               "; choose 0 (the menu), 1 (the loaded image through the bootloader) or 3 (the loaded image directly)";
    }
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
    link_.Reset();
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

LinkResult Sc64Session::Plain(std::uint8_t id, std::uint32_t arg0, std::uint32_t arg1) {
    std::vector<std::uint8_t> answer;
    return link_.Command(id, arg0, arg1, answer);
}

LinkResult Sc64Session::SetConfig(std::uint32_t id, std::uint32_t value) { return Plain(sc64::kConfigSet, id, value); }

LinkResult Sc64Session::GetConfig(std::uint32_t id, std::uint32_t& value) {
    std::vector<std::uint8_t> answer;
    const LinkResult r = link_.Command(sc64::kConfigGet, id, 0, answer);
    if (r != LinkResult::Ok) return r;
    if (answer.size() != 4) return LinkResult::Garbled;
    value = BigEndian32(answer.data());
    return LinkResult::Ok;
}

EngineResult Sc64Session::Open(EngineResult failure, FirmwareNeed need, Sc64Info* info) {
    Status("Connecting...");
    if (!link_.Reset()) return FailWith(ctx_.stream.Error(), failure);
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
    if (answer.size() != 8) return Fail(LinkResult::Garbled, "VERSION_GET", failure);
    const unsigned major = static_cast<unsigned>(answer[0] << 8 | answer[1]);
    const unsigned minor = static_cast<unsigned>(answer[2] << 8 | answer[3]);
    const std::uint32_t revision = BigEndian32(&answer[4]);
    char text[200];
    std::snprintf(text, sizeof text, "SummerCart64 firmware %u.%u.%u", major, minor, revision);
    Status(text);
    if (info) {
        info->identifier = identifier;
        info->major = static_cast<std::uint16_t>(major);
        info->minor = static_cast<std::uint16_t>(minor);
        info->revision = revision;
    }
    if (major != sc64::kFirmwareMajor) {
        std::snprintf(text, sizeof text,
                      "The SummerCart64 on %s runs firmware %u.%u.%u; this program supports firmware %u.x "
                      "(%u.%u or later); nothing was written",
                      ctx_.stream.Name().c_str(), major, minor, revision, sc64::kFirmwareMajor, sc64::kFirmwareMajor,
                      sc64::kFirmwareMinor);
        return FailWith(text, failure);
    }
    if (minor < sc64::kFirmwareMinor) {
        std::snprintf(text, sizeof text,
                      "The SummerCart64 on %s runs firmware %u.%u.%u, older than the %u.%u this program needs: "
                      "update the cart's firmware",
                      ctx_.stream.Name().c_str(), major, minor, revision, sc64::kFirmwareMajor, sc64::kFirmwareMinor);
        if (need == FirmwareNeed::Current) return FailWith(std::string(text) + "; nothing was written", failure);
        Status(text);
    }
    return EngineResult::Ok;
}

EngineResult Sc64ReadInfo(const Sc64Context& ctx, Sc64Info& info) {
    Sc64Session session(ctx);
    if (const EngineResult opened = session.Open(EngineResult::ErrTransfer, FirmwareNeed::Any2, &info);
        opened != EngineResult::Ok)
        return opened;
    const std::pair<std::uint32_t, std::uint32_t*> options[] = {
        {sc64::kConfigBootMode, &info.bootMode},     {sc64::kConfigSaveType, &info.saveType},
        {sc64::kConfigTvType, &info.tvType},         {sc64::kConfigCicSeed, &info.cicSeed},
        {sc64::kConfigRomShadow, &info.romShadow},   {sc64::kConfigRomExtended, &info.romExtended},
        {sc64::kConfigDdMode, &info.ddMode}};
    for (const auto& [id, value] : options)
        if (const LinkResult r = session.GetConfig(id, *value); r != LinkResult::Ok)
            return session.Fail(r, "CONFIG_GET", EngineResult::ErrTransfer);
    session.Status("Ready");
    return EngineResult::Ok;
}

} // namespace q64
