// Golden traces of SummerCart64 uploads, one table: what goes over the wire
// for each kind of image and cart, command by command and argument by
// argument, in the order the cart's maker's loader sends them (less its
// read-backs of state it has just set). Command data and answer data appear
// as their CRC-32 ("c=") next to the image bytes they must be.

#include <gtest/gtest.h>

#include <variant>
#include <zlib.h>

#include "engine/SampleFiles.h"
#include "support/TempDir.h"
#include "transfer/Sc64.h"
#include "transfer/Sc64Cic.h"
#include "transfer/SimSc64.h"

namespace q64::test {
namespace {

using samples::Bytes;

std::string Hex32(std::uint32_t v) {
    char text[12];
    std::snprintf(text, sizeof text, "%08x", v);
    return text;
}

std::string Crc(const std::uint8_t* bytes, std::size_t count) {
    return "c=" + Hex32(static_cast<std::uint32_t>(crc32(crc32(0, Z_NULL, 0), bytes, static_cast<uInt>(count))));
}

std::uint32_t Be32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 | std::uint32_t{b[at + 2]} << 8 | b[at + 3];
}

// Passes bytes to the simulated cart and writes down, in wire order, each
// command ("M 00000000 00100000 c=..."; id, both arguments, its data's CRC)
// and each answer that says more than a bare CMP ("< CMP v 53437632";
// data up to 8 bytes in hex, longer data as length and CRC).
class WireSummary final : public ByteStream {
public:
    explicit WireSummary(ByteStream& inner) : inner_(inner) {}
    StreamResult Write(const std::uint8_t* bytes, std::size_t count, int waitMs, std::size_t& written) override {
        const StreamResult r = inner_.Write(bytes, count, waitMs, written);
        Take(tx_, bytes, written, 12, true);
        return r;
    }
    StreamResult Read(std::uint8_t* bytes, std::size_t max, int waitMs, std::size_t& got) override {
        const StreamResult r = inner_.Read(bytes, max, waitMs, got);
        Take(rx_, bytes, got, 8, false);
        return r;
    }
    bool ResetCommunication() override {
        lines.push_back("RESET");
        tx_ = {};
        rx_ = {};
        return inner_.ResetCommunication();
    }
    std::string Name() const override { return inner_.Name(); }

    std::vector<std::string> lines;

private:
    struct Packet {
        std::vector<std::uint8_t> head;
        std::vector<std::uint8_t> first; // the data's first 8 bytes
        std::uint32_t left = 0, size = 0;
        uLong crc = crc32(0, Z_NULL, 0);
    };

    void Take(Packet& p, const std::uint8_t* bytes, std::size_t count, std::size_t headSize, bool command) {
        while (count != 0) {
            std::size_t n = 1;
            if (p.head.size() < headSize) {
                p.head.push_back(*bytes);
                if (p.head.size() == headSize) {
                    const std::uint32_t length = Be32(p.head, headSize - 4);
                    p.left = p.size = command ? (p.head[3] == 'M' ? length : 0) : length;
                    if (p.left == 0) Finish(p, command);
                }
            } else {
                n = std::min<std::size_t>(count, p.left);
                for (std::size_t i = 0; i < n && p.first.size() < 8; ++i) p.first.push_back(bytes[i]);
                p.crc = crc32(p.crc, bytes, static_cast<uInt>(n));
                p.left -= static_cast<std::uint32_t>(n);
                if (p.left == 0) Finish(p, command);
            }
            bytes += n;
            count -= n;
        }
    }

    void Finish(Packet& p, bool command) {
        const char id = static_cast<char>(p.head[3]);
        const std::string crc = "c=" + Hex32(static_cast<std::uint32_t>(p.crc));
        if (command) {
            std::string line = std::string(1, id) + " " + Hex32(Be32(p.head, 4)) + " " + Hex32(Be32(p.head, 8));
            if (p.size != 0) line += " " + crc;
            lines.push_back(line);
        } else {
            const std::string token(p.head.begin(), p.head.begin() + 3);
            if (token != "CMP" || p.size != 0) {
                std::string line = "< " + token + " " + id;
                if (p.size <= 8 && p.size % 4 == 0)
                    for (std::size_t at = 0; at < p.size; at += 4) line += " " + Hex32(Be32(p.first, at));
                else
                    line += " " + std::to_string(p.size) + " " + crc;
                lines.push_back(line);
            }
        }
        p = {};
    }

