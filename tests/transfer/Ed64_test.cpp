// The EverDrive-64 unit against the simulated cart: the exact bytes of whole
// sends in one table (a small padded image, a byte-swapped one, a compressed
// one, save types from the header and chosen, faults), the same cart over a
// pseudo-terminal pair so the serial code runs, receives, and the pure
// header and name rules.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/SampleFiles.h"
#include "engine/SaveType.h"
#include "support/TempDir.h"
#include "transfer/Ed64.h"
#include "transfer/Ed64Devices.h"
#include "transfer/SerialStream.h"
#include "transfer/SimEd64.h"
#include "transfer/SimulatedPortBackend.h"
#include "transfer/TracingStream.h"
#include "transfer/Transfer.h"

namespace q64::test {
namespace {

using samples::Bytes;

// Command and answer lines as the trace shows them, checked by hand against
// the maker's tool: "cmd", the letter, address, length in 512-byte units, argument.
const std::string kTest = "TX 63 6d 64 74 00 00 00 00 00 00 00 00 00 00 00 00";
const std::string kReady = "RX 63 6d 64 72 00 00 00 00 00 00 00 00 00 00 00 00";
const std::string kFill = "TX 63 6d 64 63 10 00 00 00 00 00 08 08 00 00 00 00"; // 0x808 units from 0x10000000, zero
const std::string kStart = "TX 63 6d 64 73 00 00 00 00 00 00 00 00 00 00 00 01"; // the name block follows
std::string Write(const char* units) { return std::string("TX 63 6d 64 57 10 00 00 00 ") + units + " 00 00 00 00"; }

struct GoldenCase {
    const char* name;
    std::size_t size;
    ImageFormat format;
    bool compressed;
    const char* cartId;
    std::uint8_t byte3F;                // written into the canonical header
    std::optional<SaveType> saveType;   // what the front end chose
    Ed64Fault fault;
    EngineResult result;
    std::vector<std::string> lines;     // "IMAGE": the image in 32 KiB pieces, "IMAGE n": its first n bytes; "NAME"
    std::array<std::uint8_t, 4> sent3C; // canonical 0x3C..0x3F as sent
    const char* message;                // part of the one message, or "" for none
};

const GoldenCase kGolden[] = {
    {"small image padded to 512", 4196, ImageFormat::BigEndian, false, "QS", 0x00, std::nullopt, Ed64Fault::None,
     EngineResult::Ok, {kTest, kReady, kFill, kTest, kReady, Write("00 00 00 09"), "IMAGE", kStart, "NAME"},
     {'Q', 'S', 'E', 0x00}, ""},
    {"byte-swapped, large enough to need no fill", 0x101000, ImageFormat::ByteSwapped, false, "QS", 0x00,
     std::nullopt, Ed64Fault::None, EngineResult::Ok,
     {kTest, kReady, Write("00 00 08 08"), "IMAGE", kStart, "NAME"}, {'Q', 'S', 'E', 0x00}, ""},
    {"compressed", 8192, ImageFormat::BigEndian, true, "QS", 0x00, std::nullopt, Ed64Fault::None, EngineResult::Ok,
     {kTest, kReady, kFill, kTest, kReady, Write("00 00 00 10"), "IMAGE", kStart, "NAME"}, {'Q', 'S', 'E', 0x00}, ""},
    {"save type from the header, options kept", 4096, ImageFormat::BigEndian, false, "ED", 0x31, SaveType::Sram256k,
     Ed64Fault::None, EngineResult::Ok,
     {kTest, kReady, kFill, kTest, kReady, Write("00 00 00 08"), "IMAGE", kStart, "NAME"}, {'E', 'D', 'E', 0x31}, ""},
    {"save type chosen, version byte replaced", 4096, ImageFormat::BigEndian, false, "QS", 0x01, SaveType::Eeprom4k,
     Ed64Fault::None, EngineResult::Ok,
     {kTest, kReady, kFill, kTest, kReady, Write("00 00 00 08"), "IMAGE", kStart, "NAME"}, {'E', 'D', 'E', 0x10}, ""},
    {"silent", 4096, ImageFormat::BigEndian, false, "QS", 0, std::nullopt, Ed64Fault::Silent,
     EngineResult::ErrTransfer, {kTest}, {}, "Nothing answered the EverDrive-64's test on simulated"},
    {"wrong answer to the test", 4096, ImageFormat::BigEndian, false, "QS", 0, std::nullopt, Ed64Fault::Refuse,
     EngineResult::ErrTransfer, {kTest, "RX" + kTest.substr(2)}, {},
     "is not an EverDrive-64 at its menu (it answered \"cmdt\" instead of \"cmdr\"); nothing was written"},
    {"older OS", 4096, ImageFormat::BigEndian, false, "QS", 0, std::nullopt, Ed64Fault::OldOs,
     EngineResult::ErrTransfer, {kTest, "RX 63 6d 64 6b 00 00 00 00 00 00 00 00 00 00 00 00"}, {},
     "answered as an older OS does (\"cmdk\")"},
    {"stall half-way through the image", 4096, ImageFormat::BigEndian, false, "QS", 0, std::nullopt,
     Ed64Fault::Stall, EngineResult::ErrTransfer,
     {kTest, kReady, kFill, kTest, kReady, Write("00 00 00 08"), "IMAGE 2048"}, {'Q', 'S', 'E', 0x00},
     "The EverDrive-64 on simulated stopped taking data during the ROM write"},
};

std::vector<std::string> TraceLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Compares traces line by line and names the first difference, shortened:
// data lines run to 100 KB.
void ExpectSameTrace(const std::vector<std::string>& actual, const std::vector<std::string>& expected) {
    const auto shown = [](const std::string& line) { return line.size() > 120 ? line.substr(0, 120) + "..." : line; };
    for (std::size_t i = 0; i < std::max(actual.size(), expected.size()); ++i) {
        const std::string got = i < actual.size() ? actual[i] : "(none)";
        const std::string want = i < expected.size() ? expected[i] : "(none)";
        if (got != want) {
            ADD_FAILURE() << "trace line " << i + 1 << "\n  got:  " << shown(got) << "\n  want: " << shown(want);
            return;
        }
    }
}

samples::ImageRecipe Recipe(std::size_t size, ImageFormat format, const char* cartId = "QS") {
    samples::ImageRecipe recipe;
    recipe.sizeBytes = size;
    recipe.format = format;
    recipe.cartId = cartId;
    recipe.seed = 11;
    return recipe;
}

TEST(Ed64Golden, SendsMatchTheMakersToolByteForByte) {
    for (const GoldenCase& c : kGolden) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        samples::ImageRecipe recipe = Recipe(c.size, ImageFormat::BigEndian, c.cartId);
        Bytes canonical = samples::MakeImage(recipe);
        canonical[0x3F] = c.byte3F;
        recipe.format = c.format;
        const Bytes file = c.compressed ? samples::MakeCompressedImage(recipe) : samples::InOrder(canonical, c.format);
        const std::string path = dir.Write("Game (E).z64", file);

        SimEd64 cart(c.fault);
        SimEd64Stream sim(cart);
        RomImage image;
        std::vector<std::string> messages;
        image.SetMessageSink([&](const std::string& text) { messages.push_back(text); });
        ASSERT_EQ(image.Identify(path), EngineResult::Ok);
        TransferCallbacks calls;
        Ed64Waits waits;
        waits.bootPauseMs = 0;
        {
            TracingStream traced(sim, dir.File("trace.txt"));
            EXPECT_EQ(Ed64Send(Ed64Context{traced, image, calls, waits}, Ed64SendOptions{c.saveType}), c.result);
        }

        Bytes sent = canonical;
        std::copy(c.sent3C.begin(), c.sent3C.end(), sent.begin() + 0x3C);
        sent.resize((sent.size() + 511) / 512 * 512, 0);
        Bytes name(256, 0);
        const std::string fileName = "Game (E).z64";
        std::copy(fileName.begin(), fileName.end(), name.begin());
        std::vector<std::string> expected;
        for (const std::string& line : c.lines) {
            if (line == "NAME") expected.push_back(StreamTraceLine("TX", name.data(), name.size()));
            else if (line.rfind("IMAGE ", 0) == 0) expected.push_back(StreamTraceLine("TX", sent.data(), std::stoul(line.substr(6))));
            else if (line != "IMAGE") expected.push_back(line);
            else
                for (std::size_t at = 0; at < sent.size(); at += 32768)
                    expected.push_back(StreamTraceLine("TX", sent.data() + at, std::min<std::size_t>(32768, sent.size() - at)));
        }
        ExpectSameTrace(TraceLines(dir.File("trace.txt")), expected);
        EXPECT_TRUE(dir.Read("Game (E).z64") == file); // the user's file as it was
        if (c.result == EngineResult::Ok) {
            EXPECT_TRUE(messages.empty());
            EXPECT_TRUE(cart.Started());
            EXPECT_EQ(cart.SaveName(), fileName);
            EXPECT_TRUE(cart.Rom(0, static_cast<std::uint32_t>(sent.size())) == sent);
        } else {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_NE(messages[0].find(c.message), std::string::npos) << messages[0];
            EXPECT_FALSE(cart.Started());
        }
    }
}

// The same cart behind a pseudo-terminal: the serial stream's bounded writes
// and reads, a cart that stops taking bytes, and a receive.
TEST(Ed64OverPty, SendReceiveAndStallRunThroughTheSerialStream) {
    TempDir dir;
    const std::size_t size = 0x101000 + 100;
    const Bytes canonical = samples::MakeImage(Recipe(size, ImageFormat::BigEndian));
    const std::string path = dir.Write("big.v64", samples::SwapPairs(canonical));
    RomImage image;
    std::vector<std::string> messages;
    image.SetMessageSink([&](const std::string& text) { messages.push_back(text); });
    TransferCallbacks calls;
    Ed64Waits waits;
    waits.answerMs = 500; // the stall waits this long
    waits.bootPauseMs = 10;
    for (const Ed64Fault fault : {Ed64Fault::None, Ed64Fault::Stall}) {
        SimEd64 cart(fault);
        SimStreamPty pty(cart);
        ASSERT_TRUE(pty.Ok());
        SerialStream serial;
        ASSERT_TRUE(serial.Open(pty.Path())) << serial.Error();
        ASSERT_EQ(image.Identify(path), EngineResult::Ok);
        const Ed64Context ctx{serial, image, calls, waits};
        if (fault == Ed64Fault::Stall) {
            EXPECT_EQ(Ed64Send(ctx, {}), EngineResult::ErrTransfer);
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_NE(messages[0].find("stopped taking data during the ROM write"), std::string::npos) << messages[0];
            continue;
        }
        ASSERT_EQ(Ed64Send(ctx, {}), EngineResult::Ok) << messages.front();
        Bytes padded = canonical;
        padded.resize((size + 511) / 512 * 512, 0);
        EXPECT_TRUE(cart.Rom(0, static_cast<std::uint32_t>(padded.size())) == padded);
        for (int i = 0; i < 200 && !cart.Started(); ++i) ::usleep(5000); // the name block is on its way
        EXPECT_EQ(cart.SaveName(), "big.v64");
        ASSERT_EQ(Ed64Receive(ctx, dir.File("back.z64"), 2 * 131072), EngineResult::Ok);
        EXPECT_TRUE(dir.Read("back.z64") == Bytes(padded.begin(), padded.begin() + 2 * 131072));
    }
}

TEST(Ed64Receiving, TheTargetIsReplacedOnlyWhenEveryByteArrived) {
    for (const Ed64Fault fault : {Ed64Fault::None, Ed64Fault::Silent, Ed64Fault::Refuse}) {
        TempDir dir;
        dir.Write("keep.z64", Bytes{7});
        SimEd64 cart(fault);
        cart.SetRom(0, Bytes(131072, 0x5A));
        SimEd64Stream sim(cart);
        RomImage image;
        std::vector<std::string> messages;
        image.SetMessageSink([&](const std::string& text) { messages.push_back(text); });
        TransferCallbacks calls;
        const EngineResult r = Ed64Receive(Ed64Context{sim, image, calls, {}}, dir.File("keep.z64"), 131072);
        EXPECT_EQ(r, fault == Ed64Fault::None ? EngineResult::Ok : EngineResult::ErrReceive);
        EXPECT_TRUE(dir.Read("keep.z64") == (fault == Ed64Fault::None ? Bytes(131072, 0x5A) : Bytes{7}));
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"keep.z64"});
        EXPECT_EQ(messages.size(), fault == Ed64Fault::None ? 0u : 1u);
    }
}

