#pragma once
// The questions and notices of the save managers' buttons, as functions a
// test can replace: a Yes/No question, a notice (information or error), and a
// choice from a list or, with no list, a line of text. All are captioned
// "Quorvel64" and owned by the dialog that asks.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace q64 {

struct ManagerPrompts {
    std::function<bool(QWidget* parent, const QString& text)> ask;
    std::function<void(QWidget* parent, const QString& text, bool error)> tell;
    // The item chosen (or text typed when `items` is empty), nothing when cancelled.
    std::function<std::optional<QString>(QWidget* parent, const QString& label, const QStringList& items,
                                         const QString& preset)>
        choose;
};

// Message boxes and QInputDialog.
ManagerPrompts DefaultManagerPrompts();

} // namespace q64
