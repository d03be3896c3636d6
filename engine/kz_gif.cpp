// GIF pictures held in memory: decoding through giflib into 8-bit indices with
// an RGB565 palette or into RGB565 pixels, with the animation delays played
// out through the frame loop; and the image records and bitmap layers made
// from them.
//
// Every entry point takes the length of the data, and any GIF, however
// broken, decodes within its buffers or is refused with nothing left behind.
#include "ZAriz.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>

uint8_t GifBits;
uint16_t kz_gif_pal[256];
uint8_t LineBuf[2048];
const int16_t InterlacedOffset[4] = {0, 4, 2, 1};
const int16_t InterlacedJumps[4] = {8, 8, 4, 2};
KZ_GifPlayback KZ_GifInfo = {0, 0, 0, 1.0f, 1};
KZ_Image* kz_sprite_alloc[2048];
uint16_t kz_nsprite_alloc;

namespace {

// The reader's cursor: giflib keeps a pointer to it as its user data.
struct GifSource {
    const uint8_t* pos;
    const uint8_t* end;
};

// Closes the giflib handle on every way out of a decode, including a window
// closed while a delay runs frames (the frame loop then throws).
struct GifHandle {
    GifFileType* gif = nullptr;
    GifHandle() = default;
    GifHandle(const GifHandle&) = delete;
    GifHandle& operator=(const GifHandle&) = delete;
    ~GifHandle() {
        if (gif) {
            int error = 0;
            DGifCloseFile(gif, &error);
        }
    }
};

// Copies what is left of the data, up to length bytes; a short count tells
// giflib the data ended.
int readFunc(GifFileType* handle, GifByteType* buffer, int length) {
    auto* source = static_cast<GifSource*>(handle->UserData);
    if (length <= 0) return 0;
    const size_t count = std::min(size_t(length), size_t(source->end - source->pos));
    if (count) std::memcpy(buffer, source->pos, count);
    source->pos += count;
    return int(count);
}

// One line, or a piece of one, into the destination. In 16-bit form the
// indices pass through LineBuf, so a line wider than it goes in pieces.
int DGifGetLineByte(GifFileType* handle, void* destination, int width) {
    if (GifBits == 0) return DGifGetLine(handle, static_cast<GifPixelType*>(destination), width);
    auto* out = static_cast<uint16_t*>(destination);
    while (width > 0) {
        const int count = std::min(width, int(sizeof LineBuf));
        if (DGifGetLine(handle, LineBuf, count) == GIF_ERROR) return GIF_ERROR;
        CopyLine2(out, LineBuf, count);
        out += count;
        width -= count;
    }
    return GIF_OK;
}

// Decodes pixels that fall outside the destination, to keep the LZW stream in step.
int kz_gifdiscard(GifFileType* handle, long count) {
    while (count > 0) {
        const int piece = int(std::min(count, long(sizeof LineBuf)));
        if (DGifGetLine(handle, LineBuf, piece) == GIF_ERROR) return GIF_ERROR;
        count -= piece;
    }
    return GIF_OK;
}

void kz_gifpalette(uint16_t* palette, const ColorMapObject* map) {
    if (!map || !map->Colors) {
        // No colour map anywhere: the picture decodes against black.
        std::fill_n(palette, 256, uint16_t(0));
        return;
    }
    for (int i = std::clamp(map->ColorCount, 0, 256) - 1; i >= 0; --i) {
        const GifColorType& c = map->Colors[i];
        palette[i] = uint16_t((c.Red >> 3) << 11 | (c.Green >> 2) << 5 | (c.Blue >> 3));
    }
}

// Image descriptor record: palette, then the rows at their place, clipped to
// clipw x cliph pixels of the destination.
bool kz_gifimage(GifFileType* handle, void* pixels, uint16_t* palette, int stride, int clipw, int cliph) {
    if (DGifGetImageDesc(handle) == GIF_ERROR) return false;
    const GifImageDesc& image = handle->Image;

    if (KZ_GifInfo.frame >= KZ_GifInfo.first && palette)
        kz_gifpalette(palette, image.ColorMap ? image.ColorMap : handle->SColorMap);

    const long width = image.Width, height = image.Height;
    if (width <= 0 || height <= 0) {
        // No pixels to decode: pass over the image's data blocks.
        int codesize = 0;
        GifByteType* block = nullptr;
        if (DGifGetCode(handle, &codesize, &block) == GIF_ERROR) return false;
        while (block)
            if (DGifGetCodeNext(handle, &block) == GIF_ERROR) return false;
        return true;
    }

    const long left = image.Left, top = image.Top;
    const int visible = int(std::clamp(long(clipw) - left, 0L, width));
    auto row = [&](long r) {
        const long y = top + r;
        if (y >= cliph || visible == 0) return kz_gifdiscard(handle, width) != GIF_ERROR;
        const size_t offset = size_t(y) * size_t(stride) + size_t(left);
        void* line = GifBits ? static_cast<void*>(static_cast<uint16_t*>(pixels) + offset)
                             : static_cast<void*>(static_cast<uint8_t*>(pixels) + offset);
        return DGifGetLineByte(handle, line, visible) != GIF_ERROR &&
               kz_gifdiscard(handle, width - visible) != GIF_ERROR;
    };
    if (!image.Interlace) {
        for (long r = 0; r < height; ++r)
            if (!row(r)) return false;
    } else {
        for (int pass = 0; pass < 4; ++pass)
            for (long r = InterlacedOffset[pass]; r < height; r += InterlacedJumps[pass])
                if (!row(r)) return false;
    }
    return true;
}

// Runs frames for a delay of d frames. True when the player was stopped.
bool kz_gifwait(double d) {
    int64_t k = 0;
    do {
        KZ_Refresh();
        while (KZ_GifInfo.state == 2) KZ_Refresh();  // a paused wait counts nothing
        if (KZ_GifInfo.state == 0) return true;
        ++k;
    } while (d > double(float(k) * KZ_GifInfo.speed));
    return false;
}

enum class Ext { Next, Stopped, Failed };

Ext kz_gifextension(GifFileType* handle) {
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(handle, &code, &block) == GIF_ERROR) return Ext::Failed;
    while (block) {
        if (code == GRAPHICS_EXT_FUNC_CODE) {
            const int32_t previous = KZ_GifInfo.frame;
            const int32_t n = previous == INT32_MAX ? previous : previous + 1;
            if (n > KZ_GifInfo.last) KZ_GifInfo.state = 0;
            KZ_GifInfo.frame = n;
            if (previous >= KZ_GifInfo.first) {
                // Hundredths of a second at bytes 2 and 3; a block too short to hold them has none.
                const unsigned delay = block[0] >= 3 ? unsigned(block[2] | block[3] << 8) : 0u;
                // Frames at a fixed 40 per second, whatever the frame rate is set to.
                const double d = delay * 40.0 / 100.0;
                if (d > 0 && kz_gifwait(d)) return Ext::Stopped;
            }
        }
        if (DGifGetExtensionNext(handle, &block) == GIF_ERROR) return Ext::Failed;
    }
    return Ext::Next;
}

