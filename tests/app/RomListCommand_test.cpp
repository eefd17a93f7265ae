// The window's "Produce a &ROM List": the chosen name, cancel, failures, and
// the new listing afterwards.
#include <gtest/gtest.h>

#include "app/RomListCommand.h"
#include "browser/FileListModel.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

class RomListCommandTest : public ::testing::Test {
protected:
    RomListCommandTest() : model(image, settings) {
        samples::ImageRecipe recipe;
        recipe.sizeBytes = 131072;
        dir.Write("game.z64", samples::MakeImage(recipe));
        dir.Write("patch.ips", samples::MakeIps({}));
        model.SetFolder(dir.Path());
        model.SetFilterValue(2);
        model.FillList();
    }
    RomListNameAsker Answer(std::optional<QString> answer) {
        return [this, answer](QWidget*, const QString& folder) {
            askedIn = folder;
            return answer;
        };
    }
    MessageSink Collect() {
        return [this](const std::string& m) { messages.push_back(m); };
    }

    test::TempDir dir;
    RomImage image;
    Settings settings;
    FileListModel model;
    QString askedIn;
    std::vector<std::string> messages;
};

TEST_F(RomListCommandTest, WritesTheListedFolderWithTheListsFilterAndListsAgain) {
    RunRomListCommand(nullptr, image, settings, model, Answer(QString::fromStdString(dir.File("list.txt"))),
                      Collect());
    EXPECT_EQ(askedIn.toStdString(), dir.Path());
    EXPECT_TRUE(messages.empty());
    const samples::Bytes bytes = dir.Read("list.txt");
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("FileName :game.z64"), std::string::npos);
    EXPECT_EQ(text.find("patch.ips"), std::string::npos);
    // The new listing saw the report (a text file, not admitted by "Only Images").
    EXPECT_TRUE(model.ListReady());
    EXPECT_EQ(model.Rows().size(), 1u);
}

TEST_F(RomListCommandTest, CancelWritesNothing) {
    RunRomListCommand(nullptr, image, settings, model, Answer(std::nullopt), Collect());
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"game.z64", "patch.ips"}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(RomListCommandTest, AFailureIsShownOnce) {
    RunRomListCommand(nullptr, image, settings, model, Answer(QString::fromStdString(dir.File("no/list.txt"))),
                      Collect());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Unable to Write ROM List", 0), 0u);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"game.z64", "patch.ips"}));
}

} // namespace
} // namespace q64
