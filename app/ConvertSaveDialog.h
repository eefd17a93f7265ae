#pragma once
// "Convert Save": the format of the selected save (preset with the one told
// from the file), the format to convert it to, and the pak (1..4) of a
// container (.srm, mupen64plus' four-pak file), offered only when one of the
// two is a container. The output's name is asked afterwards.

#include <QDialog>

#include "browser/CommandUi.h"

class QComboBox;
class QSpinBox;

namespace q64 {

class ConvertSaveDialog : public QDialog {
    Q_OBJECT
public:
    explicit ConvertSaveDialog(const SaveConversionChoice& preset, QWidget* parent = nullptr);

    SaveConversionChoice Choice() const;
    QComboBox* FromCombo() const { return from_; }
    QComboBox* ToCombo() const { return to_; }
    QSpinBox* PakSpin() const { return pak_; }

private:
    void UpdatePak();

    QComboBox* from_ = nullptr;
    QComboBox* to_ = nullptr;
    QSpinBox* pak_ = nullptr;
};

} // namespace q64
