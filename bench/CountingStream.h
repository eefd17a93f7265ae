#pragma once
// A byte stream wrapper that counts every byte passing either way, for the
// wire-overhead counters of the USB carts' benchmarks.

#include <cstdint>

#include "transfer/ByteStream.h"

namespace q64::bench {

class CountingStream final : public ByteStream {
public:
    explicit CountingStream(ByteStream& inner) : inner_(inner) {}
    StreamResult Write(const std::uint8_t* b, std::size_t n, int w, std::size_t& written) override {
        const StreamResult r = inner_.Write(b, n, w, written);
        bytes += written;
        return r;
    }
    StreamResult Read(std::uint8_t* b, std::size_t n, int w, std::size_t& got) override {
        const StreamResult r = inner_.Read(b, n, w, got);
        bytes += got;
        return r;
    }
    bool ResetCommunication() override { return inner_.ResetCommunication(); }
    std::string Name() const override { return inner_.Name(); }

    std::uint64_t bytes = 0;

private:
    ByteStream& inner_;
};

} // namespace q64::bench
