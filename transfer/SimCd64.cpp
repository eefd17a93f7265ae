#include "transfer/SimCd64.h"

namespace q64 {

namespace {
constexpr std::uint8_t kBusy = 0x01;
} // namespace

SimCd64::SimCd64(PortAddress base, SimFault fault) : base_(base), fault_(fault) {}

std::uint8_t SimCd64::Read(PortAddress address) {
    const int reg = address - base_;
    if (reg == 0) return fault_ == SimFault::Silent ? 0xFF : reply_;
    if (reg == 2) {
        if (fault_ == SimFault::Silent || frozen_) return kBusy;
        if (busyLeft_ > 0) {
            --busyLeft_;
            return kBusy;
        }
        return 0x00;
    }
    return 0xFF;
}

void SimCd64::Write(PortAddress address, std::uint8_t value) {
    if (address != base_ || fault_ == SimFault::Silent || frozen_) return;
    reply_ = Answer(value);
    busyLeft_ = busyReads_;
}

std::uint16_t SimCd64::EchoedSum() const {
    const std::uint16_t sum = static_cast<std::uint16_t>(sum_ & 0xFFF);
    return fault_ == SimFault::Checksum ? static_cast<std::uint16_t>((sum + 1) & 0xFFF) : sum;
}

std::uint8_t SimCd64::Answer(std::uint8_t byte) {
    switch (phase_) {
    case Phase::Idle:
    case Phase::GotW:
        if (byte == 'W') {
            phase_ = Phase::GotW;
            return 'R';
        }
        if (byte == 'B' && phase_ == Phase::GotW) {
            phase_ = Phase::Command;
            return 'W';
        }
        phase_ = Phase::Idle;
        return 0x00;
    case Phase::Command:
        if (byte == 'W') {
            phase_ = Phase::GotW;
            return 'R';
        }
        command_ = byte;
        address_ = length_ = 0;
        count_ = 0;
        phase_ = (byte == 'X' || byte == 'T' || byte == 'G') ? Phase::Address : Phase::Idle;
        return byte;
    case Phase::Address:
        address_ = address_ << 8 | byte;
        if (++count_ == 4) {
            count_ = 0;
            phase_ = Phase::Length;
        }
        return byte;
    case Phase::Length:
        length_ = length_ << 8 | byte;
        if (++count_ < 4) return byte;
        sum_ = 0;
        count_ = 0;
        if (command_ == 'G') {
            phase_ = length_ == 0 ? Phase::DownloadSumHigh : Phase::Download;
        } else {
            received_.clear();
            confirmed_ = false;
            phase_ = length_ == 0 ? Phase::UploadSumHigh : Phase::Upload;
        }
        return byte;
    case Phase::Upload:
        received_.push_back(byte);
        sum_ = (sum_ + byte) & 0xFFF;
        if (received_.size() == length_) phase_ = Phase::UploadSumHigh;
        else if (fault_ == SimFault::Stall && received_.size() >= length_ / 2) frozen_ = true;
        return 0x00;
    case Phase::UploadSumHigh:
        pcSum_ = static_cast<std::uint16_t>(byte << 8);
        phase_ = Phase::UploadSumLow;
        return static_cast<std::uint8_t>(EchoedSum() >> 8);
    case Phase::UploadSumLow:
        pcSum_ = static_cast<std::uint16_t>(pcSum_ | byte);
        confirmed_ = (pcSum_ & 0xFFF) == (sum_ & 0xFFF);
        phase_ = Phase::Ack1;
        return static_cast<std::uint8_t>(EchoedSum() & 0xFF);
    case Phase::Ack1:
        phase_ = Phase::Ack2;
        return confirmed_ ? 'O' : 'E';
    case Phase::Ack2:
        phase_ = Phase::Idle;
        return confirmed_ ? 'K' : 'R';
    case Phase::Download: {
        const std::uint8_t out = count_ < static_cast<long>(image_.size()) ? image_[count_] : 0xFF;
        sum_ += out;
        if (static_cast<std::uint32_t>(++count_) == length_) phase_ = Phase::DownloadSumHigh;
        else if (fault_ == SimFault::Stall && static_cast<std::uint32_t>(count_) >= length_ / 2) frozen_ = true;
        return out;
    }
    case Phase::DownloadSumHigh:
        phase_ = Phase::DownloadSumLow;
        return static_cast<std::uint8_t>(EchoedSum() >> 8);
    case Phase::DownloadSumLow:
        phase_ = Phase::Idle;
        return static_cast<std::uint8_t>(EchoedSum() & 0xFF);
    }
    return 0x00;
}

} // namespace q64
