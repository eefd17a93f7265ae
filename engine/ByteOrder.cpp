#include "engine/ByteOrder.h"

#include <cstring>
#include <utility>

#include "engine/CopyLoop.h"
#include "engine/OperationIo.h"
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

EngineResult FlipByteOrder(RomImage& image, BackupMode mode, const ProgressFn& progress) {
    if (!image.IsLoaded()) return EngineResult::ErrNotLoaded;
    if (image.GetKind() != FileKind::Image) return Failure(image, EngineResult::ErrFailed, messages::kNotImage);
    const std::int64_t size = FileSizeOnDisk(image.Path());
    if (size < 0) return Failure(image, EngineResult::ErrOpen, messages::kOpenForRead);
    CopyPlan plan;
    plan.copyBytes = size;
    plan.outputSize = size;
    plan.sourceSize = size;
    plan.swapPairs = true;
    return RewriteThroughWorkBuffer(image, plan, mode, progress);
}

} // namespace q64
