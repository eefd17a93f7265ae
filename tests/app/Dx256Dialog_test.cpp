// "Manage DX256 File": the room grid filled from a loaded DX256 file, and
// description edits handed back to be written to the .DXD file.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <cstdlib>

#include "app/Dx256Dialog.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

constexpr std::size_t kA01Offset = 121856;

class Dx256DialogTest : public ::testing::Test {
protected:
    // Loads the file as the caller does and returns its room listing.
    std::vector<RoomRow> Load(const samples::Bytes& bytes, const std::string& dxd = {}) {
        const std::string path = dir.Write("SAVES.DX2", bytes);
        if (!dxd.empty()) dir.Write("SAVES.DXD", samples::Bytes(dxd.begin(), dxd.end()));
        EXPECT_EQ(dx.LoadDx256(path), Dx256LoadResult::Loaded);
        return dx.ListRooms();
    }
    static QString Cell(const Dx256Dialog& d, int row, int column) { return d.Grid()->item(row, column)->text(); }

    test::TempDir dir;
    Dx256Image dx;
};

TEST_F(Dx256DialogTest, AllZeroFileListsEveryRoomEmpty) {
    Dx256Dialog dialog(Load(samples::Bytes(dx256::kFileSize, 0)));
    EXPECT_EQ(dialog.windowTitle(), "Manage DX256 File");
    QTableWidget* grid = dialog.Grid();
    ASSERT_EQ(grid->rowCount(), 256);
    ASSERT_EQ(grid->columnCount(), 3);
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), "Room");
    EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), "Type");
    EXPECT_EQ(grid->horizontalHeaderItem(2)->text(), "Description");
    EXPECT_EQ(Cell(dialog, 0, 0), "A01");
    EXPECT_EQ(Cell(dialog, 15, 0), "A16");
    EXPECT_EQ(Cell(dialog, 16, 0), "B01");
    EXPECT_EQ(Cell(dialog, 255, 0), "P16");
    for (int r = 0; r < 256; ++r) {
        EXPECT_EQ(Cell(dialog, r, 1), "");
        EXPECT_EQ(Cell(dialog, r, 2), "");
        EXPECT_FALSE(grid->item(r, 2)->flags() & Qt::ItemIsEditable) << r;
    }
    EXPECT_TRUE(dialog.Edits().empty());
}

TEST_F(Dx256DialogTest, RoomsInUseShowUnknownOrTheirDescription) {
    samples::Bytes bytes(dx256::kFileSize, 0);
    bytes[kA01Offset] = 1;
    {
        Dx256Dialog dialog(Load(bytes));
        EXPECT_EQ(Cell(dialog, 0, 2), "Unknown");
        EXPECT_EQ(Cell(dialog, 1, 2), "");
    }
    dx.Clear();
    Dx256Dialog dialog(Load(bytes, "BankA01=Race\r\nBankB02=Ignored\r\n"));
    EXPECT_EQ(Cell(dialog, 0, 2), "Race");
    EXPECT_EQ(Cell(dialog, 17, 2), "");
}

