#pragma once
// One QAction per command (shared by the menu bar, the tool bar and the
// keys), the context menu's own actions, and Apply(), which sets every
// enabled and ticked state from the command rules.

#include <QObject>
#include <map>
#include <vector>

#include "browser/CommandRules.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace q64 {

// The property of a greyed action that says why it is greyed (empty: nothing to say).
inline constexpr const char* kGreyedTipProperty = "greyedTip";

class CommandActions : public QObject {
    Q_OBJECT
public:
    // Actions are owned by `window`, so their keys work anywhere in it.
    explicit CommandActions(QWidget* window);

    QAction* Action(CommandId id) const;
    void BuildMenuBar(QMenuBar* bar) const;
    // The context menu: its items mirror the menu items' states.
    QMenu* ContextMenu() const { return contextMenu_; }

    // Enables and ticks every command. The tool bar and status bar toggles are left alone.
    void Apply(const ViewState& view, const CommandContext& context);

signals:
    void triggered(CommandId id);

private:
    QWidget* window_;
    std::map<CommandId, QAction*> actions_;
    std::vector<std::pair<QAction*, CommandId>> contextActions_;
    QMenu* contextMenu_ = nullptr;
};

} // namespace q64