TEST(Ed64Header, TheSaveTypeGoesWhereTheCartsOsReadsIt) {
    struct Case {
        std::array<std::uint8_t, 4> before; // canonical 0x3C..0x3F
        SaveType type;
        std::array<std::uint8_t, 4> after;
    };
    for (const Case& c : {Case{{'N', 'S', 'E', 0x01}, SaveType::None, {'N', 'S', 'E', 0x01}},      // the OS's own list decides
                          Case{{'N', 'S', 'E', 0x01}, SaveType::FlashRam, {'E', 'D', 'E', 0x50}},  // version byte gone
                          Case{{'E', 'D', 'E', 0x13}, SaveType::Eeprom4k, {'E', 'D', 'E', 0x13}},  // already so
                          Case{{'E', 'D', 'E', 0x13}, SaveType::Sram1M, {'E', 'D', 'E', 0x63}},    // RTC, region-free kept
                          Case{{'E', 'D', 'E', 0x13}, SaveType::None, {'E', 'D', 'E', 0x03}}}) {
        Bytes header(64, 0);
        std::copy(c.before.begin(), c.before.end(), header.begin() + 0x3C);
        SetEd64SaveType(header.data(), c.type);
        EXPECT_EQ(Bytes(header.begin() + 0x3C, header.end()), Bytes(c.after.begin(), c.after.end()));
    }
    Bytes bootloader(64, 0);
    std::memcpy(&bootloader[0x20], "EverDrive bootloader", 20);
    EXPECT_EQ(Ed64FillValue(bootloader.data()), 0xFFFFFFFFu);
}

