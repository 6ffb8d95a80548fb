// Speed of showing a frame on Linux: the conversion of the frame image into
// the X image's pixels, the byte loop kept as the reference beside each
// kernel of the converter that the saver runs, at the saver's usual sizes and
// on the pixel layouts it meets (32-bit TrueColor, packed 24-bit, and 16-bit
// frames onto a 5-6-5 visual).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "platform/posix/x11/frame_converter.h"
#include "platform/posix/x11/pixel_format.h"

namespace brindlemar::x11 {
namespace {

// Arguments: width, height, layout (0: 24-bit frame onto 32-bit pixels, 1:
// onto packed 24-bit pixels, 2: 16-bit frame onto 5-6-5), kernel (-1: the
// reference byte loop, else a ConvertPath limit).
void BM_Present(benchmark::State& state) {
  const auto width = static_cast<int32_t>(state.range(0));
  const auto height = static_cast<int32_t>(state.range(1));
  const int64_t kind = state.range(2);
  const int64_t kernel = state.range(3);
  BitmapHeader header;
  header.width = width;
  header.height = height + 2;
  header.bitCount = kind == 2 ? 16 : 24;
  if (kind == 2) {
    header.compression = 3;
    header.masks[0] = 0x7C00;
    header.masks[1] = 0x03E0;
    header.masks[2] = 0x001F;
  }
  PixelLayout layout;
  if (kind == 1) layout.bytesPerPixel = 3;
  if (kind == 2) layout = {0xF800, 0x07E0, 0x001F, 0, 2, false};
  std::vector<uint8_t> frame(RowStride(width, header.bitCount) * static_cast<size_t>(header.height));
  std::mt19937 random(1);
  for (uint8_t& byte : frame) byte = static_cast<uint8_t>(random());
  const size_t outStride = static_cast<size_t>(width) * static_cast<size_t>(layout.bytesPerPixel == 3 ? 3 : 4);
  std::vector<uint8_t> out(outStride * static_cast<size_t>(height));
  FrameConverter converter;
  if (kernel >= 0) converter.LimitPath(static_cast<ConvertPath>(kernel));
  // Besides the mean, the fastest single conversion: on a shared machine the
  // one that other work disturbed least.
  double fastest = 1e30;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (kernel < 0) {
      ConvertFrameReference(frame.data(), header, width, height, layout, out.data(), outStride);
    } else {
      converter.Convert(frame.data(), header, width, height, layout, out.data(), outStride);
    }
    benchmark::ClobberMemory();
    fastest = std::min(fastest, std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
  }
  state.SetItemsProcessed(state.iterations() * width * height);
  state.counters["fastest_us"] = fastest;
  const char* kinds[] = {"24 onto 32", "24 onto packed 24", "16 onto 5-6-5"};
  const char* kernels[] = {"tables", "ssse3", "avx2"};
  state.SetLabel(std::string(kinds[kind]) + ", " +
                 (kernel < 0 ? "reference" : kernels[static_cast<int32_t>(converter.Path())]));
}

void PresentArguments(benchmark::internal::Benchmark* b) {
  for (auto size : {std::pair<int64_t, int64_t>{1280, 1024}, {1920, 1080}}) {
    for (int64_t kernel : {-1, 0, 1, 2}) b->Args({size.first, size.second, 0, kernel});
  }
  for (int64_t kind : {1, 2}) {
    for (int64_t kernel : {-1, 0, 1}) b->Args({1280, 1024, kind, kernel});
  }
  b->ArgNames({"width", "height", "layout", "kernel"});
}
// The machine is shared: the fastest of the repetitions (run with
// --benchmark_repetitions) is the one least disturbed by other work.
double Fastest(const std::vector<double>& times) { return *std::min_element(times.begin(), times.end()); }

BENCHMARK(BM_Present)->Apply(PresentArguments)->ComputeStatistics("min", Fastest)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace brindlemar::x11
