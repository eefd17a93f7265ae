// The ROM list report: exact bytes per entry, the folder walk with filters,
// hidden files and previews, and the safe write of the report file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/FileChange.h"
#include "browser/RomListReport.h"
#include "engine/RomImage.h"
#include "engine/OperationFixtures.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

using samples::Bytes;

std::string Spaces(int n) { return std::string(static_cast<std::size_t>(n), ' '); }
const std::string kRule = std::string(75, '-') + "\r\n";

std::string AsText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// An entry spelled out field by field, independent of the formats in the code.
std::string Expected(const std::string& title20, const std::string& size, const std::string& pad, char doctor,
                     const std::string& name20, const std::string& cart2, char sp64, const std::string& compressed3,
                     const std::string& origin) {
    return "\r\nRom Title:" + title20 + Spaces(5) + "Size   :" + size + " Mbit" + pad + Spaces(11) + "Doctor[" +
           doctor + "]" + "\r\nFileName :" + name20 + Spaces(5) + "Cart ID:" + cart2 + Spaces(19) + "SP64  [" +
           sp64 + "]" + "\r\nZ64 Compressed:" + compressed3 + Spaces(17) + "Origin :" + origin + "\r\n" + kRule;
}

// The report cut into its entries (each starts with the empty line), sorted,
// since entries follow the folder's enumeration order.
std::vector<std::string> Entries(const std::string& report) {
    std::vector<std::string> out;
    const std::string start = "\r\nRom Title:";
    std::size_t at = report.find(start);
    while (at != std::string::npos) {
        const std::size_t next = report.find(start, at + start.size());
        out.push_back(report.substr(at, next == std::string::npos ? std::string::npos : next - at));
        at = next;
    }
    std::sort(out.begin(), out.end());
    return out;
}

samples::ImageRecipe Recipe(const std::string& title, std::uint8_t territory, std::size_t bytes,
                        ImageFormat format = ImageFormat::BigEndian) {
    samples::ImageRecipe recipe;
    recipe.title = title;
    recipe.territory = territory;
    recipe.sizeBytes = bytes;
    recipe.format = format;
    return recipe;
}

class RomListReportTest : public ::testing::Test {
protected:
    RomListOptions Options(int filter) const {
        RomListOptions options;
        options.filter = filter;
        return options;
    }
    std::string Report(int filter) {
        const RomListText text = BuildRomList(image, dir.Path(), Options(filter));
        EXPECT_TRUE(text.folderRead);
        EXPECT_FALSE(image.IsLoaded());
        return text.bytes;
    }
    // A folder with one file of every kind.
    void WriteMixedFolder() {
        dir.Write("usa.z64", samples::MakeImage(Recipe("USA GAME", 'E', 8 * 131072)));
        dir.Write("jap.v64", samples::MakeImage(Recipe("JAP GAME", 'J', 32 * 131072, ImageFormat::ByteSwapped)));
        dir.Write("pal.z64", samples::MakeCompressedImage(Recipe("PAL GAME", 'P', 4 * 131072)));
        dir.Write("bios.bin", samples::MakeBios());
        dir.Write("fix.ips", samples::MakeIps({}));
        dir.Write("game.sav", samples::MakeSavRam());
        dir.Write("tagged.n64", samples::MakeTaggedSave("TAGGED"));
        dir.Write("rooms.dx2", samples::MakeDx256());
        dir.Write("notes.txt", samples::MakeText());
        dir.Write("junk.dat", samples::MakeUnknown());
        std::filesystem::create_directory(dir.File("sub.z64"));
    }
    std::vector<std::string> NamesIn(const std::string& report) {
        std::vector<std::string> names;
        const std::string key = "\r\nFileName :";
        for (std::size_t at = report.find(key); at != std::string::npos; at = report.find(key, at + 1)) {
            std::string name = report.substr(at + key.size(), 20);
            name.erase(name.find_last_not_of(' ') + 1);
            names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TempDir dir;
    RomImage image;
};

TEST_F(RomListReportTest, SixtyFourMbitBigEndianImageExactBytes) {
    dir.Write("game.z64", samples::MakeImage(Recipe("QUORVEL SAMPLE", 'E', 64 * 131072)));
    EXPECT_EQ(Report(0), Expected("QUORVEL SAMPLE      ", "64.0", " ", ' ', "game.z64" + Spaces(12), "QS", '*',
                                  "No ", "USA"));
}

TEST_F(RomListReportTest, SizePaddingKeepsTheColumnAfterMbit) {
    dir.Write("a.v64", samples::MakeImage(Recipe("EIGHT", 'J', 8 * 131072, ImageFormat::ByteSwapped)));
    dir.Write("b.z64", samples::MakeImage(Recipe("THIRTYTWO", 'P', 32 * 131072)));
    // A compressed image states its full size in the container (little-endian at 64).
    samples::Bytes huge = samples::MakeCompressedImage(Recipe("HUGE", 'E', 131072));
    const std::uint32_t size = 256u * 131072u;
    for (int i = 0; i < 4; ++i) huge[64 + i] = static_cast<std::uint8_t>(size >> (8 * i));
    dir.Write("c.z64", huge);
    const std::vector<std::string> entries = Entries(Report(0));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], Expected("EIGHT" + Spaces(15), "8.0", "  ", '*', "a.v64" + Spaces(15), "QS", ' ', "No ",
                                   "Japan"));
    EXPECT_EQ(entries[1], Expected("HUGE" + Spaces(16), "256.0", "", ' ', "c.z64" + Spaces(15), "QS", '*', "Yes",
                                   "USA"));
    EXPECT_EQ(entries[2], Expected("THIRTYTWO" + Spaces(11), "32.0", " ", ' ', "b.z64" + Spaces(15), "QS", '*',
                                   "No ", "Europe"));
    // Whatever the size, "Doctor[" sits in the same column.
    for (const std::string& e : entries) EXPECT_EQ(e.find("Doctor["), entries[0].find("Doctor["));
}

