#include "app/AboutText.h"

#include <cstdio>

int FormatAboutText(char (&buf)[kAboutTextSize]) {
    return std::snprintf(buf, sizeof buf, "Tumblegem v%1.2f: a falling-gem puzzle by Brightnook.",
                         kAboutVersion);
}
