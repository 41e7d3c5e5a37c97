// The numbers the game is made of.
#pragma once

#include "platform/Types.h"

enum GameState : int32 { kIdle = 0, kRunning = 1, kPaused = 2 };

constexpr int32 kWellColumns = 7;
constexpr int32 kBoardColumns = 8; // column 7 only holds the color scratch cell
constexpr int32 kWellRows = 20;
constexpr int32 kFirstVisibleRow = 2;
constexpr int32 kLastRow = kWellRows - 1;
constexpr int32 kLastFallRow = 18; // a piece falls while its bottom gem is at or above this row

constexpr uint8 kEmpty = 0;
constexpr uint8 MAGIC = 8;
constexpr uint8 MARKED = 9;
constexpr int32 kGemValues = 8; // 1..7 colors and MAGIC
constexpr int32 kMinRun = 3;
constexpr double kScoreExponent = 2.0;
constexpr int32 kShiftPasses = 3;

constexpr int32 kEntryColumn = 3;
constexpr int32 kPieceGems = 3;

constexpr bigtime_t CLEAR_PAUSE = 90000;
constexpr bigtime_t kPulseRate = 400000;