TEST_F(RomListReportTest, OtherKindsAndLongNames) {
    const std::string longName = "a_file_name_longer_than_twenty.bin";
    dir.Write(longName, samples::MakeBios());
    dir.Write("slot.sav", samples::MakeSavRam());
    dir.Write("tagged.n64", samples::MakeTaggedSave("MY SAVE"));
    const std::vector<std::string> entries = Entries(Report(0));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], Expected("Doctor64 BIOS" + Spaces(7), "0.0", "  ", '*', longName, "  ", ' ', "No ", ""));
    EXPECT_EQ(entries[1], Expected("MY SAVE" + Spaces(13), "0.0", "  ", '*', "tagged.n64" + Spaces(10), "  ", ' ',
                                   "No ", ""));
    EXPECT_EQ(entries[2], Expected("SAV Ram File" + Spaces(8), "0.0", "  ", '*', "slot.sav" + Spaces(12), "  ", ' ',
                                   "No ", ""));
}

TEST_F(RomListReportTest, LineFeedsInsideATitleBecomeCrLfToo) {
    RomListEntry entry;
    entry.title = "A\nB";
    entry.fileName = "x";
    entry.cartId = "ID";
    const std::string text = FormatRomListEntry(entry);
    EXPECT_NE(text.find("A\r\nB"), std::string::npos);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << i;
        }
    }
}

TEST_F(RomListReportTest, FiltersAdmitWhatTheFileListAdmits) {
    WriteMixedFolder();
    const std::vector<std::string> known = {"bios.bin", "fix.ips",  "game.sav", "jap.v64",
                                            "pal.z64",  "rooms.dx2", "tagged.n64", "usa.z64"};
    EXPECT_EQ(NamesIn(Report(0)), known);
    EXPECT_EQ(NamesIn(Report(1)), known);
    EXPECT_EQ(NamesIn(Report(2)), (std::vector<std::string>{"jap.v64", "pal.z64", "usa.z64"}));
    EXPECT_EQ(NamesIn(Report(3)), (std::vector<std::string>{"bios.bin"}));
    EXPECT_EQ(NamesIn(Report(4)), (std::vector<std::string>{"usa.z64"}));
    EXPECT_EQ(NamesIn(Report(5)), (std::vector<std::string>{"jap.v64"}));
    EXPECT_EQ(NamesIn(Report(6)), (std::vector<std::string>{"pal.z64"}));
    EXPECT_EQ(NamesIn(Report(7)), (std::vector<std::string>{"fix.ips"}));
    EXPECT_EQ(NamesIn(Report(8)), (std::vector<std::string>{"game.sav", "rooms.dx2", "tagged.n64"}));
    EXPECT_EQ(Report(9), "");
    EXPECT_EQ(Report(-1), "");
}

