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
// malformed sequence (a stray or cut one, an overlong form, a surrogate, a
// code above U+10FFFF) is one byte long and has no code point (~0).
struct Decoded {
    char32_t c;
    std::size_t length;
};
constexpr char32_t kMalformed = ~char32_t{0};

// How many bytes a sequence starting with `lead` announces (1 for a byte that starts none).
std::size_t AnnouncedLength(std::uint8_t lead) {
    if (lead >= 0xC0 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF7) return 4;
    return 1;
}

Decoded NextCharacter(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(at);
    if (lead < 0x80) return {lead, 1};
    // The lead byte bounds the second byte: this excludes overlong forms,
    // surrogates and codes past U+10FFFF.
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    char32_t c = 0;
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {kMalformed, 1};
    }
    if (at + length > text.size()) return {kMalformed, 1};
    for (std::size_t i = 1; i < length; ++i) {
        const std::uint8_t b = byte(at + i);
        if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF)) return {kMalformed, 1};
        c = c << 6 | (b & 0x3F);
    }
    return {c, length};
}

// The malformed sequence at `at`, named by its bytes in hexadecimal ("C0 A4"):
// the lead byte and the continuation bytes that follow it, up to the length it
// announces. Its length goes into `length`.
std::string MalformedBytes(std::string_view text, std::size_t at, std::size_t& length) {
    const std::size_t announced = AnnouncedLength(static_cast<std::uint8_t>(text[at]));
    length = 1;
    while (length < announced && at + length < text.size() &&
           (static_cast<std::uint8_t>(text[at + length]) & 0xC0) == 0x80)
        ++length;
    static const char kHex[] = "0123456789ABCDEF";
    std::string named;
    for (std::size_t i = 0; i < length; ++i) {
        const auto b = static_cast<std::uint8_t>(text[at + i]);
        if (i > 0) named += ' ';
        named += kHex[b >> 4];
        named += kHex[b & 0xF];
    }
    return named;
}

void AddOnce(std::vector<std::string>& list, std::string_view item) {
    for (const std::string& listed : list)
        if (listed == item) return;
    list.emplace_back(item);
}

// "a", "a and b", "a, b and c", each item quoted when `quote`.
std::string JoinList(const std::vector<std::string>& items, bool quote) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += i + 1 == items.size() ? " and " : ", ";
        out += quote ? "\"" + items[i] + "\"" : items[i];
    }
    return out;
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
        if (d.c == kMalformed) {
            std::size_t length = 0;
            AddOnce(result.malformed, MalformedBytes(text, at, length));
            at += length;
            continue;
        }
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
        AddOnce(result.refused, shown);
    }
    return result;
}

std::string ListCharacters(const std::vector<std::string>& characters) { return JoinList(characters, true); }

std::string RefusedTitleMessage(const TitleEncoding& encoding) {
    std::string what = ListCharacters(encoding.refused);
    if (!encoding.malformed.empty()) {
        const bool oneByte = encoding.malformed.size() == 1 && encoding.malformed[0].size() == 2;
        if (!what.empty()) what += " or ";
        what += (oneByte ? "the byte " : "the bytes ") + JoinList(encoding.malformed, false) +
                (oneByte ? ", which is not UTF-8 text" : ", which are not UTF-8 text");
    }
    return "A title cannot hold " + what + ".\nIt takes letters, digits and signs of ASCII and half-width katakana.";
}

} // namespace q64
