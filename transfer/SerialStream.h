#pragma once
// A serial device (the SummerCart64 shows up as /dev/ttyUSBn or /dev/ttyACMn)
// or a pseudo-terminal, driven through termios in raw mode. Waits are poll()
// timeouts, so no call blocks longer than the time it is given.
//
// The communication reset follows the unit's USB interface: raise DTR, wait
// for DSR to rise, drop both buffers, lower DTR, wait for DSR to fall. A
// pseudo-terminal has no modem lines; there the reset only drops the buffers
// (which its other end sees as a flush).

#include <string>

#include "transfer/ByteStream.h"

namespace q64 {

class SerialStream final : public ByteStream {
public:
    SerialStream() = default;
    ~SerialStream() override;
    SerialStream(const SerialStream&) = delete;
    SerialStream& operator=(const SerialStream&) = delete;

    // Opens `path` for exclusive use. False with Error() set: a path that is
    // not a character device, a missing device, no permission (the message
    // names the device and the "dialout" group), a device in use.
    bool Open(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }
    // True when the device has modem lines (a real serial port).
    bool HasModemLines() const { return modemLines_; }
    // How long the reset waits for DSR to follow DTR, each way.
    void SetResetWaitMs(int ms) { resetWaitMs_ = ms; }

    StreamResult Write(const std::uint8_t* bytes, std::size_t count, int waitMs, std::size_t& written) override;
    StreamResult Read(std::uint8_t* bytes, std::size_t max, int waitMs, std::size_t& got) override;
    bool ResetCommunication() override;
    std::string Name() const override { return path_; }
    std::string Error() const override { return error_; }

private:
    bool WaitForDsr(bool high);
    void Close();

    int fd_ = -1;
    bool modemLines_ = false;
    int resetWaitMs_ = 1000;
    std::string path_;
    std::string error_;
};

// The sentence shown when `path` cannot be opened with `errnoValue`.
std::string SerialOpenMessage(const std::string& path, int errnoValue);

} // namespace q64
