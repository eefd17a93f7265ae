#pragma once
// How header titles read as text. A title is stored as single bytes: printable
// ASCII, and for Japanese releases the half-width katakana of JIS X 0201
// (0xA1..0xDF). Every place that shows a title (list, panel, report, q64)
// decodes it here, and the title dialog encodes through here, so a byte reads
// the same everywhere and an untouched title goes back to the file unchanged.
//
// Each byte decodes to exactly one character, so a title's character count is
// its byte count and character i stands for byte i.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace q64 {

// Shown for a byte that is neither printable ASCII nor half-width katakana.
inline constexpr char32_t kTitleReplacement = U'\uFFFD';

// The character byte `b` stands for.
char32_t TitleCharacter(std::uint8_t b);
// The title bytes as UTF-8 text, one character per byte.
std::string DecodeTitle(std::string_view bytes);
// A stored title field as it is shown: cut at the first zero byte, trailing
// spaces dropped, decoded.
std::string ShownTitle(std::string_view field);

// Number of characters in UTF-8 `text` (a malformed sequence counts one per byte).
std::size_t CountCharacters(std::string_view text);

struct TitleEncoding {
    std::string bytes;                  // one byte per character of the text
    std::vector<std::string> refused;   // each character that has no byte, once, in order (UTF-8)
    std::vector<std::string> malformed; // each byte sequence that is not UTF-8, once, in hex ("C0 A4")
    bool Ok() const { return refused.empty() && malformed.empty(); }
};

// The bytes for UTF-8 `text`. `original` is the title field as stored: a
// replacement character at a position where the original holds an
// undecodable byte stands for that byte and gets it back; text equal to
// ShownTitle(original) gives `original` exactly, byte for byte. Any other
// character without a byte is refused, and so is every sequence that is not
// UTF-8 (overlong forms such as C0 A4 for "$", surrogates, codes past
// U+10FFFF, stray or cut sequences). DecodeTitle(bytes) gives back every
// text that is encoded without the stored field.
TitleEncoding EncodeTitle(std::string_view text, std::string_view original = {});

// "A", "A" and "B", "A", "B" and "C": the refused characters for a message.
std::string ListCharacters(const std::vector<std::string>& characters);

// The message for a title holding characters without a byte or bytes that
// are not UTF-8, naming them.
std::string RefusedTitleMessage(const TitleEncoding& encoding);

} // namespace q64
