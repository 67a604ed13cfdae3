#pragma once
#include "ui/MenuTable.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <vector>

class QAction;
class QMenu;
class QWidget;

// The commands of the menus and accelerators as named actions. Every item of a menu table becomes a
// QAction whose object name is its command id, so an item is found by its id in whichever menus
// offer it; each action is connected to the one handler of its command.
class Commands
{
public:
    using Handler = std::function<void()>;

    // The handler of a command, for every item and accelerator that runs it; set before the menus
    // are built.
    void SetHandler(int id, Handler handler);
    // Runs a command that no menu offers (an accelerator's own); nothing without a handler.
    void Run(int id) const;
    // The menus of a table, owned by parent; an item whose command has no handler does nothing.
    QList<QMenu*> BuildMenus(const std::vector<MenuDef>& defs, QWidget* parent) const;

    // The object name of a command's actions.
    static QString ActionName(int id);
    // The item of a command among the menus; nullptr when none of them offers it.
    static QAction* Find(const QList<QMenu*>& menus, int id);

private:
    QHash<int, Handler> m_handlers;
};
