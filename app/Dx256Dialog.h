#pragma once
// "Manage DX256 File": the room listing of a DX256 save file in a grid with a
// header row, 256 rooms (bank A first, slots in order) and the columns
// "Room", "Type" ("EEPROM 4K" for a room in use) and "Description". The Room
// column stands fixed like a header; cells are one line, vertically centred,
// cut with an ellipsis.
//
// The dialog changes the loaded file in memory only: descriptions edited in
// the grid, a save loaded into a room, a room moved or cleared. "Update File"
// (Accepted) leaves the writing to the caller (Dx256Image::Save); "Cancel"
// writes nothing. The buttons that read or write other files or talk to the
// unit go through the Dx256Host.

#include <QDialog>
#include <QString>
#include <optional>
#include <utility>

#include "app/ManagerPrompts.h"
#include "engine/Dx256File.h"

class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace q64 {

class Dx256Host;

class Dx256Dialog : public QDialog {
    Q_OBJECT
public:
    enum Column : int { RoomColumn = 0, TypeColumn = 1, DescriptionColumn = 2 };
    static constexpr int kColumnCount = 3;
    enum class Button { Update, Cancel, SendSav, SendDx256, LoadSav, SaveSav, MoveLocation, ClearRoom };

    // `fileName`, when given, is shown above the grid.
    Dx256Dialog(Dx256Image& dx, Dx256Host& host, const QString& fileName = {}, QWidget* parent = nullptr);

    QTableWidget* Grid() const { return grid_; }
    QPushButton* ButtonFor(Button button) const;
    // The room of the selected row (bank, slot), nothing when none is selected.
    std::optional<std::pair<int, int>> SelectedRoom() const;
    void SelectRoom(int bank, int slot);

    // The questions and notices the buttons show (tests replace them).
    void SetPrompts(ManagerPrompts prompts) { prompts_ = std::move(prompts); }

private:
    void Fill();
    void FillRow(int row);
    void UpdateButtons();
    void DescriptionEdited(QTableWidgetItem* item);
    void LoadSav();
    void SaveSav();
    void MoveLocation();
    void ClearRoom();
    void SendSav();
    void SendDx256();

    Dx256Image& dx_;
    Dx256Host& host_;
    QTableWidget* grid_ = nullptr;
    QPushButton* buttons_[8] = {};
    ManagerPrompts prompts_;
    bool filling_ = false;
};

} // namespace q64
