#include "app/MainToolBar.h"

#include <QAction>
#include <QComboBox>

#include "app/CommandActions.h"
#include "app/CommandTable.h"
#include "browser/FileEntry.h"
#include "resources/Pictures.h"

namespace q64 {

namespace {

int PictureFor(CommandId id) {
    switch (id) {
    case CommandId::Send: return pictures::ToolSend;
    case CommandId::Receive: return pictures::ToolReceive;
    case CommandId::ReSize: return pictures::ToolReSize;
    case CommandId::ChangeFormat: return pictures::ToolFlip;
    case CommandId::IpsPatch: return pictures::ToolPatch;
    case CommandId::CalcCrc: return pictures::ToolCrc;
    case CommandId::Compress: return pictures::ToolCompress;
    case CommandId::DeCompress: return pictures::ToolDeCompress;
    case CommandId::ImageFilter: return pictures::ToolFilter;
    case CommandId::Exit: return pictures::ToolExit;
    default: return -1;
    }
}

} // namespace

MainToolBar::MainToolBar(const CommandActions& actions, QWidget* parent) : QToolBar(QStringLiteral("ToolBar"), parent) {
    setObjectName(QStringLiteral("ToolBar"));
    setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    setIconSize(QSize(16, 16));
    setMovable(true);
    for (const MenuEntry& e : ToolBarEntries()) {
        if (e.separator) {
            addSeparator();
        } else if (e.id == CommandId::ImageFilter) {
            combo_ = new QComboBox(this);
            combo_->setObjectName(QStringLiteral("61205"));
            combo_->setMaxVisibleItems(kListFilterCount);
            combo_->setStatusTip(QStringLiteral("Selects the Default Type to View"));
            combo_->setToolTip(QStringLiteral("Selects the Default Type to View (%1)")
                                   .arg(QKeySequence(kFilterShortcut).toString(QKeySequence::NativeText)));
            // Reached with Tab and with its shortcut, not only with the mouse.
            combo_->setFocusPolicy(Qt::StrongFocus);
            for (int i = 0; i < kListFilterCount; ++i) combo_->addItem(QString::fromLatin1(ListFilterText(i)));
            // At least the classic 120 pixels, and as wide as its longest entry.
            combo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
            combo_->setMinimumWidth(120);
            auto* focusFilter = new QAction(QStringLiteral("Filter"), this);
            focusFilter->setShortcut(kFilterShortcut);
            focusFilter->setShortcutContext(Qt::WindowShortcut);
            connect(focusFilter, &QAction::triggered, combo_, [this] {
                if (!combo_->isVisible() || !combo_->isEnabled()) return;
                combo_->setFocus(Qt::ShortcutFocusReason);
                combo_->showPopup();
            });
            if (parent) parent->addAction(focusFilter);
            combo_->setCurrentIndex(0);
            addWidget(combo_);
        } else if (QAction* action = actions.Action(e.id)) {
            action->setIcon(QIcon(pictures::ToolPicture(PictureFor(e.id))));
            addAction(action);
        }
    }
}

} // namespace q64
