#include "transfer/SimEd64.h"

#include <algorithm>
#include <cstring>

#include "transfer/Ed64Link.h"

namespace q64 {

namespace {

constexpr std::size_t kNameBytes = 256;

std::uint32_t Word(const std::uint8_t* b) {
    return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
}

} // namespace

std::size_t SimEd64::Feed(const std::uint8_t* bytes, std::size_t count) {
    std::lock_guard lock(mutex_);
    std::size_t taken = 0;
    while (taken < count) {
        if (dataLeft_ != 0) {
            std::uint64_t n = std::min<std::uint64_t>(count - taken, dataLeft_);
            if (fault_ == Ed64Fault::Stall) n = std::min(n, stallAt_ - std::min(stallAt_, payload_));
            if (n == 0) break; // stalled: the bytes stay with the PC
            Store(bytes + taken, static_cast<std::size_t>(n));
            taken += static_cast<std::size_t>(n);
            dataLeft_ -= n;
            continue;
        }
        if (nameLeft_ != 0) {
            const std::size_t n = std::min(count - taken, nameLeft_);
            name_.append(reinterpret_cast<const char*>(bytes + taken), n);
            taken += n;
            nameLeft_ -= n;
            if (nameLeft_ == 0) started_ = true;
            continue;
        }
        command_[got_++] = bytes[taken++];
        if (got_ == command_.size()) {
            got_ = 0;
            Execute();
        }
    }
    return taken;
}

void SimEd64::Store(const std::uint8_t* bytes, std::size_t count) {
    if (writeAt_ < kRomSize) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count, kRomSize - writeAt_));
        if (rom_.size() < writeAt_ + n) rom_.resize(static_cast<std::size_t>(writeAt_ + n));
        std::memcpy(&rom_[static_cast<std::size_t>(writeAt_)], bytes, n);
    }
    writeAt_ += count;
    payload_ += count;
}

void SimEd64::Answer(const std::uint8_t* bytes, std::size_t count) {
    if (fault_ == Ed64Fault::Silent) return;
    out_.insert(out_.end(), bytes, bytes + count);
}

void SimEd64::Execute() {
    // A block that is not a command is skipped, as the cart's OS skips it.
    if (std::memcmp(command_.data(), "cmd", 3) != 0) return;
    const std::uint8_t letter = command_[3];
    const std::uint64_t offset = std::uint64_t{Word(&command_[4])} - kRomBase; // wraps far out of range below the base
    const std::uint64_t length = std::uint64_t{Word(&command_[8])} * ed64::kUnitBytes;
    const std::uint32_t argument = Word(&command_[12]);
    commands_.push_back(letter);
    switch (letter) {
    case ed64::kTest: {
        std::uint8_t answer[16] = {'c', 'm', 'd', ed64::kTestAnswer};
        if (fault_ == Ed64Fault::Refuse) std::memcpy(answer, command_.data(), sizeof answer);
        if (fault_ == Ed64Fault::OldOs) answer[3] = ed64::kOldOsAnswer;
        return Answer(answer, sizeof answer);
    }
    case ed64::kFill: {
        // The value fills 32-bit words in the cart's (big-endian) order.
        const std::uint64_t end = std::min<std::uint64_t>(offset + length, kRomSize);
        if (offset >= end) return;
        if (rom_.size() < end) rom_.resize(static_cast<std::size_t>(end));
        for (std::uint64_t at = offset; at < end; ++at)
            rom_[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(argument >> (24 - 8 * (at % 4)));
        return;
    }
    case ed64::kWriteRom:
        writeAt_ = offset;
        dataLeft_ = length;
        if (stallAt_ == 0) stallAt_ = payload_ + length / 2 / ed64::kUnitBytes * ed64::kUnitBytes;
        return;
    case ed64::kReadRom: {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(length, kRomSize)), 0);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            if (offset + i < rom_.size()) bytes[i] = rom_[static_cast<std::size_t>(offset + i)];
        return Answer(bytes.data(), bytes.size());
    }
    case ed64::kStart:
        name_.clear();
        if (argument == 1) nameLeft_ = kNameBytes;
        else started_ = true;
        return;
    default: return;
    }
}

std::size_t SimEd64::Take(std::uint8_t* out, std::size_t max) {
    std::lock_guard lock(mutex_);
    const std::size_t n = std::min(max, out_.size());
    std::copy_n(out_.begin(), n, out);
    out_.erase(out_.begin(), out_.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

void SimEd64::ResetLink() {
    std::lock_guard lock(mutex_);
    got_ = 0;
    out_.clear();
}

std::vector<std::uint8_t> SimEd64::Rom(std::uint32_t offset, std::uint32_t length) const {
    std::lock_guard lock(mutex_);
    std::vector<std::uint8_t> bytes(length, 0);
    for (std::uint32_t i = 0; i < length; ++i)
        if (std::size_t{offset} + i < rom_.size()) bytes[i] = rom_[offset + i];
    return bytes;
}

void SimEd64::SetRom(std::uint32_t offset, const std::vector<std::uint8_t>& bytes) {
    std::lock_guard lock(mutex_);
    if (rom_.size() < offset + bytes.size()) rom_.resize(offset + bytes.size());
    std::copy(bytes.begin(), bytes.end(), rom_.begin() + offset);
}

std::vector<std::uint8_t> SimEd64::Commands() const {
    std::lock_guard lock(mutex_);
    return commands_;
}

bool SimEd64::Started() const {
    std::lock_guard lock(mutex_);
    return started_;
}

std::string SimEd64::SaveName() const {
    std::lock_guard lock(mutex_);
    return name_.substr(0, name_.find('\0'));
}

std::uint64_t SimEd64::PayloadWritten() const {
    std::lock_guard lock(mutex_);
    return payload_;
}

StreamResult SimEd64Stream::Write(const std::uint8_t* bytes, std::size_t count, int, std::size_t& written) {
    written = unit_.Feed(bytes, count);
    return written == 0 && count != 0 ? StreamResult::TimedOut : StreamResult::Ok;
}

StreamResult SimEd64Stream::Read(std::uint8_t* bytes, std::size_t max, int, std::size_t& got) {
    got = unit_.Take(bytes, max);
    return got == 0 ? StreamResult::TimedOut : StreamResult::Ok;
}

} // namespace q64
