#pragma once
// The EverDrive-64's USB commands. Every command is 16 bytes: "cmd", the
// command letter, then three big-endian 32-bit words: an address, a length in
// 512-byte units and an argument. The cart's OS reads its USB FIFO in 16-byte
// commands and 512-byte data units; of the commands used here it answers only
// the test ('t', with 16 bytes starting "cmdr") and the ROM read ('R', with
// the bytes asked for, nothing around them).
//
// Every wait is bounded: a call gives up when no byte moves for the answer
// wait, and asks `keepGoing` between slices of a wait, so a cancel or a
// silent cart ends the call within a slice. A write is never cut short
// while the cart takes bytes, so a cancel between calls leaves the cart at a
// unit boundary.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "transfer/ByteStream.h"

namespace q64 {

namespace ed64 {
constexpr std::size_t kCommandSize = 16;
constexpr std::uint32_t kUnitBytes = 512; // the length word counts these
constexpr std::uint8_t kTest = 't';
constexpr std::uint8_t kFill = 'c';
constexpr std::uint8_t kWriteRom = 'W';
constexpr std::uint8_t kReadRom = 'R';
constexpr std::uint8_t kStart = 's';
constexpr std::uint8_t kTestAnswer = 'r';    // fourth byte of the answer to 't'
constexpr std::uint8_t kOldOsAnswer = 'k';   // what an older OS answers instead
} // namespace ed64

enum class WireResult {
    Ok,
    NoAnswer,  // nothing came within the wait
    Cut,       // an answer stopped part-way
    Stalled,   // the cart stopped taking bytes
    Cancelled, // keepGoing said stop
    Failed,    // the device went away
};

struct Ed64Waits {
    int answerMs = 3000;   // longest time without a byte moving
    int sliceMs = 50;      // how often keepGoing is asked while waiting
    int bootPauseMs = 500; // between the image's last byte and the start command
};

// Builds a 16-byte command.
void EncodeEd64Command(std::uint8_t letter, std::uint32_t address, std::uint32_t units, std::uint32_t argument,
                       std::uint8_t* out16);

class Ed64Link {
public:
    Ed64Link(ByteStream& stream, Ed64Waits waits, std::function<bool()> keepGoing)
        : stream_(stream), waits_(waits), keepGoing_(std::move(keepGoing)) {}

    WireResult Command(std::uint8_t letter, std::uint32_t address, std::uint32_t units, std::uint32_t argument);
    // Writes all `count` bytes.
    WireResult Send(const std::uint8_t* bytes, std::size_t count);
    // Reads exactly `count` bytes; `started` tells a cut answer from no answer.
    WireResult Receive(std::uint8_t* bytes, std::size_t count, bool started = false);
    // Reads and drops what the cart sent that nobody read (the rest of an
    // answer from a session that ended early), until the line has been quiet
    // for a moment or the answer wait has passed.
    void DropStale();
    // Waits `ms` milliseconds, asking keepGoing every slice.
    WireResult Pause(int ms);

    const Ed64Waits& Waits() const { return waits_; }
    // Bytes that went each way (for the overhead measurement).
    std::uint64_t BytesSent() const { return sent_; }
    std::uint64_t BytesReceived() const { return received_; }

private:
    bool KeepGoing() const { return !keepGoing_ || keepGoing_(); }

    ByteStream& stream_;
    Ed64Waits waits_;
    std::function<bool()> keepGoing_;
    std::uint64_t sent_ = 0;
    std::uint64_t received_ = 0;
};

} // namespace q64
