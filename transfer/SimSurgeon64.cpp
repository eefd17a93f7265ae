#include "transfer/SimSurgeon64.h"

namespace q64 {

void SimSurgeon64::SetPak(const std::vector<std::uint8_t>& bytes) {
    pak_.fill(0);
    for (std::size_t i = 0; i < bytes.size() && i < kPakSize; ++i) pak_[i] = bytes[i];
}

void SimSurgeon64::Write(PortAddress address, std::uint8_t value) {
    switch (address - base_) {
    case 0:
        control_ = value;
        controlWrites_.push_back(value);
        break;
    case 1: address_ = static_cast<std::uint16_t>((address_ & 0xFF00) | value); break;
    case 2: address_ = static_cast<std::uint16_t>((address_ & 0x00FF) | value << 8); break;
    case 3:
        if (PcHolds()) pak_[address_ % kPakSize] = value;
        break;
    default: break;
    }
}

std::uint8_t SimSurgeon64::Read(PortAddress address) {
    if (address - base_ == 3 && PcHolds()) return pak_[address_ % kPakSize];
    return 0xFF;
}

} // namespace q64
