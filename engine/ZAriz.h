// ZAriz: a software 2D engine for a 240 x 320 RGB565 screen.
//
// Plain functions over global tables. Every record, global and function of the
// engine is declared here, at global scope, under its own name. Records keep
// their fields in the documented order and widths.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/wince.h"

// ---------------------------------------------------------------------------
// Screen and frame buffer
// ---------------------------------------------------------------------------

constexpr int KZ_SCREEN_W = 240;
constexpr int KZ_SCREEN_H = 320;

extern uint16_t kz_buffer[KZ_SCREEN_W * KZ_SCREEN_H];

// ---------------------------------------------------------------------------
// Image record, clip windows, blend (kz_buffer)
// ---------------------------------------------------------------------------

struct KZ_Image {
    void* pixels;        // bytes (depth 1) or RGB565 values (depths 2, 3)
    uint8_t* alpha;      // depth 3: one opacity 0..32 per pixel
    uint16_t* rlelist;   // one offset into rle per image row; null when full
    uint8_t* rle;        // run-length counts, four FF after the last row
    uint16_t* palette;   // depth 1: 256 RGB565 entries
    int32_t depth;       // 1, 2 or 3
    int32_t full;        // 1: no transparent pixel, no run-length data
    int32_t width;
    int32_t height;      // all frames together
};

struct KZ_Window {
    int16_t x1, y1, x2, y2;  // inclusive screen corners
};

struct KZ_Limits {
    int16_t left, top, right, bottom;
    int32_t du, dv, u, v;
    int16_t boxx, boxy;
    int32_t invdu, invdv;
};

extern KZ_Window kz_window[16];
extern uint8_t kz_curwindow;
extern int16_t kz_cursprite;
extern uint8_t* alphalayer;
extern KZ_Limits kz_limits;
extern uint16_t kz_transpcolor;

extern const KZ_Image kz_quit;
extern const uint16_t kz_quit_Sprite[16 * 64];
extern const uint16_t kz_quit_RLEList[64];
extern const uint8_t kz_quit_RLE[180];

// The one blend: per channel d + floor((s - d) * a / 32), a in 0..32.
inline uint16_t kz_blend(uint16_t s, uint16_t d, uint32_t a) {
    uint32_t S = (s | (uint32_t(s) << 16)) & 0x07E0F81Fu;
    uint32_t D = (d | (uint32_t(d) << 16)) & 0x07E0F81Fu;
    uint32_t R = (D + (((S - D) * a) >> 5)) & 0x07E0F81Fu;
    return uint16_t(R | (R >> 16));
}

void KZ_SetWindowLimits(int n, int16_t x1, int16_t y1, int16_t x2, int16_t y2);
void KZ_AdjustCopyLimits(int x, int y, int w, int h);

// Direct blitters
void KZ_Copy8bitToScreen(const uint8_t* pixels, const uint16_t* palette, int w, int h, int x, int y,
                         int alpha, int8_t flipx, int8_t flipy);
void KZ_Copy8bitFastCopy(const uint8_t* pixels, const uint16_t* palette, int w, int h, int x, int y,
                         int alpha);
void KZ_Copy16bitToScreen(const uint16_t* pixels, int w, int h, int x, int y, int alpha, int8_t flipx,
                          int8_t flipy);
void KZ_Copy16bitFastCopy(const uint16_t* pixels, int w, int h, int x, int y, int alpha);
void KZ_Copy24bitToScreen(const uint16_t* pixels, int w, int h, int x, int y, int alpha);
void KZ_Copy24bitToScreenFlip(const uint16_t* pixels, int w, int h, int x, int y, int alpha, int8_t flipx,
                              int8_t flipy);

// Run-length blitters
void KZ_Copy8bitRLE(const uint8_t* pixels, const uint16_t* palette, const uint8_t* rle, const uint16_t* rlelist,
                    int w, int h, int x, int y, int alpha);
void KZ_Copy16bitRLE(const uint16_t* pixels, const uint8_t* rle, const uint16_t* rlelist, int w, int h, int x,
                     int y, int alpha);
