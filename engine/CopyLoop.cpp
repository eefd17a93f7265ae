#include "engine/CopyLoop.h"

#include <algorithm>
#include <cstring>

#include "engine/FileChange.h"
#include "engine/ByteOrder.h"
#include "engine/OperationIo.h"
#include "engine/Progress.h"
#include "engine/RomImage.h"

namespace q64 {

EngineResult RewriteThroughWorkBuffer(RomImage& image, const CopyPlan& plan, BackupMode mode,
                                      const ProgressFn& progress) {
    FileChange change;
    const EngineResult begun = change.BeginRewrite(image.Path(), mode);
    if (begun != EngineResult::Ok) return Failure(image, begun, change.Message().c_str());

    std::uint8_t* buffer = image.WorkBuffer();
    ProgressReporter reporter(progress);
    const auto source = static_cast<std::uint64_t>(std::max(plan.sourceSize, plan.copyBytes));

    std::int64_t left = plan.copyBytes;
    while (left > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(left, kWorkBufferSize));
        const std::size_t n = ReadUpTo(change.In(), buffer, want);
        if (n != want) {
            change.Rollback();
            return Failure(image, EngineResult::ErrFailed, messages::kRead);
        }
        left -= static_cast<std::int64_t>(n);
        if (!reporter.ReportFraction(source - static_cast<std::uint64_t>(left), source)) {
            change.Rollback();
            return EngineResult::ErrCancelled;
        }
        ConvertOrder(buffer, n, plan.from, plan.to);
        if (!WriteAll(change.Out(), buffer, n)) {
            change.Rollback();
            return Failure(image, EngineResult::ErrFailed, messages::kWrite);
        }
    }

    if (plan.outputSize > plan.copyBytes) {
        std::memset(buffer, 0, kWorkBufferSize);
        std::int64_t pad = plan.outputSize - plan.copyBytes;
        while (pad > 0) {
            const std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(pad, kWorkBufferSize));
            if (!WriteAll(change.Out(), buffer, n)) {
                change.Rollback();
                return Failure(image, EngineResult::ErrFailed, messages::kWrite);
            }
            pad -= static_cast<std::int64_t>(n);
        }
    }

    if (!plan.renameTo.empty()) change.RenameOnCommit(plan.renameTo);
    const EngineResult committed = CommitChange(image, change);
    if (committed == EngineResult::Ok && !plan.renameTo.empty()) image.NoteRenamed(plan.renameTo);
    return committed;
}

} // namespace q64
