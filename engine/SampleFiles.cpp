#include "engine/SampleFiles.h"

#include <cstdio>
#include <sys/stat.h>
#include <zlib.h>

#include "engine/Dx256File.h"
#include "engine/FileChange.h"
#include "engine/MemoryPak.h"
#include "engine/PakText.h"
#include "engine/RomImage.h"

namespace q64::samples {

namespace {

enum class NewFile { Written, Exists, Failed };

// Writes a sample through the file-change mechanism, never over anything
// that is already there (a file, a link, a folder: all are left alone).
NewFile WriteNewFile(const std::string& path, const Bytes& bytes) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) return NewFile::Exists;
    std::string message;
    if (WriteWholeFile(path, std::string(bytes.begin(), bytes.end()), ExistingFile::Refuse, message) == EngineResult::Ok)
        return NewFile::Written;
    return ::lstat(path.c_str(), &info) == 0 ? NewFile::Exists : NewFile::Failed;
}

void PutBig32(Bytes& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<std::uint8_t>(v >> 24);
    b[at + 1] = static_cast<std::uint8_t>(v >> 16);
    b[at + 2] = static_cast<std::uint8_t>(v >> 8);
    b[at + 3] = static_cast<std::uint8_t>(v);
}

// Deterministic filler: a small linear congruential generator.
void Fill(Bytes& b, std::size_t from, std::uint32_t seed) {
    std::uint32_t x = seed * 2654435761u + 12345u;
    for (std::size_t i = from; i < b.size(); ++i) {
        x = x * 1103515245u + 12345u;
        b[i] = static_cast<std::uint8_t>(x >> 16);
    }
}

// CRC-32 of canonical bytes 0x40..0xFFF.
std::uint32_t BootCrc(const Bytes& canonical) {
    return static_cast<std::uint32_t>(crc32(crc32(0L, Z_NULL, 0), canonical.data() + 0x40, 0x1000 - 0x40));
}

void PutBytes32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

} // namespace

Bytes MakeImageWithBootCrc(const ImageRecipe& recipe, std::uint32_t bootCrc) {
    ImageRecipe big = recipe;
    big.format = ImageFormat::BigEndian;
    if (big.sizeBytes < 0x1000) big.sizeBytes = 0x1000;
    Bytes b = MakeImage(big);
    // The CRC is affine in the last four bytes over GF(2): crc(x) = A x + c.
    // Solve A x = target + c by elimination over the 32 columns.
    constexpr std::size_t at = 0x1000 - 4;
    PutBytes32(b, at, 0);
    const std::uint32_t c = BootCrc(b);
    std::uint32_t column[32];
    for (int bit = 0; bit < 32; ++bit) {
        PutBytes32(b, at, 1u << bit);
        column[bit] = BootCrc(b) ^ c;
    }
    // Rows of the augmented system: for output bit r, the input bits that flip it.
    std::uint64_t rows[32];
    for (int r = 0; r < 32; ++r) {
        std::uint64_t row = 0;
        for (int bit = 0; bit < 32; ++bit)
            if ((column[bit] >> r) & 1u) row |= std::uint64_t{1} << bit;
        if (((bootCrc ^ c) >> r) & 1u) row |= std::uint64_t{1} << 32;
        rows[r] = row;
    }
    for (int col = 0, r = 0; col < 32 && r < 32; ++col) {
        int pivot = r;
        while (pivot < 32 && !((rows[pivot] >> col) & 1u)) ++pivot;
        if (pivot == 32) continue;
        std::swap(rows[r], rows[pivot]);
        for (int other = 0; other < 32; ++other)
            if (other != r && ((rows[other] >> col) & 1u)) rows[other] ^= rows[r];
        ++r;
    }
    std::uint32_t x = 0;
    for (int r = 0; r < 32; ++r) {
        const std::uint32_t coefficients = static_cast<std::uint32_t>(rows[r]);
        if (coefficients == 0) continue;
        int bit = 0;
        while (!((coefficients >> bit) & 1u)) ++bit;
        if ((rows[r] >> 32) & 1u) x |= 1u << bit;
    }
    PutBytes32(b, at, x);
    return InOrder(std::move(b), recipe.format);
}

Bytes SwapPairs(Bytes bytes) {
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) std::swap(bytes[i], bytes[i + 1]);
    return bytes;
}

Bytes ReverseWords(Bytes bytes) {
    for (std::size_t i = 0; i + 3 < bytes.size(); i += 4) {
        std::swap(bytes[i], bytes[i + 3]);
        std::swap(bytes[i + 1], bytes[i + 2]);
    }
    return bytes;
}

Bytes InOrder(Bytes canonical, ImageFormat format) {
    switch (format) {
    case ImageFormat::ByteSwapped: return SwapPairs(std::move(canonical));
    case ImageFormat::BigEndian: return canonical;
    case ImageFormat::LittleEndian: return ReverseWords(std::move(canonical));
    }
    return canonical;
}

