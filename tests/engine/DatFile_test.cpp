// DAT files: the Logiqx reader, its messages for bad XML and other XML, and
// matching hashes against the list.

#include <gtest/gtest.h>

#include "engine/DatFile.h"

namespace q64 {
namespace {

const char* kGood = R"xml(<?xml version="1.0"?>
<!DOCTYPE datafile PUBLIC "-//Logiqx//DTD ROM Management Datafile//EN" "http://www.logiqx.com/Dats/datafile.dtd">
<!-- a comment -->
<datafile>
  <header><name>Nintendo 64 &amp; more</name><version>1</version></header>
  <game name="Alpha &quot;One&quot; (E)">
    <description>Alpha</description>
    <rom name="Alpha (E).z64" size="8388608" crc="0A1B2C3D" md5="00" sha1="00112233445566778899aabbccddeeff00112233"/>
  </game>
  <machine name="Beta (U)"><rom name="Beta (U).z64" size="4194304" crc="deadbeef"/></machine>
  <game name="&#x000000410;&#00066;&#x1F600;"><rom name="max" size="18446744073709551615"/></game>
</datafile>
)xml";

TEST(DatParse, ReadsGamesRomsAndTheHeaderName) {
    DatFile dat;
    std::string message;
    ASSERT_TRUE(ParseDat(kGood, dat, message)) << message;
    EXPECT_EQ(dat.name, "Nintendo 64 & more");
    EXPECT_EQ(dat.games, 3u);
    ASSERT_EQ(dat.roms.size(), 3u);
    EXPECT_EQ(dat.roms[0].game, "Alpha \"One\" (E)");
    EXPECT_EQ(dat.roms[0].name, "Alpha (E).z64");
    EXPECT_EQ(*dat.roms[0].size, 8388608u);
    EXPECT_EQ(*dat.roms[0].crc32, 0x0A1B2C3Du);
    EXPECT_EQ(HexDigest(*dat.roms[0].sha1), "00112233445566778899aabbccddeeff00112233");
    EXPECT_EQ(dat.roms[1].game, "Beta (U)");
    EXPECT_FALSE(dat.roms[1].sha1.has_value());
    EXPECT_EQ(*dat.roms[1].crc32, 0xDEADBEEFu);
    EXPECT_EQ(dat.roms[2].game, "\u0410B\U0001F600"); // every digit counts, leading zeros too
    EXPECT_EQ(*dat.roms[2].size, 18446744073709551615u);
}

struct BadCase {
    std::string text;
    std::string message;
};

std::string Repeat(const std::string& text, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += text;
    return out;
}

class DatRejects : public ::testing::TestWithParam<BadCase> {};

TEST_P(DatRejects, NamesTheLineAndTheFault) {
    DatFile dat;
    dat.name = "untouched";
    std::string message;
    EXPECT_FALSE(ParseDat(GetParam().text, dat, message));
    EXPECT_EQ(message, GetParam().message);
    EXPECT_EQ(dat.name, "untouched");
}

INSTANTIATE_TEST_SUITE_P(
    MalformedAndForeign, DatRejects,
    ::testing::Values(
        BadCase{"", "line 1: no root element"},
        BadCase{"<datafile>\n<game name=\"a\">\n</datafile>", "line 3: </datafile> closes <game> opened on line 2"},
        BadCase{"<datafile>\n<game name=\"a\"></game>\n", "line 3: the file ends before </datafile>"},
        BadCase{"<datafile>\n\n<rom name=a/></datafile>", "line 3: the value of name is not quoted"},
        BadCase{"<datafile>\n<game name=\"a &bogus; b\"/></datafile>", "line 2: an unknown entity &bogus;"},
        BadCase{"<datafile/>\n<datafile/>", "line 2: a second root element"},
        BadCase{"<datafile><game name=\"x\" name=\"y\"/></datafile>", "line 1: the attribute name appears twice"},
        BadCase{"<?xml version=\"1.0\"?>\n<softwarelist>\n</softwarelist>",
                "line 2: not a Logiqx datafile: the root element is <softwarelist>, not <datafile>"},
        BadCase{"<datafile>\n<game>\n</game></datafile>", "line 2: <game> without a name"},
        BadCase{"<datafile><game name=\"g\">\n<rom name=\"r\" size=\"12k\"/></game></datafile>",
                "line 2: the rom size \"12k\" is not a number"},
        BadCase{"<datafile><game name=\"g\">\n\n<rom name=\"r\" sha1=\"abc\"/></game></datafile>",
                "line 3: the rom sha1 \"abc\" is not 40 hex digits"},
        BadCase{"<datafile><!-- open", "line 1: the file ends inside a comment"},
        // Nesting is bounded (the root is level 1), however deep the file goes.
        BadCase{"<datafile>\n" + Repeat("<a>\n", 25000), "line 65: elements nest more than 64 deep"},
        // Numbers are read whole and checked.
        BadCase{"<datafile><game name=\"g\">\n<rom name=\"r\" size=\"18446744073709555712\"/></game></datafile>",
                "line 2: the rom size \"18446744073709555712\" is too large"},
        BadCase{"<datafile>\n<game name=\"&#xD800;\"/></datafile>", "line 2: the character reference &#xD800; names no character"},
        BadCase{"<datafile>\n<game name=\"&#x110000;\"/></datafile>", "line 2: the character reference &#x110000; names no character"},
        BadCase{"<datafile><game name=\"&#99999999999999999999999;\"/></datafile>",
                "line 1: the character reference &#9999999999999999999999... names no character"},
        BadCase{"<datafile><game name=\"&#0;\"/></datafile>", "line 1: the character reference &#0; names no character"},
        BadCase{"<datafile><game name=\"&#x;\"/></datafile>", "line 1: a bad character reference &#x;"},
        BadCase{"<datafile><game name=\"&#12a;\"/></datafile>", "line 1: a bad character reference &#12a"}));

ImageHashes Hashes(std::uint64_t size, std::uint32_t crc, std::uint8_t sha1First) {
    ImageHashes h;
    h.size = size;
    h.crc32 = crc;
    h.sha1.fill(0x77);
    h.sha1[0] = sha1First;
    return h;
}

TEST(DatMatching, Sha1FirstThenCrcAndSizeThenNameThenAUniqueSize) {
    DatFile dat;
    std::string message;
    ASSERT_TRUE(ParseDat(kGood, dat, message));
    const DatIndex index(dat);
    ImageHashes alpha = Hashes(8388608, 0, 0);
    ParseHexDigest("00112233445566778899aabbccddeeff00112233", alpha.sha1);

    struct Case {
        ImageHashes hashes;
        const char* name;
        DatStatus status;
        const char* game;
    };
    const Case cases[] = {
        {alpha, "whatever.v64", DatStatus::Good, "Alpha \"One\" (E)"},
        {Hashes(4194304, 0xDEADBEEF, 1), "x.n64", DatStatus::Good, "Beta (U)"},          // no SHA-1 listed
        {Hashes(4194305, 0xDEADBEEF, 1), "x.n64", DatStatus::Unknown, ""},               // CRC alone is not enough
        {Hashes(8388608, 0x0A1B2C3D, 2), "x.z64", DatStatus::Bad, "Alpha \"One\" (E)"}, // SHA-1 listed and differs
        {Hashes(123, 5, 3), "ALPHA (E).v64", DatStatus::Bad, "Alpha \"One\" (E)"},      // same name
        {Hashes(123, 5, 3), "nothing.z64", DatStatus::Unknown, ""},
    };
    for (const Case& c : cases) {
        const DatMatch match = index.Match(c.hashes, c.name);
        EXPECT_EQ(match.status, c.status) << c.name;
        EXPECT_EQ(match.rom ? match.rom->game : std::string(), c.game) << c.name;
    }
}

TEST(DatMatching, SizeSharedByTwoRomsSaysNothing) {
    DatFile dat;
    std::string message;
    ASSERT_TRUE(ParseDat("<datafile><game name=\"a\"><rom name=\"a.z64\" size=\"64\" crc=\"1\"/></game>"
                         "<game name=\"b\"><rom name=\"b.z64\" size=\"64\" crc=\"2\"/></game></datafile>",
                         dat, message));
    EXPECT_EQ(DatIndex(dat).Match(Hashes(64, 3, 0), "c.z64").status, DatStatus::Unknown);
}

TEST(DatLoad, MissingFileAndFolderAreRefusedWithThePath) {
    DatFile dat;
    std::string message;
    EXPECT_FALSE(LoadDatFile("/nonexistent/list.dat", dat, message));
    EXPECT_EQ(message, "Unable to open the DAT file /nonexistent/list.dat");
    EXPECT_FALSE(LoadDatFile("/tmp", dat, message));
}

} // namespace
} // namespace q64
