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
constexpr int kDsrPollMs = 5;
constexpr int kDrainQuietMs = 30;
constexpr int kDrainRounds = 64;
} // namespace

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
}

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
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, B115200);
    ::cfsetospeed(&tio, B115200);
    ::tcsetattr(fd, TCSANOW, &tio);
    int lines = 0;
    modemLines_ = ::ioctl(fd, TIOCMGET, &lines) == 0;
    fd_ = fd;
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
        int lines = 0;
        if (::ioctl(fd_, TIOCMGET, &lines) != 0) return false;
        if (((lines & TIOCM_DSR) != 0) == high) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(kDsrPollMs));
    }
    return false;
}

bool SerialStream::ResetCommunication() {
    if (fd_ < 0) return false;
    if (!modemLines_) {
        // No lines to signal with: drop both buffers and whatever was still on
        // its way from the other end, until it has been quiet for a moment.
        ::tcflush(fd_, TCIOFLUSH);
        std::uint8_t scratch[4096];
        std::size_t got = 0;
        for (int round = 0; round < kDrainRounds; ++round)
            if (Read(scratch, sizeof scratch, kDrainQuietMs, got) != StreamResult::Ok) break;
        ::tcflush(fd_, TCIOFLUSH);
        return true;
    }
    const int dtr = TIOCM_DTR;
    bool ok = ::ioctl(fd_, TIOCMBIS, &dtr) == 0 && WaitForDsr(true);
    ::tcflush(fd_, TCIOFLUSH);
    ok = ::ioctl(fd_, TIOCMBIC, &dtr) == 0 && WaitForDsr(false) && ok;
    if (!ok) error_ = "The unit on " + path_ + " did not follow the communication reset (DTR/DSR)";
    return ok;
}

} // namespace q64
