// Listing under each filter and preview setting, sorting, selection and panel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>

#include "browser/FileListModel.h"
#include "engine/PatchMaker.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

class FileListModelTest : public ::testing::Test {
protected:
    FileListModelTest() : model(image, settings) {
        samples::ImageRecipe usa;
        usa.title = "ZEBRA USA";
        usa.territory = 'E';
        samples::ImageRecipe jap;
        jap.title = "apple jap";
        jap.territory = 'J';
        jap.format = ImageFormat::ByteSwapped;
        samples::ImageRecipe asia;
        asia.title = "Mango Asia";
        asia.territory = 'A';
        samples::ImageRecipe pal;
        pal.title = "Kiwi Pal";
        pal.territory = 'U';
        dir.Write("usa.z64", samples::MakeImage(usa));
        dir.Write("jap.v64", samples::MakeImage(jap));
        dir.Write("asia.z64", samples::MakeImage(asia));
        dir.Write("pal.z64", samples::MakeCompressedImage(pal));
        dir.Write("bios.bin", samples::MakeBios());
        dir.Write("fix.ips", samples::MakeIps({}));
        dir.Write("game.sav", samples::MakeSavRam());
        dir.Write("tagged.n64", samples::MakeTaggedSave("TAGGED"));
        dir.Write("rooms.dx2", samples::MakeDx256());
        dir.Write("notes.TXT", samples::MakeText());
        dir.Write("junk.dat", samples::MakeUnknown());
        dir.Write(".hidden.z64", samples::MakeImage(usa));
        model.SetFolder(dir.Path());
    }

    std::vector<std::string> RowNames() const {
        std::vector<std::string> names;
        for (const FileEntry& row : model.Rows()) names.push_back(row.fileName);
        return names;
    }
    std::vector<std::string> Listed(int filter) {
        model.SetFilter(filter);
        auto names = RowNames();
        std::sort(names.begin(), names.end());
        return names;
    }
    const FileEntry& Row(const std::string& name) const { return model.Rows()[model.FindRow(name)]; }

    test::TempDir dir;
    RomImage image;
    Settings settings;
    FileListModel model;
};

using Names = std::vector<std::string>;

TEST_F(FileListModelTest, EachFilterAdmitsItsKinds) {
    const samples::Bytes data{1, 2, 3};
    dir.Write("fix.bps", MakeBpsPatch(data.data(), 3, data.data(), 3));
    EXPECT_EQ(Listed(0), (Names{"asia.z64", "bios.bin", "fix.bps", "fix.ips", "game.sav", "jap.v64", "junk.dat",
                                "notes.TXT", "pal.z64", "rooms.dx2", "tagged.n64", "usa.z64"}));
    EXPECT_EQ(Listed(1), (Names{"asia.z64", "bios.bin", "fix.bps", "fix.ips", "game.sav", "jap.v64", "notes.TXT",
                                "pal.z64", "rooms.dx2", "tagged.n64", "usa.z64"}));
    EXPECT_EQ(Listed(2), (Names{"asia.z64", "jap.v64", "pal.z64", "usa.z64"}));
    EXPECT_EQ(Listed(3), (Names{"bios.bin"}));
    EXPECT_EQ(Listed(4), (Names{"usa.z64"}));
    EXPECT_EQ(Listed(5), (Names{"jap.v64"})); // 'A' is named Japan but is not a JAP image
    EXPECT_EQ(Listed(6), (Names{"pal.z64"}));
    EXPECT_EQ(Listed(7), (Names{"fix.bps", "fix.ips"})); // both patches, under one picture
    EXPECT_EQ(Row("fix.bps").kind, EntryKind::IpsPatch);
    EXPECT_EQ(Row("fix.bps").title, "BPS Patch File");
    EXPECT_EQ(Listed(8), (Names{"game.sav", "rooms.dx2", "tagged.n64"}));
    EXPECT_EQ(Listed(9), Names{});
}

TEST_F(FileListModelTest, RowsCarryKindTitleAndCountry) {
    model.SetFilter(0);
    EXPECT_EQ(Row("usa.z64").kind, EntryKind::Image);
    EXPECT_EQ(Row("usa.z64").title, "ZEBRA USA");
    EXPECT_EQ(Row("usa.z64").country, "USA");
    EXPECT_EQ(Row("asia.z64").country, "Japan");
    EXPECT_EQ(Row("pal.z64").kind, EntryKind::CompressedImage);
    EXPECT_EQ(Row("bios.bin").kind, EntryKind::Bios);
    EXPECT_EQ(Row("bios.bin").country, "");
    EXPECT_EQ(Row("fix.ips").kind, EntryKind::IpsPatch);
    EXPECT_EQ(Row("game.sav").kind, EntryKind::Sav);
    EXPECT_EQ(Row("tagged.n64").kind, EntryKind::Sav);
    EXPECT_EQ(Row("tagged.n64").title, "TAGGED");
    EXPECT_EQ(Row("rooms.dx2").kind, EntryKind::Dx256);
    EXPECT_EQ(Row("notes.TXT").kind, EntryKind::Text);
    EXPECT_EQ(Row("notes.TXT").title, "ASCII File");
    EXPECT_EQ(Row("junk.dat").kind, EntryKind::Other);
}

