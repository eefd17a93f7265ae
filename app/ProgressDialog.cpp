#include "app/ProgressDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace q64 {

namespace {

// The owning top-level window: the given widget's window, else the program's
// main window, else whatever window is active.
QWidget* FindOwner(QWidget* owner) {
    if (owner) return owner->window();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow*>(widget) && widget->isVisible()) return widget;
    }
    return QApplication::activeWindow();
}

} // namespace

ProgressDialog::ProgressDialog(int captionId)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      captionId_(captionId == 0 ? progress_caption::kDefault : captionId) {
    setModal(false);
    percent_ = new QLabel(QStringLiteral(" 0 %"), this);
    percent_->setAlignment(Qt::AlignCenter);
    bar_ = new QProgressBar(this);
    bar_->setTextVisible(false);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setAutoDefault(false);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(cancel_);
    buttonRow->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(percent_);
    layout->addWidget(bar_);
    layout->addLayout(buttonRow);
    setMinimumWidth(280);

    connect(cancel_, &QPushButton::clicked, this, &ProgressDialog::OnCancel);
}

ProgressDialog::~ProgressDialog() {
    if (created_) Destroy();
}

QString ProgressDialog::CaptionText(int captionId) {
    switch (captionId) {
    case progress_caption::kCompressing: return QStringLiteral("Compressing");
    case progress_caption::kDeCompressing: return QStringLiteral("De-Compressing");
    case progress_caption::kByteFlipping: return QStringLiteral("Byte Flipping");
    case progress_caption::kReSize: return QStringLiteral("Re-Size an Image");
    case progress_caption::kReceiving: return QStringLiteral("Receiving");
    case progress_caption::kSending: return QStringLiteral("Sending");
    case progress_caption::kVerifying: return QStringLiteral("Verifying Images");
    case progress_caption::kCalculatingCrc: return QStringLiteral("Calculating CRC");
    case progress_caption::kDeleting: return QStringLiteral("Deleting Files");
    case progress_caption::kCreatingPatch: return QStringLiteral("Creating Patch");
    default: return QStringLiteral("Quorvel64");
    }
}

QString ProgressDialog::PercentText(int pos, int lower, int upper) {
    const long long span = static_cast<long long>(upper) - lower;
    const long long percent = span == 0 ? 0 : (static_cast<long long>(pos) - lower) * 100 / span;
    const long long shown = percent == 100 ? percent : percent % 100;
    return QString::number(shown) + QLatin1Char('%');
}

bool ProgressDialog::Create(QWidget* owner) {
    if (created_) return true;
    owner_ = FindOwner(owner);
    if (owner_ && owner_->isEnabled()) {
        owner_->setEnabled(false);
        ownerDisabledByUs_ = true;
    }
    // A child window of the owner: kept above it and centred on it. Disabling
    // the owner disables its child windows too, so this one is enabled again.
    setParent(owner_, windowFlags());
    setEnabled(true);
    bar_->setRange(lower_, upper_);
    bar_->setValue(lower_);
    pos_ = lower_;
    setWindowTitle(CaptionText(captionId_));
    cancelled_ = false;
    created_ = true;
    show();
    if (!isVisible()) {
        Destroy();
        return false;
    }
    return true;
}

void ProgressDialog::Destroy() {
    if (!created_) return;
    created_ = false;
    if (owner_ && ownerDisabledByUs_) owner_->setEnabled(true);
    ownerDisabledByUs_ = false;
    hide();
    // Detached again, so that the owner never deletes this object.
    setParent(nullptr, windowFlags());
    if (owner_) owner_->activateWindow();
}

void ProgressDialog::SetRange(int lower, int upper) {
    lower_ = lower;
    upper_ = upper;
    bar_->setRange(lower, upper);
}

int ProgressDialog::SetStep(int step) {
    const int previous = step_;
    step_ = step;
    return previous;
}

int ProgressDialog::SetPos(int pos) {
    ProcessPendingEvents();
    const int previous = pos_;
    pos_ = pos;
    bar_->setValue(std::clamp(pos, bar_->minimum(), bar_->maximum()));
    const QString text = PercentText(pos, lower_, upper_);
    if (text != percent_->text()) percent_->setText(text);
    return previous;
}

bool ProgressDialog::CheckCancel() {
    ProcessPendingEvents();
    const bool cancelled = cancelled_;
    cancelled_ = false;
    return cancelled;
}

QString ProgressDialog::ShownPercent() const { return percent_->text(); }

void ProgressDialog::reject() { OnCancel(); }

void ProgressDialog::closeEvent(QCloseEvent* event) {
    OnCancel();
    event->ignore();
}

void ProgressDialog::OnCancel() { cancelled_ = true; }

void ProgressDialog::ProcessPendingEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

} // namespace q64
