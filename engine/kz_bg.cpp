// Background layers: bitmaps and tile maps drawn between the sprites by priority.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "ZAriz.h"

KZ_Bg kz_bg[16];
void (*kz_dovecto)(uint8_t layer) = nullptr;

void KZ_BgDelete(uint8_t layer) {
    KZ_Bg& bg = kz_bg[layer];
    if (bg.active) {
        if (bg.type == 3) {
            free(bg.pixels);
            bg.pixels = nullptr;
            if (bg.depth == 1) {
                free(bg.palette);
                bg.palette = nullptr;
            }
        } else if (bg.type == 2) {
            KZ_ResetTextBg(layer);
        }
    }
    bg.active = 0;
}

void KZ_ResetBg() {
    for (int layer = 0; layer < 16; layer++) KZ_BgDelete(uint8_t(layer));
}

void KZ_BgLoadEx(uint8_t layer, const int32_t* description, void* data, uint32_t* map, uint16_t* palette) {
    KZ_BgDelete(layer);
    KZ_Bg& bg = kz_bg[layer];
    bg.active = 1;
    bg.type = uint8_t(description[0]);
    bg.depth = uint8_t(description[1]);
    bg.scrollx = bg.scrolly = 0;
    bg.width = description[2];
    bg.height = description[3];
    bg.palette = palette;
    bg.map = map;
    bg.pixels = data;
    bg.prio = layer;
    bg.alpha = 32;
    if (bg.type == 0) {
        bg.full = uint8_t(description[4]);
    } else if (bg.type == 1) {
        bg.tilew = description[4];
        bg.tileh = description[5];
        // A tile size of 0 would divide by zero; such a layer has no cells.
        bg.mapw = bg.tilew ? bg.width / bg.tilew : 0;
        bg.maph = bg.tileh ? bg.height / bg.tileh : 0;
        bg.palettes[0] = palette;
        bg.full = 0;
    }
    bg.window = 0;
}

void KZ_BgLoadBitmapEx(uint8_t layer, uint16_t* pixels, int16_t w, int16_t h, uint8_t full, uint8_t alphaplane) {
    KZ_BgDelete(layer);
    KZ_Bg& bg = kz_bg[layer];
    bg.active = 1;
    bg.type = 3;
    bg.window = 0;
    bg.depth = uint8_t(2 + alphaplane);
    bg.prio = layer;
    bg.width = w;
    bg.height = h;
    bg.pixels = pixels;
    bg.alpha = 32;
    bg.full = full;
    bg.map = nullptr;
    bg.palette = nullptr;
    bg.scrollx = bg.scrolly = 0;
}

void KZ_BgLoadBitmap(uint8_t layer, int16_t w, int16_t h, uint8_t full) {
    size_t count = size_t(w > 0 ? w : 0) * size_t(h > 0 ? h : 0);
    auto* pixels = static_cast<uint16_t*>(malloc(count ? count * 2 : 1));
    if (!full)
        for (size_t i = 0; i < count; i++) pixels[i] = kz_bgcolor;
    KZ_BgLoadBitmapEx(layer, pixels, w, h, full, 0);
}

void KZ_BgLoad8bitBitmap(uint8_t layer, int16_t w, int16_t h, uint8_t full) {
    KZ_BgDelete(layer);
    KZ_Bg& bg = kz_bg[layer];
    size_t count = size_t(w > 0 ? w : 0) * size_t(h > 0 ? h : 0);
    bg.active = 1;
    bg.type = 3;
    bg.depth = 1;
    bg.window = 0;
    bg.prio = layer;
    bg.map = nullptr;
    bg.palette = static_cast<uint16_t*>(calloc(256, sizeof(uint16_t)));
    bg.scrollx = bg.scrolly = 0;
    bg.width = w;
    bg.height = h;
    // Cleared to index 0: a new picture without full is wholly transparent.
    bg.pixels = calloc(count ? count : 1, 1);
    bg.full = full;
    bg.alpha = 32;
}

void KZ_BgCopyBitmap(uint8_t layer, const uint16_t* source) {
    KZ_Bg& bg = kz_bg[layer];
    memcpy(bg.pixels, source, size_t(bg.width) * size_t(bg.height) * 2);
}

void KZ_BgScrollXY(uint8_t layer, int32_t x, int32_t y) {
    kz_bg[layer].scrollx = x;
    kz_bg[layer].scrolly = y;
}

