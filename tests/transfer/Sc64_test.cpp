// The SummerCart64 unit against the simulated cart: in process and over a
// pseudo-terminal pair (so the serial code and its DTR/DSR reset run), round
// trips in every byte order and compressed, the exact packets of a short
// session, faults that end cleanly with the target untouched, a cart that
// clogs, the firmware versions taken and refused, and the simulated cart's
// own answers held against the firmware's.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <termios.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/SampleFiles.h"
#include "support/TempDir.h"
#include "transfer/Sc64.h"
#include "transfer/Sc64Cic.h"
#include "transfer/Sc64Devices.h"
#include "transfer/SerialStream.h"
#include "transfer/SimSc64.h"
#include "transfer/SimulatedPortBackend.h"
#include "transfer/TracingStream.h"
#include "transfer/Transfer.h"
#include "transfer/WireBytes.h"

namespace q64::test {
namespace {

using samples::Bytes;

samples::ImageRecipe Recipe(std::size_t size, ImageFormat format) {
    samples::ImageRecipe recipe;
    recipe.sizeBytes = size;
    recipe.format = format;
    recipe.seed = 7;
    return recipe;
}

// One cart, reached in process or over a pseudo-terminal.
class Sc64Test : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        calls.status = [this](const std::string& text) { statuses.push_back(text); };
        calls.progress = [this](int) {
            ++progressCalls;
            return cancelAfter >= 0 && progressCalls >= cancelAfter ? kProgressCancelled : kProgressGoOn;
        };
        image.SetMessageSink([this](const std::string& text) { messages.push_back(text); });
        if (OverPty()) waits.answerMs = 2000; // the cart's thread shares the machine with the tests
        Connect();
    }
    // A fresh cart (a silent one stays silent) and a fresh connection to it.
    void Connect() {
        stream.reset();
        pty.reset();
        cartHeld = std::make_unique<SimSc64>();
        if (OverPty()) {
            pty = std::make_unique<SimSc64Pty>(cart());
            ASSERT_TRUE(pty->Ok());
            auto serial = std::make_unique<SerialStream>();
            ASSERT_TRUE(serial->Open(pty->Path())) << serial->Error();
            serial->SetModemLines(&pty->Lines());
            stream = std::move(serial);
        } else {
            stream = std::make_unique<SimSc64Stream>(cart());
        }
    }
    SimSc64& cart() { return *cartHeld; }
    bool OverPty() const { return GetParam(); }
    Sc64Context Ctx() { return Sc64Context{*stream, image, calls, waits}; }
    std::string Load(const std::string& name, const Bytes& bytes) {
        const std::string path = dir.Write(name, bytes);
        EXPECT_EQ(image.Identify(path), EngineResult::Ok);
        return path;
    }
    // Names in the folder other than `keep`: no temporary file may be left.
    void ExpectOnly(const std::vector<std::string>& names) { EXPECT_EQ(dir.Names(), names); }

    TempDir dir;
    std::unique_ptr<SimSc64> cartHeld;
    std::unique_ptr<SimSc64Pty> pty;
    std::unique_ptr<ByteStream> stream;
    RomImage image;
    TransferCallbacks calls;
    LinkWaits waits;
    std::vector<std::string> statuses, messages;
    int progressCalls = 0;
    int cancelAfter = -1;
};

struct OrderCase {
    const char* name;
    ImageFormat format;
    bool compressed;
};

TEST_P(Sc64Test, SendPutsTheCanonicalImageIntoSdramInEveryOrder) {
    const std::size_t size = 3 * sc64::kChunk + 4096 + 100; // several commands and a short last one
    const Bytes canonical = samples::MakeImage(Recipe(size, ImageFormat::BigEndian));
    for (const OrderCase& c : {OrderCase{"z64", ImageFormat::BigEndian, false},
                               OrderCase{"v64", ImageFormat::ByteSwapped, false},
                               OrderCase{"n64", ImageFormat::LittleEndian, false},
                               OrderCase{"z64.cmp", ImageFormat::BigEndian, true},
                               OrderCase{"v64.cmp", ImageFormat::ByteSwapped, true}}) {
        SCOPED_TRACE(c.name);
        cart().SetMemory(0, Bytes(size, 0xEE));
        const auto recipe = Recipe(size, c.format);
        Load(std::string("game.") + c.name,
             c.compressed ? samples::MakeCompressedImage(recipe) : samples::MakeImage(recipe));
        ASSERT_EQ(Sc64Send(Ctx(), Sc64SendOptions{3, sc64::kBootLoadedImage}), EngineResult::Ok) << messages.front();
        EXPECT_EQ(cart().Memory(0, static_cast<std::uint32_t>(size)), canonical);
        EXPECT_EQ(cart().Config(sc64::kConfigSaveType), 3u);
        EXPECT_EQ(cart().Config(sc64::kConfigBootMode), sc64::kBootLoadedImage);
    }
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(statuses.back(), "Ready");
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), "SummerCart64 firmware 2.20.2"), statuses.end());
}

