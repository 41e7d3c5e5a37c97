#include "platform/Menu.h"

#include "platform/Window.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>

#include <cctype>

namespace {

QKeySequence ShortcutSequence(char shortcut) {
    if (shortcut == 0)
        return {};
    const auto key = static_cast<Qt::Key>(std::toupper(static_cast<unsigned char>(shortcut)));
    return QKeySequence(QKeyCombination(Qt::ControlModifier, key));
}

// Alt alone (or Escape out of a menu) would hand the keyboard to the bar until another
// Escape, and Alt is pressed on every Alt+Tab: the bar is reached by mouse and shortcuts only.
class NoAltNavigation : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

BMenuItem::BMenuItem(const char* label, BMessage* message, char shortcut, uint32)
    : message_(message),
      action_(std::make_unique<QAction>(QString::fromUtf8(label != nullptr ? label : ""))) {
    action_->setShortcut(ShortcutSequence(shortcut));
    QObject::connect(action_.get(), &QAction::triggered, [this] {
        // To the window the item's menu bar belongs to.
        BWindow* window = menu_ != nullptr ? menu_->Window() : nullptr;
        if (window != nullptr && message_)
            window->PostMessage(message_.get());
    });
}

BMenuItem::~BMenuItem() = default;

BMenu::BMenu(const char* name, menu_layout)
    : menu_(std::make_unique<QMenu>(QString::fromUtf8(name != nullptr ? name : ""))) {}

BMenu::~BMenu() = default;

bool BMenu::AddItem(BMenuItem* item) {
    if (item == nullptr)
        return false;
    item->menu_ = this;
    items_.emplace_back(item);
    menu_->addAction(item->action_.get());
    return true;
}

bool BMenu::AddSeparatorItem() {
    menu_->addSeparator();
    return true;
}

BWindow* BMenu::Window() const {
    return bar_ != nullptr ? bar_->Window() : nullptr;
}

BMenuBar::BMenuBar(BRect, const char*, uint32, menu_layout, bool)
    : style_(std::make_unique<NoAltNavigation>()), bar_(std::make_unique<QMenuBar>()) {
    // A desktop's global menu would take the bar out of the window and shift the view.
    bar_->setNativeMenuBar(false);
    bar_->setStyle(style_.get());
}

BMenuBar::~BMenuBar() = default;

bool BMenuBar::AddItem(BMenu* menu) {
    if (menu == nullptr)
        return false;
    menu->bar_ = this;
    menus_.emplace_back(menu);
    bar_->addMenu(menu->menu_.get());
    return true;
}