bool kz_gifsideok(long side) { return side >= 1 && side <= KZ_GIF_MAXSIDE; }

// Logical screen size from bytes 6 to 9 of the header, refused outside 1..KZ_GIF_MAXSIDE.
// The layer loaders read it signed, the sprite loader unsigned; within the bound both agree.
bool kz_gifscreen(const uint8_t* gif, size_t size, bool sign, int& w, int& h) {
    if (!gif || size < 10) return false;
    const unsigned uw = gif[6] | gif[7] << 8, uh = gif[8] | gif[9] << 8;
    w = sign ? int(int16_t(uw)) : int(uw);
    h = sign ? int(int16_t(uh)) : int(uh);
    return kz_gifsideok(w) && kz_gifsideok(h);
}

int kz_giftranspindex(const uint16_t* palette) {
    for (int i = 0; i < 256; ++i)
        if (palette[i] == kz_transpcolor) return i;
    return -1;
}

// Count stream of a picture whose transparent index is 0. Counts above 255
// are split so that they draw the same: a skip goes on after a run of 0, a run
// after a skip of 0. With out null only measures. Returns the length without
// the four closing bytes, or 0 when a row would begin beyond what a 16-bit
// list entry can address.
size_t kz_rlestream(const uint8_t* pixels, int w, int h, uint16_t* rlelist, uint8_t* out) {
    size_t pos = 0;
    auto put = [&](uint8_t count) {
        if (out) out[pos] = count;
        ++pos;
    };
    auto span = [&](int count) {
        for (; count > 255; count -= 255) {
            put(255);
            put(0);
        }
        put(uint8_t(count));
    };
    for (int y = 0; y < h; ++y) {
        if (pos > 0xFFFF) return 0;
        if (rlelist) rlelist[y] = uint16_t(pos);
        const uint8_t* row = pixels + size_t(y) * size_t(w);
        int x = 0;
        for (;;) {
            const int skip = int(std::find_if(row + x, row + w, [](uint8_t p) { return p != 0; }) - (row + x));
            span(skip);
            x += skip;
            if (x == w) break;
            const int run = int(std::find(row + x, row + w, uint8_t(0)) - (row + x));
            span(run);
            x += run;
            if (x == w) break;
        }
    }
    return pos;
}

