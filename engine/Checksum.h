#pragma once
// The two header checksums of a cartridge image: the sum over the first
// mebibyte after the 4096-byte boot area, and the operation that compares it
// with the stored pair and, on request, writes it into the file.

#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/EngineTypes.h"

namespace q64 {

class RomImage;

// File layout the sum reads (canonical offsets; the same in both byte orders
// since pair swapping keeps every 4-byte word in place).
namespace checksum {
constexpr std::size_t kBootStart = 0x40;      // boot code, identifies the boot chip
constexpr std::size_t kDataStart = 0x1000;    // first summed byte
constexpr std::size_t kDataLength = 0x100000; // summed bytes, zero padded past the end
constexpr std::size_t kDataEnd = kDataStart + kDataLength;
constexpr std::size_t kChip6105Table = 0x750; // 64 boot words the 6105 sum mixes in
} // namespace checksum

// The boot chip an image was made for; each sums with its own seed and
// finishing step. 6101 images sum like 6102 ones and are reported as such.
enum class BootChip : int {
    Cic6102 = 6102,
    Cic6103 = 6103,
    Cic6105 = 6105,
    Cic6106 = 6106,
};

// The chip whose boot code has this CRC-32 (zlib's crc32 over canonical bytes
// 0x40..0xFFF); Cic6102 for any unknown code.
BootChip BootChipForCrc(std::uint32_t bootCrc);
// The chip of an image from its first 4096 canonical bytes.
BootChip BootChipOf(const std::uint8_t* canonicalBoot4096);

enum class ChecksumFix : int {
    No = 0,  // compute and compare only
    Yes = 1, // also write the computed pair into the file
};

struct ChecksumValues {
    std::uint32_t stored1 = 0;
    std::uint32_t stored2 = 0;
    std::uint32_t new1 = 0;
    std::uint32_t new2 = 0;
    BootChip chip = BootChip::Cic6102;
    bool Valid() const { return stored1 == new1 && stored2 == new2; }
};

// Running sum over canonical big-endian words, in file order. Pure: knows no
// files. For the 6105 chip, `table6105` holds the 64 canonical boot words at
// file offset 0x750.
class ChecksumSum {
public:
    ChecksumSum(BootChip chip, const std::array<std::uint32_t, 64>& table6105 = {});
    // Adds `count` bytes (a multiple of 4) in canonical order; `fileOffset` is
    // the file offset of bytes[0] (a multiple of 4).
    void AddCanonical(const std::uint8_t* bytes, std::size_t count, std::size_t fileOffset);
    // The pair as the chip finishes it.
    void Finish(std::uint32_t& new1, std::uint32_t& new2) const;

private:
    BootChip chip_;
    std::array<std::uint32_t, 64> table_;
    std::uint32_t t1_, t2_, t3_, t4_, t5_, t6_;
};

// Computes the pair of the loaded uncompressed image over file bytes
// 0x1000..0x100FFF (zero padded when the file is shorter) with the formula of
// its boot chip, and reads the stored pair. With fix Yes the computed pair is
// written at file offset 16 in the file's own byte order, after an in-place
// backup (none in mode NoneInPlace); only those eight bytes change.
// Results: ErrNotLoaded; ErrFailed for a compressed image, a file under 4096
// bytes or a read/write failure; ErrFormat for a file under 1052672 bytes whose
// size is not a multiple of 4; ErrOpen; ErrBackup. The size checks come before
// any backup, and a failed write restores the file from its backup.
EngineResult CalcChecksum(RomImage& image, BackupMode mode, ChecksumFix fix, ChecksumValues& values);

} // namespace q64
