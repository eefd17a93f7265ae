#pragma once
// The SummerCart64's USB packets. The PC sends "CMD", the command id, two
// 32-bit big-endian arguments and the command's data; the unit answers "CMP"
// (done) or "ERR" (refused) with the same id, a 32-bit big-endian length and
// that many bytes. "PKT" packets (the unit's own news: button, debug text,
// save write-back) may come at any time; they are read and dropped.
//
// Every wait is bounded: a call gives up when no byte moves for the answer
// wait, and asks `keepGoing` between slices of it, so a cancel or a silent
// unit ends the call within a slice. After anything but Ok the two ends may
// be out of step until the next communication reset.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "transfer/ByteStream.h"

namespace q64 {

namespace sc64 {
// Command ids.
constexpr std::uint8_t kIdentifierGet = 'v';
constexpr std::uint8_t kVersionGet = 'V';
constexpr std::uint8_t kConfigGet = 'c';
constexpr std::uint8_t kConfigSet = 'C';
constexpr std::uint8_t kMemoryRead = 'm';
constexpr std::uint8_t kMemoryWrite = 'M';
constexpr std::uint8_t kStateReset = 'R';
constexpr std::uint8_t kCicParamsSet = 'B';
constexpr std::uint8_t kFlashWaitBusy = 'p';
constexpr std::uint8_t kFlashEraseBlock = 'P';

constexpr std::size_t kCommandHeader = 12; // "CMD", id, arg0, arg1
constexpr std::size_t kAnswerHeader = 8;   // "CMP"/"ERR"/"PKT", id, length
// Longest answer taken for a command that is not a memory read.
constexpr std::uint32_t kSmallAnswerLimit = 4096;
// Most the side buffer holds before the cart counts as out of step.
constexpr std::size_t kSideBufferLimit = 16u << 20;
} // namespace sc64

enum class LinkResult {
    Ok,
    Refused,   // the unit answered ERR
    NoAnswer,  // nothing came within the wait
    Cut,       // the answer stopped part-way
    Garbled,   // not a packet, another command's answer, or a length out of range
    Cancelled, // keepGoing said stop
    Failed,    // the device went away
};

struct LinkWaits {
    int answerMs = 5000; // longest time without a byte moving
    int sliceMs = 50;    // how often keepGoing is asked while waiting
    // The answer wait for commands that wait on the cart's flash (a block
    // erase, the end of programming), which may take seconds on a real cart;
    // 0 or anything shorter: answerMs.
    int flashMs = 0;
};

// Builds the 12-byte command header.
void EncodeCommand(std::uint8_t id, std::uint32_t arg0, std::uint32_t arg1, std::uint8_t* out12);
std::uint32_t BigEndian32(const std::uint8_t* b);
void PutBigEndian32(std::uint32_t value, std::uint8_t* out);

class Sc64Link {
public:
    // Produces up to `max` bytes of command data into `out`; the count, or -1
    // when the data cannot be had (a damaged file).
    using Source = std::function<long(std::uint8_t* out, std::size_t max)>;
    // Takes `count` answer bytes; false stops the transfer (a failed write).
    using Sink = std::function<bool(const std::uint8_t* bytes, std::size_t count)>;
    // Called after every piece moved with the bytes of data moved so far; false cancels.
    using Moved = std::function<bool(std::uint64_t done)>;

    Sc64Link(ByteStream& stream, LinkWaits waits, std::function<bool()> keepGoing)
        : stream_(stream), waits_(waits), answerMs_(waits.answerMs), keepGoing_(std::move(keepGoing)) {}

    // A command without data whose answer (at most kSmallAnswerLimit bytes)
    // lands in `answer`. FLASH_WAIT_BUSY and FLASH_ERASE_BLOCK wait for their
    // answer up to the flash wait.
    LinkResult Command(std::uint8_t id, std::uint32_t arg0, std::uint32_t arg1, std::vector<std::uint8_t>& answer);
    // MEMORY_WRITE of `length` bytes at `address`, the data drawn from `source`
    // in pieces of at most `piece` bytes.
    LinkResult WriteMemory(std::uint32_t address, std::uint32_t length, const Source& source, std::size_t piece,
                           const Moved& moved);
    // MEMORY_READ of `length` bytes at `address` into `sink`; the answer must
    // hold exactly `length` bytes.
    LinkResult ReadMemory(std::uint32_t address, std::uint32_t length, const Sink& sink, const Moved& moved);

    // The communication reset; what the side buffer held is dropped.
    bool Reset();
    ByteStream& Stream() { return stream_; }
    // Bytes that went each way since construction (for the overhead measurement).
    std::uint64_t BytesSent() const { return sent_; }
    std::uint64_t BytesReceived() const { return received_; }

private:
    LinkResult SendAll(const std::uint8_t* bytes, std::size_t count);
    // Reads what the cart has sent into the side buffer (a write is stuck).
    LinkResult Unclog();
    // Reads exactly `count` bytes; `started` tells a cut answer from no answer.
    LinkResult ReadExact(std::uint8_t* bytes, std::size_t count, bool started);
    // Reads answer headers, dropping PKT packets, until the answer to `id`;
    // Ok or Refused with `length` set, after an ERR's data has been dropped.
    LinkResult AwaitAnswer(std::uint8_t id, std::uint32_t& length);
    LinkResult Drop(std::uint32_t count);

    ByteStream& stream_;
    LinkWaits waits_;
    int answerMs_ = 0; // the wait of the command under way
    std::function<bool()> keepGoing_;
    std::vector<std::uint8_t> side_;
    std::size_t sideDone_ = 0;
    std::uint64_t sent_ = 0;
    std::uint64_t received_ = 0;
};

} // namespace q64
