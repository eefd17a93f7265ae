#pragma once
// The SummerCart64 over USB: its memory and options as its firmware keeps
// them, and the operations the program runs on it. Each operation opens a
// session (communication reset, IDENTIFIER_GET must answer "SCv2",
// VERSION_GET must name firmware 2.x, shown in the status line), works
// through the cart's commands and ends with "Ready". Failures are told
// through the image's message sink; a cancel or failure leaves the link reset
// for the next session. Files the user names are written only complete.

#include <cstdint>
#include <optional>
#include <string>

#include "engine/RomImage.h"
#include "engine/SaveType.h"
#include "transfer/ByteStream.h"
#include "transfer/Sc64Link.h"
#include "transfer/TransferContext.h"

namespace q64 {

namespace sc64 {
// Internal memory map.
constexpr std::uint32_t kSdramBase = 0x00000000;    // the cartridge ROM, big-endian
constexpr std::uint32_t kSdramSize = 0x04000000;    // 64 MiB
constexpr std::uint32_t kSaveBase = 0x03FE0000;     // SRAM and FlashRAM saves: the last 128 KiB of SDRAM
constexpr std::uint32_t kShadowSize = 0x00020000;   // the ROM's last 128 KiB when SDRAM keeps the save there
constexpr std::uint32_t kExtendedBase = 0x04000000; // flash: the ROM beyond 64 MiB
constexpr std::uint32_t kExtendedSize = 14u << 20;
constexpr std::uint32_t kBootloaderBase = 0x04E00000; // flash: the cart's bootloader (write-protected)
constexpr std::uint32_t kShadowBase = 0x04FE0000;     // flash: the ROM shadow
constexpr std::uint32_t kEepromBase = 0x05002000;
constexpr std::uint64_t kMaxImage = std::uint64_t{kSdramSize} + kExtendedSize; // 78 MiB

// Config option ids.
constexpr std::uint32_t kConfigBootloaderSwitch = 0;
constexpr std::uint32_t kConfigRomShadow = 2;
constexpr std::uint32_t kConfigDdMode = 3;
constexpr std::uint32_t kConfigBootMode = 5;
constexpr std::uint32_t kConfigSaveType = 6;
constexpr std::uint32_t kConfigCicSeed = 7;
constexpr std::uint32_t kConfigTvType = 8;
constexpr std::uint32_t kConfigRomExtended = 14;

// BOOT_MODE values. 2 and 4 start a 64DD IPL, which this program does not load.
constexpr std::uint32_t kBootMenu = 0;
constexpr std::uint32_t kBootLoadedImage = 1; // through the cart's bootloader
constexpr std::uint32_t kBootDdIpl = 2;
constexpr std::uint32_t kBootDirect = 3; // the image's own boot code, bootloader skipped
constexpr std::uint32_t kBootDirectDdIpl = 4;
constexpr std::uint16_t kCicAutomatic = 0xFFFF;

// The firmware this program is written for: major 2, minor at least 20.
constexpr std::uint16_t kFirmwareMajor = 2;
constexpr std::uint16_t kFirmwareMinor = 20;

// Image data moves in MEMORY_WRITE / MEMORY_READ commands of this size,
// handed to the device in pieces of kPiece (progress and Cancel per piece).
constexpr std::uint32_t kChunk = 1u << 20;
constexpr std::size_t kPiece = 32768;

// How long a real cart may take to answer a flash erase or busy wait (a
// 128 KiB erase block is two 64 KiB erases of up to 2 s each).
constexpr int kFlashAnswerMs = 30000;
} // namespace sc64

// SAVE_TYPE values, the cart's own numbering.
enum class Sc64SaveType : int {
    None = 0,
    Eeprom4k = 1,
    Eeprom16k = 2,
    Sram256k = 3,
    FlashRam1M = 4,
    Sram768k = 5,
    Sram1M = 6,
    FakeFlashRam1M = 7,
};
constexpr int kSc64SaveTypeCount = 8;

struct Sc64SaveArea {
    std::uint32_t address = 0;
    std::uint32_t size = 0; // 0: no save
};

// Where a save type's data lives on the cart; size 0 for none or an unknown value.
Sc64SaveArea SaveAreaOf(int saveType);
// "none", "EEPROM 4k", ..., or "unknown".
const char* SaveTypeText(int saveType);
// The cart's SAVE_TYPE for a save type of the program, and back (the cart's
// FakeFlashRAM, FlashRAM kept in SRAM, reads as FlashRAM; an unknown value as none).
int Sc64SaveTypeOf(SaveType type);
SaveType SaveTypeOfSc64(int saveType);

// TV_TYPE values; Auto (the console's own) is the cart's state after a reset
// and is never sent.
enum class Sc64TvType : int { Pal = 0, Ntsc = 1, Mpal = 2, Auto = 3 };
constexpr int kSc64TvTypeCount = 4;
// "PAL", "NTSC", "MPAL", "the console's own"; "unknown" otherwise.
const char* TvTypeText(int tvType);
// The command line's names: pal, ntsc, mpal, auto.
const char* TvTypeKey(int tvType);
std::optional<int> TvTypeFromKey(const std::string& key);

// "the menu", "the loaded image through the bootloader", "the 64DD IPL through
// the bootloader", "the loaded image directly", "the 64DD IPL directly".
const char* BootModeText(std::uint32_t bootMode);
// Why the program will not set `bootMode` (empty: it will): modes 2 and 4
// need a 64DD IPL, which it does not load, and others do not exist.
std::string BootModeRefusal(std::uint32_t bootMode);

// What a transfer to the cart works with.
struct Sc64Context {
    ByteStream& stream;
    RomImage& image; // the message sink and, for a send, the loaded file
    const TransferCallbacks& calls;
    LinkWaits waits;
};

struct Sc64SendOptions {
    int saveType = 0; // Sc64SaveType
    std::uint32_t bootMode = sc64::kBootLoadedImage;
    int tvType = static_cast<int>(Sc64TvType::Auto);
};

struct Sc64Info {
    std::string identifier;
    std::uint16_t major = 0, minor = 0;
    std::uint32_t revision = 0;
    std::uint32_t bootMode = 0, saveType = 0, cicSeed = 0, tvType = 0;
    std::uint32_t romShadow = 0, romExtended = 0, ddMode = 0; // switches as the cart gives them (non-zero: on)
};

// Sends the loaded image (plain or compressed, any byte order, up to 78 MiB)
// as the cart's maker loads one: state reset, the image into SDRAM in
// big-endian order, a last 128 KiB that would lie under the save area and
// anything beyond 64 MiB into the cart's flash, then ROM_SHADOW_ENABLE,
// ROM_EXTENDED_ENABLE, SAVE_TYPE, BOOT_MODE, TV_TYPE (unless Auto) and the
// boot chip parameters (from the image's boot code for direct boot, from the
// bootloader's otherwise). ErrFailed (before the cart is touched) for an
// image too large, a boot mode the program does not set or a TV type forced
// with direct boot; ErrTransfer, ErrCancelled.
EngineResult Sc64Send(const Sc64Context& ctx, const Sc64SendOptions& options);
// Reads `sizeBytes` of the ROM area into `path`, replaced only when all of it
// arrived. ErrReceive, ErrCancelled.
EngineResult Sc64Receive(const Sc64Context& ctx, const std::string& path, std::uint32_t sizeBytes);
// Reads the save area of `saveType` (nothing: the type set on the cart) into
// `path`. ErrReceive, ErrCancelled.
EngineResult Sc64BackupSave(const Sc64Context& ctx, const std::string& path, std::optional<int> saveType);
// Writes `path` into the save area of `saveType` (nothing: the type set on
// the cart); the file must hold exactly that area's size. A type that differs
// from the cart's is set on the cart first, and the status line says so.
// ErrTransfer, ErrFailed (a file of the wrong size, before anything is
// written), ErrCancelled.
EngineResult Sc64RestoreSave(const Sc64Context& ctx, const std::string& path, std::optional<int> saveType);
// Identifier, firmware version and the cart's state. Firmware older than the
// one this program needs is read too, with a status line saying to update it.
EngineResult Sc64ReadInfo(const Sc64Context& ctx, Sc64Info& info);

} // namespace q64
