// SP64/Wildcard: pulse and block traces, block numbering, round trips of
// plain and compressed images in both byte orders, cancel.

#include <gtest/gtest.h>

#include "TransferRig.h"
#include "transfer/SimSp64.h"
#include "transfer/Sp64.h"

namespace q64::test {
namespace {

using samples::Bytes;

std::vector<Access> Strobe() {
    return {{'W', 0x37a, 0x05}, {'W', 0x37a, 0x05}, {'W', 0x37a, 0x04}, {'W', 0x37a, 0x04}};
}

std::vector<Access> Byte(std::uint8_t b) {
    std::vector<Access> out = {{'W', 0x378, b}};
    for (const Access& a : Strobe()) out.push_back(a);
    return out;
}

TEST(SpSignals, ResetPulseIs100Then200Then100Writes) {
    TransferRig rig;
    rig.Configure(1);
    SpResetPulse(rig.Context());
    SpStrobe(rig.Context());
    std::vector<Access> expected;
    for (int i = 0; i < 100; ++i) expected.push_back({'W', 0x37a, 0x04});
    for (int i = 0; i < 200; ++i) expected.push_back({'W', 0x37a, 0x06});
    for (int i = 0; i < 100; ++i) expected.push_back({'W', 0x37a, 0x04});
    for (const Access& a : Strobe()) expected.push_back(a);
    EXPECT_EQ(rig.Trace(), Lines(expected));
}

TEST(SpBlocks, NumberingCrosses00FFFFTo010000) {
    TransferRig rig;
    rig.Configure(1);
    const std::uint8_t data[] = {0xDE, 0xAD};
    SpSendBlock(rig.Context(), 0x00FFFF, data, 2);
    SpSendBlock(rig.Context(), 0x010000, data, 1);
    std::vector<Access> expected;
    for (std::uint8_t b : {0x00, 0xFF, 0xFF, 0xDE, 0xAD, 0x01, 0x00, 0x00, 0xDE})
        for (const Access& a : Byte(b)) expected.push_back(a);
    EXPECT_EQ(rig.Trace(), Lines(expected));
}

std::vector<Access> Reset() {
    std::vector<Access> out;
    for (int i = 0; i < 100; ++i) out.push_back({'W', 0x37a, 0x04});
    for (int i = 0; i < 200; ++i) out.push_back({'W', 0x37a, 0x06});
    for (int i = 0; i < 100; ++i) out.push_back({'W', 0x37a, 0x04});
    return out;
}

TEST(SpSend, WholeTraceOfAOneBlockImage) {
    TransferRig rig;
    rig.Configure(1);
    const Bytes file = samples::MakeImage(SmallImage(128, ImageFormat::ByteSwapped));
    rig.Load("one.v64", file);
    EXPECT_EQ(rig.Send(), EngineResult::Ok);
    std::vector<Access> expected;
    auto add = [&](const std::vector<Access>& part) { expected.insert(expected.end(), part.begin(), part.end()); };
    for (std::uint8_t command : {0x00, 0x00, 0x52}) {
        add(Reset());
        add(Byte(command));
    }
    for (std::uint8_t number : {0x00, 0x00, 0x00}) add(Byte(number));
    for (std::size_t i = 0; i < file.size(); ++i) add(Byte(file[i ^ 1])); // pairs exchanged
    add(Reset());
    add(Byte(0xCC));
    EXPECT_EQ(rig.Trace(), Lines(expected));
    EXPECT_EQ(rig.progress, std::vector<int>{100});
}

TEST(SpSend, SixHundredBytesGoOutAsThreeNumberedBlocks) {
    TransferRig rig;
    auto& unit = rig.bus.Attach(std::make_unique<SimSp64>(kLpt));
    rig.Configure(1);
    const Bytes file = samples::MakeImage(SmallImage(600, ImageFormat::BigEndian));
    rig.Load("six.z64", file);
    EXPECT_EQ(rig.Send(), EngineResult::Ok);
    EXPECT_EQ(unit.BlockNumbers(), (std::vector<std::uint32_t>{0, 1, 2}));
    EXPECT_TRUE(unit.Received() == file);
    EXPECT_TRUE(unit.Closed());
    EXPECT_EQ(unit.Commands(), (std::vector<std::uint8_t>{0x00, 0x00, 'R', 0xCC}));
    EXPECT_EQ(rig.statuses, (std::vector<std::string>{"Initialising...", "Sending File...", "Ready"}));
    // Five writes per data byte and per block number byte, 405 per command byte.
    EXPECT_EQ(rig.bus.Writes(), 5u * (600 + 3 * 3) + 405u * 4);
    EXPECT_EQ(rig.bus.Reads(), 0u);
}

TEST(SpSend, ByteSwappedImageStartsWith8037_1240) {
    TransferRig rig;
    auto& unit = rig.bus.Attach(std::make_unique<SimSp64>(kLpt));
    rig.Configure(1, 2);
    const Bytes file = samples::MakeImage(SmallImage(512, ImageFormat::ByteSwapped));
    ASSERT_EQ(file[0], 0x37);
    rig.Load("sw.v64", file);
    EXPECT_EQ(rig.Send(), EngineResult::Ok);
    ASSERT_GE(unit.Received().size(), 4u);
    EXPECT_EQ(Bytes(unit.Received().begin(), unit.Received().begin() + 4), (Bytes{0x80, 0x37, 0x12, 0x40}));
}

class SpRoundTrip : public ::testing::TestWithParam<std::pair<ImageFormat, bool>> {};

TEST_P(SpRoundTrip, UnitReceivesTheBigEndianImage) {
    const auto [format, compressed] = GetParam();
    TransferRig rig;
    auto& unit = rig.bus.Attach(std::make_unique<SimSp64>(kLpt));
    rig.Configure(1);
    const auto recipe = SmallImage(20000 + 2, format);
    rig.Load("w.z64", compressed ? samples::MakeCompressedImage(recipe) : samples::MakeImage(recipe));
    EXPECT_EQ(rig.Send(), EngineResult::Ok);
    auto bigEndian = recipe;
    bigEndian.format = ImageFormat::BigEndian;
    EXPECT_TRUE(unit.Received() == samples::MakeImage(bigEndian));
    EXPECT_TRUE(unit.NumberingOk());
    EXPECT_EQ(unit.BlockNumbers().size(), (20002u + 255) / 256);
    EXPECT_TRUE(unit.Closed());
    // A plain file counts each block once read (256 of 20002 is 1); a compressed
    // image counts the inflated bytes against the whole size S: 0 before the
    // first block, never 100.
    EXPECT_EQ(rig.progress.front(), compressed ? 0 : 1);
    EXPECT_EQ(rig.progress.back(), compressed ? 99 : 100);
}

INSTANTIATE_TEST_SUITE_P(BothOrdersAndContainers, SpRoundTrip,
                         ::testing::Values(std::pair{ImageFormat::BigEndian, false},
                                           std::pair{ImageFormat::ByteSwapped, false},
                                           std::pair{ImageFormat::BigEndian, true},
                                           std::pair{ImageFormat::ByteSwapped, true}));

TEST(SpSend, CompressedSendShowsOnlyReady) {
    TransferRig rig;
    rig.bus.Attach(std::make_unique<SimSp64>(kLpt));
    rig.Configure(1);
    rig.Load("c.z64", samples::MakeCompressedImage(SmallImage(4096, ImageFormat::BigEndian)));
    EXPECT_EQ(rig.Send(), EngineResult::Ok);
    EXPECT_EQ(rig.statuses, std::vector<std::string>{"Ready"});
}

TEST(SpSend, CancelStopsWithoutTheClosingByte) {
    TransferRig rig;
    auto& unit = rig.bus.Attach(std::make_unique<SimSp64>(kLpt));
    rig.Configure(1);
    rig.Load("w.z64", samples::MakeImage(SmallImage(20000, ImageFormat::BigEndian)));
    rig.CancelAfterProgressCalls(5);
    EXPECT_EQ(rig.Send(), EngineResult::ErrCancelled);
    EXPECT_FALSE(unit.Closed());
    EXPECT_EQ(rig.statuses.back(), "Ready");
}

} // namespace
} // namespace q64::test