TEST_F(FileListModelTest, HiddenFilesAndFoldersFollowTheSettings) {
    dir.Write("sub.z64.keep", {});
    ASSERT_EQ(::mkdir(dir.File("folder.z64").c_str(), 0700), 0);
    EXPECT_EQ(model.FindRow(".hidden.z64"), -1);
    model.SetFilter(2);
    EXPECT_EQ(model.FindRow(".hidden.z64"), -1);
    EXPECT_EQ(model.FindRow("folder.z64"), -1);
    settings.Hidden = 1;
    model.FillList();
    EXPECT_NE(model.FindRow(".hidden.z64"), -1);
    EXPECT_EQ(model.FindRow("folder.z64"), -1);
}

TEST_F(FileListModelTest, PreviewsOffListsEverythingUnexamined) {
    settings.PreviewDir = 0;
    model.SetFilter(3); // the filter has no effect without previews
    EXPECT_EQ(model.Rows().size(), 11u);
    for (int i = 0; i < static_cast<int>(model.Rows().size()); ++i) {
        const FileEntry& row = model.Rows()[i];
        // The selected row is identified on selection; the others stay unexamined.
        EXPECT_EQ(row.kind, i == model.CurrentRow() ? EntryKind::Image : EntryKind::NotExamined) << row.fileName;
        EXPECT_EQ(row.title, "");
    }
    // Previews on, but not on a CD-ROM unless "PreviewCD" says so.
    settings.PreviewDir = 1;
    model.SetOnCdRom(true);
    model.FillList();
    EXPECT_EQ(Row("usa.z64").kind, EntryKind::NotExamined);
    settings.PreviewCD = 1;
    model.FillList();
    EXPECT_EQ(model.Rows().size(), 1u);
    EXPECT_EQ(model.Rows().front().kind, EntryKind::Bios);
}

TEST_F(FileListModelTest, SelectingAnUnexaminedRowShowsItsTitleButSortsAsEmpty) {
    settings.PreviewDir = 0;
    model.SetFilter(0);
    const Names before = RowNames();
    model.SelectRow(model.FindRow("usa.z64"));
    const FileEntry& row = Row("usa.z64");
    EXPECT_EQ(row.kind, EntryKind::Image);
    EXPECT_EQ(row.DisplayTitle(), "ZEBRA USA");
    EXPECT_EQ(row.title, "");
    model.SortByColumn(1);
    EXPECT_EQ(RowNames(), before); // every key is empty: equal rows keep their order
    EXPECT_EQ(model.CurrentPath(), dir.File("usa.z64"));
}

TEST_F(FileListModelTest, SortsCaseInsensitivelyByColumn) {
    model.SetFilter(2);
    model.SortByColumn(1);
    EXPECT_EQ(RowNames(), (Names{"jap.v64", "pal.z64", "asia.z64", "usa.z64"}));
    model.SortByColumn(2);
    std::vector<std::string> countries;
    for (const FileEntry& row : model.Rows()) countries.push_back(row.country);
    EXPECT_EQ(countries, (Names{"Australia", "Japan", "Japan", "USA"}));
    EXPECT_EQ(model.SortOrder(), 1);
    model.SortByColumn(0);
    EXPECT_EQ(RowNames(), (Names{"asia.z64", "jap.v64", "pal.z64", "usa.z64"}));
    model.SortByColumn(7); // unknown column: all rows compare equal
    EXPECT_EQ(RowNames(), (Names{"asia.z64", "jap.v64", "pal.z64", "usa.z64"}));
}

TEST_F(FileListModelTest, NamesSortNaturallyAndASecondClickReverses) {
    for (const char* name : {"file10.z64", "File2.z64", "file1.z64", "file02.z64"}) dir.Write(name, samples::MakeText());
    model.SetFilter(0);
    model.SortByColumn(1);
    model.SortByColumn(0);
    EXPECT_EQ(model.SortOrder(), 1);
    Names files;
    for (const std::string& name : RowNames())
        if (name.rfind("file", 0) == 0 || name.rfind("File", 0) == 0) files.push_back(name);
    EXPECT_EQ(files, (Names{"file1.z64", "File2.z64", "file02.z64", "file10.z64"}));
    model.SortByColumn(0);
    EXPECT_EQ(model.SortOrder(), 0);
    EXPECT_EQ(RowNames().front(), "usa.z64");
    EXPECT_EQ(RowNames().back(), "asia.z64");
    model.SortByColumn(0);
    EXPECT_EQ(model.SortOrder(), 1);
    EXPECT_EQ(CompareNatural("a9", "a10"), -1);
    EXPECT_EQ(CompareNatural("A10", "a10"), 0);
    EXPECT_EQ(CompareNatural("x", "x1"), -1);
}

