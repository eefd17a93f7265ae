#pragma once
// The Controller Pak's own character set, in which a note's name and extension
// are written: 0 ends or pads a name, 0x0F is a space, 0x10..0x19 the digits,
// 0x1A..0x33 the letters A..Z, 0x34..0x41 the signs ! " # ' * + , - . / : = ? @,
// 0x42..0x44 the Japanese full stop and the two sound marks, 0x45..0x94 the
// katakana (small ones first, then the gojūon order, then those with sound
// marks). Codes the set does not define are shown as U+FFFD.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace q64 {

// UTF-8 text of pak character codes; zero bytes are skipped.
std::string DecodePakText(const std::uint8_t* codes, std::size_t count);

// The codes for a UTF-8 text (lower-case letters taken as upper-case). Empty
// optional, with `bad` set to the first character the pak cannot show, when
// one cannot be written.
std::optional<std::vector<std::uint8_t>> EncodePakText(std::string_view text, std::string& bad);

} // namespace q64