void KZ_Copy24bitRLE(const uint16_t* pixels, const uint8_t* rle, const uint16_t* rlelist, int w, int h, int x,
                     int y, int alpha);

// One colour blended over n frame-buffer pixels with one weight (the fade).
void kz_blendspan(uint16_t* dest, uint16_t color, int n, int alpha);

// Letter blitters
void KZ_CopyPlainLetter(const uint16_t* mask, uint16_t color, int w, int h, int x, int y, int alpha);
void KZ_CopyLetter(const uint16_t* glyph, int ignored, int w, int h, int x, int y, int alpha);

// ---------------------------------------------------------------------------
// Rotozoom (kz_bufferrot)
// ---------------------------------------------------------------------------

using KZ_RotBlitter = void (*)(const void* pixels, const uint16_t* palette, int w, int h, int x, int y,
                               int alpha, int angle, int zoom);

void KZ_RotoZoomLimits(int x, int y, int w, int h, int angle, int zoom);
void KZ_8bitRot(const void*, const uint16_t*, int, int, int, int, int, int, int);
void KZ_8bitRotFull(const void*, const uint16_t*, int, int, int, int, int, int, int);
void KZ_8bitRotAlpha(const void*, const uint16_t*, int, int, int, int, int, int, int);
void KZ_8bitRotAlphaFull(const void*, const uint16_t*, int, int, int, int, int, int, int);
void KZ_16bitRot(const void*, const uint16_t*, int, int, int, int, int, int, int);
void KZ_16bitRotFull(const void*, const uint16_t*, int, int, int, int, int, int, int);
void KZ_16bitRotAlpha(const void*, const uint16_t*, int, int, int, int, int, int, int);
void KZ_16bitRotAlphaFull(const void*, const uint16_t*, int, int, int, int, int, int, int);
void KZ_24bitRot(const void*, const uint16_t*, int, int, int, int, int, int, int);
extern const KZ_RotBlitter KZ_CopyRot[12];

// ---------------------------------------------------------------------------
// Sprite table (kz_sprites), animation (kz_spriteanim)
// ---------------------------------------------------------------------------

struct KZ_Sprite {
    uint8_t active;
    void* pixels;
    int16_t x, y;
    int16_t framew, frameh;
    int16_t w, h;
    uint8_t depth;
    uint8_t full;
    uint16_t* palette;
    int16_t prio;
    int16_t frame;
    int16_t animstep;
    int16_t animfirst;
    int16_t animlast;
    int16_t animloops;
    int16_t animspeed;
    uint8_t animon;
    uint8_t animcount;
    uint8_t animpingpong;
    int16_t alpha;
    uint8_t flipx;
    uint8_t flipy;
    int32_t zoom;
    int32_t angle;
    uint16_t* rlelist;
    uint8_t* rle;
    uint8_t* alphaplane;
    uint8_t window;
    int16_t limitx1, limity1, limitx2, limity2;
};

constexpr int KZ_MAXSPRITES = 4096;

extern KZ_Sprite* kz_sprites[KZ_MAXSPRITES];
extern int32_t kz_minsprite;
extern int32_t kz_maxsprite;

void KZ_CreateSprite(int n, const KZ_Image* image, uint16_t w, uint16_t h, int16_t x, int16_t y);
void KZ_SetSpriteLimits(int n, int16_t x1, int16_t y1, int16_t x2, int16_t y2);
void KZ_SetSpriteImage(int n, const KZ_Image* image);
void KZ_InitSprites();
void KZ_ShowSprite(int16_t n);

void KZ_StartSpriteAnimEx(int16_t n, int16_t first, int16_t last, uint16_t speed, uint8_t pingpong,
                          int16_t loops);
void KZ_UpdateSpriteAnim(int16_t n);

// ---------------------------------------------------------------------------
// Compositor and fade (ZAriz)
// ---------------------------------------------------------------------------

struct KZ_Fade {
    uint8_t level;   // 32: no fade
    uint16_t color;
    uint16_t prio;
    int16_t x1, y1, x2, y2;
};

extern uint16_t kz_bgcolor;
extern KZ_Fade kz_fade;
extern int16_t prio_nsprite[1024];
extern int16_t prio_nextsprite[KZ_MAXSPRITES];
extern int8_t prio_nbg[1024];
extern int8_t prio_nextbg[16];

