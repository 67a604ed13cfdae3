#include "ui/Commands.h"

#include <QAction>
#include <QMenu>

void Commands::SetHandler(int id, Handler handler)
{
    m_handlers.insert(id, std::move(handler));
}

void Commands::Run(int id) const
{
    if (const auto it = m_handlers.constFind(id); it != m_handlers.cend() && *it)
        (*it)();
}

QList<QMenu*> Commands::BuildMenus(const std::vector<MenuDef>& defs, QWidget* parent) const
{
    QList<QMenu*> menus;
    for (const MenuDef& def : defs) {
        auto* menu = new QMenu(QString::fromLatin1(def.title), parent);
        for (const MenuItem& item : def.items) {
            if (!item.id) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QString::fromLatin1(item.text));
            action->setObjectName(ActionName(item.id));
            action->setStatusTip(PromptText(item.prompt));
            // The action keeps its own copy: it may outlive the table while its window goes.
            if (const Handler handler = m_handlers.value(item.id))
                QObject::connect(action, &QAction::triggered, action, handler);
        }
        menus.append(menu);
    }
    return menus;
}

QString Commands::ActionName(int id)
{
    return QString::number(id);
}

QAction* Commands::Find(const QList<QMenu*>& menus, int id)
{
    const QString name = ActionName(id);
    for (const QMenu* menu : menus) {
        if (auto* action = menu->findChild<QAction*>(name, Qt::FindDirectChildrenOnly))
            return action;
    }
    return nullptr;
}
