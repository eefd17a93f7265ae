#pragma once
// Types shared by every engine and transfer operation: result codes, file kinds,
// byte orders, the progress callback and the message sink.

#include <cstdint>
#include <functional>
#include <string>

namespace q64 {

// Every operation returns one of these; 1 is success, each failure is negative.
enum class EngineResult : int {
    Ok = 1,
    ErrOpen = -1,           // a file could not be opened
    ErrFormat = -2,         // not recognised, or a size the operation cannot take
    ErrNotLoaded = -3,      // no file is loaded
    ErrReceive = -4,        // transfer layer: a receive failed
    ErrTransfer = -6,       // transfer layer: a send or handshake failed
    ErrBackup = -8,         // the backup could not be made
    ErrCompressed = -9,     // the image is already compressed
    ErrNotCompressed = -10, // the image is not compressed
    ErrNotPatch = -11,      // the patch file does not start with "PATCH"
    ErrCancelled = -12,     // the progress callback asked to stop
    ErrFailed = -20,        // wrong kind, a .bak file, an I/O failure, a library failure
};

inline int ToInt(EngineResult r) { return static_cast<int>(r); }
const char* ResultName(EngineResult r);

// File kinds are bit values, tested with masks by the view.
enum class FileKind : int {
    None = 0x000,
    Image = 0x001,
    CompressedImage = 0x011,
    Doctor64Bios = 0x004,
    IpsPatch = 0x008,
    SavRam = 0x040,
    TaggedSave = 0x080,
    Dx256 = 0x200,
    BpsPatch = 0x800, // a BPS patch ("BPS1"): applied by IPS Patch, never sent
    MemoryPak = 0x400, // a Controller Pak: 32768 bytes with a sound ID area, or a DexDrive image
    GameSave = 0x1000, // a cart or emulator save named by its extension (.eep, .sra, .fla, .srm, a four-pak .mpk)
};

constexpr int kImageBit = 0x001;
constexpr int kCompressedBit = 0x010;
// Image, BIOS, IPS or SAV: the mask the commands use for "can be sent".
constexpr int kSendableMask = 0x04D;

inline int ToInt(FileKind k) { return static_cast<int>(k); }
inline bool HasImageBit(FileKind k) { return (ToInt(k) & kImageBit) != 0; }

// Byte order of an image file, told apart by its first four bytes.
enum class ImageFormat : int {
    ByteSwapped = 0,  // "Doctor 64": canonical byte k is at file offset k XOR 1
    BigEndian = 1,    // "SP64/WC/Z64": file order equals canonical order
    LittleEndian = 2, // every 32-bit word reversed: canonical byte k is at k XOR 3
};

// Progress callback: percent 0..100 in (called only when the whole value changes);
// returns 1 to go on, anything else to stop (the operation then returns ErrCancelled).
using ProgressFn = std::function<int(int percent)>;
constexpr int kProgressGoOn = 1;
constexpr int kProgressCancelled = -12;

// Receives one-line error texts from the engine and the transfer layer.
using MessageSink = std::function<void(const std::string& text)>;

// The "Backup" setting as the engine reads it: 1 keeps the backup, 0 deletes a
// temporary one after success, 3 skips the backup for in-place changes.
enum class BackupMode : int {
    Temporary = 0,
    Keep = 1,
    NoneInPlace = 3,
};

inline BackupMode BackupModeFromSetting(int value) {
    switch (value) {
    case 1: return BackupMode::Keep;
    case 3: return BackupMode::NoneInPlace;
    default: return BackupMode::Temporary;
    }
}

} // namespace q64
