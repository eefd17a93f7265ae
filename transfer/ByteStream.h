#pragma once
// What a USB serial unit is reached through: a stream of bytes each way with
// bounded waits. Back ends: a serial device or pseudo-terminal (termios), a
// simulated unit in the same process, and a tracing wrapper around either.

#include <cstddef>
#include <cstdint>
#include <string>

namespace q64 {

enum class StreamResult {
    Ok,
    TimedOut, // nothing (more) arrived or could be written within the wait
    Failed,   // the device went away or refused; Error() says why
};

class ByteStream {
public:
    virtual ~ByteStream() = default;

    // Writes up to `count` bytes, waiting at most `waitMs` for room; `written`
    // is how many went out (it may be fewer on TimedOut or Failed).
    virtual StreamResult Write(const std::uint8_t* bytes, std::size_t count, int waitMs, std::size_t& written) = 0;
    // Reads what is there, up to `max` bytes, waiting at most `waitMs` for the
    // first; `got` is 0 on TimedOut.
    virtual StreamResult Read(std::uint8_t* bytes, std::size_t max, int waitMs, std::size_t& got) = 0;

    // Brings the unit's USB interface back to the start of a packet (after an
    // aborted transfer) and drops whatever is buffered either way. False with
    // Error() set when the unit did not follow.
    virtual bool ResetCommunication() = 0;

    // A short name for messages and traces: the device path, "simulated".
    virtual std::string Name() const = 0;
    // Why the last call failed, in the program's words.
    virtual std::string Error() const { return {}; }
};

} // namespace q64
