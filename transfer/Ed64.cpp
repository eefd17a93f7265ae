#include "transfer/Ed64.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/FileChange.h"
#include "engine/PathNames.h"
#include "transfer/CanonicalImage.h"

namespace q64 {

namespace {

constexpr int kCancelPollMs = 40;
constexpr std::size_t kBootloaderTextAt = 0x20;
constexpr char kBootloaderText[] = "EverDrive bootloader";
constexpr std::size_t kLongestName = ed64::kNameBytes - 1;

std::uint32_t Units(std::uint64_t bytes) { return static_cast<std::uint32_t>(bytes / ed64::kUnitBytes); }

std::uint64_t PaddedToUnits(std::uint64_t bytes) {
    return (bytes + ed64::kUnitBytes - 1) / ed64::kUnitBytes * ed64::kUnitBytes;
}

// The first four bytes of an answer, unprintable ones as '?'.
std::string Shown(const std::uint8_t* answer) {
    std::string shown;
    for (int i = 0; i < 4; ++i) shown += answer[i] >= 0x20 && answer[i] < 0x7F ? static_cast<char>(answer[i]) : '?';
    return shown;
}

bool StartsCmd(const std::uint8_t* answer) {
    return std::memcmp(answer, "cmd", 3) == 0 || std::memcmp(answer, "CMD", 3) == 0;
}

// One conversation with the cart: progress and cancel, status texts, and
// every failure turned into one message followed by "Ready".
class Session {
public:
    explicit Session(const Ed64Context& ctx)
        : ctx_(ctx), link_(ctx.stream, ctx.waits, [this] { return KeepGoing(); }) {}

    Ed64Link& Link() { return link_; }

    void Status(const char* text) const {
        if (ctx_.calls.status) ctx_.calls.status(text);
    }

    // Drops what an earlier session left and sends the test; Ok when the cart
    // answered "cmdr", else `failure` (or ErrCancelled) after the message.
    EngineResult Open(EngineResult failure, std::optional<Ed64Answer>* answerOut = nullptr) {
        Status("Connecting...");
        link_.DropStale();
        return Test(failure, "the test", answerOut);
    }

    // The test alone: also how the end of a fill is awaited.
    EngineResult Test(EngineResult failure, const char* when, std::optional<Ed64Answer>* answerOut = nullptr) {
        Ed64Answer answer{};
        WireResult r = link_.Command(ed64::kTest, 0, 0, 0);
        if (r == WireResult::Ok) r = link_.Receive(answer.data(), answer.size());
        if (answerOut && r == WireResult::Ok) *answerOut = answer;
        if (r == WireResult::NoAnswer && !opened_)
            return FailWith("Nothing answered the EverDrive-64's test on " + Name() +
                                ": is the console switched on and showing the EverDrive's menu? Nothing was written.",
                            failure);
        if (r != WireResult::Ok) return Fail(r, when, failure);
        if (StartsCmd(answer.data()) && answer[3] == ed64::kOldOsAnswer)
            return FailWith("The EverDrive-64 on " + Name() + " answered as an older OS does (\"" + Shown(answer.data()) +
                                "\"): update the cart's OS, then try again. Nothing was written.",
                            failure);
        if (std::memcmp(answer.data(), "cmd", 3) != 0 || answer[3] != ed64::kTestAnswer)
            return FailWith("The device on " + Name() + " is not an EverDrive-64 at its menu (it answered \"" +
                                Shown(answer.data()) + "\" instead of \"cmdr\"); nothing was written.",
                            failure);
        opened_ = true;
        return EngineResult::Ok;
    }

    // Reports `result` of the step `what` (ErrCancelled for a cancel, without
    // a message), shows "Ready"; returns the code.
    EngineResult Fail(WireResult result, const char* what, EngineResult failure) {
        const std::string cart = "The EverDrive-64 on " + Name();
        switch (result) {
        case WireResult::Ok: break;
        case WireResult::Cancelled: Status("Ready"); return EngineResult::ErrCancelled;
        case WireResult::NoAnswer: return FailWith(cart + " did not answer " + what, failure);
        case WireResult::Cut: return FailWith(cart + " stopped part-way through its answer to " + what, failure);
        case WireResult::Stalled: return FailWith(cart + " stopped taking data during " + what, failure);
        case WireResult::Failed: {
            const std::string why = ctx_.stream.Error();
            return FailWith(why.empty() ? cart + " went away" : why, failure);
        }
        }
        return failure;
    }

    EngineResult FailWith(const std::string& message, EngineResult failure) {
        Status("Ready");
        ctx_.image.Report(message);
        return failure;
    }

