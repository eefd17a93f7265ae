#pragma once
// Wraps any back end and writes every access to a file, one line each:
// "W aaaa vv" or "R aaaa vv" (lowercase hexadecimal, 4-digit address, 2-digit value).

#include <cstdio>
#include <string>
#include <vector>

#include "transfer/PortBackend.h"

namespace q64 {

class TracingPortBackend final : public PortBackend {
public:
    // `inner` must outlive this wrapper. Check IsOpen() after construction;
    // Error() then says why the trace file was refused. The trace file is
    // opened without following a symbolic link and without blocking. It is
    // never any of `keepAway` (the files the transfer reads or writes: the same
    // device and inode, or the same resolved path while one does not exist).
    // An existing regular file is emptied only when its first line is a trace
    // line (or it is empty); anything else is refused and left as it is. A
    // terminal, /dev/null or a pipe with a reader is written as it is.
    TracingPortBackend(PortBackend& inner, const std::string& tracePath,
                       const std::vector<std::string>& keepAway = {});
    ~TracingPortBackend() override;
    TracingPortBackend(const TracingPortBackend&) = delete;
    TracingPortBackend& operator=(const TracingPortBackend&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    const std::string& Error() const { return error_; }

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
    std::string error_;
};

// One trace line without its newline, e.g. "W 037a 04".
std::string TraceLine(char kind, PortAddress address, std::uint8_t value);
// True when `head` (the first bytes of a file) starts with a whole trace line.
bool StartsWithTraceLine(const std::string& head);
// Why a trace may not be written to `tracePath` ("it is PATH itself", when it
// is one of `keepAway` by device and inode, or by resolved path while one does
// not exist yet), or empty when nothing speaks against it. Checked by name; the
// port trace checks again on the file it opened.
std::string TraceConflict(const std::string& tracePath, const std::vector<std::string>& keepAway);

} // namespace q64
