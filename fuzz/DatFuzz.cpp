// DAT reading: any text is read without crashing, however deep, long or
// numerous its elements, references and attributes. A refusal names a line of
// the text ("line N: ..."); a list that is read has a game name for every rom
// and can be indexed and matched.

#include <algorithm>
#include <string>

#include "engine/DatFile.h"
#include "fuzz/FuzzSupport.h"

using namespace q64;
using q64::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    DatFile dat;
    std::string message;
    if (!ParseDat(text, dat, message)) {
        Require(message.compare(0, 5, "line ") == 0, "a refusal starts with its line");
        std::size_t digits = 5;
        unsigned long line = 0;
        while (digits < message.size() && message[digits] >= '0' && message[digits] <= '9' && line < 1000000000)
            line = line * 10 + static_cast<unsigned long>(message[digits++] - '0');
        Require(digits > 5 && message.compare(digits, 2, ": ") == 0 && message.size() > digits + 2,
                "a refusal reads \"line N: why\"");
        const auto lines = static_cast<unsigned long>(std::count(text.begin(), text.end(), '\n')) + 1;
        Require(line >= 1 && line <= lines, "the line named is in the text");
        Require(dat.roms.empty() && dat.games == 0, "a refused list gives nothing");
        return 0;
    }
    for (const DatRom& rom : dat.roms) Require(!rom.game.empty(), "every rom belongs to a named game");
    Require(dat.games <= size, "no more games than bytes");
    const DatIndex index(dat);
    ImageHashes hashes;
    hashes.size = dat.roms.empty() || !dat.roms[0].size ? 0 : *dat.roms[0].size;
    const DatMatch match = index.Match(hashes, dat.roms.empty() ? "x.z64" : dat.roms[0].name);
    Require((match.status == DatStatus::Unknown) == (match.rom == nullptr), "a match names its rom");
    return 0;
}
