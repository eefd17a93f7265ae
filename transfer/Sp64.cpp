#include "transfer/Sp64.h"
#include "engine/FileChange.h"

#include <cstdio>

#include "engine/Progress.h"
#include "transfer/ContainerInflater.h"
#include "transfer/WireBytes.h"

namespace q64 {

namespace {

constexpr std::size_t kBlockSize = 256;
constexpr std::uint8_t kIdle = 0x04;
constexpr std::uint8_t kStrobeHigh = 0x05;
constexpr std::uint8_t kResetLevel = 0x06;
constexpr int kResetLead = 100;
constexpr int kResetHold = 200;
constexpr int kStrobeWrites = 2;
constexpr std::uint8_t kPreamble[] = {0x00, 0x00, 'R'};
constexpr std::uint8_t kClosing = 0xCC;

PortAddress Data(const TransferContext& ctx) { return static_cast<PortAddress>(ctx.state.parallelBase); }
PortAddress Control(const TransferContext& ctx) { return static_cast<PortAddress>(ctx.state.parallelBase + 2); }

void SendByte(const TransferContext& ctx, std::uint8_t byte) {
    ctx.port.WritePort(Data(ctx), byte);
    SpStrobe(ctx);
}

void SendPreamble(const TransferContext& ctx) {
    for (std::uint8_t byte : kPreamble) SpCommand(ctx, byte);
}

// A ByteSwapped image (and every file of another kind) goes out with its pairs exchanged.
bool NeedsSwap(const RomImage& image) { return image.ByteOrder() == ImageFormat::ByteSwapped; }

struct FileCloser {
    std::FILE* file;
    ~FileCloser() {
        if (file) std::fclose(file);
    }
};

} // namespace

void SpResetPulse(const TransferContext& ctx) {
    for (int i = 0; i < kResetLead; ++i) ctx.port.WritePort(Control(ctx), kIdle);
    for (int i = 0; i < kResetHold; ++i) ctx.port.WritePort(Control(ctx), kResetLevel);
    for (int i = 0; i < kResetLead; ++i) ctx.port.WritePort(Control(ctx), kIdle);
}

void SpStrobe(const TransferContext& ctx) {
    for (int i = 0; i < kStrobeWrites; ++i) ctx.port.WritePort(Control(ctx), kStrobeHigh);
    for (int i = 0; i < kStrobeWrites; ++i) ctx.port.WritePort(Control(ctx), kIdle);
}

void SpCommand(const TransferContext& ctx, std::uint8_t byte) {
    SpResetPulse(ctx);
    SendByte(ctx, byte);
}

void SpSendBlock(const TransferContext& ctx, std::uint32_t number, const std::uint8_t* bytes, std::size_t count) {
    SendByte(ctx, static_cast<std::uint8_t>(number >> 16));
    SendByte(ctx, static_cast<std::uint8_t>(number >> 8));
    SendByte(ctx, static_cast<std::uint8_t>(number));
    for (std::size_t i = 0; i < count; ++i) SendByte(ctx, bytes[i]);
}

EngineResult SpSend(const TransferContext& ctx) {
    RomImage& image = ctx.image;
    if (!image.IsLoaded()) return EngineResult::ErrNotLoaded;
    {
        FileCloser test{OpenForReading(image.Path())};
        if (!test.file) return EngineResult::ErrTransfer;
    }
    ctx.Status("Initialising...");
    SendPreamble(ctx);
    FileCloser in{OpenForReading(image.Path())};
    const std::int64_t fileSize = image.FileSize();
    std::int64_t remaining = fileSize;
    std::uint32_t block = 0;
    ctx.Status("Sending File...");
    const bool swap = NeedsSwap(image);
    std::uint8_t* chunk = image.WorkBuffer();
    ProgressReporter progress(ctx.calls.progress);
    while (remaining != 0) {
        const std::size_t got = in.file ? std::fread(chunk, 1, kBlockSize, in.file) : 0;
        remaining -= static_cast<std::int64_t>(got);
        if (!progress.ReportFraction(static_cast<std::uint64_t>(fileSize - remaining),
                                     static_cast<std::uint64_t>(fileSize))) {
            ctx.Status("Ready");
            return EngineResult::ErrCancelled;
        }
        if (got == 0 || remaining < 0) {
            ctx.Status("Ready");
            return EngineResult::ErrTransfer;
        }
        if (swap) SwapPairs(chunk, got);
        SpSendBlock(ctx, block++, chunk, got);
    }
    SpCommand(ctx, kClosing);
    ctx.Status("Ready");
    return EngineResult::Ok;
}

EngineResult SpSendCompressed(const TransferContext& ctx) {
    RomImage& image = ctx.image;
    ContainerInflater body;
    if (const EngineResult opened = OpenCompressedBody(ctx, body, kBlockSize); opened != EngineResult::Ok) return opened;
    SendPreamble(ctx);
    const bool swap = NeedsSwap(image);
    std::uint8_t* block = image.WorkBuffer();
    // The first block carries the restored header and the start of the body.
    for (std::size_t i = 0; i < header::kSize; ++i) block[i] = body.Header()[i];
    std::size_t filled = header::kSize;
    std::uint32_t number = 0;
    ProgressReporter progress(ctx.calls.progress);
    for (;;) {
        // Bytes inflated so far (the header is not inflated) over the whole uncompressed size S.
        if (!progress.ReportFraction(body.BodyProduced(), body.ImageSize()))
            return EngineResult::ErrCancelled;
        const long got = body.Read(block + filled, kBlockSize - filled);
        if (got < 0) {
            ctx.Status("Ready");
            ctx.Message("The compressed image is damaged");
            return EngineResult::ErrTransfer;
        }
        filled += static_cast<std::size_t>(got);
        if (filled == 0) break;
        if (swap) SwapPairs(block, filled);
        SpSendBlock(ctx, number++, block, filled);
        if (filled < kBlockSize) break;
        filled = 0;
    }
    SpCommand(ctx, kClosing);
    ctx.Status("Ready");
    return EngineResult::Ok;
}

} // namespace q64
