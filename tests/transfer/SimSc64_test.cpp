// The simulated SummerCart64 held against its firmware (usb.c, cfg.c,
// flash.c): one conversation, packet by packet, with the exact answers the
// firmware gives, then its reset line.

#include <gtest/gtest.h>

#include "transfer/Sc64Link.h"
#include "transfer/SimSc64.h"
#include "transfer/TracingStream.h"

namespace q64::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Cmd(char id, std::uint32_t arg0, std::uint32_t arg1, const Bytes& data = {}) {
    Bytes b(12);
    EncodeCommand(static_cast<std::uint8_t>(id), arg0, arg1, b.data());
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

// "CMP"/"ERR", id, length and data as a trace line shows them.
std::string Reply(const char* token, char id, const Bytes& data = {}) {
    Bytes b = {static_cast<std::uint8_t>(token[0]), static_cast<std::uint8_t>(token[1]),
               static_cast<std::uint8_t>(token[2]), static_cast<std::uint8_t>(id), 0, 0, 0, 0};
    PutBigEndian32(static_cast<std::uint32_t>(data.size()), &b[4]);
    b.insert(b.end(), data.begin(), data.end());
    return StreamTraceLine("RX", b.data(), b.size());
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Word(std::uint32_t v) { return {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)}; }

struct Exchange {
    const char* what;
    Bytes request;
    std::string reply; // empty: none
};

TEST(SimSc64, AnswersAsTheFirmwareDoes) {
    const Exchange exchanges[] = {
        {"unknown command: ERR with 0xFFFFFFFF", Cmd('Z', 0, 0), Reply("ERR", 'Z', Word(0xFFFFFFFF))},
        {"CONFIG_GET of an unknown id: ERR with the value sent", Cmd('c', 15, 0x1234), Reply("ERR", 'c', Word(0x1234))},
        {"CONFIG_SET of an unknown id: ERR, no data", Cmd('C', 15, 0), Reply("ERR", 'C')},
        {"the button state is read-only", Cmd('C', 12, 1), Reply("ERR", 'C')},
        {"a switch takes any value", Cmd('C', 2, 5), Reply("CMP", 'C')},
        {"and reads back as its register bit", Cmd('c', 2, 0), Reply("CMP", 'c', Word(8))},
        {"ROM extended reads back as bit 11", Cmd('C', 14, 1) + Cmd('c', 14, 0),
         Reply("CMP", 'C') + "\n" + Reply("CMP", 'c', Word(0x800))},
        {"boot mode 5 does not exist", Cmd('C', 5, 5), Reply("ERR", 'C')},
        {"save type 8 does not exist", Cmd('C', 6, 8), Reply("ERR", 'C')},
        {"CIC seed 0x100 is out of range", Cmd('C', 7, 0x100), Reply("ERR", 'C')},
        {"memory read of zero bytes", Cmd('m', 0, 0), Reply("ERR", 'm')},
        {"memory read past the map", Cmd('m', 0x05002C7C, 8), Reply("ERR", 'm')},
        {"memory read at the map's end", Cmd('m', 0x05002C7C, 4), Reply("CMP", 'm', Word(0))},
        {"memory write of zero bytes", Cmd('M', 0, 0), Reply("ERR", 'M')},
        {"a write to the bootloader takes its data, then ERR", Cmd('M', 0x04E00000, 4, Word(0x11223344)) + Cmd('v', 0, 0),
         Reply("ERR", 'M') + "\n" + Reply("CMP", 'v', {'S', 'C', 'v', '2'})},
        {"STATE_RESET", Cmd('C', 0, 0) + Cmd('C', 8, 0) + Cmd('R', 0, 0) + Cmd('c', 0, 0) + Cmd('c', 8, 0),
         Reply("CMP", 'C') + "\n" + Reply("CMP", 'C') + "\n" + Reply("CMP", 'R') + "\n" +
             Reply("CMP", 'c', Word(0)) + "\n" + Reply("CMP", 'c', Word(3))}, // switch left alone, TV back to 3
        {"CIC_PARAMS_SET is kept", Cmd('B', 0x00910102, 0x03040506), Reply("CMP", 'B')},
        {"FLASH_WAIT_BUSY gives the erase block", Cmd('p', 0, 0), Reply("CMP", 'p', Word(0x20000))},
        {"erase off a block", Cmd('P', 0x04010000, 0), Reply("ERR", 'P')},
        {"erase in the bootloader", Cmd('P', 0x04E00000, 0), Reply("ERR", 'P')},
        {"erase outside flash", Cmd('P', 0x00000000, 0), Reply("ERR", 'P')},
        {"flash programming only clears bits", Cmd('P', 0x04FE0000, 0) + Cmd('M', 0x04FE0000, 4, Word(0x0F0F00FF)) +
             Cmd('M', 0x04FE0000, 4, Word(0xFFF0F0FF)) + Cmd('m', 0x04FE0000, 4),
         Reply("CMP", 'P') + "\n" + Reply("CMP", 'M') + "\n" + Reply("CMP", 'M') + "\n" +
             Reply("CMP", 'm', Word(0x0F0000FF))},
    };
    SimSc64 cart;
    for (const Exchange& e : exchanges) {
        SCOPED_TRACE(e.what);
        EXPECT_EQ(cart.Feed(e.request.data(), e.request.size()), e.request.size());
        std::string replies;
        // One packet per line, as the cart sends them.
        for (std::uint8_t head[8]; cart.Take(head, 8) == 8;) {
            Bytes packet(head, head + 8);
            Bytes data(BigEndian32(head + 4));
            packet.insert(packet.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(cart.Take(data.data(), data.size())));
            replies += (replies.empty() ? "" : "\n") + StreamTraceLine("RX", packet.data(), packet.size());
        }
        EXPECT_EQ(replies, e.reply);
    }
    EXPECT_EQ(cart.CicParams(), (std::array<std::uint32_t, 2>{0x00910102, 0x03040506}));
    EXPECT_TRUE(cart.FlashBusy()); // written, not waited for
    const Bytes wait = Cmd('p', 1, 0);
    cart.Feed(wait.data(), wait.size());
    EXPECT_FALSE(cart.FlashBusy());
}

// Raising DTR drops a half-received packet and what was not yet sent; DSR
// follows DTR; bytes sent while DTR is up are lost.
TEST(SimSc64, TheResetLineDropsWhatIsUnderWay) {
    SimSc64 cart;
    cart.QueuePacket('U', {1, 2, 3});
    const Bytes half = Cmd('M', 0, 16, Word(0x55555555));
    cart.Feed(half.data(), half.size());
    EXPECT_TRUE(cart.MidPacket());
    EXPECT_FALSE(cart.Dsr());
    cart.SetDtr(true);
    EXPECT_TRUE(cart.Dsr());
    EXPECT_FALSE(cart.MidPacket());
    EXPECT_EQ(cart.Pending(), 0u);
    const Bytes lost = Cmd('v', 0, 0);
    cart.Feed(lost.data(), lost.size());
    cart.SetDtr(false);
    EXPECT_FALSE(cart.Dsr());
    EXPECT_EQ(cart.Pending(), 0u);
    cart.Feed(lost.data(), lost.size());
    EXPECT_EQ(cart.Pending(), 12u); // CMP v and "SCv2"
}

} // namespace
} // namespace q64::test
