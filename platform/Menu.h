// Menus of the kit: a bar of menus at the top of a window, items that post their message to
// the window when chosen from the menu or by their shortcut (Ctrl plus the letter). Each is the
// Qt object itself, owned by its Qt parent once added: the item by its menu, the menu by its
// bar, the bar by its window.
#pragma once

#include "platform/Message.h"
#include "platform/Types.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

enum menu_layout { B_ITEMS_IN_ROW = 0, B_ITEMS_IN_COLUMN = 1 };

class BMenuItem : public QAction {
public:
    // Takes ownership of the message. A shortcut is Ctrl and the letter, whatever the modifiers.
    BMenuItem(const char* label, BMessage* message, char shortcut = 0, uint32 modifiers = 0);
};

class BMenu : public QMenu {
public:
    explicit BMenu(const char* name, menu_layout layout = B_ITEMS_IN_COLUMN);

    bool AddItem(BMenuItem* item);
    bool AddSeparatorItem();
};

class BMenuBar : public QMenuBar {
public:
    // The bar spans its window's width, whatever the frame says, and is kMenuBarHeight tall
    // (Types.h).
    BMenuBar(BRect frame, const char* name,
             uint32 resizingMode = B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
             menu_layout layout = B_ITEMS_IN_ROW, bool resizeToFit = true);

    bool AddItem(BMenu* menu);
};
