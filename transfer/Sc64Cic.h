#pragma once
// The boot chip parameters a SummerCart64 hands the console: the seed and the
// 48-bit checksum of the boot code (IPL3, canonical bytes 0x40..0xFFF of an
// image) that the console's boot ROM verifies before it runs that code. The
// cart emulates the boot chip with whatever CIC_PARAMS_SET gave it, so an
// image booted directly needs the pair of its own boot code, and one booted
// through the cart's bootloader the pair of the bootloader's.

#include <cstddef>
#include <cstdint>

namespace q64 {

namespace sc64 {
constexpr std::size_t kIpl3Offset = 0x40;  // where the boot code starts in an image
constexpr std::size_t kIpl3Length = 0xFC0; // its length: 1008 big-endian words
} // namespace sc64

struct CicParams {
    std::uint8_t seed = 0x3F;
    std::uint64_t checksum = 0; // 48 bits
    bool known = false;         // a boot code of a known boot chip
};

// The 48-bit checksum the boot ROM computes over `ipl3` (kIpl3Length
// canonical bytes) with `seed`.
std::uint64_t Ipl3Checksum(const std::uint8_t* ipl3, std::uint8_t seed);

// The parameters for `ipl3`: the first known seed/checksum pair it matches;
// else, for a boot code whose CRC-32 names a boot chip, that chip's seed;
// else the 6102 seed 0x3F. The checksum is always the boot code's own, so a
// changed boot code still boots, signed with a seed that may be wrong.
CicParams SignIpl3(const std::uint8_t* ipl3);

// CIC_PARAMS_SET's two arguments: bit 24 of the first disables the chip,
// bits 16..23 hold the seed, the rest the checksum's top 16 bits; the second
// holds its low 32 bits.
std::uint32_t CicArgument0(const CicParams& params);
std::uint32_t CicArgument1(const CicParams& params);

} // namespace q64
