#include "engine/Checksum.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <zlib.h>

#include "engine/FileChange.h"
#include "engine/OperationIo.h"
#include "engine/RomImage.h"

namespace q64 {

namespace {

constexpr std::uint32_t kSeed6102 = 0xF8CA4DDCu;
constexpr std::uint32_t kSeed6103 = 0xA3886759u;
constexpr std::uint32_t kSeed6105 = 0xDF26F436u;
constexpr std::uint32_t kSeed6106 = 0x1FEA617Au;

constexpr std::uint32_t kBootCrc6103 = 0x0B050EE0u;
constexpr std::uint32_t kBootCrc6105 = 0x98BC2C86u;
constexpr std::uint32_t kBootCrc6106 = 0xACC8580Au;

constexpr std::int64_t kMinimumSize = checksum::kDataStart;
constexpr std::int64_t kFullSize = checksum::kDataEnd;

std::uint32_t Seed(BootChip chip) {
    switch (chip) {
    case BootChip::Cic6102: return kSeed6102;
    case BootChip::Cic6103: return kSeed6103;
    case BootChip::Cic6105: return kSeed6105;
    case BootChip::Cic6106: return kSeed6106;
    }
    return kSeed6102;
}

std::uint32_t Big32(const std::uint8_t* b) {
    return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
}

std::uint32_t RotateLeft(std::uint32_t v, unsigned bits) {
    bits &= 31u;
    return bits == 0 ? v : (v << bits) | (v >> (32u - bits));
}

// Brings `count` file bytes into canonical order in place.
void ToCanonical(std::uint8_t* bytes, std::size_t count, ImageFormat format) {
    if (format != ImageFormat::ByteSwapped) return;
    for (std::size_t i = 0; i + 1 < count; i += 2) std::swap(bytes[i], bytes[i + 1]);
}

struct FileCloser {
    void operator()(std::FILE* f) const { if (f) std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

} // namespace

BootChip BootChipForCrc(std::uint32_t bootCrc) {
    switch (bootCrc) {
    case kBootCrc6103: return BootChip::Cic6103;
    case kBootCrc6105: return BootChip::Cic6105;
    case kBootCrc6106: return BootChip::Cic6106;
    default: return BootChip::Cic6102;
    }
}

BootChip BootChipOf(const std::uint8_t* boot) {
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), boot + checksum::kBootStart,
                            static_cast<uInt>(checksum::kDataStart - checksum::kBootStart));
    return BootChipForCrc(static_cast<std::uint32_t>(crc));
}

ChecksumSum::ChecksumSum(BootChip chip, const std::array<std::uint32_t, 64>& table6105)
    : chip_(chip), table_(table6105) {
    t1_ = t2_ = t3_ = t4_ = t5_ = t6_ = Seed(chip);
}

void ChecksumSum::AddCanonical(const std::uint8_t* bytes, std::size_t count, std::size_t fileOffset) {
    std::uint32_t t1 = t1_, t2 = t2_, t3 = t3_, t4 = t4_, t5 = t5_, t6 = t6_;
    const bool mix6105 = chip_ == BootChip::Cic6105;
    for (std::size_t i = 0; i + 4 <= count; i += 4) {
        const std::uint32_t w = Big32(bytes + i);
        const std::uint32_t sum = t6 + w;
        if (sum < t6) ++t4;
        t6 = sum;
        t3 ^= w;
        const std::uint32_t r = RotateLeft(w, w & 31u);
        t5 += r;
        if (w < t2)
            t2 ^= r;
        else
            t2 ^= t6 ^ w;
        if (mix6105)
            t1 += table_[((fileOffset + i) & 0xFFu) / 4] ^ w;
        else
            t1 += t5 ^ w;
    }
    t1_ = t1, t2_ = t2, t3_ = t3, t4_ = t4, t5_ = t5, t6_ = t6;
}

void ChecksumSum::Finish(std::uint32_t& new1, std::uint32_t& new2) const {
    switch (chip_) {
    case BootChip::Cic6102:
    case BootChip::Cic6105:
        new1 = t6_ ^ t4_ ^ t3_;
        new2 = t5_ ^ t2_ ^ t1_;
        return;
    case BootChip::Cic6103:
        new1 = (t6_ ^ t4_) + t3_;
        new2 = (t5_ ^ t2_) + t1_;
        return;
    case BootChip::Cic6106:
        new1 = t6_ * t4_ + t3_;
        new2 = t5_ * t2_ + t1_;
        return;
    }
}

namespace {

// Sums the open file (positioned anywhere) into `values`; uses the work buffer.
EngineResult SumFile(RomImage& image, std::FILE* file, std::int64_t size, ChecksumValues& values) {
    std::uint8_t* buffer = image.WorkBuffer();
    const ImageFormat format = image.ByteOrder();

    // Boot area: the stored pair, the boot chip and the 6105 table.
    if (std::fseek(file, 0, SEEK_SET) != 0 ||
        ReadUpTo(file, buffer, checksum::kDataStart) != checksum::kDataStart)
        return Failure(image, EngineResult::ErrFailed, messages::kRead);
    ToCanonical(buffer, checksum::kDataStart, format);
    values.stored1 = Big32(buffer + header::kChecksum1);
    values.stored2 = Big32(buffer + header::kChecksum2);
    values.chip = BootChipOf(buffer);
    std::array<std::uint32_t, 64> table{};
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = Big32(buffer + checksum::kChip6105Table + 4 * i);

    ChecksumSum sum(values.chip, table);
    std::size_t offset = checksum::kDataStart;
    const std::size_t available =
        size >= kFullSize ? checksum::kDataEnd : static_cast<std::size_t>(size); // file bytes to read
    while (offset < checksum::kDataEnd) {
        const std::size_t chunk = std::min(kWorkBufferSize, checksum::kDataEnd - offset);
        const std::size_t wanted = offset < available ? std::min(chunk, available - offset) : 0;
        const std::size_t got = ReadUpTo(file, buffer, wanted);
        if (got != wanted) return Failure(image, EngineResult::ErrFailed, messages::kRead);
        std::fill(buffer + got, buffer + chunk, std::uint8_t{0}); // past the end counts as zeros
        ToCanonical(buffer, got, format);
        sum.AddCanonical(buffer, chunk, offset);
        offset += chunk;
    }
    sum.Finish(values.new1, values.new2);
    return EngineResult::Ok;
}

// The pair in the file's own byte order, as stored at file offset 16.
std::array<std::uint8_t, 8> PairBytes(std::uint32_t new1, std::uint32_t new2, ImageFormat format) {
    std::array<std::uint8_t, 8> b{};
    for (int i = 0; i < 4; ++i) {
        b[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(new1 >> (24 - 8 * i));
        b[static_cast<std::size_t>(4 + i)] = static_cast<std::uint8_t>(new2 >> (24 - 8 * i));
    }
    ToCanonical(b.data(), b.size(), format);
    return b;
}

} // namespace

EngineResult CalcChecksum(RomImage& image, BackupMode mode, ChecksumFix fix, ChecksumValues& values) {
    values = ChecksumValues{};
    if (!image.IsLoaded()) return EngineResult::ErrNotLoaded;
    if (image.GetKind() != FileKind::Image) return Failure(image, EngineResult::ErrFailed, messages::kNotImage);
    const std::string& path = image.Path();

    {
        File file(OpenForReading(path));
        if (!file) return Failure(image, EngineResult::ErrOpen, messages::kOpenForRead);
        const std::int64_t size = StreamSize(file.get());
        if (size < 0) return Failure(image, EngineResult::ErrFailed, messages::kRead);
        if (size < kFullSize) {
            if (size < kMinimumSize)
                return Failure(image, EngineResult::ErrFailed, "File Too Small for a Checksum");
            if (size % 4 != 0)
                return Failure(image, EngineResult::ErrFormat, "File Size is Not a Multiple of 4");
        }
        const EngineResult summed = SumFile(image, file.get(), size, values);
        if (summed != EngineResult::Ok) return summed;
    }
    if (fix == ChecksumFix::No) return EngineResult::Ok;

    const auto pair = PairBytes(values.new1, values.new2, image.ByteOrder());
    return WriteInPlace(image, mode, static_cast<long>(header::kChecksum1), pair.data(), pair.size());
}

} // namespace q64
