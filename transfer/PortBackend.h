#pragma once
// What the transfer layer needs from the machine: one-byte reads and writes on
// 16-bit I/O addresses. The protocols reach hardware only through a back end
// (direct port instructions, the ppdev driver, simulated units, or a tracing
// wrapper around any of them), chosen at run time.

#include <cstdint>
#include <functional>
#include <string>

namespace q64 {

using PortAddress = std::uint16_t;

class PortBackend {
public:
    virtual ~PortBackend() = default;

    virtual void Write(PortAddress address, std::uint8_t value) = 0;
    virtual std::uint8_t Read(PortAddress address) = 0;

    // Makes the `count` registers from `base` reachable before a transfer.
    // Returns an empty text on success, otherwise one sentence naming what is
    // missing (shown to the user as it is).
    virtual std::string Claim(PortAddress base, int count) = 0;
    // Asked now and then while Claim waits for a port another program holds;
    // false gives the claim up. Back ends that never wait ignore it.
    virtual void SetClaimWait(std::function<bool()> keepWaiting) { (void)keepWaiting; }

    // The port driver requests: 0 on success, 16 when the device cannot be
    // opened, 32 when it cannot be closed. Back ends without a device succeed.
    virtual int OpenPortDriver(int index) { (void)index; return 0; }
    virtual int ClosePortDriver() { return 0; }
    // The parallel base the driver computes register offsets from.
    virtual void SetParallelBase(PortAddress base) { (void)base; }

    // False when a read of the parallel control register returns the last value
    // written rather than the lines (ppdev), so a unit answering on the control
    // lines (Doctor V64 handshake mode 0) cannot be seen.
    virtual bool ReadsControlLines() const { return true; }
    // True for a back end that goes through the port driver device.
    virtual bool IsDriver() const { return false; }
    // A short name for messages: "direct", "/dev/parport0", "simulated".
    virtual std::string Name() const = 0;
};

} // namespace q64
