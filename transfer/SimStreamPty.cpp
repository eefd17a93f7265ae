#include "transfer/SimStreamPty.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace q64 {

struct SimStreamPty::Worker {
    std::thread thread;
};

namespace {
constexpr std::size_t kPiece = 65536;
constexpr int kRecheckMs = 20; // how often a unit that took nothing is offered the bytes again
} // namespace

SimStreamPty::SimStreamPty(SimStreamUnit& unit) : unit_(unit), worker_(std::make_unique<Worker>()) {
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
    worker_->thread = std::thread([this] { Run(); });
}

void SimStreamPty::Run() {
    std::uint8_t in[kPiece + 1];
    std::uint8_t out[kPiece];
    std::size_t inCount = 0, inDone = 0, outCount = 0, outDone = 0;
    for (;;) {
        if (outDone == outCount) {
            outCount = unit_.Take(out, sizeof out);
            outDone = 0;
        }
        if (inDone < inCount) inDone += unit_.Feed(in + 1 + inDone, inCount - inDone);
        const bool wantIn = inDone == inCount; // bytes the unit has not taken stay in the terminal
        const bool wantOut = outDone < outCount;
        pollfd fds[2] = {{master_, static_cast<short>((wantIn ? POLLIN : 0) | (wantOut ? POLLOUT : 0)), 0},
                         {stopPipe_[0], POLLIN, 0}};
        if (::poll(fds, 2, kRecheckMs) < 0 && errno != EINTR) return;
        if (fds[1].revents) return;
        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(master_, in, sizeof in);
            if (n > 0 && in[0] == TIOCPKT_DATA) {
                inCount = static_cast<std::size_t>(n - 1);
                inDone = 0;
            } else if (n > 0 && (in[0] & (TIOCPKT_FLUSHREAD | TIOCPKT_FLUSHWRITE))) {
                unit_.ResetLink();
                inCount = inDone = outCount = outDone = 0;
            }
        }
        if ((fds[0].revents & POLLOUT) && wantOut) {
            const ssize_t n = ::write(master_, out + outDone, outCount - outDone);
            if (n > 0) outDone += static_cast<std::size_t>(n);
        }
    }
}

SimStreamPty::~SimStreamPty() {
    if (worker_->thread.joinable()) {
        const char stop = 1;
        (void)!::write(stopPipe_[1], &stop, 1);
        worker_->thread.join();
    }
    for (int fd : {master_, slave_, stopPipe_[0], stopPipe_[1]})
        if (fd >= 0) ::close(fd);
}

} // namespace q64
