#pragma once
// A simulated SP64/Wildcard class unit at parallel base `base`. It latches the
// data lines on each rising strobe edge; a byte behind a reset pulse is a
// command (0x00 0x00 'R' opens an upload, 0xCC closes it), every other byte
// belongs to the numbered 256-byte blocks. It never answers.

#include <cstdint>
#include <vector>

#include "transfer/SimulatedPortBackend.h"

namespace q64 {

class SimSp64 final : public SimulatedUnit {
public:
    explicit SimSp64(PortAddress base) : base_(base) {}

    const std::vector<std::uint8_t>& Received() const { return received_; }
    const std::vector<std::uint8_t>& Commands() const { return commands_; }
    // Block numbers in the order they arrived.
    const std::vector<std::uint32_t>& BlockNumbers() const { return blocks_; }
    // True when every block number followed its predecessor by one, from 0.
    bool NumberingOk() const { return numberingOk_; }
    // True once the closing byte arrived after the preamble.
    bool Closed() const { return closed_; }

    bool Decodes(PortAddress address) const override { return address >= base_ && address <= base_ + 2; }
    void Write(PortAddress address, std::uint8_t value) override;
    std::uint8_t Read(PortAddress address) override;

private:
    void TakeByte(std::uint8_t byte);

    PortAddress base_;
    std::uint8_t data_ = 0;
    std::uint8_t control_ = 0x04;
    bool resetSeen_ = false;
    bool open_ = false;
    bool closed_ = false;
    int headerCount_ = 0;
    std::uint32_t blockNumber_ = 0;
    int blockFill_ = 256;
    bool numberingOk_ = true;
    std::vector<std::uint8_t> commands_;
    std::vector<std::uint8_t> received_;
    std::vector<std::uint32_t> blocks_;
};

} // namespace q64
