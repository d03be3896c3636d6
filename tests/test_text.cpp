// Text slots, layout with word wrap and alignment, built-in and picture fonts.
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "support/harness.h"

namespace {

constexpr uint8_t kTestFont = 6;  // a picture-font number, so nothing unpacks over it
constexpr int kH = 8;

// A font whose letters are all 5 wide with a space 2 wide and empty control
// codes. Every glyph shares one picture: 4 columns of ink, the fifth empty.
void install_test_font(uint8_t n, uint16_t ink) {
    auto* f = new KZ_Font;
    f->height = kH;
    f->LetterWidth = new uint8_t[256];
    f->LetterStart = new uint32_t[256]();
    for (int c = 0; c < 256; c++) f->LetterWidth[c] = c < 32 ? 0 : c == ' ' ? 2 : 5;
    f->Font = new uint16_t[2 * 5 * kH];
    for (int k = 0; k < 5 * kH; k++) {
        f->Font[k] = ink;
        f->Font[5 * kH + k] = (k % 5) < 4 ? 0xFFFF : 0;
    }
    kz_releasefont(n);
    kz_fonts[n] = f;
}

// The laid-out letters as "a10,20 _22,20 ~16,20" ('_' a space, '~' a newline),
// then the pen after the last letter.
std::string letters_of(const KZ_Letter* l, int count) {
    std::string s;
    for (int k = 0; k < count; k++) {
        if (!s.empty()) s += ' ';
        s += l[k].ch == ' ' ? '_' : l[k].ch == '\n' ? '~' : char(l[k].ch);
        s += std::to_string(l[k].x) + "," + std::to_string(l[k].y);
    }
    return s;
}
std::string pen_of() {
    const KZ_Letter& p = KZ_LetterPos.letter[KZ_LetterPos.count];
    return std::to_string(p.x) + "," + std::to_string(p.y);
}

class Text : public ::testing::Test {
protected:
    void SetUp() override {
        engine_reset();
        for (KZ_Bg& b : kz_bg) b = KZ_Bg{};
        kz_textinfo = {0, 1, 0, 32, 0};
        install_test_font(kTestFont, 0x07E0);
        KZ_LoadTextBg(4);
    }
    void TearDown() override { engine_reset(); }
};

// Box from x1 = 10, y1 = 20; letters 8 high, spacing 1, no line spacing.
TEST_F(Text, Layout) {
    struct Case {
        const char* text;
        int16_t x2, y2;
        int8_t align;
        int8_t spacing;
        const char* letters;
        const char* pen;
    };
    const Case cases[] = {
        {"ab cd", 40, 200, 0, 1, "a10,20 b16,20 _22,20 c25,20 d31,20", "37,20"},
        {"ab cd", 40, 200, 1, 1, "a15,20 b21,20 _27,20 c30,20 d36,20", "37,20"},
        {"ab cd", 40, 200, 2, 1, "a12,20 b18,20 _24,20 c27,20 d33,20", "37,20"},
        {"ab cd", 40, 200, 7, 1, "a10,20 b16,20 _22,20 c25,20 d31,20", "37,20"},
        // 'c' does not fit (25 + 6 > 30): 'ab ' ends the first line.
        {"ab cd", 30, 200, 0, 1, "a10,20 b16,20 _22,20 c10,28 d16,28", "22,28"},
        {"ab cd", 30, 200, 1, 1, "a20,20 b26,20 _32,20 c20,28 d26,28", "22,28"},
        // 'd' does not fit: 'c' is taken back and the word moves whole.
        {"ab cde", 33, 200, 0, 1, "a10,20 b16,20 _22,20 c10,28 d16,28 e22,28", "28,28"},
        // No room for a second line: the rest is dropped and the cut line is
        // justified; its closing space takes no share.
        {"ab cd ef", 30, 35, 3, 1, "a11,20 b18,20 _25,20", "20,20"},
        // Justified: one more pixel per letter, then 7 over two spaces as 4 and 3.
        {"a b c dd", 45, 200, 3, 1, "a11,20 _18,20 b26,20 _33,20 c40,20 _47,20 d10,28 d16,28", "22,28"},
        // A line ended by a newline is not justified, nor is the last line.
        {"a\nb", 40, 200, 3, 1, "a10,20 ~16,20 b10,28", "16,28"},
        {"ab \ncd", 40, 200, 0, 1, "a10,20 b16,20 _22,20 ~25,20 c10,28 d16,28", "22,28"},
        {"", 40, 200, 0, 1, "", "10,20"},
        // Centring rounds down, also to the left: (-18 + 1) >> 1 = -9.
        {"abcd         ", 40, 200, 2, 1,
         "a1,20 b7,20 c13,20 d19,20 _25,20 _28,20 _31,20 _34,20 _37,20 _40,20 _43,20 _46,20 _49,20", "59,20"},
        // Advances are 8-bit: 5 - 6 wraps to 255.
        {"ab", 1000, 200, 0, -6, "a10,20 b265,20", "520,20"},
        // Words wider than the box break at its edge; a letter wider than an
        // empty line stands out of it.
        {"abcdefgh", 30, 200, 0, 1, "a10,20 b16,20 c22,20 d10,28 e16,28 f22,28 g10,36 h16,36", "22,36"},
        {"ab cdefghij", 30, 200, 0, 1,
         "a10,20 b16,20 _22,20 c10,28 d16,28 e22,28 f10,36 g16,36 h22,36 i10,44 j16,44", "22,44"},
        {"ab", 12, 200, 0, 1, "a10,20 b10,28", "16,28"},
        {"a\nbcdefgh", 30, 200, 0, 1, "a10,20 ~16,20 b10,28 c16,28 d22,28 e10,36 f16,36 g22,36 h10,44", "16,44"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("'") + c.text + "' x2 " + std::to_string(c.x2) + " align " +
                     std::to_string(c.align));
        KZ_DoLetterPos(10, 20, c.x2, c.y2, c.text, kTestFont, 32, c.spacing, 0, c.align, 100);
        EXPECT_EQ(letters_of(KZ_LetterPos.letter, KZ_LetterPos.count), c.letters);
        EXPECT_EQ(pen_of(), c.pen);
    }
}

TEST_F(Text, LineSpacingAndGlyphHeightSetTheLines) {
    KZ_DoLetterPos(10, 20, 30, 200, "ab cd", kTestFont, 32, 1, -3, 0, 100);
    EXPECT_EQ(letters_of(KZ_LetterPos.letter, KZ_LetterPos.count), "a10,20 b16,20 _22,20 c10,25 d16,25");
}

// The layout reads limit + 100 characters, 100 more when left or justified.
TEST_F(Text, LayoutReadsAPastTheLimit) {
    const std::string spaces(400, ' ');
    const struct {
        int8_t align;
        int32_t limit, count;
    } cases[] = {{0, 0, 200}, {3, 0, 200}, {1, 0, 100}, {2, 5, 105}};
    for (auto c : cases) {
        KZ_DoLetterPos(0, 0, 239, 319, spaces.c_str(), kTestFont, 32, 1, 0, c.align, c.limit);
        EXPECT_EQ(KZ_LetterPos.count, c.count) << int(c.align);
    }
}

// The work area holds 2048 letters: a longer text stops there.
TEST_F(Text, WorkAreaEndStopsTheLayout) {
    const std::string spaces(3000, ' ');
    EXPECT_EQ(KZ_CreateTextEx(4, 0, 0, 0, 239, 319, spaces.c_str(), 0, kTestFont, 32, 1, 0, 0, 16777216), 2048);
    const KZ_Text& t = KZ_TextSlot[4][0];
    EXPECT_EQ(t.count, 2048);
    EXPECT_EQ(t.capacity, 2048 + 16);
    EXPECT_EQ(KZ_LetterPos.letter[2048].x, int16_t(2048 * 3 - 2));  // the closing space's width comes off
}

TEST_F(Text, SlotKeepsItsSettingsAndTheFirstLimitLetters) {
    kz_textinfo.alpha = 20;
    // Laid out whole and right-aligned as six letters; three are kept.
    EXPECT_EQ(KZ_CreateTextEx(4, 9, 10, 20, 60, 200, "abcdef", 0x1234, kTestFont, 7, 2, 3, 1, 3), 3);
    const KZ_Text& t = KZ_TextSlot[4][9];
    EXPECT_EQ(t.count, 3);
    EXPECT_EQ(letters_of(t.letters, t.count), "a20,20 b27,20 c34,20");
    EXPECT_EQ(KZ_LetterPos.count, 3);
    EXPECT_EQ(letters_of(KZ_LetterPos.letter + 3, 3), "d41,20 e48,20 f55,20");
    EXPECT_EQ(t.font, kTestFont);
    EXPECT_EQ(t.color, 0x1234);
    EXPECT_EQ(t.alpha, 7);
    EXPECT_EQ(t.drawalpha, 20);
    EXPECT_EQ(t.spacing, 2);
    EXPECT_EQ(t.linespacing, 3);
    EXPECT_EQ(t.align, 1);
    EXPECT_EQ((std::vector<int>{t.x1, t.y1, t.x2, t.y2}), (std::vector<int>{10, 20, 60, 200}));
}

TEST_F(Text, LetterArrayGrowsToCountPlus16) {
    KZ_Text& t = KZ_TextSlot[4][3];
    KZ_CreateTextEx(4, 3, 0, 0, 239, 319, "ab", 0, kTestFont, 32, 1, 0, 0, 100);
    EXPECT_EQ(t.capacity, 18);
    const KZ_Letter* small = t.letters;
    KZ_CreateTextEx(4, 3, 0, 0, 239, 319, "abcdefghijklmnopqr", 0, kTestFont, 32, 1, 0, 0, 100);
    EXPECT_EQ(t.capacity, 18);
    EXPECT_EQ(t.letters, small);
    KZ_CreateTextEx(4, 3, 0, 0, 239, 319, "abcdefghijklmnopqrst", 0, kTestFont, 32, 1, 0, 0, 100);
    EXPECT_EQ(t.capacity, 36);
    EXPECT_EQ(t.count, 20);
    const KZ_Letter* grown = t.letters;
    KZ_CreateTextEx(4, 3, 0, 0, 239, 319, "a", 0, kTestFont, 32, 1, 0, 0, 100);
    EXPECT_EQ(t.capacity, 36);
    EXPECT_EQ(t.letters, grown);

    KZ_ClearText(3);
    EXPECT_EQ(t.count, 0);
    EXPECT_EQ(t.letters, grown);
}

TEST_F(Text, MissingPictureFontIsRefused) {
    KZ_CreateTextEx(4, 2, 0, 0, 239, 319, "ab", 0x1111, kTestFont, 32, 1, 0, 0, 100);
    EXPECT_EQ(KZ_CreateTextEx(4, 2, 5, 5, 239, 319, "xyz", 0x2222, 12, 32, 1, 0, 0, 100), 0);
    const KZ_Text& t = KZ_TextSlot[4][2];
    EXPECT_EQ(t.count, 2);
    EXPECT_EQ(t.font, kTestFont);
    EXPECT_EQ(t.color, 0x1111);
    EXPECT_EQ(kz_fonts[12], nullptr);
}

TEST_F(Text, TextLayerLifecycle) {
    kz_bg[4].window = 3;
    KZ_CreateTextEx(4, 0, 0, 0, 239, 319, "ab", 0, kTestFont, 32, 1, 0, 0, 100);
    KZ_LoadTextBg(4);  // loading again empties the slots
    const KZ_Bg& bg = kz_bg[4];
    EXPECT_EQ(bg.active, 1);
    EXPECT_EQ(bg.type, 2);
    EXPECT_EQ(bg.alpha, 32);
    EXPECT_EQ(bg.prio, 4);
    EXPECT_EQ(bg.window, 3);
    EXPECT_EQ(kz_textinfo.bg, 4);
    EXPECT_EQ(KZ_TextSlot[4][0].count, 0);
    EXPECT_EQ(KZ_TextSlot[4][0].letters, nullptr);

    KZ_LoadTextBg(7);
    EXPECT_EQ(kz_textinfo.bg, 7);
    KZ_CreateTextEx(7, 1, 0, 0, 239, 319, "ab", 0, kTestFont, 32, 1, 0, 0, 100);
    KZ_BgDelete(7);
    EXPECT_EQ(kz_bg[7].active, 0);
    EXPECT_EQ(KZ_TextSlot[7][1].count, 0);
    EXPECT_EQ(KZ_TextSlot[7][1].letters, nullptr);
}

// ---------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------

TEST_F(Text, SlotsDrawInOrderAtScreenPositions) {
    install_test_font(7, 0xF800);
    std::fill_n(kz_buffer, KZ_SCREEN_W * KZ_SCREEN_H, uint16_t(0x0001));
    KZ_CreateTextEx(4, 1, 10, 20, 239, 319, "a", 0, 7, 32, 1, 0, 0, 100);
    KZ_CreateTextEx(4, 0, 10, 20, 239, 319, "ab", 0, kTestFont, 32, 1, 0, 0, 100);
    kz_textinfo.alpha = 0;
    KZ_CreateTextEx(4, 2, 100, 100, 239, 319, "a", 0, kTestFont, 32, 1, 0, 0, 100);
    KZ_BgScrollXY(4, 50, 50);  // text does not scroll
    KZ_ShowBg(4);
    for (int y = 0; y < 320; y++) {
        for (int x = 0; x < 240; x++) {
            uint16_t want = 0x0001;
            if (y >= 20 && y < 28 && x >= 10 && x < 14) want = 0xF800;  // slot 1 over slot 0
            if (y >= 20 && y < 28 && x >= 16 && x < 20) want = 0x07E0;
            ASSERT_EQ(kz_buffer[y * 240 + x], want) << x << "," << y;
        }
    }
}

TEST_F(Text, LayerClipWindowCutsLetters) {
    std::fill_n(kz_buffer, KZ_SCREEN_W * KZ_SCREEN_H, uint16_t(0));
    KZ_SetWindowLimits(2, 12, 0, 239, 319);
    kz_bg[4].window = 2;
    KZ_CreateTextEx(4, 0, 10, 20, 239, 319, "a", 0, kTestFont, 32, 1, 0, 0, 100);
    KZ_ShowBg(4);
    for (int x = 8; x < 16; x++) EXPECT_EQ(kz_buffer[24 * 240 + x], x >= 12 && x < 14 ? 0x07E0 : 0) << x;
}

// Font 1's 'A': 5 x 8 at unpacked byte 2048.
const char* const kFont1A[8] = {"..#..", ".#.#.", ".#.#.", ".#.#.", ".###.", "#...#", "#...#", "....."};

TEST(BuiltInFont, Font1LetterAUnpacksBitForBit) {
    engine_reset();
    kz_textdecompress(1);
    const KZ_Font* f = kz_fonts[1];
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->height, 8);
    EXPECT_EQ(f->LetterWidth['A'], 5);
    EXPECT_EQ(f->LetterStart['A'], 2048u);
    EXPECT_EQ(f->LetterStart, kz_deffonts[1]->LetterStart);  // tables are shared
    const uint16_t* glyph = f->Font + 2048 / 2;
    for (int j = 0; j < 8; j++)
        for (int i = 0; i < 5; i++)
            EXPECT_EQ(glyph[j * 5 + i], kFont1A[j][i] == '#' ? 0xFFFF : 0) << i << "," << j;
    // Every packed bit becomes one mask value, least significant bit first.
    const auto* bits = reinterpret_cast<const uint8_t*>(kz_deffonts[1]->Font);
    for (int k = 0; k < kz_deffontsize[1] * 8; k++)
        ASSERT_EQ(f->Font[k], ((bits[k / 8] >> (k % 8)) & 1) ? 0xFFFF : 0) << k;
    engine_reset();
    EXPECT_EQ(kz_fonts[1], nullptr);
}

