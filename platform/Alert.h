// A modal message box. While one is up, no window gets pulses or keys.
#pragma once

#include "platform/Types.h"

#include <string>
#include <vector>

enum button_width { B_WIDTH_AS_USUAL = 0 };
enum alert_type { B_INFO_ALERT = 1 };

class BAlert {
public:
    // Created with new: Go() deletes the alert when it is dismissed.
    BAlert(const char* title, const char* text, const char* button0, const char* button1 = nullptr,
           const char* button2 = nullptr, button_width width = B_WIDTH_AS_USUAL,
           alert_type type = B_INFO_ALERT);
    virtual ~BAlert() = default;
    BAlert(const BAlert&) = delete;
    BAlert& operator=(const BAlert&) = delete;

    // Shows the alert and waits until a button is chosen; returns its index (Escape chooses
    // the last button).
    int32 Go();

private:
    std::string title_;
    std::string text_;
    std::vector<std::string> buttons_;
};
