#include "engine/PakText.h"

#include <array>

namespace q64 {

namespace {

constexpr std::uint8_t kFirstCode = 0x0F;
constexpr std::uint8_t kLastCode = 0x94;
constexpr const char* kUnknown = "\xEF\xBF\xBD"; // U+FFFD

// What each code from 0x0F on shows, as UTF-8.
const std::array<const char*, kLastCode - kFirstCode + 1>& Glyphs() {
    static const std::array<const char*, kLastCode - kFirstCode + 1> glyphs = {
        " ",
        "0", "1", "2", "3", "4", "5", "6", "7", "8", "9",
        "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
        "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z",
        "!", "\"", "#", "'", "*", "+", ",", "-", ".", "/", ":", "=", "?", "@",
        "。", "゛", "゜",
        "ァ", "ィ", "ゥ", "ェ", "ォ", "ッ", "ャ", "ュ", "ョ", "ヲ", "ン",
        "ア", "イ", "ウ", "エ", "オ", "カ", "キ", "ク", "ケ", "コ",
        "サ", "シ", "ス", "セ", "ソ", "タ", "チ", "ツ", "テ", "ト",
        "ナ", "ニ", "ヌ", "ネ", "ノ", "ハ", "ヒ", "フ", "ヘ", "ホ",
        "マ", "ミ", "ム", "メ", "モ", "ヤ", "ユ", "ヨ",
        "ラ", "リ", "ル", "レ", "ロ", "ワ",
        "ガ", "ギ", "グ", "ゲ", "ゴ", "ザ", "ジ", "ズ", "ゼ", "ゾ",
        "ダ", "ヂ", "ヅ", "デ", "ド", "バ", "ビ", "ブ", "ベ", "ボ",
        "パ", "ピ", "プ", "ペ", "ポ",
    };
    return glyphs;
}

// Length of the UTF-8 sequence that starts with `lead` (1 for a stray byte).
std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead < 0xF8) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

} // namespace

std::string DecodePakText(const std::uint8_t* codes, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t c = codes[i];
        if (c == 0) continue;
        text += c >= kFirstCode && c <= kLastCode ? Glyphs()[c - kFirstCode] : kUnknown;
    }
    return text;
}

std::optional<std::vector<std::uint8_t>> EncodePakText(std::string_view text, std::string& bad) {
    std::vector<std::uint8_t> codes;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = std::min(SequenceLength(static_cast<unsigned char>(text[at])), text.size() - at);
        std::string one(text.substr(at, length));
        if (one.size() == 1 && one[0] >= 'a' && one[0] <= 'z') one[0] = static_cast<char>(one[0] - 'a' + 'A');
        bool found = false;
        for (std::size_t g = 0; g < Glyphs().size() && !found; ++g) {
            if (one != Glyphs()[g]) continue;
            codes.push_back(static_cast<std::uint8_t>(kFirstCode + g));
            found = true;
        }
        if (!found) {
            bad = std::string(text.substr(at, length));
            return std::nullopt;
        }
        at += length;
    }
    return codes;
}

} // namespace q64
