#include "engine/SamplePairs.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace q64::samples {

namespace {

std::uint64_t Mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// splitmix64, started at a mixed seed so that the streams of two seeds are not
// the same stream shifted: unrelated stretches share nothing.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(Mix(seed + 0x632BE59BD9B4E019ull)) {}
    std::uint64_t Next() { return Mix(state_ += 0x9E3779B97F4A7C15ull); }
    std::size_t Below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(Next() % n); }
    std::size_t Between(std::size_t low, std::size_t high) { return low + Below(high - low + 1); }
    std::uint8_t Byte() { return static_cast<std::uint8_t>(Next()); }

private:
    std::uint64_t state_;
};

// What every image of one "game" shares: its instruction words, its words of
// text and its tiles, so new content resembles the old in short stretches.
struct Vocabulary {
    std::vector<std::uint32_t> opcodes;
    std::vector<std::string> words;
    std::vector<Bytes> tiles;
};

constexpr std::size_t kTileBytes = 128; // 8 x 8 pixels of 16 bits

const Vocabulary& Shared() {
    static const Vocabulary vocabulary = [] {
        Vocabulary v;
        Random r(0x5EED);
        for (int i = 0; i < 256; ++i) v.opcodes.push_back(static_cast<std::uint32_t>(r.Next()));
        for (int i = 0; i < 400; ++i) {
            std::string word;
            const std::size_t length = r.Between(2, 9);
            for (std::size_t k = 0; k < length; ++k) word += static_cast<char>('a' + r.Below(26));
            v.words.push_back(word);
        }
        std::uint16_t palette[16];
        for (auto& colour : palette) colour = static_cast<std::uint16_t>(r.Next());
        for (int i = 0; i < 64; ++i) {
            Bytes tile;
            for (std::size_t k = 0; k < kTileBytes / 2; ++k) {
                const std::uint16_t pixel = palette[r.Below(4) == 0 ? r.Below(16) : k % 3];
                tile.push_back(static_cast<std::uint8_t>(pixel >> 8));
                tile.push_back(static_cast<std::uint8_t>(pixel));
            }
            v.tiles.push_back(std::move(tile));
        }
        return v;
    }();
    return vocabulary;
}

enum class Content { Code, Packed, Text, Tiles };

void AppendCode(Bytes& out, std::size_t size, Random& r) {
    const Vocabulary& v = Shared();
    const std::size_t end = out.size() + size;
    while (out.size() < end) {
        // Skewed towards the first words, as real code favours a few instructions.
        std::uint32_t word = v.opcodes[r.Below(256) * r.Below(256) / 256];
        if (r.Below(2) == 0) word = (word & 0xFFFF0000u) | static_cast<std::uint32_t>(r.Below(r.Below(4) ? 256 : 65536));
        for (int shift = 24; shift >= 0 && out.size() < end; shift -= 8) out.push_back(static_cast<std::uint8_t>(word >> shift));
    }
}

void AppendPacked(Bytes& out, std::size_t size, Random& r) {
    for (std::size_t i = 0; i < size; ++i) out.push_back(r.Byte());
}

// One string of text: a few words, the first in capitals, and a zero byte.
std::string Sentence(Random& r) {
    const Vocabulary& v = Shared();
    std::string text;
    const std::size_t count = r.Between(2, 10);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) text += ' ';
        text += v.words[r.Below(v.words.size())];
    }
    text[0] = static_cast<char>(text[0] - 'a' + 'A');
    text += r.Below(3) == 0 ? "!" : ".";
    text += '\0';
    return text;
}

void AppendText(Bytes& out, std::size_t size, Random& r) {
    const std::size_t end = out.size() + size;
    while (out.size() < end) {
        const std::string text = Sentence(r);
        out.insert(out.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(std::min(text.size(), end - out.size())));
    }
}

void AppendTiles(Bytes& out, std::size_t size, Random& r) {
    const Vocabulary& v = Shared();
    const std::size_t end = out.size() + size;
    while (out.size() < end) {
        Bytes tile = v.tiles[r.Below(v.tiles.size())];
        if (r.Below(3) == 0)
            for (std::size_t k = r.Between(1, 8); k > 0; --k) tile[r.Below(kTileBytes)] = r.Byte();
        out.insert(out.end(), tile.begin(), tile.begin() + static_cast<std::ptrdiff_t>(std::min(kTileBytes, end - out.size())));
    }
}

