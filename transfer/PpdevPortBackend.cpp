#include "transfer/PpdevPortBackend.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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
    if (::ioctl(fd, PPCLAIM) != 0) {
        openError_ = "cannot claim " + path + ": " + std::strerror(errno);
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
    if (::close(fd_) != 0) return kCloseFailed;
    fd_ = -1;
    open_ = false;
    return 0;
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