// Drawn through a text slot: ink colour, opacity and the screen's edge.
TEST(BuiltInFont, Font1LetterADraws) {
    const struct {
        int16_t x;
        uint8_t alpha;
        uint16_t ink, back, blended;
    } cases[] = {
        {50, 32, 0xF800, 0x1234, 0xF800},
        {236, 32, 0x07E0, 0x1234, 0x07E0},  // only the first four columns show
        {50, 16, 0xFFFF, 0x0000, 0x7BEF},   // half of each channel, rounded down
        {50, 0, 0xFFFF, 0x0000, 0x0000},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.x);
        SCOPED_TRACE(int(c.alpha));
        engine_reset();
        for (KZ_Bg& b : kz_bg) b = KZ_Bg{};
        kz_textinfo = {0, 1, 0, c.alpha, 0};
        KZ_LoadTextBg(4);
        std::fill_n(kz_buffer, KZ_SCREEN_W * KZ_SCREEN_H, c.back);
        ASSERT_EQ(KZ_CreateTextEx(4, 0, c.x, 30, 300, 319, "A", c.ink, 1, 32, 1, 0, 0, 100), 1);
        KZ_ShowBg(4);
        for (int y = 0; y < 320; y++) {
            for (int x = 0; x < 240; x++) {
                const int i = x - c.x, j = y - 30;
                const bool ink = i >= 0 && i < 5 && j >= 0 && j < 8 && kFont1A[j][i] == '#';
                ASSERT_EQ(kz_buffer[y * 240 + x], ink ? c.blended : c.back) << x << "," << y;
            }
        }
    }
    engine_reset();
}

