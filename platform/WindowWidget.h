// The Qt side of a BWindow.
#pragma once

#include "platform/Window.h"

#include <QTimer>
#include <QWidget>

#include <memory>
#include <vector>

class WindowWidget : public QWidget {
public:
    explicit WindowWidget(BWindow* window) : window_(window) {}
    BWindow* Window() const { return window_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    BWindow* window_;
};

struct WindowPrivate {
    std::unique_ptr<WindowWidget> widget;
    // Where the menu bar and views go: below the title bar, when the kit draws one.
    QWidget* content = nullptr;
    std::vector<std::unique_ptr<BView>> children; // after the widget: they go before it
    // Precise: each pulse falls due one rate after the one before, however late that one was
    // handled.
    QTimer pulseTimer;

    // Every window alive, oldest first.
    static inline std::vector<BWindow*> all;
};
