#include "transfer/WireBytes.h"

#include <utility>

#include "engine/RomImage.h"

namespace q64 {

void SwapPairs(std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i + 1 < count; i += 2) std::swap(bytes[i], bytes[i + 1]);
}

void ToCanonicalOrder(std::uint8_t* bytes, std::size_t count, ImageFormat format) {
    switch (format) {
    case ImageFormat::BigEndian: return;
    case ImageFormat::ByteSwapped: return SwapPairs(bytes, count);
    }
}

std::array<std::uint8_t, 11> NameBlock(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = file.find_last_of('.');
    std::string name = dot == std::string::npos ? file : file.substr(0, dot);
    std::string ext = dot == std::string::npos ? std::string() : file.substr(dot + 1);
    TrimRight(name);
    TrimRight(ext);
    name.resize(8, ' ');
    ext.resize(3, ' ');
    std::array<std::uint8_t, 11> block{};
    for (std::size_t i = 0; i < 8; ++i) block[i] = static_cast<std::uint8_t>(name[i]);
    for (std::size_t i = 0; i < 3; ++i) block[8 + i] = static_cast<std::uint8_t>(ext[i]);
    return block;
}

} // namespace q64
