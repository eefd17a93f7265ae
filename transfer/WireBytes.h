#pragma once
// Pure helpers over bytes shared by the protocols: pair exchange for byte
// order, the Doctor V64 name block, 32-bit little-endian fields.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/EngineTypes.h"

namespace q64 {

// Exchanges the bytes of every pair (0,1), (2,3), ...; an odd last byte stays.
void SwapPairs(std::uint8_t* bytes, std::size_t count);

// Whether a Doctor V64 needs the pairs exchanged: the unit expects big-endian
// order when the "BIOS" setting is 2, byte-swapped order otherwise.
inline bool V64NeedsSwap(ImageFormat format, int byteOrderSetting) {
    return (format == ImageFormat::ByteSwapped) == (byteOrderSetting == 2);
}

// The 11-byte name of a path: the name without folder and extension cut or
// padded with spaces to 8, then the extension without its dot to 3. Trailing
// spaces of each part are dropped first; no case change.
std::array<std::uint8_t, 11> NameBlock(const std::string& path);

// Brings `count` bytes read from an image file of `format` into canonical
// (big-endian) order in place. The bytes must start at a file offset that is
// a multiple of 4, and `count` must be one too except for the file's last
// piece. Every image byte order is one case here.
void ToCanonicalOrder(std::uint8_t* bytes, std::size_t count, ImageFormat format);

inline std::uint32_t LittleEndian32(const std::uint8_t* b) {
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

} // namespace q64
