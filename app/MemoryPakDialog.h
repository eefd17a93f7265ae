#pragma once
// "Manage Memory Pak": the 16 notes of a Controller Pak, one row per entry of
// its note table ("Note", "Game", "Publisher", "Name", "Ext", "Pages"), with
// the free pages of 123 under them. The buttons export a note to a ".note"
// file, import one, delete or rename a note, check the pak (naming each
// fault), repair it and format it. Everything but export and import changes
// the pak in memory only; "Update File" (Accepted) leaves the writing to the
// caller, "Cancel" writes nothing.

#include <QDialog>
#include <QString>

#include "app/ManagerPrompts.h"
#include "engine/MemoryPakFile.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace q64 {

class PakHost;

class MemoryPakDialog : public QDialog {
    Q_OBJECT
public:
    enum Column : int { NoteColumn, GameColumn, PublisherColumn, NameColumn, ExtensionColumn, PagesColumn };
    static constexpr int kColumnCount = 6;
    enum class Button { Update, Cancel, Export, Import, Delete, Rename, Check, Repair, Format };

    MemoryPakDialog(PakFile& file, PakHost& host, const QString& fileName = {}, QWidget* parent = nullptr);

    QTableWidget* Grid() const { return grid_; }
    QLabel* Summary() const { return summary_; }
    QPushButton* ButtonFor(Button button) const;
    // The note (1..16) of the selected row, 0 for none.
    int SelectedNote() const;
    void SelectNote(int number);
    void SetPrompts(ManagerPrompts prompts) { prompts_ = std::move(prompts); }
    // Unix time written into exported notes (tests fix it; 0: the current time).
    void SetExportTime(std::uint32_t unixTime) { exportTime_ = unixTime; }

private:
    void Fill();
    void UpdateButtons();
    void Export();
    void Import();
    void Delete();
    void Rename();
    void Check();
    void Repair();
    void Format();
    void Refused(const std::string& message);

    PakFile& file_;
    PakHost& host_;
    QTableWidget* grid_ = nullptr;
    QLabel* summary_ = nullptr;
    QPushButton* buttons_[9] = {};
    ManagerPrompts prompts_;
    std::uint32_t exportTime_ = 0;
};

} // namespace q64
