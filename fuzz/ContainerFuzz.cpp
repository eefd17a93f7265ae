// The compressed container: the input, given a boot word that marks it as a
// compressed image, is decompressed in the temporary backup mode. A damaged
// container is refused with the file back byte for byte; an accepted one
// becomes an uncompressed image of the stored size. Nothing is left behind.

#include "engine/Compression.h"
#include "engine/RomImage.h"
#include "fuzz/FuzzSupport.h"

using namespace q64;
using q64::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    fuzz::Scratch();
    // Bytes 0..3 pick a byte order and a compressed marker; the rest is kept.
    fuzz::Bytes file(data, data + size);
    file[0] = (data[0] & 1) ? 0x80 : 0x37;
    file[1] = (data[1] & 1) ? 0x80 : 0x37;
    file[2] = (data[2] & 1) ? 0x40 : 0x13;
    file[3] = (data[3] & 1) ? 0x40 : 0x13;
    const std::string path = fuzz::PutFile("game.z64", file);

    RomImage image;
    if (image.Identify(path) != EngineResult::Ok) return 0; // too short for a header
    Require(image.GetKind() == FileKind::CompressedImage, "identified as compressed");
    const EngineResult result = DecompressImage(image, BackupMode::Temporary, {});

    const fuzz::Bytes after = fuzz::GetFile(path);
    if (result == EngineResult::Ok) {
        Require(file.size() >= 68, "a container has its size field");
        const std::uint64_t stored = std::uint64_t{file[64]} | std::uint64_t{file[65]} << 8 |
                                     std::uint64_t{file[66]} << 16 | std::uint64_t{file[67]} << 24;
        Require(after.size() == stored, "decompressed to the stored size");
        RomImage again;
        Require(again.Identify(path) == EngineResult::Ok && again.GetKind() == FileKind::Image,
                "the result is an uncompressed image");
    } else {
        Require(after == file, "a refused container stays as it was");
    }
    Require(fuzz::ScratchNames() == std::vector<std::string>{"game.z64"}, "no file left behind");
    return 0;
}
