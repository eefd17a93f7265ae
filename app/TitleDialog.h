#pragma once
// "Enter New Title for Image": asks for an image title of at most 20 characters.

#include <QDialog>
#include <string>

#include "app/DialogMessage.h"

class QLineEdit;

namespace q64 {

class TitleDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxTitleLength = 20;

    explicit TitleDialog(QWidget* parent = nullptr);

    // Presets the field. A preset longer than 20 characters is shown whole;
    // the user can shorten it but not lengthen it, and OK refuses it.
    void SetTitle(const QString& title);
    // Presets the field from header bytes, one Latin-1 character per byte, so
    // that any title read from a header comes back byte for byte.
    void SetTitleBytes(const std::string& bytes);
    // The text of the field (the result once the dialog closed with OK).
    QString Title() const;
    // The title as header bytes, one Latin-1 byte per character ('?' for a
    // character Latin-1 lacks), ready for EditTitle.
    std::string TitleBytesText() const;

    void SetMessageFn(DialogMessageFn fn) { message_ = std::move(fn); }
    QLineEdit* Field() const { return field_; }

    // Closes with OK only for at most 20 characters; otherwise shows the
    // standard length message and stays open.
    void accept() override;

private:
    void KeepLimit();

    QLineEdit* field_ = nullptr;
    DialogMessageFn message_ = ShowDialogMessage;
};

} // namespace q64
