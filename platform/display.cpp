// The two displays: an SDL2 window and a headless one with a virtual clock.
#include "platform/display.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <vector>

#include "platform/backend.h"

namespace zp {

void platform_reset();
void post_to_program(UINT message, WPARAM wparam, LPARAM lparam);

namespace {

constexpr int W = 240;
constexpr int H = 320;

std::unique_ptr<Backend> g_backend;
bool g_headless = true;
unsigned g_frame_limit = 0;
unsigned g_repaints = 0;
bool g_seed_fixed = false;
unsigned g_seed = 0;
std::vector<uint16_t> g_picture;
unsigned g_paints = 0;

// ---- headless ----------------------------------------------------------------

struct Scripted {
    Ev ev;
    int a, b;
};

class HeadlessBackend : public Backend {
public:
    uint32_t now = 0;
    std::multimap<uint32_t, Scripted> script;

    uint32_t ticks() override { return now; }

    void pump(HWND window) override {
        while (!script.empty() && script.begin()->first <= now) {
            Scripted s = script.begin()->second;
            script.erase(script.begin());
            if (!window) continue;
            switch (s.ev) {
            case Ev::StylusDown: PostMessageW(window, WM_LBUTTONDOWN, 1, MAKELPARAM(s.a, s.b)); break;
            case Ev::StylusMove: PostMessageW(window, WM_MOUSEMOVE, 1, MAKELPARAM(s.a, s.b)); break;
            case Ev::StylusUp: PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(s.a, s.b)); break;
            case Ev::KeyDown: PostMessageW(window, WM_KEYDOWN, WPARAM(s.a), 1); break;
            case Ev::KeyUp: PostMessageW(window, WM_KEYUP, WPARAM(s.a), LPARAM(0xC0000001u)); break;
            case Ev::Close: PostMessageW(window, WM_CLOSE, 0, 0); break;
            }
        }
    }

    // Time passes only while the frame loop waits: in its sleep, and one
    // millisecond for each empty poll after the first in a row. A wait thus
    // ends exactly on its deadline, and one whose deadline has passed ends
    // without the clock moving.
    bool polled_empty = false;
    void idle() override {
        if (polled_empty) now++;
        polled_empty = true;
    }
    void delivered() override { polled_empty = false; }

    void wait(uint32_t ms) override {
        uint32_t target = now + ms;
        if (!script.empty() && int32_t(script.begin()->first - target) < 0)
            target = int32_t(script.begin()->first - now) > 0 ? script.begin()->first : now;
        now = target;
        polled_empty = false;
    }

    void window_created(const wchar_t*) override {}
    void window_destroyed() override {}
    void present(const uint16_t*) override {}
};

// ---- SDL2 ----------------------------------------------------------------------

class SdlBackend : public Backend {
public:
    SDL_Window* window = nullptr;
    // The picture goes straight into the window's surface, scaled and
    // converted through a table: no renderer, so nothing costs more than the
    // copy itself, with or without a graphics card.
    std::vector<uint32_t> lut;
    uint32_t lut_format = 0;
    SDL_Surface* last_surface = nullptr;
    SDL_Rect last_place{0, 0, 0, 0};
    int scale = 1;
    bool fullscreen = false;
    bool mouse_down = false;
    SDL_FingerID finger = 0;
    bool finger_down = false;
    std::vector<uint16_t> shown = std::vector<uint16_t>(W * H, 0);

    ~SdlBackend() override {
        if (window) SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    bool open(const SdlOptions& options) {
        SDL_SetHint(SDL_HINT_MOUSE_TOUCH_EVENTS, "0");  // the mouse is not a touch as well
        SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "1");  // touches are told apart by their mouse id
        // The window surface is filled by us; no GL renderer underneath it.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
        // Without a display SDL may fall back to a driver that shows nothing.
        const char* driver = SDL_GetCurrentVideoDriver();
        if (!driver || !strcmp(driver, "offscreen") || !strcmp(driver, "dummy") || !strcmp(driver, "evdev"))
            return false;
        scale = options.scale;
        if (scale <= 0) {
            SDL_Rect usable;
            int height = SDL_GetDisplayUsableBounds(0, &usable) == 0 ? usable.h : 768;
            scale = std::max(1, int(height * 0.85) / H);
        }
        window = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, W * scale, H * scale,
                                  SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
        if (!window) return false;
        if (!SDL_GetWindowSurface(window)) return false;
        if (options.fullscreen) toggle_fullscreen();
        return true;
    }

    uint32_t ticks() override { return SDL_GetTicks(); }

    // The picture's place in the window: the largest integer scale that fits,
    // centred (letterboxed in full screen).
    SDL_Rect placement() {
        int ww = W, wh = H;
        if (SDL_Surface* surface = SDL_GetWindowSurface(window)) {
            ww = surface->w;
            wh = surface->h;
        }
        int s = std::max(1, std::min(ww / W, wh / H));
        return {(ww - W * s) / 2, (wh - H * s) / 2, W * s, H * s};
    }

