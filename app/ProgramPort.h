#pragma once
// The port back end the program's transfers use, chosen from OsKind: direct
// port instructions when the process may use them, otherwise the ppdev port
// driver (/dev/parport0).

#include <memory>

#include "transfer/PortBackend.h"

namespace q64 {

std::unique_ptr<PortBackend> MakeProgramPortBackend(int osKind);

} // namespace q64