    ByteStream& inner_;
    Packet tx_, rx_;
};

// The image bytes at canonical [offset, offset+length) written at `address`
// in MEMORY_WRITEs of 1 MiB.
struct Writes {
    std::uint32_t address, offset, length;
};
using Step = std::variant<std::string, Writes>;

struct UploadCase {
    const char* name;
    std::size_t size;
    ImageFormat format;
    bool boot6105;
    Sc64SendOptions options;
    void (*prepare)(SimSc64&);
    std::vector<Step> steps;
};

constexpr const char* kOpen[] = {"RESET", "v 00000000 00000000", "< CMP v 53437632", "V 00000000 00000000",
                                 "< CMP V 00020014 00000002", "R 00000000 00000000"};
// The bootloader's boot code, read from the cart (erased flash in the
// simulation), signed with the 6102 seed and the checksum the maker's
// algorithm gives for 4032 bytes of 0xFF.
const char* const kBootloaderRead = "m 04e00040 00000fc0";
const char* const kBootloaderCic = "B 003f0f74 e8302797";
constexpr std::uint32_t kMiB = 1u << 20;

void Fresh(SimSc64&) {}

// Left by the cart's menu or an earlier tool: all of it must go.
void Leftovers(SimSc64& cart) {
    cart.SetConfig(SimSc64Cart::kTvType, 0);           // PAL forced
    cart.SetConfig(SimSc64Cart::kRomShadowEnable, 1);
    cart.SetConfig(SimSc64Cart::kRomExtendedEnable, 1);
    cart.SetConfig(SimSc64Cart::kDdMode, 3);           // 64DD registers and IPL
    cart.SetConfig(SimSc64Cart::kIsvAddress, 0x03FF0000);
    cart.SetConfig(SimSc64Cart::kBootMode, 3);
    cart.SetConfig(SimSc64Cart::kSaveType, 4);
    cart.SetConfig(SimSc64Cart::kCicSeed, 0x91);
    cart.SetMemory(0, Bytes(3 * kMiB, 0xEE));
}

void Clogging(SimSc64& cart) { cart.FailAt('M', Sc64Fault::Clog, 1); }

std::vector<std::string> Expand(const UploadCase& c, const Bytes& canonical) {
    std::vector<std::string> lines(std::begin(kOpen), std::end(kOpen));
    for (const Step& step : c.steps) {
        if (const std::string* text = std::get_if<std::string>(&step)) {
            lines.push_back(*text);
            continue;
        }
        const Writes w = std::get<Writes>(step);
        for (std::uint32_t at = 0; at < w.length; at += kMiB) {
            const std::uint32_t n = std::min(kMiB, w.length - at);
            lines.push_back("M " + Hex32(w.address + at) + " " + Hex32(n) + " " +
                            Crc(canonical.data() + w.offset + at, n));
        }
    }
    return lines;
}

std::vector<UploadCase> Cases() {
    const std::string read = "< CMP m 4032 " + Crc(Bytes(4032, 0xFF).data(), 4032);
    const std::string clog = "< PKT U 65536 " + Crc(Bytes(SimSc64::kClogPacketBytes, 'c').data(), 65536);
    constexpr std::uint32_t kBelowSaves = 0x03FE0000;
    const std::vector<Step> shadow = {Writes{0, 0, kBelowSaves}, "C 00000002 00000001", "p 00000000 00000000",
                                      "< CMP p 00020000", "P 04fe0000 00000000",
                                      Writes{0x04FE0000, kBelowSaves, 0x20000}, "p 00000001 00000000",
                                      "< CMP p 00020000"};
    std::vector<Step> big64 = shadow, big66 = shadow;
    for (const Step& s : {Step{"C 0000000e 00000000"}, Step{"C 00000006 00000004"}, Step{"C 00000005 00000001"},
                          Step{kBootloaderRead}, Step{read}, Step{kBootloaderCic}})
        big64.push_back(s);
    for (const Step& s : {Step{"C 0000000e 00000001"}, Step{"p 00000000 00000000"}, Step{"< CMP p 00020000"}})
        big66.push_back(s);
    for (std::uint32_t a = 0x04000000; a < 0x04200000; a += 0x20000) big66.push_back("P " + Hex32(a) + " 00000000");
    for (const Step& s : {Step{Writes{0x04000000, 0x04000000, 2 * kMiB}}, Step{"p 00000001 00000000"},
                          Step{"< CMP p 00020000"}, Step{"C 00000006 00000000"}, Step{"C 00000005 00000001"},
                          Step{kBootloaderRead}, Step{read}, Step{kBootloaderCic}})
        big66.push_back(s);
    const auto small = [&](const char* saveType) {
        return std::vector<Step>{Writes{0, 0, kMiB + 0x10000}, "C 00000002 00000000", "C 0000000e 00000000",
                                 saveType, "C 00000005 00000001", kBootloaderRead, read, kBootloaderCic};
    };
    std::vector<Step> ntsc = small("C 00000006 00000003");
    ntsc.insert(ntsc.begin() + 5, "C 00000008 00000001");

    return {
        {"small image, EEPROM 4k", kMiB + 0x10000, ImageFormat::BigEndian, false, {1, 1, 3}, Fresh,
         small("C 00000006 00000001")},
        {"byte-swapped, SRAM 256k, NTSC forced", kMiB + 0x10000, ImageFormat::ByteSwapped, false, {3, 1, 1}, Fresh,
         ntsc},
        {"direct boot of a 6105 image", kMiB, ImageFormat::BigEndian, true, {0, 3, 3}, Fresh,
         {Writes{0, 0, kMiB}, "C 00000002 00000000", "C 0000000e 00000000", "C 00000006 00000000",
          "C 00000005 00000003", "B 0091a603 e02a8020"}}, // the maker's algorithm over this boot code, seed 0x91
        {"64 MiB with FlashRAM", 64 * kMiB, ImageFormat::BigEndian, false, {4, 1, 3}, Fresh, big64},
        {"66 MiB", 66 * kMiB, ImageFormat::BigEndian, false, {0, 1, 3}, Fresh, big66},
        {"clogging cart", 2 * kMiB, ImageFormat::BigEndian, false, {1, 1, 3}, Clogging,
         {clog, Writes{0, 0, 2 * kMiB}, "C 00000002 00000000", "C 0000000e 00000000", "C 00000006 00000001",
          "C 00000005 00000001", kBootloaderRead, read, kBootloaderCic}},
        {"cart with leftovers", kMiB + 0x10000, ImageFormat::BigEndian, false, {1, 1, 3}, Leftovers,
         small("C 00000006 00000001")},
    };
}

TEST(Sc64Upload, TracesFollowTheMakersLoaderCommandForCommand) {
    constexpr std::uint32_t kBootCrc6105 = 0x98BC2C86u;
    for (const UploadCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        samples::ImageRecipe recipe;
        recipe.sizeBytes = c.size;
        recipe.seed = 7;
        const Bytes canonical =
            c.boot6105 ? samples::MakeImageWithBootCrc(recipe, kBootCrc6105) : samples::MakeImage(recipe);
        const std::string path = dir.Write("image", samples::InOrder(canonical, c.format));
        RomImage image;
        std::vector<std::string> messages, statuses;
        image.SetMessageSink([&](const std::string& text) { messages.push_back(text); });
        ASSERT_EQ(image.Identify(path), EngineResult::Ok);
        TransferCallbacks calls;
        calls.status = [&](const std::string& text) { statuses.push_back(text); };

        SimSc64 cart;
        c.prepare(cart);
        SimSc64Stream sim(cart);
        WireSummary wire(sim);
        ASSERT_EQ(Sc64Send(Sc64Context{wire, image, calls, {}}, c.options), EngineResult::Ok)
            << (messages.empty() ? "" : messages.front());

        EXPECT_EQ(wire.lines, Expand(c, canonical));

        // What the cart now holds and how it is set.
        const auto slice = [&](std::size_t from, std::size_t n) {
            return Bytes(canonical.begin() + static_cast<std::ptrdiff_t>(from),
                         canonical.begin() + static_cast<std::ptrdiff_t>(from + n));
        };
        const std::uint32_t sdram = c.size > 0x03FE0000 ? 0x03FE0000 : static_cast<std::uint32_t>(c.size);
        EXPECT_TRUE(cart.Memory(0, sdram) == slice(0, sdram));
        if (c.size > 0x03FE0000) {
            EXPECT_TRUE(cart.Memory(0x04FE0000, 0x20000) == slice(0x03FE0000, 0x20000));
        }
        if (c.size > 64 * kMiB) {
            EXPECT_TRUE(cart.Memory(0x04000000, 2 * kMiB) == slice(64 * kMiB, 2 * kMiB));
        }
        EXPECT_FALSE(cart.FlashBusy());
        EXPECT_EQ(cart.Config(SimSc64Cart::kSaveType), static_cast<std::uint32_t>(c.options.saveType));
        EXPECT_EQ(cart.Config(SimSc64Cart::kBootMode), c.options.bootMode);
        EXPECT_EQ(cart.Config(SimSc64Cart::kTvType), static_cast<std::uint32_t>(c.options.tvType));
        EXPECT_EQ(cart.Config(SimSc64Cart::kRomShadowEnable) != 0, c.size > 0x03FE0000);
        EXPECT_EQ(cart.Config(SimSc64Cart::kRomExtendedEnable) != 0, c.size > 64 * kMiB);
        EXPECT_EQ(cart.Config(SimSc64Cart::kDdMode), 0u);
        EXPECT_EQ(cart.Config(SimSc64Cart::kIsvAddress), 0u);
        EXPECT_EQ(cart.Config(SimSc64Cart::kCicSeed), 0xFFFFu); // the bootloader finds the seed itself
        EXPECT_EQ(statuses.back(), "Ready");
        EXPECT_TRUE(messages.empty());
    }
}

} // namespace
} // namespace q64::test
