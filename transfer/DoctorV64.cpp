#include "transfer/DoctorV64.h"

#include <cstdio>
#include <cstdlib>

#include "engine/Progress.h"
#include "transfer/ContainerInflater.h"
#include "engine/FileChange.h"
#include "engine/OperationIo.h"
#include "transfer/WireBytes.h"

namespace q64 {

namespace {

constexpr int kSyncPollBudget = 8192;
constexpr long kByteWaitReads = 1000L * 1000L;
constexpr int kTurnaroundPasses = 8192;
constexpr std::size_t kFileChunk = 32768;
constexpr std::size_t kInflateChunk = 4096;
constexpr std::size_t kSizeBlock = 15;
constexpr std::uint32_t kIdleImageSize = 0x800000;

constexpr std::uint8_t kIdle = 0x04;
constexpr std::uint8_t kStrobeHigh = 0x05;
constexpr std::uint8_t kSyncSignal = 0x00;
constexpr std::uint8_t kStrobeBit = 0x01;
constexpr std::uint8_t kAckMode0 = 0x02; // control bit 1
constexpr std::uint8_t kSyncLine = 0x08; // control (mode 0) or status (mode 1) bit 3
constexpr std::uint8_t kAckMode1 = 0x10; // status bit 4
constexpr std::uint8_t kClockIn = 0x80;  // status bit 7

constexpr std::uint8_t kSendCommand[] = {'G', 'D', '6', 'R', 0x01};
constexpr std::uint8_t kReceiveCommand[] = {'G', 'D', '6', 'W'};

struct Registers {
    PortAddress data, status, control;
    bool idle;
};

Registers RegistersOf(const TransferContext& ctx) {
    const auto p = static_cast<PortAddress>(ctx.state.parallelBase);
    return {p, static_cast<PortAddress>(p + 1), static_cast<PortAddress>(p + 2),
            ctx.state.parallelBase == kIdleParallelBase};
}

// Waits until bit `mask` of `address` reads `wanted`, at most kByteWaitReads reads.
bool WaitBit(const TransferContext& ctx, PortAddress address, std::uint8_t mask, bool wanted) {
    for (long i = 0; i < kByteWaitReads; ++i)
        if (((ctx.port.ReadPort(address) & mask) != 0) == wanted) return true;
    return false;
}

EngineResult SendLengthField(const TransferContext& ctx, std::uint32_t length) {
    for (int i = 0; i < 4; ++i) {
        const auto byte = static_cast<std::uint8_t>(length >> (8 * i));
        if (V64SendBytes(ctx, &byte, 1) != EngineResult::Ok) return EngineResult::ErrTransfer;
    }
    return EngineResult::Ok;
}

EngineResult SendNameBlock(const TransferContext& ctx, const std::string& path) {
    const auto block = NameBlock(path);
    if (V64SendBytes(ctx, block.data(), 8) != EngineResult::Ok) return EngineResult::ErrTransfer;
    return V64SendBytes(ctx, block.data() + 8, 3);
}

// Repeats V64Sync until the unit answers; false when the user cancelled.
bool SyncUntilAnswered(const TransferContext& ctx) {
    while (V64Sync(ctx) != EngineResult::Ok)
        if (!ctx.SyncMayGoOn()) return false;
    return true;
}

struct FileCloser {
    std::FILE* file;
    ~FileCloser() {
        if (file) std::fclose(file);
    }
};

} // namespace

EngineResult V64Sync(const TransferContext& ctx) {
    const Registers r = RegistersOf(ctx);
    ctx.port.WritePort(r.control, kIdle);
    if (r.idle) return EngineResult::Ok;
    const int mode = ctx.state.handshakeMode;
    const PortAddress line = mode == 0 ? r.control : r.status;
    // The answer line rests low in mode 0 and high in mode 1; each sync byte
    // with the signal (0x00 on control) must make it move away and come back.
    const bool rest = mode != 0;
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(mode == 0 ? 0xAA : 0xA5),
                                   static_cast<std::uint8_t>(mode == 0 ? 0x55 : 0x5A)};
    int failed = 0;
    auto waitFor = [&](bool level) {
        for (;;) {
            if (((ctx.port.ReadPort(line) & kSyncLine) != 0) == level) return true;
            if (++failed >= kSyncPollBudget) return false;
        }
    };
    auto handshake = [&] {
        if (!waitFor(rest)) return false;
        for (std::uint8_t byte : bytes) {
            ctx.port.WritePort(r.data, byte);
            ctx.port.WritePort(r.control, kSyncSignal);
            if (!waitFor(!rest)) return false;
            ctx.port.WritePort(r.control, kIdle);
            if (!waitFor(rest)) return false;
        }
        return true;
    };
    const bool answered = handshake();
    if (answered) return EngineResult::Ok;
    ctx.port.WritePort(r.control, kIdle);
    ctx.port.WritePort(r.data, 0x00);
    ctx.state.handshakeMode = mode == 0 ? 1 : 0;
    return EngineResult::ErrTransfer;
}

