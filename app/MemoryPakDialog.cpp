#include "app/MemoryPakDialog.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/ManagerButtons.h"
#include "browser/SaveManagerHosts.h"

namespace q64 {

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

QString Lines(const std::vector<std::string>& lines) {
    QStringList out;
    for (const std::string& line : lines) out << Text(line);
    return out.join(QLatin1Char('\n'));
}

// "NQSE NAME.note": what an exported note is called at first.
std::string ProposedName(const PakNote& note) {
    std::string name = note.gameCode + (note.name.empty() ? "" : " " + note.name);
    for (char& c : name)
        if (c == '/' || c == '\\') c = '_';
    return name + ".note";
}

} // namespace

MemoryPakDialog::MemoryPakDialog(PakFile& file, PakHost& host, const QString& fileName, QWidget* parent)
    : QDialog(parent), file_(file), host_(host), prompts_(DefaultManagerPrompts()) {
    setWindowTitle(QStringLiteral("Manage Memory Pak"));
    setModal(true);

    grid_ = new QTableWidget(mempak::kNoteCount, kColumnCount, this);
    grid_->setHorizontalHeaderLabels({QStringLiteral("Note"), QStringLiteral("Game"), QStringLiteral("Publisher"),
                                      QStringLiteral("Name"), QStringLiteral("Ext"), QStringLiteral("Pages")});
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->horizontalHeader()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    for (int c : {NoteColumn, GameColumn, PublisherColumn, ExtensionColumn, PagesColumn})
        grid_->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    grid_->setWordWrap(false);
    grid_->setTextElideMode(Qt::ElideRight);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    summary_ = new QLabel(this);

    using Row = ManagerButton<MemoryPakDialog, Button>;
    const Row rows[] = {
        {Button::Update, "Update File", &QDialog::accept},
        {Button::Cancel, "Cancel", &QDialog::reject, true},
        {Button::Export, "Export Note...", &MemoryPakDialog::Export},
        {Button::Import, "Import Note...", &MemoryPakDialog::Import},
        {Button::Delete, "Delete Note", &MemoryPakDialog::Delete},
        {Button::Rename, "Rename Note...", &MemoryPakDialog::Rename, true},
        {Button::Check, "Check Pak", &MemoryPakDialog::Check},
        {Button::Repair, "Repair Pak", &MemoryPakDialog::Repair},
        {Button::Format, "Format Pak", &MemoryPakDialog::Format},
    };
    QVBoxLayout* column = MakeManagerButtons(this, rows, buttons_);
    ButtonFor(Button::Update)->setDefault(true);
    connect(grid_, &QTableWidget::itemSelectionChanged, this, &MemoryPakDialog::UpdateButtons);

    auto* left = new QVBoxLayout;
    if (!fileName.isEmpty()) left->addWidget(new QLabel(fileName, this));
    left->addWidget(grid_);
    left->addWidget(summary_);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(column);
    resize(600, 480);
    Fill();
    SelectNote(1);
}

QPushButton* MemoryPakDialog::ButtonFor(Button button) const { return buttons_[static_cast<int>(button)]; }

int MemoryPakDialog::SelectedNote() const {
    const QList<QTableWidgetItem*> items = grid_->selectedItems();
    return items.isEmpty() ? 0 : items.first()->row() + 1;
}

void MemoryPakDialog::SelectNote(int number) {
    if (number >= 1 && number <= mempak::kNoteCount) grid_->selectRow(number - 1);
}

