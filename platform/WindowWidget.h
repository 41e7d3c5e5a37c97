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

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    BWindow* window_;
};

struct WindowPrivate {
    BRect frame;
    std::unique_ptr<WindowWidget> widget;
    // Where the menu bar and views go: the widget itself, or the part below a title bar of
    // the kit's own.
    QWidget* content = nullptr;
    std::vector<BView*> children;
    bigtime_t pulseRate = 0;
    // Precise: each pulse falls due one rate after the one before, however late that one was
    // handled.
    QTimer pulseTimer;

    void DeliverPulse();
    void RestartPulses();

    // Every window alive, oldest first.
    static std::vector<BWindow*>& All();
};
