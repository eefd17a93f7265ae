// Number texts: any bytes are read without failing, and the readings agree.

#include <string_view>

#include "engine/ParseNumber.h"
#include "fuzz/FuzzSupport.h"

using namespace q64;
using q64::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const NumberScan scan = ScanNumber(text);
    Require(parse_number(text) == scan.value, "parse_number gives the scanned value");
    Require(!scan.whole || scan.found, "a whole number was found");
    Require(scan.found || (scan.value == 0 && !scan.clamped), "no number reads as 0");
    // Only the first 127 characters count.
    if (size > kNumberTextMaxLength) {
        const NumberScan head = ScanNumber(text.substr(0, kNumberTextMaxLength));
        Require(head.value == scan.value && head.found == scan.found, "characters past 127 are ignored");
    }
    return 0;
}
