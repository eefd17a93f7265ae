// Several files selected in the window: which commands stay offered, the
// panel on the focused row, and one command over all of them with its summary.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <cstdlib>
#include <filesystem>
#include <QTest>

#include "FrameFixture.h"
#include "browser/qt/InfoPanelWidget.h"
#include "engine/RomImage.h"

namespace q64::test {
namespace {

using C = CommandId;
const QString kRacer = QStringLiteral("Sample Racer (U).z64");
const QString kQuest = QStringLiteral("Sample Quest (J).v64");
const QString kKart = QStringLiteral("Sample Kart (E).z64");

class SeveralFilesFrame : public FrameFixture {
protected:
    // Adds the row to the selection as a Ctrl+click does, making it the focused row.
    void CtrlSelect(const QString& name) {
        const int row = static_cast<int>(RowNames().indexOf(name));
        ASSERT_GE(row, 0);
        frame->View()->List()->selectionModel()->setCurrentIndex(
            frame->View()->TableModel()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QString PanelFormat() const {
        return frame->View()->Panel()->FieldWidget(InfoPanelWidget::Format)->text();
    }
};

TEST_F(SeveralFilesFrame, TwoPlainImagesKeepTheSeveralFileCommandsAndGreyTheRest) {
    Open();
    ASSERT_TRUE(SelectFile(kRacer));
    CtrlSelect(kQuest);
    EXPECT_EQ(PanelFormat(), QStringLiteral("Doctor 64")); // the focused row
    for (C id : {C::ChangeFormat, C::Compress, C::CalcCrc, C::DeleteFile, C::VerifyImages})
        EXPECT_TRUE(Enabled(id)) << static_cast<int>(id);
    for (C id : {C::Send, C::ReSize, C::IpsPatch, C::EditTitle, C::RenameFile, C::DeCompress})
        EXPECT_FALSE(Enabled(id)) << static_cast<int>(id);
}

TEST_F(SeveralFilesFrame, CtrlAOffersWhatFitsAnyFileAndListsTheRestAsNotDone) {
    Put("Backup", 0);
    Open();
    ASSERT_TRUE(SelectFile(kRacer));
    frame->View()->List()->setFocus();
    QTest::keyClick(frame->View()->List(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(frame->View()->SelectedPaths().size(), static_cast<std::size_t>(RowNames().size()));
    EXPECT_TRUE(Enabled(C::DeleteFile));
    EXPECT_TRUE(Enabled(C::VerifyImages));
    EXPECT_TRUE(Enabled(C::DeCompress)); // fits the compressed image
    EXPECT_FALSE(Enabled(C::Send));
    frame->RunCommand(C::DeCompress);
    ASSERT_EQ(ui.shown.size(), 1u);
    const std::string& summary = ui.shown[0].text;
    EXPECT_EQ(summary.rfind("De-Compress: 1 of " + std::to_string(sampleCount) + " Files Done\n\nNot done:", 0), 0u)
        << summary;
    EXPECT_NE(summary.find("\n  Sample Racer (U).z64: not a compressed image"), std::string::npos) << summary;
    EXPECT_NE(summary.find("\n  Readme.txt: not a compressed image"), std::string::npos) << summary;
}

// Delete of several files goes through the one trash: every file is in the
// trash with its information, and the question said so.
TEST_F(SeveralFilesFrame, DeleteSendsEveryFileToTheTrash) {
    Open();
    ASSERT_TRUE(SelectFile(kRacer));
    CtrlSelect(kQuest);
    CtrlSelect(QStringLiteral("Readme.txt"));
    ui.yesNo.push_back(true);
    frame->RunCommand(C::DeleteFile);
    ASSERT_FALSE(ui.shown.empty());
    EXPECT_NE(ui.shown[0].text.find("The files go to the trash"), std::string::npos) << ui.shown[0].text;
    const std::string trash = std::string(std::getenv("XDG_DATA_HOME")) + "/Trash";
    for (const QString& name : {kRacer, kQuest, QStringLiteral("Readme.txt")}) {
        EXPECT_FALSE(files.Exists(name.toStdString()));
        EXPECT_TRUE(std::filesystem::exists(trash + "/files/" + name.toStdString())) << name.toStdString();
        EXPECT_TRUE(std::filesystem::exists(trash + "/info/" + name.toStdString() + ".trashinfo")) << name.toStdString();
    }
    std::filesystem::remove_all(trash);
}

// The hash cache serves Calculate CRC only: another command over several
// files neither opens it nor says that it cannot be used.
TEST_F(SeveralFilesFrame, OnlyCalculateCrcTouchesTheHashCache) {
    Put("DatFile", QString::fromStdString(files.File("Readme.txt")));
    const QByteArray cache = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(files.File("Readme.txt") + "/cache")); // cannot be made
    Open();
    ASSERT_TRUE(SelectFile(kRacer));
    CtrlSelect(kQuest);
    frame->RunCommand(C::DeleteFile); // answered No
    frame->RunCommand(C::Compress);
    qputenv("XDG_CACHE_HOME", cache);
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[0].text.rfind("About to delete 2 files:", 0), 0u) << ui.shown[0].text;
    EXPECT_EQ(ui.shown[1].text.rfind("Compress: 2 of 2 Files Done", 0), 0u) << ui.shown[1].text;
}

TEST_F(SeveralFilesFrame, ChangeFormatRunsOverBothRenamesThemAndShowsOneSummary) {
    Put("Backup", 0);
    Open();
    ASSERT_TRUE(SelectFile(kRacer));
    CtrlSelect(kQuest);
    frame->RunCommand(C::ChangeFormat);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "Change Image Format: 2 of 2 Files Done");
    EXPECT_EQ(ui.details, (std::vector<std::string>{"Sample Quest (J).v64 (1 of 2)", "Sample Racer (U).z64 (2 of 2)"}));
    RomImage image;
    ASSERT_EQ(image.Identify(files.File("Sample Racer (U).v64")), EngineResult::Ok);
    EXPECT_EQ(image.ByteOrder(), ImageFormat::ByteSwapped);
    ASSERT_EQ(image.Identify(files.File("Sample Quest (J).z64")), EngineResult::Ok);
    EXPECT_EQ(image.ByteOrder(), ImageFormat::BigEndian);
}

} // namespace
} // namespace q64::test
