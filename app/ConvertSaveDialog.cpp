#include "app/ConvertSaveDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>

namespace q64 {

namespace {

QComboBox* FormatCombo(QWidget* parent, SaveFormat preset) {
    auto* combo = new QComboBox(parent);
    for (const SaveFormatInfo& info : SaveFormats()) {
        combo->addItem(QStringLiteral("%1  (%2)").arg(QString::fromLatin1(info.description), QString::fromLatin1(info.key)),
                       static_cast<int>(info.format));
        if (info.format == preset) combo->setCurrentIndex(combo->count() - 1);
    }
    return combo;
}

SaveFormat FormatOf(const QComboBox* combo) { return static_cast<SaveFormat>(combo->currentData().toInt()); }

} // namespace

ConvertSaveDialog::ConvertSaveDialog(const SaveConversionChoice& preset, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Convert Save"));
    setModal(true);
    from_ = FormatCombo(this, preset.from);
    to_ = FormatCombo(this, preset.to);
    pak_ = new QSpinBox(this);
    pak_->setRange(1, 4);
    pak_->setValue(preset.pak >= 1 && preset.pak <= 4 ? preset.pak : 1);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("The save is"), from_);
    form->addRow(QStringLiteral("Convert it to"), to_);
    form->addRow(QStringLiteral("Controller Pak of the container"), pak_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(from_, &QComboBox::currentIndexChanged, this, &ConvertSaveDialog::UpdatePak);
    connect(to_, &QComboBox::currentIndexChanged, this, &ConvertSaveDialog::UpdatePak);
    UpdatePak();
}

void ConvertSaveDialog::UpdatePak() { pak_->setEnabled(IsContainer(FormatOf(from_)) || IsContainer(FormatOf(to_))); }

SaveConversionChoice ConvertSaveDialog::Choice() const {
    return SaveConversionChoice{FormatOf(from_), FormatOf(to_), pak_->value()};
}

} // namespace q64
