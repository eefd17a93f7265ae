#include "transfer/Surgeon64.h"

#include <cstdio>
#include <vector>

#include "engine/Progress.h"
#include "engine/FileChange.h"
#include "engine/OperationIo.h"

namespace q64 {

namespace {

constexpr int kRegisters = 4;

void Say(const MessageSink& sink, const std::string& text) {
    if (sink) sink(text);
}

// Makes S..S+3 reachable; false after a message when the back end cannot.
bool ClaimAdapter(ParallelPort& port, int address, const MessageSink& sink) {
    if (port.Backend().IsDriver()) {
        Say(sink, "The Surgeon64 adapter is not on a parallel port and cannot be reached through " +
                      port.Backend().Name() + "; it needs direct port access (CAP_SYS_RAWIO).");
        return false;
    }
    const std::string missing = port.Backend().Claim(static_cast<PortAddress>(address), kRegisters);
    if (!missing.empty()) Say(sink, missing);
    return missing.empty();
}

bool NoAddress(int address, const MessageSink& sink) {
    if (address != 0) return false;
    Say(sink, "No Surgeon64 address is set (\"SurgeonAddress\" is 0)");
    return true;
}

} // namespace

void SurgeonPort::Set(std::uint8_t bit) {
    state_.controlShadow = static_cast<std::uint8_t>(state_.controlShadow | bit);
    port_.WritePort(base_, state_.controlShadow);
}

void SurgeonPort::Clear(std::uint8_t bit) {
    state_.controlShadow = static_cast<std::uint8_t>(state_.controlShadow & ~bit);
    port_.WritePort(base_, state_.controlShadow);
}

void SurgeonPort::TakeControl() {
    Set(0x40);
    Set(0x20);
    Set(0x10);
    Set(0x01);
    Set(0x02);
}

void SurgeonPort::WriteMode() {
    Clear(0x10);
    Clear(0x40);
    Set(0x20);
}

void SurgeonPort::ReadMode() {
    Set(0x10);
    Clear(0x40);
    Clear(0x20);
}

void SurgeonPort::Release() {
    Clear(0x01);
    Clear(0x02);
    Set(0x04);
}

void SurgeonPort::SelectAddress(std::uint16_t address) {
    port_.WritePort(static_cast<PortAddress>(base_ + 1), static_cast<std::uint8_t>(address));
    port_.WritePort(static_cast<PortAddress>(base_ + 2), static_cast<std::uint8_t>(address >> 8));
}

EngineResult SurgeonConsoleControl(ParallelPort& port, SurgeonState& state, int address, const MessageSink& sink) {
    state.mode = 1;
    if (address == 0) return EngineResult::Ok;
    if (!ClaimAdapter(port, address, sink)) return EngineResult::ErrTransfer;
    SurgeonPort(port, state, static_cast<PortAddress>(address)).Release();
    return EngineResult::Ok;
}

EngineResult SurgeonPcControl(ParallelPort& port, SurgeonState& state, int address, const MessageSink& sink) {
    state.mode = 2;
    if (address == 0) return EngineResult::Ok;
    if (!ClaimAdapter(port, address, sink)) return EngineResult::ErrTransfer;
    SurgeonPort adapter(port, state, static_cast<PortAddress>(address));
    adapter.TakeControl();
    adapter.Set(0x04);
    return EngineResult::Ok;
}

EngineResult SurgeonLoadPak(ParallelPort& port, SurgeonState& state, int address, const std::string& path,
                            const MessageSink& sink, const ProgressFn& progressFn) {
    std::vector<std::uint8_t> pak(kMemPakSize, 0);
    std::string why;
    std::FILE* in = OpenForReading(path, why);
    if (!in) {
        Say(sink, why == messages::kOpenForRead ? "Cannot open " + path : why);
        return EngineResult::ErrOpen;
    }
    const std::size_t got = std::fread(pak.data(), 1, kMemPakSize, in);
    std::fclose(in);
    if (got < kMemPakSize) {
        Say(sink, path + " holds " + std::to_string(got) +
                      " bytes; a memory pak image is 32768 bytes. Nothing was loaded.");
        return EngineResult::ErrFormat;
    }
    if (NoAddress(address, sink)) return EngineResult::ErrFailed;
    if (!ClaimAdapter(port, address, sink)) return EngineResult::ErrTransfer;
    SurgeonPort adapter(port, state, static_cast<PortAddress>(address));
    ProgressReporter progress(progressFn);
    adapter.TakeControl();
    adapter.WriteMode();
    for (std::size_t a = 0; a < kMemPakSize; ++a) {
        adapter.SelectAddress(static_cast<std::uint16_t>(a));
        adapter.WriteData(pak[a]);
        if ((a & 0xFF) == 0) progress.ReportFraction(a, kMemPakSize); // no cancel mid-pak: the adapter is held
    }
    adapter.Release();
    progress.Report(100);
    return EngineResult::Ok;
}

EngineResult SurgeonSavePak(ParallelPort& port, SurgeonState& state, int address, const std::string& path,
                            const MessageSink& sink, const ProgressFn& progressFn) {
    if (NoAddress(address, sink)) return EngineResult::ErrFailed;
    FileChange target;
    if (target.BeginNew(path, ExistingFile::Replace) != EngineResult::Ok) {
        Say(sink, "Cannot create " + path + ": " + target.Message());
        return EngineResult::ErrReceive;
    }
    if (!ClaimAdapter(port, address, sink)) return EngineResult::ErrTransfer;
    std::vector<std::uint8_t> pak(kMemPakSize, 0);
    SurgeonPort adapter(port, state, static_cast<PortAddress>(address));
    ProgressReporter progress(progressFn);
    adapter.TakeControl();
    adapter.ReadMode();
    for (std::size_t a = 0; a < kMemPakSize; ++a) {
        adapter.SelectAddress(static_cast<std::uint16_t>(a));
        pak[a] = adapter.ReadData();
        if ((a & 0xFF) == 0) progress.ReportFraction(a, kMemPakSize);
    }
    adapter.Release();
    progress.Report(100);
    if (!WriteAll(target.Out(), pak.data(), pak.size()) || target.Commit() != EngineResult::Ok) {
        Say(sink, "Cannot write " + path + (target.Message().empty() ? "" : ": " + target.Message()));
        return EngineResult::ErrFailed;
    }
    return EngineResult::Ok;
}

} // namespace q64
