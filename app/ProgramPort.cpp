#include "app/ProgramPort.h"

#include "transfer/DirectPortBackend.h"
#include "transfer/PpdevPortBackend.h"

namespace q64 {

std::unique_ptr<PortBackend> MakeProgramPortBackend(int osKind) {
    if (osKind > 0) return std::make_unique<DirectPortBackend>();
    return std::make_unique<PpdevPortBackend>(1);
}

} // namespace q64
