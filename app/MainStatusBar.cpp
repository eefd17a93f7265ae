#include "app/MainStatusBar.h"

#include <QAction>
#include <QEvent>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <QLabel>
#include <QMenu>
#include <QTimer>

#include "app/CommandActions.h"
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
    // A greyed item that can say why it is greyed says so, on hover and as a tool tip.
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::ToolTip) {
        auto* menu = qobject_cast<QMenu*>(watched);
        const QPoint at = event->type() == QEvent::ToolTip ? static_cast<QHelpEvent*>(event)->pos()
                                                           : static_cast<QMouseEvent*>(event)->position().toPoint();
        const QAction* action = menu ? menu->actionAt(at) : nullptr;
        const QString why = action && !action->isEnabled() ? action->property(kGreyedTipProperty).toString() : QString();
        if (!why.isEmpty()) {
            showMessage(why);
            if (event->type() == QEvent::ToolTip) QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), why, menu);
        }
    }
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
