#include "engine/ByteOrder.h"

#include <cctype>
#include <cstring>
#include <sys/stat.h>
#include <utility>

#include "engine/CopyLoop.h"
#include "engine/OperationIo.h"
#include "engine/PathNames.h"
#include "engine/RomImage.h"

namespace q64 {

void SwapBytePairs(std::uint8_t* bytes, std::size_t count) {
    // Eight bytes at a time: the pairs inside a 64-bit word swap the same way
    // whatever the host's byte order.
    constexpr std::uint64_t kLow = 0x00FF00FF00FF00FFull;
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        word = ((word & kLow) << 8) | ((word >> 8) & kLow);
        std::memcpy(bytes + i, &word, 8);
    }
    for (; i + 1 < count; i += 2) std::swap(bytes[i], bytes[i + 1]);
}

void ReverseWords(std::uint8_t* bytes, std::size_t count) {
    // Reversing the bytes of each 32-bit half of a 64-bit word does not depend
    // on the host's byte order either.
    constexpr std::uint64_t kLow8 = 0x00FF00FF00FF00FFull;
    constexpr std::uint64_t kLow16 = 0x0000FFFF0000FFFFull;
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        word = ((word & kLow8) << 8) | ((word >> 8) & kLow8);
        word = ((word & kLow16) << 16) | ((word >> 16) & kLow16);
        std::memcpy(bytes + i, &word, 8);
    }
    for (; i + 4 <= count; i += 4) {
        std::swap(bytes[i], bytes[i + 3]);
        std::swap(bytes[i + 1], bytes[i + 2]);
    }
}

void ToCanonical(std::uint8_t* bytes, std::size_t count, ImageFormat format) {
    switch (format) {
    case ImageFormat::ByteSwapped: SwapBytePairs(bytes, count); return;
    case ImageFormat::BigEndian: return;
    case ImageFormat::LittleEndian: ReverseWords(bytes, count); return;
    }
}

// Both exchanges undo themselves.
void FromCanonical(std::uint8_t* bytes, std::size_t count, ImageFormat format) { ToCanonical(bytes, count, format); }

void ConvertOrder(std::uint8_t* bytes, std::size_t count, ImageFormat from, ImageFormat to) {
    if (from == to) return;
    if (from != ImageFormat::LittleEndian && to != ImageFormat::LittleEndian) {
        SwapBytePairs(bytes, count); // byte-swapped <-> big-endian
        return;
    }
    ToCanonical(bytes, count, from);
    FromCanonical(bytes, count, to);
}

const char* ExtensionFor(ImageFormat format) {
    switch (format) {
    case ImageFormat::ByteSwapped: return ".v64";
    case ImageFormat::BigEndian: return ".z64";
    case ImageFormat::LittleEndian: return ".n64";
    }
    return ".z64";
}

std::string NameForOrder(const std::string& path, ImageFormat format) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || path.size() - dot != 4) return {};
    std::string extension = path.substr(dot);
    std::string lower = extension;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower != ".z64" && lower != ".v64" && lower != ".n64") return {};
    std::string wanted = ExtensionFor(format);
    if (lower == wanted) return {};
    // Each letter takes the case of the letter it replaces.
    for (std::size_t i = 1; i < wanted.size(); ++i)
        if (std::isupper(static_cast<unsigned char>(extension[i])))
            wanted[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(wanted[i])));
    return path.substr(0, dot) + wanted;
}

EngineResult FlipByteOrder(RomImage& image, BackupMode mode, const ProgressFn& progress, NameFollows follows) {
    if (!image.IsLoaded()) return EngineResult::ErrNotLoaded;
    ImageFormat target = ImageFormat::BigEndian;
    switch (image.ByteOrder()) {
    case ImageFormat::ByteSwapped: target = ImageFormat::BigEndian; break;
    case ImageFormat::BigEndian: target = ImageFormat::ByteSwapped; break;
    case ImageFormat::LittleEndian: target = ImageFormat::BigEndian; break;
    }
    return ConvertByteOrder(image, target, mode, progress, follows);
}

EngineResult ConvertByteOrder(RomImage& image, ImageFormat target, BackupMode mode, const ProgressFn& progress,
                              NameFollows follows) {
    if (!image.IsLoaded()) return EngineResult::ErrNotLoaded;
    if (image.GetKind() != FileKind::Image) return Failure(image, EngineResult::ErrFailed, messages::kNotImage);
    const std::int64_t size = FileSizeOnDisk(image.Path());
    if (size < 0) return Failure(image, EngineResult::ErrOpen, messages::kOpenForRead);
    const bool wordOrder = image.ByteOrder() == ImageFormat::LittleEndian || target == ImageFormat::LittleEndian;
    if (wordOrder && image.ByteOrder() != target && size % 4 != 0)
        return Failure(image, EngineResult::ErrFormat, kNotWholeWords);
    CopyPlan plan;
    plan.copyBytes = size;
    plan.outputSize = size;
    plan.sourceSize = size;
    plan.from = image.ByteOrder();
    plan.to = target;
    struct stat link {};
    const bool isLink = ::lstat(image.Path().c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    if (follows == NameFollows::Yes && !isLink && image.ByteOrder() != target) {
        plan.renameTo = NameForOrder(image.Path(), target);
        if (!plan.renameTo.empty() && ::lstat(plan.renameTo.c_str(), &link) == 0)
            return Failure(image, EngineResult::ErrFailed,
                           (NameOf(plan.renameTo) + " already exists: " + NameOf(image.Path()) +
                            " was left as it is. Rename or move one of them first.")
                               .c_str());
    }
    return RewriteThroughWorkBuffer(image, plan, mode, progress);
}

} // namespace q64
