#include "engine/BiosParameters.h"

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>
#include <utility>
#include <vector>

#include "engine/FileChange.h"
#include "engine/OperationIo.h"
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
    std::FILE* f = OpenForReading(image.Path());
    if (!f) {
        image.Report(messages::kOpenForRead);
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
// in the in-place style: the bytes lie in one span, written with one write
// per copy.
EngineResult WriteParameters(RomImage& image, BackupMode mode, const std::vector<ByteAt>& bytes) {
    if (const EngineResult r = CheckBios(image); r != EngineResult::Ok) return r;
    const std::string& path = image.Path();
    FileChange change;
    if (const EngineResult begun = change.BeginInPlace(path, mode); begun != EngineResult::Ok) {
        image.Report(change.Message());
        return begun;
    }
    if (!HasBiosSize(change.In())) {
        image.Report(path + " is no longer a Doctor64 BIOS file of 262144 bytes");
        return EngineResult::ErrFormat;
    }
    std::int64_t first = bytes.front().first;
    std::int64_t last = first;
    for (const auto& [offset, value] : bytes) {
        first = std::min(first, offset);
        last = std::max(last, offset);
    }
    std::vector<std::uint8_t> span(static_cast<std::size_t>(last - first + 1));
    const bool read = std::fseek(change.In(), static_cast<long>(first), SEEK_SET) == 0 &&
                      std::fread(span.data(), 1, span.size(), change.In()) == span.size();
    if (!read) {
        image.Report("Unable to read " + path);
        return EngineResult::ErrFailed;
    }
    for (const auto& [offset, value] : bytes) span[static_cast<std::size_t>(offset - first)] = value;
    for (const std::int64_t at : {first, first + bios::kSecondCopy}) {
        if (!change.WriteAt(static_cast<std::uint64_t>(at), span.data(), span.size())) {
            image.Report("Unable to write " + path + ": " + change.Message() +
                         (mode == BackupMode::NoneInPlace ? "" : "; it was not changed"));
            change.Rollback();
            return EngineResult::ErrFailed;
        }
    }
    return CommitChange(image, change);
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