EngineResult V64SendBytes(const TransferContext& ctx, const std::uint8_t* bytes, std::size_t count) {
    const Registers r = RegistersOf(ctx);
    if (r.idle) return EngineResult::Ok;
    const bool mode0 = ctx.state.handshakeMode == 0;
    std::uint8_t level = ctx.port.ReadPort(r.control) & kStrobeBit;
    for (std::size_t i = 0; i < count; ++i) {
        bool ready = false;
        for (long n = 0; n < kByteWaitReads && !ready; ++n) {
            if (mode0)
                ready = ((ctx.port.ReadPort(r.control) & kAckMode0) != 0) == (level != 0);
            else
                ready = ((ctx.port.ReadPort(r.status) & kAckMode1) != 0) != (level != 0);
        }
        if (!ready) return EngineResult::ErrTransfer;
        ctx.port.WritePort(r.data, bytes[i]);
        ctx.port.WritePort(r.control, level ? kIdle : kStrobeHigh);
        level ^= kStrobeBit;
    }
    return EngineResult::Ok;
}

EngineResult V64ReceiveBytes(const TransferContext& ctx, std::uint8_t* buffer, std::size_t count) {
    const Registers r = RegistersOf(ctx);
    if (r.idle) return EngineResult::Ok;
    for (std::size_t i = 0; i < count; ++i) {
        ctx.port.WritePort(r.data, 0x80);
        if (!WaitBit(ctx, r.status, kClockIn, true)) return EngineResult::ErrReceive;
        const std::uint8_t low = (ctx.port.ReadPort(r.status) >> 3) & 0x0F;
        ctx.port.WritePort(r.data, 0x00);
        if (!WaitBit(ctx, r.status, kClockIn, false)) return EngineResult::ErrReceive;
        const std::uint8_t high = static_cast<std::uint8_t>(((ctx.port.ReadPort(r.status) >> 3) & 0x0F) << 4);
        buffer[i] = high | low;
    }
    return EngineResult::Ok;
}

EngineResult V64Turnaround(const TransferContext& ctx) {
    const Registers r = RegistersOf(ctx);
    if (r.idle) return EngineResult::Ok;
    const int mode = ctx.state.handshakeMode;
    bool turned = false;
    for (int pass = 0; pass < kTurnaroundPasses && !turned; ++pass) {
        if ((ctx.port.ReadPort(r.control) & 0x03) == 0x03) {
            turned = true;
            break;
        }
        if ((ctx.port.ReadPort(r.control) & 0x03) == 0x00 && mode == 0) {
            turned = true;
            break;
        }
        const std::uint8_t strobe = ctx.port.ReadPort(r.control) & kStrobeBit;
        const bool ack = (ctx.port.ReadPort(r.status) & kAckMode1) != 0;
        if ((strobe != 0) != ack && mode == 1) turned = true;
    }
    if (!turned) return EngineResult::ErrTransfer;
    ctx.port.WritePort(r.data, 0x00);
    return WaitBit(ctx, r.status, kClockIn, false) ? EngineResult::Ok : EngineResult::ErrTransfer;
}

