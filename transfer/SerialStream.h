#pragma once
// A serial device (the SummerCart64 shows up as /dev/ttyUSBn or /dev/ttyACMn)
// or a pseudo-terminal, driven through termios in fully raw mode: 8 data bits,
// no parity, one stop bit, no flow control of any kind, nothing translated,
// whatever an earlier program left set. Waits are poll() timeouts, so no call
// blocks longer than the time it is given.
//
// The communication reset follows the cart's USB interface: drop what is
// still to go out, raise DTR, wait for DSR to rise, drop what came in and
// keep reading until the line has been quiet for a moment, lower DTR, wait
// for DSR to fall. A device without modem lines cannot be reset that way:
// the reset then fails and says so.

#include <memory>
#include <optional>
#include <string>
#include <termios.h>

#include "transfer/ByteStream.h"

namespace q64 {

// The DTR output and DSR input of a serial line. SerialStream reaches a real
// device's own; a test hands it simulated ones (a pseudo-terminal has none).
class ModemLines {
public:
    virtual ~ModemLines() = default;
    // False when the line could not be set.
    virtual bool SetDtr(bool high) = 0;
    // Nothing when the line cannot be read.
    virtual std::optional<bool> Dsr() = 0;
};

class SerialStream final : public ByteStream {
public:
    SerialStream() = default;
    ~SerialStream() override;
    SerialStream(const SerialStream&) = delete;
    SerialStream& operator=(const SerialStream&) = delete;

    // Opens `path` for exclusive use. False with Error() set: a path that is
    // not a character device, a missing device, no permission (the message
    // names the device and the "dialout" group), a device in use, a line that
    // cannot be made raw.
    bool Open(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }
    // True when the device has modem lines (a real serial port) or was given some.
    bool HasModemLines() const { return lines_ != nullptr; }
    // Uses `lines` (kept by the caller, null: the device's own) for the reset.
    void SetModemLines(ModemLines* lines);
    // How long the reset waits for DSR to follow DTR, each way.
    void SetResetWaitMs(int ms) { resetWaitMs_ = ms; }

    StreamResult Write(const std::uint8_t* bytes, std::size_t count, int waitMs, std::size_t& written) override;
    StreamResult Read(std::uint8_t* bytes, std::size_t max, int waitMs, std::size_t& got) override;
    bool ResetCommunication() override;
    std::string Name() const override { return path_; }
    std::string Error() const override { return error_; }

private:
    class DeviceLines;
    bool WaitForDsr(bool high);
    void DrainInput();
    void Close();

    int fd_ = -1;
    std::unique_ptr<ModemLines> ownLines_;
    ModemLines* lines_ = nullptr;
    int resetWaitMs_ = 1000;
    std::string path_;
    std::string error_;
};

// The sentence shown when `path` cannot be opened with `errnoValue`.
std::string SerialOpenMessage(const std::string& path, int errnoValue);

// Makes `tio` fully raw for the cart's link: cfmakeraw, and also no RTS/CTS,
// no XON/XOFF in either direction, one stop bit, the receiver on, modem
// control lines not watched for hang-up, reads that return what is there.
void MakeLinkRaw(termios& tio);

} // namespace q64
