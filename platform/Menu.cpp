#include "platform/Menu.h"

#include "platform/Window.h"

#include <QKeySequence>
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

QString Text(const char* label) {
    return QString::fromUtf8(label != nullptr ? label : "");
}

} // namespace

BMenuItem::BMenuItem(const char* label, BMessage* message, char shortcut, uint32)
    : QAction(Text(label)), message_(message) {
    setShortcut(ShortcutSequence(shortcut));
    connect(this, &QAction::triggered, [this] {
        // To the window of the bar the item's menu is on.
        const auto* bar =
            dynamic_cast<BMenuBar*>(parent() != nullptr ? parent()->parent() : nullptr);
        if (bar != nullptr && bar->Window() != nullptr && message_)
            bar->Window()->PostMessage(message_.get());
    });
}

BMenu::BMenu(const char* name, menu_layout) : QMenu(Text(name)) {}

bool BMenu::AddItem(BMenuItem* item) {
    if (item == nullptr)
        return false;
    item->setParent(this);
    addAction(item);
    return true;
}

bool BMenu::AddSeparatorItem() {
    addSeparator();
    return true;
}

BMenuBar::BMenuBar(BRect, const char*, uint32, menu_layout, bool) {
    // A desktop's global menu would take the bar out of the window and shift the view.
    setNativeMenuBar(false);
    auto* style = new NoAltNavigation();
    style->setParent(this);
    setStyle(style);
}

bool BMenuBar::AddItem(BMenu* menu) {
    if (menu == nullptr)
        return false;
    menu->setParent(this, menu->windowFlags());
    addMenu(menu);
    return true;
}
