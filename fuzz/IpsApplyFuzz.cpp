// IPS applying: the input is the patch, applied to a small synthetic image in
// the temporary backup mode. Whatever happens the folder ends with the image
// and the patch only, and the image holds either exactly what the patch makes
// of it in memory (Ok) or its old bytes (any failure).

#include "engine/IpsPatch.h"
#include "engine/RomImage.h"
#include "fuzz/FuzzSupport.h"

using namespace q64;
using q64::fuzz::Require;

namespace {

// 40000 bytes: a header that passes the image test, then a pattern; more than
// one 32768-byte window, so window borders are crossed.
fuzz::Bytes SyntheticImage() {
    fuzz::Bytes image(40000);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
    const std::uint8_t boot[4] = {0x80, 0x37, 0x12, 0x40};
    for (std::size_t i = 0; i < 4; ++i) image[i] = boot[i];
    return image;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Scratch();
    static const fuzz::Bytes original = SyntheticImage();
    const std::string imagePath = fuzz::PutFile("game.z64", original);
    const std::string patchPath = fuzz::PutFile("fix.ips", data, size);

    RomImage image;
    Require(image.Identify(imagePath) == EngineResult::Ok, "the synthetic image is identified");
    const EngineResult result = ApplyIpsPatch(image, BackupMode::Temporary, patchPath);

    const fuzz::Bytes after = fuzz::GetFile(imagePath);
    if (result == EngineResult::Ok) {
        const IpsPlan plan = ParseIpsPatch(data, size);
        Require(plan.defect == IpsDefect::None, "only a clean patch is applied");
        fuzz::Bytes expected = original;
        ApplyIpsToBuffer(plan, data, expected);
        Require(after == expected, "the file holds what the patch makes in memory");
    } else {
        Require(after == original, "a refused or failed patch leaves the image as it was");
    }
    Require(fuzz::GetFile(patchPath) == fuzz::Bytes(data, data + size), "the patch is never changed");
    Require(fuzz::ScratchNames() == std::vector<std::string>{"fix.ips", "game.z64"}, "no file left behind");
    return 0;
}
