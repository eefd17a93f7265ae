#pragma once
// A simulated SummerCart64 on the far end of a byte stream: it parses CMD
// packets as they arrive, keeps 64 MiB of SDRAM (grown as it is written),
// the 2 KiB EEPROM and the config options, and answers CMP or ERR packets.
// It can be told to misbehave for one command: refuse it, fall silent from
// it on, or cut its answer half-way.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "transfer/ByteStream.h"

namespace q64 {

enum class Sc64Fault {
    None,
    Refuse, // answers ERR
    Silent, // never answers again
    Cut,    // sends half its answer, then nothing
};

class SimSc64 {
public:
    static constexpr std::uint32_t kSdramSize = 0x04000000;
    static constexpr std::uint32_t kEepromBase = 0x05002000;
    static constexpr std::uint32_t kEepromSize = 2048;
    static constexpr int kConfigCount = 15;

    SimSc64();

    // Takes bytes from the PC.
    void Feed(const std::uint8_t* bytes, std::size_t count);
    // Hands out up to `max` answer bytes; the count.
    std::size_t Take(std::uint8_t* out, std::size_t max);
    std::size_t Pending() const;
    // The communication reset: a half-received packet is dropped, answers not
    // yet taken are dropped too.
    void ResetLink();

    // Misbehaves on the `occurrence`-th command `id` from now (1: the next);
    // several plans may wait at once.
    void FailAt(std::uint8_t id, Sc64Fault fault, int occurrence = 1);
    void SetIdentifier(const std::string& four) { identifier_ = four; }
    // An asynchronous packet sent before the next answer.
    void QueuePacket(std::uint8_t id, const std::vector<std::uint8_t>& data);

    // What the unit holds (SDRAM reads past what was written are zero).
    std::vector<std::uint8_t> Memory(std::uint32_t address, std::uint32_t length) const;
    void SetMemory(std::uint32_t address, const std::vector<std::uint8_t>& bytes);
    std::uint32_t Config(int id) const { return config_[static_cast<std::size_t>(id)]; }
    void SetConfig(int id, std::uint32_t value) { config_[static_cast<std::size_t>(id)] = value; }
    // Every command id received, in order.
    const std::vector<std::uint8_t>& Commands() const { return commands_; }
    // Payload bytes of MEMORY_WRITE commands taken so far.
    std::uint64_t PayloadWritten() const { return payload_; }
    // True while a command's data is still expected.
    bool MidPacket() const { return got_ != 0 || dataLeft_ != 0; }

private:
    void Execute();
    void Answer(bool ok, const std::vector<std::uint8_t>& data);
    void StoreData(const std::uint8_t* bytes, std::size_t count);
    bool WritableRange(std::uint32_t address, std::uint32_t length) const;
    std::uint8_t* At(std::uint32_t address);

    mutable std::mutex mutex_;
    std::array<std::uint8_t, 12> head_{};
    std::size_t got_ = 0;
    std::uint8_t id_ = 0;
    std::uint32_t arg0_ = 0, arg1_ = 0;
    std::uint32_t dataLeft_ = 0;
    std::uint32_t writeAt_ = 0;
    bool writeOk_ = true;
    std::vector<std::uint8_t> sdram_;
    std::array<std::uint8_t, kEepromSize> eeprom_{};
    std::array<std::uint32_t, kConfigCount> config_{};
    std::deque<std::uint8_t> out_;
    std::vector<std::uint8_t> commands_;
    std::string identifier_ = "SCv2";
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
// its answers at once (a read with nothing pending times out without waiting).
class SimSc64Stream final : public ByteStream {
public:
    explicit SimSc64Stream(SimSc64& unit) : unit_(unit) {}
    StreamResult Write(const std::uint8_t* bytes, std::size_t count, int, std::size_t& written) override;
    StreamResult Read(std::uint8_t* bytes, std::size_t max, int, std::size_t& got) override;
    bool ResetCommunication() override {
        unit_.ResetLink();
        return true;
    }
    std::string Name() const override { return "simulated"; }

private:
    SimSc64& unit_;
};

// The simulated unit behind a pseudo-terminal pair, so the serial code runs
// as it does with the device: a thread answers on the master side; Path()
// is the slave to open. A flush of the slave (the reset on a pseudo-terminal)
// reaches the unit as its communication reset.
class SimSc64Pty {
public:
    explicit SimSc64Pty(SimSc64& unit);
    ~SimSc64Pty();
    SimSc64Pty(const SimSc64Pty&) = delete;
    SimSc64Pty& operator=(const SimSc64Pty&) = delete;

    bool Ok() const { return master_ >= 0; }
    const std::string& Path() const { return path_; }
    // Bytes the unit took from the PC so far.
    std::uint64_t BytesIn() const;

private:
    struct Worker;
    SimSc64& unit_;
    int master_ = -1;
    int slave_ = -1;
    int stopPipe_[2] = {-1, -1};
    std::string path_;
    std::unique_ptr<Worker> worker_;
};

} // namespace q64