void KZ_Init();
void kz_whenrefresh();
void kz_dotransp();
void KZ_SetFadeLimits(int16_t x1, int16_t y1, int16_t x2, int16_t y2);
void KZ_FadeIn(uint8_t step);
void KZ_FadeOut(uint8_t step);

// ---------------------------------------------------------------------------
// Frame loop, window, start-up and shut-down (kz_w32main, kz_w32fullscreen)
// ---------------------------------------------------------------------------

extern int32_t kz_FPS;
extern int32_t kz_destFPS;
extern int32_t kz_FPSms;
extern uint8_t kz_showfps;
extern uint8_t kz_refresh;
extern uint8_t kz_nfps;
extern uint32_t kz_fpscnt[64];
extern uint8_t kz_fps_first;
extern uint8_t kz_timeron[16];
extern uint32_t KZ_Timer[16];
extern HWND kz_hwnd;
extern HINSTANCE kz_instance;
extern HBITMAP hbitmap;
extern char* KZ_Path;
extern int16_t stylusx, stylusy;
extern uint8_t stylusheld;

int WinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR cmdline, int show);
void kz_getcurrentpath();
void kz_clean();
void KZ_Refresh();
void KZ_SetFrameRate(uint16_t rate);
LRESULT MainProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void drawBuffer(HWND window);

extern HWND hWndTaskBar, hWndSipButton, hWndInputPanel;
extern RECT rtDesktop, rtNewDesktop, rtTaskBar, rtSipButton, rtInputPanel;
void InitFullScreen();
void EnableFullScreen(HWND window);
void DisableFullScreen(HWND window);

// Thrown by KZ_Refresh, after its frame is done, once the window has been
// closed from outside (the user closed it): WinMain catches it, leaves the
// game and shuts the engine down, so closing the window ends the program.
struct kz_windowclosed {};

// Test hook: forget the frame loop's first-call state and its statics, so a
// test can start the loop again from the beginning.
void kz_resetframeloop();

// ---------------------------------------------------------------------------
// Background layers (kz_bg)
// ---------------------------------------------------------------------------

struct KZ_Bg {
    uint8_t active;
    uint8_t type;    // 0 caller's bitmap, 1 tile map, 2 text, 3 layer-owned bitmap
    uint8_t depth;
    void* pixels;
    uint32_t* map;
    uint16_t* palette;
    uint16_t* palettes[16];
    int32_t width, height;
    int32_t mapw, maph;
    int32_t tilew, tileh;
    uint16_t prio;
    int32_t scrollx, scrolly;
    int16_t alpha;
    uint8_t full;
    uint8_t window;
};

extern KZ_Bg kz_bg[16];
extern void (*kz_dovecto)(uint8_t layer);

void KZ_BgLoadEx(uint8_t layer, const int32_t* description, void* data, uint32_t* map, uint16_t* palette);
void KZ_BgLoadBitmap(uint8_t layer, int16_t w, int16_t h, uint8_t full);
void KZ_BgLoadBitmapEx(uint8_t layer, uint16_t* pixels, int16_t w, int16_t h, uint8_t full, uint8_t alphaplane);
void KZ_BgLoad8bitBitmap(uint8_t layer, int16_t w, int16_t h, uint8_t full);
void KZ_BgCopyBitmap(uint8_t layer, const uint16_t* source);
void KZ_BgScrollXY(uint8_t layer, int32_t x, int32_t y);
void KZ_BgSetPixelAlpha(uint8_t layer, int16_t x, int16_t y, uint16_t color, int alpha);
void KZ_BgDelete(uint8_t layer);
void KZ_ResetBg();
void KZ_ShowBg(uint8_t layer);
void KZ_ShowTileBg(uint8_t layer);

// ---------------------------------------------------------------------------
// Text slots and layout (kz_text), fonts (kz_text, kz_giftotex)
// ---------------------------------------------------------------------------

struct KZ_Letter {
    uint8_t ch;
    int16_t x, y;
};

