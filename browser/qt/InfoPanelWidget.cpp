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
    compressed_ = new QCheckBox(QStringLiteral("Compressed"), this);
    compressed_->setFocusPolicy(Qt::NoFocus);
    // A click does not change the box: it keeps showing the file's flag.
    connect(compressed_, &QCheckBox::clicked, this, [this] { compressed_->setChecked(compressedShown_); });
    grid->addWidget(compressed_, 0, 6);
}

void InfoPanelWidget::Show(const InfoPanelTexts& t) {
    const std::string* texts[kFieldCount] = {&t.imageSize, &t.fileSize, &t.territory, &t.cartId, &t.maker, &t.format};
    for (int f = 0; f < kFieldCount; ++f) fields_[f]->setText(QString::fromStdString(*texts[f]));
    compressedShown_ = t.compressed;
    compressed_->setChecked(t.compressed);
}

InfoPanelTexts InfoPanelWidget::Shown() const {
    InfoPanelTexts t;
    std::string* texts[kFieldCount] = {&t.imageSize, &t.fileSize, &t.territory, &t.cartId, &t.maker, &t.format};
    for (int f = 0; f < kFieldCount; ++f) *texts[f] = fields_[f]->text().toStdString();
    t.compressed = compressed_->isChecked();
    return t;
}

} // namespace q64
