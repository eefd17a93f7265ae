#pragma once
// The Linux parallel port driver (ppdev) in place of a kernel port driver.
// Index 1..4 opens /dev/parport0..3 and claims the port. Register offsets are
// taken from the parallel base: 0 data, 1 status, 2 control. A read that the
// driver refuses gives 0xFF; a write it refuses is dropped.
//
// ppdev reads the control register from its own copy of the last value written,
// not from the lines: a Doctor V64 wired for handshake mode 0 (which answers on
// control lines) cannot be seen through it; mode 1 (status lines) works.

#include <functional>
#include <string>

#include "transfer/PortBackend.h"

namespace q64 {

class PpdevPortBackend final : public PortBackend {
public:
    // `index` 1..4 is the device Claim opens (1 = /dev/parport0). `devicePrefix`
    // lets tests point it at a folder without ports.
    explicit PpdevPortBackend(int index = 1, std::string devicePrefix = "/dev/parport");
    ~PpdevPortBackend() override;
    PpdevPortBackend(const PpdevPortBackend&) = delete;
    PpdevPortBackend& operator=(const PpdevPortBackend&) = delete;

    void Write(PortAddress address, std::uint8_t value) override;
    std::uint8_t Read(PortAddress address) override;
    // Opens and claims the device of this back end's index.
    std::string Claim(PortAddress base, int count) override;
    int OpenPortDriver(int index) override;
    int ClosePortDriver() override;
    void SetParallelBase(PortAddress base) override { base_ = base; }
    bool ReadsControlLines() const override { return false; }
    bool IsDriver() const override { return true; }
    std::string Name() const override;

    bool IsOpen() const { return open_; }
    int OpenIndex() const { return open_ ? index_ : 0; }
    // The device path of an index (empty outside 1..4).
    std::string DevicePath(int index) const;
    // Asked about every 200 ms while another program holds the port; false
    // gives the claim up (it gives up by itself after 5 s).
    void SetClaimWait(std::function<bool()> keepWaiting) override { keepWaiting_ = std::move(keepWaiting); }
    // Why the last open failed (empty when it did not).
    const std::string& OpenError() const { return openError_; }

private:
    int defaultIndex_;
    std::string prefix_;
    PortAddress base_ = 0x378;
    bool open_ = false;
    int index_ = 0;
    int fd_ = -1;
    std::string openError_;
    std::function<bool()> keepWaiting_;
};

} // namespace q64
