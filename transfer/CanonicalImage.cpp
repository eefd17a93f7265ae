#include "transfer/CanonicalImage.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/FileChange.h"
#include "transfer/WireBytes.h"

namespace q64 {

namespace {
constexpr std::size_t kInflateInput = 4096;
} // namespace

EngineResult CanonicalImage::Open() {
    if (image_.Compressed()) {
        switch (inflater_.Open(image_.Path(), image_.ByteOrder(), kInflateInput)) {
        case EngineResult::Ok: break;
        case EngineResult::ErrFormat:
            image_.Report("The compressed image is damaged");
            return EngineResult::ErrFailed;
        default:
            image_.Report("Unable to Open File for Read");
            return EngineResult::ErrOpen;
        }
        size_ = inflater_.ImageSize();
        return EngineResult::Ok;
    }
    std::string message;
    file_.reset(OpenForReading(image_.Path(), message));
    if (!file_) {
        image_.Report(message);
        return EngineResult::ErrOpen;
    }
    size_ = static_cast<std::uint64_t>(image_.FileSize());
    return EngineResult::Ok;
}

long CanonicalImage::Next(std::uint8_t* out, std::size_t max) {
    std::size_t filled = 0;
    while (filled < max) {
        long got = 0;
        if (image_.Compressed() && headerGiven_ < header::kSize) {
            got = static_cast<long>(std::min(max - filled, header::kSize - headerGiven_));
            std::memcpy(out + filled, inflater_.Header() + headerGiven_, static_cast<std::size_t>(got));
            headerGiven_ += static_cast<std::size_t>(got);
        } else if (image_.Compressed()) {
            got = inflater_.Read(out + filled, max - filled);
        } else {
            got = static_cast<long>(std::fread(out + filled, 1, max - filled, file_.get()));
        }
        if (got <= 0) return -1;
        filled += static_cast<std::size_t>(got);
    }
    // Pieces start at multiples of 4 (the header is 64 bytes, every piece a
    // multiple of 4 but the last), so the order can be mended piece by piece.
    ToCanonicalOrder(out, max, image_.ByteOrder());
    if (bootKept_ < kBootBytes) {
        const std::size_t n = std::min(kBootBytes - bootKept_, max);
        std::memcpy(boot_ + bootKept_, out, n);
        bootKept_ += n;
    }
    return static_cast<long>(max);
}

} // namespace q64
