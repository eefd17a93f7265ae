#pragma once
// Swapping an image between the two byte orders ("Doctor 64" and "SP64/WC/Z64").

#include <cstddef>
#include <cstdint>

#include "engine/EngineTypes.h"

namespace q64 {

class RomImage;

// Swaps bytes i and i+1 for every even i below count; an odd last byte stays.
void SwapBytePairs(std::uint8_t* bytes, std::size_t count);

// Rewrites the loaded uncompressed image with every pair of bytes swapped, so
// it reads in the other byte order with the same title and checksums. An odd
// last byte is copied as it is. Rewrite style of the backup protocol; progress
// as the share of the file written. ErrNotLoaded; ErrFailed for any other kind
// (nothing touched) or a read/write failure; ErrBackup; ErrOpen when the file
// cannot be read or the new file cannot be created ("Unable to Open File for
// Write"); ErrCancelled. On every failure the file is back under its own name.
EngineResult FlipByteOrder(RomImage& image, BackupMode mode, const ProgressFn& progress);

} // namespace q64
