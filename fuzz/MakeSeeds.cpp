// Writes the synthetic seed corpora of the fuzz targets: fuzz_make_seeds DIR
// makes DIR/<target>/<seed> for every target (existing files are left alone).
// Every seed is built here from the engine's sample makers; none comes from a
// real cartridge. Large kinds (BIOS, DX256 files) are left out so inputs stay
// small; the DX256 target builds its file from a 32-byte room bitmap.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "engine/BpsPatch.h"
#include "engine/PatchMaker.h"
#include "engine/SampleFiles.h"
#include "fuzz/FuzzSupport.h"

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

// A bps_delta input: 2 bytes of source length, the source (its first 3000
// bytes at most), then pieces of kind, 16-bit place and length - 1; a piece of
// kind 2 (new bytes) is followed by that many bytes, here a counting pattern.
struct Piece {
    std::uint8_t kind;
    std::uint16_t place;
    std::uint8_t length;
};
Bytes DeltaSeed(Bytes source, const std::vector<Piece>& pieces) {
    source.resize(std::min<std::size_t>(source.size(), 3000));
    Bytes b = {static_cast<std::uint8_t>(source.size()), static_cast<std::uint8_t>(source.size() >> 8)};
    b.insert(b.end(), source.begin(), source.end());
    for (const Piece& p : pieces) {
        b.insert(b.end(), {p.kind, static_cast<std::uint8_t>(p.place), static_cast<std::uint8_t>(p.place >> 8), p.length});
        if (p.kind == 2)
            for (unsigned i = 0; i <= p.length; ++i) b.push_back(static_cast<std::uint8_t>(i * 37));
    }
    return b;
}

Bytes Joined(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

// The BPS target's inputs. Mode 0: a body (between "BPS1" and the footer) of
// a patch for the pattern source; mode 1: two buffers split at bytes 1..2;
// mode 3: the second laid over the first.
Bytes BpsBody(const Bytes& target) {
    const Bytes source = fuzz::PatternBytes(fuzz::kBpsSourceSize);
    const Bytes patch = MakeBpsPatch(source.data(), source.size(), target.data(), target.size());
    Bytes body = {0x00};
    body.insert(body.end(), patch.begin() + bps::kSignatureSize, patch.end() - bps::kFooterSize);
    return body;
}
Bytes BpsPair(std::uint8_t mode, const Bytes& first, const Bytes& second) {
    return Joined({{mode, static_cast<std::uint8_t>(first.size() >> 8), static_cast<std::uint8_t>(first.size())},
                   first, second});
}

// An answer packet of the SummerCart64: "CMP", "ERR" or "PKT", id, length, data.
Bytes Sc64Packet(const char* kind, std::uint8_t id, const Bytes& data) {
    Bytes out(kind, kind + 3);
    out.push_back(id);
    const auto n = static_cast<std::uint32_t>(data.size());
    out.insert(out.end(), {static_cast<std::uint8_t>(n >> 24), static_cast<std::uint8_t>(n >> 16),
                           static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)});
    out.insert(out.end(), data.begin(), data.end());
    return out;
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
        {"bps",
         [] {
             Bytes edited = fuzz::PatternBytes(fuzz::kBpsSourceSize);
             for (std::size_t i = 100; i < 140; ++i) edited[i] ^= 0x55;
             edited.resize(1300, 0xEE);
             const Bytes small = fuzz::PatternBytes(200);
             Bytes changed = small;
             changed[50] = 1;
             return std::vector<std::pair<std::string, Bytes>>{
                 {"body-edited", BpsBody(edited)},
                 {"body-cut", BpsBody(Bytes(edited.begin(), edited.begin() + 500))},
                 {"pair-changed", BpsPair(0x01, small, changed)},
                 {"pair-overlay", BpsPair(0x03, small, Text("\x40overlaid text"))},
                 {"pair-runs", BpsPair(0x01, Bytes(64, 7), Joined({Bytes(30, 7), Bytes(40, 9), Text("end")}))}};
         }()},
        {"dat",
         {{"logiqx",
           Text("<?xml version=\"1.0\"?>\n<!DOCTYPE datafile PUBLIC \"-//Logiqx//DTD ROM Management Datafile//EN\" "
                "\"http://www.logiqx.com/Dats/datafile.dtd\">\n<datafile>\n<header><name>Seeds &amp; more</name>"
                "</header>\n<game name=\"Alpha (E)\">\n<description>Alpha</description>\n"
                "<rom name=\"Alpha (E).z64\" size=\"8388608\" crc=\"0a1b2c3d\" "
                "sha1=\"00112233445566778899aabbccddeeff00112233\"/>\n</game>\n"
                "<machine name=\"Beta\"><rom name=\"Beta.z64\" size=\"4096\" crc=\"DEADBEEF\"/></machine>\n"
                "</datafile>\n")},
          {"references", Text("<datafile><game name=\"&#x000000410;&#66;&lt;&quot;\"><rom name=\"r\" size=\"1\"/>"
                              "<![CDATA[text]]><!-- note --></game></datafile>")},
          {"bad-size", Text("<datafile>\n<game name=\"g\"><rom size=\"18446744073709555712\"/></game></datafile>")},
          {"unclosed", Text("<datafile>\n<game name=\"g\">\n")}}},
        {"title",
         {{"plain", Joined({{0x00}, Text("SUPER MARIO 64")})},
          {"kana", Joined({{0x00}, Text("\uFF7F\uFF9E\uFF99\uFF80\uFF9E")})},
          {"refused", Joined({{0x00}, Text("caf\u00E9")})},
          {"field-kept", Joined({{0x01}, Text("AB\x01\xE9 ZELDA          "), Text("AB\uFFFD\uFFFD ZELDA")})},
          {"field-edited", Joined({{0x01}, Text("AB\x01\xE9 ZELDA          "), Text("AB\uFFFD\uFFFDX")})}}},
        {"sc64_link",
         {{"command", Joined({{0x00, 0x00, 0x00, 'v'}, Sc64Packet("CMP", 'v', Text("SCv2"))})},
          {"command-refused", Joined({{0x00, 0x03, 0x00, 'c'}, Sc64Packet("ERR", 'c', {})})},
          {"news-first", Joined({{0x00, 0x05, 0x03, 'V'}, Sc64Packet("PKT", 'B', Text("button")),
                                 Sc64Packet("CMP", 'V', {0, 2, 0, 12, 0, 0, 0, 1})})},
          {"memory-read", Joined({{0x01, 0x40, 0x00, 3}, Sc64Packet("CMP", 'm', Bytes(111, 0xA5))})},
          {"memory-write", Joined({{0x02, 0x00, 0x00, 2}, Sc64Packet("CMP", 'M', {})})},
          {"cut", Joined({{0x81, 0x00, 0x00, 3}, Sc64Packet("CMP", 'm', Bytes(50, 1))})}}},
        {"bps_delta",
         {{"moved-and-repeated", DeltaSeed(bigEndian, {{0, 0x0800, 0xFF}, {0, 0x0400, 0xFF}, {2, 0, 3}, {1, 0x0000, 40}})},
          {"runs-and-new-bytes", DeltaSeed(swapped, {{3, 0x00AA, 200}, {2, 0, 5}, {0, 0x0010, 90}, {3, 0x00FF, 7}})},
          {"no-source", DeltaSeed({}, {{2, 0, 7}, {1, 0x0000, 30}, {3, 0x0041, 64}})}}},
    };
    for (const auto& [target, seeds] : corpora)
        for (const auto& [name, bytes] : seeds)
            if (!Put(root + "/" + target, name, bytes)) return 1;
    return 0;
}
