#pragma once
// A simulated USB unit behind a pseudo-terminal pair, so the serial code runs
// as it does with the device: a thread feeds the unit what the PC writes on
// the slave side and writes the unit's answers back; Path() is the slave to
// open. A unit that takes no bytes for a while leaves them in the terminal's
// buffer, so the PC's writes stall as they would on a full USB FIFO. A flush
// of the slave reaches the unit as its communication reset.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace q64 {

// The far end of a byte stream, as a simulated unit implements it. Called
// from the pair's thread and from the test: implementations lock.
class SimStreamUnit {
public:
    virtual ~SimStreamUnit() = default;
    // Takes up to `count` bytes from the PC; how many it took (0: none for now).
    virtual std::size_t Feed(const std::uint8_t* bytes, std::size_t count) = 0;
    // Hands out up to `max` answer bytes; the count.
    virtual std::size_t Take(std::uint8_t* out, std::size_t max) = 0;
    // The PC flushed its side: drop whatever is half-received or unsent.
    virtual void ResetLink() = 0;
};

class SimStreamPty {
public:
    explicit SimStreamPty(SimStreamUnit& unit);
    ~SimStreamPty();
    SimStreamPty(const SimStreamPty&) = delete;
    SimStreamPty& operator=(const SimStreamPty&) = delete;

    bool Ok() const { return master_ >= 0; }
    const std::string& Path() const { return path_; }

private:
    void Run();

    SimStreamUnit& unit_;
    int master_ = -1;
    int slave_ = -1;
    int stopPipe_[2] = {-1, -1};
    std::string path_;
    struct Worker;
    std::unique_ptr<Worker> worker_;
};

} // namespace q64
