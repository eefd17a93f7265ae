#pragma once
// The Doctor V64 on the parallel port P: sync in handshake mode 0 (control
// lines) or 1 (status lines), bytes out on the data lines clocked by strobe
// edges, bytes in as two 4-bit halves on the status lines. Status texts go to
// the status callback, error texts to the image's message sink.
//
// Every wait is bounded and counted in port reads: 8192 failed polls per sync
// attempt, 1000 x 1000 reads per byte and for the end of the turnaround. While
// P is the idle address 0x1BC the four port operations succeed at once without
// touching the unit (only the 0x04 that opens a sync is written).

#include <cstddef>
#include <cstdint>
#include <string>

#include "transfer/TransferContext.h"

namespace q64 {

// One sync attempt in the state's handshake mode: Ok, or ErrTransfer after
// 8192 failed polls, which also flips the mode for the next attempt.
EngineResult V64Sync(const TransferContext& ctx);
// Ok, or ErrTransfer when the unit stops acknowledging.
EngineResult V64SendBytes(const TransferContext& ctx, const std::uint8_t* bytes, std::size_t count);
// Ok, or ErrReceive when the unit stops clocking.
EngineResult V64ReceiveBytes(const TransferContext& ctx, std::uint8_t* buffer, std::size_t count);
// The turn from request to download: Ok or ErrTransfer.
EngineResult V64Turnaround(const TransferContext& ctx);

// Sends the loaded file (any kind) as it stands on disk, pairs exchanged as
// the "BIOS" setting asks.
EngineResult V64Send(const TransferContext& ctx);
// Sends the loaded compressed image, inflated on the fly.
EngineResult V64SendCompressed(const TransferContext& ctx);
// Receives an image into `path`; an existing file is replaced only on success.
EngineResult V64Receive(const TransferContext& ctx, const std::string& path);

} // namespace q64
