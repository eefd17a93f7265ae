#include "app/SpinField.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/DialogFields.h"

namespace q64 {

SpinField::SpinField(QWidget* parent) : QWidget(parent) {
    edit_ = new QLineEdit(this);
    up_ = new QToolButton(this);
    down_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* button : {up_, down_}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(16, 11);
    }

    auto* arrows = new QVBoxLayout;
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    arrows->addWidget(up_);
    arrows->addWidget(down_);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(edit_, 1);
    layout->addLayout(arrows);
    setFocusProxy(edit_);

    connect(up_, &QToolButton::clicked, this, &SpinField::StepUp);
    connect(down_, &QToolButton::clicked, this, &SpinField::StepDown);
    edit_->installEventFilter(this);
}

void SpinField::SetArrowRange(int downEnd, int upEnd) {
    downEnd_ = downEnd;
    upEnd_ = upEnd;
}

void SpinField::SetValue(int value) { edit_->setText(QString::number(value)); }

QString SpinField::Text() const { return edit_->text(); }

void SpinField::SetText(const QString& text) { edit_->setText(text); }

void SpinField::SetReadOnly(bool readOnly) { SetFieldReadOnly(edit_, readOnly); }

bool SpinField::IsReadOnly() const { return edit_->isReadOnly(); }

void SpinField::StepUp() { StepTowards(upEnd_); }

void SpinField::StepDown() { StepTowards(downEnd_); }

void SpinField::StepTowards(int end) {
    const int low = std::min(downEnd_, upEnd_);
    const int high = std::max(downEnd_, upEnd_);
    const std::optional<int> shown = ParseWholeNumber(edit_->text());
    long long value = shown.value_or(downEnd_);
    if (value < end) ++value;
    else if (value > end) --value;
    value = std::clamp<long long>(value, low, high);
    const QString text = QString::number(value);
    if (text != edit_->text()) edit_->setText(text);
    edit_->selectAll();
}

bool SpinField::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up) {
            StepUp();
            return true;
        }
        if (key == Qt::Key_Down) {
            StepDown();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace q64