// ---------------------------------------------------------------------------
// Fonts from a picture
// ---------------------------------------------------------------------------

// Palette of the test sheets: 0 transparent magenta, 1 white, 2 red, 3 blue.
std::vector<uint8_t> encode_gif(int w, int h, const std::vector<uint8_t>& index) {
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(
        &out,
        [](GifFileType* g, const GifByteType* bytes, int n) {
            auto* v = static_cast<std::vector<uint8_t>*>(g->UserData);
            v->insert(v->end(), bytes, bytes + n);
            return n;
        },
        &error);
    GifColorType colours[4] = {{255, 0, 255}, {255, 255, 255}, {255, 0, 0}, {0, 0, 255}};
    ColorMapObject* map = GifMakeMapObject(4, colours);
    EGifPutScreenDesc(gif, w, h, 2, 0, map);
    EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr);
    for (int y = 0; y < h; y++) EGifPutLine(gif, const_cast<GifPixelType*>(&index[size_t(y) * w]), w);
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

struct Sheet {
    int w, h, cw;
    std::vector<uint8_t> index;
    Sheet(int w_, int h_) : w(w_), h(h_), cw(w_ >> 5), index(size_t(w_) * h_, 0) {}
    void ink(int cell, int i, int j, uint8_t colour) {
        const int x = (cell % (w / cw)) * cw + i, y = (cell / (w / cw)) * cw + j;
        index[size_t(y) * w + x] = colour;
    }
    std::vector<uint8_t> gif() const { return encode_gif(w, h, index); }
};

