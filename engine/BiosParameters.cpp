#include "engine/BiosParameters.h"

#include <cstdio>
#include <sys/stat.h>
#include <utility>
#include <vector>

#include "engine/Backup.h"
#include "engine/RomImage.h"

namespace q64 {

namespace {

using ByteAt = std::pair<std::int64_t, std::uint8_t>;

EngineResult CheckBios(const RomImage& image) {
    if (!image.IsLoaded()) return EngineResult::ErrNotLoaded;
    if (image.GetKind() != FileKind::Doctor64Bios) {
        image.Report(image.Path() + " is not a Doctor64 BIOS file");
        return EngineResult::ErrFailed;
    }
    return EngineResult::Ok;
}

bool HasBiosSize(std::FILE* f) {
    struct stat info {};
    return ::fstat(fileno(f), &info) == 0 && info.st_size == kBiosFileSize;
}

// Reads `count` parameter bytes from the first copy, starting at `offset`.
EngineResult ReadParameters(const RomImage& image, std::int64_t offset, std::uint8_t* out, std::size_t count) {
    if (const EngineResult r = CheckBios(image); r != EngineResult::Ok) return r;
    std::FILE* f = std::fopen(image.Path().c_str(), "rb");
    if (!f) {
        image.Report("Unable to open " + image.Path());
        return EngineResult::ErrOpen;
    }
    const bool ok = std::fseek(f, static_cast<long>(offset), SEEK_SET) == 0 && std::fread(out, 1, count, f) == count;
    std::fclose(f);
    if (!ok) {
        image.Report("Unable to read " + image.Path());
        return EngineResult::ErrFailed;
    }
    return EngineResult::Ok;
}

// Writes every byte at its offset and at the same offset in the second copy,
// in the in-place style.
EngineResult WriteParameters(RomImage& image, BackupMode mode, const std::vector<ByteAt>& bytes) {
    if (const EngineResult r = CheckBios(image); r != EngineResult::Ok) return r;
    const std::string& path = image.Path();
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (!probe) {
        image.Report("Unable to open " + path);
        return EngineResult::ErrOpen;
    }
    const bool sized = HasBiosSize(probe);
    std::fclose(probe);
    if (!sized) {
        image.Report(path + " is no longer a Doctor64 BIOS file of 262144 bytes");
        return EngineResult::ErrFormat;
    }

    InPlaceChange change;
    if (const EngineResult begun = change.Begin(path, mode); begun != EngineResult::Ok) {
        image.Report("Unable to make a backup of " + path);
        return begun;
    }
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    if (!f) {
        change.Rollback();
        image.Report("Unable to open " + path + " for writing");
        return EngineResult::ErrOpen;
    }
    bool ok = true;
    for (const auto& [offset, value] : bytes) {
        for (const std::int64_t at : {offset, offset + bios::kSecondCopy}) {
            ok = ok && std::fseek(f, static_cast<long>(at), SEEK_SET) == 0 && std::fputc(value, f) != EOF;
        }
    }
    if (std::fclose(f) != 0) ok = false;
    if (!ok) {
        const bool restored = change.Rollback();
        image.Report("Unable to write " + path + (restored ? "; the original was restored" : ""));
        return EngineResult::ErrFailed;
    }
    change.Commit();
    return EngineResult::Ok;
}

std::vector<ByteAt> ColourBytes(const BiosColour& colour) {
    return {{bios::kColourOffset, EncodeColourByte(colour.value, colour.component)},
            {bios::kBlueOffset, EncodeBlueByte(colour.blue)}};
}

std::vector<ByteAt> PositionBytes(const BiosPosition& position) {
    return {{bios::kVerticalOffset, static_cast<std::uint8_t>(position.vertical)},
            {bios::kHorizontalOffset, static_cast<std::uint8_t>(position.horizontal)}};
}

} // namespace

std::uint8_t EncodeColourByte(int value, ColourComponent component) {
    switch (component) {
    case ColourComponent::Red: return static_cast<std::uint8_t>(bios::kColourZero + value);
    case ColourComponent::Green: return static_cast<std::uint8_t>(bios::kColourZero - value);
    }
    return bios::kColourZero;
}

std::uint8_t EncodeBlueByte(int blue) { return static_cast<std::uint8_t>(bios::kColourZero + blue); }

BiosColour DecodeColour(std::uint8_t colourByte, std::uint8_t blueByte) {
    BiosColour colour;
    if (colourByte > bios::kColourZero) {
        colour.component = ColourComponent::Red;
        colour.value = colourByte - bios::kColourZero;
    } else {
        colour.component = ColourComponent::Green;
        colour.value = bios::kColourZero - colourByte;
    }
    colour.blue = static_cast<std::uint8_t>(blueByte - bios::kColourZero);
    return colour;
}

SwatchRgb BiosSwatchColour(const BiosColour& colour) {
    SwatchRgb rgb;
    rgb.blue = static_cast<std::uint8_t>(colour.blue * 4);
    const auto level = static_cast<std::uint8_t>((colour.value & 0x3F) * 4);
    switch (colour.component) {
    case ColourComponent::Red: rgb.red = level; break;
    case ColourComponent::Green: rgb.green = level; break;
    }
    return rgb;
}

const char* ComponentName(ColourComponent component) {
    switch (component) {
    case ColourComponent::Red: return "Red";
    case ColourComponent::Green: return "Green";
    }
    return "";
}

std::string FormatBiosValue(int value) {
    char text[24];
    std::snprintf(text, sizeof text, "%#x", static_cast<unsigned>(value));
    return text;
}

EngineResult GetBiosColour(const RomImage& image, BiosColour& colour) {
    std::uint8_t bytes[2];
    const EngineResult r = ReadParameters(image, bios::kColourOffset, bytes, 2);
    if (r == EngineResult::Ok) colour = DecodeColour(bytes[0], bytes[1]);
    return r;
}

EngineResult GetBiosPosition(const RomImage& image, BiosPosition& position) {
    std::uint8_t bytes[2];
    const EngineResult r = ReadParameters(image, bios::kVerticalOffset, bytes, 2);
    if (r == EngineResult::Ok) position = {bytes[0], bytes[1]};
    return r;
}

EngineResult SetBiosColour(RomImage& image, BackupMode mode, const BiosColour& colour) {
    return WriteParameters(image, mode, ColourBytes(colour));
}

EngineResult SetBiosPosition(RomImage& image, BackupMode mode, const BiosPosition& position) {
    return WriteParameters(image, mode, PositionBytes(position));
}

EngineResult SetBiosParameters(RomImage& image, BackupMode mode, const BiosColour& colour,
                               const BiosPosition& position) {
    std::vector<ByteAt> bytes = ColourBytes(colour);
    const std::vector<ByteAt> more = PositionBytes(position);
    bytes.insert(bytes.end(), more.begin(), more.end());
    return WriteParameters(image, mode, bytes);
}

} // namespace q64