void Append(Content content, Bytes& out, std::size_t size, Random& r) {
    switch (content) {
    case Content::Code: AppendCode(out, size, r); break;
    case Content::Packed: AppendPacked(out, size, r); break;
    case Content::Text: AppendText(out, size, r); break;
    case Content::Tiles: AppendTiles(out, size, r); break;
    }
}

using Span = std::pair<std::size_t, std::size_t>; // start, length

// Regions of every kind (one of each first) until `end`, each 1/64 to 1/16
// of `scale` bytes and starting on a 16-byte boundary. The text regions are
// listed in `text`.
void AppendRegions(Bytes& out, std::size_t end, std::size_t scale, Random& r, std::vector<Span>* text) {
    Content order[] = {Content::Code, Content::Packed, Content::Text, Content::Tiles};
    for (std::size_t i = 3; i > 0; --i) std::swap(order[i], order[r.Below(i + 1)]);
    for (std::size_t n = 0; out.size() < end; ++n) {
        const Content content = n < 4 ? order[n] : order[r.Below(4)];
        const std::size_t chosen = std::max<std::size_t>(r.Between(scale / 64, scale / 16) & ~std::size_t{15}, 16);
        const std::size_t size = std::min(chosen, end - out.size());
        if (content == Content::Text && text) text->emplace_back(out.size(), size);
        Append(content, out, size, r);
    }
}

struct Layout {
    Bytes bytes;
    std::vector<Span> text;
    std::size_t contentEnd = 0; // padding from here
};

Layout BuildImage(std::size_t size, std::uint32_t seed) {
    size = std::max<std::size_t>(size, 65536);
    ImageRecipe recipe;
    recipe.sizeBytes = 4096; // header and boot code
    recipe.seed = seed;
    Layout layout;
    layout.bytes = MakeImage(recipe);
    layout.bytes.reserve(size + size / 2);
    Random r(seed);
    AppendRegions(layout.bytes, size - size / 8, size, r, &layout.text);
    layout.contentEnd = layout.bytes.size();
    layout.bytes.resize(size, 0xFF);
    return layout;
}

Bytes Cut(const Bytes& bytes, std::size_t at, std::size_t length) {
    Bytes out(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    out.insert(out.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at + length), bytes.end());
    return out;
}

Bytes Slice(const Bytes& bytes, std::size_t at, std::size_t length) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
}

void InsertAt(Bytes& bytes, std::size_t at, const Bytes& block) {
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), block.begin(), block.end());
}

// A place or a length in whole 32-bit words, as the console's data is laid out.
std::size_t Word(std::size_t n) { return n & ~std::size_t{3}; }

// Blocks of 1/256 to 1/32 of the image, one in each eighth past the boot code,
// cut out and inserted again in another order at other places.
Bytes MoveBlocks(const Bytes& original, Random& r) {
    const std::size_t zone = (original.size() - 4096) / 8;
    std::vector<Bytes> blocks;
    Bytes rest = original;
    for (std::size_t z = 8; z-- > 0;) { // from the end, so earlier places stay put
        const std::size_t length = Word(std::min(r.Between(original.size() / 256, original.size() / 32), zone / 2));
        const std::size_t at = Word(4096 + z * zone + r.Below(zone - length));
        blocks.push_back(Slice(rest, at, length));
        rest = Cut(rest, at, length);
    }
    for (const Bytes& block : blocks) InsertAt(rest, Word(r.Between(4096, rest.size())), block);
    return rest;
}

// About one string in 32 of every text region replaced by a new one of
// another length; the region keeps its size (cut or padded with zero bytes).
Bytes ShiftText(const Bytes& original, const std::vector<Span>& regions, Random& r) {
    Bytes modified = original;
    for (const auto& [at, length] : regions) {
        Bytes text;
        std::size_t start = at;
        for (std::size_t i = at; i < at + length; ++i) {
            if (original[i] != 0 && i + 1 != at + length) continue;
            if (r.Below(32) == 0) {
                const std::string sentence = Sentence(r);
                text.insert(text.end(), sentence.begin(), sentence.end());
            } else {
                text.insert(text.end(), original.begin() + static_cast<std::ptrdiff_t>(start),
                            original.begin() + static_cast<std::ptrdiff_t>(i + 1));
            }
            start = i + 1;
        }
        text.resize(length, 0);
        std::copy(text.begin(), text.end(), modified.begin() + static_cast<std::ptrdiff_t>(at));
    }
    return modified;
}

