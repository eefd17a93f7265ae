#include "engine/TitleText.h"

namespace q64 {

namespace {

// Half-width katakana: byte 0xA1..0xDF is U+FF61..U+FF9F.
constexpr std::uint8_t kKanaFirst = 0xA1;
constexpr std::uint8_t kKanaLast = 0xDF;
constexpr char32_t kKanaBase = 0xFF61;

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// One character of UTF-8 `text` from `at`: its code point and length. A
// malformed or cut sequence is one byte long and has no code point (~0).
struct Decoded {
    char32_t c;
    std::size_t length;
};
Decoded NextCharacter(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(at);
    if (lead < 0x80) return {lead, 1};
    std::size_t length = 0;
    char32_t c = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        c = lead & 0x07;
    } else {
        return {~char32_t{0}, 1};
    }
    if (at + length > text.size()) return {~char32_t{0}, 1};
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return {~char32_t{0}, 1};
        c = c << 6 | (byte(at + i) & 0x3F);
    }
    return {c, length};
}

// The byte for character `c`, or -1 when it has none.
int ByteFor(char32_t c) {
    if (c >= 0x20 && c < 0x7F) return static_cast<int>(c);
    if (c >= kKanaBase && c <= kKanaBase + (kKanaLast - kKanaFirst)) return static_cast<int>(c - kKanaBase) + kKanaFirst;
    return -1;
}

} // namespace

char32_t TitleCharacter(std::uint8_t b) {
    if (b >= 0x20 && b < 0x7F) return b;
    if (b >= kKanaFirst && b <= kKanaLast) return kKanaBase + (b - kKanaFirst);
    return kTitleReplacement;
}

std::string DecodeTitle(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char b : bytes) AppendUtf8(out, TitleCharacter(static_cast<std::uint8_t>(b)));
    return out;
}

std::string ShownTitle(std::string_view field) {
    std::size_t end = field.find('\0');
    if (end == std::string_view::npos) end = field.size();
    while (end > 0 && field[end - 1] == ' ') --end;
    return DecodeTitle(field.substr(0, end));
}

std::size_t CountCharacters(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); at += NextCharacter(text, at).length) ++count;
    return count;
}

TitleEncoding EncodeTitle(std::string_view text, std::string_view original) {
    TitleEncoding result;
    if (!original.empty() && text == ShownTitle(original)) {
        result.bytes = std::string(original);
        return result;
    }
    std::size_t index = 0;
    for (std::size_t at = 0; at < text.size(); ++index) {
        const Decoded d = NextCharacter(text, at);
        const std::string_view shown = text.substr(at, d.length);
        at += d.length;
        int byte = ByteFor(d.c);
        if (d.c == kTitleReplacement && index < original.size() &&
            TitleCharacter(static_cast<std::uint8_t>(original[index])) == kTitleReplacement)
            byte = static_cast<std::uint8_t>(original[index]);
        if (byte >= 0) {
            result.bytes += static_cast<char>(byte);
            continue;
        }
        bool listed = false;
        for (const std::string& r : result.refused) listed = listed || r == shown;
        if (!listed) result.refused.emplace_back(shown);
    }
    return result;
}

std::string ListCharacters(const std::vector<std::string>& characters) {
    std::string out;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        if (i > 0) out += i + 1 == characters.size() ? " and " : ", ";
        out += "\"" + characters[i] + "\"";
    }
    return out;
}

std::string RefusedTitleMessage(const std::vector<std::string>& refused) {
    return "A title cannot hold " + ListCharacters(refused) +
           ".\nIt takes letters, digits and signs of ASCII and half-width katakana.";
}

} // namespace q64
