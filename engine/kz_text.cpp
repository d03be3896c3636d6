// Text slots, layout into boxes with word wrap and alignment, built-in fonts.
#include <cstring>

#include "ZAriz.h"

KZ_Text* KZ_TextSlot[16];
KZ_LetterArea KZ_LetterPos;
KZ_TextInfo kz_textinfo = {0, 1, 0, 32, 0};
KZ_Font* kz_fonts[16];

constexpr int kSlots = 256;

// ---------------------------------------------------------------------------
// Fonts
// ---------------------------------------------------------------------------

void kz_textdecompress(uint8_t font) {
    const KZ_Font* packed = kz_deffonts[font];
    auto* record = new KZ_Font;
    // The tables are compiled data and shared; only the pixels are unpacked.
    record->LetterStart = const_cast<uint32_t*>(packed->LetterStart);
    record->LetterWidth = const_cast<uint8_t*>(packed->LetterWidth);
    record->height = packed->height;
    const int32_t bytes = kz_deffontsize[font];
    const auto* bits = reinterpret_cast<const uint8_t*>(packed->Font);
    // One mask value per pixel, so drawing is an AND/OR with no bit extraction.
    record->Font = new uint16_t[size_t(bytes) * 8];
    for (int32_t b = 0; b < bytes; b++) {
        for (int k = 0; k < 8; k++) record->Font[b * 8 + k] = ((bits[b] >> k) & 1) ? 0xFFFF : 0;
    }
    kz_fonts[font] = record;
}

void kz_releasefont(uint8_t font) {
    KZ_Font* record = kz_fonts[font];
    if (!record) return;
    delete[] record->Font;
    // Built-in fonts share their compiled tables; fonts made from pictures own theirs.
    if (font >= 5) {
        delete[] record->LetterStart;
        delete[] record->LetterWidth;
    }
    delete record;
    kz_fonts[font] = nullptr;
}

void kz_cleanfonts() {
    for (int n = 0; n < 16; n++) kz_releasefont(uint8_t(n));
}

// ---------------------------------------------------------------------------
// Text layer and slots
// ---------------------------------------------------------------------------

void KZ_LoadTextBg(uint8_t layer) {
    if (!KZ_TextSlot[layer]) KZ_TextSlot[layer] = new KZ_Text[kSlots]();
    KZ_BgDelete(layer);
    KZ_Bg& bg = kz_bg[layer];
    bg.active = 1;
    bg.type = 2;
    bg.alpha = 32;
    bg.full = 0;
    bg.prio = layer;
    bg.scrollx = 0;
    bg.scrolly = 0;
    kz_textinfo.bg = layer;
    KZ_LetterPos.count = 0;
}

void KZ_ResetTextBg(uint8_t layer) {
    KZ_Text* table = KZ_TextSlot[layer];
    if (!table) return;
    for (int n = 0; n < kSlots; n++) {
        table[n].count = 0;
        delete[] table[n].letters;
        table[n].letters = nullptr;
    }
}

void KZ_ClearText(uint8_t slot) {
    // The letter array stays for the next text of this slot.
    KZ_TextSlot[kz_textinfo.bg][slot].count = 0;
}

int16_t KZ_CreateTextEx(uint8_t layer, uint8_t slot, int16_t x1, int16_t y1, int16_t x2, int16_t y2,
                        const char* text, uint16_t color, uint8_t font, uint8_t alpha, int8_t spacing,
                        int8_t linespacing, int8_t align, int32_t limit) {
    if (!kz_fonts[font]) {
        if (font >= 5) return 0;  // a picture font must be made by its owner first
        kz_textdecompress(font);
    }
    KZ_Text& t = KZ_TextSlot[layer][slot];
    t.font = font;
    t.spacing = spacing;
    t.linespacing = linespacing;
    t.align = align;
    t.color = color;
    t.alpha = alpha;

    KZ_DoLetterPos(x1, y1, x2, y2, text, font, alpha, spacing, linespacing, align, limit);
    const int32_t kept = limit < KZ_LetterPos.count ? limit : KZ_LetterPos.count;
    KZ_LetterPos.count = kept;

    if (!t.letters || kept > int32_t(t.capacity)) {
        delete[] t.letters;
        t.capacity = uint16_t(kept + 16);
        t.letters = new KZ_Letter[size_t(t.capacity) + 1];
    }
    t.x1 = x1;
    t.y1 = y1;
    t.x2 = x2;
    t.y2 = y2;
    for (int32_t k = 0; k < kept; k++) t.letters[k] = KZ_LetterPos.letter[k];
    t.count = kept;
    t.drawalpha = kz_textinfo.alpha;
    return int16_t(kept);
}

// ---------------------------------------------------------------------------
// Layout
// ---------------------------------------------------------------------------