TEST(Ed64Header, TheSaveNameIsTheFileNameAFatCardCanHold) {
    const auto text = [](const std::string& path) {
        const auto block = Ed64SaveNameBlock(path);
        EXPECT_EQ(block.back(), 0);
        return std::string(reinterpret_cast<const char*>(block.data()));
    };
    EXPECT_EQ(text("/roms/Zelda: Ocarina?.z64"), "Zelda_ Ocarina_.z64");
    EXPECT_EQ(text("/roms/Pok\xC3\xA9mon Stadium.v64"), "Pok__mon Stadium.v64");
    const std::string longName = text("/r/" + std::string(300, 'x') + ".n64");
    EXPECT_EQ(longName.size(), 255u);
    EXPECT_EQ(longName.substr(251), ".n64");
}

TEST(Ed64Devices, TheBridgeIsFoundByItsUsbIdsAndText) {
    TempDir root;
    const auto write = [&](const std::string& path, const std::string& text) {
        std::ofstream(root.Path() + path) << text << "\n";
    };
    for (const char* folder : {"/devices", "/devices/1-1", "/devices/1-1/1-1:1.0", "/devices/1-2", "/devices/1-2/1-2:1.0",
                               "/class", "/class/tty", "/class/tty/ttyUSB1", "/class/tty/ttyUSB0"})
        ::mkdir((root.Path() + folder).c_str(), 0755);
    write("/devices/1-1/idVendor", "0403");
    write("/devices/1-1/idProduct", "6001");
    write("/devices/1-1/product", "FT245R USB FIFO");
    write("/devices/1-2/idVendor", "0403");
    write("/devices/1-2/idProduct", "6001");
    write("/devices/1-2/product", "FT232R USB UART"); // the same ids on another gadget
    ASSERT_EQ(::symlink((root.Path() + "/devices/1-1/1-1:1.0").c_str(), (root.Path() + "/class/tty/ttyUSB1/device").c_str()), 0);
    ASSERT_EQ(::symlink((root.Path() + "/devices/1-2/1-2:1.0").c_str(), (root.Path() + "/class/tty/ttyUSB0/device").c_str()), 0);
    EXPECT_EQ(FindEd64Devices(root.Path(), "/dev"), std::vector<std::string>{"/dev/ttyUSB1"});
    std::string message;
    EXPECT_FALSE(OpenEd64Device(root.File("ttyUSB9"), message));
    EXPECT_NE(message.find("does not exist: is the EverDrive-64 plugged in?"), std::string::npos) << message;
}

