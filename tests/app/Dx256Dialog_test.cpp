// "Manage DX256 File": the room grid filled from a loaded DX256 file, every
// button working on the file in memory, and what "Update File" then writes.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <cstdlib>

#include "app/Dx256Dialog.h"
#include "browser/SaveManagerHosts.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

using B = Dx256Dialog::Button;

constexpr std::size_t kA01Offset = 121856;

// Does what the buttons ask and remembers it.
struct FakeHost final : Dx256Host {
    std::optional<std::vector<std::uint8_t>> LoadSav() override { return toLoad; }
    void SaveSav(const std::string& room, const std::vector<std::uint8_t>& bytes) override {
        saved.emplace_back(room, bytes);
    }
    bool CanSendSav() const override { return sends; }
    bool CanSendDx256() const override { return sends; }
    void SendSav(const std::string& room, const std::vector<std::uint8_t>& bytes) override {
        sent.emplace_back(room, bytes.size());
    }
    void SendDx256(const std::vector<std::uint8_t>& bytes) override { sent.emplace_back("DX256", bytes.size()); }

    std::optional<std::vector<std::uint8_t>> toLoad;
    bool sends = true;
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> saved;
    std::vector<std::pair<std::string, std::size_t>> sent;
};

class Dx256DialogTest : public ::testing::Test {
protected:
    void Load(const samples::Bytes& bytes, const std::string& dxd = {}) {
        path = dir.Write("SAVES.DX2", bytes);
        if (!dxd.empty()) dir.Write("SAVES.DXD", samples::Bytes(dxd.begin(), dxd.end()));
        ASSERT_EQ(dx.LoadDx256(path), Dx256LoadResult::Loaded);
    }
    // Questions answered in code: Yes or No, and the room a move goes to.
    ManagerPrompts Answers() {
        ManagerPrompts p;
        p.ask = [this](QWidget*, const QString& text) {
            asked << text;
            return yes;
        };
        p.tell = [this](QWidget*, const QString& text, bool) { asked << text; };
        p.choose = [this](QWidget*, const QString&, const QStringList& items, const QString&) -> std::optional<QString> {
            EXPECT_EQ(items.size(), 256);
            return moveTo;
        };
        return p;
    }
    static QString Cell(const Dx256Dialog& d, int row, int column) { return d.Grid()->item(row, column)->text(); }

    test::TempDir dir;
    std::string path;
    Dx256Image dx;
    FakeHost host;
    QStringList asked;
    bool yes = true;
    QString moveTo;
};

