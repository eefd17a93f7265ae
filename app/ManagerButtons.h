#pragma once
// The column of buttons beside a save manager's grid (DX256 rooms, memory
// pak notes): one per row of a table, in order, none taking Enter by itself,
// a gap after the rows that end a group, a stretch below.

#include <cstddef>
#include <QPushButton>
#include <QVBoxLayout>

namespace q64 {

template <typename Dialog, typename Button>
struct ManagerButton {
    Button button;                 // its place in the dialog's button array
    const char* text;
    void (Dialog::*action)();      // run on a click; may be QDialog::accept or reject
    bool gapAfter = false;
};

template <typename Dialog, typename Button, std::size_t N>
QVBoxLayout* MakeManagerButtons(Dialog* dialog, const ManagerButton<Dialog, Button> (&rows)[N],
                                QPushButton** buttons) {
    auto* column = new QVBoxLayout;
    for (const ManagerButton<Dialog, Button>& row : rows) {
        auto* button = new QPushButton(QString::fromLatin1(row.text), dialog);
        button->setAutoDefault(false);
        buttons[static_cast<int>(row.button)] = button;
        column->addWidget(button);
        if (row.gapAfter) column->addSpacing(12);
        QObject::connect(button, &QPushButton::clicked, dialog, row.action);
    }
    column->addStretch(1);
    return column;
}

} // namespace q64
