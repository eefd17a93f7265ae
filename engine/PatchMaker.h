#pragma once
// Making IPS and BPS patches from an original and a modified file: pure
// functions over the two byte buffers, on the bytes as stored. The patch is
// built in memory; it is never larger than the changed bytes plus a few bytes
// of bookkeeping per change (IPS) or per run of the output (BPS).

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/EngineTypes.h"

namespace q64 {

// The makers check their progress callback each time they have passed this
// many more bytes of the modified file (and call it when the percentage changed).
constexpr std::size_t kPatchProgressStep = 64 * 1024;

namespace ips {
// A 3-byte offset reaches 16 MiB: larger files cannot be described in IPS.
constexpr std::size_t kMaxMakeSize = std::size_t{1} << 24;
constexpr std::size_t kMaxRecordLength = 65535;
} // namespace ips

// An IPS patch that turns `original` into `modified`: records only for the
// bytes that differ (gaps of up to 5 equal bytes are written through, which
// is cheaper than a new record), run-length records where a run of one value
// is cheaper than its bytes, every record at most 65535 bytes, never a record
// at offset 0x454F46 (read as "EOF": such a record starts one byte earlier),
// bytes past the original's end written like changes, then "EOF" and, when
// `modified` is shorter, its size. False (and `patch` empty) when either file
// is over 16 MiB.
bool MakeIpsPatch(const std::uint8_t* original, std::size_t originalSize, const std::uint8_t* modified,
                  std::size_t modifiedSize, std::vector<std::uint8_t>& patch);

// A BPS patch that turns `source` into `target`, in one pass: SourceRead for
// every run of at least 4 bytes equal at the same position, TargetRead for
// the bytes between, and, inside those, TargetRead of one byte followed by
// TargetCopy of the rest for a run of 8 or more equal bytes. No metadata.
// `progress` hears the share of the target written and 100 when the patch is
// complete; when it asks to stop the result is empty.
std::vector<std::uint8_t> MakeBpsPatch(const std::uint8_t* source, std::size_t sourceSize, const std::uint8_t* target,
                                       std::size_t targetSize, const ProgressFn& progress = {});

} // namespace q64
