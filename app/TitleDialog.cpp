#include "app/TitleDialog.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "app/DialogButtons.h"
#include "engine/RomImage.h"

namespace q64 {

static_assert(TitleDialog::kMaxTitleLength == static_cast<int>(header::kTitleLength));

TitleDialog::TitleDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Enter New Title for Image"));
    setModal(true);
    field_ = new QLineEdit(this);
    field_->setMaxLength(kMaxTitleLength);
    field_->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * kMaxTitleLength);
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

void TitleDialog::SetTitleBytes(const std::string& bytes) {
    SetTitle(QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

QString TitleDialog::Title() const { return field_->text(); }

std::string TitleDialog::TitleBytesText() const {
    const QByteArray bytes = field_->text().toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

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
    QDialog::accept();
}

} // namespace q64
