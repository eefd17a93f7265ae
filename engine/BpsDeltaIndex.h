#pragma once
// The indexes MakeBpsDeltaPatch finds its matches with: keys of a few bytes
// taken at every Step-th position, hashed into buckets. A bucket's entries lie
// in one run of memory, so a lookup costs a cache miss or two however many
// entries it holds; the entries' bytes are asked for together before any is
// compared. Keys are read from memory as 8-byte words: a key position needs 8
// readable bytes (16 for keys longer than 8).

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

namespace q64::bpsdelta {

inline std::uint64_t Load64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// The first `Bytes` bytes at `p` as a number: the bytes themselves up to 8, a
// mix of them beyond.
template <std::size_t Bytes>
std::uint64_t KeyAt(const std::uint8_t* p) {
    static_assert(Bytes >= 1 && Bytes <= 16);
    const auto first = [](std::uint64_t v, std::size_t n) {
        if (n == 8) return v;
        if constexpr (std::endian::native == std::endian::little) return v & ((std::uint64_t{1} << (8 * n)) - 1);
        return v >> (64 - 8 * n);
    };
    if constexpr (Bytes <= 8) {
        return first(Load64(p), Bytes);
    } else {
        const std::uint64_t mixed = Load64(p) * 0xC2B2AE3D27D4EB4Full;
        return (mixed ^ (mixed >> 29)) + first(Load64(p + 8), Bytes - 8);
    }
}

// The bucket of `key` among 2^bits.
inline std::size_t HashKey(std::uint64_t key, unsigned bits) {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> (64 - bits));
}

// The smallest bit count (10 to 30) whose power of two reaches `count`.
inline unsigned BitsFor(std::size_t count) {
    unsigned bits = 10;
    while (bits < 30 && (std::size_t{1} << bits) < count) ++bits;
    return bits;
}

// A table of 32-bit entries, zero at first. A large one is mapped in huge
// pages where the system offers them: the indexes are read at random, and
// with 4 KiB pages nearly every lookup would also miss the address cache; its
// pages never written cost nothing. A small one comes from the heap. Throws
// std::bad_alloc when the memory cannot be had.
class Table {
public:
    explicit Table(std::size_t count);
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    std::uint32_t* Data() const { return data_; }
    std::uint32_t& operator[](std::size_t at) const { return data_[at]; }

private:
    void* mapping_ = nullptr;
    std::size_t mappingSize_ = 0;
    std::uint32_t* data_ = nullptr;
};

// The source's keys, sorted by bucket and within a bucket by position: the
// positions nearest the source cursor (the cheapest to copy from) are found
// by bisection. Memory: 4 bytes per key and 1 to 2 per bucket, at about four
// keys a bucket.
template <std::size_t Bytes, std::size_t Step>
class SourceIndex {
public:
    static constexpr std::size_t kKeyBytes = Bytes;
    static constexpr std::size_t kReads = Bytes <= 8 ? 8 : 16;

    SourceIndex(const std::uint8_t* source, std::size_t size)
        : count_(size < kReads ? 0 : (size - kReads) / Step + 1), bits_(BitsFor(count_ / 4)),
          bounds_((std::size_t{1} << bits_) + 1), positions_(count_) {
        const std::size_t count = count_;
        // A counting sort: sizes, then offsets, then every position into its bucket.
        const std::size_t buckets = std::size_t{1} << bits_;
        for (std::size_t n = 0; n < count; ++n) ++bounds_[Bucket(source + n * Step) + 1];
        for (std::size_t b = 1; b <= buckets; ++b) bounds_[b] += bounds_[b - 1];
        for (std::size_t n = 0; n < count; ++n)
            positions_[bounds_[Bucket(source + n * Step)]++] = static_cast<std::uint32_t>(n * Step);
        // Each bound now stands where the next bucket starts: move them up by one.
        for (std::size_t b = buckets; b > 0; --b) bounds_[b] = bounds_[b - 1];
        bounds_[0] = 0;
    }

    // The positions whose key may equal `key` (other keys share buckets), in increasing order.
    std::pair<const std::uint32_t*, const std::uint32_t*> Positions(std::uint64_t key) const {
        const std::size_t b = HashKey(key, bits_);
        return {positions_.Data() + bounds_[b], positions_.Data() + bounds_[b + 1]};
    }

private:
    std::size_t Bucket(const std::uint8_t* at) const { return HashKey(KeyAt<Bytes>(at), bits_); }

    std::size_t count_;
    unsigned bits_;
    Table bounds_;
    Table positions_;
};

// The target's keys at the positions the patch has passed: each bucket keeps
// `Ways` of them, position p in way p / Step modulo Ways, so a bucket holds
// recent positions of its keys and older ones fall out. An entry is the
// position plus one (zero: empty). Memory: 2 to 4 bytes per key.
template <std::size_t Bytes, std::size_t Step, std::size_t Ways>
class TargetIndex {
public:
    static constexpr std::size_t kWays = Ways;

    explicit TargetIndex(std::size_t size) : bits_(BitsFor(size / Step / Ways)), table_(Ways << bits_) {}

    void Add(const std::uint8_t* target, std::size_t at) {
        table_[HashKey(KeyAt<Bytes>(target + at), bits_) * Ways + at / Step % Ways] = static_cast<std::uint32_t>(at + 1);
    }

    // `Ways` entries: a position plus one, or zero.
    const std::uint32_t* Entries(std::uint64_t key) const { return table_.Data() + HashKey(key, bits_) * Ways; }

private:
    unsigned bits_;
    Table table_;
};

} // namespace q64::bpsdelta
