#include "app/Dx256Dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace q64 {

namespace {

constexpr int kRows = dx256::kRoomCount;
const QString kUnknown = QStringLiteral("Unknown");

int RowOf(int bank, int slot) { return (bank - 1) * dx256::kSlotCount + (slot - 1); }

// What a room in use shows for a description (as GetRoomDescription gives it).
QString Shown(const std::string& description, bool inUse) {
    if (!inUse) return {};
    return description.empty() ? kUnknown : QString::fromStdString(description);
}

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

Dx256Dialog::Dx256Dialog(const std::vector<RoomRow>& rooms, const QString& fileName, QWidget* parent)
    : QDialog(parent), rooms_(kRows), current_(kRows) {
    setWindowTitle(QStringLiteral("Manage DX256 File"));
    setModal(true);

    for (int bank = 1; bank <= dx256::kBankCount; ++bank)
        for (int slot = 1; slot <= dx256::kSlotCount; ++slot) {
            RoomRow& row = rooms_[RowOf(bank, slot)];
            row.bank = bank;
            row.slot = slot;
            row.room = RoomName(bank, slot);
        }
    for (const RoomRow& given : rooms) {
        if (!IsValidRoom(given.bank, given.slot)) continue;
        RoomRow& row = rooms_[RowOf(given.bank, given.slot)];
        row.inUse = given.inUse;
        row.description = given.description;
    }

    grid_ = new QTableWidget(kRows, kColumnCount, this);
    grid_->setHorizontalHeaderLabels({QStringLiteral("Room"), QStringLiteral("Type"), QStringLiteral("Description")});
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->horizontalHeader()->setSectionResizeMode(RoomColumn, QHeaderView::Fixed);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->setColumnWidth(RoomColumn, grid_->fontMetrics().horizontalAdvance(QStringLiteral("Room")) + 24);
    grid_->setColumnWidth(TypeColumn, 90);
    grid_->setWordWrap(false);
    grid_->setTextElideMode(Qt::ElideRight);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    grid_->setItemDelegateForColumn(DescriptionColumn, new DescriptionDelegate(grid_));

    const QBrush fixedBrush = grid_->palette().button();
    filling_ = true;
    for (int r = 0; r < kRows; ++r) {
        const RoomRow& row = rooms_[r];
        auto* room = new QTableWidgetItem(QString::fromStdString(row.room));
        room->setTextAlignment(Qt::AlignCenter);
        room->setFlags(Qt::ItemIsEnabled); // the fixed column: never selected or edited
        room->setBackground(fixedBrush);
        auto* type = new QTableWidgetItem;
        type->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        auto* description = new QTableWidgetItem(Shown(row.description, row.inUse));
        description->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (row.inUse) flags |= Qt::ItemIsEditable;
        description->setFlags(flags);
        grid_->setItem(r, RoomColumn, room);
        grid_->setItem(r, TypeColumn, type);
        grid_->setItem(r, DescriptionColumn, description);
        current_[r] = row.description == kUnknown.toStdString() ? std::string() : row.description;
    }
    filling_ = false;

    auto* buttons = new QVBoxLayout;
    update_ = new QPushButton(QStringLiteral("Update File"), this);
    update_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    buttons->addWidget(update_);
    buttons->addWidget(cancel);
    buttons->addSpacing(12);
    // Not provided: kept in their place, disabled.
    for (const char* text : {"Send .SAV File", "Send DX256 File", "Load SAV File", "Save SAV File", "Move Location"}) {
        auto* button = new QPushButton(QString::fromLatin1(text), this);
        button->setEnabled(false);
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);

    auto* left = new QVBoxLayout;
    if (!fileName.isEmpty()) left->addWidget(new QLabel(fileName, this));
    left->addWidget(grid_);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
    resize(520, 420);

    connect(grid_, &QTableWidget::itemChanged, this, &Dx256Dialog::DescriptionEdited);
    connect(update_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void Dx256Dialog::DescriptionEdited(QTableWidgetItem* item) {
    if (filling_ || item->column() != DescriptionColumn) return;
    const int r = item->row();
    if (r < 0 || r >= kRows || !rooms_[r].inUse) return;
    current_[r] = CleanDescription(item->text().toStdString());
    // Show what the file will hold (and read back).
    const QString shown = Shown(current_[r], true);
    if (item->text() != shown) {
        filling_ = true;
        item->setText(shown);
        filling_ = false;
    }
}

std::vector<RoomDescriptionEdit> Dx256Dialog::Edits() const {
    std::vector<RoomDescriptionEdit> edits;
    for (int r = 0; r < kRows; ++r) {
        const RoomRow& row = rooms_[r];
        if (!row.inUse) continue;
        if (Shown(current_[r], true) == Shown(row.description, true)) continue;
        edits.push_back({row.bank, row.slot, current_[r]});
    }
    return edits;
}

} // namespace q64
