// Blitter throughput: format conversion, resampling with each filter, a whole mip chain, and
// stb_image_resize's triangle filter on the same resample as the anchor.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "d3dx/blt/blit.h"
#include "zentu/d3dx_tex.h"

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#else
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wunused-function"
#pragma clang diagnostic ignored "-Wmissing-field-initializers"
#pragma clang diagnostic ignored "-Wsign-compare"
#pragma clang diagnostic ignored "-Wunused-parameter"
#endif
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_STATIC
#include <stb/stb_image_resize.h>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#else
#pragma clang diagnostic pop
#endif

namespace {

using zentu::ImageDesc;

struct Image {
  Image(D3DFORMAT format, UINT w, UINT h, UINT bytesPerPixel)
      : pixels(static_cast<size_t>(w) * h * bytesPerPixel) {
    desc.Bits = pixels.data();
    desc.Format = format;
    desc.RowPitch = w * bytesPerPixel;
    desc.Extent = {0, 0, w, h, 0, 1};
    desc.Region = desc.Extent;
    uint32_t s = 12345;
    for (auto& b : pixels) {
      s = s * 1103515245u + 12345u;
      b = static_cast<uint8_t>(s >> 16);
    }
  }
  std::vector<uint8_t> pixels;
  ImageDesc desc;
};

void run(benchmark::State& state, D3DFORMAT srcFormat, UINT srcBytes, UINT sw, UINT sh, D3DFORMAT dstFormat,
         UINT dstBytes, UINT dw, UINT dh, DWORD filter) {
  Image src(srcFormat, sw, sh, srcBytes), dst(dstFormat, dw, dh, dstBytes);
  for (auto _ : state) {
    if (zentu::Blit(dst.desc, src.desc, filter) != D3D_OK) state.SkipWithError("blit failed");
    benchmark::DoNotOptimize(dst.pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(dw) * dh);
}

void BM_ConvertA8R8G8B8ToR5G6B5Dither(benchmark::State& state) {
  run(state, D3DFMT_A8R8G8B8, 4, 1024, 1024, D3DFMT_R5G6B5, 2, 1024, 1024,
      D3DX_FILTER_NONE | D3DX_FILTER_DITHER);
}
void BM_ConvertR8G8B8ToX8R8G8B8(benchmark::State& state) {
  run(state, D3DFMT_R8G8B8, 3, 1024, 1024, D3DFMT_X8R8G8B8, 4, 1024, 1024, D3DX_FILTER_NONE);
}
void BM_Triangle1000x700To640x480(benchmark::State& state) {
  run(state, D3DFMT_A8R8G8B8, 4, 1000, 700, D3DFMT_A8R8G8B8, 4, 640, 480, D3DX_FILTER_TRIANGLE);
}
void BM_Linear1000x700To640x480(benchmark::State& state) {
  run(state, D3DFMT_A8R8G8B8, 4, 1000, 700, D3DFMT_A8R8G8B8, 4, 640, 480, D3DX_FILTER_LINEAR);
}
void BM_Point1000x700To640x480(benchmark::State& state) {
  run(state, D3DFMT_A8R8G8B8, 4, 1000, 700, D3DFMT_A8R8G8B8, 4, 640, 480, D3DX_FILTER_POINT);
}

// The generic mip chain as D3DXFilterTexture builds it with the triangle filter: every level
// straight from level 0.
void BM_MipChainTriangle2048(benchmark::State& state) {
  Image top(D3DFMT_A8R8G8B8, 2048, 2048, 4);
  std::vector<Image> levels;
  int64_t pixels = 0;
  for (UINT s = 1024; s >= 1; s >>= 1) {
    levels.emplace_back(D3DFMT_A8R8G8B8, s, s, 4);
    pixels += static_cast<int64_t>(s) * s;
  }
  for (auto _ : state) {
    for (Image& level : levels)
      if (zentu::Blit(level.desc, top.desc, D3DX_FILTER_TRIANGLE) != D3D_OK)
        state.SkipWithError("blit failed");
    benchmark::DoNotOptimize(levels.back().pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * pixels);
}

void BM_StbTriangle1000x700To640x480(benchmark::State& state) {
  Image src(D3DFMT_A8R8G8B8, 1000, 700, 4), dst(D3DFMT_A8R8G8B8, 640, 480, 4);
  for (auto _ : state) {
    stbir_resize_uint8_generic(src.pixels.data(), 1000, 700, 4000, dst.pixels.data(), 640, 480, 2560, 4,
                               STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP, STBIR_FILTER_TRIANGLE,
                               STBIR_COLORSPACE_LINEAR, nullptr);
    benchmark::DoNotOptimize(dst.pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * 640 * 480);
}

BENCHMARK(BM_ConvertA8R8G8B8ToR5G6B5Dither)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertR8G8B8ToX8R8G8B8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Triangle1000x700To640x480)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StbTriangle1000x700To640x480)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Linear1000x700To640x480)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Point1000x700To640x480)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MipChainTriangle2048)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
