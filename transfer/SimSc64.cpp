#include "transfer/SimSc64.h"

#include <algorithm>
#include <cstring>

#include "transfer/Sc64Link.h"

namespace q64 {

namespace {
constexpr std::uint32_t kAddressSpace = 0x08000000; // reads past the devices give zeros
constexpr int kConfigButtonState = 12;              // read-only

std::array<std::uint32_t, SimSc64::kConfigCount> DefaultConfig() {
    std::array<std::uint32_t, SimSc64::kConfigCount> c{};
    c[0] = 1;      // BOOTLOADER_SWITCH
    c[7] = 0xFFFF; // CIC_SEED: automatic
    c[8] = 3;      // TV_TYPE: the console's own
    return c;
}

bool ConfigValueValid(std::uint32_t id, std::uint32_t value) {
    switch (id) {
    case 3: return value <= 3;  // DD_MODE
    case 5: return value <= 4;  // BOOT_MODE
    case 6: return value <= 7;  // SAVE_TYPE
    case 7: return value <= 0xFF || value == 0xFFFF;
    case 8: return value <= 3;  // TV_TYPE
    case 10: return value <= 1; // DD_DRIVE_TYPE
    case 11: return value <= 2; // DD_DISK_STATE
    case 13: return value <= 3; // BUTTON_MODE
    case 4: return value % 4 == 0 && value < 0x04000000;
    default: return value <= 1; // the switches
    }
}
} // namespace

SimSc64::SimSc64() : config_(DefaultConfig()) {}

void SimSc64::FailAt(std::uint8_t id, Sc64Fault fault, int occurrence) {
    std::lock_guard lock(mutex_);
    plans_.push_back(Plan{id, fault, occurrence});
}

void SimSc64::QueuePacket(std::uint8_t id, const std::vector<std::uint8_t>& data) {
    std::lock_guard lock(mutex_);
    std::uint8_t head[8] = {'P', 'K', 'T', id};
    PutBigEndian32(static_cast<std::uint32_t>(data.size()), head + 4);
    out_.insert(out_.end(), head, head + 8);
    out_.insert(out_.end(), data.begin(), data.end());
}

std::size_t SimSc64::Pending() const {
    std::lock_guard lock(mutex_);
    return out_.size();
}

std::size_t SimSc64::Take(std::uint8_t* out, std::size_t max) {
    std::lock_guard lock(mutex_);
    const std::size_t n = std::min(max, out_.size());
    std::copy_n(out_.begin(), n, out);
    out_.erase(out_.begin(), out_.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

void SimSc64::ResetLink() {
    std::lock_guard lock(mutex_);
    got_ = 0;
    dataLeft_ = 0;
    out_.clear();
}

std::uint8_t* SimSc64::At(std::uint32_t address) {
    if (address < kSdramSize) {
        if (sdram_.size() <= address) sdram_.resize(std::min<std::size_t>(kSdramSize, std::size_t{address} + 1 + (1u << 20)));
        return &sdram_[address];
    }
    if (address >= kEepromBase && address < kEepromBase + kEepromSize) return &eeprom_[address - kEepromBase];
    return nullptr;
}

bool SimSc64::WritableRange(std::uint32_t address, std::uint32_t length) const {
    const std::uint64_t end = std::uint64_t{address} + length;
    if (end <= kSdramSize) return true;
    return address >= kEepromBase && end <= std::uint64_t{kEepromBase} + kEepromSize;
}

std::vector<std::uint8_t> SimSc64::Memory(std::uint32_t address, std::uint32_t length) const {
    std::lock_guard lock(mutex_);
    std::vector<std::uint8_t> bytes(length, 0);
    for (std::uint32_t i = 0; i < length; ++i) {
        const std::uint32_t a = address + i;
        if (a < sdram_.size()) bytes[i] = sdram_[a];
        else if (a >= kEepromBase && a < kEepromBase + kEepromSize) bytes[i] = eeprom_[a - kEepromBase];
    }
    return bytes;
}

void SimSc64::SetMemory(std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (std::uint8_t* p = At(address + static_cast<std::uint32_t>(i))) *p = bytes[i];
}

void SimSc64::StoreData(const std::uint8_t* bytes, std::size_t count) {
    payload_ += count;
    if (!writeOk_) {
        writeAt_ += static_cast<std::uint32_t>(count);
        return;
    }
    if (writeAt_ < kSdramSize) {
        const std::size_t end = std::size_t{writeAt_} + count;
        if (sdram_.size() < end) sdram_.resize(end);
        std::memcpy(&sdram_[writeAt_], bytes, count);
    } else {
        std::memcpy(&eeprom_[writeAt_ - kEepromBase], bytes, count);
    }
    writeAt_ += static_cast<std::uint32_t>(count);
}

void SimSc64::Feed(const std::uint8_t* bytes, std::size_t count) {
    std::lock_guard lock(mutex_);
    while (count != 0) {
        if (dataLeft_ != 0) {
            const std::size_t n = std::min<std::size_t>(count, dataLeft_);
            StoreData(bytes, n);
            bytes += n;
            count -= n;
            dataLeft_ -= static_cast<std::uint32_t>(n);
            if (dataLeft_ == 0) Execute();
            continue;
        }
        head_[got_++] = *bytes++;
        --count;
        if (got_ < 3 && head_[got_ - 1] != "CMD"[got_ - 1]) {
            got_ = 0; // not a packet start: wait for one
            continue;
        }
        if (got_ < head_.size()) continue;
        got_ = 0;
        id_ = head_[3];
        arg0_ = BigEndian32(&head_[4]);
        arg1_ = BigEndian32(&head_[8]);
        commands_.push_back(id_);
        if (id_ == sc64::kMemoryWrite && arg1_ != 0) {
            dataLeft_ = arg1_;
            writeAt_ = arg0_;
            writeOk_ = WritableRange(arg0_, arg1_);
            continue;
        }
        Execute();
    }
}

void SimSc64::Answer(bool ok, const std::vector<std::uint8_t>& data) {
    if (silent_) return;
    Sc64Fault fault = Sc64Fault::None;
    for (auto plan = plans_.begin(); plan != plans_.end(); ++plan) {
        if (plan->id != id_) continue;
        if (--plan->countdown == 0) {
            fault = plan->fault;
            plans_.erase(plan);
        }
        break;
    }
    if (fault == Sc64Fault::Silent) {
        silent_ = true;
        return;
    }
    if (fault == Sc64Fault::Refuse) ok = false;
    std::vector<std::uint8_t> packet = {static_cast<std::uint8_t>(ok ? 'C' : 'E'), static_cast<std::uint8_t>(ok ? 'M' : 'R'),
                                        static_cast<std::uint8_t>(ok ? 'P' : 'R'), id_, 0, 0, 0, 0};
    const std::vector<std::uint8_t>& body = ok ? data : std::vector<std::uint8_t>{};
    PutBigEndian32(static_cast<std::uint32_t>(body.size()), &packet[4]);
    packet.insert(packet.end(), body.begin(), body.end());
    if (fault == Sc64Fault::Cut) {
        packet.resize(packet.size() / 2);
        silent_ = true;
    }
    out_.insert(out_.end(), packet.begin(), packet.end());
}

void SimSc64::Execute() {
    switch (id_) {
    case sc64::kIdentifierGet: return Answer(true, std::vector<std::uint8_t>(identifier_.begin(), identifier_.end()));
    case sc64::kVersionGet: return Answer(true, {0, 2, 0, 18, 0, 0, 0, 0});
    case 'R':
        config_ = DefaultConfig();
        return Answer(true, {});
    case sc64::kConfigGet: {
        if (arg0_ >= kConfigCount) return Answer(false, {});
        std::vector<std::uint8_t> value(4);
        PutBigEndian32(config_[arg0_], value.data());
        return Answer(true, value);
    }
    case sc64::kConfigSet:
        if (arg0_ >= kConfigCount || arg0_ == kConfigButtonState || !ConfigValueValid(arg0_, arg1_))
            return Answer(false, {});
        config_[arg0_] = arg1_;
        return Answer(true, {});
    case sc64::kMemoryWrite: return Answer(writeOk_ || arg1_ == 0, {});
    case sc64::kMemoryRead: {
        if (std::uint64_t{arg0_} + arg1_ > kAddressSpace) return Answer(false, {});
        std::vector<std::uint8_t> bytes(arg1_, 0);
        for (std::uint32_t i = 0; i < arg1_; ++i) {
            const std::uint32_t a = arg0_ + i;
            if (a < sdram_.size()) bytes[i] = sdram_[a];
            else if (a >= kEepromBase && a < kEepromBase + kEepromSize) bytes[i] = eeprom_[a - kEepromBase];
        }
        return Answer(true, bytes);
    }
    default: return Answer(false, {});
    }
}

StreamResult SimSc64Stream::Write(const std::uint8_t* bytes, std::size_t count, int, std::size_t& written) {
    unit_.Feed(bytes, count);
    written = count;
    return StreamResult::Ok;
}

StreamResult SimSc64Stream::Read(std::uint8_t* bytes, std::size_t max, int, std::size_t& got) {
    got = unit_.Take(bytes, max);
    return got == 0 ? StreamResult::TimedOut : StreamResult::Ok;
}

} // namespace q64
