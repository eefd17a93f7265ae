// CD64: the checksum exchange traces, round trips through the simulated card,
// and the card that stalls, echoes a wrong checksum or is never found.

#include <gtest/gtest.h>

#include <numeric>

#include "TransferRig.h"
#include "transfer/Cd64.h"
#include "transfer/SimCd64.h"

namespace q64::test {
namespace {

using samples::Bytes;

// An image whose bytes sum to `sum` modulo 4096 (its length stays even).
Bytes ImageSummingTo(unsigned sum) {
    Bytes b = samples::MakeImage(SmallImage(64, ImageFormat::BigEndian));
    unsigned total = std::accumulate(b.begin(), b.end(), 0u) & 0xFFF;
    const unsigned missing = (sum + 0x1000 - total) & 0xFFF;
    for (unsigned left = missing; left > 0;) {
        const unsigned byte = left > 0xFF ? 0xFF : left;
        b.push_back(static_cast<std::uint8_t>(byte));
        left -= byte;
    }
    if (b.size() % 2) b.push_back(0);
    return b;
}

TEST(Cd64Checksum, EchoOf0ABThenOKConfirmsTheSend) {
    TransferRig rig;
    auto& card = rig.bus.Attach(std::make_unique<SimCd64>(kCard));
    rig.Configure(2);
    const Bytes file = ImageSummingTo(0x0AB);
    rig.Load("sum.z64", file);
    EXPECT_EQ(rig.Send(), EngineResult::Ok);
    EXPECT_TRUE(card.UploadConfirmed());
    const auto trace = rig.Trace();
    ASSERT_GE(trace.size(), 12u);
    const std::vector<std::string> tail(trace.end() - 12, trace.end());
    EXPECT_EQ(tail, Lines({{'W', 0x310, 0x00}, {'R', 0x312, 0x00}, {'R', 0x310, 0x00},
                           {'W', 0x310, 0xab}, {'R', 0x312, 0x00}, {'R', 0x310, 0xab},
                           {'W', 0x310, 0x00}, {'R', 0x312, 0x00}, {'R', 0x310, 0x4f},
                           {'W', 0x310, 0x00}, {'R', 0x312, 0x00}, {'R', 0x310, 0x4b}}));
}

TEST(Cd64Checksum, SyncCommandAddressAndLengthOpenTheTrace) {
    TransferRig rig;
    rig.bus.Attach(std::make_unique<SimCd64>(kCard));
    ConfigureTransfer(rig.state, rig.image, 2, 1, kLpt, 2, kCard, 'T', 0);
    const Bytes file = ImageSummingTo(0x123);
    rig.Load("a.z64", file);
    EXPECT_EQ(rig.Send(), EngineResult::Ok);
    const auto trace = rig.Trace();
    const std::uint32_t n = static_cast<std::uint32_t>(file.size());
    std::vector<Access> head;
    for (std::uint8_t b : std::vector<std::uint8_t>{'W', 'B', 'T', 0xB4, 0, 0, 0, static_cast<std::uint8_t>(n >> 24),
                                                    static_cast<std::uint8_t>(n >> 16),
                                                    static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)})
        head.push_back({'W', 0x310, b});
    std::vector<std::string> written;
    for (const std::string& line : trace)
        if (line[0] == 'W' && written.size() < head.size()) written.push_back(line);
    EXPECT_EQ(written, Lines(head));
    // Three accesses per data byte when the card is ready at once.
    EXPECT_EQ(trace.size(), 3 * (2 + 1 + 8 + file.size() + 4));
}

TEST(Cd64Checksum, ExchangeKeepsTwelveBits) {
    TransferRig rig;
    rig.bus.Attach(std::make_unique<SimCd64>(kCard));
    rig.Configure(2);
    const Bytes file = ImageSummingTo(0x0EF);
    rig.Load("wrap.z64", file);
    const unsigned full = std::accumulate(file.begin(), file.end(), 0u);
    ASSERT_GT(full, 0xFFFu);
    EXPECT_EQ(rig.Send(), EngineResult::Ok);
    const auto trace = rig.Trace();
    EXPECT_EQ(trace[trace.size() - 12], "W 0310 00");
    EXPECT_EQ(trace[trace.size() - 9], "W 0310 ef");
}

class Cd64RoundTrip : public ::testing::TestWithParam<std::pair<ImageFormat, bool>> {};

TEST_P(Cd64RoundTrip, CardReceivesTheFileOrderUnchanged) {
    const auto [format, compressed] = GetParam();
    TransferRig rig;
    auto& card = rig.bus.Attach(std::make_unique<SimCd64>(kCard));
    card.SetBusyReads(2);
    rig.Configure(2, 2); // "BIOS" plays no part for the CD64
    const auto recipe = SmallImage(30000, format);
    const Bytes plain = samples::MakeImage(recipe);
    rig.Load("c.z64", compressed ? samples::MakeCompressedImage(recipe) : plain);
    EXPECT_EQ(rig.Send(), EngineResult::Ok);
    EXPECT_TRUE(card.UploadConfirmed());
    EXPECT_TRUE(card.Received() == plain);
    EXPECT_EQ(card.Command(), 'X');
    EXPECT_EQ(card.Address(), 0xB4000000u);
    EXPECT_EQ(card.Length(), plain.size());
    // A confirmed compressed send says "Ready" after the checksum and again on success.
    const std::vector<std::string> statuses =
        compressed ? std::vector<std::string>{"Ready", "Ready"}
                   : std::vector<std::string>{"Initialising...", "Sending File...", "Ready"};
    EXPECT_EQ(rig.statuses, statuses);
    // A compressed image counts its body against the whole size S: never 100.
    EXPECT_EQ(rig.progress.back(), compressed ? 99 : 100);
}

INSTANTIATE_TEST_SUITE_P(BothOrdersAndContainers, Cd64RoundTrip,
                         ::testing::Values(std::pair{ImageFormat::BigEndian, false},
                                           std::pair{ImageFormat::ByteSwapped, false},
                                           std::pair{ImageFormat::BigEndian, true},
                                           std::pair{ImageFormat::ByteSwapped, true}));

TEST(Cd64Sync, ReplyRToWButNotWToBIsNotInStepAndAsksProgressOncePerAttempt) {
    TransferRig rig;
    auto& card = rig.bus.Attach(std::make_unique<ScriptedUnit>(kCard, kCard + 2));
    card.Rest(kCard + 2, 0x00);
    card.Rest(kCard, 0x00);
    card.Queue(kCard, {'R', 'X', 'R', 'W'});
    rig.Configure(2);
    EXPECT_EQ(Cd64ReceiveSize(rig.Context(), rig.dir.File("none.z64"), 0), EngineResult::Ok);
    EXPECT_EQ(rig.progress, (std::vector<int>{0, 0}));
    const auto trace = rig.Trace();
    ASSERT_GE(trace.size(), 12u);
    EXPECT_EQ(std::vector<std::string>(trace.begin(), trace.begin() + 12),
              Lines({{'W', 0x310, 'W'}, {'R', 0x312, 0x00}, {'R', 0x310, 'R'},
                     {'W', 0x310, 'B'}, {'R', 0x312, 0x00}, {'R', 0x310, 'X'},
                     {'W', 0x310, 'W'}, {'R', 0x312, 0x00}, {'R', 0x310, 'R'},
                     {'W', 0x310, 'B'}, {'R', 0x312, 0x00}, {'R', 0x310, 'W'}}));
}

TEST(Cd64Sync, BoundedExchangeReadsTheReplyAfterAThousandBusyReads) {
    TransferRig rig;
    auto& card = rig.bus.Attach(std::make_unique<ScriptedUnit>(kCard, kCard + 2));
    card.Rest(kCard + 2, 0x01);
    card.Queue(kCard, {0x52});
    rig.Configure(2);
    EXPECT_EQ(Cd64ExchangeBounded(rig.Context(), 'W'), 0x52);
    std::vector<Access> expected = {{'W', 0x310, 'W'}};
    for (int i = 0; i < 1000; ++i) expected.push_back({'R', 0x312, 0x01});
    expected.push_back({'R', 0x310, 0x52});
    EXPECT_EQ(rig.Trace(), Lines(expected));
}

TEST(Cd64Receive, WritesWhatTheCardHeldFromCartOrDram) {
    for (std::uint8_t source : {0, 1}) {
        TransferRig rig;
        auto& card = rig.bus.Attach(std::make_unique<SimCd64>(kCard));
        const Bytes held = samples::MakeImage(SmallImage(50000, ImageFormat::BigEndian, 5));
        card.SetImage(held);
        ConfigureTransfer(rig.state, rig.image, 2, 1, kLpt, 2, kCard, 'X', source);
        EXPECT_EQ(Cd64ReceiveSize(rig.Context(), rig.dir.File("r.z64"), 50000), EngineResult::Ok);
        EXPECT_TRUE(rig.dir.Read("r.z64") == held);
        EXPECT_EQ(card.Command(), 'G');
        EXPECT_EQ(card.Address(), source == 0 ? 0xB2000000u : 0xB4000000u);
        EXPECT_EQ(rig.statuses, (std::vector<std::string>{"Receiving File...", "Ready"}));
    }
}

TEST(Cd64Receive, SizesInMbit) {
    EXPECT_EQ(Cd64ReceiveBytes(64), 0x800000u);
    EXPECT_EQ(Cd64ReceiveBytes(128), 0x1000000u);
    EXPECT_EQ(Cd64ReceiveBytes(192), 0x1800000u);
    EXPECT_EQ(Cd64ReceiveBytes(256), 0x2000000u);
    EXPECT_EQ(Cd64ReceiveBytes(100), 0u);
}

TEST(Cd64Receive, OddSizeTransfersNothingAndComparesTheChecksumWithZero) {
    TransferRig rig;
    auto& card = rig.bus.Attach(std::make_unique<SimCd64>(kCard));
    rig.Configure(2);
    EXPECT_EQ(rig.Receive(rig.dir.File("empty.z64"), 100), EngineResult::Ok);
    EXPECT_EQ(card.Length(), 0u);
    EXPECT_TRUE(rig.dir.Read("empty.z64").empty());
}

class Cd64Failure : public ::testing::Test {
protected:
    void SetUp() override { rig.dir.Write("keep.z64", old); }
    void ExpectOldFileOnly() {
        EXPECT_TRUE(rig.dir.Read("keep.z64") == old);
        EXPECT_EQ(rig.dir.Names(), (std::vector<std::string>{"keep.z64", "trace.txt"}));
    }
    SimCd64& Card(SimFault fault) {
        auto& card = rig.bus.Attach(std::make_unique<SimCd64>(kCard, fault));
        card.SetImage(samples::MakeImage(SmallImage(8192, ImageFormat::BigEndian)));
        rig.Configure(2);
        return card;
    }
    TransferRig rig;
    Bytes old = samples::MakeImage(SmallImage(1024, ImageFormat::BigEndian, 77));
};

TEST_F(Cd64Failure, WrongChecksumOnReceiveIsReportedAndNothingIsWritten) {
    Card(SimFault::Checksum);
    EXPECT_EQ(Cd64ReceiveSize(rig.Context(), rig.dir.File("keep.z64"), 8192), EngineResult::ErrTransfer);
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_EQ(rig.messages[0].rfind("Checksum mismatch", 0), 0u) << rig.messages[0];
    ExpectOldFileOnly();
}

TEST_F(Cd64Failure, WrongChecksumEchoFailsTheSend) {
    auto& card = Card(SimFault::Checksum);
    rig.Load("send.z64", samples::MakeImage(SmallImage(2000, ImageFormat::BigEndian)));
    EXPECT_EQ(rig.Send(), EngineResult::ErrTransfer);
    EXPECT_TRUE(card.UploadConfirmed()); // the card got it right; its echo was wrong
    EXPECT_NE(rig.statuses.back(), "Ready");
}

TEST_F(Cd64Failure, StallHalfWayEndsWithAMessageInsteadOfHanging) {
    rig.port.SetBackend(rig.bus); // a million polls need no trace
    Card(SimFault::Stall);
    EXPECT_EQ(Cd64ReceiveSize(rig.Context(), rig.dir.File("keep.z64"), 8192), EngineResult::ErrReceive);
    EXPECT_EQ(rig.messages, std::vector<std::string>{"The CD64 stopped answering"});
    EXPECT_EQ(rig.statuses.back(), "Ready");
    ExpectOldFileOnly();
}

TEST_F(Cd64Failure, CancelDuringTheSyncWritesZeroToTheCard) {
    Card(SimFault::Silent);
    rig.Load("send.z64", samples::MakeImage(SmallImage(2000, ImageFormat::BigEndian)));
    rig.CancelAfterProgressCalls(2);
    EXPECT_EQ(rig.Send(), EngineResult::ErrCancelled);
    EXPECT_EQ(rig.statuses, (std::vector<std::string>{"Initialising...", "Ready"}));
    EXPECT_EQ(rig.Trace().back(), "W 0310 00");
}

TEST_F(Cd64Failure, CancelDuringTheReceiveKeepsTheOldFile) {
    Card(SimFault::None);
    rig.CancelAfterProgressCalls(40); // one sync poll, then cancel at 38 %
    EXPECT_EQ(Cd64ReceiveSize(rig.Context(), rig.dir.File("keep.z64"), 8192), EngineResult::ErrCancelled);
    EXPECT_EQ(rig.progress.back(), 38);
    ExpectOldFileOnly();
}

TEST_F(Cd64Failure, CancelDuringTheSendWritesZeroToTheCard) {
    Card(SimFault::None);
    rig.Load("send.z64", samples::MakeImage(SmallImage(20000, ImageFormat::BigEndian)));
    rig.CancelAfterProgressCalls(10);
    EXPECT_EQ(rig.Send(), EngineResult::ErrCancelled);
    EXPECT_EQ(rig.Trace().back(), "W 0310 00");
    EXPECT_EQ(rig.statuses.back(), "Ready");
}

} // namespace
} // namespace q64::test
