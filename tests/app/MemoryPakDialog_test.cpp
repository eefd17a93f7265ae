// "Manage Memory Pak" and "Convert Save": the note grid with the pak's own
// characters, every button on the pak in memory, and the conversion choice.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <cstdlib>

#include "app/ConvertSaveDialog.h"
#include "app/MemoryPakDialog.h"
#include "browser/SaveManagerHosts.h"
#include "engine/SampleFiles.h"

namespace q64 {
namespace {

using B = MemoryPakDialog::Button;

struct FakePakHost final : PakHost {
    std::optional<std::vector<std::uint8_t>> LoadNote() override { return toLoad; }
    void SaveNote(const std::string& proposed, const std::vector<std::uint8_t>& bytes) override {
        saved.emplace_back(proposed, bytes);
    }
    std::optional<std::vector<std::uint8_t>> toLoad;
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> saved;
};

class MemoryPakDialogTest : public ::testing::Test {
protected:
    ManagerPrompts Answers() {
        ManagerPrompts p;
        p.ask = [](QWidget*, const QString&) { return true; };
        p.tell = [this](QWidget*, const QString& text, bool error) { told << (error ? "error: " : "") + text; };
        p.choose = [this](QWidget*, const QString&, const QStringList&, const QString&) -> std::optional<QString> {
            return newName;
        };
        return p;
    }
    QString Cell(int row, int column) const { return dialog->Grid()->item(row, column)->text(); }

    PakFile file{samples::MakeMemoryPak(2, 3), {}};
    FakePakHost host;
    QStringList told;
    QString newName;
    std::unique_ptr<MemoryPakDialog> dialog;
};

TEST_F(MemoryPakDialogTest, ListsNotesAndEveryButtonChangesThePakInMemory) {
    std::string message;
    ASSERT_EQ(RenameNote(file.pak, 2, "ゼルダ", message), EngineResult::Ok);
    dialog = std::make_unique<MemoryPakDialog>(file, host, QStringLiteral("game.mpk"));
    dialog->SetPrompts(Answers());
    dialog->SetExportTime(1);
    EXPECT_EQ(dialog->windowTitle(), "Manage Memory Pak");
    ASSERT_EQ(dialog->Grid()->rowCount(), 16);
    EXPECT_EQ(Cell(0, MemoryPakDialog::GameColumn), "NQSA");
    EXPECT_EQ(Cell(0, MemoryPakDialog::PublisherColumn), "01");
    EXPECT_EQ(Cell(1, MemoryPakDialog::NameColumn), "ゼルダ");
    EXPECT_EQ(Cell(1, MemoryPakDialog::PagesColumn), "3");
    EXPECT_EQ(Cell(2, MemoryPakDialog::NameColumn), "");
    EXPECT_EQ(dialog->Summary()->text(), "Free Pages: 117 of 123");

    dialog->SelectNote(2);
    dialog->ButtonFor(B::Export)->click();
    ASSERT_EQ(host.saved.size(), 1u);
    EXPECT_EQ(host.saved[0].first, "NQSB ゼルダ.note");
    dialog->ButtonFor(B::Delete)->click();
    EXPECT_EQ(Cell(1, MemoryPakDialog::NameColumn), "");
    EXPECT_FALSE(dialog->ButtonFor(B::Rename)->isEnabled());
    host.toLoad = host.saved[0].second;
    dialog->ButtonFor(B::Import)->click();
    EXPECT_EQ(Cell(1, MemoryPakDialog::NameColumn), "ゼルダ");
    newName = QStringLiteral("NEW NAME");
    dialog->ButtonFor(B::Rename)->click();
    EXPECT_EQ(InspectPak(file.pak).Note(2)->name, "NEW NAME");
    newName = QStringLiteral("bad~name");
    dialog->ButtonFor(B::Rename)->click();
    EXPECT_TRUE(told.last().startsWith("error: "));

    // Damage, check (each fault named), repair, format.
    file.pak[mempak::kIndexTable + 1] ^= 0xFF;
    file.pak[mempak::kIndexBackup + 1] ^= 0xFF;
    dialog->ButtonFor(B::Check)->click();
    EXPECT_TRUE(told.last().contains("checksum"));
    dialog->ButtonFor(B::Repair)->click();
    EXPECT_TRUE(told.last().contains("checksum corrected"));
    EXPECT_FALSE(InspectPak(file.pak).Damaged());
    dialog->ButtonFor(B::Format)->click();
    EXPECT_TRUE(InspectPak(file.pak).notes.empty());
    EXPECT_EQ(dialog->Summary()->text(), "Free Pages: 123 of 123");

    const QPixmap shot = dialog->grab();
    EXPECT_FALSE(shot.isNull());
    if (const char* folder = std::getenv("Q64_DIALOG_SHOTS")) {
        EXPECT_TRUE(shot.save(QString::fromLocal8Bit(folder) + QStringLiteral("/MemoryPakDialog.png")));
    }
}

TEST(ConvertSaveDialog, OffersThePakOnlyForAContainer) {
    ConvertSaveDialog dialog(SaveConversionChoice{SaveFormat::Eep4k, SaveFormat::Srm, 3});
    EXPECT_TRUE(dialog.PakSpin()->isEnabled());
    EXPECT_EQ(dialog.Choice().pak, 3);
    dialog.ToCombo()->setCurrentIndex(dialog.ToCombo()->findData(static_cast<int>(SaveFormat::M64pSra)));
    EXPECT_FALSE(dialog.PakSpin()->isEnabled());
    EXPECT_EQ(dialog.Choice().to, SaveFormat::M64pSra);
    EXPECT_EQ(dialog.Choice().from, SaveFormat::Eep4k);
}

} // namespace
} // namespace q64
