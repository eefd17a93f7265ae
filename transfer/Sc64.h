#pragma once
// The SummerCart64 over USB: its memory and options as the unit's documents
// give them, and the operations the program runs on it. Each operation opens
// a session (communication reset, IDENTIFIER_GET must answer "SCv2",
// VERSION_GET shown in the status line), works through MEMORY_WRITE,
// MEMORY_READ and CONFIG_SET, and ends with "Ready". Failures are told
// through the image's message sink; a cancel or failure leaves the link reset
// for the next session. Files the user names are written only complete.

#include <cstdint>
#include <optional>
#include <string>

#include "engine/Checksum.h"
#include "engine/RomImage.h"
#include "transfer/ByteStream.h"
#include "transfer/Sc64Link.h"
#include "transfer/TransferContext.h"

namespace q64 {

namespace sc64 {
// Internal memory map.
constexpr std::uint32_t kSdramBase = 0x00000000; // the cartridge ROM, big-endian
constexpr std::uint32_t kSdramSize = 0x04000000; // 64 MiB
constexpr std::uint32_t kSaveBase = 0x03FE0000;  // SRAM and FlashRAM saves: the last 128 KiB of SDRAM
constexpr std::uint32_t kEepromBase = 0x05002000;

// Config option ids and the values this program sets.
constexpr std::uint32_t kConfigBootMode = 5;
constexpr std::uint32_t kConfigSaveType = 6;
constexpr std::uint32_t kConfigCicSeed = 7;
constexpr std::uint32_t kConfigTvType = 8;
constexpr std::uint32_t kBootMenu = 0;
constexpr std::uint32_t kBootLoadedImage = 1; // "boot the loaded image"
constexpr std::uint16_t kCicAutomatic = 0xFFFF;

// Image data moves in MEMORY_WRITE / MEMORY_READ commands of this size,
// handed to the device in pieces of kPiece (progress and Cancel per piece).
constexpr std::uint32_t kChunk = 1u << 20;
constexpr std::size_t kPiece = 32768;
} // namespace sc64

// SAVE_TYPE values.
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
// The command line's names: none, eeprom4k, eeprom16k, sram256k, flashram,
// sram768k, sram1m, fakeflashram.
const char* SaveTypeKey(int saveType);
std::optional<int> Sc64SaveTypeFromKey(const std::string& key);

// The CIC seed for a boot chip family (0x3F, 0x78, 0x91, 0x85).
std::uint16_t CicSeedOf(BootChip chip);
// The seed to set for an image with these first 4096 canonical bytes:
// kCicAutomatic unless the boot code is one the checksum code knows for
// certain (a 6102 cannot be told from an unknown boot code, so the cart's
// own detection takes both).
std::uint16_t CicSeedForBoot(const std::uint8_t* canonical4096);

// What a transfer to the cart works with.
struct Sc64Context {
    ByteStream& stream;
    RomImage& image; // the message sink and, for a send, the loaded file
    const TransferCallbacks& calls;
    LinkWaits waits;
};

struct Sc64SendOptions {
    int saveType = 0;
    std::uint32_t bootMode = sc64::kBootLoadedImage;
};

struct Sc64Info {
    std::string identifier;
    std::uint16_t major = 0, minor = 0;
    std::uint32_t revision = 0;
    std::uint32_t bootMode = 0, saveType = 0, cicSeed = 0, tvType = 0;
};

// Sends the loaded image (plain or compressed, any byte order) to SDRAM in
// big-endian order, then sets SAVE_TYPE, CIC_SEED (from the boot code) and
// BOOT_MODE. ErrFailed (before the cart is touched) for an image that does
// not fit beside the chosen save; ErrTransfer, ErrCancelled.
EngineResult Sc64Send(const Sc64Context& ctx, const Sc64SendOptions& options);
// Reads `sizeBytes` of the ROM area into `path`, replaced only when all of it
// arrived. ErrReceive, ErrCancelled.
EngineResult Sc64Receive(const Sc64Context& ctx, const std::string& path, std::uint32_t sizeBytes);
// Reads the save area of `saveType` (nothing: the type set on the cart) into
// `path`. ErrReceive, ErrCancelled.
EngineResult Sc64BackupSave(const Sc64Context& ctx, const std::string& path, std::optional<int> saveType);
// Writes `path` into the save area of `saveType` (nothing: the type set on
// the cart); the file must hold exactly that area's size. ErrTransfer,
// ErrFailed (a file of the wrong size, before the cart is touched), ErrCancelled.
EngineResult Sc64RestoreSave(const Sc64Context& ctx, const std::string& path, std::optional<int> saveType);
// Identifier, firmware version and the options this program sets.
EngineResult Sc64ReadInfo(const Sc64Context& ctx, Sc64Info& info);

} // namespace q64