TEST_F(RomListReportTest, HiddenFilesAndPreviews) {
    dir.Write(".hidden.z64", samples::MakeImage(Recipe("HIDDEN", 'E', 131072)));
    dir.Write("shown.z64", samples::MakeImage(Recipe("SHOWN", 'E', 131072)));
    EXPECT_EQ(NamesIn(Report(0)), (std::vector<std::string>{"shown.z64"}));
    RomListOptions options = Options(0);
    options.hidden = true;
    EXPECT_EQ(NamesIn(BuildRomList(image, dir.Path(), options).bytes),
              (std::vector<std::string>{".hidden.z64", "shown.z64"}));

    Settings settings;
    settings.PreviewDir = 0;
    options = RomListOptionsFor(settings, 0, false);
    EXPECT_FALSE(options.previews);
    const RomListText off = BuildRomList(image, dir.Path(), options);
    EXPECT_TRUE(off.folderRead);
    EXPECT_EQ(off.bytes, "");

    settings.PreviewDir = 1;
    settings.PreviewCD = 0;
    EXPECT_FALSE(RomListOptionsFor(settings, 0, true).previews);
    EXPECT_TRUE(RomListOptionsFor(settings, 0, false).previews);
    settings.PreviewCD = 1;
    EXPECT_TRUE(RomListOptionsFor(settings, 0, true).previews);
    settings.Hidden = 1;
    EXPECT_TRUE(RomListOptionsFor(settings, 3, false).hidden);
    EXPECT_EQ(RomListOptionsFor(settings, 3, false).filter, 3);
}

TEST_F(RomListReportTest, ProducesAnEmptyFileForAFolderWithoutRecognisedFiles) {
    dir.Write("notes.txt", samples::MakeText());
    dir.Write("junk.dat", samples::MakeUnknown());
    std::vector<std::string> messages;
    const RomListOutcome outcome = ProduceRomList(image, dir.Path(), Options(0), dir.File("list.txt"),
                                                  [&](const std::string& m) { messages.push_back(m); });
    EXPECT_EQ(outcome.result, RomListResult::Written);
    EXPECT_EQ(outcome.entries, 0);
    EXPECT_TRUE(messages.empty());
    ASSERT_TRUE(dir.Exists("list.txt"));
    EXPECT_TRUE(dir.Read("list.txt").empty());
}

TEST_F(RomListReportTest, ReportInsideTheFolderNeverListsItselfAndLeavesNoTemporaryFile) {
    dir.Write("game.z64", samples::MakeImage(Recipe("GAME", 'E', 131072)));
    // The chosen name is a recognised image: it is replaced, not reported.
    dir.Write("old.z64", samples::MakeImage(Recipe("OLD", 'E', 131072)));
    RomListOptions options = Options(0);
    options.hidden = true;
    ASSERT_EQ(ProduceRomList(image, dir.Path(), options, dir.File("old.z64"), {}).result, RomListResult::Written);
    EXPECT_EQ(NamesIn(AsText(dir.Read("old.z64"))), (std::vector<std::string>{"game.z64"}));
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"game.z64", "old.z64"}));

    // Run again into the text report: it is not recognised and not listed.
    const RomListOutcome again = ProduceRomList(image, dir.Path(), options, dir.File("list.txt"), {});
    EXPECT_EQ(again.entries, 1);
    const RomListOutcome third = ProduceRomList(image, dir.Path(), options, dir.File("list.txt"), {});
    EXPECT_EQ(third.entries, 1);
    EXPECT_EQ(NamesIn(AsText(dir.Read("list.txt"))), (std::vector<std::string>{"game.z64"}));
}

TEST_F(RomListReportTest, ExistingReportIsReplacedWholeAndKeepsItsPermissions) {
    dir.Write("game.z64", samples::MakeImage(Recipe("GAME", 'E', 131072)));
    test::TempDir out;
    const std::string path = out.Write("list.txt", Bytes(5000, 'x'));
    ::chmod(path.c_str(), 0640);
    // Another user's file keeps its owner when this process may set it (root).
    const bool canChown = ::chown(path.c_str(), 4321, 4321) == 0;
    ASSERT_EQ(ProduceRomList(image, dir.Path(), Options(0), path, {}).result, RomListResult::Written);
    const std::string text = AsText(out.Read("list.txt"));
    EXPECT_EQ(text.find('x'), std::string::npos);
    EXPECT_EQ(Entries(text).size(), 1u);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    if (canChown) {
        EXPECT_EQ(info.st_uid, 4321u);
        EXPECT_EQ(info.st_gid, 4321u);
    }
}

