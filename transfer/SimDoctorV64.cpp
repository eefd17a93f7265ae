#include "transfer/SimDoctorV64.h"

namespace q64 {

namespace {
constexpr std::uint8_t kStrobe = 0x01;
constexpr std::uint8_t kAckBit0 = 0x02;  // control bit 1, wiring 0
constexpr std::uint8_t kSyncBit = 0x08;  // control bit 3 (wiring 0) or status bit 3 (wiring 1)
constexpr std::uint8_t kAckBit1 = 0x10;  // status bit 4, wiring 1
constexpr std::uint8_t kClockBit = 0x80; // status bit 7 while sending
constexpr std::size_t kSizeBlock = 15;
} // namespace

SimDoctorV64::SimDoctorV64(PortAddress base, int wiring, SimFault fault)
    : base_(base), wiring_(wiring == 1 ? 1 : 0), fault_(fault) {}

std::uint8_t SimDoctorV64::Read(PortAddress address) {
    const int reg = address - base_;
    if (reg == 0) return data_;
    const bool answering = fault_ != SimFault::Silent;
    if (reg == 2) {
        if (wiring_ == 1 || !answering) return control_;
        return static_cast<std::uint8_t>((control_ & ~(kAckBit0 | kSyncBit)) | (ackLevel_ ? kAckBit0 : 0) |
                                         (syncLine_ ? kSyncBit : 0));
    }
    if (phase_ == Phase::Sending || phase_ == Phase::Sent) return status_;
    if (wiring_ == 0 || !answering) return 0x00;
    return static_cast<std::uint8_t>((syncLine_ ? 0 : kSyncBit) | (ackLevel_ ? 0 : kAckBit1));
}

void SimDoctorV64::Write(PortAddress address, std::uint8_t value) {
    const int reg = address - base_;
    if (reg == 0) WriteData(value);
    if (reg == 2) WriteControl(value);
}

void SimDoctorV64::WriteControl(std::uint8_t value) {
    const std::uint8_t old = control_;
    control_ = value;
    if (phase_ == Phase::Sent) phase_ = Phase::Idle; // the last half stays on the lines until then
    if (fault_ == SimFault::Silent || frozen_) return;
    const std::uint8_t first = wiring_ == 0 ? 0xAA : 0xA5;
    const std::uint8_t second = wiring_ == 0 ? 0x55 : 0x5A;
    if (value == 0x00) {
        if (data_ == first) {
            syncStage_ = 1;
            syncLine_ = true;
        } else if (data_ == second && syncStage_ == 1) {
            syncStage_ = 2;
            syncLine_ = true;
        }
        return;
    }
    if ((value & 0x04) && !(old & 0x04)) {
        syncLine_ = false;
        if (syncStage_ == 2) {
            ++syncs_;
            syncStage_ = 0;
            phase_ = Phase::Command;
            collected_.clear();
        }
    }
    if ((value ^ old) & kStrobe) {
        TakeByte(data_);
        if (!frozen_) ackLevel_ = value & kStrobe;
    }
}

void SimDoctorV64::TakeByte(std::uint8_t byte) {
    switch (phase_) {
    case Phase::Idle:
    case Phase::Turnaround:
    case Phase::Sending:
    case Phase::Sent: return;
    case Phase::Command:
        collected_.push_back(byte);
        if (collected_.size() < 4) return;
        if (collected_[0] == 'G' && collected_[1] == 'D' && collected_[2] == '6' && collected_[3] == 'R') {
            phase_ = Phase::CommandArg;
        } else if (collected_[0] == 'G' && collected_[1] == 'D' && collected_[2] == '6' && collected_[3] == 'W') {
            phase_ = Phase::RequestName;
            requestedName_.clear();
        } else {
            phase_ = Phase::Idle;
        }
        collected_.clear();
        return;
    case Phase::CommandArg:
        phase_ = byte == 0x01 ? Phase::Length : Phase::Idle;
        return;
    case Phase::Length:
        collected_.push_back(byte);
        if (collected_.size() < 4) return;
        length_ = static_cast<std::uint32_t>(collected_[0] | collected_[1] << 8 | collected_[2] << 16 |
                                             collected_[3] << 24);
        collected_.clear();
        name_.clear();
        received_.clear();
        uploadComplete_ = false;
        phase_ = Phase::Name;
        return;
    case Phase::Name:
        name_.push_back(static_cast<char>(byte));
        if (name_.size() == 11) {
            phase_ = length_ == 0 ? Phase::Idle : Phase::Data;
            uploadComplete_ = length_ == 0;
        }
        return;
    case Phase::Data:
        received_.push_back(byte);
        if (received_.size() == length_) {
            uploadComplete_ = true;
            phase_ = Phase::Idle;
        } else if (fault_ == SimFault::Stall && received_.size() >= length_ / 2) {
            frozen_ = true;
        }
        return;
    case Phase::RequestName:
        requestedName_.push_back(static_cast<char>(byte));
        if (requestedName_.size() == 11) StartDownload();
        return;
    }
}

void SimDoctorV64::StartDownload() {
    outgoing_.assign(1 + kSizeBlock, 0);
    const std::uint32_t size = static_cast<std::uint32_t>(image_.size());
    for (int i = 0; i < 4; ++i) outgoing_[1 + i] = static_cast<std::uint8_t>(size >> (8 * i));
    outgoing_.insert(outgoing_.end(), image_.begin(), image_.end());
    outIndex_ = 0;
    presentingLow_ = false;
    status_ = 0;
    phase_ = Phase::Turnaround;
}

void SimDoctorV64::WriteData(std::uint8_t value) {
    data_ = value;
    if (fault_ == SimFault::Silent || frozen_) return;
    if (phase_ != Phase::Turnaround && phase_ != Phase::Sending) return;
    if (value == 0x80 && !presentingLow_ && outIndex_ < outgoing_.size()) {
        phase_ = Phase::Sending;
        presentingLow_ = true;
        status_ = static_cast<std::uint8_t>(kClockBit | (outgoing_[outIndex_] & 0x0F) << 3);
    } else if (value == 0x00 && presentingLow_) {
        presentingLow_ = false;
        status_ = static_cast<std::uint8_t>((outgoing_[outIndex_] >> 4) << 3);
        ++outIndex_;
        if (fault_ == SimFault::Stall && outIndex_ >= 1 + kSizeBlock + image_.size() / 2) frozen_ = true;
        if (outIndex_ == outgoing_.size()) phase_ = Phase::Sent;
    }
}

} // namespace q64