void KZ_BgSetPixelAlpha(uint8_t layer, int16_t x, int16_t y, uint16_t color, int alpha) {
    KZ_Bg& bg = kz_bg[layer];
    uint16_t* p = static_cast<uint16_t*>(bg.pixels) + (ptrdiff_t(y) * bg.width + x);
    *p = kz_blend(color, *p, uint32_t(alpha));
}

void KZ_ShowTileBg(uint8_t layer) {
    const KZ_Bg& bg = kz_bg[layer];
    const int tw = bg.tilew, th = bg.tileh;
    if (tw <= 0 || th <= 0) return;  // no tile size, no cells
    const int cols = bg.width / tw;
    const int rows = bg.height / th;

    // Only the range of cells that can reach the screen; 64-bit so any scroll is defined.
    const int64_t sx = bg.scrollx, sy = bg.scrolly;
    const int firstRow = int(std::max<int64_t>(0, -sy / th));
    const int endRow = int(std::min<int64_t>((th + int64_t(bg.height) - sy - 1) / th, rows));
    const int firstCol = int(std::max<int64_t>(0, -sx / tw));
    const int endCol = int(std::min<int64_t>((int64_t(bg.width) - sx) / tw, cols));

    const auto* tiles = static_cast<const uint8_t*>(bg.pixels);
    const size_t tileBytes = size_t(tw) * size_t(th) + 1;  // flag byte, then the indices
    for (int r = firstRow; r < endRow; r++) {
        const uint32_t* row = bg.map + size_t(r) * size_t(cols);
        const int y = int(r * int64_t(th) + sy);
        for (int c = firstCol; c < endCol; c++) {
            const uint32_t e = row[c];
            if ((e & 0xFFFFFF) == 0) continue;
            const uint8_t* tile = tiles + (e & 0xFFF) * tileBytes;
            const uint16_t* palette = bg.palettes[(e >> 27) & 0xF];
            const int8_t flipx = int8_t((e >> 25) & 1);
            const int8_t flipy = int8_t((e >> 26) & 1);
            const int x = int(c * int64_t(tw) + sx);
            if (tile[0] == 1 && !flipx && !flipy)
                KZ_Copy8bitFastCopy(tile + 1, palette, tw, th, x, y, bg.alpha);
            else
                KZ_Copy8bitToScreen(tile + 1, palette, tw, th, x, y, bg.alpha, flipx, flipy);
        }
    }
}

void KZ_ShowBg(uint8_t layer) {
    const KZ_Bg& bg = kz_bg[layer];
    if (bg.active != 1 || bg.alpha <= 0) return;
    kz_curwindow = bg.window;
    kz_cursprite = -1;  // layers draw without any sprite's source rectangle

    switch (bg.type) {
        case 0:
        case 3: {
            const int x = bg.scrollx, y = bg.scrolly;
            switch (bg.depth) {
                case 1: {
                    const auto* pixels = static_cast<const uint8_t*>(bg.pixels);
                    if (bg.full)
                        KZ_Copy8bitFastCopy(pixels, bg.palette, bg.width, bg.height, x, y, bg.alpha);
                    else
                        KZ_Copy8bitToScreen(pixels, bg.palette, bg.width, bg.height, x, y, bg.alpha, 0, 0);
                    break;
                }
                case 2: {
                    const auto* pixels = static_cast<const uint16_t*>(bg.pixels);
                    if (bg.full)
                        KZ_Copy16bitFastCopy(pixels, bg.width, bg.height, x, y, bg.alpha);
                    else
                        KZ_Copy16bitToScreen(pixels, bg.width, bg.height, x, y, bg.alpha, 0, 0);
                    break;
                }
                case 3: {
                    const auto* pixels = static_cast<const uint16_t*>(bg.pixels);
                    // The alpha plane follows the colour pixels.
                    alphalayer = reinterpret_cast<uint8_t*>(const_cast<uint16_t*>(pixels) +
                                                            size_t(bg.width) * size_t(bg.height));
                    KZ_Copy24bitToScreen(pixels, bg.width, bg.height, x, y, bg.alpha);
                    break;
                }
                default:
                    break;
            }
            break;
        }
        case 1:
            KZ_ShowTileBg(layer);
            break;
        case 2:
            KZ_ShowTextBg(layer);
            break;
        default:
            break;
    }
    if (kz_dovecto) kz_dovecto(layer);
}
