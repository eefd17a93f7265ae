#include "app/TitleDialog.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "app/DialogButtons.h"
#include "engine/RomImage.h"
#include "engine/TitleText.h"

namespace q64 {

static_assert(TitleDialog::kMaxTitleLength == static_cast<int>(header::kTitleLength));

TitleDialog::TitleDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Enter New Title for Image"));
    setModal(true);
    field_ = new QLineEdit(this);
    field_->setMaxLength(kMaxTitleLength);
    field_->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * kMaxTitleLength);
    // Wide enough for the whole caption beside the window manager's buttons.
    setMinimumWidth(CaptionWidth(windowTitle()));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(field_);
    layout->addWidget(MakeOkCancelButtons(this));
    connect(field_, &QLineEdit::textEdited, this, &TitleDialog::KeepLimit);
}

void TitleDialog::SetTitle(const QString& title) {
    // Raise the limit first: setText would cut a longer text to it.
    field_->setMaxLength(std::max<int>(kMaxTitleLength, static_cast<int>(title.size())));
    field_->setText(title);
    field_->selectAll();
}

QString TitleDialog::Title() const { return field_->text(); }

std::string TitleDialog::TitleText() const { return field_->text().toStdString(); }

void TitleDialog::KeepLimit() {
    // Typing never lengthens an over-long preset; once it is short enough the
    // 20-character limit holds again.
    field_->setMaxLength(std::max<int>(kMaxTitleLength, static_cast<int>(field_->text().size())));
}

void TitleDialog::accept() {
    if (field_->text().size() > kMaxTitleLength) {
        message_(this, TextLengthMessage(kMaxTitleLength));
        field_->setFocus();
        field_->selectAll();
        return;
    }
    const TitleEncoding encoding = EncodeTitle(TitleText(), original_);
    if (!encoding.Ok()) {
        message_(this, {kMessageCaption, QString::fromStdString(RefusedTitleMessage(encoding)),
                        MessageIcon::Warning});
        field_->setFocus();
        return;
    }
    QDialog::accept();
}

} // namespace q64
