// Starting without a screen ends with one line that says so, not with Qt's abort.
#pragma once

#include <QApplication>

#include <memory>

// Makes the QApplication. When Qt finds no display it can use, exits with status 1 and one line
// that says what the environment names and what would work instead: xvfb-run, or the package of
// Qt's Wayland plugin. Qt's own messages from a start that succeeds are passed on as they were.
std::unique_ptr<QApplication> MakeApplicationOrExit(int& argc, char** argv);
