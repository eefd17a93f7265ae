#include "transfer/SimulatedPortBackend.h"

namespace q64 {

SimulatedUnit* SimulatedPortBackend::UnitAt(PortAddress address) {
    for (auto& unit : units_)
        if (unit->Decodes(address)) return unit.get();
    return nullptr;
}

void SimulatedPortBackend::Write(PortAddress address, std::uint8_t value) {
    ++writes_;
    if (SimulatedUnit* unit = UnitAt(address)) unit->Write(address, value);
}

std::uint8_t SimulatedPortBackend::Read(PortAddress address) {
    ++reads_;
    if (SimulatedUnit* unit = UnitAt(address)) return unit->Read(address);
    return 0xFF;
}

} // namespace q64
