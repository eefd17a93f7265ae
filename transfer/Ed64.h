#pragma once
// The EverDrive-64 (X7, V3) over USB, as its maker's USB tool drives it.
// Every operation opens a session: it drops what an earlier session left
// unread and sends the test, which a cart at its menu answers "cmdr";
// anything else is not an EverDrive (or one whose OS is too old) and nothing
// is written. A send fills the first 1 MiB + 4 KiB of ROM memory when the
// image is smaller (the boot code's checksum covers that much), writes the
// image in big-endian order padded to 512 bytes, pauses, starts it and sends
// the save's file name. A receive reads ROM memory back. Failures are told
// through the image's message sink, then "Ready"; the user's image is never
// changed, and a receive's target only replaced when complete.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/RomImage.h"
#include "engine/SaveType.h"
#include "transfer/ByteStream.h"
#include "transfer/Ed64Link.h"
#include "transfer/TransferContext.h"

namespace q64 {

namespace ed64 {
constexpr std::uint32_t kRomBase = 0x10000000;           // ROM memory as the cart's OS addresses it
constexpr std::uint32_t kRomSize = 0x04000000;           // 64 MiB
constexpr std::uint32_t kFillArea = 0x100000 + 4096;     // filled first for a smaller image
constexpr std::uint32_t kFillZero = 0;                   // the fill value for a game
constexpr std::uint32_t kFillOnes = 0xFFFFFFFF;          // ... for the cart's own bootloader image
constexpr std::size_t kPiece = 32768;                    // image data per write
constexpr std::size_t kNameBytes = 256;                  // the save name block after the start
constexpr std::uint32_t kNameFollows = 1;                // start argument: the name block follows
constexpr std::size_t kSaveIdAt = 0x3C;                  // "ED" in the canonical header
constexpr std::size_t kSaveTypeAt = 0x3F;                // type in the high nibble, options in the low
} // namespace ed64

// What a transfer to the cart works with.
struct Ed64Context {
    ByteStream& stream;
    RomImage& image; // the message sink and, for a send, the loaded file
    const TransferCallbacks& calls;
    Ed64Waits waits;
};

struct Ed64SendOptions {
    // The save type the cart's OS is to give the image; nothing leaves the
    // header as it is (the OS then goes by its own list).
    std::optional<SaveType> saveType;
};

// Makes a canonical header (64 bytes) carry `type` as the cart's OS reads it:
// "ED" at 0x3C and the type in the high nibble of 0x3F. The low nibble (RTC,
// region-free) is kept when the header carried "ED" already, else cleared
// (it would be the version byte's). Nothing changes when the header already
// says `type`, nor for none on a header without "ED". True when it changed.
bool SetEd64SaveType(std::uint8_t* canonicalHeader, SaveType type);

// The block sent after the start command: the file name of `path` (with its
// extension, as the maker's tool sends it) in ASCII, zero-padded to 256
// bytes. Bytes a FAT name cannot hold become '_'; a name longer than 255
// bytes loses the end of its stem, keeping the extension.
std::array<std::uint8_t, ed64::kNameBytes> Ed64SaveNameBlock(const std::string& path);

// The fill value for an image with this canonical header: all ones for the
// cart's own bootloader ("EverDrive bootloader" at 0x20), else zero.
std::uint32_t Ed64FillValue(const std::uint8_t* canonicalHeader);

// Sends the loaded image (plain or compressed, any byte order), starts it and
// names its save. ErrFailed before the cart is touched for a file that is no
// image or larger than 64 MiB; ErrTransfer, ErrCancelled, ErrOpen.
EngineResult Ed64Send(const Ed64Context& ctx, const Ed64SendOptions& options);
// Reads the first `sizeBytes` (a multiple of 512, at most 64 MiB) of ROM
// memory into `path`. ErrReceive, ErrCancelled.
EngineResult Ed64Receive(const Ed64Context& ctx, const std::string& path, std::uint32_t sizeBytes);
// Sends the test and hands back the 16-byte answer (nothing when none came
// whole). Ok only for "cmdr".
using Ed64Answer = std::array<std::uint8_t, ed64::kCommandSize>;
EngineResult Ed64Probe(const Ed64Context& ctx, std::optional<Ed64Answer>& answer);

} // namespace q64
