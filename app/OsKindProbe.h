#pragma once
// How the transfers may reach the ports, decided once at start: 2 when this
// process may use direct port instructions, 0 when they must go through the
// port driver. The transfer layer's own rule (OsKind in transfer/TransferState.h).

namespace q64 {

int DetectOsKind();

} // namespace q64