// 1 to 8 bytes in every 8 KiB on average: new values, small changes of the
// old ones, or four bytes copied from elsewhere (a changed pointer).
void EditScattered(Bytes& bytes, std::size_t count, Random& r) {
    for (std::size_t n = 0; n < count; ++n) {
        const std::size_t at = r.Between(4096, bytes.size() - 9);
        const std::size_t length = r.Between(1, 8);
        switch (r.Below(4)) {
        case 0:
        case 1:
            for (std::size_t k = 0; k < length; ++k) bytes[at + k] = r.Byte();
            break;
        case 2:
            for (std::size_t k = 0; k < length; ++k) bytes[at + k] = static_cast<std::uint8_t>(bytes[at + k] + r.Between(1, 4));
            break;
        default: {
            const std::size_t from = r.Between(4096, bytes.size() - 5);
            for (std::size_t k = 0; k < 4; ++k) bytes[at + k] = bytes[from + k];
        }
        }
    }
}

// A quarter of the new space holds blocks relocated from the old content, the
// rest new regions like the old ones; a few pointers in the old part change.
Bytes Grow(const Layout& layout, std::size_t extra, Random& r) {
    Bytes modified = layout.bytes;
    EditScattered(modified, 100, r);
    const std::size_t end = modified.size() + extra;
    while (modified.size() < end) {
        if (r.Below(4) == 0) {
            const std::size_t length = std::min(r.Between(extra / 64, extra / 16), end - modified.size());
            const std::size_t from = Word(r.Between(4096, layout.contentEnd - length));
            const Bytes block = Slice(layout.bytes, from, length);
            modified.insert(modified.end(), block.begin(), block.end());
        } else {
            AppendRegions(modified, std::min(end, modified.size() + extra / 8), extra, r, nullptr);
        }
    }
    return modified;
}

// Without the padding, and three blocks of 1/128 to 1/32 of the image gone.
Bytes Shrink(const Layout& layout, Random& r) {
    Bytes modified = Slice(layout.bytes, 0, layout.contentEnd);
    for (int n = 0; n < 3; ++n) {
        const std::size_t length = Word(r.Between(layout.bytes.size() / 128, layout.bytes.size() / 32));
        modified = Cut(modified, Word(r.Between(4096, modified.size() - length)), length);
    }
    return modified;
}

} // namespace

const char* PairKindName(PairKind kind) {
    switch (kind) {
    case PairKind::MovedBlocks: return "moved";
    case PairKind::InsertedBlock: return "inserted";
    case PairKind::ShiftedText: return "shifted-text";
    case PairKind::ScatteredEdits: return "scattered";
    case PairKind::Grown: return "grown";
    case PairKind::Shrunk: return "shrunk";
    }
    return "";
}

Bytes MakeRichImage(std::size_t size, std::uint32_t seed) { return BuildImage(size, seed).bytes; }

ImagePair MakeImagePair(PairKind kind, std::size_t size, ImageFormat format, std::uint32_t seed) {
    const Layout layout = BuildImage(size, seed);
    size = layout.bytes.size();
    Random r(seed ^ 0xC0FFEEu);
    ImagePair pair;
    pair.original = layout.bytes;
    switch (kind) {
    case PairKind::MovedBlocks: pair.modified = MoveBlocks(layout.bytes, r); break;
    case PairKind::InsertedBlock: {
        pair.modified = layout.bytes;
        Bytes block;
        AppendPacked(block, std::min<std::size_t>(65536, size / 8), r);
        InsertAt(pair.modified, Word(size / 3 + r.Below(4096)), block);
        break;
    }
    case PairKind::ShiftedText: pair.modified = ShiftText(layout.bytes, layout.text, r); break;
    case PairKind::ScatteredEdits:
        pair.modified = layout.bytes;
        EditScattered(pair.modified, size / 8192, r);
        break;
    case PairKind::Grown: pair.modified = Grow(layout, std::min<std::size_t>(4u << 20, size / 4), r); break;
    case PairKind::Shrunk: pair.modified = Shrink(layout, r); break;
    }
    pair.original = InOrder(std::move(pair.original), format);
    pair.modified = InOrder(std::move(pair.modified), format);
    return pair;
}

} // namespace q64::samples
