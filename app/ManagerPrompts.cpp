#include "app/ManagerPrompts.h"

#include <QAbstractButton>
#include <QInputDialog>
#include <QMessageBox>

#include "app/DialogMessage.h"

namespace q64 {

ManagerPrompts DefaultManagerPrompts() {
    ManagerPrompts prompts;
    prompts.ask = [](QWidget* parent, const QString& text) {
        QMessageBox box(QMessageBox::Question, kMessageCaption, text, QMessageBox::Yes | QMessageBox::No, parent);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("&Yes"));
        box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    };
    prompts.tell = [](QWidget* parent, const QString& text, bool error) {
        QMessageBox box(error ? QMessageBox::Critical : QMessageBox::Information, kMessageCaption, text,
                        QMessageBox::Ok, parent);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
        box.exec();
    };
    prompts.choose = [](QWidget* parent, const QString& label, const QStringList& items,
                        const QString& preset) -> std::optional<QString> {
        bool ok = false;
        const QString answer =
            items.isEmpty()
                ? QInputDialog::getText(parent, kMessageCaption, label, QLineEdit::Normal, preset, &ok)
                : QInputDialog::getItem(parent, kMessageCaption, label, items,
                                        std::max<qsizetype>(0, items.indexOf(preset)), false, &ok);
        if (!ok) return std::nullopt;
        return answer;
    };
    return prompts;
}

} // namespace q64
