#include "transfer/Sc64Cic.h"

#include <bit>
#include <zlib.h>

#include "engine/Checksum.h"

namespace q64 {

namespace {

constexpr std::uint32_t kMagic = 0x6C078965;
constexpr std::uint32_t kWords = sc64::kIpl3Length / 4;

struct KnownPair {
    std::uint8_t seed;
    std::uint64_t checksum;
};

// The boot codes the cart's maker lists, tried in this order.
constexpr KnownPair kKnownPairs[] = {
    {0xDD, 0x083C6C77E0B1}, // 5167
    {0x3F, 0x45CC73EE317A}, // 6101
    {0x3F, 0x44160EC5D9AF}, // 7102
    {0x3F, 0xA536C0F1D859}, // 6102, 7101
    {0x78, 0x586FD4709867}, // 6103, 7103
    {0x91, 0x8618A45BC2D3}, // 6105, 7105
    {0x85, 0x2BBAD4E6EB74}, // 6106, 7106
    {0xDD, 0x6EE8D9E84970}, // 64DD, NDXJ0
    {0xDD, 0x6C216495C8B9}, // 64DD, NDDJ0
    {0xDD, 0xE27F43BA93AC}, // 64DD, NDDJ1
    {0xDD, 0x32B294E2AB90}, // 64DD, NDDJ2
    {0xDE, 0x05BA2EF0A5F1}, // 64DD, NDDE0
};

std::uint32_t Word(const std::uint8_t* ipl3, std::uint32_t index) {
    const std::uint8_t* b = ipl3 + 4 * index;
    return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
}

// The boot ROM's mixing step: the high word of a 64-bit product minus its
// low word, or `a0` itself when they are equal.
std::uint32_t Mix(std::uint32_t a0, std::uint32_t a1, std::uint32_t a2) {
    const std::uint64_t product = std::uint64_t{a0} * (a1 == 0 ? a2 : a1);
    const std::uint32_t difference = static_cast<std::uint32_t>(product >> 32) - static_cast<std::uint32_t>(product);
    return difference == 0 ? a0 : difference;
}

std::uint32_t Rol(std::uint32_t v, std::uint32_t s) { return std::rotl(v, static_cast<int>(s)); }
std::uint32_t Ror(std::uint32_t v, std::uint32_t s) { return std::rotr(v, static_cast<int>(s)); }

std::uint8_t SeedOfChip(BootChip chip) {
    switch (chip) {
    case BootChip::Cic6102: return 0x3F;
    case BootChip::Cic6103: return 0x78;
    case BootChip::Cic6105: return 0x91;
    case BootChip::Cic6106: return 0x85;
    }
    return 0x3F;
}

} // namespace

std::uint64_t Ipl3Checksum(const std::uint8_t* ipl3, std::uint8_t seed) {
    std::uint32_t buf[16];
    const std::uint32_t init = (kMagic * seed + 1) ^ Word(ipl3, 0);
    for (std::uint32_t& b : buf) b = init;

    for (std::uint32_t i = 1; i <= kWords; ++i) {
        const std::uint32_t prev = Word(ipl3, i >= 2 ? i - 2 : 0);
        const std::uint32_t data = Word(ipl3, i - 1);

        buf[0] += Mix(1007 - i, data, i);
        buf[1] = Mix(buf[1], data, i);
        buf[2] ^= data;
        buf[3] += Mix(data + 5, kMagic, i);
        buf[4] += Ror(data, prev & 0x1F);
        buf[5] += Rol(data, prev >> 27);
        buf[6] = data < buf[6] ? (buf[3] + buf[6]) ^ (data + i) : (buf[4] + data) ^ buf[6];
        buf[7] = Mix(buf[7], Rol(data, prev & 0x1F), i);
        buf[8] = Mix(buf[8], Ror(data, prev >> 27), i);
        buf[9] = prev < data ? Mix(buf[9], data, i) : buf[9] + data;
        if (i == kWords) break;

        const std::uint32_t next = Word(ipl3, i);
        buf[10] = Mix(buf[10] + data, next, i);
        buf[11] = Mix(buf[11] ^ data, next, i);
        buf[12] += buf[8] ^ data;
        buf[13] += Ror(data, data & 0x1F) + Ror(next, next & 0x1F);
        buf[14] = Mix(Mix(buf[14], Ror(data, prev & 0x1F), i), Ror(next, data & 0x1F), i);
        buf[15] = Mix(Mix(buf[15], Rol(data, prev >> 27), i), Rol(next, data >> 27), i);
    }

    std::uint32_t last[4] = {buf[0], buf[0], buf[0], buf[0]};
    for (std::uint32_t i = 0; i < 16; ++i) {
        const std::uint32_t data = buf[i];
        last[0] += Ror(data, data & 0x1F);
        last[1] = data < last[0] ? last[1] + data : Mix(last[1], data, i);
        last[2] = ((data & 2) >> 1) == (data & 1) ? last[2] + data : Mix(last[2], data, i);
        last[3] = (data & 1) == 1 ? last[3] ^ data : Mix(last[3], data, i);
    }
    const std::uint32_t sum = Mix(last[0], last[1], 16);
    const std::uint32_t mixed = last[3] ^ last[2];
    return std::uint64_t{sum & 0xFFFF} << 32 | mixed;
}

CicParams SignIpl3(const std::uint8_t* ipl3) {
    for (const KnownPair& pair : kKnownPairs)
        if (Ipl3Checksum(ipl3, pair.seed) == pair.checksum) return CicParams{pair.seed, pair.checksum, true};
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), ipl3, static_cast<uInt>(sc64::kIpl3Length));
    const std::uint8_t seed = SeedOfChip(BootChipForCrc(static_cast<std::uint32_t>(crc)));
    return CicParams{seed, Ipl3Checksum(ipl3, seed), false};
}

std::uint32_t CicArgument0(const CicParams& params) {
    return std::uint32_t{params.seed} << 16 | static_cast<std::uint32_t>(params.checksum >> 32 & 0xFFFF);
}

std::uint32_t CicArgument1(const CicParams& params) { return static_cast<std::uint32_t>(params.checksum); }

} // namespace q64
