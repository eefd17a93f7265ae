#include "app/DialogMessage.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace q64 {

void ShowDialogMessage(QWidget* parent, const DialogMessage& message) {
    QMessageBox box(message.icon == MessageIcon::Stop ? QMessageBox::Critical : QMessageBox::Warning,
                    message.caption, message.text, QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

DialogMessage IntegerMessage() {
    return {kMessageCaption, QStringLiteral("Please enter an integer."), MessageIcon::Warning};
}

DialogMessage IntegerRangeMessage(int low, int high) {
    return {kMessageCaption, QStringLiteral("Please enter an integer between %1 and %2.").arg(low).arg(high),
            MessageIcon::Warning};
}

DialogMessage TextLengthMessage(int maxCharacters) {
    return {kMessageCaption, QStringLiteral("Please enter no more than %1 characters.").arg(maxCharacters),
            MessageIcon::Warning};
}

} // namespace q64
