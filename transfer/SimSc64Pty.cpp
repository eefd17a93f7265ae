#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "transfer/SimSc64.h"

namespace q64 {

struct SimSc64Pty::Worker {
    std::thread thread;
    std::atomic<std::uint64_t> bytesIn{0};
};

namespace {
constexpr std::size_t kPiece = 65536;
}

SimSc64Pty::SimSc64Pty(SimSc64& unit) : unit_(unit), worker_(std::make_unique<Worker>()) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) return;
    char name[128];
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0 ||
        ::pipe2(stopPipe_, O_CLOEXEC) != 0) {
        ::close(master);
        return;
    }
    // Held open for the life of the pair so the master never sees a hang-up,
    // and set raw here so nothing the unit sends is echoed back to it.
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio {};
    if (slave_ < 0 || ::tcgetattr(slave_, &tio) != 0) {
        ::close(master);
        return;
    }
    ::cfmakeraw(&tio);
    ::tcsetattr(slave_, TCSANOW, &tio);
    int packetMode = 1;
    ::ioctl(master, TIOCPKT, &packetMode); // flushes of the slave arrive as status bytes
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    master_ = master;
    path_ = name;

    worker_->thread = std::thread([this] {
        std::uint8_t in[kPiece + 1];
        std::uint8_t out[kPiece];
        std::size_t outCount = 0, outDone = 0;
        for (;;) {
            if (outDone == outCount) {
                outCount = unit_.Take(out, sizeof out);
                outDone = 0;
            }
            pollfd fds[2] = {{master_, static_cast<short>(POLLIN | (outDone < outCount ? POLLOUT : 0)), 0},
                             {stopPipe_[0], POLLIN, 0}};
            if (::poll(fds, 2, outDone < outCount ? -1 : 20) < 0 && errno != EINTR) return;
            if (fds[1].revents) return;
            if (fds[0].revents & POLLIN) {
                const ssize_t n = ::read(master_, in, sizeof in);
                if (n > 0 && in[0] == TIOCPKT_DATA) {
                    unit_.Feed(in + 1, static_cast<std::size_t>(n - 1));
                    worker_->bytesIn += static_cast<std::uint64_t>(n - 1);
                } else if (n > 0 && (in[0] & (TIOCPKT_FLUSHREAD | TIOCPKT_FLUSHWRITE))) {
                    unit_.ResetLink();
                    outCount = outDone = 0;
                }
            }
            if ((fds[0].revents & POLLOUT) && outDone < outCount) {
                const ssize_t n = ::write(master_, out + outDone, outCount - outDone);
                if (n > 0) outDone += static_cast<std::size_t>(n);
            }
        }
    });
}

SimSc64Pty::~SimSc64Pty() {
    if (worker_->thread.joinable()) {
        const char stop = 1;
        (void)!::write(stopPipe_[1], &stop, 1);
        worker_->thread.join();
    }
    for (int fd : {master_, slave_, stopPipe_[0], stopPipe_[1]})
        if (fd >= 0) ::close(fd);
}

std::uint64_t SimSc64Pty::BytesIn() const { return worker_->bytesIn; }

} // namespace q64
