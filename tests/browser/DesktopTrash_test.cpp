// The desktop trash: where a file goes, its information file, names taken twice.
#include "browser/DesktopTrash.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "support/TempDir.h"

namespace q64::test {
namespace {

std::string ReadText(const std::string& path) {
    const samples::Bytes bytes = samples::ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

class DesktopTrashTest : public ::testing::Test {
protected:
    TrashUser User() const { return TrashUser{data.Path(), ::getuid()}; }
    TempDir files; // the same volume as `data`: the home trash takes its files
    TempDir data;
};

TEST_F(DesktopTrashTest, AFileOnTheHomeVolumeGoesToTheHomeTrashWithItsInformation) {
    const std::string path = files.Write("Game (J).z64", samples::MakeImage({}));
    const auto place = TrashFor(path, User());
    ASSERT_TRUE(place.has_value());
    EXPECT_EQ(place->top, data.File("Trash"));
    EXPECT_EQ(MoveToTrash(path, *place, 0), TrashResult::Moved);
    EXPECT_FALSE(files.Exists("Game (J).z64"));
    EXPECT_EQ(samples::ReadFile(data.File("Trash/files/Game (J).z64")), samples::MakeImage({}));
    const std::string info = ReadText(data.File("Trash/info/Game (J).z64.trashinfo"));
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + PercentEncodePath(path) + "\nDeletionDate=", 0), 0u) << info;
    EXPECT_NE(info.find("Game%20%28J%29.z64"), std::string::npos) << info;
}

TEST_F(DesktopTrashTest, ANameAlreadyInTheTrashGetsANumber) {
    const std::string first = files.Write("a.v64", samples::MakeText());
    const auto place = TrashFor(first, User());
    ASSERT_TRUE(place.has_value());
    ASSERT_EQ(MoveToTrash(first, *place, 0), TrashResult::Moved);
    const std::string second = files.Write("a.v64", samples::MakeUnknown());
    ASSERT_EQ(MoveToTrash(second, *place, 0), TrashResult::Moved);
    EXPECT_EQ(samples::ReadFile(data.File("Trash/files/a.v64")), samples::MakeText());
    EXPECT_EQ(samples::ReadFile(data.File("Trash/files/a.v64.2")), samples::MakeUnknown());
    EXPECT_TRUE(std::filesystem::exists(data.File("Trash/info/a.v64.2.trashinfo")));
}

TEST_F(DesktopTrashTest, AFailedMoveLeavesTheFileAndNoInformation) {
    const std::string path = files.Write("keep.z64", samples::MakeText());
    const auto place = TrashFor(path, User());
    ASSERT_TRUE(place.has_value());
    std::filesystem::remove_all(data.File("Trash/files")); // nowhere to move to
    EXPECT_EQ(MoveToTrash(path, *place, 0), TrashResult::Failed);
    EXPECT_TRUE(files.Exists("keep.z64"));
    EXPECT_TRUE(std::filesystem::is_empty(data.File("Trash/info")));
}

TEST(DesktopTrash, NoTrashForRelativeOrMissingPaths) {
    TempDir data;
    const TrashUser user{data.Path(), ::getuid()};
    EXPECT_FALSE(TrashFor("relative.z64", user).has_value());
    EXPECT_FALSE(TrashFor(data.File("missing.z64"), user).has_value());
}

TEST(DesktopTrash, InformationText) {
    EXPECT_EQ(PercentEncodePath("/roms/a b%/\xE3\x82\xAB.z64"), "/roms/a%20b%25/%E3%82%AB.z64");
    const std::string text = TrashInfoText("/x/y.z64", 0);
    EXPECT_EQ(text.rfind("[Trash Info]\nPath=/x/y.z64\nDeletionDate=", 0), 0u);
    EXPECT_EQ(text.size(), std::string("[Trash Info]\nPath=/x/y.z64\nDeletionDate=YYYY-MM-DDThh:mm:ss\n").size());
}

} // namespace
} // namespace q64::test
