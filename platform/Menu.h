// Menus of the kit: a bar of menus at the top of a window, items that post their message to
// the window when chosen from the menu or by their shortcut (Ctrl plus the letter).
#pragma once

#include "platform/Message.h"
#include "platform/Types.h"

#include <memory>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QStyle;
class BMenu;
class BMenuBar;
class BWindow;

enum menu_layout { B_ITEMS_IN_ROW = 0, B_ITEMS_IN_COLUMN = 1, B_ITEMS_IN_MATRIX = 2 };

// Modifier keys of a shortcut; the command key, always part of it, is Ctrl.
constexpr uint32 B_SHIFT_KEY = 0x01;
constexpr uint32 B_COMMAND_KEY = 0x02;
constexpr uint32 B_CONTROL_KEY = 0x04;
constexpr uint32 B_OPTION_KEY = 0x40;

class BMenuItem {
public:
    // Takes ownership of the message.
    BMenuItem(const char* label, BMessage* message, char shortcut = 0, uint32 modifiers = 0);
    virtual ~BMenuItem();
    BMenuItem(const BMenuItem&) = delete;
    BMenuItem& operator=(const BMenuItem&) = delete;

    const char* Label() const { return label_.c_str(); }
    BMessage* Message() const { return message_.get(); }
    char Shortcut(uint32* modifiers = nullptr) const;
    BMenu* Menu() const { return menu_; }

    // Posts the message to the window the item's menu bar belongs to.
    status_t Invoke();

    QAction* Action() const { return action_.get(); }

private:
    friend class BMenu;
    std::string label_;
    std::unique_ptr<BMessage> message_;
    char shortcut_ = 0;
    uint32 modifiers_ = 0;
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

    const char* Name() const { return name_.c_str(); }
    menu_layout Layout() const { return layout_; }
    BMenuBar* Supermenu() const { return bar_; }
    BWindow* Window() const;

    QMenu* Widget() const { return menu_.get(); }

private:
    friend class BMenuBar;
    std::string name_;
    menu_layout layout_;
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

    const char* Name() const { return name_.c_str(); }
    BWindow* Window() const { return window_; }

    QMenuBar* Widget() const { return bar_.get(); }

private:
    friend class BWindow;
    std::string name_;
    BWindow* window_ = nullptr;
    std::unique_ptr<QStyle> style_; // outlives the bar
    std::unique_ptr<QMenuBar> bar_;
    std::vector<std::unique_ptr<BMenu>> menus_; // destroyed before the bar
};

constexpr int kMenuBarHeight = 20;
