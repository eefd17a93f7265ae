#pragma once
// BPS patches: reading a patch and running its actions over bytes in memory.
// Pure functions: the file handling is in engine/Patches.h.
//
// Patch layout:
//   "BPS1"
//   number: source size; number: target size; number: metadata size M; M bytes of metadata
//   actions, up to the last 12 bytes: a number (length - 1) << 2 | kind, then
//     SourceRead (0): the source's bytes at the same position as the output
//     TargetRead (1): `length` bytes that follow in the patch
//     SourceCopy (2): a signed step of the source cursor, then `length` bytes from it
//     TargetCopy (3): a signed step of the target cursor, then `length` bytes from the
//                     output already written (byte by byte: overlapping repeats a pattern)
//     a signed step is written as the number |step| << 1 | (1 when negative);
//     each cursor then moves past the bytes it copied
//   CRC-32 of the source, of the target, and of the patch before these last four
//   bytes: 4 bytes each, least significant first
// Numbers take 7 bits a byte, least significant group first, with bit 7 set in
// the last byte; every byte that is not the last adds one to the next group,
// so each value has exactly one encoding.
// Patches are made and applied on the bytes as stored: no byte-order conversion.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace q64 {

namespace bps {
constexpr char kSignature[] = "BPS1";
constexpr std::size_t kSignatureSize = 4;
constexpr std::size_t kCrcSize = 4;
constexpr std::size_t kFooterSize = 3 * kCrcSize; // source, target and patch CRC-32
// The largest source or target a patch may describe (eight times the largest
// cartridge); a patch file larger than this is refused before it is read.
constexpr std::uint64_t kMaxSize = 256u * 1024 * 1024;
} // namespace bps

enum class BpsAction : unsigned { SourceRead = 0, TargetRead = 1, SourceCopy = 2, TargetCopy = 3 };

enum class BpsDefect {
    None,
    NotPatch,       // does not start with "BPS1"
    CutShort,       // too short to hold the signature, the sizes and the three CRC-32
    PatchCrc,       // the patch's own CRC-32 does not match its bytes (damaged or cut)
    BadHeader,      // a size runs into the footer, or the metadata does
    TooLarge,       // the source or target size is over bps::kMaxSize
    BadAction,      // an action reads or writes outside the source, the output or the patch
    ShortTarget,    // the actions end before the whole target is written
    SourceMismatch, // the image's size or CRC-32 is not the source's
    TargetCrc,      // the result's CRC-32 is not the target's
};

struct BpsHeader {
    BpsDefect defect = BpsDefect::None;
    std::uint64_t sourceSize = 0;
    std::uint64_t targetSize = 0;
    std::size_t metadataAt = 0; // position of the metadata in the patch
    std::size_t metadataSize = 0;
    std::size_t actionsAt = 0;  // the actions are [actionsAt, actionsEnd)
    std::size_t actionsEnd = 0;
    std::uint32_t sourceCrc = 0;
    std::uint32_t targetCrc = 0;
};

// What running a patch found: a defect with the patch position of the action
// at fault (BadAction), and the CRC-32 of the bytes that failed their check
// (the source for SourceMismatch, the result for TargetCrc).
struct BpsOutcome {
    BpsDefect defect = BpsDefect::None;
    std::size_t defectAt = 0;
    std::uint32_t actualCrc = 0;
};

// Reads one number at `at` (never at or past `end`) and moves `at` past it.
// False when it runs to `end` or does not fit into 64 bits.
bool ReadBpsNumber(const std::uint8_t* bytes, std::size_t end, std::size_t& at, std::uint64_t& value);
void AppendBpsNumber(std::vector<std::uint8_t>& out, std::uint64_t value);

// The zlib CRC-32 of `size` bytes.
std::uint32_t Crc32(const std::uint8_t* bytes, std::size_t size);

// Checks the signature and the patch's own CRC-32 and reads the sizes, the
// metadata's place and the source and target CRC-32. Never reads outside
// [patch, patch + size).
BpsHeader ParseBpsPatch(const std::uint8_t* patch, std::size_t size);

// Runs a defect-free patch over `source`: checks the source's size and
// CRC-32, writes the target into `target` (resized to the target size) and
// checks its CRC-32. On any defect `target` holds nothing to be used.
BpsOutcome ApplyBpsToBuffer(const BpsHeader& header, const std::uint8_t* patch, const std::uint8_t* source,
                            std::size_t sourceSize, std::vector<std::uint8_t>& target);

} // namespace q64
