#pragma once
// The " Information " group under the tree and the list: six read-only
// fields and the "Compressed" box, showing the texts the model computed.

#include <QGroupBox>

#include "browser/InfoPanel.h"

class QCheckBox;
class QLineEdit;

namespace q64 {

class InfoPanelWidget : public QGroupBox {
    Q_OBJECT
public:
    explicit InfoPanelWidget(QWidget* parent = nullptr);

    void Show(const InfoPanelTexts& texts);
    InfoPanelTexts Shown() const;

    enum Field { ImageSize, FileSize, Territory, CartId, Maker, Format, kFieldCount };
    QLineEdit* FieldWidget(Field field) const { return fields_[field]; }
    QCheckBox* CompressedBox() const { return compressed_; }

private:
    QLineEdit* fields_[kFieldCount] = {};
    QCheckBox* compressed_ = nullptr;
    bool compressedShown_ = false;
};

} // namespace q64
