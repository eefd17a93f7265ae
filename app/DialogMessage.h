#pragma once
// How a dialog tells the user that a value was refused. Every dialog sends its
// messages through a DialogMessageFn so that a caller (or a test) can replace
// the modal message box; by default the message is a QMessageBox owned by the
// dialog. The standard texts are the ones every dialog uses for a field that
// does not hold a whole number, a number out of range or a text too long.

#include <QString>
#include <functional>

class QWidget;

namespace q64 {

enum class MessageIcon {
    Warning, // a refused field value (exclamation)
    Stop,    // a refused command value (stop sign)
};

struct DialogMessage {
    QString caption;
    QString text;
    MessageIcon icon = MessageIcon::Warning;
};

// Shows `message` to the user; `parent` is the dialog that refused the value.
using DialogMessageFn = std::function<void(QWidget* parent, const DialogMessage& message)>;

// The default: a modal QMessageBox with the caption, text and icon, and an OK button.
void ShowDialogMessage(QWidget* parent, const DialogMessage& message);

// The program's caption for its message boxes.
inline const QString kMessageCaption = QStringLiteral("Quorvel64");

// "Please enter an integer." (captioned "Quorvel64", warning icon).
DialogMessage IntegerMessage();
// "Please enter an integer between <low> and <high>."
DialogMessage IntegerRangeMessage(int low, int high);
// "Please enter no more than <max> characters."
DialogMessage TextLengthMessage(int maxCharacters);

} // namespace q64