TEST_P(Sc64Test, ReceiveWritesTheRomAreaIntoANewFile) {
    const Bytes canonical = samples::MakeImage(Recipe(2 * sc64::kChunk + 512, ImageFormat::BigEndian));
    cart().SetMemory(0, canonical);
    const std::string path = dir.File("back.z64");
    ASSERT_EQ(Sc64Receive(Ctx(), path, static_cast<std::uint32_t>(canonical.size())), EngineResult::Ok);
    EXPECT_EQ(dir.Read("back.z64"), canonical);
    ExpectOnly({"back.z64"});
}

struct SaveCase {
    Sc64SaveType type;
    std::uint32_t address;
    std::uint32_t size;
};

TEST_P(Sc64Test, SavesRoundTripThroughTheirAreas) {
    for (const SaveCase& c : {SaveCase{Sc64SaveType::Eeprom4k, 0x05002000, 512},
                              SaveCase{Sc64SaveType::Eeprom16k, 0x05002000, 2048},
                              SaveCase{Sc64SaveType::Sram256k, 0x03FE0000, 32768},
                              SaveCase{Sc64SaveType::Sram768k, 0x03FE0000, 98304},
                              SaveCase{Sc64SaveType::Sram1M, 0x03FE0000, 131072},
                              SaveCase{Sc64SaveType::FlashRam1M, 0x03FE0000, 131072}}) {
        const int type = static_cast<int>(c.type);
        SCOPED_TRACE(SaveTypeText(type));
        EXPECT_EQ(SaveAreaOf(type).address, c.address);
        EXPECT_EQ(SaveAreaOf(type).size, c.size);
        Bytes save(c.size);
        for (std::size_t i = 0; i < save.size(); ++i) save[i] = static_cast<std::uint8_t>(i * 7 + type);
        const std::string file = dir.Write("in.sav", save);
        ASSERT_EQ(Sc64RestoreSave(Ctx(), file, type), EngineResult::Ok) << (messages.empty() ? "" : messages.back());
        EXPECT_EQ(cart().Memory(c.address, c.size), save);
        cart().SetConfig(sc64::kConfigSaveType, static_cast<std::uint32_t>(type));
        ASSERT_EQ(Sc64BackupSave(Ctx(), dir.File("out.sav"), std::nullopt), EngineResult::Ok); // the cart's type
        EXPECT_EQ(dir.Read("out.sav"), save);
    }
}

// The cart sends a debug packet half-way through a write and takes nothing
// more until it has been read: the send reads it and goes on.
TEST_P(Sc64Test, ACloggingCartIsReadWhileTheImageGoesOut) {
    const Bytes canonical = samples::MakeImage(Recipe(2 * sc64::kChunk, ImageFormat::BigEndian));
    cart().FailAt('M', Sc64Fault::Clog, 2);
    Load("a.z64", canonical);
    ASSERT_EQ(Sc64Send(Ctx(), Sc64SendOptions{}), EngineResult::Ok) << messages.front();
    EXPECT_TRUE(cart().Memory(0, 2 * sc64::kChunk) == canonical);
}

struct FaultCase {
    const char* name;
    std::uint8_t command;
    Sc64Fault fault;
    int occurrence;
};

const FaultCase kFaults[] = {
    {"identify refused", 'v', Sc64Fault::Refuse, 1},
    {"identify silent", 'v', Sc64Fault::Silent, 1},
    {"version cut", 'V', Sc64Fault::Cut, 1},
    {"memory refused", 'M', Sc64Fault::Refuse, 2},
    {"memory silent", 'M', Sc64Fault::Silent, 1},
    {"memory cut", 'm', Sc64Fault::Cut, 2},
    {"read refused", 'm', Sc64Fault::Refuse, 1},
    {"read silent", 'm', Sc64Fault::Silent, 2},
};