    // Window pixels to screen pixels; outside the picture gives coordinates
    // outside 0..239 / 0..319, which the frame loop treats as lifted.
    void to_screen(double wx, double wy, int& x, int& y) {
        SDL_Rect p = placement();
        double s = double(p.w) / W;
        x = int(std::floor((wx - p.x) / s));
        y = int(std::floor((wy - p.y) / s));
        x = std::clamp(x, -32768, 32767);
        y = std::clamp(y, -32768, 32767);
    }

    void toggle_fullscreen() {
        fullscreen = !fullscreen;
        SDL_SetWindowFullscreen(window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        redraw();
    }

    void stylus(HWND target, UINT message, double wx, double wy) {
        int x, y;
        to_screen(wx, wy, x, y);
        PostMessageW(target, message, message == WM_LBUTTONUP ? 0 : 1, MAKELPARAM(x, y));
    }

    static UINT vk_of(SDL_Keycode key) {
        switch (key) {
        case SDLK_UP: return VK_UP;
        case SDLK_DOWN: return VK_DOWN;
        case SDLK_LEFT: return VK_LEFT;
        case SDLK_RIGHT: return VK_RIGHT;
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return VK_RETURN;
        default: return 0;
        }
    }

    void pump(HWND target) override {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            switch (e.type) {
            case SDL_QUIT:
                if (target) PostMessageW(target, WM_CLOSE, 0, 0);
                break;
            case SDL_WINDOWEVENT:
                if (e.window.event == SDL_WINDOWEVENT_CLOSE && target) PostMessageW(target, WM_CLOSE, 0, 0);
                if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                    redraw();
                break;
            case SDL_MOUSEBUTTONDOWN:
                if (target && e.button.button == SDL_BUTTON_LEFT && e.button.which != SDL_TOUCH_MOUSEID) {
                    mouse_down = true;
                    stylus(target, WM_LBUTTONDOWN, e.button.x, e.button.y);
                }
                break;
            case SDL_MOUSEMOTION:
                if (target && mouse_down && e.motion.which != SDL_TOUCH_MOUSEID)
                    stylus(target, WM_MOUSEMOVE, e.motion.x, e.motion.y);
                break;
            case SDL_MOUSEBUTTONUP:
                if (target && e.button.button == SDL_BUTTON_LEFT && e.button.which != SDL_TOUCH_MOUSEID &&
                    mouse_down) {
                    mouse_down = false;
                    stylus(target, WM_LBUTTONUP, e.button.x, e.button.y);
                }
                break;
            case SDL_FINGERDOWN:
            case SDL_FINGERMOTION:
            case SDL_FINGERUP: {
                // Touches made up from the mouse are already counted as the mouse.
                if (!target || e.tfinger.touchId == SDL_MOUSE_TOUCHID) break;
                if (e.type == SDL_FINGERDOWN) {
                    if (finger_down) break;  // one stylus: the first finger only
                    finger_down = true;
                    finger = e.tfinger.fingerId;
                } else if (!finger_down || e.tfinger.fingerId != finger) {
                    break;
                }
                int ww, wh;
                SDL_GetWindowSize(window, &ww, &wh);
                UINT msg = e.type == SDL_FINGERDOWN ? WM_LBUTTONDOWN
                           : e.type == SDL_FINGERUP ? WM_LBUTTONUP
                                                    : WM_MOUSEMOVE;
                if (e.type == SDL_FINGERUP) finger_down = false;
                stylus(target, msg, e.tfinger.x * ww, e.tfinger.y * wh);
                break;
            }
            case SDL_KEYDOWN:
            case SDL_KEYUP: {
                SDL_Keycode key = e.key.keysym.sym;
                bool alt = (e.key.keysym.mod & KMOD_ALT) != 0;
                if (e.type == SDL_KEYDOWN && !e.key.repeat &&
                    (key == SDLK_F11 || (alt && (key == SDLK_RETURN || key == SDLK_KP_ENTER)))) {
                    toggle_fullscreen();
                    break;
                }
                // Alt with a key is the desktop's; a release always gets through
                // so that no key stays held.
                if (alt && e.type == SDL_KEYDOWN) break;
                UINT vk = vk_of(key);
                if (vk && target)
                    PostMessageW(target, e.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, vk,
                                 e.type == SDL_KEYDOWN ? 1 : LPARAM(0xC0000001u));
                break;
            }
            default:
                break;
            }
        }
    }

    // The frame loop sleeps until its last millisecond and polls through that
    // one; short naps between those polls keep it from spinning a core.
    void idle() override { std::this_thread::sleep_for(std::chrono::microseconds(200)); }

    void wait(uint32_t ms) override {
        if (ms > 0) SDL_WaitEventTimeout(nullptr, int(std::min<uint32_t>(ms, 1000)));
    }

