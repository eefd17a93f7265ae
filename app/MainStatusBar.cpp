#include "app/MainStatusBar.h"

#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QTimer>

#include "app/KeyStateIndicators.h"

namespace q64 {

MainStatusBar::MainStatusBar(QWidget* parent) : QStatusBar(parent) {
    message_ = new QLabel(QStringLiteral("Ready"), this);
    message_->setObjectName(QStringLiteral("MessagePane"));
    addWidget(message_, 1);
    const char* const names[3] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(QString::fromLatin1(names[i]), this);
        label->setObjectName(QString::fromLatin1(names[i]));
        label->setAlignment(Qt::AlignCenter);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 10);
        addPermanentWidget(label);
        indicators_[i] = label;
    }
    poll_ = new QTimer(this);
    connect(poll_, &QTimer::timeout, this, &MainStatusBar::RefreshIndicators);
    poll_->start(250);
    RefreshIndicators();
}

void MainStatusBar::FollowMenu(QMenu* menu) { menu->installEventFilter(this); }

bool MainStatusBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Leave || event->type() == QEvent::Hide) clearMessage();
    return QStatusBar::eventFilter(watched, event);
}

void MainStatusBar::SetText(const QString& text) { message_->setText(text); }

QString MainStatusBar::Text() const { return message_->text(); }

void MainStatusBar::RefreshIndicators() {
    const LockKeys keys = ReadLockKeys();
    const bool on[3] = {keys.caps, keys.num, keys.scroll};
    for (int i = 0; i < 3; ++i) indicators_[i]->setEnabled(on[i]);
}

} // namespace q64
