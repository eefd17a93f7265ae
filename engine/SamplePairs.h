#pragma once
// Synthetic pairs of an original image and a modified copy, of the kinds of
// change patches are made for: moved blocks, an inserted block, text whose
// strings changed length, scattered edits, an image grown or shrunk. Blocks
// move in whole 32-bit words, as the console's data does; text shifts by any
// count of bytes. The tests make small pairs, the benchmarks large ones; no
// content comes from a real cartridge.

#include <cstddef>
#include <cstdint>

#include "engine/EngineTypes.h"
#include "engine/SampleFiles.h"

namespace q64::samples {

enum class PairKind {
    MovedBlocks,    // eight blocks cut out and put back elsewhere; same size
    InsertedBlock,  // 64 KiB of new data inserted at a third; the rest follows it
    ShiftedText,    // strings in every text region replaced by longer or shorter ones
    ScatteredEdits, // 1 to 8 bytes changed in every 8 KiB on average
    Grown,          // 4 MiB more: new code, data and text, and relocated blocks
    Shrunk,         // the padding and three blocks gone
};

constexpr PairKind kAllPairKinds[] = {PairKind::MovedBlocks,    PairKind::InsertedBlock, PairKind::ShiftedText,
                                      PairKind::ScatteredEdits, PairKind::Grown,         PairKind::Shrunk};

// A short lower-case name: "moved", "inserted", "shifted-text", "scattered", "grown", "shrunk".
const char* PairKindName(PairKind kind);

struct ImagePair {
    Bytes original;
    Bytes modified;
};

// An image of `size` bytes (at least 64 KiB) laid out like a cartridge: a
// header and boot code, then regions of code (32-bit words from a common set),
// packed data, text and tiles, then 0xFF padding. `seed` varies the content.
Bytes MakeRichImage(std::size_t size, std::uint32_t seed = 1);

// A pair of `kind` from an image of `size` bytes, both stored in `format`.
ImagePair MakeImagePair(PairKind kind, std::size_t size, ImageFormat format = ImageFormat::BigEndian,
                        std::uint32_t seed = 1);

} // namespace q64::samples
