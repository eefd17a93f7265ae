#pragma once
// The state every transfer reads: which unit is attached, its addresses, the
// byte order a Doctor V64 expects, what the CD64 is to do, and the Doctor V64
// handshake mode found by the last sync. One per process, from start to exit.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/RomImage.h"
#include "engine/SaveType.h"
#include "transfer/ByteStream.h"
#include "transfer/Ed64Link.h"

namespace q64 {

// The parallel base before the first ConfigureTransfer. While the base holds
// it, the Doctor V64 port operations succeed at once without touching the unit.
constexpr int kIdleParallelBase = 0x1BC;

// The SummerCart64 (3) and the EverDrive-64 (4) are reached over USB, not
// through the ports.
enum class Unit : int { DoctorV64 = 0, Sp64 = 1, Cd64 = 2, Sc64 = 3, Ed64 = 4 };

// Opens the stream to a SummerCart64 on `device` (empty: the one found);
// null with `message` set when it cannot.
using Sc64Opener = std::function<std::unique_ptr<ByteStream>(const std::string& device, std::string& message)>;
// The same for the EverDrive-64.
using Ed64Opener = Sc64Opener;

struct TransferState {
    int unit = 0;                 // 0 Doctor V64, 1 SP64/Wildcard, 2 CD64, 3 SummerCart64, 4 EverDrive-64
    int byteOrderSetting = 1;     // "BIOS": 2 means the Doctor V64 expects big-endian order
    int parallelBase = kIdleParallelBase;
    bool useDriver = false;       // ports go through the port driver device
    int cd64Base = 0x310;
    std::uint8_t cd64Command = 'X';      // 'X' sending executes, 'T' sending does nothing
    std::uint8_t cd64ReceiveSource = 0;  // 0 cartridge, 1 DRAM
    int handshakeMode = 0;        // Doctor V64 wiring: 0 control lines, 1 status lines
    int driverIndex = 1;          // port driver device 1..4 (/dev/parport0..3)
    std::string sc64Device;       // "SC64Device": empty finds the cart by its USB ids
    int sc64SaveType = 0;         // SAVE_TYPE set after a send (the cart's numbering)
    int sc64BootMode = 1;         // BOOT_MODE set after a send: boot the loaded image
    int sc64TvType = 3;           // TV_TYPE set after a send; 3: the console's own, not sent
    Sc64Opener sc64Opener;        // empty: the serial device (OpenSc64Device)
    int sc64AnswerWaitMs = 5000;  // longest wait for the cart without a byte moving
    std::string ed64Device;       // "ED64Device": empty finds the cart by its USB ids
    std::optional<SaveType> ed64SaveType; // set in the header sent; nothing: the header as it is
    Ed64Opener ed64Opener;        // empty: the serial device (OpenEd64Device)
    Ed64Waits ed64Waits;
};

// The SummerCart64's part of the state, from "SC64Device", the save type
// chosen for the image (the cart's numbering), "SC64BootMode" and "SC64TvType".
void ConfigureSc64(TransferState& state, const std::string& device, int saveType, int bootMode, int tvType);

// The EverDrive-64's part of the state: "ED64Device" and the save type
// chosen for the image (nothing: the header as it is).
void ConfigureEd64(TransferState& state, const std::string& device, std::optional<SaveType> saveType);

// Fills the state from the settings and clears `image` (the caller then
// identifies the file to send). `osKind` 0 selects the port driver.
void ConfigureTransfer(TransferState& state, RomImage& image, int unit, int byteOrderSetting, int parallelBase,
                       int osKind, int cd64Base, std::uint8_t cd64Command, std::uint8_t cd64ReceiveSource);

// 2 when this process may use direct port instructions, 0 when its transfers
// must go through the port driver (ppdev).
int OsKind();

} // namespace q64
