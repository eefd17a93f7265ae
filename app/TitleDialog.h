#pragma once
// "Enter New Title for Image": asks for an image title of at most 20
// characters, each of which the header can hold (ASCII and half-width
// katakana, engine/TitleText.h).

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
    // The header's stored title field: a replacement character standing for
    // one of its undecodable bytes is accepted at that byte's place.
    void SetOriginalField(const std::string& field) { original_ = field; }
    // The text of the field (the result once the dialog closed with OK).
    QString Title() const;
    // The field's text as UTF-8, as the title commands take it.
    std::string TitleText() const;

    void SetMessageFn(DialogMessageFn fn) { message_ = std::move(fn); }
    QLineEdit* Field() const { return field_; }

    // Closes with OK only for at most 20 characters that the header can hold;
    // otherwise shows the standard length message, or a message naming the
    // characters it cannot hold, and stays open.
    void accept() override;

private:
    void KeepLimit();

    QLineEdit* field_ = nullptr;
    std::string original_;
    DialogMessageFn message_ = ShowDialogMessage;
};

} // namespace q64