TEST_P(Sc64Test, FaultsEndTheReceiveWithTheTargetUntouched) {
    waits.answerMs = 400; // the silent cases wait this long
    for (const FaultCase& c : kFaults) {
        SCOPED_TRACE(c.name);
        const Bytes old = {1, 2, 3};
        dir.Write("keep.z64", old);
        Connect();
        cart().SetMemory(0, Bytes(3 * sc64::kChunk, 0x5A));
        cart().FailAt(c.command, c.fault, c.occurrence);
        messages.clear();
        const EngineResult r = Sc64Receive(Ctx(), dir.File("keep.z64"), 3 * sc64::kChunk);
        if (c.command == 'M') {
            EXPECT_EQ(r, EngineResult::Ok); // a receive writes no memory
            dir.Write("keep.z64", old);
            continue;
        }
        EXPECT_EQ(r, EngineResult::ErrReceive);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find(stream->Name()), std::string::npos) << messages[0];
        EXPECT_EQ(dir.Read("keep.z64"), old);
        ExpectOnly({"keep.z64"});
        EXPECT_EQ(statuses.back(), "Ready");
    }
}

TEST_P(Sc64Test, FaultsEndTheSendBeforeTheCartIsSetUp) {
    const Bytes file = samples::MakeImage(Recipe(2 * sc64::kChunk + 64, ImageFormat::BigEndian));
    waits.answerMs = 400;
    for (const FaultCase& c : kFaults) {
        if (c.command == 'm') continue;
        SCOPED_TRACE(c.name);
        Connect();
        cart().FailAt(c.command, c.fault, c.occurrence);
        Load("a.z64", file);
        messages.clear();
        EXPECT_EQ(Sc64Send(Ctx(), Sc64SendOptions{1, 1}), EngineResult::ErrTransfer);
        EXPECT_EQ(messages.size(), 1u);
        EXPECT_EQ(cart().Config(sc64::kConfigSaveType), 0u);
        EXPECT_EQ(cart().Config(sc64::kConfigBootMode), 0u);
    }
}

TEST_P(Sc64Test, AnotherDeviceIsToldApartAndNothingIsWritten) {
    cart().SetIdentifier("ABCD");
    Load("a.z64", samples::MakeImage(Recipe(4096, ImageFormat::BigEndian)));
    EXPECT_EQ(Sc64Send(Ctx(), Sc64SendOptions{}), EngineResult::ErrTransfer);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("is not a SummerCart64 (it answered \"ABCD\""), std::string::npos) << messages[0];
    EXPECT_EQ(cart().Commands(), std::vector<std::uint8_t>{'v'});
}

TEST_P(Sc64Test, CancelEndsTheTransferAndTheNextSessionStartsInStep) {
    const Bytes canonical = samples::MakeImage(Recipe(4 * sc64::kChunk, ImageFormat::BigEndian));
    cart().SetMemory(0, canonical);
    dir.Write("keep.z64", Bytes{9});
    cancelAfter = 20;
    EXPECT_EQ(Sc64Receive(Ctx(), dir.File("keep.z64"), 4 * sc64::kChunk), EngineResult::ErrCancelled);
    EXPECT_EQ(dir.Read("keep.z64"), Bytes{9});
    EXPECT_TRUE(messages.empty());
    cancelAfter = -1;
    ASSERT_EQ(Sc64Receive(Ctx(), dir.File("keep.z64"), 4 * sc64::kChunk), EngineResult::Ok);
    EXPECT_EQ(dir.Read("keep.z64"), canonical);
}

TEST_P(Sc64Test, AsynchronousPacketsAreDroppedAndInfoReadsTheState) {
    cart().QueuePacket('I', {'h', 'i'});
    cart().SetConfig(sc64::kConfigRomShadow, 1);
    Sc64Info info;
    ASSERT_EQ(Sc64ReadInfo(Ctx(), info), EngineResult::Ok);
    EXPECT_EQ(info.identifier, "SCv2");
    EXPECT_EQ(info.cicSeed, 0xFFFFu);
    EXPECT_EQ(info.tvType, 3u);
    EXPECT_EQ(info.romShadow, 8u); // the register bit, as the firmware gives it
    EXPECT_EQ(info.romExtended, 0u);
}

