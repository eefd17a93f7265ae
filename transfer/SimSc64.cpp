#include "transfer/SimSc64.h"

#include <algorithm>
#include <cstring>

#include "transfer/Sc64Link.h"

namespace q64 {

namespace {
constexpr std::uint8_t kStateReset = 'R';
constexpr std::uint8_t kCicParamsSet = 'B';
constexpr std::uint8_t kFlashWaitBusy = 'p';
constexpr std::uint8_t kFlashEraseBlock = 'P';
constexpr std::uint8_t kDebugPacket = 'U';

std::vector<std::uint8_t> Word(std::uint32_t value) {
    std::vector<std::uint8_t> bytes(4);
    PutBigEndian32(value, bytes.data());
    return bytes;
}
} // namespace

void SimSc64::FailAt(std::uint8_t id, Sc64Fault fault, int occurrence) {
    std::lock_guard lock(mutex_);
    plans_.push_back(Plan{id, fault, occurrence});
}

void SimSc64::SetIdentifier(const std::string& four) {
    std::lock_guard lock(mutex_);
    identifier_ = four;
}

void SimSc64::SetVersion(Sc64Version version) {
    std::lock_guard lock(mutex_);
    version_ = version;
}

void SimSc64::QueuePacket(std::uint8_t id, const std::vector<std::uint8_t>& data) {
    std::lock_guard lock(mutex_);
    Packet("PKT", id, data);
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
    if (out_.empty()) clogged_ = false;
    return n;
}

void SimSc64::SetDtr(bool high) {
    std::lock_guard lock(mutex_);
    if (high && !dtr_) {
        got_ = 0;
        dataLeft_ = 0;
        fault_ = Sc64Fault::None;
        clogged_ = false;
        out_.clear();
    }
    dtr_ = high;
}

bool SimSc64::Dsr() const {
    std::lock_guard lock(mutex_);
    return dtr_;
}

std::vector<std::uint8_t> SimSc64::Memory(std::uint32_t address, std::uint32_t length) const {
    std::lock_guard lock(mutex_);
    return cart_.Read(address, length);
}

void SimSc64::SetMemory(std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
    std::lock_guard lock(mutex_);
    cart_.Poke(address, bytes);
}

std::uint32_t SimSc64::Config(std::uint32_t id) const {
    std::lock_guard lock(mutex_);
    return cart_.Query(id).value_or(0);
}

bool SimSc64::SetConfig(std::uint32_t id, std::uint32_t value) {
    std::lock_guard lock(mutex_);
    return cart_.Update(id, value);
}

std::array<std::uint32_t, 2> SimSc64::CicParams() const {
    std::lock_guard lock(mutex_);
    return cart_.CicParams();
}

bool SimSc64::FlashBusy() const {
    std::lock_guard lock(mutex_);
    return cart_.FlashBusy();
}

std::vector<std::uint8_t> SimSc64::Commands() const {
    std::lock_guard lock(mutex_);
    return commands_;
}

std::uint64_t SimSc64::PayloadWritten() const {
    std::lock_guard lock(mutex_);
    return payload_;
}

bool SimSc64::MidPacket() const {
    std::lock_guard lock(mutex_);
    return got_ != 0 || dataLeft_ != 0;
}

Sc64Fault SimSc64::TakeFault() {
    for (auto plan = plans_.begin(); plan != plans_.end(); ++plan) {
        if (plan->id != id_) continue;
        if (--plan->countdown != 0) return Sc64Fault::None;
        const Sc64Fault fault = plan->fault;
        plans_.erase(plan);
        return fault;
    }
    return Sc64Fault::None;
}

void SimSc64::StoreData(const std::uint8_t* bytes, std::size_t count) {
    payload_ += count;
    if (!writeRefused_) cart_.Write(writeAt_, bytes, count);
    writeAt_ += static_cast<std::uint32_t>(count);
    dataLeft_ -= static_cast<std::uint32_t>(count);
}

std::size_t SimSc64::Feed(const std::uint8_t* bytes, std::size_t count) {
    std::lock_guard lock(mutex_);
    if (dtr_) return count; // the interface is held in reset: what arrives is lost
    std::size_t taken = 0;
    while (taken < count) {
        if (clogged_) break; // the bridge sends before it receives
        if (dataLeft_ != 0) {
            std::size_t n = std::min<std::size_t>(count - taken, dataLeft_);
            if (fault_ == Sc64Fault::Clog) {
                const std::uint32_t received = arg1_ - dataLeft_;
                const std::uint32_t half = arg1_ / 2;
                if (received + n >= half) {
                    n = half - received;
                    fault_ = Sc64Fault::None;
                    Packet("PKT", kDebugPacket, std::vector<std::uint8_t>(kClogPacketBytes, 'c'));
                    clogged_ = true;
                }
            }
            StoreData(bytes + taken, n);
            taken += n;
            if (dataLeft_ == 0) Execute();
            continue;
        }
        const std::uint8_t byte = bytes[taken++];
        if (got_ < 3 && byte != "CMD"[got_]) {
            got_ = 0; // not a packet start: wait for one
            continue;
        }
        head_[got_++] = byte;
        if (got_ < sizeof head_) continue;
        got_ = 0;
        id_ = head_[3];
        arg0_ = BigEndian32(&head_[4]);
        arg1_ = BigEndian32(&head_[8]);
        commands_.push_back(id_);
        fault_ = TakeFault();
        if (id_ == sc64::kMemoryWrite && arg1_ != 0) {
            // A refused range still takes its data, then answers ERR.
            dataLeft_ = arg1_;
            writeAt_ = arg0_;
            writeRefused_ = SimSc64Cart::RangeRefused(arg0_, arg1_, true);
            continue;
        }
        Execute();
    }
    return taken;
}

void SimSc64::Packet(const char* token, std::uint8_t id, const std::vector<std::uint8_t>& data) {
    std::uint8_t head[8] = {static_cast<std::uint8_t>(token[0]), static_cast<std::uint8_t>(token[1]),
                            static_cast<std::uint8_t>(token[2]), id};
    PutBigEndian32(static_cast<std::uint32_t>(data.size()), head + 4);
    out_.insert(out_.end(), head, head + 8);
    out_.insert(out_.end(), data.begin(), data.end());
}

void SimSc64::Answer(bool ok, const std::vector<std::uint8_t>& data) {
    if (silent_) return;
    const Sc64Fault fault = fault_;
    fault_ = Sc64Fault::None;
    if (fault == Sc64Fault::Silent) {
        silent_ = true;
        return;
    }
    const bool refused = fault == Sc64Fault::Refuse;
    std::vector<std::uint8_t> packet = {static_cast<std::uint8_t>(ok && !refused ? 'C' : 'E'),
                                        static_cast<std::uint8_t>(ok && !refused ? 'M' : 'R'),
                                        static_cast<std::uint8_t>(ok && !refused ? 'P' : 'R'), id_, 0, 0, 0, 0};
    const std::vector<std::uint8_t> body = refused ? std::vector<std::uint8_t>{} : data;
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
    case sc64::kVersionGet: {
        std::vector<std::uint8_t> answer = Word(std::uint32_t{version_.major} << 16 | version_.minor);
        const std::vector<std::uint8_t> revision = Word(version_.revision);
        answer.insert(answer.end(), revision.begin(), revision.end());
        return Answer(true, answer);
    }
    case kStateReset:
        cart_.ResetState();
        return Answer(true, {});
    case kCicParamsSet:
        cart_.SetCicParams(arg0_, arg1_);
        return Answer(true, {});
    case sc64::kConfigGet: {
        const std::optional<std::uint32_t> value = cart_.Query(arg0_);
        return Answer(value.has_value(), Word(value.value_or(arg1_)));
    }
    case sc64::kConfigSet: return Answer(cart_.Update(arg0_, arg1_), {});
    case sc64::kMemoryWrite:
        // Zero length is refused at once; otherwise the data has been taken.
        return Answer(arg1_ != 0 && !writeRefused_, {});
    case sc64::kMemoryRead:
        if (SimSc64Cart::RangeRefused(arg0_, arg1_, false)) return Answer(false, {});
        return Answer(true, cart_.Read(arg0_, arg1_));
    case kFlashWaitBusy:
        if (arg0_ != 0) cart_.WaitFlash();
        return Answer(true, Word(SimSc64Cart::kEraseBlock));
    case kFlashEraseBlock: {
        const bool ok = !SimSc64Cart::RangeRefused(arg0_, SimSc64Cart::kEraseBlock, true) &&
                        cart_.EraseFlashBlock(arg0_);
        return Answer(ok, {});
    }
    default: return Answer(false, Word(0xFFFFFFFF)); // commands this program never sends included
    }
}

StreamResult SimSc64Stream::Write(const std::uint8_t* bytes, std::size_t count, int, std::size_t& written) {
    written = unit_.Feed(bytes, count);
    return written == 0 && count != 0 ? StreamResult::TimedOut : StreamResult::Ok;
}

StreamResult SimSc64Stream::Read(std::uint8_t* bytes, std::size_t max, int, std::size_t& got) {
    got = unit_.Take(bytes, max);
    return got == 0 ? StreamResult::TimedOut : StreamResult::Ok;
}

bool SimSc64Stream::ResetCommunication() {
    // As over a serial device: DTR up, DSR follows, what came in is dropped,
    // DTR down, DSR follows.
    unit_.SetDtr(true);
    if (!unit_.Dsr()) return false;
    std::uint8_t scratch[4096];
    while (unit_.Take(scratch, sizeof scratch) != 0) {
    }
    unit_.SetDtr(false);
    return !unit_.Dsr();
}

} // namespace q64
