// Running the real engine in tests: a fresh headless display, the real WinMain
// and frame loop, and a game body given by the test.
#pragma once

#include <cstdint>
#include <functional>

#include "ZAriz.h"
#include "platform/display.h"

// Puts the engine's globals back to their start values (the program's state
// before any code ran), freeing what the previous test left behind.
void engine_reset();

// Runs `body` as the game: engine_reset, a fresh headless display with its
// clock at `start_ms`, then the real WinMain, which calls the body where the
// game's main would run. Returns WinMain's result.
int run_game(std::function<int()> body, uint32_t start_ms = 0);

// The instance handle the tests pass to WinMain.
HINSTANCE test_instance();
