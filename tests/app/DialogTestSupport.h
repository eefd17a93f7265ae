#pragma once
// Helpers shared by the dialog tests: a message recorder standing in for the
// modal message box, and the OK button of a dialog.

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <vector>

#include "app/DialogMessage.h"

namespace q64::test {

// Collects what a dialog would have shown in a message box.
class MessageRecorder {
public:
    DialogMessageFn Fn() {
        return [this](QWidget*, const DialogMessage& message) { shown.push_back(message); };
    }
    std::vector<DialogMessage> shown;
};

inline QPushButton* OkButton(QDialog& dialog) {
    auto* box = dialog.findChild<QDialogButtonBox*>();
    return box ? box->button(QDialogButtonBox::Ok) : nullptr;
}

inline QPushButton* CancelButton(QDialog& dialog) {
    auto* box = dialog.findChild<QDialogButtonBox*>();
    return box ? box->button(QDialogButtonBox::Cancel) : nullptr;
}

// Shows the dialog modeless (no event loop of its own) and presses OK;
// true when it closed with OK.
inline bool PressOk(QDialog& dialog) {
    if (!dialog.isVisible()) dialog.show();
    OkButton(dialog)->click();
    return !dialog.isVisible() && dialog.result() == QDialog::Accepted;
}

} // namespace q64::test
