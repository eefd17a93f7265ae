#pragma once
// A simulated SummerCart64 on the far end of a byte stream, answering as its
// firmware's USB code does: it parses CMD packets as they arrive and answers
// CMP or ERR with the firmware's data (an unknown command: ERR with
// 0xFFFFFFFF; CONFIG_GET of an unknown id: ERR with the value sent; memory
// commands of zero length or outside the map: ERR, a refused write after its
// data has been taken). Its state lives in SimSc64Cart.
//
// The USB link is modelled as the cart's bridge works: raising DTR puts the
// interface into reset (a half-received packet and every answer not yet sent
// are dropped, bytes arriving meanwhile are lost) and DSR follows DTR; and the
// bridge sends before it receives, so while the cart has a packet the PC has
// not read, it may take nothing more ("clog").
//
// It can be told to misbehave for one command: refuse it, fall silent from it
// on, cut its answer half-way, or clog half-way through a MEMORY_WRITE's data.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "transfer/ByteStream.h"
#include "transfer/SimSc64Cart.h"

namespace q64 {

enum class Sc64Fault {
    None,
    Refuse, // answers ERR
    Silent, // never answers again
    Cut,    // sends half its answer, then nothing
    Clog,   // MEMORY_WRITE only: half-way through its data, sends a 64 KiB
            // debug packet and takes nothing more until it has been read
};

struct Sc64Version {
    std::uint16_t major = 2;
    std::uint16_t minor = 20;
    std::uint32_t revision = 2;
};

class SimSc64 {
public:
    static constexpr std::size_t kClogPacketBytes = 65536;

    SimSc64() = default;

    // Takes bytes from the PC; the count taken (fewer while clogged).
    std::size_t Feed(const std::uint8_t* bytes, std::size_t count);
    // Hands out up to `max` answer bytes; the count.
    std::size_t Take(std::uint8_t* out, std::size_t max);
    std::size_t Pending() const;
    // The DTR line from the PC and the DSR line back.
    void SetDtr(bool high);
    bool Dsr() const;

    // Misbehaves on the `occurrence`-th command `id` from now (1: the next);
    // several plans may wait at once.
    void FailAt(std::uint8_t id, Sc64Fault fault, int occurrence = 1);
    void SetIdentifier(const std::string& four);
    void SetVersion(Sc64Version version);
    // An asynchronous packet sent before the next answer.
    void QueuePacket(std::uint8_t id, const std::vector<std::uint8_t>& data);

    // The cart's memory and options (see SimSc64Cart).
    std::vector<std::uint8_t> Memory(std::uint32_t address, std::uint32_t length) const;
    void SetMemory(std::uint32_t address, const std::vector<std::uint8_t>& bytes);
    // CONFIG_GET's answer (0 for an unknown id); CONFIG_SET's rules.
    std::uint32_t Config(std::uint32_t id) const;
    bool SetConfig(std::uint32_t id, std::uint32_t value);
    std::array<std::uint32_t, 2> CicParams() const;
    bool FlashBusy() const;

    // Every command id received, in order.
    std::vector<std::uint8_t> Commands() const;
    // Payload bytes of MEMORY_WRITE commands taken so far.
    std::uint64_t PayloadWritten() const;
    // True while a command's data is still expected.
    bool MidPacket() const;

private:
    void Execute();
    void Answer(bool ok, const std::vector<std::uint8_t>& data);
    void Packet(const char* token, std::uint8_t id, const std::vector<std::uint8_t>& data);
    // The fault planned for the command whose header just arrived.
    Sc64Fault TakeFault();
    void StoreData(const std::uint8_t* bytes, std::size_t count);

    mutable std::mutex mutex_;
    SimSc64Cart cart_;
    std::uint8_t head_[12] = {};
    std::size_t got_ = 0;
    std::uint8_t id_ = 0;
    std::uint32_t arg0_ = 0, arg1_ = 0;
    std::uint32_t dataLeft_ = 0;
    std::uint32_t writeAt_ = 0;
    bool writeRefused_ = false;
    Sc64Fault fault_ = Sc64Fault::None; // planned for the command under way
    bool clogged_ = false;
    bool dtr_ = false;
    std::deque<std::uint8_t> out_;
    std::vector<std::uint8_t> commands_;
    std::string identifier_ = "SCv2";
    Sc64Version version_;
    std::uint64_t payload_ = 0;
    struct Plan {
        std::uint8_t id;
        Sc64Fault fault;
        int countdown;
    };
    std::vector<Plan> plans_;
    bool silent_ = false;
};

// The simulated unit reached in the same process: writes feed it, reads take
// its answers at once (a read with nothing pending times out without
// waiting), and the communication reset drives its DTR line.
class SimSc64Stream final : public ByteStream {
public:
    explicit SimSc64Stream(SimSc64& unit) : unit_(unit) {}
    StreamResult Write(const std::uint8_t* bytes, std::size_t count, int, std::size_t& written) override;
    StreamResult Read(std::uint8_t* bytes, std::size_t max, int, std::size_t& got) override;
    bool ResetCommunication() override;
    std::string Name() const override { return "simulated"; }

private:
    SimSc64& unit_;
};

class ModemLines;
class SimStreamPty;

// The simulated unit behind a pseudo-terminal pair (SimStreamPty), so the
// serial code runs as it does with the device; Path() is the slave to open,
// Lines() its DTR and DSR (a pseudo-terminal has none of its own) for
// SerialStream::SetModemLines. A flush of the slave drops the bytes the pair
// holds on their way, as a flush drops them in the host's USB buffers; it does
// not reach the cart, which only DTR resets.
class SimSc64Pty {
public:
    explicit SimSc64Pty(SimSc64& unit);
    ~SimSc64Pty();
    SimSc64Pty(const SimSc64Pty&) = delete;
    SimSc64Pty& operator=(const SimSc64Pty&) = delete;

    bool Ok() const;
    const std::string& Path() const;
    ModemLines& Lines();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

} // namespace q64
