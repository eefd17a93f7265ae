#pragma once
// Making a BPS patch that copies: a pure function over the original and the
// modified bytes, on the bytes as stored (see engine/BpsPatch.h for the
// layout). Where PatchMaker's BPS writer reads the source only at the same
// position, this one finds the target's bytes anywhere in the source or in
// the target already written, so moved, shifted, inserted and repeated data
// cost a few bytes each.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/EngineTypes.h"

namespace q64 {

// A BPS patch that turns `source` into `target` with all four actions.
// Matches are found through hashed keys of 6 and 12 bytes at every second
// position of the source and of the target written so far, and grown in both
// directions. At each position the writer takes the way on that saves the
// most bytes after its own cost (header and cursor step): reading the source
// in place, either copy cursor going on, or a match found; a copy that does
// not save more than it costs stays part of the literal bytes around it, and a
// long match found a little later takes back the short ones it covers. The
// result is never larger than MakeBpsPatch's: that is made too, and the
// smaller kept. Time: about linear in the sizes. Memory: the patch (twice),
// and about 5 bytes per source byte and 3 per target byte for the indexes
// (std::bad_alloc when they cannot be had). No metadata. `progress` hears the
// share of the target written, checked every kPatchProgressStep bytes, and
// 100 when the patch is complete; when it asks to stop the result is empty.
std::vector<std::uint8_t> MakeBpsDeltaPatch(const std::uint8_t* source, std::size_t sourceSize,
                                            const std::uint8_t* target, std::size_t targetSize,
                                            const ProgressFn& progress = {});

} // namespace q64
