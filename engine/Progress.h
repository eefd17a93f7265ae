#pragma once
// Calls a ProgressFn only when the whole percentage changes.

#include <cstdint>

#include "engine/EngineTypes.h"

namespace q64 {

class ProgressReporter {
public:
    explicit ProgressReporter(const ProgressFn& fn) : fn_(fn) {}

    // Reports `percent` (clamped to 0..100) when it differs from the last
    // value reported. Returns false when the callback asked to stop.
    bool Report(int percent) {
        if (percent < 0) percent = 0;
        if (percent > 100) percent = 100;
        if (percent == last_ || !fn_) return true;
        last_ = percent;
        return fn_(percent) == kProgressGoOn;
    }
    // Reports done/total as a whole percentage (total 0 counts as 100).
    bool ReportFraction(std::uint64_t done, std::uint64_t total) {
        return Report(total == 0 ? 100 : static_cast<int>(done * 100 / total));
    }

private:
    const ProgressFn& fn_;
    int last_ = -1;
};

} // namespace q64
