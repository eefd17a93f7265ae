#include "engine/SaveConversion.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/MemoryPak.h"

namespace q64 {

namespace {

constexpr std::uint8_t kBlank = 0xFF; // what erased cart memory reads as
constexpr char kDexMagic[] = "123-456-STD";
constexpr std::size_t kEeprom4k = 512, kEeprom16k = 2048;
constexpr std::size_t kSram = 32768, kSram768k = 98304, kSram1M = 131072;
constexpr std::size_t kFlashRam = 131072;
constexpr int kContainerPaks = 4;

// How a format holds its save.
struct Layout {
    SaveFormat format;
    SaveMedium medium;               // unused for .srm, which holds every medium
    std::vector<std::size_t> sizes;  // the file sizes it comes in (first: the size written, 0 = the save's own)
    bool wordsReversed;              // every 32-bit word stored the other way round
};

const std::vector<Layout>& Layouts() {
    using F = SaveFormat;
    using M = SaveMedium;
    static const std::vector<Layout> layouts = {
        {F::Eep4k, M::Eeprom, {kEeprom4k}, false},
        {F::Eep16k, M::Eeprom, {kEeprom16k}, false},
        {F::Sra, M::Sram, {0, kSram, kSram768k, kSram1M}, false},
        {F::Fla, M::FlashRam, {kFlashRam}, false},
        {F::Mpk, M::ControllerPak, {mempak::kSize}, false},
        {F::DexDrive, M::ControllerPak, {dexdrive::kFileSize}, false},
        {F::Srm, M::Eeprom, {srm::kSize}, false},
        {F::M64pEep, M::Eeprom, {kEeprom16k}, false},
        {F::M64pSra, M::Sram, {kSram}, true},
        {F::M64pFla, M::FlashRam, {kFlashRam}, true},
        {F::M64pMpk, M::ControllerPak, {kContainerPaks * mempak::kSize}, false},
        {F::Pj64Eep, M::Eeprom, {0, kEeprom4k, kEeprom16k}, false},
        {F::Pj64Sra, M::Sram, {0, kSram, kSram768k, kSram1M}, true},
        {F::Pj64Fla, M::FlashRam, {kFlashRam}, true},
        {F::Pj64Mpk, M::ControllerPak, {mempak::kSize}, false},
    };
    return layouts;
}

const Layout& LayoutOf(SaveFormat format) {
    for (const Layout& layout : Layouts())
        if (layout.format == format) return layout;
    return Layouts().front();
}

std::vector<std::uint8_t> ReverseWords(std::vector<std::uint8_t> bytes) {
    for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        std::swap(bytes[i], bytes[i + 3]);
        std::swap(bytes[i + 1], bytes[i + 2]);
    }
    return bytes;
}

// Every byte the same erased value (0x00 or 0xFF): nothing would be lost.
bool Blank(std::vector<std::uint8_t>::const_iterator from, std::vector<std::uint8_t>::const_iterator to) {
    if (from == to) return true;
    const std::uint8_t first = *from;
    return (first == 0x00 || first == 0xFF) && std::all_of(from, to, [&](std::uint8_t b) { return b == first; });
}

std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t count) {
    return std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                     bytes.begin() + static_cast<std::ptrdiff_t>(at + count));
}

std::string Hex(std::size_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%zX", value);
    return text;
}

void Refusal(ConvertOutcome& out, EngineResult result, std::string why) {
    out.result = result;
    out.message = std::move(why);
}

struct Decoded {
    CartSave save;
    std::vector<std::uint8_t> dexHeader; // a DexDrive image's header
    std::string dropped;                 // what converting to another format would drop
};

bool SizeFits(const Layout& layout, std::size_t size) {
    return std::find(layout.sizes.begin(), layout.sizes.end(), size) != layout.sizes.end() && size != 0;
}

