// Any bytes given to the GIF entry points: decoding in both forms, at the
// GIF's own stride and a narrower one, and the image record with its
// run-length tables. Destinations are exactly as large as the contract says,
// so the sanitizers catch any write outside them.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ZAriz.h"
#include "platform/display.h"

namespace {

// Screens above this many pixels are only checked for refusal, to keep runs fast.
constexpr size_t kMaxPixels = size_t(1) << 18;

void check(bool ok) {
    if (!ok) std::abort();
}

// The count stream of every row covers the row exactly, transparent spans
// where the index is 0 and opaque ones elsewhere, and four FF bytes close it.
void check_image(const KZ_Image* image) {
    check(image->depth == 1 && image->palette && image->pixels);
    if (image->full) {
        check(!image->rle && !image->rlelist);
        return;
    }
    check(image->palette[0] == kz_transpcolor);
    const auto* pixels = static_cast<const uint8_t*>(image->pixels);
    const uint8_t* end = image->rle;
    for (int row = 0; row < image->height; ++row) {
        const uint8_t* codes = image->rle + image->rlelist[row];
        check(codes == end);
        const uint8_t* line = pixels + size_t(row) * size_t(image->width);
        int x = 0;
        bool skip = true;
        while (x < image->width) {
            const int n = *codes++;
            check(x + n <= image->width);
            for (int i = 0; i < n; ++i, ++x) check((line[x] == 0) == skip);
            skip = !skip;
        }
        end = codes;
    }
    for (int i = 0; i < 4; ++i) check(end[i] == 0xFF);
}

}  // namespace

// The frame loop may run during a delay: give it the headless display.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    zp::use_headless();
    KZ_Init();
    kz_showfps = 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A delay stops the decode after one refresh, so no input runs frames for long.
    KZ_GifInfo.first = 0;
    KZ_GifInfo.last = -1;

    const unsigned w = size >= 10 ? unsigned(data[6] | data[7] << 8) : 0;
    const unsigned h = size >= 10 ? unsigned(data[8] | data[9] << 8) : 0;
    const size_t pixels = size_t(w) * h;
    if (w >= 1 && h >= 1 && w <= KZ_GIF_MAXSIDE && h <= KZ_GIF_MAXSIDE && pixels <= kMaxPixels) {
        std::vector<uint8_t> out8(pixels);
        std::vector<uint16_t> palette(256);
        const int32_t r8 = DecodeGif(data, size, out8.data(), palette.data(), 0, int16_t(w));
        std::vector<uint16_t> out16(pixels);
        const int32_t r16 = DecodeGif(data, size, out16.data(), nullptr, 1, int16_t(w));
        check(r8 == r16);
        std::vector<uint16_t> narrow(size_t(w / 2 + 1) * h);
        DecodeGif(data, size, narrow.data(), nullptr, 1, int16_t(w / 2 + 1));

        if (const KZ_Image* image = KZ_GifToSprite(data, size)) {
            check(r8 == KZ_GIF_OK);
            check(image->width == int(w) && image->height == int(h));
            check_image(image);
        }
        kz_cleanspritealloc();
    } else if (w < 1 || h < 1 || w > KZ_GIF_MAXSIDE || h > KZ_GIF_MAXSIDE) {
        // Refused before a pixel is written, so a single pixel of room is enough.
        uint16_t out = 0;
        check(DecodeGif(data, size, &out, nullptr, 1, 1) != KZ_GIF_OK);
        check(KZ_GifToSprite(data, size) == nullptr);
    }
    return 0;
}
