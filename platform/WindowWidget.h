// The Qt side of a BWindow.
#pragma once

#include "platform/Window.h"

#include <QTimer>
#include <QWidget>

#include <string>
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
    BWindow* owner = nullptr;
    BRect frame;
    std::string title;
    uint32 flags = 0;
    std::unique_ptr<WindowWidget> widget;
    std::vector<BMenuBar*> bars;
    std::vector<BView*> children;
    QTimer pulseTimer;
    bigtime_t pulseRate = 0;

    void DeliverPulse();
    void RestartPulses();

    // Every window alive, oldest first.
    static std::vector<BWindow*>& All();
    // Alerts hold every window's pulses while they are up; holds nest.
    static void HoldPulses();
    static void ReleasePulses();
    static int pulseHolds;
};
