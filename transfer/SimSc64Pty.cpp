#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "transfer/SerialStream.h"
#include "transfer/SimSc64.h"

namespace q64 {

namespace {

constexpr std::size_t kPiece = 65536;
constexpr int kRetryMs = 2; // while the unit takes nothing (clogged)
constexpr int kIdleMs = 20;

// DTR and DSR wired straight to the unit.
class UnitLines final : public ModemLines {
public:
    explicit UnitLines(SimSc64& unit) : unit_(unit) {}
    bool SetDtr(bool high) override {
        unit_.SetDtr(high);
        return true;
    }
    std::optional<bool> Dsr() override { return unit_.Dsr(); }

private:
    SimSc64& unit_;
};

} // namespace

struct SimSc64Pty::Worker {
    explicit Worker(SimSc64& unit) : lines(unit) {}
    std::thread thread;
    std::atomic<std::uint64_t> bytesIn{0};
    UnitLines lines;
};

SimSc64Pty::SimSc64Pty(SimSc64& unit) : unit_(unit), worker_(std::make_unique<Worker>(unit)) {
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
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    master_ = master;
    path_ = name;

    // Relays both ways. Bytes the unit does not take yet (it is clogged) wait
    // here, and no more are read meanwhile, so the PC's writes back up as
    // they do with the cart's bridge. Answer bytes held here when the unit's
    // interface is reset are dropped, as the bridge drops them.
    worker_->thread = std::thread([this] {
        std::uint8_t in[kPiece];
        std::uint8_t out[kPiece];
        std::size_t inCount = 0, inDone = 0, outCount = 0, outDone = 0;
        std::uint64_t resets = unit_.Resets();
        for (;;) {
            if (const std::uint64_t now = unit_.Resets(); now != resets) {
                resets = now;
                outCount = outDone = 0;
            }
            if (outDone == outCount) {
                outCount = unit_.Take(out, sizeof out);
                outDone = 0;
            }
            if (inDone < inCount) {
                const std::size_t taken = unit_.Feed(in + inDone, inCount - inDone);
                inDone += taken;
                worker_->bytesIn += taken;
            }
            const bool held = inDone < inCount;
            const bool sending = outDone < outCount;
            pollfd fds[2] = {{master_, static_cast<short>((held ? 0 : POLLIN) | (sending ? POLLOUT : 0)), 0},
                             {stopPipe_[0], POLLIN, 0}};
            if (::poll(fds, 2, held ? kRetryMs : kIdleMs) < 0 && errno != EINTR) return;
            if (fds[1].revents) return;
            if (fds[0].revents & POLLIN) {
                const ssize_t n = ::read(master_, in, sizeof in);
                if (n > 0) {
                    inCount = static_cast<std::size_t>(n);
                    inDone = 0;
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

ModemLines& SimSc64Pty::Lines() { return worker_->lines; }

std::uint64_t SimSc64Pty::BytesIn() const { return worker_->bytesIn; }

} // namespace q64
