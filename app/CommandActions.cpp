#include "app/CommandActions.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include "app/CommandTable.h"

namespace q64 {

CommandActions::CommandActions(QWidget* window) : QObject(window), window_(window) {
    for (const CommandInfo& c : Commands()) {
        auto* action = new QAction(QString::fromLatin1(c.text), window);
        action->setObjectName(QString::number(static_cast<int>(c.id)));
        action->setIconVisibleInMenu(false);
        action->setCheckable(c.checkable);
        if (*c.shortcut) action->setShortcut(QKeySequence(QString::fromLatin1(c.shortcut)));
        const QString prompt = QString::fromLatin1(c.prompt);
        const int split = prompt.indexOf(QLatin1Char('\n'));
        action->setStatusTip(split < 0 ? prompt : prompt.left(split));
        if (split >= 0) action->setToolTip(prompt.mid(split + 1));
        window->addAction(action);
        const CommandId id = c.id;
        connect(action, &QAction::triggered, this, [this, id] { emit triggered(id); });
        actions_[id] = action;
    }
    // The CD64 choices that exclude each other show radio marks.
    for (const auto& pair : {std::pair{CommandId::Cd64SendExecutes, CommandId::Cd64SendNothing},
                             std::pair{CommandId::Cd64FromCart, CommandId::Cd64FromDram}}) {
        auto* group = new QActionGroup(this);
        group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
        group->addAction(Action(pair.first));
        group->addAction(Action(pair.second));
    }
    contextMenu_ = new QMenu(window);
    for (const MenuEntry& e : q64::ContextMenu()) {
        if (e.separator) {
            contextMenu_->addSeparator();
            continue;
        }
        QAction* item = contextMenu_->addAction(QString::fromLatin1(e.contextText));
        item->setStatusTip(Action(e.id)->statusTip());
        const CommandId id = e.id;
        connect(item, &QAction::triggered, this, [this, id] { emit triggered(id); });
        contextActions_.emplace_back(item, id);
    }
}

QAction* CommandActions::Action(CommandId id) const {
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

void CommandActions::BuildMenuBar(QMenuBar* bar) const {
    for (const MenuInfo& m : MainMenus()) {
        QMenu* menu = bar->addMenu(QString::fromLatin1(m.title));
        for (const MenuEntry& e : m.entries) {
            if (e.separator)
                menu->addSeparator();
            else
                menu->addAction(Action(e.id));
        }
    }
}

void CommandActions::Apply(const ViewState& view, const CommandContext& context) {
    for (const auto& [id, action] : actions_) {
        if (id == CommandId::ToggleToolBar || id == CommandId::ToggleStatusBar) continue;
        const CommandState state = StateOf(id, view, context);
        action->setEnabled(state.enabled);
        // A greyed command may say why (shown over the menus by the status bar).
        action->setProperty(kGreyedTipProperty, QString::fromStdString(state.tip));
        if (action->isCheckable()) action->setChecked(state.checked);
    }
    for (const auto& [item, id] : contextActions_) {
        item->setEnabled(Action(id)->isEnabled());
        item->setProperty(kGreyedTipProperty, Action(id)->property(kGreyedTipProperty));
    }
}

} // namespace q64
