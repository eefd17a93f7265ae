#include "transfer/ContainerInflater.h"
#include "engine/FileChange.h"

#include "transfer/TransferContext.h"

namespace q64 {

namespace {
constexpr std::size_t kSizeField = 4;
constexpr std::uint8_t kPlainMarker = 0x12;
constexpr const char* kZlibVersion = "1.1.2"; // the version text the container code has always passed
} // namespace

ContainerInflater::~ContainerInflater() {
    if (streamOpen_) inflateEnd(&stream_);
    if (file_) std::fclose(file_);
}

EngineResult ContainerInflater::Open(const std::string& path, ImageFormat format, std::size_t inputChunk) {
    inputChunk_ = inputChunk == 0 || inputChunk > sizeof input_ ? sizeof input_ : inputChunk;
    file_ = OpenForReading(path);
    if (!file_) return EngineResult::ErrOpen;
    std::uint8_t size[kSizeField];
    if (std::fread(header_, 1, header::kSize, file_) != header::kSize ||
        std::fread(size, 1, kSizeField, file_) != kSizeField)
        return EngineResult::ErrOpen;
    header_[format == ImageFormat::BigEndian ? 2 : 3] = kPlainMarker;
    imageSize_ = static_cast<std::uint32_t>(size[0] | size[1] << 8 | size[2] << 16) |
                 static_cast<std::uint32_t>(size[3]) << 24;
    if (imageSize_ < header::kSize) return EngineResult::ErrFormat;
    stream_ = z_stream{};
    if (inflateInit_(&stream_, kZlibVersion, static_cast<int>(sizeof(z_stream))) != Z_OK)
        return EngineResult::ErrFailed;
    streamOpen_ = true;
    return EngineResult::Ok;
}

bool ContainerInflater::Refill() {
    if (stream_.avail_in != 0) return true;
    const std::size_t got = std::fread(input_, 1, inputChunk_, file_);
    stream_.next_in = input_;
    stream_.avail_in = static_cast<uInt>(got);
    return got != 0;
}

long ContainerInflater::Read(std::uint8_t* out, std::size_t max) {
    if (!streamOpen_) return -1;
    const std::uint64_t left = BodySize() - produced_;
    if (max > left) max = static_cast<std::size_t>(left);
    std::size_t filled = 0;
    while (filled < max) {
        if (streamEnded_ || !Refill()) return -1; // the stream or the file ended before S - 64 bytes
        stream_.next_out = out + filled;
        stream_.avail_out = static_cast<uInt>(max - filled);
        const int result = inflate(&stream_, Z_NO_FLUSH);
        filled = max - stream_.avail_out;
        if (result == Z_STREAM_END) streamEnded_ = true;
        else if (result != Z_OK && result != Z_BUF_ERROR) return -1;
    }
    produced_ += filled;
    // Everything announced has come: the stream must end here and hold no more.
    while (produced_ == BodySize() && !streamEnded_) {
        if (!Refill()) return -1;
        std::uint8_t extra;
        stream_.next_out = &extra;
        stream_.avail_out = 1;
        const int result = inflate(&stream_, Z_NO_FLUSH);
        if (stream_.avail_out == 0) return -1; // more data than announced
        if (result == Z_STREAM_END) streamEnded_ = true;
        else if (result != Z_OK && result != Z_BUF_ERROR) return -1;
    }
    return static_cast<long>(filled);
}

EngineResult OpenCompressedBody(const TransferContext& ctx, ContainerInflater& body, std::size_t inputChunk) {
    RomImage& image = ctx.image;
    if (!image.IsLoaded()) return EngineResult::ErrNotLoaded;
    if (!image.Compressed()) return EngineResult::ErrNotCompressed;
    switch (body.Open(image.Path(), image.ByteOrder(), inputChunk)) {
    case EngineResult::Ok: return EngineResult::Ok;
    case EngineResult::ErrOpen: return EngineResult::ErrOpen;
    case EngineResult::ErrFormat:
        ctx.Message("The compressed image is damaged");
        return EngineResult::ErrFailed;
    default: return EngineResult::ErrFailed;
    }
}

} // namespace q64
