#pragma once
// Cartridge and Controller Pak saves between the files that hold them.
//
// Every format decodes into a cart save in the cart's own byte order (what a
// flashcart's SD card, the SummerCart64's save backup and the DX256 rooms
// hold) and encodes from it:
//
//   eep4k, eep16k     EEPROM, 512 or 2048 bytes, cart order
//   sra               SRAM, 32768 (98304, 131072 banked) bytes, cart order
//   fla               FlashRAM, 131072 bytes, cart order
//   mpk               one Controller Pak, 32768 bytes, cart order
//   dexdrive          one Controller Pak behind the DexDrive's 4160-byte header
//                     ("123-456-STD", then 16 note comments of 256 bytes)
//   srm               RetroArch's mupen64plus container, 0x48800 bytes: EEPROM
//                     0x800 at 0, four paks of 0x8000 from 0x800, SRAM 0x8000 at
//                     0x20800, FlashRAM 0x20000 at 0x28800; SRAM and FlashRAM with
//                     every 32-bit word reversed, the rest in cart order
//   m64p-eep          mupen64plus: always 2048 bytes, cart order
//   m64p-sra, m64p-fla  mupen64plus: every 32-bit word reversed
//   m64p-mpk          mupen64plus: the four controllers' paks in one file of
//                     131072 bytes, cart order
//   pj64-eep, pj64-mpk  Project64: as eep4k/eep16k and mpk
//   pj64-sra, pj64-fla  Project64: every 32-bit word reversed
//
// A conversion that would drop data (bytes a smaller save has no room for,
// DexDrive comments) is refused with the reason unless it is forced.
// Pure functions over buffers; the files are read and written by the callers.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/EngineTypes.h"

namespace q64 {

enum class SaveMedium : int { Eeprom, Sram, FlashRam, ControllerPak };

enum class SaveFormat : int {
    Eep4k,
    Eep16k,
    Sra,
    Fla,
    Mpk,
    DexDrive,
    Srm,
    M64pEep,
    M64pSra,
    M64pFla,
    M64pMpk,
    Pj64Eep,
    Pj64Sra,
    Pj64Fla,
    Pj64Mpk,
};

struct SaveFormatInfo {
    SaveFormat format;
    const char* key;         // the command line's name
    const char* extension;   // without the dot
    const char* description; // for lists and pickers
};

const std::vector<SaveFormatInfo>& SaveFormats();
const SaveFormatInfo& InfoOf(SaveFormat format);
std::optional<SaveFormat> SaveFormatFromKey(const std::string& key);
// True for the containers that hold several saves and take --pak / a part.
bool IsContainer(SaveFormat format);
// What a save of `medium` is called: "EEPROM", "SRAM", "FlashRAM", "Controller Pak".
const char* MediumName(SaveMedium medium);

// DexDrive pak images.
namespace dexdrive {
constexpr std::size_t kHeaderSize = 0x1040;
constexpr std::size_t kFileSize = kHeaderSize + 32768; // 36928
constexpr std::size_t kCommentsAt = 0x40;
constexpr std::size_t kCommentSize = 256;
} // namespace dexdrive
bool IsDexDriveImage(const std::uint8_t* bytes, std::size_t size);
// A DexDrive image of `pak` with `header` (4160 bytes, kept from an image read
// before) or a new header with no comments.
std::vector<std::uint8_t> WrapDexDrive(const std::vector<std::uint8_t>& pak,
                                       const std::vector<std::uint8_t>& header = {});
// The comment of note 1..16 in a DexDrive header (7-bit text up to its first zero byte).
std::string DexDriveComment(const std::vector<std::uint8_t>& header, int note);

namespace srm {
constexpr std::size_t kSize = 0x48800;
constexpr std::size_t kEeprom = 0x0, kEepromSize = 0x800;
constexpr std::size_t kPaks = 0x800, kPakSize = 0x8000;
constexpr std::size_t kSram = 0x20800, kSramSize = 0x8000;
constexpr std::size_t kFlashRam = 0x28800, kFlashRamSize = 0x20000;
} // namespace srm

// What a file of unknown format is, from its name and bytes: a .srm-sized
// file, a DexDrive image, .eep/.sra/.fla/.mpk/.sav of a size they come in, or
// a 32768-byte pak with a sound ID area under any name. Nothing when none fits.
std::optional<SaveFormat> DetectSaveFormat(const std::string& name, const std::vector<std::uint8_t>& bytes);

// A save in the cart's own order.
struct CartSave {
    SaveMedium medium = SaveMedium::Eeprom;
    std::vector<std::uint8_t> bytes;
    // An EEPROM whose file is always 2048 bytes (mupen64plus, .srm): its size
    // is what its data needs.
    bool eepromSizeOpen = false;
};

struct ConvertRequest {
    SaveFormat from = SaveFormat::Eep4k;
    SaveFormat to = SaveFormat::Eep4k;
    int pak = 1;      // 1..4: the pak of a container
    bool force = false; // convert even when data would be dropped
    // A container (.srm, m64p-mpk) being updated: its present content. Empty:
    // a new one, its other parts blank (paks formatted).
    std::vector<std::uint8_t> existingOut;
    std::uint64_t formatSeed = 0; // serial of paks formatted in a new container
};

struct ConvertOutcome {
    EngineResult result = EngineResult::Ok; // Ok, ErrFormat (wrong input), ErrFailed (refused)
    std::string message;                    // why not; on success with force, what was dropped
    std::vector<std::uint8_t> bytes;        // the output file's whole content
    bool lossy = false;                     // refused (or forced) because data would be dropped
};

// Reads `input` as `request.from` and writes it as `request.to`.
ConvertOutcome ConvertSave(const std::vector<std::uint8_t>& input, const ConvertRequest& request);

// The format an output named `name` gets when none is given, for an input of
// `from` held in `input`: by its extension (.eep by the data's size, .sav in
// the cart order of what it holds). Nothing when the extension says nothing.
std::optional<SaveFormat> OutputFormatFor(const std::string& name, SaveFormat from,
                                          const std::vector<std::uint8_t>& input);

} // namespace q64