INSTANTIATE_TEST_SUITE_P(Transport, Sc64Test, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? std::string("Pty") : std::string("InProcess"); });

// Checks made before the cart is touched.
class Sc64Refusals : public Sc64Test {};

TEST_P(Sc64Refusals, ASaveFileOfTheWrongSizeIsRefused) {
    const std::string file = dir.Write("short.sav", Bytes(511, 1));
    EXPECT_EQ(Sc64RestoreSave(Ctx(), file, static_cast<int>(Sc64SaveType::Eeprom4k)), EngineResult::ErrFailed);
    EXPECT_TRUE(cart().Commands().empty());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("holds 511 bytes; a EEPROM 4k save holds 512"), std::string::npos) << messages[0];
}

struct RefusalCase {
    const char* name;
    std::uint64_t size;
    Sc64SendOptions options;
    const char* says;
};

TEST_P(Sc64Refusals, SendsThatCannotWorkAreRefusedBeforeAnyPacket) {
    const RefusalCase cases[] = {
        {"78 MiB and 4 bytes", sc64::kMaxImage + 4, {}, "does not fit into a SummerCart64, which holds at most 78 MiB"},
        {"boot mode 2", 4096, {0, 2, 3}, "Boot mode 2 starts a 64DD IPL, which this program does not load"},
        {"boot mode 4", 4096, {0, 4, 3}, "Boot mode 4 starts a 64DD IPL"},
        {"TV forced with direct boot", 4096, {0, 3, 0}, "A TV type cannot be forced with direct boot"},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        const std::string path = dir.Write("big.z64", samples::MakeImage(Recipe(4096, ImageFormat::BigEndian)));
        ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(c.size)), 0); // sparse: nothing is really written
        ASSERT_EQ(image.Identify(path), EngineResult::Ok);
        EXPECT_EQ(Sc64Send(Ctx(), c.options), EngineResult::ErrFailed);
        EXPECT_TRUE(cart().Commands().empty());
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find(c.says), std::string::npos) << messages[0];
    }
}

// A save goes where the game will look: a type named that differs from the
// cart's is set first, and said; a file of another size than the type's is
// never written.
TEST_P(Sc64Refusals, RestoreSetsTheNamedTypeAndChecksTheSize) {
    cart().SetConfig(sc64::kConfigSaveType, 3); // SRAM 256k
    const std::string eeprom = dir.Write("a.eep", Bytes(2048, 0x42));
    ASSERT_EQ(Sc64RestoreSave(Ctx(), eeprom, 2), EngineResult::Ok);
    EXPECT_EQ(cart().Config(sc64::kConfigSaveType), 2u);
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), "The cart's save type was SRAM 256k; it is now EEPROM 16k"),
              statuses.end());
    EXPECT_EQ(cart().Memory(sc64::kEepromBase, 2048), Bytes(2048, 0x42));
    // No type named: the cart's (EEPROM 16k) decides, and 512 bytes do not fit it.
    const std::string small = dir.Write("b.eep", Bytes(512, 0x17));
    EXPECT_EQ(Sc64RestoreSave(Ctx(), small, std::nullopt), EngineResult::ErrFailed);
    EXPECT_EQ(cart().Memory(sc64::kEepromBase, 512), Bytes(512, 0x42));
    EXPECT_NE(messages.back().find("holds 512 bytes; a EEPROM 16k save holds 2048"), std::string::npos);
}

TEST_P(Sc64Refusals, BackupWithoutASaveTypeSaysSo) {
    EXPECT_EQ(Sc64BackupSave(Ctx(), dir.File("x.sav"), std::nullopt), EngineResult::ErrFailed);
    EXPECT_EQ(messages, std::vector<std::string>{"No save type is set on the SummerCart64"});
    ExpectOnly({});
}

INSTANTIATE_TEST_SUITE_P(Transport, Sc64Refusals, ::testing::Values(false));