TEST_F(RomListReportTest, ASymbolicLinkKeepsPointingAtTheReplacedReport) {
    dir.Write("game.z64", samples::MakeImage(Recipe("GAME", 'E', 131072)));
    test::TempDir out;
    out.Write("real.txt", Bytes{'o', 'l', 'd'});
    ASSERT_EQ(::symlink(out.File("real.txt").c_str(), out.File("link.txt").c_str()), 0);
    ASSERT_EQ(ProduceRomList(image, dir.Path(), Options(0), out.File("link.txt"), {}).result,
              RomListResult::Written);
    struct stat info {};
    ASSERT_EQ(::lstat(out.File("link.txt").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(Entries(AsText(out.Read("real.txt"))).size(), 1u);
}

TEST_F(RomListReportTest, UnwritableTargetsFailClearlyAndChangeNothing) {
    dir.Write("game.z64", samples::MakeImage(Recipe("GAME", 'E', 131072)));
    test::TempDir out;
    const Bytes previous{'k', 'e', 'e', 'p'};
    out.Write("plain", previous);
    std::filesystem::create_directory(out.File("folder"));

    const std::vector<std::string> targets = {
        out.File("missing/list.txt"), // no such folder
        out.File("plain/list.txt"),   // a file where a folder should be
        out.File("folder"),           // a folder under the chosen name
        out.File("folder/"),
    };
    for (const std::string& target : targets) {
        std::vector<std::string> messages;
        const RomListOutcome outcome =
            ProduceRomList(image, dir.Path(), Options(0), target, [&](const std::string& m) { messages.push_back(m); });
        EXPECT_EQ(outcome.result, RomListResult::ErrWrite) << target;
        ASSERT_EQ(messages.size(), 1u) << target;
        EXPECT_EQ(messages[0], outcome.message);
        EXPECT_EQ(messages[0].rfind("Unable to Write ROM List ", 0), 0u) << messages[0];
    }
    EXPECT_EQ(out.Read("plain"), previous);
    EXPECT_EQ(out.Names(), (std::vector<std::string>{"folder", "plain"}));
    EXPECT_TRUE(std::filesystem::is_empty(out.File("folder")));
}

TEST_F(RomListReportTest, ReadOnlyFolderKeepsTheOldReport) {
    dir.Write("game.z64", samples::MakeImage(Recipe("GAME", 'E', 131072)));
    test::TempDir out;
    const Bytes previous{'o', 'l', 'd'};
    out.Write("list.txt", previous);
    std::vector<std::string> messages;
    RomListOutcome outcome;
    {
        test::ReadOnlyFolder locked(out.Path());
        if (!locked.Locked()) GTEST_SKIP() << "the folder cannot be locked here";
        outcome = ProduceRomList(image, dir.Path(), Options(0), out.File("list.txt"),
                                 [&](const std::string& m) { messages.push_back(m); });
    }
    EXPECT_EQ(outcome.result, RomListResult::ErrWrite);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("list.txt"), std::string::npos);
    EXPECT_EQ(out.Read("list.txt"), previous);
    EXPECT_EQ(out.Names(), (std::vector<std::string>{"list.txt"}));
}

TEST_F(RomListReportTest, AWriteThatFailsHalfWayLeavesTheOldReportAndNoTemporaryFile) {
    for (int i = 0; i < 20; ++i)
        dir.Write("game" + std::to_string(i) + ".z64", samples::MakeImage(Recipe("GAME", 'E', 4096)));
    test::TempDir out;
    const Bytes previous{'o', 'l', 'd'};
    out.Write("list.txt", previous);
    std::vector<std::string> messages;
    RomListOutcome outcome;
    {
        // The report is over 5000 bytes: the write stops part-way, as on a full disk.
        test::FileSizeLimit limit(1000);
        outcome = ProduceRomList(image, dir.Path(), Options(0), out.File("list.txt"),
                                 [&](const std::string& m) { messages.push_back(m); });
    }
    EXPECT_EQ(outcome.result, RomListResult::ErrWrite);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("list.txt"), std::string::npos);
    EXPECT_EQ(out.Read("list.txt"), previous);
    EXPECT_EQ(out.Names(), (std::vector<std::string>{"list.txt"}));
}

TEST_F(RomListReportTest, DevicesAreNotReplaced) {
    test::TempDir out;
    ASSERT_EQ(::symlink("/dev/null", out.File("null").c_str()), 0);
    std::string error;
    EXPECT_EQ(WriteWholeFile(out.File("null"), "text", ExistingFile::Replace, error), EngineResult::ErrOpen);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(out.Names(), (std::vector<std::string>{"null"}));
}

TEST_F(RomListReportTest, UnreadableFolderIsReportedAndNothingWritten) {
    std::vector<std::string> messages;
    const RomListOutcome outcome = ProduceRomList(image, dir.File("nowhere"), Options(0), dir.File("list.txt"),
                                                  [&](const std::string& m) { messages.push_back(m); });
    EXPECT_EQ(outcome.result, RomListResult::ErrFolder);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Unable to Read Folder ", 0), 0u);
    EXPECT_FALSE(dir.Exists("list.txt"));
}

} // namespace
} // namespace q64