struct KZ_Text {
    int32_t count;
    uint8_t font;
    uint16_t color;
    uint8_t drawalpha;
    int16_t x1, y1, x2, y2;
    uint16_t capacity;
    uint8_t alpha;
    int8_t spacing;
    int8_t linespacing;
    int8_t align;
    KZ_Letter* letters;
};

constexpr int KZ_MAXLETTERS = 2048;

struct KZ_LetterArea {
    int32_t count;
    KZ_Letter letter[KZ_MAXLETTERS + 1];  // the extra entry holds the pen after the last letter
};

struct KZ_TextInfo {
    int8_t linespacing;
    int8_t spacing;
    int8_t align;
    uint8_t alpha;
    uint8_t bg;
};

struct KZ_Font {
    uint16_t* Font;
    uint32_t* LetterStart;
    uint8_t* LetterWidth;
    uint8_t height;
};

extern KZ_Text* KZ_TextSlot[16];
extern KZ_LetterArea KZ_LetterPos;
extern KZ_TextInfo kz_textinfo;
extern KZ_Font* kz_fonts[16];
extern const KZ_Font* const kz_deffonts[5];
extern const int32_t kz_deffontsize[5];
// The compiled records of the built-in fonts: their Font points to the packed
// bits (kz_textN_Font, kz_deffontsize[N] bytes), to be read as bytes.
extern const KZ_Font kz_text0, kz_text1, kz_text2, kz_text3, kz_text4;
extern const uint8_t kz_text0_Font[306], kz_text1_Font[480], kz_text2_Font[738], kz_text3_Font[1289],
    kz_text4_Font[1978];
extern const uint32_t kz_text0_LetterStart[256], kz_text1_LetterStart[256], kz_text2_LetterStart[256],
    kz_text3_LetterStart[256], kz_text4_LetterStart[256];
extern const uint8_t kz_text0_LetterWidth[256], kz_text1_LetterWidth[256], kz_text2_LetterWidth[256],
    kz_text3_LetterWidth[256], kz_text4_LetterWidth[256];

void KZ_LoadTextBg(uint8_t layer);
int16_t KZ_CreateTextEx(uint8_t layer, uint8_t slot, int16_t x1, int16_t y1, int16_t x2, int16_t y2,
                        const char* text, uint16_t color, uint8_t font, uint8_t alpha, int8_t spacing,
                        int8_t linespacing, int8_t align, int32_t limit);
void KZ_DoLetterPos(int16_t x1, int16_t y1, int16_t x2, int16_t y2, const char* text, uint8_t font,
                    uint8_t alpha, int8_t spacing, int8_t linespacing, int8_t align, int32_t limit);
void KZ_DoAlign(int first, int16_t end, int16_t x2, uint8_t justify, int8_t align);
void KZ_ClearText(uint8_t slot);
void KZ_ResetTextBg(uint8_t layer);
void KZ_ShowTextBg(uint8_t layer);

void kz_textdecompress(uint8_t font);
void KZ_SetTextFontGif(uint8_t font, const uint8_t* gif, size_t size);
void kz_cleanfonts();
// Releases one font (what it owns by its kind) and empties its number.
void kz_releasefont(uint8_t font);

// ---------------------------------------------------------------------------
// Debug overlay (kz_debug)
// ---------------------------------------------------------------------------

struct KZ_DebugFont {
    const uint32_t* map;
    int32_t mapcells;
    const uint8_t* tiles;
    int32_t tilesbytes;
    const uint16_t* palette;
    const int32_t* info;
};

extern int8_t kz_debug_bg;
extern uint8_t kz_debug_color;
extern uint16_t kz_debug_colors[16];
extern uint16_t pal[256];
extern uint32_t kz_debugmap[4096];
extern uint32_t* kz_debugtruemap;
extern uint16_t debug_width, debug_height;
extern const KZ_DebugFont kz_debug;
// The built-in debug font's parts (the record kz_debug points to them).
extern const uint32_t kz_debug_Map[288];
extern const uint8_t kz_debug_Tiles[3219];
extern const uint16_t kz_debug_Pal[2];
extern const int32_t kz_debug_Info[6];