TEST(Sc64Packets, AShortSessionSendsExactlyThesePackets) {
    TempDir dir;
    SimSc64 cart;
    SimSc64Stream sim(cart);
    RomImage image;
    TransferCallbacks calls;
    {
        TracingStream traced(sim, dir.File("trace.txt"));
        ASSERT_TRUE(traced.Ok());
        const std::string save = dir.Write("a.sav", Bytes{0xA0, 0xA1, 0xA2, 0xA3});
        cart.SetConfig(sc64::kConfigSaveType, 1);
        // Restoring 4 bytes into a 512-byte area is refused before any packet.
        EXPECT_EQ(Sc64RestoreSave(Sc64Context{traced, image, calls, {}}, save, 1), EngineResult::ErrFailed);
        Sc64Info info;
        EXPECT_EQ(Sc64ReadInfo(Sc64Context{traced, image, calls, {}}, info), EngineResult::Ok);
    }
    std::ifstream in(dir.File("trace.txt"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line) && lines.size() < 7;) lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "RESET",
                         "TX 43 4d 44 76 00 00 00 00 00 00 00 00",      // CMD v
                         "RX 43 4d 50 76 00 00 00 04",                  // CMP v, 4 bytes
                         "RX 53 43 76 32",                              // "SCv2"
                         "TX 43 4d 44 56 00 00 00 00 00 00 00 00",      // CMD V
                         "RX 43 4d 50 56 00 00 00 08",                  // CMP V, 8 bytes
                         "RX 00 02 00 14 00 00 00 02",                  // 2.20.2
                     }));
}

TEST(Sc64Packets, MemoryWriteCarriesAddressAndLengthBigEndian) {
    std::uint8_t head[12];
    EncodeCommand('M', 0x03FE0000, 0x00008000, head);
    EXPECT_EQ(StreamTraceLine("TX", head, 12), "TX 43 4d 44 4d 03 fe 00 00 00 00 80 00");
}

struct VersionCase {
    Sc64Version version;
    EngineResult send;
    EngineResult info;
    const char* says; // in the message (refused) or the status line
};

TEST(Sc64Firmware, Version2Point20OrLaterIsTakenOlderOnesAreToldToUpdate) {
    const VersionCase cases[] = {
        {{2, 20, 0}, EngineResult::Ok, EngineResult::Ok, "SummerCart64 firmware 2.20.0"},
        {{2, 23, 1}, EngineResult::Ok, EngineResult::Ok, "SummerCart64 firmware 2.23.1"},
        {{2, 18, 0}, EngineResult::ErrTransfer, EngineResult::Ok,
         "runs firmware 2.18.0, older than the 2.20 this program needs: update the cart's firmware"},
        {{3, 0, 0}, EngineResult::ErrTransfer, EngineResult::ErrTransfer,
         "runs firmware 3.0.0; this program supports firmware 2.x (2.20 or later)"},
    };
    TempDir dir;
    const std::string path = dir.Write("a.z64", samples::MakeImage(Recipe(8192, ImageFormat::BigEndian)));
    for (const VersionCase& c : cases) {
        SCOPED_TRACE(c.says);
        SimSc64 cart;
        cart.SetVersion(c.version);
        SimSc64Stream sim(cart);
        RomImage image;
        std::string said;
        image.SetMessageSink([&](const std::string& text) { said += text; });
        TransferCallbacks calls;
        calls.status = [&](const std::string& text) { said += text; };
        ASSERT_EQ(image.Identify(path), EngineResult::Ok);
        EXPECT_EQ(Sc64Send(Sc64Context{sim, image, calls, {}}, {}), c.send);
        if (c.send != EngineResult::Ok) {
            EXPECT_EQ(cart.Commands(), (std::vector<std::uint8_t>{'v', 'V'}));
        }
        Sc64Info info;
        EXPECT_EQ(Sc64ReadInfo(Sc64Context{sim, image, calls, {}}, info), c.info);
        EXPECT_NE(said.find(c.says), std::string::npos) << said;
    }
}

TEST(Sc64Cic, ChecksumsAreTheBootRomsAndKnownBootCodesKeepTheirSeed) {
    // Answers of the cart maker's algorithm for these boot codes.
    EXPECT_EQ(Ipl3Checksum(Bytes(sc64::kIpl3Length, 0x00).data(), 0x3F), 0x2982AD8C201Du);
    EXPECT_EQ(Ipl3Checksum(Bytes(sc64::kIpl3Length, 0xFF).data(), 0x3F), 0x0F74E8302797u);
    // A boot code of no known chip: the 6102 seed, its own checksum.
    const CicParams unknown = SignIpl3(Bytes(sc64::kIpl3Length, 0xFF).data());
    EXPECT_EQ(unknown.seed, 0x3F);
    EXPECT_FALSE(unknown.known);
    EXPECT_EQ(CicArgument0(unknown), 0x003F0F74u);
    EXPECT_EQ(CicArgument1(unknown), 0xE8302797u);
}

