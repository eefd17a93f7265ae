// Writes the synthetic seed corpora of the fuzz targets: fuzz_make_seeds DIR
// makes DIR/<target>/<seed> for every target (existing files are left alone).
// Every seed is built here from the engine's sample makers; none comes from a
// real cartridge. Large kinds (BIOS, DX256 files) are left out so inputs stay
// small; the DX256 target builds its file from a 32-byte room bitmap.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "engine/SampleFiles.h"

using namespace q64;
using samples::Bytes;

namespace {

bool Put(const std::string& folder, const std::string& name, const Bytes& bytes) {
    ::mkdir(folder.c_str(), 0755);
    const std::string path = folder + "/" + name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (errno == EEXIST) return true;
        std::fprintf(stderr, "%s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    const bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    return ::close(fd) == 0 && ok;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

samples::ImageRecipe SmallImage(ImageFormat format, std::uint32_t seed) {
    samples::ImageRecipe recipe;
    recipe.sizeBytes = 4096 + 64 * seed;
    recipe.format = format;
    recipe.seed = seed;
    return recipe;
}

Bytes Cut(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string root = argv[1];
    ::mkdir(root.c_str(), 0755);
    const Bytes bigEndian = samples::MakeImage(SmallImage(ImageFormat::BigEndian, 1));
    const Bytes swapped = samples::MakeImage(SmallImage(ImageFormat::ByteSwapped, 2));
    const Bytes packed = samples::MakeCompressedImage(SmallImage(ImageFormat::BigEndian, 3), 6);
    const Bytes packedSwapped = samples::MakeCompressedImage(SmallImage(ImageFormat::ByteSwapped, 4), 0);
    const Bytes patch = samples::MakeIps({{0x10, {1, 2, 3, 4}, 0}, {0x200, {0xAA}, 16}});
    const Bytes acrossWindow = samples::MakeIps({{32760, Bytes(16, 0xC3), 0}, {39990, {7}, 40}});
    const Bytes noEof = samples::MakeIps({{0x20, {9, 9}, 0}}, false);
    Bytes sized = samples::MakeIps({{0x40, {5}, 0}});
    sized.insert(sized.end(), {0x00, 0x90, 0x00});

    const std::vector<std::pair<std::string, std::vector<std::pair<std::string, Bytes>>>> corpora = {
        {"identify",
         {{"image-z64", bigEndian},
          {"image-v64", swapped},
          {"compressed", packed},
          {"patch", patch},
          {"sav-ram", samples::MakeSavRam()},
          {"tagged-save", samples::MakeTaggedSave("SEED SAVE")},
          {"text", samples::MakeText()},
          {"unknown", samples::MakeUnknown()}}},
        {"ips_parse",
         {{"records", patch},
          {"across-window", acrossWindow},
          {"no-eof", noEof},
          {"size-record", sized},
          {"cut-record", Cut(patch, patch.size() - 6)},
          {"cut-size-record", Cut(sized, sized.size() - 1)}}},
        {"ips_apply",
         {{"records", patch},
          {"across-window", acrossWindow},
          {"no-eof", noEof},
          {"size-record", sized},
          {"cut-record", Cut(patch, patch.size() - 6)}}},
        {"container",
         {{"level6-z64", packed},
          {"level0-v64", packedSwapped},
          {"cut-body", Cut(packed, packed.size() - 9)},
          {"header-only", Cut(packed, 68)}}},
        {"container_roundtrip", {{"image-z64", bigEndian}, {"image-v64", swapped}}},
        {"dx256",
         {{"three-rooms",
           [] {
               Bytes b(32, 0);
               b[2] = 0x02;  // index 17: A01
               b[4] = 0x04;  // index 34: B02
               b[0] = 0x01;  // index 0: P16
               const Bytes text = Text("BankA01=First\r\nBankb2=second room\nBank P16=last\n; a comment\n");
               b.insert(b.end(), text.begin(), text.end());
               return b;
           }()},
          {"no-text", Bytes(32, 0xFF)}}},
        {"memory_pak",
         {{"sample-pak", samples::MakeMemoryPak(2, 3)},
          {"cross-chain", Bytes{0x01, 0x13, 0x05, 0x02, 0x13, 0x05}},
          {"id-copy", Bytes{0x00, 0x25, 0x77}},
          {"note-file", samples::MakePakNote("NQSE", "01", "SEED", 2)}}},
        {"parse_number",
         {{"decimal", Text("123")},
          {"hex-prefix", Text("0x1F")},
          {"hex-suffix", Text("378h")},
          {"octal", Text("017")},
          {"signed", Text("  -42 ")},
          {"too-large", Text("99999999999")},
          {"word", Text("abc")}}},
    };
    for (const auto& [target, seeds] : corpora)
        for (const auto& [name, bytes] : seeds)
            if (!Put(root + "/" + target, name, bytes)) return 1;
    return 0;
}
