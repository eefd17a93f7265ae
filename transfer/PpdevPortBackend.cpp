#include "transfer/PpdevPortBackend.h"

#include <cerrno>
#include <cstring>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/syscall.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace q64 {

namespace {
constexpr int kOpenFailed = 16;
constexpr int kCloseFailed = 32;
constexpr int kDataOffset = 0;
constexpr int kStatusOffset = 1;
constexpr int kControlOffset = 2;
} // namespace

PpdevPortBackend::PpdevPortBackend(int index, std::string devicePrefix)
    : defaultIndex_(index), prefix_(std::move(devicePrefix)) {}

PpdevPortBackend::~PpdevPortBackend() {
    ClosePortDriver();
}

std::string PpdevPortBackend::DevicePath(int index) const {
    if (index < 1 || index > 4) return {};
    return prefix_ + std::to_string(index - 1);
}

std::string PpdevPortBackend::Name() const {
    return DevicePath(open_ ? index_ : defaultIndex_);
}

namespace {

constexpr long kClaimSliceNs = 200'000'000; // how often a waiting claim asks whether to go on
constexpr int kClaimSlices = 25;            // at most 5 s while another program holds the port

void WakeClaim(int) {}

// PPCLAIM sleeps while another program holds the port. A timer signals this
// thread every slice so the claim returns (EINTR) and the wait stays bounded
// and can be given up through `keepWaiting`.
bool ClaimWithin(int fd, const std::function<bool()>& keepWaiting, std::string& why) {
    const int signal = SIGRTMIN + 3;
    struct sigaction wake {};
    wake.sa_handler = WakeClaim; // no SA_RESTART: the ioctl must return
    sigemptyset(&wake.sa_mask);
    struct sigaction previous {};
    ::sigaction(signal, &wake, &previous);
    sigevent event{};
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = signal;
    event._sigev_un._tid = static_cast<pid_t>(::syscall(SYS_gettid)); // sigev_notify_thread_id
    timer_t timer{};
    const bool timed = ::timer_create(CLOCK_MONOTONIC, &event, &timer) == 0;
    if (timed) {
        itimerspec slices{};
        slices.it_value.tv_nsec = kClaimSliceNs;
        slices.it_interval.tv_nsec = kClaimSliceNs;
        ::timer_settime(timer, 0, &slices, nullptr);
    }
    bool claimed = false;
    for (int slice = 0;; ++slice) {
        if (::ioctl(fd, PPCLAIM) == 0) {
            claimed = true;
            break;
        }
        if (errno != EINTR) {
            why = std::strerror(errno);
            break;
        }
        if (slice + 1 >= kClaimSlices || (keepWaiting && !keepWaiting())) {
            why = "another program holds the port";
            break;
        }
    }
    if (timed) ::timer_delete(timer);
    ::sigaction(signal, &previous, nullptr);
    return claimed;
}

} // namespace

int PpdevPortBackend::OpenPortDriver(int index) {
    if (open_ && index_ == index) return 0;
    if (open_) {
        const int closed = ClosePortDriver();
        if (closed != 0) return closed;
    }
    fd_ = -1;
    openError_.clear();
    const std::string path = DevicePath(index);
    if (path.empty()) {
        openError_ = "no port driver device has the index " + std::to_string(index);
        return kOpenFailed;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENODEV || error == ENXIO)
            openError_ = "the device node " + path + " is missing: the parport_pc and ppdev modules are not loaded "
                         "(modprobe ppdev) or the machine has no parallel port";
        else if (error == EACCES || error == EPERM)
            openError_ = "no permission to use " + path + ": the user must be a member of the \"lp\" group "
                         "(then log in again)";
        else
            openError_ = "cannot open " + path + ": " + std::strerror(error);
        return kOpenFailed;
    }
    std::string why;
    if (!ClaimWithin(fd, keepWaiting_, why)) {
        openError_ = "cannot claim " + path + ": " + why;
        ::close(fd);
        return kOpenFailed;
    }
    fd_ = fd;
    index_ = index;
    open_ = true;
    return 0;
}

int PpdevPortBackend::ClosePortDriver() {
    if (!open_) return 0;
    ::ioctl(fd_, PPRELEASE);
    // The descriptor is gone whatever close says: never keep it marked open.
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    open_ = false;
    return closed ? 0 : kCloseFailed;
}

std::string PpdevPortBackend::Claim(PortAddress, int) {
    if (OpenPortDriver(defaultIndex_) == 0) return {};
    return "The port driver failed: " + openError_ + ".";
}

void PpdevPortBackend::Write(PortAddress address, std::uint8_t value) {
    if (!open_) return;
    unsigned char byte = value;
    switch ((address - base_) & 0xFF) {
    case kDataOffset: ::ioctl(fd_, PPWDATA, &byte); break;
    case kControlOffset: ::ioctl(fd_, PPWCONTROL, &byte); break;
    default: break; // the status register cannot be written
    }
}

std::uint8_t PpdevPortBackend::Read(PortAddress address) {
    unsigned char byte = 0xFF;
    if (!open_) return byte;
    int done = -1;
    switch ((address - base_) & 0xFF) {
    case kDataOffset: done = ::ioctl(fd_, PPRDATA, &byte); break;
    case kStatusOffset: done = ::ioctl(fd_, PPRSTATUS, &byte); break;
    case kControlOffset: done = ::ioctl(fd_, PPRCONTROL, &byte); break;
    default: break;
    }
    return done == 0 ? byte : 0xFF;
}

} // namespace q64