TEST(Sc64Tables, SaveTypesMapToTheCartsNumbersAndTvKeysRoundTrip) {
    for (int type = 0; type < kSc64TvTypeCount; ++type) EXPECT_EQ(TvTypeFromKey(TvTypeKey(type)), type);
    for (int type = 0; type < kSaveTypeCount; ++type)
        EXPECT_EQ(SaveTypeOfSc64(Sc64SaveTypeOf(static_cast<SaveType>(type))), static_cast<SaveType>(type));
    EXPECT_EQ(Sc64SaveTypeOf(SaveType::FlashRam), 4);
    EXPECT_EQ(Sc64SaveTypeOf(SaveType::Sram768k), 5);
    EXPECT_EQ(SaveTypeOfSc64(7), SaveType::FlashRam); // FakeFlashRAM
}

TEST(Sc64ByteOrder, EveryOrderComesOutCanonical) {
    const Bytes canonical = {0x80, 0x37, 0x12, 0x40, 1, 2, 3, 4};
    Bytes swapped = samples::SwapPairs(canonical);
    ToCanonicalOrder(swapped.data(), swapped.size(), ImageFormat::ByteSwapped);
    EXPECT_EQ(swapped, canonical);
    Bytes same = canonical;
    ToCanonicalOrder(same.data(), same.size(), ImageFormat::BigEndian);
    EXPECT_EQ(same, canonical);
}

TEST(Sc64Devices, TheCartIsFoundByItsUsbIdsAndText) {
    TempDir root;
    const auto write = [&](const std::string& path, const std::string& text) {
        std::ofstream(root.Path() + path) << text << "\n";
    };
    // Three FTDI bridges, two of them carts (one known by its serial number
    // only); a fourth port on another chip.
    for (const char* usb : {"/devices/usb1/1-1", "/devices/usb1/1-2", "/devices/usb1/1-3", "/devices/usb1/1-4"}) {
        const std::string base = root.Path() + usb;
        ::mkdir((root.Path() + "/devices").c_str(), 0755);
        ::mkdir((root.Path() + "/devices/usb1").c_str(), 0755);
        ::mkdir(base.c_str(), 0755);
        ::mkdir((base + "/1-x:1.0").c_str(), 0755);
        ::mkdir((base + "/1-x:1.0/port").c_str(), 0755);
    }
    write("/devices/usb1/1-1/idVendor", "0403");
    write("/devices/usb1/1-1/idProduct", "6014");
    write("/devices/usb1/1-1/product", "SC64");
    write("/devices/usb1/1-2/idVendor", "0403");
    write("/devices/usb1/1-2/idProduct", "6014");
    write("/devices/usb1/1-2/product", "Other");
    write("/devices/usb1/1-2/serial", "FT1234");
    write("/devices/usb1/1-3/idVendor", "1a86");
    write("/devices/usb1/1-3/idProduct", "7523");
    write("/devices/usb1/1-4/idVendor", "0403");
    write("/devices/usb1/1-4/idProduct", "6014");
    write("/devices/usb1/1-4/product", "FT232H");
    write("/devices/usb1/1-4/serial", "SC64A1B2");
    ::mkdir((root.Path() + "/class").c_str(), 0755);
    ::mkdir((root.Path() + "/class/tty").c_str(), 0755);
    const char* names[] = {"ttyUSB3", "ttyUSB0", "ttyACM0", "ttyUSB5"};
    const char* usb[] = {"1-1", "1-2", "1-3", "1-4"};
    for (int i = 0; i < 4; ++i) {
        const std::string tty = root.Path() + "/class/tty/" + names[i];
        ::mkdir(tty.c_str(), 0755);
        ASSERT_EQ(::symlink((root.Path() + "/devices/usb1/" + usb[i] + "/1-x:1.0/port").c_str(),
                            (tty + "/device").c_str()),
                  0);
    }
    EXPECT_EQ(FindSc64Devices(root.Path(), "/dev"), (std::vector<std::string>{"/dev/ttyUSB3", "/dev/ttyUSB5"}));
}

