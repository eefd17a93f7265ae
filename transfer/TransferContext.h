#pragma once
// What one transfer works with: the state, the port, the loaded image (whose
// work buffer is the transfer buffer and whose sink takes the messages) and
// the front end's callbacks.

#include <functional>
#include <string>

#include "engine/EngineTypes.h"
#include "engine/RomImage.h"
#include "transfer/ParallelPort.h"
#include "transfer/TransferState.h"

namespace q64 {

// Shows a one-line status text ("Getting Sync...", ..., "Ready").
using StatusFn = std::function<void(const std::string& text)>;

struct TransferCallbacks {
    ProgressFn progress;  // 1 goes on, anything else cancels
    StatusFn status;
    // Asked after every failed synchronisation attempt; true gives up the way a
    // cancel does (the front end's sync timeout). May be absent.
    std::function<bool()> abandonSync;
};

struct TransferContext {
    TransferState& state;
    ParallelPort& port;
    RomImage& image;
    const TransferCallbacks& calls;

    void Status(const char* text) const {
        if (calls.status) calls.status(text);
    }
    void Message(const std::string& text) const { image.Report(text); }
    // progress(0) after a failed sync attempt; false when the user cancelled or
    // the front end gave up waiting for the unit.
    bool SyncMayGoOn() const {
        if (calls.progress && calls.progress(0) != kProgressGoOn) return false;
        return !(calls.abandonSync && calls.abandonSync());
    }
};

} // namespace q64