void kz_freeimage(KZ_Image* image) {
    if (!image) return;
    std::free(image->pixels);
    std::free(image->palette);
    std::free(image->rle);
    std::free(image->rlelist);
    std::free(image);
}

struct ImageFree {
    void operator()(KZ_Image* image) const { kz_freeimage(image); }
};

}  // namespace

void CopyLine2(uint16_t* destination, const uint8_t* source, int count) {
    for (int i = 0; i < count; ++i) destination[i] = kz_gif_pal[source[i]];
}

int32_t DecodeGif(const uint8_t* gif, size_t size, void* pixels, uint16_t* palette, uint8_t depth,
                  int16_t stride) {
    if (depth) palette = kz_gif_pal;
    KZ_GifInfo.speed = 1.0f;
    KZ_GifInfo.frame = 0;
    KZ_GifInfo.state = 1;
    GifBits = depth;
    if ((!gif && size) || !pixels || stride < 1) return KZ_GIF_EARGS;
    // Indices beyond the colour map then give black, not what an earlier picture left.
    if (depth) std::fill(std::begin(kz_gif_pal), std::end(kz_gif_pal), uint16_t(0));

    GifSource source{gif, gif + size};
    GifHandle handle;
    int error = 0;
    handle.gif = DGifOpen(&source, readFunc, &error);
    if (!handle.gif) return KZ_GIF_ENOTGIF;
    if (!kz_gifsideok(handle.gif->SWidth) || !kz_gifsideok(handle.gif->SHeight)) return KZ_GIF_ESCREEN;
    const int clipw = std::min(int(handle.gif->SWidth), int(stride));
    const int cliph = handle.gif->SHeight;

    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        handle.gif->Error = 0;
        // A byte that starts no record is passed over; running out of data is not.
        if (DGifGetRecordType(handle.gif, &type) == GIF_ERROR && handle.gif->Error != D_GIF_ERR_WRONG_RECORD)
            return KZ_GIF_EDATA;
        switch (type) {
            case IMAGE_DESC_RECORD_TYPE:
                if (!kz_gifimage(handle.gif, pixels, palette, stride, clipw, cliph)) return KZ_GIF_EDATA;
                break;
            case EXTENSION_RECORD_TYPE:
                switch (kz_gifextension(handle.gif)) {
                    case Ext::Failed: return KZ_GIF_EDATA;
                    case Ext::Stopped: return KZ_GIF_OK;
                    case Ext::Next: break;
                }
                break;
            case TERMINATE_RECORD_TYPE: return KZ_GIF_OK;
            default: break;
        }
    }
}

