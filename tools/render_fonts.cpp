// Renders the five built-in fonts and the debug font, every printable code,
// through the engine (text layer, debug overlay, compositor) and writes the
// picture shown in the window as a PNG.
//
// From the repository root, with the engine built in build/:
//   g++ -std=c++20 -I. -Iengine tools/render_fonts.cpp build/libzariz_engine.a
//       $(pkg-config --libs sdl2) -lgif -o build/render_fonts   (one line)
//   build/render_fonts docs/fonts.png
#include <cstdio>
#include <string>

#include "ZAriz.h"
#include "platform/display.h"

namespace {

// Codes 33 to 126 and the accented letters from 224 up that the font has.
std::string printable(const uint8_t* widths) {
    std::string s;
    for (int c = 33; c < 256; c++)
        if ((c < 127 || c >= 224) && (!widths || widths[c])) s += char(c);
    return s;
}

}  // namespace

namespace game {
int main() {
    KZ_Init();
    kz_showfps = 0;
    kz_bgcolor = 0x2104;
    KZ_LoadTextBg(4);
    const uint16_t inks[5] = {0xFFFF, 0xFFE0, 0x07FF, 0x87F0, 0xFD20};
    int y = 2;
    for (uint8_t font = 0; font < 5; font++) {
        const std::string codes = printable(kz_deffonts[font]->LetterWidth);
        // Without spaces the whole run is one word: it breaks at the box's edge.
        KZ_CreateTextEx(4, font, 2, int16_t(y), 237, 319, codes.c_str(), inks[font], font, 32, 1, 0, 0, 4096);
        y = KZ_LetterPos.letter[KZ_LetterPos.count].y + kz_deffonts[font]->height + 3;
    }

    KZ_InitDebug(0);
    std::string debug;
    for (int c = 33; c < 256; c++)
        if ((c < 127 || c >= 224) && kz_debug.map[c]) debug += char(c);
    KZ_DebugText(0, uint16_t((y + 5) / 6), "%c6%s", debug.c_str());

    KZ_Refresh();
    KZ_Refresh();  // the composed frame reaches the window during the next wait
    return 0;
}
}  // namespace game

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "docs/fonts.png";
    zp::use_headless();
    static int instance;
    WinMain(reinterpret_cast<HINSTANCE>(&instance), nullptr, nullptr, 0);
    const bool ok = zp::save_picture(path);
    zp::shutdown();
    if (!ok) fprintf(stderr, "render_fonts: could not write %s\n", path);
    return ok ? 0 : 1;
}
