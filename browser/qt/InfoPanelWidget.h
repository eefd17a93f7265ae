#pragma once
// The " Information " group under the tree and the list: six read-only
// fields and the "Compressed" box, showing the texts the model computed, and
// a last pair of fields for saves: "Save Type" of an image, or "Notes" and
// "Free Pages" of a memory pak.

#include <QGroupBox>

#include "browser/InfoPanel.h"

class QCheckBox;
class QLabel;
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
    // The save fields: row 0 ("Save Type" or "Notes"), row 1 ("Free Pages").
    QLineEdit* SaveField(int row) const { return saveFields_[row]; }
    QLabel* SaveLabel(int row) const { return saveLabels_[row]; }

private:
    QLineEdit* fields_[kFieldCount] = {};
    QCheckBox* compressed_ = nullptr;
    QLabel* saveLabels_[2] = {};
    QLineEdit* saveFields_[2] = {};
    bool compressedShown_ = false;
};

} // namespace q64
