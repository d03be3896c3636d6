// The SDL display under the real WinMain and frame loop: what its events become
// and how it draws into a window of any size. It needs a display (an X server
// such as Xvfb); without one the tests skip.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <functional>

#include "scripted_game.h"
#include "support/harness.h"

// SDL's video start-up opens a D-Bus connection whose library keeps a buffer
// for the life of the process; that is not ours to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

namespace {

// Runs `body` as the game on the SDL display at scale 1, then goes back to the
// headless display. False when no window can be opened.
bool run_on_sdl(const std::function<void()>& body) {
    engine_reset();
    if (!zp::use_sdl({1, false})) return false;
    scripted_game_body = [&] {
        KZ_Init();
        kz_showfps = 0;
        body();
        return 0;
    };
    WinMain(test_instance(), nullptr, nullptr, 0);
    scripted_game_body = nullptr;
    zp::shutdown();
    zp::use_headless();
    return true;
}

SDL_Window* the_window() {
    for (Uint32 id = 1; id < 256; id++)
        if (SDL_Window* w = SDL_GetWindowFromID(id)) return w;
    return nullptr;
}

void push_key(Uint32 type, SDL_Keycode key, Uint16 mod) {
    SDL_Event e{};
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    e.key.keysym.mod = mod;
    SDL_PushEvent(&e);
}

TEST(SdlDisplay, KeysAndTouchesBecomeTheStylusAndPad) {
    bool ran = run_on_sdl([] {
        // A key let go while Alt is down is still let go.
        push_key(SDL_KEYDOWN, SDLK_LEFT, KMOD_NONE);
        KZ_Refresh();
        EXPECT_EQ(Pad.held.left, 1);
        push_key(SDL_KEYUP, SDLK_LEFT, KMOD_LALT);
        KZ_Refresh();
        EXPECT_EQ(Pad.held.left, 0) << "key stuck after a release with Alt held";

        // A touch is one stylus press, not also the mouse press SDL makes of it.
        SDL_Event finger{};
        finger.type = SDL_FINGERDOWN;
        finger.tfinger.touchId = 7;
        finger.tfinger.fingerId = 1;
        finger.tfinger.x = 0.5f;
        finger.tfinger.y = 0.25f;
        SDL_PushEvent(&finger);
        SDL_Event mouse{};
        mouse.type = SDL_MOUSEBUTTONDOWN;
        mouse.button.which = SDL_TOUCH_MOUSEID;
        mouse.button.button = SDL_BUTTON_LEFT;
        mouse.button.x = 10;
        mouse.button.y = 300;
        SDL_PushEvent(&mouse);
        KZ_Refresh();
        EXPECT_EQ(Stylus.pressed, 1);
        EXPECT_EQ(Stylus.x, 120);
        EXPECT_EQ(Stylus.y, 80);
        finger.type = SDL_FINGERUP;
        SDL_PushEvent(&finger);
        KZ_Refresh();
        EXPECT_EQ(Stylus.held, 0);
    });
    if (!ran) GTEST_SKIP() << "no display";
}

// A window made smaller than the picture shows the middle of it, cut to the
// window, and draws nothing outside the window's pixels.
TEST(SdlDisplay, WindowSmallerThanThePictureShowsItsMiddle) {
    bool ran = run_on_sdl([] {
        SDL_Window* window = the_window();
        ASSERT_NE(window, nullptr);
        SDL_SetWindowSize(window, 100, 90);
        kz_bgcolor = 0xF800;
        for (int i = 0; i < 10; i++) KZ_Refresh();
        SDL_Surface* surface = SDL_GetWindowSurface(window);
        ASSERT_NE(surface, nullptr);
        ASSERT_EQ(surface->w, 100);
        ASSERT_EQ(surface->h, 90);
        ASSERT_EQ(surface->format->BytesPerPixel, 4);
        if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
        uint32_t centre;
        memcpy(&centre, static_cast<uint8_t*>(surface->pixels) + 45 * surface->pitch + 50 * 4, 4);
        if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
        Uint8 r, g, b;
        SDL_GetRGB(centre, surface->format, &r, &g, &b);
        EXPECT_EQ(r, 255);
        EXPECT_EQ(g, 0);
        EXPECT_EQ(b, 0);
    });
    if (!ran) GTEST_SKIP() << "no display";
}

}  // namespace
