// The compiled-in font data: the built-in fonts' packed glyphs and tables, and
// the debug overlay's tile set and character map.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "ZAriz.h"

namespace {

const uint8_t* packed(int font) { return reinterpret_cast<const uint8_t*>(kz_deffonts[font]->Font); }

bool ink(int font, uint32_t pixel) { return (packed(font)[pixel >> 3] >> (pixel & 7)) & 1; }

struct FontRow {
    const KZ_Font* record;
    size_t bytes;  // size of the compiled array
    int height, size, space, a, widest;
};

const FontRow kFonts[5] = {
    {&kz_text0, sizeof kz_text0_Font, 6, 306, 1, 4, 5},
    {&kz_text1, sizeof kz_text1_Font, 8, 480, 1, 5, 8},
    {&kz_text2, sizeof kz_text2_Font, 9, 738, 1, 8, 11},
    {&kz_text3, sizeof kz_text3_Font, 12, 1289, 2, 10, 14},
    {&kz_text4, sizeof kz_text4_Font, 14, 1978, 3, 14, 15},
};

TEST(BuiltInFonts, MeetTheirTableAndChainTheirGlyphs) {
    for (int f = 0; f < 5; ++f) {
        SCOPED_TRACE(f);
        const FontRow& row = kFonts[f];
        const KZ_Font& font = *kz_deffonts[f];
        ASSERT_EQ(&font, row.record);
        EXPECT_EQ(font.height, row.height);
        EXPECT_EQ(kz_deffontsize[f], row.size);
        EXPECT_EQ(row.bytes, size_t(row.size));
        EXPECT_EQ(font.LetterWidth[' '], row.space);
        EXPECT_EQ(font.LetterWidth['A'], row.a);
        int widest = 0, accented = 0;
        for (int c = 0; c < 256; ++c) {
            widest = std::max(widest, int(font.LetterWidth[c]));
            if (c < 32) {
                EXPECT_EQ(font.LetterWidth[c], 0) << c;
                EXPECT_EQ(font.LetterStart[c], 0u) << c;
            } else if (c <= 126) {
                EXPECT_GT(font.LetterWidth[c], 0) << c;
            } else if (c >= 224 && c <= 253) {
                accented += font.LetterWidth[c] > 0;
            } else {
                EXPECT_EQ(font.LetterWidth[c], 0) << c;
            }
            if (c >= 32 && c < 255) {
                EXPECT_EQ(font.LetterStart[c + 1], font.LetterStart[c] + 2u * font.LetterWidth[c] * font.height) << c;
            }
        }
        EXPECT_EQ(widest, row.widest);
        EXPECT_GT(accented, 15);
        // The glyphs fill the packed array up to its last byte, and nothing lies beyond them.
        const uint32_t end = font.LetterStart[255] / 2 + font.LetterWidth[255] * font.height;
        EXPECT_LE(end, 8u * row.size);
        EXPECT_GT(end, 8u * row.size - 8);
        for (uint32_t p = end; p < 8u * row.size; ++p) EXPECT_FALSE(ink(f, p)) << p;
    }
}

TEST(BuiltInFonts, EveryVisibleGlyphHasInkAndTheSpaceNone) {
    for (int f = 0; f < 5; ++f) {
        const KZ_Font& font = *kz_deffonts[f];
        for (int c = 32; c < 256; ++c) {
            const uint32_t first = font.LetterStart[c] / 2, n = font.LetterWidth[c] * font.height;
            if (n == 0) continue;
            bool any = false;
            for (uint32_t p = first; p < first + n; ++p) any |= ink(f, p);
            EXPECT_EQ(any, c != ' ') << "font " << f << " code " << c;
        }
    }
}

TEST(BuiltInFonts, Font1CapitalAIsTheFixedGlyph) {
    const char* rows[8] = {"..#..", ".#.#.", ".#.#.", ".#.#.", ".###.", "#...#", "#...#", "....."};
    const KZ_Font& font = *kz_deffonts[1];
    ASSERT_EQ(font.LetterWidth['A'], 5);
    ASSERT_EQ(font.LetterStart['A'], 2048u);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(ink(1, 1024 + y * 5 + x), rows[y][x] == '#') << x << "," << y;
}

uint32_t tileOf(uint32_t cell) { return cell & 0xFFF; }

TEST(DebugFont, RecordDescribesTheSheet) {
    EXPECT_EQ(kz_debug.map, kz_debug_Map);
    EXPECT_EQ(kz_debug.mapcells, 288);
    EXPECT_EQ(kz_debug.tiles, kz_debug_Tiles);
    EXPECT_EQ(kz_debug.tilesbytes, 3219);
    EXPECT_EQ(sizeof kz_debug_Tiles, 87u * 37u);
    EXPECT_EQ(kz_debug.palette, kz_debug_Pal);
    EXPECT_EQ(kz_debug_Pal[0], 0xF81F);
    EXPECT_EQ(kz_debug_Pal[1], 0xFFFF);
    const int32_t info[6] = {1, 1, 192, 54, 6, 6};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(kz_debug.info[i], info[i]) << i;
}

TEST(DebugFont, MapUsesEveryTileAndOnlyTheMirrorBit) {
    std::set<uint32_t> used = {0};
    for (int c = 0; c < 288; ++c) {
        const uint32_t cell = kz_debug_Map[c];
        const bool printable = c > 32 && c < 127;
        if (c <= 32 || c == 127) {
            EXPECT_EQ(cell, 0u) << c;
        }
        if (printable) {
            EXPECT_NE(cell & 0xFFFFFF, 0u) << c;
        }
        // Colours are ORed into bits 27-30 when printed: the map leaves them clear.
        EXPECT_EQ(cell & ~(0xFFFu | 1u << 25), 0u) << c;
        if (cell) {
            ASSERT_LT(tileOf(cell), 87u) << c;
            used.insert(tileOf(cell));
        }
    }
    EXPECT_EQ(used.size(), 87u);
    int accented = 0;
    for (int c = 224; c < 256; ++c) accented += kz_debug_Map[c] != 0;
    EXPECT_GT(accented, 0);
}

TEST(DebugFont, TilesAreTwoColourWithTheirFlagAndOnlyTileZeroBlank) {
    for (int t = 0; t < 87; ++t) {
        const uint8_t* tile = kz_debug_Tiles + t * 37;
        int ink = 0;
        for (int i = 1; i <= 36; ++i) {
            ASSERT_LE(tile[i], 1) << t;
            ink += tile[i];
        }
        EXPECT_EQ(tile[0] == 1, ink == 36) << t;
        EXPECT_EQ(ink == 0, t == 0) << t;
    }
}

TEST(DebugFont, ClosingCharactersAreTheOpeningOnesMirrored) {
    const std::pair<char, char> pairs[] = {{'(', ')'}, {'[', ']'}, {'{', '}'}, {'<', '>'},
                                           {'/', '\\'}, {'b', 'd'}, {'p', 'q'}};
    for (auto [open, close] : pairs) {
        const uint32_t a = kz_debug_Map[uint8_t(open)], b = kz_debug_Map[uint8_t(close)];
        EXPECT_EQ(tileOf(a), tileOf(b)) << open << close;
        EXPECT_EQ(a ^ b, 1u << 25) << open << close;
    }
    // A glyph shown mirrored keeps a column of paper on both sides, so it never
    // touches its neighbour in the grid.
    for (int c = 0; c < 288; ++c) {
        if (!(kz_debug_Map[c] & 1u << 25)) continue;
        const uint8_t* tile = kz_debug_Tiles + tileOf(kz_debug_Map[c]) * 37 + 1;
        for (int y = 0; y < 6; ++y) EXPECT_EQ(tile[y * 6] | tile[y * 6 + 5], 0) << c;
    }
}

}  // namespace
