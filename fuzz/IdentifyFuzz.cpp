// Identification of a file made of the input: whatever the bytes, Identify
// answers Ok or ErrFormat, and what it reports agrees with the bytes.

#include <cstring>

#include "engine/MemoryPak.h"
#include "engine/RomImage.h"
#include "engine/TitleText.h"
#include "fuzz/FuzzSupport.h"

using namespace q64;
using q64::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Scratch();
    // A ".sav" name lets a 512-byte input be taken for a SAV RAM file too.
    const std::string path = fuzz::PutFile("input.sav", data, size);
    RomImage image;
    const EngineResult result = image.Identify(path);
    Require(result == EngineResult::Ok || result == EngineResult::ErrFormat, "Identify: Ok or ErrFormat");
    if (result != EngineResult::Ok) {
        Require(image.GetKind() == FileKind::None && !image.IsLoaded(), "a failed Identify loads nothing");
        return 0;
    }
    Require(image.FileSize() == static_cast<std::int64_t>(size), "file size as written");
    const bool imageTest = size >= header::kSize && LooksLikeImage(data);
    const FileKind kind = image.GetKind();
    Require(imageTest == HasImageBit(kind), "the image bit follows the image test");
    switch (kind) {
    case FileKind::Image:
    case FileKind::CompressedImage: {
        // Titles and cart ids are shown decoded: a byte may take up to three bytes of UTF-8.
        Require(CountCharacters(image.Title()) <= header::kTitleLength, "title within 20 characters");
        Require(image.Title().empty() || image.Title().back() != ' ', "title trimmed");
        Require(CountCharacters(image.CartId()) <= 2, "cart id within 2 characters");
        Require(std::memcmp(image.WorkBuffer(), data, header::kSize) == 0, "work buffer holds the header");
        const bool compressed = data[2] != 0x12 && data[3] != 0x12;
        Require(compressed == (kind == FileKind::CompressedImage), "compressed by the 0x12 marker");
        if (!compressed) Require(image.ImageSize() == image.FileSize(), "plain image size is the file size");
        break;
    }
    case FileKind::Doctor64Bios:
        Require(size == static_cast<std::size_t>(kBiosFileSize), "BIOS size");
        break;
    case FileKind::IpsPatch:
        Require(size >= 5 && std::memcmp(data, "PATCH", 5) == 0, "patch signature");
        break;
    case FileKind::BpsPatch:
        Require(size >= 4 && std::memcmp(data, "BPS1", 4) == 0, "BPS signature");
        break;
    case FileKind::TaggedSave:
        Require(size >= 7 && std::memcmp(data, "SAVEN64", 7) == 0, "tagged save signature");
        Require(CountCharacters(image.Title()) <= 20, "tagged save title within 20 characters");
        break;
    case FileKind::SavRam:
        Require(size == static_cast<std::size_t>(kSavRamSize), "SAV RAM size");
        break;
    case FileKind::Dx256:
        Require(size == static_cast<std::size_t>(kDx256FileSize), "DX256 size");
        break;
    case FileKind::MemoryPak:
        Require((size == static_cast<std::size_t>(kMemoryPakSize) && HasValidIdArea(data)) ||
                    (size == static_cast<std::size_t>(kDexDriveFileSize) && std::memcmp(data, "123-456-STD", 11) == 0),
                "a memory pak: 32768 bytes with a sound ID area, or a DexDrive image");
        break;
    case FileKind::GameSave:
        Require(false, "a save known by its extension, from a file named input.sav");
        break;
    case FileKind::None:
        Require(false, "Ok with no kind");
        break;
    }
    std::string text;
    Require(image.GetCountryName(text) == EngineResult::Ok, "country name");
    Require(image.GetMakerName(text) == EngineResult::Ok, "maker name");
    return 0;
}
