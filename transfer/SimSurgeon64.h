#pragma once
// A simulated Surgeon64 adapter at `base`: a control register (S+0), the pak
// address (S+1 low, S+2 high) and the data byte at that address (S+3). Data
// reaches the 32768-byte pak only while the PC holds control (bits 0x01 and
// 0x02 set).

#include <array>
#include <cstdint>
#include <vector>

#include "transfer/SimulatedPortBackend.h"

namespace q64 {

class SimSurgeon64 final : public SimulatedUnit {
public:
    static constexpr std::size_t kPakSize = 32768;

    explicit SimSurgeon64(PortAddress base) : base_(base) {}

    std::vector<std::uint8_t> Pak() const { return {pak_.begin(), pak_.end()}; }
    void SetPak(const std::vector<std::uint8_t>& bytes);
    // Every value written to the control register, in order.
    const std::vector<std::uint8_t>& ControlWrites() const { return controlWrites_; }

    bool Decodes(PortAddress address) const override { return address >= base_ && address <= base_ + 3; }
    void Write(PortAddress address, std::uint8_t value) override;
    std::uint8_t Read(PortAddress address) override;

private:
    bool PcHolds() const { return (control_ & 0x03) == 0x03; }

    PortAddress base_;
    std::uint8_t control_ = 0x04;
    std::uint16_t address_ = 0;
    std::array<std::uint8_t, kPakSize> pak_{};
    std::vector<std::uint8_t> controlWrites_;
};

} // namespace q64