// Reads the save out of `input`; for a container, the part of `medium` (pak `pak`).
std::optional<Decoded> Decode(const std::vector<std::uint8_t>& input, SaveFormat from, SaveMedium medium, int pak,
                              ConvertOutcome& out) {
    const Layout& layout = LayoutOf(from);
    if (!SizeFits(layout, input.size())) {
        std::string sizes;
        for (std::size_t s : layout.sizes)
            if (s != 0) sizes += (sizes.empty() ? "" : " or ") + std::to_string(s);
        Refusal(out, EngineResult::ErrFormat,
                "the input is " + std::to_string(input.size()) + " bytes; a " + InfoOf(from).key + " file is " +
                    sizes);
        return std::nullopt;
    }
    Decoded d;
    d.save.medium = layout.medium;
    switch (from) {
    case SaveFormat::DexDrive:
        if (!IsDexDriveImage(input.data(), input.size())) {
            Refusal(out, EngineResult::ErrFormat, "the input does not start with \"123-456-STD\"");
            return std::nullopt;
        }
        d.dexHeader = Slice(input, 0, dexdrive::kHeaderSize);
        d.save.bytes = Slice(input, dexdrive::kHeaderSize, mempak::kSize);
        for (int note = 1; note <= mempak::kNoteCount; ++note)
            if (!DexDriveComment(d.dexHeader, note).empty())
                d.dropped += (d.dropped.empty() ? "the DexDrive comments of notes " : ", ") + std::to_string(note);
        return d;
    case SaveFormat::M64pMpk:
        d.save.bytes = Slice(input, mempak::kSize * static_cast<std::size_t>(pak - 1), mempak::kSize);
        return d;
    case SaveFormat::Srm:
        d.save.medium = medium;
        switch (medium) {
        case SaveMedium::Eeprom:
            d.save.bytes = Slice(input, srm::kEeprom, srm::kEepromSize);
            d.save.eepromSizeOpen = true;
            break;
        case SaveMedium::Sram: d.save.bytes = ReverseWords(Slice(input, srm::kSram, srm::kSramSize)); break;
        case SaveMedium::FlashRam:
            d.save.bytes = ReverseWords(Slice(input, srm::kFlashRam, srm::kFlashRamSize));
            break;
        case SaveMedium::ControllerPak:
            d.save.bytes = Slice(input, srm::kPaks + srm::kPakSize * static_cast<std::size_t>(pak - 1), srm::kPakSize);
            break;
        }
        return d;
    default: break;
    }
    d.save.bytes = layout.wordsReversed ? ReverseWords(input) : input;
    d.save.eepromSizeOpen = from == SaveFormat::M64pEep;
    return d;
}

// The size an EEPROM really needs.
std::size_t EepromSize(const CartSave& save) {
    if (!save.eepromSizeOpen) return save.bytes.size();
    return Blank(save.bytes.begin() + kEeprom4k, save.bytes.end()) ? kEeprom4k : kEeprom16k;
}

// `bytes` made exactly `size` long: padded with the erased value, or cut when
// what is cut holds nothing (else `loss` says what).
std::vector<std::uint8_t> Fit(std::vector<std::uint8_t> bytes, std::size_t size, SaveMedium medium, std::string& loss) {
    if (bytes.size() > size) {
        if (!Blank(bytes.begin() + static_cast<std::ptrdiff_t>(size), bytes.end()))
            loss = "bytes " + std::to_string(size) + ".." + std::to_string(bytes.size() - 1) + " of the " +
                   MediumName(medium) + " save hold data a save of " + std::to_string(size) + " bytes has no room for";
        bytes.resize(size);
    } else {
        bytes.resize(size, kBlank);
    }
    return bytes;
}

std::vector<std::uint8_t> NewSrm(std::uint64_t seed) {
    std::vector<std::uint8_t> out(srm::kSize, kBlank);
    for (int p = 0; p < kContainerPaks; ++p) {
        const PakData pak = FormatPak(seed + static_cast<std::uint64_t>(p));
        std::copy(pak.begin(), pak.end(), out.begin() + static_cast<std::ptrdiff_t>(srm::kPaks + srm::kPakSize * p));
    }
    return out;
}

std::vector<std::uint8_t> NewPakSet(std::uint64_t seed) {
    std::vector<std::uint8_t> out;
    for (int p = 0; p < kContainerPaks; ++p) {
        const PakData pak = FormatPak(seed + static_cast<std::uint64_t>(p));
        out.insert(out.end(), pak.begin(), pak.end());
    }
    return out;
}

// The extension of a path's last component, lower-case, without the dot.
std::string LowerExtension(const std::string& name) {
    std::string ext;
    const std::size_t dot = name.find_last_of('.');
    const std::size_t slash = name.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return ext;
    for (char c : name.substr(dot + 1)) ext += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext;
}

void Put(std::vector<std::uint8_t>& into, std::size_t at, const std::vector<std::uint8_t>& part) {
    std::copy(part.begin(), part.end(), into.begin() + static_cast<std::ptrdiff_t>(at));
}

} // namespace

