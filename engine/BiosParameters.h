#pragma once
// The four display parameters of a Doctor V64 BIOS file (the copier's menu
// screen): a two-component colour and the picture's vertical and horizontal
// position. Each parameter byte is stored twice, 0x20000 bytes apart, and both
// copies are always written together.
//
// Bytes (first copy; the second is at + 0x20000):
//   2  first colour component: red v as 0x80 + v, green v as 0x80 - v
//      (read back: above 0x80 is red, byte - 0x80; 0x80 or below is green, 0x80 - byte)
//   3  blue: 0x80 + blue (read back as byte - 0x80, modulo 256)
//   4  vertical position, the value itself
//   5  horizontal position, the value itself
// Values are stored modulo 256; the ranges below are those that read back unchanged.

#include <cstdint>
#include <string>

#include "engine/EngineTypes.h"

namespace q64 {

class RomImage;

namespace bios {
constexpr std::int64_t kColourOffset = 2;
constexpr std::int64_t kBlueOffset = 3;
constexpr std::int64_t kVerticalOffset = 4;
constexpr std::int64_t kHorizontalOffset = 5;
constexpr std::int64_t kSecondCopy = 0x20000;
constexpr std::uint8_t kColourZero = 0x80;
constexpr int kMaxRed = 127;
constexpr int kMaxGreen = 128;
constexpr int kMaxBlue = 255;
constexpr int kMaxPosition = 255;
} // namespace bios

// Which colour the first component is.
enum class ColourComponent { Green, Red };

struct BiosColour {
    int value = 0;  // the red or green value
    int blue = 0;
    ColourComponent component = ColourComponent::Green;
    bool operator==(const BiosColour&) const = default;
};

struct BiosPosition {
    int vertical = 0;
    int horizontal = 0;
    bool operator==(const BiosPosition&) const = default;
};

// The encodings, as pure functions over the parameter bytes.
std::uint8_t EncodeColourByte(int value, ColourComponent component);
std::uint8_t EncodeBlueByte(int blue);
BiosColour DecodeColour(std::uint8_t colourByte, std::uint8_t blueByte);

// The tuning dialog's colour swatch, 8 bits per channel: blue (blue x 4) AND
// 0xFF; the first component's channel (value AND 63) x 4, the other one 0.
struct SwatchRgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const SwatchRgb&) const = default;
};
SwatchRgb BiosSwatchColour(const BiosColour& colour);

// "Red" or "Green", the label the tuning dialog shows.
const char* ComponentName(ColourComponent component);
// A value as the tuning dialog shows it: "%#x" (0 shows as 0).
std::string FormatBiosValue(int value);

// Readers: ErrNotLoaded, ErrFailed (the loaded kind is not Doctor64Bios, or
// the bytes cannot be read), ErrOpen; on failure the output is left unset.
EngineResult GetBiosColour(const RomImage& image, BiosColour& colour);
EngineResult GetBiosPosition(const RomImage& image, BiosPosition& position);

// Writers, each in the in-place backup style with `mode`: the file is backed
// up, both copies of the parameter bytes are written, and on any failure the
// original comes back from the backup. ErrNotLoaded, ErrFailed (wrong kind, a
// write failure), ErrFormat (the file is no longer 262144 bytes), ErrBackup,
// ErrOpen; Ok. Failures are reported through the image's sink.
EngineResult SetBiosColour(RomImage& image, BackupMode mode, const BiosColour& colour);
// Also backs up (one backup per call). Writing colour and position one after
// the other in mode Keep would leave a .bak holding the new colour: use
// SetBiosParameters to change both with one backup of the previous file.
EngineResult SetBiosPosition(RomImage& image, BackupMode mode, const BiosPosition& position);
// Colour and position in one change: one backup, all eight bytes.
EngineResult SetBiosParameters(RomImage& image, BackupMode mode, const BiosColour& colour,
                               const BiosPosition& position);

} // namespace q64
