#include "transfer/SerialStream.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace q64 {

namespace {
constexpr int kDsrPollMs = 1;
constexpr int kQuietMs = 10;      // the line counts as drained after this long without a byte
constexpr int kDrainLimitMs = 2000; // a cart that never stops sending is left to the session
constexpr tcflag_t kCheckedCflag = CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD;
constexpr tcflag_t kCheckedIflag = IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP;
constexpr tcflag_t kCheckedLflag = ICANON | ECHO | ISIG | IEXTEN;
} // namespace

// A real device's DTR and DSR, through the modem-control ioctls.
class SerialStream::DeviceLines final : public ModemLines {
public:
    explicit DeviceLines(int fd) : fd_(fd) {}
    bool SetDtr(bool high) override {
        const int dtr = TIOCM_DTR;
        return ::ioctl(fd_, high ? TIOCMBIS : TIOCMBIC, &dtr) == 0;
    }
    std::optional<bool> Dsr() override {
        int lines = 0;
        if (::ioctl(fd_, TIOCMGET, &lines) != 0) return std::nullopt;
        return (lines & TIOCM_DSR) != 0;
    }

private:
    int fd_;
};

void MakeLinkRaw(termios& tio) {
    ::cfmakeraw(&tio);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXOFF | IXANY | INPCK);
    tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS | CSTOPB | PARENB | CSIZE);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
}

std::string SerialOpenMessage(const std::string& path, int errnoValue) {
    switch (errnoValue) {
    case EACCES:
    case EPERM:
        return "No permission to use " + path +
               ": add your user to the \"dialout\" group (sudo adduser $USER dialout), then log in again.";
    case ENOENT:
    case ENODEV:
    case ENXIO: return path + " does not exist: is the SummerCart64 plugged in?";
    case EBUSY: return path + " is in use by another program.";
    default: return "Cannot open " + path + ": " + std::strerror(errnoValue) + ".";
    }
}

SerialStream::~SerialStream() { Close(); }

void SerialStream::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    ownLines_.reset();
    lines_ = nullptr;
}

void SerialStream::SetModemLines(ModemLines* lines) { lines_ = lines ? lines : ownLines_.get(); }

bool SerialStream::Open(const std::string& path) {
    Close();
    path_ = path;
    error_.clear();
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        error_ = SerialOpenMessage(path, errno);
        return false;
    }
    if (!S_ISCHR(info.st_mode)) {
        error_ = path + " is not a serial device.";
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error_ = SerialOpenMessage(path, errno);
        return false;
    }
    termios tio {};
    if (::tcgetattr(fd, &tio) != 0) {
        error_ = path + " is not a serial device.";
        ::close(fd);
        return false;
    }
    if (::ioctl(fd, TIOCEXCL) != 0 && errno == EBUSY) {
        error_ = SerialOpenMessage(path, EBUSY);
        ::close(fd);
        return false;
    }
    ::cfsetispeed(&tio, B115200);
    ::cfsetospeed(&tio, B115200);
    MakeLinkRaw(tio);
    termios set {};
    errno = 0;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0 || ::tcgetattr(fd, &set) != 0 ||
        (set.c_cflag & kCheckedCflag) != (tio.c_cflag & kCheckedCflag) ||
        (set.c_iflag & kCheckedIflag) != (tio.c_iflag & kCheckedIflag) ||
        (set.c_lflag & kCheckedLflag) != (tio.c_lflag & kCheckedLflag)) {
        error_ = path + " cannot be set to raw 8-bit mode without flow control" +
                 (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string()) + ".";
        ::close(fd);
        return false;
    }
    fd_ = fd;
    ownLines_ = std::make_unique<DeviceLines>(fd);
    lines_ = ownLines_->Dsr() ? ownLines_.get() : nullptr;
    return true;
}

StreamResult SerialStream::Write(const std::uint8_t* bytes, std::size_t count, int waitMs, std::size_t& written) {
    written = 0;
    if (fd_ < 0) return StreamResult::Failed;
    pollfd p{fd_, POLLOUT, 0};
    const int ready = ::poll(&p, 1, waitMs);
    if (ready == 0) return StreamResult::TimedOut;
    if (ready < 0 && errno != EINTR) {
        error_ = path_ + ": " + std::strerror(errno);
        return StreamResult::Failed;
    }
    if (ready < 0) return StreamResult::TimedOut;
    const ssize_t n = ::write(fd_, bytes, count);
    if (n < 0) {
        if (errno == EAGAIN || errno == EINTR) return StreamResult::TimedOut;
        error_ = path_ + " stopped taking data: " + std::strerror(errno);
        return StreamResult::Failed;
    }
    written = static_cast<std::size_t>(n);
    return StreamResult::Ok;
}

StreamResult SerialStream::Read(std::uint8_t* bytes, std::size_t max, int waitMs, std::size_t& got) {
    got = 0;
    if (fd_ < 0) return StreamResult::Failed;
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, waitMs);
    if (ready <= 0) {
        if (ready < 0 && errno != EINTR) {
            error_ = path_ + ": " + std::strerror(errno);
            return StreamResult::Failed;
        }
        return StreamResult::TimedOut;
    }
    const ssize_t n = ::read(fd_, bytes, max);
    if (n < 0) {
        if (errno == EAGAIN || errno == EINTR) return StreamResult::TimedOut;
        error_ = path_ + " went away: " + std::strerror(errno);
        return StreamResult::Failed;
    }
    if (n == 0) {
        // Readable with nothing to read: the other end hung up (device unplugged).
        error_ = path_ + " went away";
        return StreamResult::Failed;
    }
    got = static_cast<std::size_t>(n);
    return StreamResult::Ok;
}

bool SerialStream::WaitForDsr(bool high) {
    for (int waited = 0; waited <= resetWaitMs_; waited += kDsrPollMs) {
        const std::optional<bool> dsr = lines_->Dsr();
        if (!dsr) return false;
        if (*dsr == high) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(kDsrPollMs));
    }
    return false;
}

void SerialStream::DrainInput() {
    ::tcflush(fd_, TCIFLUSH);
    // What was already on its way still arrives: read until the line is quiet.
    std::uint8_t scratch[16384];
    std::size_t got = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kDrainLimitMs);
    while (Read(scratch, sizeof scratch, kQuietMs, got) == StreamResult::Ok && std::chrono::steady_clock::now() < end) {
    }
}

bool SerialStream::ResetCommunication() {
    if (fd_ < 0) return false;
    if (!lines_) {
        error_ = "The SummerCart64 on " + path_ + " could not be reset: the device has no modem lines (DTR/DSR)";
        return false;
    }
    ::tcflush(fd_, TCOFLUSH);
    if (!lines_->SetDtr(true) || !WaitForDsr(true)) {
        lines_->SetDtr(false);
        error_ = "The SummerCart64 on " + path_ + " could not be reset: DSR did not follow DTR";
        return false;
    }
    DrainInput();
    if (!lines_->SetDtr(false) || !WaitForDsr(false)) {
        error_ = "The SummerCart64 on " + path_ + " could not be reset: DSR stayed up after DTR fell";
        return false;
    }
    return true;
}

} // namespace q64
