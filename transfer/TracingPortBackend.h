#pragma once
// Wraps any back end and writes every access to a file, one line each:
// "W aaaa vv" or "R aaaa vv" (lowercase hexadecimal, 4-digit address, 2-digit value).

#include <cstdio>
#include <string>

#include "transfer/PortBackend.h"

namespace q64 {

class TracingPortBackend final : public PortBackend {
public:
    // `inner` must outlive this wrapper. Check IsOpen() after construction.
    TracingPortBackend(PortBackend& inner, const std::string& tracePath);
    ~TracingPortBackend() override;
    TracingPortBackend(const TracingPortBackend&) = delete;
    TracingPortBackend& operator=(const TracingPortBackend&) = delete;

    bool IsOpen() const { return file_ != nullptr; }

    void Write(PortAddress address, std::uint8_t value) override;
    std::uint8_t Read(PortAddress address) override;
    std::string Claim(PortAddress base, int count) override { return inner_.Claim(base, count); }
    void SetClaimWait(std::function<bool()> keepWaiting) override { inner_.SetClaimWait(std::move(keepWaiting)); }
    int OpenPortDriver(int index) override { return inner_.OpenPortDriver(index); }
    int ClosePortDriver() override { return inner_.ClosePortDriver(); }
    void SetParallelBase(PortAddress base) override { inner_.SetParallelBase(base); }
    bool ReadsControlLines() const override { return inner_.ReadsControlLines(); }
    bool IsDriver() const override { return inner_.IsDriver(); }
    std::string Name() const override { return inner_.Name(); }

private:
    PortBackend& inner_;
    std::FILE* file_ = nullptr;
};

// One trace line without its newline, e.g. "W 037a 04".
std::string TraceLine(char kind, PortAddress address, std::uint8_t value);

} // namespace q64
