// Menus of the kit: a bar of menus at the top of a window, items that post their message to
// the window when chosen from the menu or by their shortcut (Ctrl plus the letter).
#pragma once

#include "platform/Message.h"
#include "platform/Types.h"

#include <memory>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QStyle;
class BMenu;
class BMenuBar;
class BWindow;

enum menu_layout { B_ITEMS_IN_ROW = 0, B_ITEMS_IN_COLUMN = 1 };

class BMenuItem {
public:
    // Takes ownership of the message. A shortcut is Ctrl and the letter, whatever the modifiers.
    BMenuItem(const char* label, BMessage* message, char shortcut = 0, uint32 modifiers = 0);
    virtual ~BMenuItem();
    BMenuItem(const BMenuItem&) = delete;
    BMenuItem& operator=(const BMenuItem&) = delete;

private:
    friend class BMenu;
    std::unique_ptr<BMessage> message_;
    BMenu* menu_ = nullptr;
    std::unique_ptr<QAction> action_;
};

class BMenu {
public:
    explicit BMenu(const char* name, menu_layout layout = B_ITEMS_IN_COLUMN);
    virtual ~BMenu();
    BMenu(const BMenu&) = delete;
    BMenu& operator=(const BMenu&) = delete;

    // Takes ownership of the item.
    bool AddItem(BMenuItem* item);
    bool AddSeparatorItem();

    BWindow* Window() const;

private:
    friend class BMenuBar;
    BMenuBar* bar_ = nullptr;
    std::unique_ptr<QMenu> menu_;
    std::vector<std::unique_ptr<BMenuItem>> items_; // destroyed before the menu
};

class BMenuBar {
public:
    // The bar spans its window's width, whatever the frame says, and is kMenuBarHeight tall.
    BMenuBar(BRect frame, const char* name,
             uint32 resizingMode = B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
             menu_layout layout = B_ITEMS_IN_ROW, bool resizeToFit = true);
    virtual ~BMenuBar();
    BMenuBar(const BMenuBar&) = delete;
    BMenuBar& operator=(const BMenuBar&) = delete;

    // Takes ownership of the menu.
    bool AddItem(BMenu* menu);

    BWindow* Window() const { return window_; }

    QMenuBar* Widget() const { return bar_.get(); }

private:
    friend class BWindow;
    BWindow* window_ = nullptr;
    std::unique_ptr<QStyle> style_; // outlives the bar
    std::unique_ptr<QMenuBar> bar_;
    std::vector<std::unique_ptr<BMenu>> menus_; // destroyed before the bar
};

constexpr int kMenuBarHeight = 20;
