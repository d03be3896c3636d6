// The game the engine's tests run: whatever body the test gives.
#pragma once

#include <functional>

extern std::function<int()> scripted_game_body;