Bytes MakeImage(const ImageRecipe& recipe) {
    Bytes b(recipe.sizeBytes < header::kSize ? header::kSize : recipe.sizeBytes, 0);
    Fill(b, header::kSize, recipe.seed);
    PutBig32(b, header::kBootWord, 0x80371240u);
    PutBig32(b, 0x04, 0x0000000Fu);
    PutBig32(b, 0x08, 0x80000400u);
    for (std::size_t i = 0; i < header::kTitleLength; ++i)
        b[header::kTitle + i] = i < recipe.title.size() ? static_cast<std::uint8_t>(recipe.title[i]) : ' ';
    b[header::kMakerCode] = recipe.maker;
    b[header::kCartId] = recipe.cartId.size() > 0 ? static_cast<std::uint8_t>(recipe.cartId[0]) : ' ';
    b[header::kCartId + 1] = recipe.cartId.size() > 1 ? static_cast<std::uint8_t>(recipe.cartId[1]) : ' ';
    b[header::kTerritory] = recipe.territory;
    return InOrder(std::move(b), recipe.format);
}

Bytes MakeCompressedImage(const ImageRecipe& recipe, int level) {
    const Bytes plain = MakeImage(recipe);
    Bytes out(plain.begin(), plain.begin() + header::kSize);
    out[recipe.format == ImageFormat::BigEndian ? 2 : 3] = 0x13;
    const std::uint32_t size = static_cast<std::uint32_t>(plain.size());
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
    uLongf bound = compressBound(static_cast<uLong>(plain.size() - header::kSize));
    Bytes body(bound);
    compress2(body.data(), &bound, plain.data() + header::kSize, static_cast<uLong>(plain.size() - header::kSize),
              level);
    out.insert(out.end(), body.begin(), body.begin() + static_cast<std::ptrdiff_t>(bound));
    return out;
}

Bytes MakeBios() {
    Bytes b(static_cast<std::size_t>(kBiosFileSize), 0);
    Fill(b, 0, 7);
    b[kBiosSignatureOffset] = 0x48;
    b[kBiosSignatureOffset + 1] = 0x48;
    b[kBiosSignatureOffset + 2] = 0x8A;
    return b;
}

Bytes MakeIps(const std::vector<IpsRecord>& records, bool withEof) {
    Bytes b = {'P', 'A', 'T', 'C', 'H'};
    for (const IpsRecord& r : records) {
        b.push_back(static_cast<std::uint8_t>(r.offset >> 16));
        b.push_back(static_cast<std::uint8_t>(r.offset >> 8));
        b.push_back(static_cast<std::uint8_t>(r.offset));
        if (r.runLength != 0) {
            b.insert(b.end(), {0, 0, static_cast<std::uint8_t>(r.runLength >> 8),
                               static_cast<std::uint8_t>(r.runLength), r.data.empty() ? std::uint8_t{0} : r.data[0]});
        } else {
            b.push_back(static_cast<std::uint8_t>(r.data.size() >> 8));
            b.push_back(static_cast<std::uint8_t>(r.data.size()));
            b.insert(b.end(), r.data.begin(), r.data.end());
        }
    }
    if (withEof) b.insert(b.end(), {'E', 'O', 'F'});
    return b;
}

Bytes MakeSavRam() {
    Bytes b(static_cast<std::size_t>(kSavRamSize), 0);
    Fill(b, 0, 3);
    b[0] = 0x00; // never "PATCH" or "SAVEN64"
    return b;
}

