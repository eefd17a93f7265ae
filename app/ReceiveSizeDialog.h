#pragma once
// "Receive Size": asks how much to receive from the unit, 64, 128, 192 or 256 Mbit.

#include <QDialog>
#include <array>

class QRadioButton;

namespace q64 {

class ReceiveSizeDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr std::array<int, 4> kSizesMbit = {64, 128, 192, 256};

    explicit ReceiveSizeDialog(QWidget* parent = nullptr);

    // The chosen size in Mbit; meaningful only after the dialog closed with OK.
    int SizeMbit() const { return sizeMbit_; }

    // Choice 0..3 ("64 MBit" .. "256 MBit").
    QRadioButton* Choice(int index) const { return choices_.at(static_cast<std::size_t>(index)); }

    void accept() override;

private:
    std::array<QRadioButton*, 4> choices_{};
    int sizeMbit_ = 0;
};

} // namespace q64