void MemoryPakDialog::Fill() {
    const PakReport report = InspectPak(file_.pak);
    for (int row = 0; row < mempak::kNoteCount; ++row) {
        const PakNote* note = report.Note(row + 1);
        const QString cells[kColumnCount] = {
            QString::number(row + 1),
            note ? Text(note->gameCode) : QString(),
            note ? Text(note->publisher) : QString(),
            note ? Text(note->name) : QString(),
            note ? Text(note->extension) : QString(),
            note ? (note->damaged ? QStringLiteral("damaged") : QString::number(note->pages.size())) : QString(),
        };
        for (int c = 0; c < kColumnCount; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(c == NameColumn ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
            grid_->setItem(row, c, item);
        }
    }
    QString summary = QStringLiteral("Free Pages: %1 of %2").arg(report.freePages).arg(mempak::kNotePages);
    if (report.Damaged()) summary += QStringLiteral("   The pak is damaged: Check Pak says how.");
    summary_->setText(summary);
    UpdateButtons();
}

void MemoryPakDialog::UpdateButtons() {
    if (!buttons_[0]) return;
    const int note = SelectedNote();
    const bool inUse = note != 0 && !grid_->item(note - 1, GameColumn)->text().isEmpty();
    ButtonFor(Button::Export)->setEnabled(inUse);
    ButtonFor(Button::Delete)->setEnabled(inUse);
    ButtonFor(Button::Rename)->setEnabled(inUse);
}

void MemoryPakDialog::Refused(const std::string& message) { prompts_.tell(this, Text(message), true); }

void MemoryPakDialog::Export() {
    const int number = SelectedNote();
    const PakReport report = InspectPak(file_.pak);
    const PakNote* note = report.Note(number);
    if (!note) return;
    std::string message;
    const std::uint32_t when =
        exportTime_ != 0 ? exportTime_ : static_cast<std::uint32_t>(QDateTime::currentSecsSinceEpoch());
    const std::vector<std::uint8_t> bytes = ExportNote(file_.pak, number, when, message);
    if (bytes.empty()) return Refused(message);
    host_.SaveNote(ProposedName(*note), bytes);
}

void MemoryPakDialog::Import() {
    const auto bytes = host_.LoadNote();
    if (!bytes) return;
    std::string message;
    int number = 0;
    if (ImportNote(file_.pak, *bytes, message, &number) != EngineResult::Ok) return Refused(message);
    file_.ClearComment(number);
    Fill();
    SelectNote(number);
}

void MemoryPakDialog::Delete() {
    const int number = SelectedNote();
    if (number == 0) return;
    const QString name = grid_->item(number - 1, NameColumn)->text();
    if (!prompts_.ask(this, QStringLiteral("Delete note %1 (%2)?").arg(number).arg(name))) return;
    std::string message;
    if (DeleteNote(file_.pak, number, message) != EngineResult::Ok) return Refused(message);
    file_.ClearComment(number);
    Fill();
    SelectNote(number);
}

void MemoryPakDialog::Rename() {
    const int number = SelectedNote();
    if (number == 0) return;
    const std::optional<QString> name =
        prompts_.choose(this, QStringLiteral("New name of note %1 (up to 16 characters):").arg(number), {},
                        grid_->item(number - 1, NameColumn)->text());
    if (!name) return;
    std::string message;
    if (RenameNote(file_.pak, number, name->toStdString(), message) != EngineResult::Ok) return Refused(message);
    Fill();
    SelectNote(number);
}

void MemoryPakDialog::Check() {
    const PakReport report = InspectPak(file_.pak);
    if (!report.Damaged()) {
        prompts_.tell(this,
                      QStringLiteral("The pak is sound: %1 notes, %2 free pages.")
                          .arg(report.notes.size())
                          .arg(report.freePages),
                      false);
        return;
    }
    std::vector<std::string> faults;
    for (const PakFault& fault : report.faults) faults.push_back(fault.text);
    prompts_.tell(this, QStringLiteral("The pak is damaged:\n") + Lines(faults) +
                            QStringLiteral("\n\nRepair Pak mends it from its best copies."),
                  true);
}

void MemoryPakDialog::Repair() {
    const int selected = SelectedNote();
    const std::vector<std::string> done = RepairPak(file_.pak);
    Fill();
    SelectNote(selected);
    prompts_.tell(this, done.empty() ? QStringLiteral("Nothing needed repairing.")
                                     : QStringLiteral("Repaired:\n") + Lines(done) +
                                           QStringLiteral("\n\nUpdate File writes the repaired pak."),
                  false);
}

void MemoryPakDialog::Format() {
    const std::size_t notes = InspectPak(file_.pak).notes.size();
    const QString question = notes == 0 ? QStringLiteral("Format the pak?")
                                        : QStringLiteral("Format the pak? Its %1 notes are lost.").arg(notes);
    if (!prompts_.ask(this, question)) return;
    file_.pak = FormatPak(static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch()));
    for (int n = 1; n <= mempak::kNoteCount; ++n) file_.ClearComment(n);
    Fill();
    SelectNote(1);
}

} // namespace q64