const std::vector<SaveFormatInfo>& SaveFormats() {
    using F = SaveFormat;
    static const std::vector<SaveFormatInfo> formats = {
        {F::Eep4k, "eep4k", "eep", "EEPROM 4k save (512 bytes)"},
        {F::Eep16k, "eep16k", "eep", "EEPROM 16k save (2048 bytes)"},
        {F::Sra, "sra", "sra", "SRAM save (cart order)"},
        {F::Fla, "fla", "fla", "FlashRAM save (cart order)"},
        {F::Mpk, "mpk", "mpk", "Controller Pak (32768 bytes)"},
        {F::DexDrive, "dexdrive", "n64", "DexDrive Controller Pak image"},
        {F::Srm, "srm", "srm", "RetroArch mupen64plus save container"},
        {F::M64pEep, "m64p-eep", "eep", "mupen64plus EEPROM save (2048 bytes)"},
        {F::M64pSra, "m64p-sra", "sra", "mupen64plus SRAM save (words reversed)"},
        {F::M64pFla, "m64p-fla", "fla", "mupen64plus FlashRAM save (words reversed)"},
        {F::M64pMpk, "m64p-mpk", "mpk", "mupen64plus Controller Paks (four in one file)"},
        {F::Pj64Eep, "pj64-eep", "eep", "Project64 EEPROM save"},
        {F::Pj64Sra, "pj64-sra", "sra", "Project64 SRAM save (words reversed)"},
        {F::Pj64Fla, "pj64-fla", "fla", "Project64 FlashRAM save (words reversed)"},
        {F::Pj64Mpk, "pj64-mpk", "mpk", "Project64 Controller Pak"},
    };
    return formats;
}

const SaveFormatInfo& InfoOf(SaveFormat format) {
    for (const SaveFormatInfo& info : SaveFormats())
        if (info.format == format) return info;
    return SaveFormats().front();
}

std::optional<SaveFormat> SaveFormatFromKey(const std::string& key) {
    for (const SaveFormatInfo& info : SaveFormats())
        if (key == info.key) return info.format;
    return std::nullopt;
}

bool IsContainer(SaveFormat format) { return format == SaveFormat::Srm || format == SaveFormat::M64pMpk; }

const char* MediumName(SaveMedium medium) {
    switch (medium) {
    case SaveMedium::Eeprom: return "EEPROM";
    case SaveMedium::Sram: return "SRAM";
    case SaveMedium::FlashRam: return "FlashRAM";
    case SaveMedium::ControllerPak: return "Controller Pak";
    }
    return "";
}

bool IsDexDriveImage(const std::uint8_t* bytes, std::size_t size) {
    return size >= dexdrive::kFileSize && std::memcmp(bytes, kDexMagic, sizeof kDexMagic - 1) == 0;
}

std::vector<std::uint8_t> WrapDexDrive(const std::vector<std::uint8_t>& pak, const std::vector<std::uint8_t>& header) {
    std::vector<std::uint8_t> out = header;
    if (out.size() != dexdrive::kHeaderSize) {
        out.assign(dexdrive::kHeaderSize, 0);
        std::memcpy(out.data(), kDexMagic, sizeof kDexMagic - 1);
        out[0x12] = 0x01; // 00 00 01 00 at 0x10, as DexPlorer writes it
    }
    out.insert(out.end(), pak.begin(), pak.end());
    return out;
}

std::string DexDriveComment(const std::vector<std::uint8_t>& header, int note) {
    std::string text;
    if (header.size() < dexdrive::kHeaderSize || note < 1 || note > mempak::kNoteCount) return text;
    const std::size_t at = dexdrive::kCommentsAt + dexdrive::kCommentSize * static_cast<std::size_t>(note - 1);
    for (std::size_t i = 0; i < dexdrive::kCommentSize && header[at + i] != 0; ++i)
        text += static_cast<char>(header[at + i] & 0x7F);
    return text;
}

std::optional<SaveFormat> DetectSaveFormat(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::size_t size = bytes.size();
    if (size == srm::kSize) return SaveFormat::Srm;
    if (IsDexDriveImage(bytes.data(), size) && size == dexdrive::kFileSize) return SaveFormat::DexDrive;
    const std::string ext = LowerExtension(name);
    if ((ext == "eep" || ext == "sav") && size == kEeprom4k) return SaveFormat::Eep4k;
    if ((ext == "eep" || ext == "sav") && size == kEeprom16k) return SaveFormat::Eep16k;
    if (ext == "sra" && (size == kSram || size == kSram768k || size == kSram1M)) return SaveFormat::Sra;
    if (ext == "fla" && size == kFlashRam) return SaveFormat::Fla;
    if (ext == "mpk" && size == kContainerPaks * mempak::kSize) return SaveFormat::M64pMpk;
    if (size == mempak::kSize && (ext == "mpk" || HasValidIdArea(bytes.data()))) return SaveFormat::Mpk;
    return std::nullopt;
}

