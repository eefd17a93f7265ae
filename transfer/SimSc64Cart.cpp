#include "transfer/SimSc64Cart.h"

#include <algorithm>
#include <cstring>

namespace q64 {

namespace {
constexpr std::uint32_t kResetMask = SimSc64Cart::kScrBootloaderSkip | SimSc64Cart::kScrRomWrite |
                                     SimSc64Cart::kScrRomShadow | SimSc64Cart::kScrDd | SimSc64Cart::kScrDdIpl |
                                     SimSc64Cart::kScrRomExtended;
constexpr std::uint32_t kSaveTypeCount = 8;
constexpr std::uint32_t kButtonModeCount = 4;
constexpr std::uint32_t kBootDirectRom = 3, kBootDirectDdIpl = 4;
// The 6102 boot code's pair the firmware restores on a reset: seed 0x3F, checksum 0xA536C0F1D859.
constexpr std::array<std::uint32_t, 2> kDefaultCic = {0x003FA536, 0xC0F1D859};
} // namespace

SimSc64Cart::SimSc64Cart() { ResetState(); }

void SimSc64Cart::ResetState() {
    scr_ &= ~kResetMask;
    saveType_ = 0;
    buttonMode_ = 0;
    ddDriveType_ = 0;
    ddDiskState_ = 0;
    ddSdEnable_ = 0;
    isvAddress_ = 0;
    cicSeed_ = 0xFFFF;
    tvType_ = 3;
    bootMode_ = 0;
    cic_ = kDefaultCic;
}

std::optional<std::uint32_t> SimSc64Cart::Query(std::uint32_t id) const {
    switch (id) {
    case kBootloaderSwitch: return scr_ & kScrBootloaderEnabled;
    case kRomWriteEnable: return scr_ & kScrRomWrite;
    case kRomShadowEnable: return scr_ & kScrRomShadow;
    case kDdMode: return ((scr_ & kScrDdIpl) ? 2u : 0u) | ((scr_ & kScrDd) ? 1u : 0u);
    case kIsvAddress: return isvAddress_;
    case kBootMode: return bootMode_;
    case kSaveType: return saveType_;
    case kCicSeed: return cicSeed_;
    case kTvType: return tvType_;
    case kDdSdEnable: return ddSdEnable_;
    case kDdDriveType: return ddDriveType_;
    case kDdDiskState: return ddDiskState_;
    case kButtonState: return 0u;
    case kButtonMode: return buttonMode_;
    case kRomExtendedEnable: return scr_ & kScrRomExtended;
    default: return std::nullopt;
    }
}

bool SimSc64Cart::Update(std::uint32_t id, std::uint32_t value) {
    // A switch takes any value: non-zero sets its bit.
    const auto flip = [this, value](std::uint32_t bit) {
        scr_ = value != 0 ? scr_ | bit : scr_ & ~bit;
        return true;
    };
    switch (id) {
    case kBootloaderSwitch: return flip(kScrBootloaderEnabled);
    case kRomWriteEnable: return flip(kScrRomWrite);
    case kRomShadowEnable: return flip(kScrRomShadow);
    case kRomExtendedEnable: return flip(kScrRomExtended);
    case kDdMode:
        if (value > 3) return false;
        scr_ = (scr_ & ~(kScrDd | kScrDdIpl)) | ((value & 1) ? kScrDd : 0) | ((value & 2) ? kScrDdIpl : 0);
        return true;
    case kIsvAddress:
        if (value >= kSdramSize || value % 4 != 0) return false;
        isvAddress_ = value;
        return true;
    case kBootMode:
        if (value > kBootDirectDdIpl) return false;
        bootMode_ = value;
        scr_ = value == kBootDirectRom || value == kBootDirectDdIpl ? scr_ | kScrBootloaderSkip
                                                                    : scr_ & ~kScrBootloaderSkip;
        return true;
    case kSaveType:
        if (value >= kSaveTypeCount) return false;
        saveType_ = value;
        return true;
    case kCicSeed:
        if (value != 0xFFFF && value > 0xFF) return false;
        cicSeed_ = value;
        return true;
    case kTvType:
        if (value > 3) return false;
        tvType_ = value;
        return true;
    case kDdSdEnable: ddSdEnable_ = value != 0; return true;
    case kDdDriveType:
        if (value > 1) return false;
        ddDriveType_ = value;
        return true;
    case kDdDiskState:
        if (value > 2) return false;
        ddDiskState_ = value;
        return true;
    case kButtonMode:
        if (value >= kButtonModeCount) return false;
        buttonMode_ = value;
        return true;
    default: return false; // the button state is read-only; unknown ids
    }
}

void SimSc64Cart::SetCicParams(std::uint32_t arg0, std::uint32_t arg1) { cic_ = {arg0 & 0x01FFFFFF, arg1}; }

bool SimSc64Cart::RangeRefused(std::uint32_t address, std::uint32_t length, bool write) {
    if (length == 0 || address >= kMemoryLength || length > kMemoryLength) return true;
    const std::uint64_t end = std::uint64_t{address} + length;
    if (end > kMemoryLength) return true;
    return write && end > kBootloaderBase && address < kBootloaderBase + kBootloaderSize;
}

SimSc64Cart::Span SimSc64Cart::Region(std::uint32_t address, std::size_t count, bool grow) {
    if (address < kSdramSize) {
        std::size_t n = std::min<std::size_t>(count, kSdramSize - address);
        if (grow && sdram_.size() < address + n)
            sdram_.resize(std::min<std::size_t>(kSdramSize, std::size_t{address} + n + (1u << 20)), 0);
        if (address >= sdram_.size()) return {nullptr, n, 0};
        return {&sdram_[address], std::min(n, sdram_.size() - address), 0};
    }
    if (address < kFlashBase + kFlashSize) {
        const std::size_t n = std::min<std::size_t>(count, kFlashBase + kFlashSize - address);
        if (flash_.empty() && grow) flash_.assign(kFlashSize, 0xFF);
        if (flash_.empty()) return {nullptr, n, 0xFF};
        return {&flash_[address - kFlashBase], n, 0};
    }
    if (address >= kBlockRamBase && address < kMemoryLength) {
        // The read-only FlashRAM buffer at its end is a run of its own.
        const std::uint32_t end = address < kFlashRamBuffer ? kFlashRamBuffer : kMemoryLength;
        return {&blockRam_[address - kBlockRamBase], std::min<std::size_t>(count, end - address), 0};
    }
    const std::size_t n = address < kBlockRamBase ? std::min<std::size_t>(count, kBlockRamBase - address) : count;
    return {nullptr, n, 0};
}

void SimSc64Cart::Write(std::uint32_t address, const std::uint8_t* bytes, std::size_t count) {
    while (count != 0) {
        const Span span = Region(address, count, true);
        if (span.bytes && address >= kFlashBase && address < kFlashBase + kFlashSize) {
            for (std::size_t i = 0; i < span.count; ++i) span.bytes[i] &= bytes[i]; // programming clears bits only
            flashBusy_ = true;
        } else if (span.bytes && address < kFlashRamBuffer) {
            std::memcpy(span.bytes, bytes, span.count);
        }
        address += static_cast<std::uint32_t>(span.count);
        bytes += span.count;
        count -= span.count;
    }
}

std::vector<std::uint8_t> SimSc64Cart::Read(std::uint32_t address, std::uint32_t length) const {
    std::vector<std::uint8_t> bytes(length, 0);
    auto* self = const_cast<SimSc64Cart*>(this); // Region() does not grow here
    for (std::size_t done = 0; done < length;) {
        const Span span = self->Region(address + static_cast<std::uint32_t>(done), length - done, false);
        if (span.bytes) std::memcpy(bytes.data() + done, span.bytes, span.count);
        else std::fill_n(bytes.data() + done, span.count, span.fill);
        done += span.count;
    }
    return bytes;
}

void SimSc64Cart::Poke(std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const Span span = Region(address + static_cast<std::uint32_t>(done), bytes.size() - done, true);
        if (span.bytes) std::memcpy(span.bytes, bytes.data() + done, span.count);
        done += span.count;
    }
}

bool SimSc64Cart::EraseFlashBlock(std::uint32_t address) {
    if (address % kEraseBlock != 0 || address < kFlashBase || address >= kFlashBase + kFlashSize) return false;
    if (!flash_.empty()) std::fill_n(flash_.begin() + (address - kFlashBase), kEraseBlock, std::uint8_t{0xFF});
    flashBusy_ = false; // the firmware waits for the erase to end before it answers
    return true;
}

} // namespace q64