void KZ_InitDebug(uint8_t layer);
void KZ_InitCustomDebug(uint8_t layer, const KZ_DebugFont* font);
void KZ_DebugText(uint16_t x, uint16_t y, const char* format, ...);

// ---------------------------------------------------------------------------
// GIF decoding and images from GIF (kz_gif)
// ---------------------------------------------------------------------------

struct KZ_GifPlayback {
    int32_t first;
    int32_t last;
    int32_t frame;
    float speed;
    uint8_t state;  // 1 playing, 2 paused, 0 stopped
};

extern uint8_t GifBits;
extern uint16_t kz_gif_pal[256];
extern uint8_t LineBuf[2048];
extern const int16_t InterlacedOffset[4];
extern const int16_t InterlacedJumps[4];
extern KZ_GifPlayback KZ_GifInfo;
extern KZ_Image* kz_sprite_alloc[2048];
extern uint16_t kz_nsprite_alloc;

// Largest logical screen side a GIF may have: a picture for a 240 x 320 screen
// never needs more, and it keeps every buffer size and 16-bit stride in range.
constexpr int KZ_GIF_MAXSIDE = 4096;

// Results of DecodeGif.
constexpr int32_t KZ_GIF_OK = 0;        // decoded to the trailer, or stopped by the player
constexpr int32_t KZ_GIF_EARGS = 1;     // data null with a length, no destination, or a stride below 1
constexpr int32_t KZ_GIF_ENOTGIF = 2;   // no GIF header and logical screen descriptor
constexpr int32_t KZ_GIF_ESCREEN = 3;   // logical screen of 0 pixels or a side above KZ_GIF_MAXSIDE
constexpr int32_t KZ_GIF_EDATA = 4;     // cut short or damaged after the header

// Returns KZ_GIF_OK when the whole GIF decoded, non-zero when it could not.
// The destination holds stride x (logical screen height) pixels; image
// rectangles are clipped to the logical screen and to the stride.
int32_t DecodeGif(const uint8_t* gif, size_t size, void* pixels, uint16_t* palette, uint8_t depth,
                  int16_t stride);
void CopyLine2(uint16_t* destination, const uint8_t* source, int count);
KZ_Image* KZ_GifToSprite(const uint8_t* gif, size_t size);
void KZ_BgLoadGif(uint8_t layer, const uint8_t* gif, size_t size);
void KZ_BgLoadGif16bit(uint8_t layer, const uint8_t* gif, size_t size);
void kz_cleanspritealloc();

// ---------------------------------------------------------------------------
// Stylus and keys (kz_input)
// ---------------------------------------------------------------------------

struct KZ_StylusInfo {
    uint8_t held;
    uint8_t released;
    uint8_t pressed;
    uint8_t doubletap;
    int16_t x, y;
    int16_t heldtime;
    int16_t releasedtime;
    int16_t dx, dy;
};

struct KZ_Keys {
    uint8_t up, down, right, left, action;
};

struct KZ_PadState {
    KZ_Keys held;
    KZ_Keys released;
    KZ_Keys pressed;
};

struct KZ_Drag {
    uint8_t moving;
    uint16_t sprite;
    int16_t x, y;
    int16_t dx, dy;
    uint8_t frames;
};

extern KZ_StylusInfo Stylus;
extern KZ_PadState Pad;
extern KZ_Keys PadInfo;
extern KZ_Drag KZ_MovedSprite;

void KZ_InitStylus();
void KZ_UpdateInput();
int KZ_SpriteTouched(int n);
int KZ_SpriteTouchedPix(int n);
int KZ_MoveSpriteEx(int n, uint8_t absolute, uint8_t pixelexact);

// ---------------------------------------------------------------------------
// Angles (kz_math)
// ---------------------------------------------------------------------------

extern const int16_t KZ_SIN[512];

int KZ_AdjustAngle(uint16_t angle, uint16_t step, int x1, int y1, int x2, int y2);
int KZ_GetAngle(int x1, int y1, int x2, int y2);

// ---------------------------------------------------------------------------
// The game's entry, called by WinMain
// ---------------------------------------------------------------------------

namespace game {
int main();
}
