#include "transfer/DirectPortBackend.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define Q64_HAVE_PORT_IO 1
#else
#define Q64_HAVE_PORT_IO 0
#endif

namespace q64 {

namespace {
constexpr int kIopermLimit = 0x400; // ioperm reaches ports 0..0x3FF only
} // namespace

void DirectPortBackend::Write(PortAddress address, std::uint8_t value) {
#if Q64_HAVE_PORT_IO
    if (granted_) outb(value, address);
#else
    (void)address;
    (void)value;
#endif
}

std::uint8_t DirectPortBackend::Read(PortAddress address) {
#if Q64_HAVE_PORT_IO
    if (granted_) return inb(address);
#else
    (void)address;
#endif
    return 0xFF;
}

std::string DirectPortBackend::Claim(PortAddress base, int count) {
#if Q64_HAVE_PORT_IO
    char where[64];
    std::snprintf(where, sizeof where, "0x%X..0x%X", base, base + count - 1);
    if (base + count > kIopermLimit)
        return std::string("Direct port access reaches only ports up to 0x3FF, not ") + where +
               "; use the ppdev back end (/dev/parportN).";
    if (ioperm(base, static_cast<unsigned long>(count), 1) != 0) {
        const int error = errno;
        std::string text = std::string("No direct access to ports ") + where + " (" + std::strerror(error) + "): ";
        if (error == ENOSYS)
            text += "this kernel has no port I/O; use the ppdev back end (/dev/parportN).";
        else
            text += "run with CAP_SYS_RAWIO or use the ppdev back end (/dev/parportN).";
        return text;
    }
    granted_ = true;
    return {};
#else
    (void)base;
    (void)count;
    return "Direct port access needs an x86 machine; use the ppdev back end (/dev/parportN).";
#endif
}

bool DirectPortAccessAvailable() {
#if Q64_HAVE_PORT_IO
    constexpr unsigned long kProbe = 0x378;
    if (ioperm(kProbe, 3, 1) != 0) return false;
    ioperm(kProbe, 3, 0);
    return true;
#else
    return false;
#endif
}

} // namespace q64
