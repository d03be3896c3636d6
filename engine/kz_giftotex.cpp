// Fonts cut from a GIF picture: a grid of square cells, one glyph per code.
#include <algorithm>
#include <vector>

#include "ZAriz.h"

namespace {

// The part of the picture the fonts read: out-of-picture pixels have no ink.
struct Sheet {
    const uint16_t* pixels;
    int w, h;
    bool ink(int x, int y) const { return x < w && y < h && pixels[y * w + x] != kz_transpcolor; }
};

}  // namespace

void KZ_SetTextFontGif(uint8_t font, const uint8_t* gif, size_t size) {
    if (size < 10) return;
    const int W = gif[6] | (gif[7] << 8);
    const int H = gif[8] | (gif[9] << 8);
    const int cw = W >> 5;
    // The decoder refuses larger sheets: refuse them before making room for one.
    if (W > KZ_GIF_MAXSIDE || H > KZ_GIF_MAXSIDE) return;

    // Parts of the sheet the image does not cover stay transparent.
    std::vector<uint16_t> picture(size_t(W) * size_t(H), kz_transpcolor);
    if (DecodeGif(gif, size, picture.data(), nullptr, 1, int16_t(W)) != 0) return;
    const Sheet sheet{picture.data(), W, H};

    // Cells row by row; the width table has room for 256 codes only.
    const int perRow = cw ? (W + cw - 1) / cw : 0;
    const int rows = cw ? (H + cw - 1) / cw : 0;
    const int cells = std::min(perRow * rows, 256);
    auto cellLeft = [&](int n) { return (n % perRow) * cw; };
    auto cellTop = [&](int n) { return (n / perRow) * cw; };

    // One height for the font: the lowest row with ink in any cell.
    int height = 0;
    for (int r = cw - 1; r >= 1 && height == 0; r--) {
        for (int n = 0; n < cells && height == 0; n++) {
            for (int i = 0; i < cw; i++) {
                if (sheet.ink(cellLeft(n) + i, cellTop(n) + r)) {
                    height = r + 1;
                    break;
                }
            }
        }
    }

    auto* widths = new uint8_t[256]();
    for (int n = 0; n < cells; n++) {
        for (int i = cw - 1; i >= 0 && widths[n] == 0; i--) {
            for (int j = 0; j < cw; j++) {
                if (sheet.ink(cellLeft(n) + i, cellTop(n) + j)) {
                    widths[n] = uint8_t(i + 1);
                    break;
                }
            }
        }
    }
    std::fill(widths, widths + 32, uint8_t(0));
    widths[32] = widths[33];  // an empty cell: the space borrows the width of '!'

    const uint8_t h = uint8_t(height);
    size_t total = 0;
    for (int n = 0; n < 256; n++) total += size_t(2) * widths[n] * h;
    auto* glyphs = new uint16_t[total];
    auto* starts = new uint32_t[256];

    // Each glyph: its colour pixels, then as many mask values.
    uint32_t p = 0;
    for (int n = 0; n < 256; n++) {
        starts[n] = p;
        const int w = widths[n];
        if (w == 0 || h == 0) continue;
        uint16_t* colour = glyphs + p;
        uint16_t* mask = colour + w * h;
        for (int j = 0; j < h; j++) {
            for (int i = 0; i < w; i++) {
                const int x = cellLeft(n) + i, y = cellTop(n) + j;
                const bool ink = sheet.ink(x, y);
                colour[j * w + i] = (x < W && y < H) ? picture[size_t(y) * W + x] : kz_transpcolor;
                mask[j * w + i] = ink ? 0xFFFF : 0;
            }
        }
        p += uint32_t(2 * w * h);
    }

    kz_releasefont(font);
    auto* record = new KZ_Font;
    record->Font = glyphs;
    record->LetterStart = starts;
    record->LetterWidth = widths;
    record->height = h;
    kz_fonts[font] = record;
}
