#include "engine/Compression.h"

#include <array>
#include <zlib.h>

#include "engine/ByteOrder.h"
#include "engine/FileChange.h"
#include "engine/OperationIo.h"
#include "engine/Progress.h"
#include "engine/RomImage.h"

namespace q64 {

namespace {

constexpr const char* kDamaged = "Compressed Data is Damaged or Incomplete";
constexpr const char* kLibrary = "Compression Library Error";
constexpr const char* kCannotMark =
    "This image's first bytes cannot carry the compressed mark (bytes 2 and 3 would still read as uncompressed); "
    "it was not compressed";
constexpr std::int64_t kMaxStoredSize = 0xFFFFFFFFll;

using Block = std::array<std::uint8_t, container::kZlibBlockSize>;

// Starts the rewrite; reports its own failures.
EngineResult BeginRewrite(RomImage& image, BackupMode mode, FileChange& change) {
    const EngineResult begun = change.BeginRewrite(image.Path(), mode);
    if (begun != EngineResult::Ok) return Failure(image, begun, change.Message().c_str());
    return EngineResult::Ok;
}

// Ends the rewrite; reports a failed commit.
EngineResult Finish(RomImage& image, FileChange& change) {
    return CommitChange(image, change);
}

// True when a header with the marker set would be identified as the kind the
// operation promises: a compressed image needs the other marker-position byte
// to be no 0x12 as well (a header like 80 37 12 12 cannot carry the mark).
bool MarkerIdentifiesAs(const std::uint8_t* head, ImageFormat format, std::uint8_t marker) {
    std::array<std::uint8_t, 4> boot{head[0], head[1], head[2], head[3]};
    boot[MarkerOffset(format)] = marker;
    if (!LooksLikeImage(boot.data())) return false;
    const bool compressed = !(boot[2] == container::kPlainMarker || boot[3] == container::kPlainMarker);
    return compressed == (marker == container::kCompressedMarker);
}

// Copies the header with the marker set to `marker`. ErrFailed with `text`
// set on a short read or write; ErrFormat when the result would not be
// identified as the kind the marker promises.
EngineResult CopyHeader(FileChange& change, ImageFormat format, std::uint8_t marker, const char*& text) {
    std::array<std::uint8_t, header::kSize> head{};
    if (ReadUpTo(change.In(), head.data(), head.size()) != head.size()) {
        text = messages::kRead;
        return EngineResult::ErrFailed;
    }
    if (!MarkerIdentifiesAs(head.data(), format, marker)) {
        text = marker == container::kCompressedMarker ? kCannotMark : kDamaged;
        return EngineResult::ErrFormat;
    }
    head[MarkerOffset(format)] = marker;
    if (!WriteAll(change.Out(), head.data(), head.size())) {
        text = messages::kWrite;
        return EngineResult::ErrFailed;
    }
    return EngineResult::Ok;
}

// Rolls back, reports (unless cancelled) and returns `result`.
EngineResult Abandon(RomImage& image, FileChange& change, EngineResult result, const char* text) {
    change.Rollback();
    if (result == EngineResult::ErrCancelled) return result;
    return Failure(image, result, text);
}

// Reads the next block of the backup into the stream and reports the position
// as a share of `total`. Ok with the count in `read`; ErrFailed with `text`
// set on a read failure; ErrCancelled when the callback asked to stop.
EngineResult RefillInput(FileChange& change, Block& in, z_stream& zs, std::uint64_t& position,
                         std::uint64_t total, ProgressReporter& reporter, std::size_t& read, const char*& text) {
    read = ReadUpTo(change.In(), in.data(), in.size());
    if (read < in.size() && std::ferror(change.In())) {
        text = messages::kRead;
        return EngineResult::ErrFailed;
    }
    position += read;
    if (!reporter.ReportFraction(position, total)) return EngineResult::ErrCancelled;
    zs.next_in = in.data();
    zs.avail_in = static_cast<uInt>(read);
    return EngineResult::Ok;
}

} // namespace

EngineResult CompressImage(RomImage& image, int level, BackupMode mode, const ProgressFn& progress) {
    if (!image.IsLoaded()) return EngineResult::ErrNotLoaded;
    if (image.GetKind() == FileKind::CompressedImage)
        return Failure(image, EngineResult::ErrCompressed, "Image is Already Compressed");
    if (image.GetKind() != FileKind::Image) return Failure(image, EngineResult::ErrFailed, messages::kNotImage);
    // The container keeps its header in the image's own order and knows only two.
    if (image.ByteOrder() == ImageFormat::LittleEndian)
        return Failure(image, EngineResult::ErrFormat, kConvertLittleEndianFirst);
    if (level < container::kMinLevel || level > container::kMaxLevel)
        return Failure(image, EngineResult::ErrFailed, "Compression Level MUST be between 0 - 9");
    const std::int64_t size = FileSizeOnDisk(image.Path());
    if (size < 0) return Failure(image, EngineResult::ErrOpen, messages::kOpenForRead);
    if (size < static_cast<std::int64_t>(header::kSize)) return Failure(image, EngineResult::ErrFailed, messages::kRead);
    if (size > kMaxStoredSize) return Failure(image, EngineResult::ErrFailed, messages::kTooLarge);

    FileChange change;
    if (const EngineResult begun = BeginRewrite(image, mode, change); begun != EngineResult::Ok) return begun;

    std::array<std::uint8_t, 4> sizeBytes{};
    for (std::size_t i = 0; i < 4; ++i) sizeBytes[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(size) >> (8 * i));
    const char* headerText = nullptr;
    if (const EngineResult copied = CopyHeader(change, image.ByteOrder(), container::kCompressedMarker, headerText);
        copied != EngineResult::Ok)
        return Abandon(image, change, copied, headerText);
    if (!WriteAll(change.Out(), sizeBytes.data(), sizeBytes.size()))
        return Abandon(image, change, EngineResult::ErrFailed, messages::kWrite);

    z_stream zs{};
    if (deflateInit_(&zs, level, container::kZlibVersionText, static_cast<int>(sizeof(z_stream))) != Z_OK)
        return Abandon(image, change, EngineResult::ErrFailed, kLibrary);
    Block in{};
    Block out{};
    ProgressReporter reporter(progress);
    std::uint64_t position = header::kSize;
    int flush = Z_NO_FLUSH;
    EngineResult failure = EngineResult::Ok;
    const char* failureText = nullptr;
    for (;;) {
        if (flush == Z_NO_FLUSH && zs.avail_in == 0) {
            std::size_t n = 0;
            failure = RefillInput(change, in, zs, position, static_cast<std::uint64_t>(size), reporter, n, failureText);
            if (failure != EngineResult::Ok) break;
            if (n == 0) flush = Z_FINISH;
        }
        zs.next_out = out.data();
        zs.avail_out = static_cast<uInt>(out.size());
        const int rc = deflate(&zs, flush);
        if (rc == Z_STREAM_ERROR) {
            failure = EngineResult::ErrFailed, failureText = kLibrary;
            break;
        }
        if (!WriteAll(change.Out(), out.data(), out.size() - zs.avail_out)) {
            failure = EngineResult::ErrFailed, failureText = messages::kWrite;
            break;
        }
        if (rc == Z_STREAM_END) break;
    }
    deflateEnd(&zs);
    if (failure != EngineResult::Ok) return Abandon(image, change, failure, failureText);
    return Finish(image, change);
}

EngineResult DecompressImage(RomImage& image, BackupMode mode, const ProgressFn& progress) {
    if (!image.IsLoaded()) return EngineResult::ErrNotLoaded;
    if (image.GetKind() != FileKind::CompressedImage)
        return Failure(image, EngineResult::ErrNotCompressed, "Image is Not Compressed");
    const std::int64_t size = FileSizeOnDisk(image.Path());
    if (size < 0) return Failure(image, EngineResult::ErrOpen, messages::kOpenForRead);
    if (size < static_cast<std::int64_t>(container::kBodyOffset))
        return Failure(image, EngineResult::ErrFailed, kDamaged);

    FileChange change;
    if (const EngineResult begun = BeginRewrite(image, mode, change); begun != EngineResult::Ok) return begun;

    const char* headerText = nullptr;
    if (const EngineResult copied = CopyHeader(change, image.ByteOrder(), container::kPlainMarker, headerText);
        copied != EngineResult::Ok)
        return Abandon(image, change, copied, headerText);
    std::array<std::uint8_t, 4> sizeBytes{};
    if (ReadUpTo(change.In(), sizeBytes.data(), sizeBytes.size()) != sizeBytes.size())
        return Abandon(image, change, EngineResult::ErrFailed, messages::kRead);
    std::uint64_t stored = 0;
    for (std::size_t i = 0; i < 4; ++i) stored |= std::uint64_t{sizeBytes[i]} << (8 * i);
    if (stored < header::kSize) return Abandon(image, change, EngineResult::ErrFailed, kDamaged);
    const std::uint64_t expectedBody = stored - header::kSize;

    z_stream zs{};
    if (inflateInit_(&zs, container::kZlibVersionText, static_cast<int>(sizeof(z_stream))) != Z_OK)
        return Abandon(image, change, EngineResult::ErrFailed, kLibrary);
    Block in{};
    Block out{};
    ProgressReporter reporter(progress);
    std::uint64_t position = container::kBodyOffset;
    std::uint64_t produced = 0;
    bool inputEnded = false;
    EngineResult failure = EngineResult::Ok;
    const char* failureText = nullptr;
    for (;;) {
        if (zs.avail_in == 0 && !inputEnded) {
            std::size_t n = 0;
            failure = RefillInput(change, in, zs, position, static_cast<std::uint64_t>(size), reporter, n, failureText);
            if (failure != EngineResult::Ok) break;
            inputEnded = n == 0;
        }
        zs.next_out = out.data();
        zs.avail_out = static_cast<uInt>(out.size());
        const int rc = inflate(&zs, inputEnded ? Z_FINISH : Z_NO_FLUSH);
        const std::size_t n = out.size() - zs.avail_out;
        produced += n;
        // More than the stored size: damaged, and stop before filling the disk.
        if (produced > expectedBody) {
            failure = EngineResult::ErrFailed, failureText = kDamaged;
            break;
        }
        if (!WriteAll(change.Out(), out.data(), n)) {
            failure = EngineResult::ErrFailed, failureText = messages::kWrite;
            break;
        }
        if (rc == Z_STREAM_END) break;
        // Z_FINISH reports Z_BUF_ERROR while output is still coming; only a call
        // that makes no progress after the input ended means the stream stops short.
        const bool stuck = rc == Z_BUF_ERROR && inputEnded && n == 0;
        if (stuck || (rc != Z_OK && rc != Z_BUF_ERROR)) {
            failure = EngineResult::ErrFailed, failureText = kDamaged;
            break;
        }
    }
    inflateEnd(&zs);
    if (failure == EngineResult::Ok && produced != expectedBody) failure = EngineResult::ErrFailed, failureText = kDamaged;
    if (failure != EngineResult::Ok) return Abandon(image, change, failure, failureText);
    return Finish(image, change);
}

} // namespace q64
