// Header titles. Bit 0 of the first byte: the next 20 bytes are a stored
// title field the text is encoded against. The rest is the text (any bytes,
// UTF-8 or not).
//  - A text the encoder takes decodes back to itself (or is the shown form
//    of the stored field, which it gives back whole), one byte per character.
//  - A text it refuses names what it refuses, in a message that is UTF-8.
//  - Any field, decoded and encoded against itself, gives back every byte.

#include <algorithm>
#include <string>
#include <string_view>

#include "engine/TitleText.h"
#include "fuzz/FuzzSupport.h"

using namespace q64;
using q64::fuzz::Require;

namespace {
constexpr std::size_t kFieldSize = 20;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view all(reinterpret_cast<const char*>(data) + 1, size - 1);
    const bool withField = (data[0] & 1) != 0 && all.size() >= kFieldSize;
    const std::string original(withField ? all.substr(0, kFieldSize) : std::string_view{});
    const std::string text(withField ? all.substr(kFieldSize) : all);

    const TitleEncoding encoding = EncodeTitle(text, original);
    if (encoding.Ok()) {
        const bool wholeField = !original.empty() && encoding.bytes == original && ShownTitle(original) == text;
        Require(wholeField || DecodeTitle(encoding.bytes) == text, "an accepted text decodes back to itself");
        Require(wholeField || encoding.bytes.size() == CountCharacters(text), "one byte per character");
    } else {
        const std::string message = RefusedTitleMessage(encoding);
        Require(EncodeTitle(message).malformed.empty(), "the refusal is UTF-8 text");
        for (const std::string& c : encoding.refused)
            Require(message.find("\"" + c + "\"") != std::string::npos, "the refusal names each character");
        for (const std::string& bytes : encoding.malformed)
            Require(message.find(bytes) != std::string::npos, "the refusal names each malformed sequence");
    }

    const std::string field(all.substr(0, std::min(all.size(), kFieldSize)));
    const TitleEncoding back = EncodeTitle(DecodeTitle(field), field);
    Require(back.Ok() && back.bytes == field, "a stored field decoded and encoded again is unchanged");
    return 0;
}
