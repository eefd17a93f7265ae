#pragma once
// A simulated EverDrive-64 at its menu, on the far end of a byte stream. It
// reads 16-byte commands as the cart's OS does (a block that does not start
// "cmd" is skipped), keeps 64 MiB of ROM memory (grown as it is written),
// answers the test with "cmdr" and twelve zero bytes and a ROM read with the
// bytes asked for, fills and writes ROM memory, and after the start command
// with argument 1 takes the 256-byte save name. It can be told to misbehave.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "transfer/ByteStream.h"
#include "transfer/SimStreamPty.h"

namespace q64 {

enum class Ed64Fault {
    None,
    Silent, // never answers
    Refuse, // answers the test with what it was sent, as a loopback gadget would
    OldOs,  // answers the test "cmdk", as an older OS does
    Stall,  // stops taking bytes half-way through the first ROM write
};

class SimEd64 final : public SimStreamUnit {
public:
    static constexpr std::uint32_t kRomBase = 0x10000000;
    static constexpr std::uint32_t kRomSize = 0x04000000;

    explicit SimEd64(Ed64Fault fault = Ed64Fault::None) : fault_(fault) {}

    std::size_t Feed(const std::uint8_t* bytes, std::size_t count) override;
    std::size_t Take(std::uint8_t* out, std::size_t max) override;
    void ResetLink() override;

    // ROM memory at `offset` from its start (never written: zero).
    std::vector<std::uint8_t> Rom(std::uint32_t offset, std::uint32_t length) const;
    void SetRom(std::uint32_t offset, const std::vector<std::uint8_t>& bytes);
    // Every command letter taken, in order.
    std::vector<std::uint8_t> Commands() const;
    // True once the start command (and its name, when announced) arrived.
    bool Started() const;
    // The save name sent after the start command, up to its first zero byte.
    std::string SaveName() const;
    // Bytes of ROM write data taken so far.
    std::uint64_t PayloadWritten() const;

private:
    void Execute();
    void Answer(const std::uint8_t* bytes, std::size_t count);
    void Store(const std::uint8_t* bytes, std::size_t count);

    mutable std::mutex mutex_;
    Ed64Fault fault_;
    std::array<std::uint8_t, 16> command_{};
    std::size_t got_ = 0;
    std::uint64_t dataLeft_ = 0;   // ROM write bytes still expected
    std::uint64_t writeAt_ = 0;    // offset of the next one
    std::uint64_t stallAt_ = 0;    // Stall: payload count at which the cart stops taking bytes
    std::size_t nameLeft_ = 0;     // save name bytes still expected
    std::string name_;
    bool started_ = false;
    std::vector<std::uint8_t> rom_;
    std::deque<std::uint8_t> out_;
    std::vector<std::uint8_t> commands_;
    std::uint64_t payload_ = 0;
};

// The simulated cart reached in the same process: writes feed it (a cart that
// takes nothing times the write out), reads take its answers at once (a read
// with nothing pending times out without waiting).
class SimEd64Stream final : public ByteStream {
public:
    explicit SimEd64Stream(SimEd64& unit) : unit_(unit) {}
    StreamResult Write(const std::uint8_t* bytes, std::size_t count, int, std::size_t& written) override;
    StreamResult Read(std::uint8_t* bytes, std::size_t max, int, std::size_t& got) override;
    bool ResetCommunication() override {
        unit_.ResetLink();
        return true;
    }
    std::string Name() const override { return "simulated"; }

private:
    SimEd64& unit_;
};

} // namespace q64