TEST_F(Dx256DialogTest, ListsEveryRoomWithItsTypeAndDescription) {
    samples::Bytes bytes(dx256::kFileSize, 0);
    bytes[kA01Offset] = 1;
    Load(bytes, "BankA01=Race\r\nBankB02=Ignored\r\n");
    Dx256Dialog dialog(dx, host);
    EXPECT_EQ(dialog.windowTitle(), "Manage DX256 File");
    QTableWidget* grid = dialog.Grid();
    ASSERT_EQ(grid->rowCount(), 256);
    ASSERT_EQ(grid->columnCount(), 3);
    EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), "Type");
    EXPECT_EQ(Cell(dialog, 0, 0), "A01");
    EXPECT_EQ(Cell(dialog, 255, 0), "P16");
    EXPECT_EQ(Cell(dialog, 0, 1), "EEPROM 4K");
    EXPECT_EQ(Cell(dialog, 0, 2), "Race");
    EXPECT_EQ(Cell(dialog, 17, 1), "");
    EXPECT_EQ(Cell(dialog, 17, 2), ""); // a room not in use takes no description
    EXPECT_TRUE(grid->item(0, 2)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(grid->item(1, 2)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(grid->item(0, 0)->flags() & Qt::ItemIsSelectable);
    EXPECT_FALSE(grid->wordWrap());
    EXPECT_EQ(grid->textElideMode(), Qt::ElideRight);
}

TEST_F(Dx256DialogTest, EveryButtonWorksOnTheFileInMemoryAndUpdateWritesIt) {
    Load(samples::MakeDx256WithRooms({{1, 1}, {1, 2}}), "BankA01=Race\r\n");
    Dx256Dialog dialog(dx, host, QStringLiteral("SAVES.DX2"));
    dialog.SetPrompts(Answers());
    const auto a01 = dx.RoomData(1, 1);

    // Descriptions are edited in the grid, as the file will hold them.
    dialog.Grid()->item(1, 2)->setText(QStringLiteral("  Boss fight  "));
    EXPECT_EQ(Cell(dialog, 1, 2), "Boss_fight");

    dialog.SelectRoom(1, 1);
    dialog.ButtonFor(B::SaveSav)->click();
    ASSERT_EQ(host.saved.size(), 1u);
    EXPECT_EQ(host.saved[0], std::make_pair(std::string("A01"), a01));
    dialog.ButtonFor(B::SendSav)->click();
    dialog.ButtonFor(B::SendDx256)->click();
    EXPECT_EQ(host.sent, (std::vector<std::pair<std::string, std::size_t>>{{"A01", 512}, {"DX256", 131072}}));

    // Move A01 onto A02 (in use): asked first; No keeps both.
    moveTo = QStringLiteral("A02");
    yes = false;
    dialog.ButtonFor(B::MoveLocation)->click();
    EXPECT_TRUE(dx.IsRoomInUse(1, 1));
    yes = true;
    moveTo = QStringLiteral("C05");
    dialog.ButtonFor(B::MoveLocation)->click();
    EXPECT_EQ(dialog.SelectedRoom(), std::make_pair(3, 5));
    EXPECT_EQ(Cell(dialog, 2 * 16 + 4, 2), "Race");
    EXPECT_EQ(Cell(dialog, 0, 1), "");

    // Load a save into the empty A01, then replace it (asked), then clear A02.
    host.toLoad = std::vector<std::uint8_t>(512, 0x33);
    dialog.SelectRoom(1, 1);
    dialog.ButtonFor(B::LoadSav)->click();
    EXPECT_EQ(Cell(dialog, 0, 2), "Unknown");
    const int questions = static_cast<int>(asked.size());
    dialog.ButtonFor(B::LoadSav)->click();
    EXPECT_EQ(static_cast<int>(asked.size()), questions + 1);
    dialog.SelectRoom(1, 2);
    dialog.ButtonFor(B::ClearRoom)->click();
    EXPECT_EQ(Cell(dialog, 1, 1), "");
    EXPECT_FALSE(dialog.ButtonFor(B::SaveSav)->isEnabled());

    dialog.ButtonFor(B::Update)->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(dx.Save(BackupMode::Temporary), EngineResult::Ok); // the caller's part
    Dx256Image again;
    ASSERT_EQ(again.LoadDx256(path), Dx256LoadResult::Loaded);
    EXPECT_EQ(again.RoomData(3, 5), a01);
    EXPECT_EQ(again.GetRoomDescription(3, 5), "Race");
    EXPECT_EQ(again.RoomData(1, 1), std::vector<std::uint8_t>(512, 0x33));
    EXPECT_FALSE(again.IsRoomInUse(1, 2));
}

TEST_F(Dx256DialogTest, SendButtonsFollowTheUnitAndCancelWritesNothing) {
    Load(samples::MakeDx256WithRooms({{1, 1}, {1, 3}, {2, 5}}), "BankA03=Castle_level\r\n");
    host.sends = false;
    const samples::Bytes before = dir.Read("SAVES.DX2");
    {
        Dx256Dialog dialog(dx, host, QStringLiteral("SAVES.DX2"));
        dialog.SetPrompts(Answers());
        EXPECT_FALSE(dialog.ButtonFor(B::SendSav)->isEnabled());
        EXPECT_FALSE(dialog.ButtonFor(B::SendDx256)->isEnabled());
        dialog.SelectRoom(1, 2); // empty: only a save can be loaded into it
        EXPECT_TRUE(dialog.ButtonFor(B::LoadSav)->isEnabled());
        EXPECT_FALSE(dialog.ButtonFor(B::MoveLocation)->isEnabled());
        dialog.SelectRoom(1, 1);
        EXPECT_TRUE(dialog.ButtonFor(B::MoveLocation)->isEnabled());
        const QPixmap shot = dialog.grab();
        EXPECT_FALSE(shot.isNull());
        if (const char* folder = std::getenv("Q64_DIALOG_SHOTS")) {
            EXPECT_TRUE(shot.save(QString::fromLocal8Bit(folder) + QStringLiteral("/Dx256Dialog.png")));
        }
        dialog.ButtonFor(B::ClearRoom)->click();
        dialog.ButtonFor(B::Cancel)->click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(dir.Read("SAVES.DX2"), before);
}

} // namespace
} // namespace q64
