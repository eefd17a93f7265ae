#pragma once
// One-byte reads and writes on I/O addresses over the back end chosen at run
// time. The protocols touch hardware only through WritePort and ReadPort.

#include <cstdint>

#include "transfer/PortBackend.h"

namespace q64 {

class ParallelPort {
public:
    // `backend` must outlive the port.
    explicit ParallelPort(PortBackend& backend) : backend_(&backend) {}

    void WritePort(PortAddress address, std::uint8_t value) { backend_->Write(address, value); }
    std::uint8_t ReadPort(PortAddress address) { return backend_->Read(address); }

    // 0 on success, 16 when the device cannot be opened, 32 when it cannot be closed.
    int OpenPortDriver(int index) { return backend_->OpenPortDriver(index); }
    int ClosePortDriver() { return backend_->ClosePortDriver(); }

    PortBackend& Backend() { return *backend_; }
    void SetBackend(PortBackend& backend) { backend_ = &backend; }

private:
    PortBackend* backend_;
};

} // namespace q64
