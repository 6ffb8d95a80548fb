// Speed of the animation at 1920 x 1080: whole frames in steady state, the
// grain-motion kernel alone, and the trail fade; each fast path beside the
// plain reference it must equal.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "engine/grain_motion_vector.h"
#include "engine/particle_field.h"
#include "engine/process_state.h"
#include "engine/style_table.h"
#include "overlays/canvas.h"
#include "settings/memory_store.h"
#include "surfaces/fade_kernel.h"
#include "surfaces/heap_frame_image.h"
#include "surfaces/memory_window.h"

namespace brindlemar {
namespace {

constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;
constexpr int32_t kWarmUpFrames = 300;

// A window that shows nothing: a frame here is everything but the transfer
// to a screen.
class NullWindow final : public WindowTarget {
 public:
  explicit NullWindow(FrameImageFactory factory = CreateHeapFrameImage) : factory_(factory) {}
  ResultCode GetClientSize(int32_t& w, int32_t& h) override {
    w = kWidth;
    h = kHeight;
    return kOk;
  }
  std::unique_ptr<FrameImage> CreateFrameImage(const BitmapHeader& header) override { return factory_(header); }
  void Show(FrameImage&, const BitmapHeader&, int32_t, int32_t) override {}
  void Invalidate() override {}

 private:
  FrameImageFactory factory_;
};

struct BenchField {
  BenchField(int32_t grains, int32_t vortices, int32_t dotStyle, int32_t trails, int32_t twist,
             FrameImageFactory images = CreateHeapFrameImage)
      : window(images) {
    ResetProcessState();
    ResetStyleTable();
    clock.tick = 1000;
    field = std::make_unique<ParticleField>(store, clock);
    // One animation throughout: no rotation to other favorites mid-measure.
    field->randomFavorites = 0;
    field->BindWindow(&window, 1);
    field->SetGrainCount(grains, 1);
    field->CreateMemorySurface24();
    field->SetDotStyle(dotStyle);
    field->SetTrails(trails);
    field->SetExtraTwist(twist);
    field->SetReflectionCount(1);
    int32_t values[4], count;
    GetStyleParams(1, count, values);  // "Full Field": grains everywhere
    field->SetStyleParams(count, values);
    field->Restart(0.1, 1, 1, vortices);
    field->StartAnimation();
    field->CreateOverlayFonts();
    Run(kWarmUpFrames);
  }

  void Run(int32_t frames) {
    for (int32_t k = 0; k < frames; ++k) {
      clock.tick += 33;
      field->DriveFrame();
    }
  }

  MemoryStore store;
  ManualClock clock;
  NullWindow window;
  std::unique_ptr<ParticleField> field;
};

// Arguments: grains, vortices, dot style, trails, extra twist, reference.
void BM_Frame(benchmark::State& state) {
  BenchField bench(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)),
                   static_cast<int32_t>(state.range(2)), static_cast<int32_t>(state.range(3)),
                   static_cast<int32_t>(state.range(4)));
  bench.field->framePath = state.range(5) ? FramePath::kReference : FramePath::kFast;
  for (auto _ : state) bench.Run(1);
  state.SetLabel(state.range(5) ? "reference" : "fast");
}

void FrameArguments(benchmark::internal::Benchmark* b) {
  for (int64_t grains : {4700, 50000, 200000}) {
    for (int64_t vortices : {4, 15}) {
      for (int64_t style : {2, 4}) {
        for (int64_t trails : {0, 1}) {
          for (int64_t twist : {0, 1}) {
            for (int64_t reference : {0, 1}) b->Args({grains, vortices, style, trails, twist, reference});
          }
        }
      }
    }
  }
  b->ArgNames({"grains", "vortices", "style", "trails", "twist", "ref"});
}
// The machine is shared: the fastest of the repetitions (run with
// --benchmark_repetitions) is the one least disturbed by other work.
double Fastest(const std::vector<double>& times) { return *std::min_element(times.begin(), times.end()); }

BENCHMARK(BM_Frame)->Apply(FrameArguments)->ComputeStatistics("min", Fastest)->Unit(benchmark::kMillisecond);