EngineResult V64Send(const TransferContext& ctx) {
    RomImage& image = ctx.image;
    const std::string& path = image.Path();
    {
        FileCloser test{OpenForReading(path)};
        if (!test.file) return EngineResult::ErrTransfer;
    }
    ctx.Status("Getting Sync...");
    if (!SyncUntilAnswered(ctx)) {
        ctx.Status("Ready");
        return EngineResult::ErrCancelled;
    }
    ctx.Status("Sending Header...");
    if (V64SendBytes(ctx, kSendCommand, sizeof kSendCommand) != EngineResult::Ok) {
        ctx.Status("Ready");
        ctx.Message("Unable to Send Header");
        return EngineResult::ErrTransfer;
    }
    const std::int64_t fileSize = image.FileSize();
    ctx.Status("Sending File Length...");
    if (SendLengthField(ctx, static_cast<std::uint32_t>(image.ImageSize())) != EngineResult::Ok) {
        ctx.Status("Ready");
        ctx.Message("Unable to Send File Length");
        return EngineResult::ErrTransfer;
    }
    ctx.Status("Sending File Name...");
    if (SendNameBlock(ctx, path) != EngineResult::Ok) {
        ctx.Status("Ready");
        ctx.Message("Unable to Semd File Name");
        return EngineResult::ErrTransfer;
    }
    FileCloser in{OpenForReading(path)};
    ctx.Status("Sending File...");
    const bool swap = V64NeedsSwap(image.ByteOrder(), ctx.state.byteOrderSetting);
    std::uint8_t* chunk = image.WorkBuffer();
    std::int64_t remaining = fileSize;
    ProgressReporter progress(ctx.calls.progress);
    while (remaining != 0) {
        const std::size_t got = in.file ? std::fread(chunk, 1, kFileChunk, in.file) : 0;
        remaining -= static_cast<std::int64_t>(got);
        if (!progress.ReportFraction(static_cast<std::uint64_t>(fileSize - remaining),
                                     static_cast<std::uint64_t>(fileSize))) {
            ctx.Status("Ready");
            return EngineResult::ErrCancelled;
        }
        if (got == 0 || remaining < 0) {
            ctx.Status("Ready");
            ctx.Message("Error Sending File");
            return EngineResult::ErrTransfer;
        }
        if (swap) SwapPairs(chunk, got);
        if (V64SendBytes(ctx, chunk, got) != EngineResult::Ok) {
            ctx.Status("Ready");
            ctx.Message("Error Sending File");
            return EngineResult::ErrTransfer;
        }
    }
    ctx.Status("Ready");
    return EngineResult::Ok;
}

EngineResult V64SendCompressed(const TransferContext& ctx) {
    RomImage& image = ctx.image;
    ContainerInflater body;
    if (const EngineResult opened = OpenCompressedBody(ctx, body, kInflateChunk); opened != EngineResult::Ok) return opened;
    ctx.Status("Getting Sync...");
    if (!SyncUntilAnswered(ctx)) {
        ctx.Status("Ready");
        return EngineResult::ErrCancelled;
    }
    ctx.Status("Sending Header...");
    bool sent = V64SendBytes(ctx, kSendCommand, sizeof kSendCommand) == EngineResult::Ok;
    if (sent) {
        ctx.Status("Sending File Length...");
        sent = SendLengthField(ctx, body.ImageSize()) == EngineResult::Ok;
    }
    if (sent) {
        ctx.Status("Sending File Name...");
        sent = SendNameBlock(ctx, image.Path()) == EngineResult::Ok;
    }
    const bool swap = V64NeedsSwap(image.ByteOrder(), ctx.state.byteOrderSetting);
    if (sent) {
        if (swap) SwapPairs(body.Header(), header::kSize);
        ctx.Status("Sending File...");
        sent = V64SendBytes(ctx, body.Header(), header::kSize) == EngineResult::Ok;
    }
    if (!sent) {
        ctx.Status("Ready");
        return EngineResult::ErrTransfer;
    }
    std::uint8_t out[kInflateChunk];
    ProgressReporter progress(ctx.calls.progress);
    for (;;) {
        // Body bytes sent (header excluded) over the whole uncompressed size S.
        if (!progress.ReportFraction(body.BodyProduced(), body.ImageSize())) return EngineResult::ErrCancelled;
        const long got = body.Read(out, sizeof out);
        if (got == 0) break;
        if (got < 0) {
            ctx.Status("Ready");
            ctx.Message("The compressed image is damaged");
            return EngineResult::ErrTransfer;
        }
        if (swap) SwapPairs(out, static_cast<std::size_t>(got));
        if (V64SendBytes(ctx, out, static_cast<std::size_t>(got)) != EngineResult::Ok) {
            ctx.Status("Ready");
            return EngineResult::ErrTransfer;
        }
    }
    ctx.Status("Ready");
    return EngineResult::Ok;
}

