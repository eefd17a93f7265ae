#pragma once
// Direct port instructions (ioperm plus inb/outb). Only on x86, only for ports
// up to 0x3FF, and only when the process has CAP_SYS_RAWIO and the kernel was
// built with port I/O; otherwise Claim fails with a sentence saying so and no
// port is ever touched.

#include "transfer/PortBackend.h"

namespace q64 {

class DirectPortBackend final : public PortBackend {
public:
    void Write(PortAddress address, std::uint8_t value) override;
    std::uint8_t Read(PortAddress address) override;
    std::string Claim(PortAddress base, int count) override;
    std::string Name() const override { return "direct"; }

private:
    bool granted_ = false;
};

// True when this process may use direct port instructions on the usual
// parallel port range (the permission is tested and given back at once).
bool DirectPortAccessAvailable();

} // namespace q64
