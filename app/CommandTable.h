#pragma once
// The program's menus as data: every item's text (with its accelerator shown
// after a tab), its key, its status-bar prompt and tool tip, the menu bar's
// order and the file list's context menu. The frame builds its actions and
// menus from these tables.

#include <vector>

#include "browser/CommandRules.h"

namespace q64 {

struct CommandInfo {
    CommandId id;
    const char* text;      // menu text, "&" marks the mnemonic, "\t" the key shown
    const char* shortcut;  // QKeySequence text, "" for none
    const char* prompt;    // status-bar prompt, then "\n" and the tool tip; "" for none
    bool checkable;
};

// One entry of a menu: a command, or a separator.
struct MenuEntry {
    bool separator;
    CommandId id;
    const char* contextText; // the context menu's own text ("" outside the context menu)
};

struct MenuInfo {
    const char* title;
    std::vector<MenuEntry> entries;
};

const std::vector<CommandInfo>& Commands();
const CommandInfo* FindCommand(CommandId id);
const std::vector<MenuInfo>& MainMenus();
const std::vector<MenuEntry>& ContextMenu();
// The tool bar, left to right; ImageFilter is where the filter combo goes.
const std::vector<MenuEntry>& ToolBarEntries();

} // namespace q64
