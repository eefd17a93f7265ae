#include "app/OperationCallbacks.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>

#include "app/DialogMessage.h"
#include "app/ProgressDialog.h"

namespace q64 {

ProgressFn MakeProgressFn(ProgressDialog* dialog) {
    QPointer<ProgressDialog> guarded(dialog);
    return [guarded](int percent) {
        if (!guarded || !guarded->IsCreated()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            return kProgressGoOn;
        }
        guarded->SetPos(percent);
        return guarded->CheckCancel() ? kProgressCancelled : kProgressGoOn;
    };
}

MessageSink MakeErrorSink(QWidget* owner) {
    QPointer<QWidget> guarded(owner);
    return [guarded](const std::string& text) {
        QMessageBox box(QMessageBox::Critical, kMessageCaption, QString::fromStdString(text), QMessageBox::Ok,
                        guarded ? guarded->window() : nullptr);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
        box.exec();
    };
}

} // namespace q64
