#pragma once
// Truncating an image or padding it with zero bytes to a new size.

#include <cstdint>

#include "engine/EngineTypes.h"

namespace q64 {

class RomImage;

// Sizes the Re-Size dialog and `q64 resize` offer: even Mbit counts 2..256.
constexpr long kResizeMinMbit = 2;
constexpr long kResizeMaxMbit = 256;
inline constexpr const char* kResizeRangeMessage = "New Size MUST be a Multiple of 2\nand between 2 - 256";
inline bool IsResizeMbitAllowed(long mbit) {
    return mbit >= kResizeMinMbit && mbit <= kResizeMaxMbit && mbit % 2 == 0;
}

// Rewrites the loaded uncompressed image as its first newSizeBytes bytes,
// padded with 0x00 when the image is shorter (any size, not only whole chunks).
// newSizeBytes must hold the 64-byte header and stay within 256 Mbit
// (ErrFormat otherwise, nothing touched); a little-endian image takes only
// a whole number of words. Rewrite style of the backup protocol.
// Progress is (S - K) / S of the original size S, K being the bytes still to
// copy: cutting 64 Mbit to 32 starts at 50, and growing reaches 100 when the
// old bytes are copied (the zero padding after them is not reported and cannot
// be cancelled). Results and restore on failure as FlipByteOrder.
EngineResult ResizeImage(RomImage& image, std::int64_t newSizeBytes, BackupMode mode, const ProgressFn& progress);

} // namespace q64
