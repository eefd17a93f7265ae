#pragma once
// The Surgeon64 memory pak adapter at address S: control register S+0 (always
// written with the whole ControlShadow), pak address S+1 (low) and S+2 (high),
// data S+3. No handshake, no answer. A pak image file is exactly 32768 bytes.
//
// The adapter is an ISA card, not a parallel port: it needs the direct back end
// (or the simulated one); the port driver cannot reach it.

#include <cstdint>
#include <string>

#include "engine/EngineTypes.h"
#include "transfer/ParallelPort.h"

namespace q64 {

constexpr std::size_t kMemPakSize = 32768;

// Process-wide: the last control value written and who controls the adapter.
struct SurgeonState {
    std::uint8_t controlShadow = 0x04;
    int mode = 1; // 1 "Console controls Surgeon64", 2 "PC controls Surgeon64"
};

class SurgeonPort {
public:
    SurgeonPort(ParallelPort& port, SurgeonState& state, PortAddress base)
        : port_(port), state_(state), base_(base) {}

    // Each step changes one shadow bit and writes the whole shadow to S+0.
    void Set(std::uint8_t bit);
    void Clear(std::uint8_t bit);

    void TakeControl();  // set 0x40, 0x20, 0x10, 0x01, 0x02
    void WriteMode();    // clear 0x10, clear 0x40, set 0x20
    void ReadMode();     // set 0x10, clear 0x40, clear 0x20
    void Release();      // clear 0x01, clear 0x02, set 0x04

    void SelectAddress(std::uint16_t address);
    void WriteData(std::uint8_t value) { port_.WritePort(static_cast<PortAddress>(base_ + 3), value); }
    std::uint8_t ReadData() { return port_.ReadPort(static_cast<PortAddress>(base_ + 3)); }

private:
    ParallelPort& port_;
    SurgeonState& state_;
    PortAddress base_;
};

// "Console controls Surgeon64": mode 1, and the adapter released when `address` is not 0.
EngineResult SurgeonConsoleControl(ParallelPort& port, SurgeonState& state, int address, const MessageSink& sink);
// "PC controls Surgeon64": mode 2, and take control plus set 0x04 when `address` is not 0.
EngineResult SurgeonPcControl(ParallelPort& port, SurgeonState& state, int address, const MessageSink& sink);
// Loads the pak image file `path` into the adapter. A missing file or one
// shorter than 32768 bytes, and address 0, are refused with a message before
// any port is touched. A longer file gives its first 32768 bytes.
EngineResult SurgeonLoadPak(ParallelPort& port, SurgeonState& state, int address, const std::string& path,
                            const MessageSink& sink, const ProgressFn& progress = {});
// Reads the pak from the adapter into `path` (replaced only when complete).
// With address 0 nothing is read and no file is written.
EngineResult SurgeonSavePak(ParallelPort& port, SurgeonState& state, int address, const std::string& path,
                            const MessageSink& sink, const ProgressFn& progress = {});

} // namespace q64