    // Progress over a transfer of `total` bytes; false when the user cancelled.
    bool Moved(std::uint64_t done, std::uint64_t total) {
        const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
        if (percent != lastPercent_) {
            lastPercent_ = percent;
            if (ctx_.calls.progress && ctx_.calls.progress(percent) != kProgressGoOn) cancelled_ = true;
        }
        return !cancelled_;
    }

private:
    std::string Name() const { return ctx_.stream.Name(); }

    // Asked while a wait goes on: the front end hears of it at most every kCancelPollMs.
    bool KeepGoing() {
        const auto now = std::chrono::steady_clock::now();
        if (cancelled_ || now - lastAsked_ < std::chrono::milliseconds(kCancelPollMs)) return !cancelled_;
        lastAsked_ = now;
        if (ctx_.calls.progress && ctx_.calls.progress(lastPercent_) != kProgressGoOn) cancelled_ = true;
        return !cancelled_;
    }

    const Ed64Context& ctx_;
    Ed64Link link_;
    int lastPercent_ = 0;
    bool cancelled_ = false;
    bool opened_ = false;
    std::chrono::steady_clock::time_point lastAsked_{};
};

// Bytes a FAT file name cannot hold, and everything outside printable ASCII.
bool NameByteOk(unsigned char c) {
    return c >= 0x20 && c < 0x7F && std::strchr("\"*/:<>?\\|", c) == nullptr;
}

} // namespace

bool SetEd64SaveType(std::uint8_t* header, SaveType type) {
    const std::optional<SaveType> current = SaveTypeFromHeader(header);
    if (current ? *current == type : type == SaveType::None) return false;
    const std::uint8_t options = current ? header[ed64::kSaveTypeAt] & 0x0F : 0;
    header[ed64::kSaveIdAt] = 'E';
    header[ed64::kSaveIdAt + 1] = 'D';
    header[ed64::kSaveTypeAt] = static_cast<std::uint8_t>(static_cast<int>(type) << 4 | options);
    return true;
}

std::array<std::uint8_t, ed64::kNameBytes> Ed64SaveNameBlock(const std::string& path) {
    std::string name = NameOf(path);
    if (name.size() > kLongestName) {
        const std::size_t dot = name.rfind('.');
        const std::string extension = dot != std::string::npos && name.size() - dot < kLongestName ? name.substr(dot) : "";
        name = name.substr(0, kLongestName - extension.size()) + extension;
    }
    std::array<std::uint8_t, ed64::kNameBytes> block{};
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        block[i] = NameByteOk(c) ? c : '_';
    }
    return block;
}

std::uint32_t Ed64FillValue(const std::uint8_t* header) {
    const bool bootloader =
        std::memcmp(header + kBootloaderTextAt, kBootloaderText, sizeof kBootloaderText - 1) == 0;
    return bootloader ? ed64::kFillOnes : ed64::kFillZero;
}

EngineResult Ed64Probe(const Ed64Context& ctx, std::optional<Ed64Answer>& answer) {
    Session session(ctx);
    const EngineResult opened = session.Open(EngineResult::ErrTransfer, &answer);
    if (opened == EngineResult::Ok) session.Status("Ready");
    return opened;
}

