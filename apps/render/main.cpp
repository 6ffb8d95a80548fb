// brindlemar-render: runs one particle field on a memory frame buffer with a
// simulated clock and a fixed seed, and writes the frames it is asked for as
// PNG files. Everything that could vary between runs (the tick count, the
// calendar, the seeds, the settings store) is fixed, so the same options give
// the same bytes.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "apps/render/png_writer.h"
#include "engine/clock.h"
#include "engine/particle_field.h"
#include "engine/process_state.h"
#include "settings/favorite_record.h"
#include "settings/memory_store.h"
#include "shell/render_options.h"
#include "surfaces/memory_window.h"

namespace brindlemar {
namespace {

constexpr const char* kProgram = "brindlemar-render";

bool StderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

// The field seeds its own generator from the tick count, so the simulated
// clock starts at a tick that the seed alone decides (an odd multiplier keeps
// different seeds apart).
uint32_t StartTick(int32_t seed) { return static_cast<uint32_t>(seed) * 2654435761u; }

// A bar redrawn in place on a terminal; elsewhere (--progress into a log) a
// line every tenth of the way.
class Progress {
 public:
  Progress(bool shown, bool terminal, int32_t total) : shown_(shown), terminal_(terminal), total_(total) {}

  void Update(int32_t done) {
    if (!shown_) return;
    int32_t percent = static_cast<int32_t>(static_cast<int64_t>(done) * 100 / total_);
    int32_t step = terminal_ ? percent : percent / 10;
    if (step == lastStep_) return;
    lastStep_ = step;
    constexpr int32_t kWidth = 30;
    std::string bar(static_cast<size_t>(percent * kWidth / 100), '#');
    bar.resize(kWidth, '-');
    std::fprintf(stderr, "%s%s [%s] %3d%%  %d/%d frames", terminal_ ? "\r" : "", kProgram, bar.c_str(), percent,
                 done, total_);
    if (!terminal_ || done == total_) std::fputc('\n', stderr);
    std::fflush(stderr);
  }

 private:
  bool shown_;
  bool terminal_;
  int32_t total_;
  int32_t lastStep_ = -1;
};

bool Write(const MemoryWindow& window, const std::string& path) {
  std::string error;
  if (WritePng(path, window.Width(), window.Height(), window.Rgb().data(), error)) return true;
  std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
  return false;
}

int Render(const RenderOptions& o) {
  ManualClock clock;
  clock.tick = StartTick(o.seed);
  CombinedRandom& processRandom = ProcessRandom();
  processRandom.SetClock(clock);
  processRandom.Seed(o.seed);

  MemoryStore store;
  ParticleField field(store, clock);
  // One animation from start to end: no rotation among favorites (which an
  // empty store could not serve) and no favorite caption.
  field.randomFavorites = 0;
  MemoryWindow window(o.width, o.height);
  field.BindWindow(&window, 1);
  ApplyParameters(field, o.parameters);
  field.favoriteName = o.recordName;
  if (Failed(field.CreateMemorySurface24())) {
    std::fprintf(stderr, "%s: no memory for a %dx%d frame buffer\n", kProgram, o.width, o.height);
    return 1;
  }
  field.surface->SetFade(field.trails ? field.trailLength : -1, field.dither);
  if (!field.Restart(processRandom.Next() - 0.5, field.dimensionality, field.configuration, field.complexity)) {
    std::fprintf(stderr, "%s: the field could not be laid out\n", kProgram);
    return 1;
  }
  field.StartAnimation();

  if (!o.outDir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(o.outDir, ec);
    if (ec) {
      std::fprintf(stderr, "%s: cannot create %s: %s\n", kProgram, o.outDir.c_str(), ec.message().c_str());
      return 1;
    }
  }

  bool terminal = StderrIsTerminal();
  Progress progress(o.progress || terminal, terminal, o.frames);
  const uint32_t start = clock.tick;
  for (int32_t k = 0; k < o.frames; ++k) {
    // Whole milliseconds from the start, so no rounding accumulates; the
    // tick wraps at 2^32 as the real one does.
    clock.tick = start + static_cast<uint32_t>(static_cast<uint64_t>(k) * 1000u / static_cast<uint32_t>(o.fps));
    field.DriveFrame();
    int32_t number = k + 1;
    if (o.every && number % o.every == 0) {
      char name[32];
      std::snprintf(name, sizeof name, "frame_%05d.png", number);
      if (!Write(window, (std::filesystem::path(o.outDir) / name).string())) return 1;
    }
    progress.Update(number);
  }
  if (!o.out.empty() && !Write(window, o.out)) return 1;
  return 0;
}

}  // namespace
}  // namespace brindlemar

int main(int argc, char** argv) {
  using namespace brindlemar;
  std::vector<std::string> args(argv + 1, argv + argc);
  RenderOptions options;
  std::string error;
  if (!ParseRenderOptions(args, options, error)) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", kProgram, error.c_str(), kProgram);
    return 2;
  }
  if (options.help) {
    std::fputs(RenderUsage(kProgram).c_str(), stdout);
    return 0;
  }
  return Render(options);
}