TEST(Ed64Dispatch, SendAndReceiveRouteToTheCartWhichTakesImagesOnly) {
    TempDir dir;
    SimEd64 cart;
    TransferState state;
    state.unit = static_cast<int>(Unit::Ed64);
    ConfigureEd64(state, "", SaveType::Eeprom16k);
    state.ed64Opener = [&](const std::string&, std::string&) { return std::make_unique<SimEd64Stream>(cart); };
    state.ed64Waits.bootPauseMs = 0;
    RomImage image;
    std::vector<std::string> messages;
    image.SetMessageSink([&](const std::string& text) { messages.push_back(text); });
    SimulatedPortBackend bus;
    ParallelPort port(bus);
    TransferCallbacks calls;
    ASSERT_EQ(image.Identify(dir.Write("a.z64", samples::MakeImage(Recipe(65536, ImageFormat::BigEndian)))), EngineResult::Ok);
    EXPECT_EQ(SendImage(state, port, image, calls), EngineResult::Ok);
    EXPECT_EQ(cart.Rom(0x3C, 4), (Bytes{'E', 'D', 'E', 0x20}));
    ASSERT_EQ(image.Identify(dir.Write("b.sav", samples::MakeSavRam())), EngineResult::Ok);
    EXPECT_EQ(SendImage(state, port, image, calls), EngineResult::ErrFailed);
    EXPECT_NE(messages.back().find("An EverDrive-64 cannot take a SAV file"), std::string::npos) << messages.back();
    EXPECT_EQ(ReceiveImage(state, port, image, dir.File("r.z64"), 1, calls), EngineResult::Ok);
    EXPECT_EQ(dir.Read("r.z64").size(), 131072u);
}

} // namespace
} // namespace q64::test
