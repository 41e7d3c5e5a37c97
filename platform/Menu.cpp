#include "platform/Menu.h"

#include "platform/Window.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>

#include <cctype>

namespace {

QKeySequence ShortcutSequence(char shortcut, uint32 modifiers) {
    if (shortcut == 0)
        return {};
    const auto key = static_cast<Qt::Key>(std::toupper(static_cast<unsigned char>(shortcut)));
    QKeyCombination combination(Qt::ControlModifier, key);
    if ((modifiers & B_SHIFT_KEY) != 0)
        combination = QKeyCombination(combination.keyboardModifiers() | Qt::ShiftModifier, key);
    if ((modifiers & B_OPTION_KEY) != 0)
        combination = QKeyCombination(combination.keyboardModifiers() | Qt::AltModifier, key);
    return QKeySequence(combination);
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

BMenuItem::BMenuItem(const char* label, BMessage* message, char shortcut, uint32 modifiers)
    : label_(label != nullptr ? label : ""), message_(message), shortcut_(shortcut),
      modifiers_(modifiers), action_(std::make_unique<QAction>(QString::fromUtf8(label_))) {
    action_->setShortcut(ShortcutSequence(shortcut_, modifiers_));
    QObject::connect(action_.get(), &QAction::triggered, [this] { Invoke(); });
}

BMenuItem::~BMenuItem() = default;

char BMenuItem::Shortcut(uint32* modifiers) const {
    if (modifiers != nullptr)
        *modifiers = modifiers_;
    return shortcut_;
}

status_t BMenuItem::Invoke() {
    BWindow* window = menu_ != nullptr ? menu_->Window() : nullptr;
    if (window == nullptr || !message_)
        return B_ERROR;
    return window->PostMessage(message_.get());
}

BMenu::BMenu(const char* name, menu_layout layout)
    : name_(name != nullptr ? name : ""), layout_(layout),
      menu_(std::make_unique<QMenu>(QString::fromUtf8(name_))) {}

BMenu::~BMenu() = default;

bool BMenu::AddItem(BMenuItem* item) {
    if (item == nullptr)
        return false;
    item->menu_ = this;
    items_.emplace_back(item);
    menu_->addAction(item->Action());
    return true;
}

bool BMenu::AddSeparatorItem() {
    menu_->addSeparator();
    return true;
}

BWindow* BMenu::Window() const {
    return bar_ != nullptr ? bar_->Window() : nullptr;
}

BMenuBar::BMenuBar(BRect, const char* name, uint32, menu_layout, bool)
    : name_(name != nullptr ? name : ""), style_(std::make_unique<NoAltNavigation>()),
      bar_(std::make_unique<QMenuBar>()) {
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
    bar_->addMenu(menu->Widget());
    return true;
}
