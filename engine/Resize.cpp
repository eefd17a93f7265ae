#include "engine/Resize.h"

#include <algorithm>

#include "engine/ByteOrder.h"
#include "engine/CopyLoop.h"
#include "engine/OperationIo.h"
#include "engine/RomImage.h"

namespace q64 {

EngineResult ResizeImage(RomImage& image, std::int64_t newSizeBytes, BackupMode mode, const ProgressFn& progress) {
    if (!image.IsLoaded()) return EngineResult::ErrNotLoaded;
    if (image.GetKind() != FileKind::Image) return Failure(image, EngineResult::ErrFailed, messages::kNotImage);
    if (newSizeBytes < static_cast<std::int64_t>(header::kSize) || newSizeBytes > kResizeMaxMbit * kBytesPerMbit)
        return Failure(image, EngineResult::ErrFormat, "New Size is Out of Range");
    if (image.ByteOrder() == ImageFormat::LittleEndian && newSizeBytes % 4 != 0)
        return Failure(image, EngineResult::ErrFormat, kNotWholeWords);
    const std::int64_t size = FileSizeOnDisk(image.Path());
    if (size < 0) return Failure(image, EngineResult::ErrOpen, messages::kOpenForRead);
    CopyPlan plan;
    plan.copyBytes = std::min(size, newSizeBytes);
    plan.outputSize = newSizeBytes;
    plan.sourceSize = size;
    plan.from = plan.to = image.ByteOrder();
    return RewriteThroughWorkBuffer(image, plan, mode, progress);
}

} // namespace q64
