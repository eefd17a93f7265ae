#pragma once
// "Manage DX256 File": the room listing of a DX256 save file in a grid with a
// header row, 256 rooms (bank A first, slots in order) and the columns
// "Room", "Type" and "Description". The Room column stands fixed like a
// header; cells are one line, vertically centred, cut with an ellipsis.
//
// The dialog holds no file: the caller loads the file (Dx256Image::LoadDx256),
// passes its ListRooms() in, and after "Update File" (Accepted) applies
// Edits() with SetRoomDescription and writes them with SaveDescriptions.
// The description of a room in use can be edited in place; it is shown as the
// file will hold it (CleanDescription: one word, at most 79 bytes).

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

#include "engine/Dx256File.h"

class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace q64 {

// One room's description as the user left it.
struct RoomDescriptionEdit {
    int bank = 0;
    int slot = 0;
    std::string text; // already cleaned; empty removes the description
    bool operator==(const RoomDescriptionEdit&) const = default;
};

class Dx256Dialog : public QDialog {
    Q_OBJECT
public:
    enum Column : int { RoomColumn = 0, TypeColumn = 1, DescriptionColumn = 2 };
    static constexpr int kColumnCount = 3;

    // `rooms`: the rows of Dx256Image::ListRooms(); `fileName`, when given, is shown above the grid.
    explicit Dx256Dialog(const std::vector<RoomRow>& rooms, const QString& fileName = {}, QWidget* parent = nullptr);

    // The rooms whose description now differs from the one passed in, bank A first.
    std::vector<RoomDescriptionEdit> Edits() const;

    QTableWidget* Grid() const { return grid_; }
    QPushButton* UpdateButton() const { return update_; }

private:
    void DescriptionEdited(QTableWidgetItem* item);

    QTableWidget* grid_ = nullptr;
    QPushButton* update_ = nullptr;
    std::vector<RoomRow> rooms_;
    std::vector<std::string> current_; // the description each row holds now
    bool filling_ = false;
};

} // namespace q64