EngineResult V64Receive(const TransferContext& ctx, const std::string& path) {
    FileChange target;
    if (target.BeginNew(path, ExistingFile::Replace) != EngineResult::Ok) {
        ctx.Message("Cannot create " + path + ": " + target.Message());
        return EngineResult::ErrReceive;
    }
    const Registers r = RegistersOf(ctx);
    auto fail = [&](const char* message, EngineResult result) {
        ctx.Status("Ready");
        if (message) ctx.Message(message);
        return result;
    };
    ctx.port.WritePort(r.control, kIdle);
    ctx.Status("Getting Sync...");
    if (!SyncUntilAnswered(ctx)) return fail("Unable to Get Sync", EngineResult::ErrCancelled);
    ctx.Status("Sending Header...");
    if (V64SendBytes(ctx, kReceiveCommand, sizeof kReceiveCommand) != EngineResult::Ok)
        return fail("Error Sending Header", EngineResult::ErrTransfer);
    ctx.Status("Sending Filename...");
    if (SendNameBlock(ctx, path) != EngineResult::Ok) return fail("Error Sending File Name", EngineResult::ErrTransfer);
    ctx.Status("Checking Sync...");
    if (V64Turnaround(ctx) != EngineResult::Ok) return fail("Unable to Check Sync", EngineResult::ErrReceive);
    std::uint8_t* buffer = ctx.image.WorkBuffer();
    if (V64ReceiveBytes(ctx, buffer, 1) != EngineResult::Ok) return fail("Error Receiving", EngineResult::ErrReceive);
    ctx.Status("Receiving File Size...");
    if (V64ReceiveBytes(ctx, buffer, kSizeBlock) != EngineResult::Ok)
        return fail("Error Receiving File Size", EngineResult::ErrReceive);
    const auto stated = static_cast<std::int32_t>(LittleEndian32(buffer));
    const std::uint32_t size =
        r.idle ? kIdleImageSize
               : (stated < 0 ? 0u - static_cast<std::uint32_t>(stated) : static_cast<std::uint32_t>(stated));
    // A unit that states no size has nothing to give: an empty file must not
    // replace the target.
    if (size == 0) return fail("Error Receiving File Size", EngineResult::ErrReceive);
    ctx.Status("Receiving File...");
    std::uint32_t remaining = size;
    ProgressReporter progress(ctx.calls.progress);
    while (remaining != 0) {
        if (!progress.ReportFraction(size - remaining, size)) return fail(nullptr, EngineResult::ErrCancelled);
        const std::size_t chunk = remaining < kFileChunk ? remaining : kFileChunk;
        if (V64ReceiveBytes(ctx, buffer, chunk) != EngineResult::Ok)
            return fail("Error Receiving File", EngineResult::ErrReceive);
        if (!WriteAll(target.Out(), buffer, chunk)) return fail("Error Writing to File", EngineResult::ErrReceive);
        remaining -= static_cast<std::uint32_t>(chunk);
    }
    if (target.Commit() != EngineResult::Ok) {
        ctx.Status("Ready");
        ctx.Message("Error Writing to File: " + target.Message());
        return EngineResult::ErrReceive;
    }
    ctx.Status("Ready");
    return EngineResult::Ok;
}

} // namespace q64
