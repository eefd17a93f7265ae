#pragma once
// Number texts as the user types them in port, address and parameter fields:
// a trailing "H"/"h" means hexadecimal, otherwise a "0x"/"0X" prefix means
// hexadecimal, a leading "0" octal, anything else decimal. No Qt; the dialogs
// and q64 share it.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace q64 {

// Only this many characters of a text are read; the rest is ignored.
constexpr std::size_t kNumberTextMaxLength = 127;

// What reading a number text found.
struct NumberScan {
    std::int32_t value = 0;  // 0 when no number was found; clamped to the 32-bit range
    bool found = false;      // at least one digit was read
    bool whole = false;      // found, and the whole text was the number (trailing white space allowed)
    bool clamped = false;    // the number did not fit into 32 bits
};

// Reads the number at the start of `text` (leading white space and a sign
// accepted; reading stops at the first character that does not belong to the
// number). Only the first 127 characters are looked at; the trailing "H" test
// applies to the last of those.
NumberScan ScanNumber(std::string_view text);

// The lenient reading the dialogs use: whatever ScanNumber finds, 0 for a
// text without a number. Never fails.
std::int32_t parse_number(std::string_view text);

} // namespace q64