    void window_created(const wchar_t* title) override {
        char narrow[256];
        size_t i = 0;
        for (; title[i] && i + 1 < sizeof narrow; i++) narrow[i] = title[i] < 128 ? char(title[i]) : '?';
        narrow[i] = 0;
        SDL_SetWindowTitle(window, narrow);
        SDL_ShowWindow(window);
    }

    void window_destroyed() override { SDL_HideWindow(window); }

    void redraw() {
        SDL_Surface* surface = SDL_GetWindowSurface(window);
        if (!surface) return;
        SDL_Rect place = placement();
        const int scale = place.w / W;
        if (surface->format->BytesPerPixel != 4 || surface->w < place.w || surface->h < place.h) {
            // Uncommon window formats, and windows too small for the whole
            // picture: let SDL convert, scale and cut to the window.
            SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(shown.data(), W, H, 16, W * 2,
                                                                  SDL_PIXELFORMAT_RGB565);
            if (src) {
                SDL_FillRect(surface, nullptr, 0);
                SDL_BlitScaled(src, nullptr, surface, &place);
                SDL_FreeSurface(src);
            }
            SDL_UpdateWindowSurface(window);
            return;
        }
        if (lut_format != surface->format->format) {
            lut.resize(65536);
            for (uint32_t p = 0; p < 65536; p++)
                lut[p] = SDL_MapRGB(surface->format, uint8_t(((p >> 11) & 31) * 255 / 31),
                                    uint8_t(((p >> 5) & 63) * 255 / 63), uint8_t((p & 31) * 255 / 31));
            lut_format = surface->format->format;
        }
        if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
        if (surface != last_surface || place.x != last_place.x || place.y != last_place.y ||
            place.w != last_place.w) {
            SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
            last_surface = surface;
            last_place = place;
        }
        auto* base = static_cast<uint8_t*>(surface->pixels);
        for (int y = 0; y < H; y++) {
            auto* row = reinterpret_cast<uint32_t*>(base + size_t(place.y + y * scale) * size_t(surface->pitch)) +
                        place.x;
            const uint16_t* from = shown.data() + y * W;
            uint32_t* out = row;
            for (int x = 0; x < W; x++) {
                const uint32_t v = lut[from[x]];
                for (int k = 0; k < scale; k++) *out++ = v;
            }
            for (int k = 1; k < scale; k++)
                memcpy(base + size_t(place.y + y * scale + k) * size_t(surface->pitch) + size_t(place.x) * 4, row,
                       size_t(W * scale) * 4);
        }
        if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
        SDL_UpdateWindowSurface(window);
    }

    void present(const uint16_t* pixels) override {
        memcpy(shown.data(), pixels, size_t(W * H) * 2);
        redraw();
    }
};

void reset_common() {
    g_frame_limit = 0;
    g_repaints = 0;
    g_paints = 0;
    g_picture.clear();
    platform_reset();
}

}  // namespace

Backend* backend() {
    if (!g_backend) {
        g_backend = std::make_unique<HeadlessBackend>();
        g_headless = true;
        platform_reset();
    }
    return g_backend.get();
}

void note_repaint_request(HWND) {
    g_repaints++;
    if (g_frame_limit && g_repaints == g_frame_limit) post_to_program(WM_CLOSE, 0, 0);
}

void note_presented(const uint16_t* pixels) {
    g_picture.assign(pixels, pixels + W * H);
    g_paints++;
}

bool use_sdl(const SdlOptions& options) {
    auto sdl = std::make_unique<SdlBackend>();
    if (!sdl->open(options)) {
        sdl.reset();
        return false;
    }
    g_backend = std::move(sdl);
    g_headless = false;
    reset_common();
    return true;
}

void use_headless() { headless_reset(0); }

bool headless() { return g_headless; }

void set_frame_limit(unsigned frames) {
    g_frame_limit = frames;
    g_repaints = 0;
}

void set_seed(unsigned seed) {
    g_seed_fixed = true;
    g_seed = seed;
}

unsigned random_seed() { return g_seed_fixed ? g_seed : unsigned(time(nullptr)); }

const uint16_t* last_picture() { return g_picture.empty() ? nullptr : g_picture.data(); }

void shutdown() {
    g_backend.reset();
    g_headless = true;
}

void headless_reset(uint32_t start_ms) {
    auto h = std::make_unique<HeadlessBackend>();
    h->now = start_ms;
    g_backend = std::move(h);
    g_headless = true;
    g_seed_fixed = false;
    reset_common();
}

static HeadlessBackend* headless_backend() {
    backend();
    return g_headless ? static_cast<HeadlessBackend*>(g_backend.get()) : nullptr;
}

uint32_t headless_time() {
    HeadlessBackend* h = headless_backend();
    return h ? h->now : 0;
}

void headless_advance(uint32_t ms) {
    if (HeadlessBackend* h = headless_backend()) h->now += ms;
}

void headless_script(uint32_t at_ms, Ev ev, int a, int b) {
    if (HeadlessBackend* h = headless_backend()) h->script.insert({at_ms, {ev, a, b}});
}

unsigned headless_paints() { return g_paints; }

}  // namespace zp