TEST_F(Dx256DialogTest, CellsAreOneLineCentredOrLeftAndTheRoomColumnIsFixed) {
    Dx256Dialog dialog(Load(samples::MakeDx256WithRooms({{1, 1}})));
    QTableWidget* grid = dialog.Grid();
    EXPECT_FALSE(grid->wordWrap());
    EXPECT_EQ(grid->textElideMode(), Qt::ElideRight);
    EXPECT_EQ(grid->item(0, 0)->textAlignment(), int(Qt::AlignCenter));
    EXPECT_EQ(grid->item(0, 2)->textAlignment(), int(Qt::AlignLeft | Qt::AlignVCenter));
    EXPECT_FALSE(grid->item(0, 0)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(grid->item(0, 0)->flags() & Qt::ItemIsSelectable);
    EXPECT_FALSE(grid->item(0, 1)->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(grid->item(0, 2)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(grid->item(1, 2)->flags() & Qt::ItemIsEditable);
}

TEST_F(Dx256DialogTest, EditsAreCleanedShownAndHandedBackForSaving) {
    const std::string dxd = "BankA01=Race\r\n";
    Dx256Dialog dialog(Load(samples::MakeDx256WithRooms({{1, 1}, {1, 2}, {16, 16}}), dxd));
    QTableWidget* grid = dialog.Grid();
    grid->item(1, 2)->setText(QStringLiteral("  Boss fight  "));
    EXPECT_EQ(Cell(dialog, 1, 2), "Boss_fight");
    grid->item(0, 2)->setText(QString());
    EXPECT_EQ(Cell(dialog, 0, 2), "Unknown");
    grid->item(255, 2)->setText(QString(100, QLatin1Char('x')));
    EXPECT_EQ(Cell(dialog, 255, 2), QString(79, QLatin1Char('x')));
    // A room not in use takes no description, even when its cell is written to.
    grid->item(40, 2)->setText(QStringLiteral("ghost"));

    const std::vector<RoomDescriptionEdit> edits = dialog.Edits();
    const std::vector<RoomDescriptionEdit> expected = {
        {1, 1, ""}, {1, 2, "Boss_fight"}, {16, 16, std::string(79, 'x')}};
    EXPECT_EQ(edits, expected);

    dialog.UpdateButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    // The caller's part: store and write them, then read the file again.
    for (const RoomDescriptionEdit& e : edits)
        EXPECT_EQ(dx.SetRoomDescription(e.bank, e.slot, e.text), EngineResult::Ok);
    ASSERT_EQ(dx.SaveDescriptions(BackupMode::Temporary), EngineResult::Ok);
    Dx256Image again;
    ASSERT_EQ(again.LoadDx256(dir.File("SAVES.DX2")), Dx256LoadResult::Loaded);
    EXPECT_EQ(again.GetRoomDescription(1, 1), "Unknown");
    EXPECT_EQ(again.GetRoomDescription(1, 2), "Boss_fight");
    EXPECT_EQ(again.GetRoomDescription(16, 16), std::string(79, 'x'));
}

TEST_F(Dx256DialogTest, EditingBackToTheOldTextIsNoEdit) {
    Dx256Dialog dialog(Load(samples::MakeDx256WithRooms({{1, 1}}), "BankA01=Race\r\n"));
    dialog.Grid()->item(0, 2)->setText(QStringLiteral("Rally"));
    dialog.Grid()->item(0, 2)->setText(QStringLiteral("Race"));
    EXPECT_TRUE(dialog.Edits().empty());
}

TEST_F(Dx256DialogTest, ButtonsAndRendering) {
    Dx256Dialog dialog(Load(samples::MakeDx256WithRooms({{1, 1}, {1, 3}, {2, 5}}), "BankA03=Castle_level\r\n"),
                       QStringLiteral("SAVES.DX2"));
    QStringList texts;
    for (QPushButton* b : dialog.findChildren<QPushButton*>())
        if (b->isEnabled()) texts << b->text();
    texts.sort();
    EXPECT_EQ(texts, (QStringList{"Cancel", "Update File"}));
    for (const char* name : {"Send .SAV File", "Send DX256 File", "Load SAV File", "Save SAV File", "Move Location"}) {
        bool found = false;
        for (QPushButton* b : dialog.findChildren<QPushButton*>()) found = found || b->text() == name;
        EXPECT_TRUE(found) << name;
    }
    const QPixmap shot = dialog.grab();
    EXPECT_FALSE(shot.isNull());
    if (const char* folder = std::getenv("Q64_DIALOG_SHOTS")) {
        EXPECT_TRUE(shot.save(QString::fromLocal8Bit(folder) + QStringLiteral("/Dx256Dialog.png")));
    }
}

} // namespace
} // namespace q64
