// The process entry: reads the desktop options, chooses the display and runs
// the program through WinMain.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ZAriz.h"
#include "game.h"
#include "platform/display.h"

namespace {

const char* const USAGE =
    "usage: zariz [--scale N] [--fullscreen] [--headless] [--frames N] [--seed N]\n"
    "             [--screenshot FILE] [--demo] [--help]\n"
    "  --scale N          window scale (integer 1..16; default: the largest that fits)\n"
    "  --fullscreen       start in desktop full screen (F11 or Alt+Return toggles)\n"
    "  --headless         no window; a virtual clock runs the frames as fast as possible\n"
    "  --frames N         leave cleanly after N frames\n"
    "  --seed N           seed the random numbers with N instead of the time\n"
    "  --screenshot FILE  write the last shown picture as PNG (.png) or BMP when the program ends\n"
    "  --demo             the game plays by itself\n"
    "  --help             show this text\n";

int usage_error(const std::string& message) {
    fprintf(stderr, "zariz: %s\n%s", message.c_str(), USAGE);
    return 2;
}

bool parse_number(const char* text, long low, long high, long& value) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    long v = strtol(text, &end, 10);
    if (errno || *end || v < low || v > high) return false;
    value = v;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    zp::SdlOptions sdl;
    bool headless = false;
    long frames = 0, seed = -1;
    const char* screenshot = nullptr;

    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        auto value = [&](long low, long high, long& out) {
            if (i + 1 >= argc) return false;
            return parse_number(argv[++i], low, high, out);
        };
        if (arg == "--help" || arg == "-h") {
            fputs(USAGE, stdout);
            return 0;
        } else if (arg == "--scale") {
            long s;
            if (!value(1, 16, s)) return usage_error("--scale needs a whole number from 1 to 16");
            sdl.scale = int(s);
        } else if (arg == "--fullscreen") {
            sdl.fullscreen = true;
        } else if (arg == "--headless") {
            headless = true;
        } else if (arg == "--frames") {
            if (!value(1, INT_MAX, frames)) return usage_error("--frames needs a whole number of at least 1");
        } else if (arg == "--seed") {
            if (!value(0, UINT_MAX, seed)) return usage_error("--seed needs a whole number from 0 to 4294967295");
        } else if (arg == "--screenshot") {
            if (i + 1 >= argc || !*argv[i + 1]) return usage_error("--screenshot needs a file name");
            screenshot = argv[++i];
        } else if (arg == "--demo") {
            game::demo = true;
        } else {
            return usage_error("unknown option '" + arg + "'");
        }
    }

    if (headless) {
        zp::use_headless();
    } else if (!zp::use_sdl(sdl)) {
        fprintf(stderr, "zariz: cannot open a window (no display?); try --headless\n");
        return 1;
    }
    if (frames > 0) zp::set_frame_limit(unsigned(frames));
    if (seed >= 0) zp::set_seed(unsigned(seed));

    static int instance;
    int result = WinMain(reinterpret_cast<HINSTANCE>(&instance), nullptr, nullptr, 0);

    if (screenshot && !zp::save_picture(screenshot)) {
        fprintf(stderr, "zariz: could not write the picture to '%s'\n", screenshot);
        result = 1;
    }
    zp::shutdown();
    return result;
}
