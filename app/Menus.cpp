#include "Menus.h"

#include <utility>

#include <QKeySequence>
#include <QMenu>

void MirrorCheck(QAction* item, std::function<bool()> state) {
    auto update = [item, state = std::move(state)] {
        RunGuarded([&] { item->setChecked(state()); });
    };
    QObject::connect(item, &QAction::triggered, item, update);
    for (QObject* holder : item->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(holder))
            QObject::connect(menu, &QMenu::aboutToShow, item, update);
}

void ApplyAlternateShortcuts(QWidget* window) {
    for (QAction* item : window->findChildren<QAction*>()) {
        const QString alternate = item->property("AlternateShortcut").toString();
        if (alternate.isEmpty())
            continue;
        QList<QKeySequence> keys = item->shortcuts();
        keys << QKeySequence(alternate);
        item->setShortcuts(keys);
    }
}
