#pragma once

#include <functional>

#include <QAction>
#include <QWidget>

#include "Events.h"

// Menu commands. A window's menus, their items and their shortcuts are in its
// layout (a QMenuBar holding QMenus of QActions); the window binds each item
// to a handler here, beside its buttons.

// Binds a menu item to a window's handler: the handler runs inside the guard,
// as a button's does. Sender is the item.
template <class FormType>
QMetaObject::Connection BindCommand(QAction* item, FormType* form,
                                    void (FormType::*handler)(TObject* Sender)) {
    return Bind(item, &QAction::triggered, form, handler);
}

// Makes a check item show a piece of the window's state: its check mark is
// set from state() after every command of the item (bind the command first)
// and whenever a menu holding it opens.
void MirrorCheck(QAction* item, std::function<bool()> state);

// Gives every menu item of the window whose layout names a second shortcut
// (the property "AlternateShortcut") that shortcut too.
void ApplyAlternateShortcuts(QWidget* window);