KZ_Image* KZ_GifToSprite(const uint8_t* gif, size_t size) {
    // The registry has room for a fixed number of records; beyond it, refuse.
    if (kz_nsprite_alloc >= std::size(kz_sprite_alloc)) return nullptr;
    int w = 0, h = 0;
    if (!kz_gifscreen(gif, size, false, w, h)) return nullptr;

    // Owned here until registered, so that a refusal or a window closed
    // during a delay leaves nothing behind.
    std::unique_ptr<KZ_Image, ImageFree> image(static_cast<KZ_Image*>(std::calloc(1, sizeof(KZ_Image))));
    if (!image) return nullptr;
    // Cleared blocks: pixels no image covers are 0, palette entries above the colour map are black.
    image->pixels = std::calloc(size_t(w) * size_t(h), 1);
    image->palette = static_cast<uint16_t*>(std::calloc(256, sizeof(uint16_t)));
    image->depth = 1;
    image->width = w;
    image->height = h;
    auto* pixels = static_cast<uint8_t*>(image->pixels);
    if (!pixels || !image->palette) return nullptr;
    if (DecodeGif(gif, size, pixels, image->palette, 0, int16_t(w)) != KZ_GIF_OK) return nullptr;

    const int t = kz_giftranspindex(image->palette);
    if (t < 0) {
        image->full = 1;
    } else {
        if (t != 0) {
            for (int i = 0; i < 256; ++i) kz_gif_pal[i] = uint16_t(i);
            kz_gif_pal[0] = uint16_t(t);
            kz_gif_pal[t] = 0;
            std::swap(image->palette[0], image->palette[t]);
            for (size_t i = 0, n = size_t(w) * size_t(h); i < n; ++i) pixels[i] = uint8_t(kz_gif_pal[pixels[i]]);
        }
        const size_t length = kz_rlestream(pixels, w, h, nullptr, nullptr);
        if (length == 0) return nullptr;  // rows the 16-bit list cannot reach
        image->rlelist = static_cast<uint16_t*>(std::malloc(size_t(h) * sizeof(uint16_t)));
        image->rle = static_cast<uint8_t*>(std::malloc(length + 4));
        if (!image->rlelist || !image->rle) return nullptr;
        kz_rlestream(pixels, w, h, image->rlelist, image->rle);
        std::fill_n(image->rle + length, 4, uint8_t(0xFF));
        image->full = 0;
    }
    kz_sprite_alloc[kz_nsprite_alloc++] = image.get();
    return image.release();
}

namespace {

// Deletes the layer unless the load completes, so that a refused GIF, or a
// window closed during a delay, leaves the layer free.
struct LayerLoad {
    uint8_t layer;
    bool done = false;
    ~LayerLoad() {
        if (!done) KZ_BgDelete(layer);
    }
};

}  // namespace

void KZ_BgLoadGif(uint8_t layer, const uint8_t* gif, size_t size) {
    LayerLoad load{layer};
    int w = 0, h = 0;
    if (!kz_gifscreen(gif, size, true, w, h)) return;
    KZ_BgLoad8bitBitmap(layer, int16_t(w), int16_t(h), 1);
    KZ_Bg& bg = kz_bg[layer];
    if (!bg.active || !bg.pixels || !bg.palette) return;
    std::memset(bg.pixels, 0, size_t(w) * size_t(h));
    std::fill_n(bg.palette, 256, uint16_t(0));
    if (DecodeGif(gif, size, bg.pixels, bg.palette, 0, int16_t(w)) != KZ_GIF_OK) return;
    bg.full = kz_giftranspindex(bg.palette) < 0 ? 1 : 0;
    load.done = true;
}

void KZ_BgLoadGif16bit(uint8_t layer, const uint8_t* gif, size_t size) {
    LayerLoad load{layer};
    int w = 0, h = 0;
    if (!kz_gifscreen(gif, size, true, w, h)) return;
    KZ_BgLoadBitmap(layer, int16_t(w), int16_t(h), 1);
    KZ_Bg& bg = kz_bg[layer];
    if (!bg.active || !bg.pixels) return;
    std::fill_n(static_cast<uint16_t*>(bg.pixels), size_t(w) * size_t(h), uint16_t(0));
    if (DecodeGif(gif, size, bg.pixels, kz_gif_pal, 1, int16_t(w)) != KZ_GIF_OK) return;
    bg.full = kz_giftranspindex(kz_gif_pal) < 0 ? 1 : 0;
    load.done = true;
}

void kz_cleanspritealloc() {
    for (uint16_t i = 0; i < kz_nsprite_alloc; ++i) {
        kz_freeimage(kz_sprite_alloc[i]);
        kz_sprite_alloc[i] = nullptr;
    }
    kz_nsprite_alloc = 0;
}