EngineResult Ed64Send(const Ed64Context& ctx, const Ed64SendOptions& options) {
    RomImage& image = ctx.image;
    if (!image.IsLoaded()) return EngineResult::ErrNotLoaded;
    if (!HasImageBit(image.GetKind())) return EngineResult::ErrFailed;
    CanonicalImage source(image);
    if (const EngineResult opened = source.Open(); opened != EngineResult::Ok) return opened;
    const std::uint64_t size = source.Size();
    if (size > ed64::kRomSize) {
        char text[160];
        std::snprintf(text, sizeof text, "The image (%llu bytes) does not fit into the EverDrive-64's 64 MiB",
                      static_cast<unsigned long long>(size));
        image.Report(text);
        return EngineResult::ErrFailed;
    }
    const std::uint64_t padded = PaddedToUnits(size);

    // The first piece is read before the cart is touched: its header gives
    // the fill value and takes the save type.
    std::vector<std::uint8_t> piece(ed64::kPiece);
    bool damaged = false;
    std::uint64_t read = 0;
    const auto fill = [&](std::size_t length) {
        const std::size_t real = static_cast<std::size_t>(std::min<std::uint64_t>(length, size - read));
        if (real != 0 && source.Next(piece.data(), real) < 0) damaged = true;
        std::fill(piece.begin() + static_cast<std::ptrdiff_t>(real), piece.begin() + static_cast<std::ptrdiff_t>(length), 0);
        read += real;
    };
    std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(ed64::kPiece, padded));
    fill(length);
    const bool headerWhole = size >= header::kSize;
    if (!damaged && headerWhole && options.saveType) SetEd64SaveType(piece.data(), *options.saveType);
    const std::uint32_t fillValue = headerWhole ? Ed64FillValue(piece.data()) : ed64::kFillZero;
    const auto damagedMessage = [&] {
        return image.Compressed() ? "The compressed image is damaged" : "The image file ended early";
    };
    if (damaged) {
        image.Report(damagedMessage());
        return EngineResult::ErrFailed;
    }

    Session session(ctx);
    if (const EngineResult opened = session.Open(EngineResult::ErrTransfer); opened != EngineResult::Ok) return opened;
    Ed64Link& link = session.Link();
    if (size < ed64::kFillArea) {
        session.Status("Filling memory...");
        if (const WireResult r = link.Command(ed64::kFill, ed64::kRomBase, Units(ed64::kFillArea), fillValue);
            r != WireResult::Ok)
            return session.Fail(r, "the fill", EngineResult::ErrTransfer);
        // The cart answers the next test once the fill is done.
        if (const EngineResult tested = session.Test(EngineResult::ErrTransfer, "the test after the fill");
            tested != EngineResult::Ok)
            return tested;
    }
    session.Status("Sending File...");
    if (const WireResult r = link.Command(ed64::kWriteRom, ed64::kRomBase, Units(padded), 0); r != WireResult::Ok)
        return session.Fail(r, "the ROM write", EngineResult::ErrTransfer);
    for (std::uint64_t sent = 0;;) {
        if (const WireResult r = link.Send(piece.data(), length); r != WireResult::Ok)
            return session.Fail(r, "the ROM write", EngineResult::ErrTransfer);
        sent += length;
        if (!session.Moved(sent, padded)) return session.Fail(WireResult::Cancelled, "", EngineResult::ErrCancelled);
        if (sent == padded) break;
        length = static_cast<std::size_t>(std::min<std::uint64_t>(ed64::kPiece, padded - sent));
        fill(length);
        if (damaged) return session.FailWith(damagedMessage(), EngineResult::ErrTransfer);
    }
    // The cart is still moving the last units into ROM memory: the maker's
    // tools wait before the start command.
    session.Status("Starting the image...");
    if (const WireResult r = link.Pause(ctx.waits.bootPauseMs); r != WireResult::Ok)
        return session.Fail(r, "", EngineResult::ErrTransfer);
    const auto name = Ed64SaveNameBlock(image.Path());
    WireResult r = link.Command(ed64::kStart, 0, 0, ed64::kNameFollows);
    if (r == WireResult::Ok) r = link.Send(name.data(), name.size());
    if (r != WireResult::Ok) return session.Fail(r, "the start command", EngineResult::ErrTransfer);
    session.Status("Ready");
    return EngineResult::Ok;
}

EngineResult Ed64Receive(const Ed64Context& ctx, const std::string& path, std::uint32_t sizeBytes) {
    if (sizeBytes == 0 || sizeBytes > ed64::kRomSize || sizeBytes % ed64::kUnitBytes != 0) {
        ctx.image.Report("Choose a size from 1 to 512 Mbit: the EverDrive-64 holds at most 64 MiB");
        return EngineResult::ErrReceive;
    }
    FileChange change;
    if (change.BeginNew(path, ExistingFile::Replace) != EngineResult::Ok) {
        ctx.image.Report(change.Message());
        return EngineResult::ErrReceive;
    }
    Session session(ctx);
    if (const EngineResult opened = session.Open(EngineResult::ErrReceive); opened != EngineResult::Ok) return opened;
    session.Status("Receiving File...");
    Ed64Link& link = session.Link();
    if (const WireResult r = link.Command(ed64::kReadRom, ed64::kRomBase, Units(sizeBytes), 0); r != WireResult::Ok)
        return session.Fail(r, "the ROM read", EngineResult::ErrReceive);
    std::vector<std::uint8_t> piece(ed64::kPiece);
    for (std::uint32_t done = 0; done < sizeBytes;) {
        const std::size_t length = std::min<std::size_t>(piece.size(), sizeBytes - done);
        if (const WireResult r = link.Receive(piece.data(), length, done != 0); r != WireResult::Ok)
            return session.Fail(r, "the ROM read", EngineResult::ErrReceive);
        if (std::fwrite(piece.data(), 1, length, change.Out()) != length)
            return session.FailWith("Error Writing to File", EngineResult::ErrReceive);
        done += static_cast<std::uint32_t>(length);
        if (!session.Moved(done, sizeBytes)) return session.Fail(WireResult::Cancelled, "", EngineResult::ErrCancelled);
    }
    if (change.Commit() != EngineResult::Ok) return session.FailWith(change.Message(), EngineResult::ErrReceive);
    session.Status("Ready");
    return EngineResult::Ok;
}

} // namespace q64