// What the overlays add to a frame of 4,700 grains drawn on a frame image
// with the platform's canvas: none, the clock face, or the zodiac ring, each
// with the frame-rate text.
void BM_Overlays(benchmark::State& state) {
  BenchField bench(4700, 4, 4, 1, 1, CreateCanvasFrameImage);
  ParticleField& f = *bench.field;
  const int64_t overlay = state.range(0);
  f.showClock = overlay != 0;
  f.overlayStyle = overlay == 2 ? 1 : 0;
  Process().showFps = overlay != 0;
  for (auto _ : state) bench.Run(1);
  state.SetLabel(overlay == 0 ? "none" : overlay == 1 ? "clock face + fps text" : "zodiac + fps text");
}
BENCHMARK(BM_Overlays)->DenseRange(0, 2)->ArgName("overlay")->Unit(benchmark::kMillisecond);

// The motion kernel alone on a settled field: ns per grain-vortex interaction.
void BM_Motion(benchmark::State& state) {
  BenchField bench(200000, 15, 2, 1, static_cast<int32_t>(state.range(1)));
  ParticleField& f = *bench.field;
  GrainMotionFrame m{};
  m.vortexCount = 15;
  m.extraTwist = f.extraTwist;
  for (int32_t v = 0; v < 15; ++v) {
    float w = f.vortexWeight[v];
    m.span[v] = f.extraTwist ? w * w * w : w * w;
    m.vortexX[v] = f.vortexX[v];
    m.vortexY[v] = f.vortexY[v];
    m.offsetX[v] = f.vortexOffsetX[v];
    m.offsetY[v] = f.vortexOffsetY[v];
  }
  m.horzSquish = 1.0f;
  m.damping = m.dampingNow = f.damping;
  m.wallReach = static_cast<float>(1 / (0.4 * f.activity * 77.0));
  m.wallStiffness = static_cast<float>(((3141598.0 / (double(kWidth) * kWidth)) * 1000.0) / kWidth);
  m.width = kWidth;
  m.height = kHeight;
  // The kernel is run on a copy each time, so that every iteration moves the
  // same settled grains.
  std::vector<float> source(f.posX, f.posX + 4 * 200000);
  std::vector<float> work = source;
  GrainArrays g{work.data(), work.data() + 200000, work.data() + 400000, work.data() + 600000};
  MotionPath path = static_cast<MotionPath>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    work = source;
    state.ResumeTiming();
    GrainMotionSums sums;
    MoveGrains(m, g, 0, 200000, sums, path);
    benchmark::DoNotOptimize(sums);
  }
  state.SetItemsProcessed(state.iterations() * 200000 * 15);
  state.SetLabel(path == MotionPath::kScalar ? "scalar" : path == MotionPath::kSse2 ? "sse2" : "avx2");
}
BENCHMARK(BM_Motion)
    ->ArgsProduct({{static_cast<int64_t>(MotionPath::kScalar), static_cast<int64_t>(MotionPath::kSse2),
                    static_cast<int64_t>(MotionPath::kAvx2)},
                   {0, 1}})
    ->ArgNames({"path", "twist"})
    ->Unit(benchmark::kMillisecond);

// The trail fade over a 1080p image: dense (every byte) and dithered.
void BM_Fade(benchmark::State& state) {
  MemoryWindow window(kWidth, kHeight);
  MemorySurface24 surface;
  surface.Create(&window, nullptr);
  for (uint32_t i = 0; i < surface.ImageSize(); ++i) surface.Bits()[i] = static_cast<uint8_t>(i * 13);
  surface.SetFade(92, static_cast<int32_t>(state.range(0)));
  surface.UseTableFade(state.range(1) != 0);
  for (auto _ : state) {
    surface.Fade();
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(surface.ImageSize()));
  state.SetLabel(state.range(0) ? "dithered" : state.range(1) ? "dense, tables" : "dense, kernel");
}
BENCHMARK(BM_Fade)->Args({0, 0})->Args({0, 1})->Args({1, 0})->ArgNames({"dither", "tables"});

}  // namespace
}  // namespace brindlemar
