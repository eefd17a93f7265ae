#pragma once
// An in-process bus of simulated units. Each unit answers the reads of the
// addresses it decodes and reacts to every write there; an address no unit
// decodes reads 0xFF and swallows writes, like an empty slot. The bus counts
// every access so tests and benchmarks can measure the cost of a protocol.

#include <cstdint>
#include <memory>
#include <vector>

#include "transfer/PortBackend.h"

namespace q64 {

// What a simulated unit does wrong, when asked to.
enum class SimFault {
    None,
    Silent,   // never answers: no handshake, no reply
    Stall,    // stops answering half-way through the data
    Checksum, // echoes a wrong checksum (CD64)
};

class SimulatedUnit {
public:
    virtual ~SimulatedUnit() = default;
    virtual bool Decodes(PortAddress address) const = 0;
    virtual void Write(PortAddress address, std::uint8_t value) = 0;
    virtual std::uint8_t Read(PortAddress address) = 0;
};

class SimulatedPortBackend final : public PortBackend {
public:
    // Adds a unit to the bus; the bus keeps it. Returns it for inspection.
    template <typename Unit>
    Unit& Attach(std::unique_ptr<Unit> unit) {
        Unit& ref = *unit;
        units_.push_back(std::move(unit));
        return ref;
    }

    void Write(PortAddress address, std::uint8_t value) override;
    std::uint8_t Read(PortAddress address) override;
    std::string Claim(PortAddress, int) override { return {}; }
    std::string Name() const override { return "simulated"; }

    std::uint64_t Reads() const { return reads_; }
    std::uint64_t Writes() const { return writes_; }
    void ResetCounts() { reads_ = writes_ = 0; }

private:
    SimulatedUnit* UnitAt(PortAddress address);

    std::vector<std::unique_ptr<SimulatedUnit>> units_;
    std::uint64_t reads_ = 0;
    std::uint64_t writes_ = 0;
};

} // namespace q64
