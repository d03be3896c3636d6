// The game the engine's tests run: the body the test gives to run_game.
#include "scripted_game.h"

#include "ZAriz.h"
#include "support/harness.h"

std::function<int()> scripted_game_body;

namespace game {
int main() { return scripted_game_body ? scripted_game_body() : 0; }
}  // namespace game

int run_game(std::function<int()> body, uint32_t start_ms) {
    engine_reset();
    zp::headless_reset(start_ms);
    scripted_game_body = std::move(body);
    int result = WinMain(test_instance(), nullptr, nullptr, 0);
    scripted_game_body = nullptr;
    return result;
}

