#include "browser/qt/InfoPanelWidget.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace q64 {

InfoPanelWidget::InfoPanelWidget(QWidget* parent) : QGroupBox(QStringLiteral(" Information "), parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 4, 8, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    const char* const labels[kFieldCount] = {"Image Size", "File Size", "Territory Code",
                                             "Cart ID",    "Manufacturer", "File Format"};
    const int widths[kFieldCount] = {64, 64, 48, 48, 84, 84};
    for (int f = 0; f < kFieldCount; ++f) {
        auto* edit = new QLineEdit(this);
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::ClickFocus);
        edit->setMinimumWidth(widths[f]);
        edit->setObjectName(QString::fromLatin1(labels[f]));
        fields_[f] = edit;
        const int row = f % 2;
        const int column = (f / 2) * 2;
        auto* label = new QLabel(QString::fromLatin1(labels[f]), this);
        label->setBuddy(edit);
        grid->addWidget(label, row, column);
        grid->addWidget(edit, row, column + 1);
        grid->setColumnStretch(column + 1, f < 2 ? 2 : (f < 4 ? 1 : 3));
    }
    for (int row = 0; row < 2; ++row) {
        saveFields_[row] = new QLineEdit(this);
        saveFields_[row]->setReadOnly(true);
        saveFields_[row]->setFocusPolicy(Qt::ClickFocus);
        saveFields_[row]->setMinimumWidth(72);
        saveLabels_[row] = new QLabel(row == 0 ? QStringLiteral("Save Type") : QString(), this);
        saveLabels_[row]->setBuddy(saveFields_[row]);
        grid->addWidget(saveLabels_[row], row, 6);
        grid->addWidget(saveFields_[row], row, 7);
    }
    saveFields_[1]->setVisible(false);
    grid->setColumnStretch(7, 2);
    compressed_ = new QCheckBox(QStringLiteral("Compressed"), this);
    compressed_->setFocusPolicy(Qt::NoFocus);
    // A click does not change the box: it keeps showing the file's flag.
    connect(compressed_, &QCheckBox::clicked, this, [this] { compressed_->setChecked(compressedShown_); });
    grid->addWidget(compressed_, 0, 8);
}

void InfoPanelWidget::Show(const InfoPanelTexts& t) {
    const std::string* texts[kFieldCount] = {&t.imageSize, &t.fileSize, &t.territory, &t.cartId, &t.maker, &t.format};
    for (int f = 0; f < kFieldCount; ++f) fields_[f]->setText(QString::fromStdString(*texts[f]));
    compressedShown_ = t.compressed;
    compressed_->setChecked(t.compressed);
    const bool pak = !t.notes.empty() || !t.freePages.empty();
    saveLabels_[0]->setText(pak ? QStringLiteral("Notes") : QStringLiteral("Save Type"));
    saveLabels_[1]->setText(pak ? QStringLiteral("Free Pages") : QString());
    saveFields_[0]->setText(QString::fromStdString(pak ? t.notes : t.saveType));
    saveFields_[1]->setText(QString::fromStdString(t.freePages));
    saveFields_[1]->setVisible(pak);
}

InfoPanelTexts InfoPanelWidget::Shown() const {
    InfoPanelTexts t;
    std::string* texts[kFieldCount] = {&t.imageSize, &t.fileSize, &t.territory, &t.cartId, &t.maker, &t.format};
    for (int f = 0; f < kFieldCount; ++f) *texts[f] = fields_[f]->text().toStdString();
    t.compressed = compressed_->isChecked();
    const bool pak = saveLabels_[0]->text() == QStringLiteral("Notes");
    (pak ? t.notes : t.saveType) = saveFields_[0]->text().toStdString();
    t.freePages = saveFields_[1]->text().toStdString();
    return t;
}

} // namespace q64