class PictureFont : public ::testing::Test {
protected:
    void SetUp() override {
        engine_reset();
        for (KZ_Bg& b : kz_bg) b = KZ_Bg{};
        kz_textinfo = {0, 1, 0, 32, 0};
    }
    void TearDown() override { engine_reset(); }
};

TEST_F(PictureFont, CellsGiveWidthsHeightAndGlyphs) {
    Sheet s(256, 64);  // 8 x 8 cells, 32 to a row
    s.ink(33, 1, 0, 1);
    s.ink(33, 1, 4, 1);
    s.ink(33, 2, 2, 1);  // '!': 3 wide
    s.ink(65, 4, 0, 2);
    s.ink(65, 0, 3, 1);  // 'A': 5 wide
    s.ink(66, 0, 5, 3);  // 'B': 1 wide; the lowest ink row of the sheet gives height 6
    s.ink(1, 6, 1, 1);   // control codes get no glyph
    const auto gif = s.gif();
    KZ_SetTextFontGif(5, gif.data(), gif.size());
    const KZ_Font* f = kz_fonts[5];
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->height, 6);
    for (int c = 0; c < 256; c++) {
        const int want = c == 32 || c == 33 ? 3 : c == 65 ? 5 : c == 66 ? 1 : 0;
        EXPECT_EQ(f->LetterWidth[c], want) << c;
    }
    // Colour planes then mask planes, chained in code order.
    EXPECT_EQ(f->LetterStart[32], 0u);
    EXPECT_EQ(f->LetterStart[33], 36u);
    EXPECT_EQ(f->LetterStart[65], 72u);
    EXPECT_EQ(f->LetterStart[66], 132u);
    EXPECT_EQ(f->LetterStart[67], 144u);
    const uint16_t* a = f->Font + f->LetterStart[65];
    for (int j = 0; j < 6; j++) {
        for (int i = 0; i < 5; i++) {
            const uint16_t colour = i == 4 && j == 0 ? 0xF800 : i == 0 && j == 3 ? 0xFFFF : 0xF81F;
            EXPECT_EQ(a[j * 5 + i], colour) << i << "," << j;
            EXPECT_EQ(a[30 + j * 5 + i], colour == 0xF81F ? 0 : 0xFFFF) << i << "," << j;
        }
    }

    // Drawn in its own colours, whatever the slot's colour.
    KZ_LoadTextBg(4);
    std::fill_n(kz_buffer, KZ_SCREEN_W * KZ_SCREEN_H, uint16_t(0x0841));
    EXPECT_EQ(KZ_CreateTextEx(4, 0, 10, 20, 239, 319, "AB", 0x1234, 5, 32, 1, 0, 0, 100), 2);
    KZ_ShowBg(4);
    EXPECT_EQ(kz_buffer[20 * 240 + 14], 0xF800);
    EXPECT_EQ(kz_buffer[23 * 240 + 10], 0xFFFF);
    EXPECT_EQ(kz_buffer[25 * 240 + 16], 0x001F);
    int changed = 0;
    for (uint16_t p : kz_buffer) changed += p != 0x0841;
    EXPECT_EQ(changed, 3);
}