TEST_F(FileListModelTest, SelectionFillsThePanelAndTheCurrentState) {
    model.SetFilter(0);
    model.SelectRow(model.FindRow("jap.v64"));
    EXPECT_EQ(model.CurrentFormat(), ToInt(FileKind::Image));
    EXPECT_EQ(model.ViewerKind(), 2);
    const InfoPanelTexts& p = model.Panel();
    EXPECT_EQ(p.imageSize, "8.0 MBit");
    EXPECT_EQ(p.fileSize, "1.00 MB");
    EXPECT_EQ(p.territory, "74 - J");
    EXPECT_EQ(p.cartId, "QS");
    EXPECT_EQ(p.maker, "N - Nintendo");
    EXPECT_EQ(p.format, "Doctor 64");
    EXPECT_FALSE(p.compressed);
    EXPECT_FALSE(image.IsLoaded()); // cleared after use

    // A text file after an image shows an empty panel and no image format.
    model.SelectRow(model.FindRow("notes.TXT"));
    EXPECT_EQ(model.ViewerKind(), 1);
    EXPECT_EQ(model.CurrentFormat(), 0);
    EXPECT_EQ(model.Panel(), InfoPanelTexts{});

    model.SelectRow(model.FindRow("pal.z64"));
    EXPECT_TRUE(model.Panel().compressed);
    model.SelectRow(model.FindRow("bios.bin"));
    EXPECT_EQ(model.Panel().fileSize, "0.25 MB");
    EXPECT_EQ(model.Panel().imageSize, "");
    EXPECT_EQ(model.Panel().territory, "");
    EXPECT_EQ(model.CurrentFormat(), ToInt(FileKind::Doctor64Bios));

    model.SelectRow(model.FindRow("junk.dat"));
    EXPECT_EQ(model.CurrentFormat(), 0);
    EXPECT_EQ(model.Panel(), InfoPanelTexts{});
    model.SelectRow(-1);
    EXPECT_EQ(model.Panel(), InfoPanelTexts{});
}

TEST_F(FileListModelTest, EqualKeysKeepFileNameOrder) {
    // Many rows share "ROM Name" and "Country": each group stays in file-name order.
    for (const char* name : {"m3.z64", "B2.z64", "a1.z64", "c0.z64", "b1.z64"}) {
        samples::ImageRecipe same;
        same.title = "SAME";
        dir.Write(name, samples::MakeImage(same));
    }
    model.SetFilter(2);
    model.SortByColumn(1);
    EXPECT_EQ(RowNames(), (Names{"jap.v64", "pal.z64", "asia.z64", "a1.z64", "b1.z64", "B2.z64", "c0.z64", "m3.z64",
                                 "usa.z64"}));
    model.SortByColumn(2);
    EXPECT_EQ(RowNames(), (Names{"pal.z64", "asia.z64", "jap.v64", "a1.z64", "b1.z64", "B2.z64", "c0.z64", "m3.z64",
                                 "usa.z64"}));
}

TEST_F(FileListModelTest, BackupFilesAreMarked) {
    dir.Write("old.BAK", samples::MakeImage({}));
    model.SetFilter(0);
    model.SelectRow(model.FindRow("old.BAK"));
    EXPECT_TRUE(model.CurrentIsBackup());
    model.SelectRow(model.FindRow("usa.z64"));
    EXPECT_FALSE(model.CurrentIsBackup());
}

TEST_F(FileListModelTest, RefreshKeepsTheSelectionByName) {
    model.SetFilter(0);
    model.SelectRow(model.FindRow("usa.z64"));
    dir.Write("aaa.z64", samples::MakeImage({}));
    model.RefreshKeepingSelection();
    EXPECT_EQ(model.Rows()[model.CurrentRow()].fileName, "usa.z64");
    std::remove(dir.File("usa.z64").c_str());
    model.RefreshKeepingSelection();
    EXPECT_EQ(model.CurrentRow(), -1);
}

TEST(FileListModelFolders, EmptyAndMissingFolders) {
    test::TempDir dir;
    RomImage image;
    Settings settings;
    FileListModel model(image, settings);
    dir.Write("one.z64", samples::MakeImage({}));
    model.SetFolder(dir.Path());
    model.FillList();
    ASSERT_EQ(model.Panel().format, "SP64/WC/Z64");

    // A folder that cannot be enumerated lists nothing and keeps the panel.
    model.SetFolder(dir.File("missing"));
    model.FillList();
    EXPECT_TRUE(model.Rows().empty());
    EXPECT_FALSE(model.ListReady());
    EXPECT_EQ(model.Panel().format, "SP64/WC/Z64");

    // An empty folder shows an empty panel.
    ::mkdir(dir.File("empty").c_str(), 0700);
    model.SetFolder(dir.File("empty"));
    model.FillList();
    EXPECT_TRUE(model.ListReady());
    EXPECT_EQ(model.Panel(), InfoPanelTexts{});
    EXPECT_EQ(model.CurrentFormat(), 0);
}

} // namespace
} // namespace q64
