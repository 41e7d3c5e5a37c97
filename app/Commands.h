// The menu commands of the game's window.
#pragma once

#include "platform/Message.h"

constexpr uint32 kNewGameCommand = FourCharCode("GMnw");
constexpr uint32 kEndGameCommand = FourCharCode("GMed");
constexpr uint32 kQuitCommand = FourCharCode("GMqt");
constexpr uint32 kAboutCommand = FourCharCode("HLab");

constexpr const char* kSignature = "application/x-vnd.Brightnook-Tumblegem";
