// GIF decoding speed in megapixels per second: the engine's 8-bit and 16-bit
// forms beside giflib's own DGifSlurp on the same files (shared corpus files
// when present, else a generated picture).
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "ZAriz.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Sample {
    std::string name;
    Bytes gif;
    int w = 0, h = 0;
};

// A 240 x 320 picture of soft bands in 256 colours, made with giflib's encoder.
Bytes generated_gif() {
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, [](GifFileType* g, const GifByteType* data, int n) {
        auto* v = static_cast<Bytes*>(g->UserData);
        v->insert(v->end(), data, data + n);
        return n;
    }, &error);
    std::vector<GifColorType> colours(256);
    for (int i = 0; i < 256; ++i) colours[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i * 3)};
    ColorMapObject* map = GifMakeMapObject(256, colours.data());
    EGifPutScreenDesc(gif, 240, 320, 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, 240, 320, false, nullptr);
    Bytes line(240);
    for (int y = 0; y < 320; ++y) {
        for (int x = 0; x < 240; ++x) line[x] = uint8_t((x / 3 + y / 5 + (x * y) / 97) & 0xFF);
        EGifPutLine(gif, line.data(), 240);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

std::vector<Sample> samples() {
    std::vector<Sample> list;
#ifdef ZARIZ_SOURCE_DIR
    const std::string source_dir = ZARIZ_SOURCE_DIR;
#else
    // The source tree is the directory above this file's own.
    std::string source_dir = __FILE__;
    source_dir = source_dir.substr(0, source_dir.find_last_of('/'));
    source_dir = source_dir.substr(0, source_dir.find_last_of('/'));
#endif
    const std::string corpus = source_dir + "/../shared/gif-corpus/valid/";
    for (const char* name : {"hopper.gif", "pil-transparent.gif", "gifrs-interlaced.gif"}) {
        std::ifstream in(corpus + name, std::ios::binary);
        Bytes gif((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (gif.size() < 10) continue;
        list.push_back({name, gif, gif[6] | gif[7] << 8, gif[8] | gif[9] << 8});
    }
    Bytes gif = generated_gif();
    list.push_back({"generated-240x320", gif, 240, 320});
    return list;
}

struct Source {
    const uint8_t* pos;
    const uint8_t* end;
};

int read_memory(GifFileType* gif, GifByteType* buffer, int length) {
    auto* s = static_cast<Source*>(gif->UserData);
    const size_t n = std::min(size_t(length), size_t(s->end - s->pos));
    std::memcpy(buffer, s->pos, n);
    s->pos += n;
    return int(n);
}

void set_rate(benchmark::State& state, const Sample& s) {
    state.counters["Mpx/s"] =
        benchmark::Counter(double(s.w) * s.h * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

void BM_DecodeGif8(benchmark::State& state, const Sample& s) {
    KZ_GifInfo.first = 0;
    KZ_GifInfo.last = INT32_MAX;
    Bytes out(size_t(s.w) * s.h);
    std::vector<uint16_t> palette(256);
    for (auto _ : state) {
        if (DecodeGif(s.gif.data(), s.gif.size(), out.data(), palette.data(), 0, int16_t(s.w)) != KZ_GIF_OK)
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(out.data());
    }
    set_rate(state, s);
}

void BM_DecodeGif16(benchmark::State& state, const Sample& s) {
    KZ_GifInfo.first = 0;
    KZ_GifInfo.last = INT32_MAX;
    std::vector<uint16_t> out(size_t(s.w) * s.h);
    for (auto _ : state) {
        if (DecodeGif(s.gif.data(), s.gif.size(), out.data(), nullptr, 1, int16_t(s.w)) != KZ_GIF_OK)
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(out.data());
    }
    set_rate(state, s);
}

void BM_DGifSlurp(benchmark::State& state, const Sample& s) {
    for (auto _ : state) {
        Source source{s.gif.data(), s.gif.data() + s.gif.size()};
        int error = 0;
        GifFileType* gif = DGifOpen(&source, read_memory, &error);
        if (!gif || DGifSlurp(gif) != GIF_OK) state.SkipWithError("slurp failed");
        if (gif) {
            benchmark::DoNotOptimize(gif->SavedImages);
            DGifCloseFile(gif, &error);
        }
    }
    set_rate(state, s);
}

const bool registered = [] {
    for (const Sample& s : samples()) {
        benchmark::RegisterBenchmark(("DecodeGif8/" + s.name).c_str(), BM_DecodeGif8, s);
        benchmark::RegisterBenchmark(("DecodeGif16/" + s.name).c_str(), BM_DecodeGif16, s);
        benchmark::RegisterBenchmark(("DGifSlurp/" + s.name).c_str(), BM_DGifSlurp, s);
    }
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