TEST_F(PictureFont, EmptySheetHasHeightZeroAndDrawsNothing) {
    const auto gif = Sheet(256, 128).gif();
    KZ_SetTextFontGif(8, gif.data(), gif.size());
    const KZ_Font* f = kz_fonts[8];
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->height, 0);
    for (int c = 0; c < 256; c++) ASSERT_EQ(f->LetterWidth[c], 0) << c;
    KZ_LoadTextBg(4);
    std::fill_n(kz_buffer, KZ_SCREEN_W * KZ_SCREEN_H, uint16_t(0x0841));
    KZ_CreateTextEx(4, 0, 10, 20, 239, 319, "abc", 0, 8, 32, 1, 0, 0, 100);
    KZ_ShowBg(4);
    for (uint16_t p : kz_buffer) ASSERT_EQ(p, 0x0841);
}

// Only the first 256 cells are a font's codes; making a number again replaces
// its font (the old one is released: the leak checker would see it).
TEST_F(PictureFont, ExtraCellsAreIgnoredAndRemakingReplaces) {
    Sheet big(256, 72);  // nine rows of cells: 288
    big.ink(65, 2, 2, 1);
    big.ink(270, 7, 7, 1);
    const auto gif = big.gif();
    KZ_SetTextFontGif(5, gif.data(), gif.size());
    ASSERT_NE(kz_fonts[5], nullptr);
    EXPECT_EQ(kz_fonts[5]->height, 3);
    EXPECT_EQ(kz_fonts[5]->LetterWidth[65], 3);

    Sheet small(256, 64);
    small.ink(65, 0, 0, 1);
    const auto gif2 = small.gif();
    KZ_SetTextFontGif(5, gif2.data(), gif2.size());
    EXPECT_EQ(kz_fonts[5]->LetterWidth[65], 1);
}

