#pragma once
// The two entry points the front ends call. Before the protocol runs, the
// unit's ports are claimed from the back end (direct: ioperm; driver: the
// ppdev device is opened and claimed, for every unit it can reach, and closed
// again afterwards); a back end that cannot reach them ends the transfer with
// a message naming what is missing. The calling thread's priority is raised
// around a receive, and around a send when no driver is in use.

#include <functional>
#include <string>

#include "engine/RomImage.h"
#include "transfer/ParallelPort.h"
#include "transfer/Sc64.h"
#include "transfer/TransferContext.h"
#include "transfer/TransferState.h"

namespace q64 {

// Sends the loaded file to the configured unit. ErrNotLoaded; ErrFailed when
// the unit cannot take this kind (SP64/Wildcard and CD64 refuse BIOS, IPS and
// SAV files before touching a port; the SummerCart64 takes images, which it
// boots, and SAV files, which become its EEPROM 4k save; the EverDrive-64
// takes images); otherwise the protocol's result.
EngineResult SendImage(TransferState& state, ParallelPort& port, RomImage& image, const TransferCallbacks& calls);

// Receives an image into `path`: from the CD64 (unit 2) with `sizeMbit`
// (64, 128, 192 or 256), from the SummerCart64 (unit 3) and the EverDrive-64
// (unit 4) `sizeMbit` of their ROM area (at most 512), otherwise from the
// Doctor V64, which states the size itself. An existing file at `path` is
// replaced only on success.
EngineResult ReceiveImage(TransferState& state, ParallelPort& port, RomImage& image, const std::string& path,
                          int sizeMbit, const TransferCallbacks& calls);

// What a front end adds when no unit answered the sync: through the port
// driver a Doctor V64 can answer only in handshake mode 1, since ppdev reads
// the control register from its own copy. Empty when there is nothing to add.
std::string NoAnswerHint(const TransferState& state, const PortBackend& backend);

// Opens the SummerCart64 `state` names (its opener, else the device or the
// first cart found) and runs `operation` on it; `failure`, after saying why
// through `image`, when it cannot be opened.
EngineResult WithSc64(const TransferState& state, RomImage& image, const TransferCallbacks& calls,
                      EngineResult failure, const std::function<EngineResult(const Sc64Context&)>& operation);

} // namespace q64
