#pragma once
// Reads a compressed image container for a send: the 64-byte header with its
// marker restored (0x12 again), the stored uncompressed size S, and the body
// inflated on the fly from the zlib stream. The body is exactly S - 64 bytes:
// a stream that ends early, runs long or is damaged is an error, never a
// silently short image.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <zlib.h>

#include "engine/EngineTypes.h"
#include "engine/RomImage.h"

namespace q64 {

class ContainerInflater {
public:
    ContainerInflater() = default;
    ~ContainerInflater();
    ContainerInflater(const ContainerInflater&) = delete;
    ContainerInflater& operator=(const ContainerInflater&) = delete;

    // Opens `path` of byte order `format`. ErrOpen when the file cannot be
    // opened or is too short for header and size, ErrFormat when S is below 64,
    // ErrFailed when the decompressor cannot start. `inputChunk` is how many
    // compressed bytes are read at a time (at most 4096).
    EngineResult Open(const std::string& path, ImageFormat format, std::size_t inputChunk);

    // The restored header in file order (64 bytes).
    std::uint8_t* Header() { return header_; }
    // S: the size of the uncompressed image file.
    std::uint32_t ImageSize() const { return imageSize_; }
    std::uint32_t BodySize() const { return imageSize_ - static_cast<std::uint32_t>(header::kSize); }
    std::uint64_t BodyProduced() const { return produced_; }

    // Fills `out` with up to `max` body bytes (fewer only at the end) and
    // returns the count; 0 at the end of the body. Returns -1 when the stream
    // is damaged or does not hold exactly S - 64 bytes.
    long Read(std::uint8_t* out, std::size_t max);

private:
    // Reads the next input chunk when the last one is used up; false at the end of the file.
    bool Refill();

    std::FILE* file_ = nullptr;
    z_stream stream_{};
    bool streamOpen_ = false;
    bool streamEnded_ = false;
    std::size_t inputChunk_ = 4096;
    std::uint8_t input_[4096];
    std::uint8_t header_[header::kSize];
    std::uint32_t imageSize_ = 0;
    std::uint64_t produced_ = 0;
};

struct TransferContext;

// Opens the body of the compressed image loaded in the context for a send.
// ErrNotLoaded, ErrNotCompressed, ErrOpen, or ErrFailed after saying "The
// compressed image is damaged"; Ok with `body` ready to read.
EngineResult OpenCompressedBody(const TransferContext& ctx, ContainerInflater& body, std::size_t inputChunk);

} // namespace q64
