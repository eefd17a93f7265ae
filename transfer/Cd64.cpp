#include "transfer/Cd64.h"

#include <cstdio>

#include "engine/Progress.h"
#include "transfer/ContainerInflater.h"
#include "engine/FileChange.h"
#include "engine/OperationIo.h"

namespace q64 {

namespace {

constexpr long kBusyReadBudget = 1000L * 1000L;
constexpr int kSyncBusyReads = 1000;
constexpr std::uint8_t kBusy = 0x01;
constexpr std::size_t kFileChunk = 256;
constexpr std::size_t kInflateChunk = 4096;
constexpr std::size_t kReceiveFlush = 32768;
constexpr std::uint32_t kSendAddress = 0xB4000000;
constexpr std::uint32_t kCartAddress = 0xB2000000;
constexpr std::uint32_t kDramAddress = 0xB4000000;
constexpr std::uint16_t kChecksumMask = 0xFFF;
constexpr const char* kStopped = "The CD64 stopped answering";

PortAddress Data(const TransferContext& ctx) { return static_cast<PortAddress>(ctx.state.cd64Base); }
PortAddress Status(const TransferContext& ctx) { return static_cast<PortAddress>(ctx.state.cd64Base + 2); }

// Syncs with the unit. Ok, or ErrCancelled after "Ready" and a 0x00 to the
// card when the user cancelled or the front end gave up.
EngineResult Cd64Synchronise(const TransferContext& ctx) {
    for (;;) {
        bool inStep = false;
        if (Cd64ExchangeBounded(ctx, 'W') == 'R') inStep = Cd64ExchangeBounded(ctx, 'B') == 'W';
        bool goOn = !ctx.calls.progress || ctx.calls.progress(0) == kProgressGoOn;
        if (goOn && !inStep && ctx.calls.abandonSync && ctx.calls.abandonSync()) goOn = false;
        if (!goOn) {
            ctx.Status("Ready");
            ctx.port.WritePort(Data(ctx), 0x00);
            return EngineResult::ErrCancelled;
        }
        if (inStep) return EngineResult::Ok;
    }
}

// Command letter, address and length after a sync.
bool Cd64Announce(const TransferContext& ctx, std::uint8_t command, std::uint32_t address, std::uint32_t length) {
    return Cd64Exchange(ctx, command) && Cd64Send32(ctx, address) && Cd64Send32(ctx, length);
}

// The checksum echo and the unit's 'O' 'K'. Ok when all agree, ErrTransfer
// when the unit refused, nothing when it stopped answering.
std::optional<EngineResult> Cd64Confirm(const TransferContext& ctx, std::uint16_t checksum) {
    const auto echo = Cd64Exchange16(ctx, checksum);
    if (!echo) return std::nullopt;
    const auto first = Cd64Exchange(ctx, 0x00);
    if (!first) return std::nullopt;
    const auto second = Cd64Exchange(ctx, 0x00);
    if (!second) return std::nullopt;
    return *echo == checksum && *first == 'O' && *second == 'K' ? EngineResult::Ok : EngineResult::ErrTransfer;
}

struct FileCloser {
    std::FILE* file;
    ~FileCloser() {
        if (file) std::fclose(file);
    }
};

// Exchanges `count` bytes, adding each to the 12-bit checksum first.
bool ExchangeData(const TransferContext& ctx, const std::uint8_t* bytes, std::size_t count, std::uint16_t& checksum) {
    for (std::size_t i = 0; i < count; ++i) {
        checksum = static_cast<std::uint16_t>((checksum + bytes[i]) & kChecksumMask);
        if (!Cd64Exchange(ctx, bytes[i])) return false;
    }
    return true;
}

EngineResult Stopped(const TransferContext& ctx, EngineResult result) {
    ctx.Status("Ready");
    ctx.Message(kStopped);
    return result;
}

} // namespace

std::optional<std::uint8_t> Cd64Exchange(const TransferContext& ctx, std::uint8_t byte) {
    ctx.port.WritePort(Data(ctx), byte);
    for (long n = 0; n < kBusyReadBudget; ++n)
        if (!(ctx.port.ReadPort(Status(ctx)) & kBusy)) return ctx.port.ReadPort(Data(ctx));
    return std::nullopt;
}

std::uint8_t Cd64ExchangeBounded(const TransferContext& ctx, std::uint8_t byte) {
    ctx.port.WritePort(Data(ctx), byte);
    for (int n = 0; n < kSyncBusyReads; ++n)
        if (!(ctx.port.ReadPort(Status(ctx)) & kBusy)) break;
    return ctx.port.ReadPort(Data(ctx));
}

bool Cd64Send32(const TransferContext& ctx, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        if (!Cd64Exchange(ctx, static_cast<std::uint8_t>(value >> shift))) return false;
    return true;
}

std::optional<std::uint16_t> Cd64Exchange16(const TransferContext& ctx, std::uint16_t checksum) {
    const auto high = Cd64Exchange(ctx, static_cast<std::uint8_t>(checksum >> 8));
    if (!high) return std::nullopt;
    const auto low = Cd64Exchange(ctx, static_cast<std::uint8_t>(checksum));
    if (!low) return std::nullopt;
    return static_cast<std::uint16_t>((*high << 8 | *low) & kChecksumMask);
}

std::uint32_t Cd64ReceiveBytes(int sizeMbit) {
    switch (sizeMbit) {
    case 64: return 0x800000;
    case 128: return 0x1000000;
    case 192: return 0x1800000;
    case 256: return 0x2000000;
    default: return 0;
    }
}

EngineResult Cd64Send(const TransferContext& ctx) {
    RomImage& image = ctx.image;
    if (!image.IsLoaded()) return EngineResult::ErrNotLoaded;
    FileCloser in{OpenForReading(image.Path())};
    if (!in.file) return EngineResult::ErrTransfer;
    ctx.Status("Initialising...");
    const std::int64_t fileSize = image.FileSize();
    std::int64_t remaining = fileSize;
    if (const EngineResult synced = Cd64Synchronise(ctx); synced != EngineResult::Ok) return synced;
    if (!Cd64Announce(ctx, ctx.state.cd64Command, kSendAddress, static_cast<std::uint32_t>(fileSize)))
        return Stopped(ctx, EngineResult::ErrTransfer);
    ctx.Status("Sending File...");
    std::uint16_t checksum = 0;
    std::uint8_t* chunk = image.WorkBuffer();
    ProgressReporter progress(ctx.calls.progress);
    while (remaining != 0) {
        const std::size_t got = std::fread(chunk, 1, kFileChunk, in.file);
        remaining -= static_cast<std::int64_t>(got);
        if (!progress.ReportFraction(static_cast<std::uint64_t>(fileSize - remaining),
                                     static_cast<std::uint64_t>(fileSize))) {
            ctx.Status("Ready");
            ctx.port.WritePort(Data(ctx), 0x00);
            return EngineResult::ErrCancelled;
        }
        if (got == 0 || remaining < 0) {
            ctx.Status("Ready");
            return EngineResult::ErrTransfer;
        }
        if (!ExchangeData(ctx, chunk, got, checksum)) return Stopped(ctx, EngineResult::ErrTransfer);
    }
    std::fclose(in.file);
    in.file = nullptr;
    const auto confirmed = Cd64Confirm(ctx, checksum);
    if (!confirmed) return Stopped(ctx, EngineResult::ErrTransfer);
    if (*confirmed == EngineResult::Ok) ctx.Status("Ready");
    return *confirmed;
}

EngineResult Cd64SendCompressed(const TransferContext& ctx) {
    ContainerInflater body;
    if (const EngineResult opened = OpenCompressedBody(ctx, body, kInflateChunk); opened != EngineResult::Ok) return opened;
    if (const EngineResult synced = Cd64Synchronise(ctx); synced != EngineResult::Ok) return synced;
    if (!Cd64Announce(ctx, ctx.state.cd64Command, kSendAddress, body.ImageSize()))
        return Stopped(ctx, EngineResult::ErrTransfer);
    std::uint16_t checksum = 0;
    if (!ExchangeData(ctx, body.Header(), header::kSize, checksum)) return Stopped(ctx, EngineResult::ErrTransfer);
    std::uint8_t out[kInflateChunk];
    ProgressReporter progress(ctx.calls.progress);
    for (;;) {
        // Body bytes sent (header excluded) over the whole uncompressed size S.
        if (!progress.ReportFraction(body.BodyProduced(), body.ImageSize())) {
            ctx.port.WritePort(Data(ctx), 0x00);
            return EngineResult::ErrCancelled;
        }
        const long got = body.Read(out, sizeof out);
        if (got == 0) break;
        if (got < 0) {
            ctx.Status("Ready");
            ctx.Message("The compressed image is damaged");
            return EngineResult::ErrTransfer;
        }
        if (!ExchangeData(ctx, out, static_cast<std::size_t>(got), checksum))
            return Stopped(ctx, EngineResult::ErrTransfer);
    }
    const auto confirmed = Cd64Confirm(ctx, checksum);
    if (!confirmed) return Stopped(ctx, EngineResult::ErrTransfer);
    ctx.Status("Ready");
    if (*confirmed == EngineResult::Ok) ctx.Status("Ready"); // confirmed: "Ready" once more
    return *confirmed;
}

EngineResult Cd64Receive(const TransferContext& ctx, const std::string& path, int sizeMbit) {
    return Cd64ReceiveSize(ctx, path, Cd64ReceiveBytes(sizeMbit));
}

EngineResult Cd64ReceiveSize(const TransferContext& ctx, const std::string& path, std::uint32_t size) {
    FileChange target;
    if (target.BeginNew(path, ExistingFile::Replace) != EngineResult::Ok) {
        ctx.Message("Cannot create " + path + ": " + target.Message());
        return EngineResult::ErrReceive;
    }
    if (const EngineResult synced = Cd64Synchronise(ctx); synced != EngineResult::Ok) return synced;
    const std::uint32_t address = ctx.state.cd64ReceiveSource == 0 ? kCartAddress : kDramAddress;
    if (!Cd64Announce(ctx, 'G', address, size)) return Stopped(ctx, EngineResult::ErrReceive);
    ctx.Status("Receiving File...");
    std::uint32_t checksum = 0;
    std::uint8_t* buffer = ctx.image.WorkBuffer();
    std::size_t filled = 0;
    ProgressReporter progress(ctx.calls.progress);
    for (std::uint32_t done = 0; done < size; ++done) {
        if (!progress.ReportFraction(done, size)) {
            ctx.Status("Ready");
            return EngineResult::ErrCancelled;
        }
        const auto byte = Cd64Exchange(ctx, 0x00);
        if (!byte) return Stopped(ctx, EngineResult::ErrReceive);
        buffer[filled++] = *byte;
        checksum += *byte;
        if (filled == kReceiveFlush || done + 1 == size) {
            if (!WriteAll(target.Out(), buffer, filled)) {
                ctx.Status("Ready");
                ctx.Message("Error Writing to File");
                return EngineResult::ErrReceive;
            }
            filled = 0;
        }
    }
    ctx.Status("Ready");
    const auto high = Cd64Exchange(ctx, 0x00);
    const auto low = high ? Cd64Exchange(ctx, 0x00) : std::nullopt;
    if (!low) return Stopped(ctx, EngineResult::ErrReceive);
    const unsigned unitSum = (static_cast<unsigned>(*high) << 8 | *low) & kChecksumMask;
    if (unitSum != (checksum & kChecksumMask)) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "Checksum mismatch: the CD64 reports 0x%03X, the received data sum to 0x%03X; "
                      "the image was not saved",
                      unitSum, checksum & kChecksumMask);
        ctx.Message(text);
        return EngineResult::ErrTransfer;
    }
    if (target.Commit() != EngineResult::Ok) {
        ctx.Message("Error Writing to File: " + target.Message());
        return EngineResult::ErrReceive;
    }
    return EngineResult::Ok;
}

} // namespace q64
