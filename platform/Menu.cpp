#include "platform/Menu.h"

#include "platform/WindowWidget.h"

#include <QProxyStyle>

#include <cctype>
#include <memory>

namespace {

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
    : QAction(QString::fromUtf8(label)) {
    const auto key = static_cast<Qt::Key>(std::toupper(static_cast<unsigned char>(shortcut)));
    if (shortcut != 0)
        setShortcut(QKeyCombination(Qt::ControlModifier, key));
    // The connection keeps the message, and goes with the item.
    connect(this, &QAction::triggered, [this, message = std::shared_ptr<BMessage>(message)] {
        // To the window of the bar the item's menu is on.
        const auto* bar =
            qobject_cast<QWidget*>(parent() != nullptr ? parent()->parent() : nullptr);
        const auto* window = bar != nullptr ? dynamic_cast<WindowWidget*>(bar->window()) : nullptr;
        if (window != nullptr && message != nullptr)
            window->Window()->PostMessage(message->what);
    });
}

BMenu::BMenu(const char* name, menu_layout) : QMenu(QString::fromUtf8(name)) {}

bool BMenu::AddItem(BMenuItem* item) {
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
    menu->setParent(this, menu->windowFlags());
    addMenu(menu);
    return true;
}