TEST(Sc64Devices, OpenFailuresNameTheDeviceAndTheGroup) {
    const std::string denied = SerialOpenMessage("/dev/ttyUSB0", EACCES);
    EXPECT_NE(denied.find("/dev/ttyUSB0"), std::string::npos);
    EXPECT_NE(denied.find("\"dialout\""), std::string::npos);
    TempDir dir;
    SerialStream serial;
    EXPECT_FALSE(serial.Open(dir.Write("plain", Bytes{1})));
    EXPECT_NE(serial.Error().find("is not a serial device"), std::string::npos);
    EXPECT_FALSE(serial.Open(dir.File("missing")));
    EXPECT_NE(serial.Error().find("does not exist"), std::string::npos);
}

// Flow control and two stop bits left by an earlier program are cleared; a
// line without modem lines cannot reset the cart, and says so.
TEST(Sc64Devices, TheLineIsMadeFullyRawAndNeedsModemLines) {
    SimSc64 cart;
    SimSc64Pty pty(cart);
    ASSERT_TRUE(pty.Ok());
    const int other = ::open(pty.Path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    termios tio{};
    ASSERT_EQ(::tcgetattr(other, &tio), 0);
    tio.c_cflag |= CRTSCTS | CSTOPB;
    tio.c_iflag |= IXON | IXOFF | IXANY;
    ASSERT_EQ(::tcsetattr(other, TCSANOW, &tio), 0);
    SerialStream serial;
    ASSERT_TRUE(serial.Open(pty.Path())) << serial.Error();
    ASSERT_EQ(::tcgetattr(other, &tio), 0);
    ::close(other);
    EXPECT_EQ(tio.c_cflag & (CRTSCTS | CSTOPB), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | IXANY), 0u);
    EXPECT_FALSE(serial.HasModemLines());
    EXPECT_FALSE(serial.ResetCommunication());
    EXPECT_EQ(serial.Error(), "The SummerCart64 on " + pty.Path() +
                                  " could not be reset: the device has no modem lines (DTR/DSR)");
    serial.SetModemLines(&pty.Lines());
    EXPECT_TRUE(serial.ResetCommunication());
}

TEST(Sc64Dispatch, SendAndReceiveRouteToTheCart) {
    TempDir dir;
    SimSc64 cart;
    TransferState state;
    RomImage image;
    std::vector<std::string> messages;
    image.SetMessageSink([&](const std::string& text) { messages.push_back(text); });
    state.unit = static_cast<int>(Unit::Sc64);
    ConfigureSc64(state, "", 2, 1, 3);
    state.sc64Opener = [&](const std::string&, std::string&) { return std::make_unique<SimSc64Stream>(cart); };
    SimulatedPortBackend bus;
    ParallelPort port(bus);
    TransferCallbacks calls;

    const Bytes canonical = samples::MakeImage(Recipe(65536, ImageFormat::BigEndian));
    ASSERT_EQ(image.Identify(dir.Write("a.v64", samples::SwapPairs(canonical))), EngineResult::Ok);
    EXPECT_EQ(SendImage(state, port, image, calls), EngineResult::Ok);
    EXPECT_EQ(cart.Memory(0, 65536), canonical);
    EXPECT_EQ(cart.Config(sc64::kConfigSaveType), 2u);

    ASSERT_EQ(image.Identify(dir.Write("b.sav", samples::MakeSavRam())), EngineResult::Ok);
    EXPECT_EQ(SendImage(state, port, image, calls), EngineResult::Ok);
    EXPECT_EQ(cart.Memory(sc64::kEepromBase, 512), samples::MakeSavRam());

    ASSERT_EQ(image.Identify(dir.Write("c.bin", samples::MakeBios())), EngineResult::Ok);
    EXPECT_EQ(SendImage(state, port, image, calls), EngineResult::ErrFailed);

    EXPECT_EQ(ReceiveImage(state, port, image, dir.File("r.z64"), 1, calls), EngineResult::Ok);
    EXPECT_EQ(dir.Read("r.z64").size(), 131072u);

    state.sc64Opener = [](const std::string& device, std::string& message) -> std::unique_ptr<ByteStream> {
        message = "No permission to use " + device;
        return nullptr;
    };
    state.sc64Device = "/dev/ttyUSB7";
    EXPECT_EQ(ReceiveImage(state, port, image, dir.File("s.z64"), 1, calls), EngineResult::ErrReceive);
    EXPECT_EQ(messages.back(), "No permission to use /dev/ttyUSB7");
    EXPECT_FALSE(dir.Exists("s.z64"));
}

} // namespace
} // namespace q64::test
