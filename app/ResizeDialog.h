#pragma once
// "Re-Size": asks for the new size of an image in Mbit, an even number from
// 2 to 256, typed or taken from three default sizes, and shows the image's
// size now.

#include <QDialog>
#include <cstdint>

#include "app/DialogMessage.h"

class QLabel;
class QRadioButton;

namespace q64 {

class SpinField;

class ResizeDialog : public QDialog {
    Q_OBJECT
public:
    explicit ResizeDialog(QWidget* parent = nullptr);

    // Shows the image's size now in Mbit (a negative size shows nothing).
    void SetCurrentSize(std::int64_t bytes);
    QString CurrentSizeText() const;

    // The accepted size in Mbit; meaningful only after the dialog closed with OK.
    int SizeMbit() const { return sizeMbit_; }

    // Where refused values are reported (a message box by default).
    void SetMessageFn(DialogMessageFn fn) { message_ = std::move(fn); }

    SpinField* SizeField() const { return size_; }
    QRadioButton* CustomChoice() const { return custom_; }
    QRadioButton* Choice64() const { return mbit64_; }
    QRadioButton* Choice96() const { return mbit96_; }
    QRadioButton* Choice128() const { return mbit128_; }

    // Closes with OK only for a whole, even number from 2 to 256; otherwise
    // shows why and stays open.
    void accept() override;

private:
    void ChooseCustom();
    void ChoosePreset(int mbit);

    QLabel* current_ = nullptr;
    SpinField* size_ = nullptr;
    QRadioButton* custom_ = nullptr;
    QRadioButton* mbit64_ = nullptr;
    QRadioButton* mbit96_ = nullptr;
    QRadioButton* mbit128_ = nullptr;
    int sizeMbit_ = 0;
    DialogMessageFn message_ = ShowDialogMessage;
};

} // namespace q64
