// The display behind the platform layer: an SDL2 window, or a headless one for
// tests and unattended runs. One is chosen at start, before WinMain.
#pragma once

#include <cstdint>

namespace zp {

// ---- choosing the display --------------------------------------------------

struct SdlOptions {
    int scale = 0;          // 0: the largest integer scale that fits ~85 % of the display height
    bool fullscreen = false;
};

// Opens SDL's video subsystem. Returns false (and SDL is shut again) when no
// window can be had, for example without a display.
bool use_sdl(const SdlOptions& options);
void use_headless();
bool headless();

// Leave cleanly after this many frames (a close request is posted once the
// frame loop has asked for this many repaints). 0: no limit.
void set_frame_limit(unsigned frames);

// The seed KZ_Init gives the random generator: the time, unless fixed here.
void set_seed(unsigned seed);
unsigned random_seed();

// The last picture shown in the window (240 x 320 RGB565), or null before the
// first paint.
const uint16_t* last_picture();

// Writes the last picture as PNG (name ending in .png) or BMP. False on failure.
bool save_picture(const char* path);

// Shuts the display down (closes SDL). Safe to call more than once.
void shutdown();

// ---- the headless display: a virtual clock and scripted events -------------

enum class Ev { StylusDown, StylusMove, StylusUp, KeyDown, KeyUp, Close };

// Back to a fresh machine: no windows, empty queue, the simulated desktop as at
// power-on, clock at `start_ms`, no script, no frame limit, paint counter 0.
void headless_reset(uint32_t start_ms = 0);
uint32_t headless_time();
// Time passing outside the waits (a frame whose work takes long).
void headless_advance(uint32_t ms);
// Delivers the event to the window once the virtual clock reaches `at_ms`.
// Stylus events take screen x, y; key events take the virtual-key code in a.
void headless_script(uint32_t at_ms, Ev ev, int a = 0, int b = 0);
// Number of paints that reached the window so far.
unsigned headless_paints();

}  // namespace zp
