#pragma once
// The loaded image as canonical (big-endian) bytes, read from a plain file in
// any byte order or inflated on the fly from a compressed one, for the USB
// units that take images in the cart's own order. The first 4096 canonical
// bytes are kept for the boot chip.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "engine/EngineTypes.h"
#include "engine/RomImage.h"
#include "transfer/ContainerInflater.h"

namespace q64 {

class CanonicalImage {
public:
    static constexpr std::size_t kBootBytes = 4096;

    // `image` is loaded and outlives this reader.
    explicit CanonicalImage(RomImage& image) : image_(image) {}

    // Ok, or ErrOpen / ErrFailed after a message through the image's sink.
    EngineResult Open();
    // The canonical image's size in bytes.
    std::uint64_t Size() const { return size_; }

    // Exactly `max` canonical bytes into `out`, or -1 when the file ends early
    // or is damaged. Every piece but the last must be a multiple of 4 bytes
    // long, so that the byte order can be mended piece by piece.
    long Next(std::uint8_t* out, std::size_t max);

    // The first 4096 canonical bytes, as far as they have been read.
    const std::uint8_t* Boot() const { return boot_; }

private:
    struct FileCloser {
        void operator()(std::FILE* f) const { if (f) std::fclose(f); }
    };
    RomImage& image_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    ContainerInflater inflater_;
    std::uint64_t size_ = 0;
    std::size_t headerGiven_ = 0;
    std::uint8_t boot_[kBootBytes] = {};
    std::size_t bootKept_ = 0;
};

} // namespace q64
