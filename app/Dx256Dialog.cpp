#include "app/Dx256Dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/ManagerButtons.h"
#include "browser/SaveManagerHosts.h"

namespace q64 {

namespace {

constexpr int kRows = dx256::kRoomCount;
const QString kRoomType = QStringLiteral("EEPROM 4K");

int RowOf(int bank, int slot) { return (bank - 1) * dx256::kSlotCount + (slot - 1); }
std::pair<int, int> RoomOfRow(int row) { return {row / dx256::kSlotCount + 1, row % dx256::kSlotCount + 1}; }
QString Name(int bank, int slot) { return QString::fromStdString(RoomName(bank, slot)); }

// The in-place editor takes no more characters than a description holds.
class DescriptionDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setMaxLength(static_cast<int>(dx256::kMaxDescriptionLength));
        return editor;
    }
};

} // namespace

Dx256Dialog::Dx256Dialog(Dx256Image& dx, Dx256Host& host, const QString& fileName, QWidget* parent)
    : QDialog(parent), dx_(dx), host_(host), prompts_(DefaultManagerPrompts()) {
    setWindowTitle(QStringLiteral("Manage DX256 File"));
    setModal(true);

    grid_ = new QTableWidget(kRows, kColumnCount, this);
    grid_->setHorizontalHeaderLabels({QStringLiteral("Room"), QStringLiteral("Type"), QStringLiteral("Description")});
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->horizontalHeader()->setSectionResizeMode(RoomColumn, QHeaderView::Fixed);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->setColumnWidth(RoomColumn, grid_->fontMetrics().horizontalAdvance(QStringLiteral("Room")) + 24);
    grid_->setColumnWidth(TypeColumn, grid_->fontMetrics().horizontalAdvance(kRoomType) + 16);
    grid_->setWordWrap(false);
    grid_->setTextElideMode(Qt::ElideRight);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    grid_->setItemDelegateForColumn(DescriptionColumn, new DescriptionDelegate(grid_));
    for (int r = 0; r < kRows; ++r) {
        auto* room = new QTableWidgetItem;
        room->setTextAlignment(Qt::AlignCenter);
        room->setFlags(Qt::ItemIsEnabled); // the fixed column: never selected or edited
        room->setBackground(grid_->palette().button());
        auto* type = new QTableWidgetItem;
        type->setTextAlignment(Qt::AlignCenter);
        auto* description = new QTableWidgetItem;
        description->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        grid_->setItem(r, RoomColumn, room);
        grid_->setItem(r, TypeColumn, type);
        grid_->setItem(r, DescriptionColumn, description);
    }
    Fill();

    using Row = ManagerButton<Dx256Dialog, Button>;
    const Row rows[] = {
        {Button::Update, "Update File", &QDialog::accept},
        {Button::Cancel, "Cancel", &QDialog::reject, true},
        {Button::SendSav, "Send .SAV File", &Dx256Dialog::SendSav},
        {Button::SendDx256, "Send DX256 File", &Dx256Dialog::SendDx256},
        {Button::LoadSav, "Load SAV File", &Dx256Dialog::LoadSav},
        {Button::SaveSav, "Save SAV File", &Dx256Dialog::SaveSav},
        {Button::MoveLocation, "Move Location", &Dx256Dialog::MoveLocation},
        {Button::ClearRoom, "Clear Room", &Dx256Dialog::ClearRoom},
    };
    QVBoxLayout* column = MakeManagerButtons(this, rows, buttons_);
    ButtonFor(Button::Update)->setDefault(true);

    auto* left = new QVBoxLayout;
    if (!fileName.isEmpty()) left->addWidget(new QLabel(fileName, this));
    left->addWidget(grid_);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(column);
    resize(560, 460);

    connect(grid_, &QTableWidget::itemChanged, this, &Dx256Dialog::DescriptionEdited);
    connect(grid_, &QTableWidget::itemSelectionChanged, this, &Dx256Dialog::UpdateButtons);
    SelectRoom(1, 1);
    UpdateButtons();
}

QPushButton* Dx256Dialog::ButtonFor(Button button) const { return buttons_[static_cast<int>(button)]; }

void Dx256Dialog::FillRow(int r) {
    const auto [bank, slot] = RoomOfRow(r);
    const bool inUse = dx_.IsRoomInUse(bank, slot);
    grid_->item(r, RoomColumn)->setText(Name(bank, slot));
    grid_->item(r, TypeColumn)->setText(inUse ? kRoomType : QString());
    grid_->item(r, TypeColumn)->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    QTableWidgetItem* description = grid_->item(r, DescriptionColumn);
    description->setText(QString::fromStdString(dx_.GetRoomDescription(bank, slot).value_or("")));
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (inUse) flags |= Qt::ItemIsEditable;
    description->setFlags(flags);
}

