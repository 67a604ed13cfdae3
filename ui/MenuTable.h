#pragma once
#include <QKeySequence>
#include <QString>

#include <vector>

// The menus and the accelerator table as data: the main frame builds its menu bar from them.
struct MenuItem
{
    int id;              // 0 for a separator
    const char* text;    // may carry the accelerator's name after a tab
    const char* prompt;  // status-bar prompt up to its line break; nullptr for none
};

struct MenuDef
{
    const char* title;
    std::vector<MenuItem> items;
};

struct Accelerator
{
    QKeySequence keys;
    int id;
};

// Menu 129, shown while a channel or archive window is active.
const std::vector<MenuDef>& ChildMenus();
// Menu 128, shown when no child window is open.
const std::vector<MenuDef>& FrameMenus();
// Accelerator table 128, used in every window.
const std::vector<Accelerator>& Accelerators();

// The status-bar prompt of an item: its prompt string up to the line break.
QString PromptText(const char* prompt);
