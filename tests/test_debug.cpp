// The debug overlay: its grid, the print format and the frame-rate line.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/harness.h"

namespace {

// A debug font whose character map shows code c as tile c, so a printed cell
// names its character directly.
struct IdentityFont {
    std::vector<uint32_t> map = std::vector<uint32_t>(288);
    std::vector<uint8_t> tiles = std::vector<uint8_t>(288 * 37, 1);
    const uint16_t palette[2] = {0xF81F, 0xFFFF};
    const int32_t info[6] = {1, 1, 192, 54, 6, 6};
    KZ_DebugFont record{};

    IdentityFont() {
        for (uint32_t c = 0; c < 288; c++) map[c] = c;
        record = {map.data(), 288, tiles.data(), int32_t(tiles.size()), palette, info};
    }
};

constexpr uint32_t kPaletteBits = 0xFu << 27;

class DebugText : public ::testing::Test {
protected:
    IdentityFont font;
    void SetUp() override {
        engine_reset();
        kz_debug_color = 0;
        KZ_InitCustomDebug(0, &font.record);
    }
    void TearDown() override { engine_reset(); }

    static uint32_t cell(int col, int row) { return kz_debugmap[row * debug_width + col]; }
    // Characters of n cells from (col, row) on, '.' for an empty cell.
    static std::string row_text(int col, int row, int n) {
        std::string s;
        for (int k = 0; k < n; k++) {
            const uint32_t c = cell(col + k, row) & 0xFFF;
            s += c ? char(c) : '.';
        }
        return s;
    }
    static int colour(int col, int row) { return int(cell(col, row) >> 27) & 0xF; }
};

TEST_F(DebugText, GridFollowsTheFontsTileSize) {
    EXPECT_EQ(debug_width, 40);
    EXPECT_EQ(debug_height, 53);
    const KZ_Bg& bg = kz_bg[0];
    EXPECT_EQ(bg.type, 1);
    EXPECT_EQ(bg.map, kz_debugmap);
    EXPECT_EQ(kz_debugtruemap, font.map.data());
    EXPECT_EQ(bg.width, 240);
    EXPECT_EQ(bg.height, 320);
    EXPECT_EQ(bg.mapw, 40);
    EXPECT_EQ(bg.maph, 53);
    for (int k = 0; k < 16; k++) {
        EXPECT_EQ(bg.palettes[k], &pal[16 * k]);
        EXPECT_EQ(pal[16 * k + 1], kz_debug_colors[k]);
        EXPECT_EQ(pal[16 * k], 0);
    }
    const uint16_t colours[16] = {0xFFFF, 0xF800, 0x07E0, 0x001F, 0xF81F, 0x07FF, 0xFFE0, 0xCE79, 0xA534};
    for (int k = 0; k < 16; k++) EXPECT_EQ(kz_debug_colors[k], colours[k]) << k;
}

TEST_F(DebugText, FormatForms) {
    struct Case {
        const char* name;
        std::function<void()> print;
        const char* shown;  // at column 0, row 0
    };
    const Case cases[] = {
        {"%d", [] { KZ_DebugText(0, 0, "%d  ", 40); }, "40  ."},
        {"%d negative", [] { KZ_DebugText(0, 0, "%d", -1234); }, "-1234."},
        {"%d lowest", [] { KZ_DebugText(0, 0, "%d", INT32_MIN); }, "-2147483648."},
        {"%02d", [] { KZ_DebugText(0, 0, "%02d", 7); }, "07."},
        {"%03d negative", [] { KZ_DebugText(0, 0, "%03d", -5); }, "00-5."},
        {"%02d wider", [] { KZ_DebugText(0, 0, "%02d", 123); }, "123."},
        {"%*5d", [] { KZ_DebugText(0, 0, "%*5d", 42); }, "***42."},
        {"%f2", [] { KZ_DebugText(0, 0, "%f2", 3.14159); }, "3.14."},
        {"%f1", [] { KZ_DebugText(0, 0, "%f1", -0.25); }, "-0.2."},
        {"%f0", [] { KZ_DebugText(0, 0, "%f0", 12.9); }, "12.."},
        {"%s", [] { KZ_DebugText(0, 0, "<%s>", "OK"); }, "<OK>."},
        {"%x", [] { KZ_DebugText(0, 0, "%x", 255); }, "FF."},
        {"%x zero", [] { KZ_DebugText(0, 0, "%x", 0); }, "0."},
        {"%x high", [] { KZ_DebugText(0, 0, "%x", 0x80000001u); }, "80000001."},
        {"%5d at the end", [] { KZ_DebugText(0, 0, "%5d"); }, "%5d."},
        {"% other", [] { KZ_DebugText(0, 0, "100%!"); }, "100%!."},
        {"slash", [] { KZ_DebugText(0, 0, "a/b"); }, "a/b."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::fill_n(kz_debugmap, 4096, 0u);
        c.print();
        const std::string want = c.shown;
        EXPECT_EQ(row_text(0, 0, int(want.size())), want);
        EXPECT_EQ(row_text(0, 1, 4), "....");
    }
}

TEST_F(DebugText, ColoursLastForOneCall) {
    kz_debug_color = 5;
    KZ_DebugText(0, 0, "%c2A%c3B");
    EXPECT_EQ(row_text(0, 0, 2), "AB");
    EXPECT_EQ(colour(0, 0), 2);
    EXPECT_EQ(colour(1, 0), 3);
    EXPECT_EQ(kz_debug_color, 5);
    KZ_DebugText(0, 1, "%c1%s", "OK");
    EXPECT_EQ(row_text(0, 1, 2), "OK");
    EXPECT_EQ(colour(0, 1), 1);
    EXPECT_EQ(colour(1, 1), 1);
    KZ_DebugText(0, 2, "C");
    EXPECT_EQ(colour(0, 2), 5);
}

TEST_F(DebugText, ColourReplacesTheMapsPaletteBits) {
    font.map['Q'] = 'Q' | (7u << 27) | (1u << 25);
    KZ_DebugText(0, 0, "%c3Q");
    EXPECT_EQ(cell(0, 0), 'Q' | (3u << 27) | (1u << 25));
}

TEST_F(DebugText, LinesWrapAndBreak) {
    KZ_DebugText(38, 0, "abcd\nef");
    EXPECT_EQ(row_text(38, 0, 2), "ab");
    EXPECT_EQ(row_text(0, 1, 2), "cd");
    EXPECT_EQ(row_text(38, 1, 2), "ef");

    KZ_DebugText(5, 10, "x/ny\n\nz");
    EXPECT_EQ(cell(5, 10) & 0xFFF, 'x');
    EXPECT_EQ(cell(5, 11) & 0xFFF, 'y');
    EXPECT_EQ(cell(5, 12), 0u);
    EXPECT_EQ(cell(5, 13) & 0xFFF, 'z');
}

TEST_F(DebugText, LastCellIsRow52Column39) {
    KZ_DebugText(38, 52, "LMNOP");
    EXPECT_EQ(row_text(38, 52, 2), "LM");
    for (int n = 40 * 53; n < 4096; n++) ASSERT_EQ(kz_debugmap[n], 0u) << n;
    KZ_DebugText(0, 53, "Z");
    for (int n = 40 * 53; n < 4096; n++) ASSERT_EQ(kz_debugmap[n], 0u) << n;
}

TEST_F(DebugText, ReinitialisingClearsTheGrid) {
    KZ_DebugText(0, 0, "hello");
    KZ_InitCustomDebug(0, &font.record);
    EXPECT_EQ(row_text(0, 0, 5), ".....");
}

TEST(DebugOverlay, NothingPrintsBeforeInitialisation) {
    engine_reset();
    std::fill_n(kz_debugmap, 4096, 0u);
    KZ_DebugText(0, 0, "abc");
    for (uint32_t c : kz_debugmap) ASSERT_EQ(c, 0u);
}

// A font of tiny tiles would ask for more cells than the grid holds: the
// overlay keeps to the rows that fit.
TEST(DebugOverlay, SmallTilesKeepToTheGrid) {
    engine_reset();
    IdentityFont font;
    const int32_t info[6] = {1, 1, 96, 27, 3, 3};
    font.record.info = info;
    KZ_InitCustomDebug(1, &font.record);
    EXPECT_EQ(debug_width, 80);
    EXPECT_EQ(debug_height, 51);
    EXPECT_LE(debug_width * debug_height, 4096);
    EXPECT_EQ(kz_bg[1].maph * kz_bg[1].tileh, kz_bg[1].height);
    KZ_DebugText(79, 60, "x");
    KZ_ShowBg(1);  // stays within the grid (checked by the sanitizer build)
    engine_reset();
}

// The built-in font: the grid of 40 x 53 cells of 6 x 6 pixels, drawn in the
// chosen colour through palette k.
TEST(DebugOverlay, BuiltInFontDrawsInColour) {
    engine_reset();
    KZ_InitDebug(0);
    EXPECT_EQ(debug_width, 40);
    EXPECT_EQ(debug_height, 53);
    EXPECT_EQ(kz_debugtruemap, kz_debug.map);
    KZ_DebugText(1, 2, "%c1A");
    EXPECT_EQ(kz_debugmap[2 * 40 + 1], (kz_debug.map['A'] & ~kPaletteBits) | (1u << 27));

    std::fill_n(kz_buffer, KZ_SCREEN_W * KZ_SCREEN_H, uint16_t(0x1234));
    KZ_ShowBg(0);
    int ink = 0;
    for (int y = 0; y < 320; y++) {
        for (int x = 0; x < 240; x++) {
            const uint16_t p = kz_buffer[y * 240 + x];
            const bool inside = x >= 6 && x < 12 && y >= 12 && y < 18;
            if (!inside) {
                ASSERT_EQ(p, 0x1234) << x << "," << y;
            } else if (p != 0x1234) {
                ASSERT_EQ(p, 0xF800) << x << "," << y;
                ink++;
            }
        }
    }
    EXPECT_GT(ink, 4);
    engine_reset();
}

// The frame loop writes the frame rate into the overlay when asked.
TEST(DebugOverlay, FrameRateLine) {
    auto digit_of = [](uint32_t c) {
        if (c == 0) return '.';
        for (char d = '0'; d <= '9'; d++)
            if (c == kz_debug.map[uint8_t(d)]) return d;
        return c == kz_debug.map[' '] ? ' ' : '?';
    };
    std::string shown, hidden;
    int32_t rate = -1;
    run_game([&] {
        KZ_Init();
        KZ_InitDebug(0);
        kz_showfps = 1;
        for (int n = 0; n < 3; n++) KZ_Refresh();
        rate = kz_FPS;  // measured anew only every 32 frames
        for (int k = 0; k < 6; k++) shown += digit_of(kz_debugmap[k]);
        KZ_InitDebug(0);
        kz_showfps = 0;
        KZ_Refresh();
        for (int k = 0; k < 6; k++) hidden += digit_of(kz_debugmap[k]);
        return 0;
    });
    // The rate, then two spaces that wipe the digits of a longer earlier
    // value; the built-in space is an empty cell.
    const char blank = kz_debug.map[' '] == 0 ? '.' : ' ';
    const size_t digits = shown.find_first_not_of("0123456789");
    ASSERT_GT(digits, 0u) << shown;
    ASSERT_NE(digits, std::string::npos) << shown;
    EXPECT_EQ(shown.substr(0, digits), std::to_string(rate));
    EXPECT_EQ(shown.substr(digits, 2), std::string(2, blank)) << shown;
    EXPECT_EQ(hidden, "......");
}

}  // namespace
