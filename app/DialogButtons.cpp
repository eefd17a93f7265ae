#include "app/DialogButtons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QApplication>
#include <QFontMetrics>
#include <QPushButton>

namespace q64 {

QDialogButtonBox* MakeOkCancelButtons(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setText(QStringLiteral("OK"));
    ok->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

int CaptionWidth(const QString& caption) {
    // Title bars often use a larger, bold face than the dialog's text.
    QFont font = QApplication::font();
    font.setBold(true);
    constexpr int kDecoration = 150; // icon, three buttons and the borders
    return QFontMetrics(font).horizontalAdvance(caption) * 5 / 4 + kDecoration;
}

} // namespace q64