TEST_F(PictureFont, UndecodablePictureMakesNoFont) {
    Sheet s(256, 64);
    s.ink(65, 0, 0, 1);
    const auto gif = s.gif();
    KZ_SetTextFontGif(9, gif.data(), 20);
    EXPECT_EQ(kz_fonts[9], nullptr);
    KZ_SetTextFontGif(9, gif.data(), 5);
    EXPECT_EQ(kz_fonts[9], nullptr);
    KZ_SetTextFontGif(9, gif.data(), gif.size());
    const KZ_Font* made = kz_fonts[9];
    ASSERT_NE(made, nullptr);
    KZ_SetTextFontGif(9, gif.data(), 20);
    EXPECT_EQ(kz_fonts[9], made);  // a failed remake keeps the font
}

// A 20-byte header may claim a sheet of 32767 x 65535 pixels, 4 GB of picture
// that the decoder would refuse anyway. It is refused before any room is made
// for it: run where the address space could not hold that much.
TEST_F(PictureFont, OversizedSheetIsRefusedBeforeMakingRoom) {
    static const uint8_t gif[] = {'G', 'I', 'F', '8', '9', 'a', 0xFF, 0x7F, 0xFF, 0xFF,
                                  0x80, 0,   0,   0,   0,   0,   255,  255,  255,  0x3B};
    auto make = [] {
#ifndef __SANITIZE_ADDRESS__
        // A gigabyte of address space is far less than such a sheet would take.
        // (The address sanitizer's own reservations do not fit under a cap.)
        const rlimit space{rlim_t(1) << 30, rlim_t(1) << 30};
        setrlimit(RLIMIT_AS, &space);
#endif
        KZ_SetTextFontGif(5, gif, sizeof gif);
        std::_Exit(kz_fonts[5] ? 1 : 0);
    };
    EXPECT_EXIT(make(), testing::ExitedWithCode(0), "");
}

}  // namespace
