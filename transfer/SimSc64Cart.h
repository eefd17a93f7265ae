#pragma once
// What a simulated SummerCart64 holds, as its firmware keeps it: the config
// options (switches as raw register bits, the rest as values, with the
// firmware's range checks), the boot chip parameters, and the memory map as
// seen from USB: 64 MiB of SDRAM, 16 MiB of flash (erased in 128 KiB blocks,
// programmed by writes that can only clear bits, busy after a write until
// waited for, its bootloader part write-protected) and the block RAM with the
// EEPROM. Not thread-safe: SimSc64 guards it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace q64 {

class SimSc64Cart {
public:
    static constexpr std::uint32_t kSdramSize = 0x04000000;
    static constexpr std::uint32_t kFlashBase = 0x04000000;
    static constexpr std::uint32_t kFlashSize = 0x01000000;
    static constexpr std::uint32_t kBootloaderBase = 0x04E00000;
    static constexpr std::uint32_t kBootloaderSize = 1920 * 1024;
    static constexpr std::uint32_t kEraseBlock = 128 * 1024; // FLASH_WAIT_BUSY's answer
    static constexpr std::uint32_t kBlockRamBase = 0x05000000;
    static constexpr std::uint32_t kBlockRamSize = 0x2C80; // data buffer, EEPROM, 64DD and FlashRAM buffers
    static constexpr std::uint32_t kFlashRamBuffer = 0x05002C00; // read-only
    static constexpr std::uint32_t kMemoryLength = kBlockRamBase + kBlockRamSize;

    // Config option ids.
    enum Id : std::uint32_t {
        kBootloaderSwitch = 0, kRomWriteEnable = 1, kRomShadowEnable = 2, kDdMode = 3, kIsvAddress = 4,
        kBootMode = 5, kSaveType = 6, kCicSeed = 7, kTvType = 8, kDdSdEnable = 9, kDdDriveType = 10,
        kDdDiskState = 11, kButtonState = 12, kButtonMode = 13, kRomExtendedEnable = 14,
    };
    // The status register's switch bits, as CONFIG_GET gives them back.
    static constexpr std::uint32_t kScrBootloaderEnabled = 1u << 0;
    static constexpr std::uint32_t kScrBootloaderSkip = 1u << 1;
    static constexpr std::uint32_t kScrRomWrite = 1u << 2;
    static constexpr std::uint32_t kScrRomShadow = 1u << 3;
    static constexpr std::uint32_t kScrDd = 1u << 7;
    static constexpr std::uint32_t kScrDdIpl = 1u << 8;
    static constexpr std::uint32_t kScrRomExtended = 1u << 11;

    // As at power-up: the bootloader switch on, everything else reset.
    SimSc64Cart();

    // STATE_RESET: every option back to its power-up value except the
    // bootloader switch; the boot chip parameters back to the 6102 pair.
    void ResetState();
    // CONFIG_GET: nothing for an unknown id.
    std::optional<std::uint32_t> Query(std::uint32_t id) const;
    // CONFIG_SET: false for an unknown id, a read-only one or a value out of range.
    bool Update(std::uint32_t id, std::uint32_t value);
    // CIC_PARAMS_SET's arguments as kept (the disable bit, seed, checksum).
    void SetCicParams(std::uint32_t arg0, std::uint32_t arg1);
    std::array<std::uint32_t, 2> CicParams() const { return cic_; }

    // True when a USB memory command may not touch [address, address+length):
    // zero length, past the memory, or (for writes) the bootloader's flash.
    static bool RangeRefused(std::uint32_t address, std::uint32_t length, bool write);
    // A USB write of an accepted range: SDRAM and block RAM take the bytes,
    // flash ANDs them into what it holds and turns busy.
    void Write(std::uint32_t address, const std::uint8_t* bytes, std::size_t count);
    // Memory as read over USB (unpopulated SDRAM and block RAM read 0, erased flash 0xFF).
    std::vector<std::uint8_t> Read(std::uint32_t address, std::uint32_t length) const;
    // Stores bytes anywhere in the map as given (a test's set-up).
    void Poke(std::uint32_t address, const std::vector<std::uint8_t>& bytes);
    // FLASH_ERASE_BLOCK: false for an address off a 128 KiB block or outside flash.
    bool EraseFlashBlock(std::uint32_t address);
    void WaitFlash() { flashBusy_ = false; }
    bool FlashBusy() const { return flashBusy_; }

private:
    // A run of `count` bytes at most from an address within one device:
    // where they are (null: not stored, they read as `fill`).
    struct Span {
        std::uint8_t* bytes;
        std::size_t count;
        std::uint8_t fill;
    };
    Span Region(std::uint32_t address, std::size_t count, bool grow);

    std::uint32_t scr_ = kScrBootloaderEnabled;
    std::uint32_t isvAddress_ = 0, bootMode_ = 0, saveType_ = 0, cicSeed_ = 0xFFFF, tvType_ = 3;
    std::uint32_t ddSdEnable_ = 0, ddDriveType_ = 0, ddDiskState_ = 0, buttonMode_ = 0;
    std::array<std::uint32_t, 2> cic_{};
    std::vector<std::uint8_t> sdram_; // grown as it is written
    std::vector<std::uint8_t> flash_; // allocated (erased) when first touched
    std::array<std::uint8_t, kBlockRamSize> blockRam_{};
    bool flashBusy_ = false;
};

} // namespace q64
