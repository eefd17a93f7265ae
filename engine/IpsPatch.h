#pragma once
// IPS patches: reading a patch into a list of changes (a pure function over
// the patch bytes) and applying it to the loaded image in place, through the
// in-place backup style.
//
// Patch layout, every number big-endian and unsigned:
//   "PATCH"
//   records: offset (3 bytes), length L (2); L > 0: L bytes to write at the
//            offset; L = 0: run length N (2) and one byte V, N copies of V
//   "EOF" (read where an offset would be: 0x454F46)
//   optional size record (3 bytes): the new length of the target file
// Nothing else may follow "EOF": a tail of any other length than 0 or 3 bytes
// (junk, or a record at offset 0x454F46 mistaken for the marker) is refused.
// Offsets address the file exactly as stored: no byte-order conversion.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/EngineTypes.h"

namespace q64 {

class RomImage;

namespace ips {
constexpr char kSignature[] = "PATCH";
constexpr std::size_t kSignatureSize = 5;
constexpr std::uint32_t kEofOffset = 0x454F46; // "EOF" read as an offset
constexpr std::size_t kOffsetSize = 3;
constexpr std::size_t kLengthSize = 2;
constexpr std::size_t kRunHeaderSize = 3;      // run length (2) and value (1)
constexpr std::size_t kSizeRecordSize = 3;
// Patches are read whole; anything larger than this is refused.
constexpr std::size_t kMaxPatchSize = 256u * 1024 * 1024;
} // namespace ips

enum class IpsRecordKind { Data, Run };

// One change to the target, in patch order (later changes win where they overlap).
struct IpsChange {
    IpsRecordKind kind = IpsRecordKind::Data;
    std::uint32_t offset = 0;
    std::uint32_t length = 0;  // bytes written (a run of length 0 writes nothing)
    std::size_t dataAt = 0;    // Data: position of the bytes in the patch
    std::uint8_t value = 0;    // Run: the repeated byte
};

enum class IpsDefect {
    None,
    NotPatch,     // does not start with "PATCH"
    CutRecord,    // the patch ends inside a record (offset, length, run or data bytes missing)
    BadTail       // after "EOF" follow neither 0 nor exactly 3 bytes (IpsPlan::tailSize)
};

struct IpsPlan {
    IpsDefect defect = IpsDefect::None;
    std::size_t defectAt = 0;  // patch offset of the damaged record, or of the tail after "EOF"
    std::size_t tailSize = 0;  // BadTail: how many bytes follow "EOF"
    std::vector<IpsChange> changes;
    bool endMarker = false;    // "EOF" was present
    std::optional<std::uint32_t> newSize; // the size record, when present
};

// Reads the whole patch. Never reads outside [patch, patch + size). A patch
// that ends cleanly after a record without "EOF" is complete; one that ends
// inside a record is reported as CutRecord, one with a tail after "EOF" that
// is not a 3-byte size as BadTail; neither may be applied.
IpsPlan ParseIpsPatch(const std::uint8_t* patch, std::size_t size);

// The target's length after applying `plan` to a file of `currentSize` bytes:
// records past the end extend it, the size record then sets it.
std::uint64_t PatchedSize(const IpsPlan& plan, std::uint64_t currentSize);

// Applies a defect-free plan to bytes in memory, growing (with zeros) and
// cutting `target` as the file would be.
void ApplyIpsToBuffer(const IpsPlan& plan, const std::uint8_t* patch, std::vector<std::uint8_t>& target);

// Applies the patch at `patchPath` to the loaded file, in place, in the file's
// stored byte order. The whole patch is read and checked before the file is
// touched. Results: ErrNotLoaded; ErrOpen (image or patch unreadable);
// ErrNotPatch (no "PATCH" signature; nothing changed, no backup made);
// ErrFormat (a damaged patch, the patch is the image's own backup name, or
// a little-endian image, which must be converted first; nothing changed); ErrBackup; ErrFailed (a write failed: the original is
// restored from the backup, except in mode NoneInPlace, which has none); Ok.
// Every failure is reported through the image's message sink.
EngineResult ApplyIpsPatch(RomImage& image, BackupMode mode, const std::string& patchPath);

} // namespace q64