std::optional<SaveFormat> OutputFormatFor(const std::string& name, SaveFormat from,
                                          const std::vector<std::uint8_t>& input) {
    const std::string ext = LowerExtension(name);
    if (ext == "srm") return SaveFormat::Srm;
    if (ext == "n64") return SaveFormat::DexDrive;
    if (ext == "sra") return SaveFormat::Sra;
    if (ext == "fla") return SaveFormat::Fla;
    if (ext == "mpk") return SaveFormat::Mpk;
    // What the input holds, when it holds one kind of save.
    const bool one = !IsContainer(from);
    const SaveMedium held = LayoutOf(from).medium;
    if (ext == "eep" || (ext == "sav" && one && held == SaveMedium::Eeprom)) {
        // As large as the input's data needs.
        ConvertOutcome ignored;
        const std::optional<Decoded> d = Decode(input, from, SaveMedium::Eeprom, 1, ignored);
        const bool large = d && d->save.medium == SaveMedium::Eeprom && EepromSize(d->save) == kEeprom16k;
        return large ? SaveFormat::Eep16k : SaveFormat::Eep4k;
    }
    if (ext != "sav" || !one) return std::nullopt;
    if (held == SaveMedium::Sram) return SaveFormat::Sra;
    if (held == SaveMedium::FlashRam) return SaveFormat::Fla;
    if (held == SaveMedium::ControllerPak) return SaveFormat::Mpk;
    return std::nullopt;
}

ConvertOutcome ConvertSave(const std::vector<std::uint8_t>& input, const ConvertRequest& request) {
    ConvertOutcome out;
    const SaveFormat from = request.from;
    const SaveFormat to = request.to;
    if ((IsContainer(from) || IsContainer(to)) && (request.pak < 1 || request.pak > kContainerPaks)) {
        Refusal(out, EngineResult::ErrFailed, "the pak is 1, 2, 3 or 4");
        return out;
    }
    if (from == SaveFormat::Srm && to == SaveFormat::Srm) {
        Refusal(out, EngineResult::ErrFailed, "both are .srm containers: name the part with another format");
        return out;
    }
    // The medium moved: what the input holds, or for a .srm input what the output takes.
    const SaveMedium medium = from == SaveFormat::Srm ? LayoutOf(to).medium : LayoutOf(from).medium;
    if (to != SaveFormat::Srm && LayoutOf(to).medium != medium) {
        Refusal(out, EngineResult::ErrFailed,
                std::string("the input holds ") + (medium == SaveMedium::Eeprom || medium == SaveMedium::Sram ? "an " : "a ") +
                    MediumName(medium) + " save; " + InfoOf(to).key + " holds " + MediumName(LayoutOf(to).medium) +
                    " saves");
        return out;
    }
    std::optional<Decoded> decoded = Decode(input, from, medium, request.pak, out);
    if (!decoded) return out;
    CartSave& save = decoded->save;

    std::string loss;
    if (!decoded->dropped.empty() && to != SaveFormat::DexDrive) loss = decoded->dropped + " would be lost";
    const std::size_t natural = medium == SaveMedium::Eeprom ? EepromSize(save) : save.bytes.size();
    std::vector<std::uint8_t> bytes;
    switch (to) {
    case SaveFormat::Srm:
    case SaveFormat::M64pMpk: {
        const std::size_t size = to == SaveFormat::Srm ? srm::kSize : kContainerPaks * mempak::kSize;
        if (!request.existingOut.empty() && request.existingOut.size() != size) {
            Refusal(out, EngineResult::ErrFormat,
                    "the output to update is not a " + std::string(InfoOf(to).key) + " file of " + Hex(size) + " bytes");
            return out;
        }
        bytes = !request.existingOut.empty() ? request.existingOut
                : to == SaveFormat::Srm     ? NewSrm(request.formatSeed)
                                            : NewPakSet(request.formatSeed);
        const std::size_t pakAt = mempak::kSize * static_cast<std::size_t>(request.pak - 1);
        switch (medium) {
        case SaveMedium::Eeprom: Put(bytes, srm::kEeprom, Fit(save.bytes, srm::kEepromSize, medium, loss)); break;
        case SaveMedium::Sram: Put(bytes, srm::kSram, ReverseWords(Fit(save.bytes, srm::kSramSize, medium, loss))); break;
        case SaveMedium::FlashRam:
            Put(bytes, srm::kFlashRam, ReverseWords(Fit(save.bytes, srm::kFlashRamSize, medium, loss)));
            break;
        case SaveMedium::ControllerPak:
            Put(bytes, (to == SaveFormat::Srm ? srm::kPaks : 0) + pakAt, save.bytes);
            break;
        }
        break;
    }
    case SaveFormat::DexDrive: bytes = WrapDexDrive(save.bytes, decoded->dexHeader); break;
    default: {
        const Layout& layout = LayoutOf(to);
        const std::size_t size = layout.sizes.front() != 0 ? layout.sizes.front() : natural;
        bytes = Fit(save.bytes, size, medium, loss);
        if (layout.wordsReversed) bytes = ReverseWords(std::move(bytes));
        break;
    }
    }
    if (!loss.empty()) {
        out.lossy = true;
        out.message = loss;
        if (!request.force) {
            out.result = EngineResult::ErrFailed;
            return out;
        }
    }
    out.bytes = std::move(bytes);
    return out;
}

} // namespace q64
