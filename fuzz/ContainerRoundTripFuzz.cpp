// Compress and decompress: the input, given a boot word of an uncompressed
// image, is compressed at a level it picks and decompressed again in the
// temporary backup mode. Compression either is refused with the file as it
// was, or makes a file identified as compressed that decompresses to the same
// bytes. Nothing is left behind.

#include "engine/Compression.h"
#include "engine/RomImage.h"
#include "fuzz/FuzzSupport.h"

using namespace q64;
using q64::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    fuzz::Scratch();
    // Bytes 0..3 pick the byte order and the boot bytes: the 0x12 marker where
    // the byte order keeps it, any allowed value (kept when it is one) in the other.
    static const std::uint8_t kBoot[3] = {0x12, 0x13, 0x40};
    fuzz::Bytes file(data, data + size);
    const bool bigEndian = (data[0] & 0x80) != 0;
    file[0] = bigEndian ? 0x80 : 0x37;
    file[1] = bigEndian ? 0x37 : 0x80;
    const std::size_t marker = bigEndian ? 2 : 3;
    const std::uint8_t other = data[marker ^ 1];
    file[marker] = 0x12;
    file[marker ^ 1] = (other == 0x12 || other == 0x13 || other == 0x40) ? other : kBoot[other % 3];
    const int level = data[0] >> 1 & 7; // 0..7 keeps the slow levels out of most runs
    const std::string path = fuzz::PutFile("game.z64", file);

    RomImage image;
    if (image.Identify(path) != EngineResult::Ok) return 0; // too short for a header
    Require(image.GetKind() == FileKind::Image, "identified as an uncompressed image");
    const EngineResult compressed = CompressImage(image, level, BackupMode::Temporary, {});
    if (compressed != EngineResult::Ok) {
        Require(fuzz::GetFile(path) == file, "a refused compression leaves the file as it was");
        Require(fuzz::ScratchNames() == std::vector<std::string>{"game.z64"}, "no file left behind");
        return 0;
    }
    RomImage packed;
    Require(packed.Identify(path) == EngineResult::Ok && packed.GetKind() == FileKind::CompressedImage,
            "a compressed image is identified as compressed");
    Require(DecompressImage(packed, BackupMode::Temporary, {}) == EngineResult::Ok, "decompresses");
    Require(fuzz::GetFile(path) == file, "the round trip gives the same bytes");
    Require(fuzz::ScratchNames() == std::vector<std::string>{"game.z64"}, "no file left behind");
    return 0;
}
