#include "app/ResizeDialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/DialogButtons.h"
#include "app/DialogFields.h"
#include "app/SpinField.h"
#include "engine/Resize.h"
#include "engine/RomImage.h"

namespace q64 {

namespace {

constexpr int kInitialMbit = 64;
// The caption of the size message is the program's historic one.
const QString kResizeCaption = QStringLiteral("Quorvel62");

} // namespace

ResizeDialog::ResizeDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Re-Size"));
    setMinimumWidth(CaptionWidth(windowTitle()));
    setModal(true);

    current_ = new QLabel(this);
    current_->setObjectName(QStringLiteral("CurrentSize"));
    current_->hide();
    auto* sizeLabel = new QLabel(QStringLiteral("New Size"), this);
    size_ = new SpinField(this);
    size_->Edit()->setMaximumWidth(60);
    sizeLabel->setBuddy(size_->Edit());

    auto* group = new QGroupBox(QStringLiteral(" Default Sizes "), this);
    custom_ = new QRadioButton(QStringLiteral("Custom"), group);
    mbit64_ = new QRadioButton(QStringLiteral("64 MBit"), group);
    mbit96_ = new QRadioButton(QStringLiteral("96 MBit"), group);
    mbit128_ = new QRadioButton(QStringLiteral("128 MBit"), group);
    auto* groupLayout = new QVBoxLayout(group);
    for (QRadioButton* choice : {custom_, mbit64_, mbit96_, mbit128_}) groupLayout->addWidget(choice);

    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(sizeLabel);
    sizeRow->addWidget(size_);
    sizeRow->addWidget(new QLabel(QStringLiteral("MBit"), this));
    sizeRow->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(current_);
    layout->addLayout(sizeRow);
    layout->addWidget(group);
    layout->addWidget(MakeOkCancelButtons(this));

    connect(custom_, &QRadioButton::clicked, this, &ResizeDialog::ChooseCustom);
    connect(mbit64_, &QRadioButton::clicked, this, [this] { ChoosePreset(64); });
    connect(mbit96_, &QRadioButton::clicked, this, [this] { ChoosePreset(96); });
    connect(mbit128_, &QRadioButton::clicked, this, [this] { ChoosePreset(128); });

    size_->SetValue(kInitialMbit);
    custom_->setChecked(true);
    ChooseCustom();
    size_->setFocus();
    size_->Edit()->selectAll();
}

void ResizeDialog::SetCurrentSize(std::int64_t bytes) {
    current_->setVisible(bytes >= 0);
    if (bytes >= 0)
        current_->setText(QStringLiteral("Current Size: %1 MBit").arg(static_cast<double>(SizeInMbit(bytes)), 0, 'f', 1));
}

QString ResizeDialog::CurrentSizeText() const { return current_->isHidden() ? QString() : current_->text(); }

void ResizeDialog::ChooseCustom() {
    size_->SetReadOnly(false);
    // The up arrow steps towards the small end.
    size_->SetArrowRange(static_cast<int>(kResizeMaxMbit), static_cast<int>(kResizeMinMbit));
}

void ResizeDialog::ChoosePreset(int mbit) {
    size_->SetReadOnly(true);
    size_->SetArrowRange(mbit, mbit);
    size_->SetValue(mbit);
}

void ResizeDialog::accept() {
    const std::optional<int> mbit = ParseWholeNumber(size_->Text());
    if (!mbit) {
        message_(this, IntegerMessage());
    } else if (!IsResizeMbitAllowed(*mbit)) {
        message_(this, {kResizeCaption, QString::fromLatin1(kResizeRangeMessage), MessageIcon::Stop});
    } else {
        sizeMbit_ = *mbit;
        QDialog::accept();
        return;
    }
    size_->setFocus();
    size_->Edit()->selectAll();
}

} // namespace q64
