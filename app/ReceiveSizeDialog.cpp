#include "app/ReceiveSizeDialog.h"

#include <QDialogButtonBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/DialogButtons.h"

namespace q64 {

ReceiveSizeDialog::ReceiveSizeDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Receive Size"));
    setMinimumWidth(CaptionWidth(windowTitle()));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    for (std::size_t i = 0; i < kSizesMbit.size(); ++i) {
        choices_[i] = new QRadioButton(QStringLiteral("%1 MBit").arg(kSizesMbit[i]), this);
        layout->addWidget(choices_[i]);
    }
    choices_[0]->setChecked(true);
    layout->addWidget(MakeOkCancelButtons(this));
    setMinimumWidth(200);
}

void ReceiveSizeDialog::accept() {
    for (std::size_t i = 0; i < kSizesMbit.size(); ++i) {
        if (choices_[i]->isChecked()) sizeMbit_ = kSizesMbit[i];
    }
    QDialog::accept();
}

} // namespace q64
