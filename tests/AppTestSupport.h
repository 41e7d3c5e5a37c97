// Helpers for tests of the application shell: running the event loop and the score file.
#pragma once

#include "platform/Application.h"
#include "tests/support/Fixture.h"

#include <Qt>

#include <string>

class QWindow;

// Runs the application until it quits. False if it had not quit after a generous while, in
// which case it was stopped so the test can go on and fail.
bool RunUntilQuit(BApplication& app);

// Presses a key with its modifiers and lets them go, as a keyboard does, one event at a time;
// once the window is gone (the key quit the game) nothing more is sent to it.
void ClickKey(QWindow* window, Qt::Key key, Qt::KeyboardModifiers modifiers = {});

// "Scores.data" beside the test executable, where the game keeps the best score.
void WriteScoreFile(const std::string& text);
// The file's bytes; "(missing)" if it does not exist.
std::string ReadScoreFile();