void KZ_DoAlign(int first, int16_t end, int16_t x2, uint8_t justify, int8_t align) {
    KZ_Letter* letters = KZ_LetterPos.letter;
    const int count = KZ_LetterPos.count;
    int16_t gap = int16_t(x2 - end + 1);
    if (align == 1 || align == 2) {
        const int move = align == 1 ? gap + 1 : (gap + 1) >> 1;
        for (int k = first; k < count; k++) letters[k].x = int16_t(letters[k].x + move);
        return;
    }
    if (align != 3 || !justify) return;

    // Every letter first gets a growing one-pixel step while the gap allows it,
    // then what is left is shared over the spaces, larger shares first.
    // The 8-bit counters are part of the picture: long lines wrap them.
    uint8_t step = 0;
    const uint8_t n = uint8_t(count - first - 1);
    if (n < gap) {
        gap = int16_t(gap - n);
        step = 1;
    }
    uint8_t spaces = 0;
    for (int k = first; k < count - 1; k++) {
        if (letters[k].ch == ' ') spaces++;
    }
    uint8_t shift = 0;
    for (int k = first; k < count; k++) {
        shift = uint8_t(shift + step);
        letters[k].x = int16_t(letters[k].x + shift);
        if (letters[k].ch == ' ' && gap != 0) {
            const uint8_t q = spaces ? uint8_t((gap + spaces / 2) / spaces) : 0;  // no spaces: no share
            gap = int16_t(gap - q);
            shift = uint8_t(shift + q);
            spaces--;
        }
    }
}

void KZ_DoLetterPos(int16_t x1, int16_t y1, int16_t x2, int16_t y2, const char* text, uint8_t font,
                    uint8_t /*alpha*/, int8_t spacing, int8_t linespacing, int8_t align, int32_t limit) {
    const KZ_Font* f = kz_fonts[font];
    const uint8_t* widths = f->LetterWidth;
    const int h = f->height;
    const auto* s = reinterpret_cast<const uint8_t*>(text);
    auto advance = [&](uint8_t c) { return uint8_t(spacing + widths[c]); };

    KZ_LetterArea& area = KZ_LetterPos;
    area.count = 0;
    // The work area has a fixed size: a text that would lay out more stops there.
    auto add = [&](uint8_t c, int16_t x, int16_t y) {
        if (area.count >= KZ_MAXLETTERS) return false;
        area.letter[area.count++] = KZ_Letter{c, x, y};
        return true;
    };

    int16_t penx = x1;
    int16_t liney = y1;
    int first = 0;          // first letter of the current line
    int64_t lineStart = 0;  // text index of that letter
    int64_t i = 0;
    const int64_t end = int64_t(limit) + 100 + ((align == 0 || align == 3) ? 100 : 0);

    while (i < end && s[i] != 0) {
        uint8_t c = s[i];
        if (c == '\n') {
            if (!add(c, penx, liney)) break;
            if (i > 0 && s[i - 1] == ' ') penx = int16_t(penx - widths[' ']);
        } else if (c == ' ' || penx + advance(c) <= x2) {
            if (!add(c, penx, liney)) break;
            penx = int16_t(penx + advance(c));
            i++;
            continue;
        } else {
            // The word goes to the next line whole, unless it began this line:
            // then it is wider than the box and is broken here instead.
            int64_t start = i;
            while (start > lineStart && s[start - 1] != ' ') start--;
            if (start > lineStart) {
                while (i > start) {
                    area.count--;
                    penx = int16_t(penx - advance(s[i - 1]));
                    i--;
                }
                c = s[i];
                penx = int16_t(penx - 1 - widths[' ']);
            } else if (area.count == first) {
                // Nothing fits on an empty line: the letter stands out of the box.
                if (!add(c, penx, liney)) break;
                penx = int16_t(penx + advance(c));
                i++;
                continue;
            }
        }

        // Line break with c.
        if (liney + 2 * h > y2) break;
        KZ_DoAlign(first, penx, x2, c != '\n', align);
        liney = int16_t(liney + h + linespacing);
        first = area.count;
        if (c <= 32) {
            penx = x1;
            lineStart = i + 1;
        } else {
            if (!add(c, x1, liney)) break;
            penx = int16_t(x1 + advance(c));
            lineStart = i;
        }
        i++;
    }

    if (i > 0 && s[i - 1] == ' ') penx = int16_t(penx - widths[' ']);
    KZ_DoAlign(first, penx, x2, liney + 2 * h > y2, align);
    area.letter[area.count].x = penx;
    area.letter[area.count].y = liney;
}

// ---------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------

void KZ_ShowTextBg(uint8_t layer) {
    const KZ_Text* table = KZ_TextSlot[layer];
    if (!table) return;
    for (int n = 0; n < kSlots; n++) {
        const KZ_Text& t = table[n];
        if (t.count <= 0 || t.drawalpha == 0) continue;
        const KZ_Font* f = kz_fonts[t.font];
        if (!f) continue;
        const int h = f->height;
        if (t.font < 5) {
            const auto* base = reinterpret_cast<const uint8_t*>(f->Font);
            for (int32_t k = 0; k < t.count; k++) {
                const KZ_Letter& l = t.letters[k];
                const int w = int8_t(f->LetterWidth[l.ch]);
                // The start counts bytes of the unpacked form.
                const auto* mask = reinterpret_cast<const uint16_t*>(base + (f->LetterStart[l.ch] & ~1u));
                KZ_CopyPlainLetter(mask, t.color, w, h, l.x, l.y, t.drawalpha);
            }
        } else {
            for (int32_t k = 0; k < t.count; k++) {
                const KZ_Letter& l = t.letters[k];
                const int w = int8_t(f->LetterWidth[l.ch]);
                KZ_CopyLetter(f->Font + f->LetterStart[l.ch], 1, w, h, l.x, l.y, t.drawalpha);
            }
        }
    }
}