void Dx256Dialog::Fill() {
    filling_ = true;
    for (int r = 0; r < kRows; ++r) FillRow(r);
    filling_ = false;
    UpdateButtons();
}

std::optional<std::pair<int, int>> Dx256Dialog::SelectedRoom() const {
    const QList<QTableWidgetItem*> items = grid_->selectedItems();
    if (items.isEmpty()) return std::nullopt;
    return RoomOfRow(items.first()->row());
}

void Dx256Dialog::SelectRoom(int bank, int slot) {
    if (!IsValidRoom(bank, slot)) return;
    grid_->setCurrentCell(RowOf(bank, slot), DescriptionColumn);
}

void Dx256Dialog::UpdateButtons() {
    if (!buttons_[0]) return;
    const auto room = SelectedRoom();
    const bool inUse = room && dx_.IsRoomInUse(room->first, room->second);
    ButtonFor(Button::SendSav)->setEnabled(inUse && host_.CanSendSav());
    ButtonFor(Button::SendDx256)->setEnabled(host_.CanSendDx256());
    ButtonFor(Button::LoadSav)->setEnabled(room.has_value());
    ButtonFor(Button::SaveSav)->setEnabled(inUse);
    ButtonFor(Button::MoveLocation)->setEnabled(inUse);
    ButtonFor(Button::ClearRoom)->setEnabled(inUse);
}

void Dx256Dialog::DescriptionEdited(QTableWidgetItem* item) {
    if (filling_ || item->column() != DescriptionColumn) return;
    const auto [bank, slot] = RoomOfRow(item->row());
    if (!dx_.IsRoomInUse(bank, slot)) {
        filling_ = true;
        item->setText(QString());
        filling_ = false;
        return;
    }
    dx_.SetRoomDescription(bank, slot, item->text().toStdString());
    // Show what the file will hold (and read back).
    filling_ = true;
    FillRow(item->row());
    filling_ = false;
}

void Dx256Dialog::LoadSav() {
    const auto room = SelectedRoom();
    if (!room) return;
    if (dx_.IsRoomInUse(room->first, room->second) &&
        !prompts_.ask(this, QStringLiteral("Room %1 is in use.\n\nReplace its save?").arg(Name(room->first, room->second))))
        return;
    const auto bytes = host_.LoadSav();
    if (!bytes) return;
    dx_.PutRoom(room->first, room->second, *bytes);
    Fill();
}

void Dx256Dialog::SaveSav() {
    const auto room = SelectedRoom();
    if (!room || !dx_.IsRoomInUse(room->first, room->second)) return;
    host_.SaveSav(RoomName(room->first, room->second), dx_.RoomData(room->first, room->second));
}

void Dx256Dialog::MoveLocation() {
    const auto room = SelectedRoom();
    if (!room || !dx_.IsRoomInUse(room->first, room->second)) return;
    QStringList rooms;
    for (int r = 0; r < kRows; ++r) rooms << Name(RoomOfRow(r).first, RoomOfRow(r).second);
    const QString from = Name(room->first, room->second);
    const std::optional<QString> chosen =
        prompts_.choose(this, QStringLiteral("Move room %1 to:").arg(from), rooms, from);
    if (!chosen) return;
    const auto to = ParseRoomName(chosen->toStdString());
    if (!to || *to == *room) return;
    if (dx_.IsRoomInUse(to->first, to->second) &&
        !prompts_.ask(this, QStringLiteral("Room %1 is in use.\n\nOverwrite it with room %2?").arg(*chosen, from)))
        return;
    dx_.MoveRoom(room->first, room->second, to->first, to->second);
    Fill();
    SelectRoom(to->first, to->second);
}

void Dx256Dialog::ClearRoom() {
    const auto room = SelectedRoom();
    if (!room || !dx_.IsRoomInUse(room->first, room->second)) return;
    if (!prompts_.ask(this, QStringLiteral("Clear room %1?").arg(Name(room->first, room->second)))) return;
    dx_.ClearRoom(room->first, room->second);
    Fill();
}

void Dx256Dialog::SendSav() {
    const auto room = SelectedRoom();
    if (!room || !dx_.IsRoomInUse(room->first, room->second)) return;
    host_.SendSav(RoomName(room->first, room->second), dx_.RoomData(room->first, room->second));
}

void Dx256Dialog::SendDx256() { host_.SendDx256(dx_.Data()); }

} // namespace q64
