// The Qt side of a BWindow.
#pragma once

#include "platform/Window.h"

#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <memory>

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
    bigtime_t pulseRate = 0;
    // Pulses come from a kernel timer on an absolute schedule: each falls due exactly one
    // rate after the one before, however late the last was handled, and wakes us to the
    // microsecond. Where there is no such timer, a Qt timer (millisecond rate) stands in.
    int pulseFd = -1;
    std::unique_ptr<QSocketNotifier> pulseNotifier;
    QTimer pulseTimer;

    void StartPulses();
    void StopPulses();
    void DeliverPulse();
    void RestartPulses();

    // Every window alive, oldest first.
    static std::vector<BWindow*>& All();
    // Alerts hold every window's pulses while they are up; holds nest.
    static void HoldPulses();
    static void ReleasePulses();
    static int pulseHolds;
};
