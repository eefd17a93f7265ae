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
            combo_->setFixedWidth(120);
            combo_->setMaxVisibleItems(kListFilterCount);
            combo_->setStatusTip(QStringLiteral("Selects the Default Type to View"));
            combo_->setFocusPolicy(Qt::ClickFocus);
            for (int i = 0; i < kListFilterCount; ++i) combo_->addItem(QString::fromLatin1(ListFilterText(i)));
            combo_->setCurrentIndex(0);
            addWidget(combo_);
        } else if (QAction* action = actions.Action(e.id)) {
            action->setIcon(QIcon(pictures::ToolPicture(PictureFor(e.id))));
            addAction(action);
        }
    }
}

} // namespace q64
