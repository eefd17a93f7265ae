#include "engine/ParseNumber.h"

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <string>

namespace q64 {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

NumberScan ScanNumber(std::string_view text) {
    std::string copy(text.substr(0, kNumberTextMaxLength));
    int base = 0; // strtoll's own rule: 0x hexadecimal, leading 0 octal, else decimal
    if (!copy.empty() && (copy.back() == 'H' || copy.back() == 'h')) {
        copy.pop_back();
        base = 16;
    }
    // A zero byte ends the text as it would end a C string.
    const std::size_t length = std::string(copy.c_str()).size();
    const bool cut = text.size() > kNumberTextMaxLength || length != copy.size();
    copy.resize(length);

    NumberScan scan;
    errno = 0;
    char* end = nullptr;
    const long long raw = std::strtoll(copy.c_str(), &end, base);
    if (end == copy.c_str()) return scan;
    scan.found = true;
    scan.clamped = errno == ERANGE;
    constexpr long long kMax = std::numeric_limits<std::int32_t>::max();
    constexpr long long kMin = std::numeric_limits<std::int32_t>::min();
    long long value = raw;
    if (value > kMax) {
        value = kMax;
        scan.clamped = true;
    } else if (value < kMin) {
        value = kMin;
        scan.clamped = true;
    }
    scan.value = static_cast<std::int32_t>(value);
    const char* rest = end;
    while (*rest != '\0' && IsBlank(*rest)) ++rest;
    scan.whole = *rest == '\0' && !cut;
    return scan;
}

std::int32_t parse_number(std::string_view text) { return ScanNumber(text).value; }

} // namespace q64