Bytes MakeTaggedSave(const std::string& title) {
    Bytes b = {'S', 'A', 'V', 'E', 'N', '6', '4'};
    for (std::size_t i = 0; i < 20; ++i) b.push_back(i < title.size() ? static_cast<std::uint8_t>(title[i]) : ' ');
    Bytes body(2048, 0);
    Fill(body, 0, 5);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

Bytes MakeDx256(int usedRooms) {
    Bytes b(static_cast<std::size_t>(kDx256FileSize), 0);
    // Rooms are 512-byte blocks; a used room holds non-zero data.
    for (int room = 0; room < usedRooms && room < 256; ++room)
        for (std::size_t i = 0; i < 512; ++i) b[static_cast<std::size_t>(room) * 512 + i] = static_cast<std::uint8_t>(room + i + 1);
    b[0] = 0x01; // never "PATCH", "SAVEN64" or an image boot word
    return b;
}

Bytes MakeDx256WithRooms(const std::vector<std::pair<int, int>>& usedRooms) {
    Bytes b(static_cast<std::size_t>(kDx256FileSize), 0);
    for (const auto& [bank, slot] : usedRooms) {
        if (!IsValidRoom(bank, slot)) continue;
        const std::size_t at = RoomOffset(bank, slot);
        for (std::size_t i = 0; i < dx256::kRoomSize; ++i)
            b[at + i] = static_cast<std::uint8_t>((i * 7 + static_cast<std::size_t>(bank * 16 + slot)) | 1);
    }
    return b;
}

namespace {
// Descriptions for the rooms MakeDx256() fills, in the description file's line format.
Bytes MakeDx256Descriptions() {
    const std::string text = "; Quorvel64 sample room descriptions\r\nBankO13=Sample_Racer_Times\r\n"
                             "BankO14=Sample_Quest_Slot_1\r\nBankO15=Sample_Kart_Ghost\r\n";
    return Bytes(text.begin(), text.end());
}
} // namespace

Bytes MakePakNote(const std::string& gameCode, const std::string& publisher, const std::string& name, int pages,
                  std::uint32_t seed) {
    Bytes note = {1, 'M', 'P', 'K', 'N', 'o', 't', 'e', 0, 0, 0, 0, 0, 0, 0, 0};
    Bytes entry(mempak::kNoteEntrySize, 0);
    for (std::size_t i = 0; i < 4 && i < gameCode.size(); ++i) entry[i] = static_cast<std::uint8_t>(gameCode[i]);
    for (std::size_t i = 0; i < 2 && i < publisher.size(); ++i) entry[4 + i] = static_cast<std::uint8_t>(publisher[i]);
    entry[6] = 0xCA;
    entry[7] = 0xFE;
    entry[8] = mempak::kNoteFlag;
    std::string bad;
    const auto codes = EncodePakText(name, bad);
    for (std::size_t i = 0; codes && i < codes->size() && i < 16; ++i) entry[16 + i] = (*codes)[i];
    note.insert(note.end(), entry.begin(), entry.end());
    std::uint32_t x = seed * 2654435761u + 1;
    for (std::size_t i = 0; i < mempak::kPageSize * static_cast<std::size_t>(pages); ++i) {
        x = x * 1103515245u + 12345u;
        note.push_back(static_cast<std::uint8_t>(x >> 16));
    }
    return note;
}

Bytes MakeMemoryPak(int notes, int pagesEach) {
    PakData pak = FormatPak(0x5153414D504C45ull);
    for (int n = 1; n <= notes; ++n) {
        std::string message;
        ImportNote(pak, MakePakNote("NQS" + std::string(1, static_cast<char>('A' + (n - 1) % 26)), "01",
                                    "NOTE " + std::to_string(n), pagesEach, static_cast<std::uint32_t>(n)),
                   message);
    }
    return pak;
}

Bytes MakeText() {
    const std::string text = "Synthetic sample notes for Quorvel64.\n";
    return Bytes(text.begin(), text.end());
}

Bytes MakeUnknown() {
    Bytes b(1000, 0);
    Fill(b, 0, 9);
    b[0] = 0x00;
    return b;
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

Bytes ReadFile(const std::string& path) {
    Bytes out;
    std::FILE* f = OpenForReading(path); // a pipe or device reads as nothing, never blocks
    if (!f) return out;
    unsigned char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.insert(out.end(), buffer, buffer + n);
    std::fclose(f);
    return out;
}

std::vector<std::pair<std::string, Bytes>> SampleSet() {
    ImageRecipe usa;
    usa.title = "SAMPLE RACER";
    usa.cartId = "SR";
    usa.territory = 'E';
    ImageRecipe jap;
    jap.title = "SAMPLE QUEST";
    jap.cartId = "SQ";
    jap.territory = 'J';
    jap.format = ImageFormat::ByteSwapped;
    jap.seed = 2;
    ImageRecipe pal;
    pal.title = "SAMPLE KART";
    pal.cartId = "SK";
    pal.territory = 'P';
    pal.maker = 'Q';
    pal.seed = 3;

    return {
        {"Sample Racer (U).z64", MakeImage(usa)},
        {"Sample Quest (J).v64", MakeImage(jap)},
        {"Sample Kart (E).z64", MakeCompressedImage(pal)},
        {"DRJR.BIN", MakeBios()},
        {"Sample Fix.ips", MakeIps({{0x1000, {1, 2, 3, 4}, 0}, {0x2000, {0xAA}, 16}})},
        {"Sample Racer.sav", MakeSavRam()},
        {"Sample Quest.n64", MakeTaggedSave("SAMPLE QUEST SAVE")},
        {"Sample Memory.dx2", MakeDx256()},
        {"Sample Memory.DXD", MakeDx256Descriptions()},
        {"Sample Paks.mpk", MakeMemoryPak()},
        {"Readme.txt", MakeText()},
        {"Unknown.dat", MakeUnknown()},
    };
}

SampleSetOutcome WriteNewSamples(const std::string& folder) {
    SampleSetOutcome outcome;
    for (const auto& [name, bytes] : SampleSet()) {
        switch (WriteNewFile(folder + "/" + name, bytes)) {
        case NewFile::Written: outcome.written.push_back(name); break;
        case NewFile::Exists: outcome.skipped.push_back(name); break;
        case NewFile::Failed: outcome.failed = name; return outcome;
        }
    }
    return outcome;
}

std::vector<std::string> WriteSampleSet(const std::string& folder) {
    const SampleSetOutcome outcome = WriteNewSamples(folder);
    if (!outcome.failed.empty()) return {};
    std::vector<std::string> names;
    for (const auto& [name, bytes] : SampleSet()) names.push_back(name);
    return names;
}

} // namespace q64::samples
