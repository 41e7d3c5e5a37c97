// The About box's text.
#pragma once

#include <cstddef>

constexpr std::size_t kAboutTextSize = 100;
// The version the About box names; the package's version is a separate number.
constexpr double kAboutVersion = 1.1;

// Writes the text into buf and returns the length it needed (as snprintf does), so a text
// that did not fit shows as a result of kAboutTextSize or more.
int FormatAboutText(char (&buf)[kAboutTextSize]);
