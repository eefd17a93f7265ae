#pragma once
// The state every transfer reads: which unit is attached, its addresses, the
// byte order a Doctor V64 expects, what the CD64 is to do, and the Doctor V64
// handshake mode found by the last sync. One per process, from start to exit.

#include <cstdint>

#include "engine/RomImage.h"

namespace q64 {

// The parallel base before the first ConfigureTransfer. While the base holds
// it, the Doctor V64 port operations succeed at once without touching the unit.
constexpr int kIdleParallelBase = 0x1BC;

enum class Unit : int { DoctorV64 = 0, Sp64 = 1, Cd64 = 2 };

struct TransferState {
    int unit = 0;                 // 0 Doctor V64, 1 SP64/Wildcard, 2 CD64
    int byteOrderSetting = 1;     // "BIOS": 2 means the Doctor V64 expects big-endian order
    int parallelBase = kIdleParallelBase;
    bool useDriver = false;       // ports go through the port driver device
    int cd64Base = 0x310;
    std::uint8_t cd64Command = 'X';      // 'X' sending executes, 'T' sending does nothing
    std::uint8_t cd64ReceiveSource = 0;  // 0 cartridge, 1 DRAM
    int handshakeMode = 0;        // Doctor V64 wiring: 0 control lines, 1 status lines
    int driverIndex = 1;          // port driver device 1..4 (/dev/parport0..3)
};

// Fills the state from the settings and clears `image` (the caller then
// identifies the file to send). `osKind` 0 selects the port driver.
void ConfigureTransfer(TransferState& state, RomImage& image, int unit, int byteOrderSetting, int parallelBase,
                       int osKind, int cd64Base, std::uint8_t cd64Command, std::uint8_t cd64ReceiveSource);

// 2 when this process may use direct port instructions, 0 when its transfers
// must go through the port driver (ppdev).
int OsKind();

} // namespace q64
