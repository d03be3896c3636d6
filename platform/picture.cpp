// Writing the last shown picture to a file: PNG (stored, uncompressed deflate
// blocks, so no compressor is needed) or BMP (24-bit).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/display.h"

namespace zp {
namespace {

constexpr int W = 240;
constexpr int H = 320;

void rgb888(uint16_t p, uint8_t& r, uint8_t& g, uint8_t& b) {
    r = uint8_t(((p >> 11) & 31) * 255 / 31);
    g = uint8_t(((p >> 5) & 63) * 255 / 63);
    b = uint8_t((p & 31) * 255 / 31);
}

uint32_t crc32(const uint8_t* data, size_t n, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < n; i++) {
        crc ^= data[i];
        for (int k = 0; k < 8; k++) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}

void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    put32(out, uint32_t(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32(out, crc32(out.data() + start, out.size() - start));
}

std::vector<uint8_t> png(const uint16_t* pixels) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < H; y++) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < W; x++) {
            uint8_t r, g, b;
            rgb888(pixels[y * W + x], r, g, b);
            raw.insert(raw.end(), {r, g, b});
        }
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t pos = 0; pos < raw.size();) {
        size_t n = std::min<size_t>(65535, raw.size() - pos);
        bool last = pos + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(uint8_t(n));
        z.push_back(uint8_t(n >> 8));
        z.push_back(uint8_t(~n));
        z.push_back(uint8_t(~n >> 8));
        z.insert(z.end(), raw.begin() + long(pos), raw.begin() + long(pos + n));
        pos += n;
    }
    put32(z, (b << 16) | a);
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    put32(ihdr, W);
    put32(ihdr, H);
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    chunk(out, "IHDR", ihdr);
    chunk(out, "IDAT", z);
    chunk(out, "IEND", {});
    return out;
}

std::vector<uint8_t> bmp(const uint16_t* pixels) {
    const uint32_t row = W * 3, size = 54 + row * H;
    std::vector<uint8_t> out(54, 0);
    auto le32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; i++) out[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    out[0] = 'B';
    out[1] = 'M';
    le32(2, size);
    le32(10, 54);
    le32(14, 40);
    le32(18, W);
    le32(22, H);
    out[26] = 1;
    out[28] = 24;
    le32(34, row * H);
    for (int y = H - 1; y >= 0; y--)
        for (int x = 0; x < W; x++) {
            uint8_t r, g, b;
            rgb888(pixels[y * W + x], r, g, b);
            out.insert(out.end(), {b, g, r});
        }
    return out;
}

}  // namespace

bool save_picture(const char* path) {
    const uint16_t* pixels = last_picture();
    if (!pixels || !path) return false;
    std::string name = path;
    bool is_png = name.size() >= 4 && (name.compare(name.size() - 4, 4, ".png") == 0 ||
                                       name.compare(name.size() - 4, 4, ".PNG") == 0);
    std::vector<uint8_t> data = is_png ? png(pixels) : bmp(pixels);
    FILE* f = fopen(path, "wb");
    if (!f) return false;
    bool ok = fwrite(data.data(), 1, data.size(), f) == data.size();
    return fclose(f) == 0 && ok;
}

}  // namespace zp
