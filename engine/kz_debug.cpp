// The debug overlay: a screen grid of character cells in a tile-map layer,
// printed into with a small format language.
#include <cmath>
#include <cstdarg>
#include <cstdint>

#include "ZAriz.h"

int8_t kz_debug_bg = -1;
uint8_t kz_debug_color;
uint16_t kz_debug_colors[16] = {0xFFFF, 0xF800, 0x07E0, 0x001F, 0xF81F, 0x07FF, 0xFFE0, 0xCE79, 0xA534,
                                0,      0,      0,      0,      0,      0,      0};
uint16_t pal[256];
uint32_t kz_debugmap[4096];
uint32_t* kz_debugtruemap;
uint16_t debug_width, debug_height;

constexpr int kGridCells = 4096;
constexpr uint32_t kPaletteBits = 0xFu << 27;

void KZ_InitDebug(uint8_t layer) { KZ_InitCustomDebug(layer, &kz_debug); }

void KZ_InitCustomDebug(uint8_t layer, const KZ_DebugFont* font) {
    kz_debug_bg = int8_t(layer);
    KZ_BgLoadEx(layer, font->info, const_cast<uint8_t*>(font->tiles), const_cast<uint32_t*>(font->map),
                const_cast<uint16_t*>(font->palette));
    const int used = debug_width * debug_height;
    for (int n = 0; n < used && n < kGridCells; n++) kz_debugmap[n] = 0;

    KZ_Bg& bg = kz_bg[layer];
    kz_debugtruemap = bg.map;
    bg.map = kz_debugmap;
    bg.width = KZ_SCREEN_W;
    bg.height = KZ_SCREEN_H;
    bg.mapw = bg.tilew ? KZ_SCREEN_W / bg.tilew : 0;
    bg.maph = bg.tileh ? KZ_SCREEN_H / bg.tileh : 0;
    // Tiles too small for the grid's fixed size would need more cells than it
    // has: the overlay then covers only the rows that fit.
    if (bg.mapw > 0 && bg.mapw * bg.maph > kGridCells) {
        bg.maph = kGridCells / bg.mapw;
        bg.height = bg.maph * bg.tileh;
    }
    debug_width = uint16_t(bg.mapw);
    debug_height = uint16_t(bg.maph);

    for (int k = 0; k < 16; k++) {
        pal[16 * k + 1] = kz_debug_colors[k];
        bg.palettes[k] = &pal[16 * k];
    }
    kz_debug_color = 0;
}

namespace {

// Where the next character goes: row r, k cells after the start column.
struct Pen {
    int x;
    int r;
    int k = 0;

    void put(uint8_t c) {
        // A line longer than a grid row runs on into the next row.
        const int cell = r * debug_width + x + k;
        if (cell < debug_width * debug_height) {
            const uint32_t glyph = kz_debugtruemap[c] & ~kPaletteBits;
            kz_debugmap[cell] = glyph | ((uint32_t(kz_debug_color) & 0xF) << 27);
        }
        k++;
    }
    void newline() {
        r += 1 + (debug_width ? k / debug_width : 0);
        k = 0;
    }
    // The digits of a value, most significant first.
    void digits(uint64_t v) {
        char buf[24];
        int n = 0;
        do {
            buf[n++] = char('0' + v % 10);
            v /= 10;
        } while (v);
        while (n) put(uint8_t(buf[--n]));
    }
};

int count_digits(uint32_t v) {
    int n = 1;
    while (v >= 10) {
        v /= 10;
        n++;
    }
    return n;
}

}  // namespace

void KZ_DebugText(uint16_t x, uint16_t y, const char* format, ...) {
    if (kz_debug_bg == -1) return;
    const uint8_t saved = kz_debug_color;  // colour changes last for one call
    Pen pen{x, y};
    va_list args;
    va_start(args, format);
    const auto* f = reinterpret_cast<const uint8_t*>(format);
    while (*f) {
        const uint8_t c = *f;
        if (c == '\n') {
            pen.newline();
            f++;
            continue;
        }
        if (c == '/' && f[1] == 'n') {
            pen.newline();
            f += 2;
            continue;
        }
        if (c != '%') {
            pen.put(c);
            f++;
            continue;
        }

        const uint8_t a = f[1];
        if (a == 'c' && f[2] != 0) {
            kz_debug_color = uint8_t(f[2] - 48);
            f += 3;
        } else if (a == 's') {
            const auto* s = va_arg(args, const char*);
            for (const auto* p = reinterpret_cast<const uint8_t*>(s); *p; p++) pen.put(*p);
            f += 2;
        } else if (a == 'x') {
            const uint32_t v = va_arg(args, uint32_t);
            int shift = 28;
            while (shift > 0 && ((v >> shift) & 0xF) == 0) shift -= 4;
            for (; shift >= 0; shift -= 4) pen.put(uint8_t("0123456789ABCDEF"[(v >> shift) & 0xF]));
            f += 2;
        } else if (a == 'd') {
            const int32_t v = va_arg(args, int32_t);
            if (v < 0) pen.put('-');
            pen.digits(v < 0 ? 0u - uint32_t(v) : uint32_t(v));
            f += 2;
        } else if (a == 'f' && f[2] >= '0' && f[2] <= '9') {
            const double v = va_arg(args, double);
            if (v < 0) pen.put('-');
            const double m = std::fabs(v);
            // Values beyond 64 bits print their integer part as 0 rather than
            // convert out of range.
            const double whole = m < 1.8e19 ? std::trunc(m) : 0.0;
            pen.digits(uint64_t(whole));
            pen.put('.');
            double frac = m < 1.8e19 ? m - whole : 0.0;
            for (int n = f[2] - '0'; n > 0; n--) {
                frac *= 10;
                const int digit = int(frac);
                pen.put(uint8_t('0' + digit));
                frac -= digit;
            }
            f += 3;
        } else if (a != 0 && a != ' ' && f[2] != 0 && f[2] != ' ' && f[3] == 'd') {
            const int32_t v = va_arg(args, int32_t);
            const uint32_t magnitude = v < 0 ? 0u - uint32_t(v) : uint32_t(v);
            const int8_t pad = int8_t((f[2] - 48) - count_digits(magnitude));
            for (int n = 0; n < pad; n++) pen.put(a);
            if (v < 0) pen.put('-');
            pen.digits(magnitude);
            f += 4;
        } else {
            pen.put('%');
            f++;
        }
    }
    va_end(args);
    kz_debug_color = saved;
}
