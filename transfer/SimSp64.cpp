#include "transfer/SimSp64.h"

namespace q64 {

namespace {
constexpr int kBlockSize = 256;
constexpr std::uint8_t kResetLevel = 0x06;
} // namespace

std::uint8_t SimSp64::Read(PortAddress address) {
    const int reg = address - base_;
    if (reg == 0) return data_;
    if (reg == 2) return control_;
    return 0x00;
}

void SimSp64::Write(PortAddress address, std::uint8_t value) {
    const int reg = address - base_;
    if (reg == 0) {
        data_ = value;
        return;
    }
    if (reg != 2) return;
    const std::uint8_t old = control_;
    control_ = value;
    if (value == kResetLevel) resetSeen_ = true;
    if ((value & 0x01) && !(old & 0x01)) TakeByte(data_);
}

void SimSp64::TakeByte(std::uint8_t byte) {
    if (resetSeen_) {
        resetSeen_ = false;
        commands_.push_back(byte);
        const std::size_t n = commands_.size();
        if (n >= 3 && commands_[n - 3] == 0x00 && commands_[n - 2] == 0x00 && commands_[n - 1] == 'R') {
            open_ = true;
            closed_ = false;
            received_.clear();
            blocks_.clear();
            numberingOk_ = true;
            headerCount_ = 0;
            blockFill_ = kBlockSize;
        } else if (byte == 0xCC && open_) {
            open_ = false;
            closed_ = true;
        }
        return;
    }
    if (!open_) return;
    if (blockFill_ == kBlockSize) { // a block number comes first
        blockNumber_ = blockNumber_ << 8 | byte;
        if (++headerCount_ < 3) return;
        blockNumber_ &= 0xFFFFFF;
        if (blockNumber_ != blocks_.size()) numberingOk_ = false;
        blocks_.push_back(blockNumber_);
        headerCount_ = 0;
        blockNumber_ = 0;
        blockFill_ = 0;
        return;
    }
    received_.push_back(byte);
    ++blockFill_;
}

} // namespace q64
