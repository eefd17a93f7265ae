#pragma once
// How the transfer layer may reach the ports: 2 when this process may use
// direct port instructions (ioperm on the parallel port succeeds), 0 when it
// must go through the port driver. A stand-in until the transfer layer
// provides its own rule.

namespace q64 {

int DetectOsKind();

} // namespace q64
