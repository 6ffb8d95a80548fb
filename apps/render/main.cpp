// brindlemar-render: runs one particle field on a memory frame buffer with a
// simulated clock and a fixed seed, and writes the frames it is asked for as
// PNG files; or runs every built-in preset in turn and writes them side by
// side as one labelled picture. Everything that could vary between runs (the
// tick count, the calendar, the seeds, the settings store, the process-wide
// state) is fixed, so the same options give the same bytes.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "apps/render/png_writer.h"
#include "overlays/bitmap_canvas.h"
#include "overlays/bitmap_font.h"
#include "overlays/canvas.h"
#include "settings/favorite_record.h"
#include "settings/presets.h"
#include "shell/field_run.h"
#include "shell/program_help.h"
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

// A bar redrawn in place on a terminal; elsewhere (--progress into a log) a
// line every tenth of the way.
class Progress {
 public:
  // Counts in 64 bits: a gallery runs 51 times the frames of one run.
  Progress(bool shown, bool terminal, int64_t total) : shown_(shown), terminal_(terminal), total_(total) {}

  void Update(int64_t done) {
    if (!shown_) return;
    int32_t percent = static_cast<int32_t>(done * 100 / total_);
    int32_t step = terminal_ ? percent : percent / 10;
    if (step == lastStep_) return;
    lastStep_ = step;
    constexpr int32_t kWidth = 30;
    std::string bar(static_cast<size_t>(percent * kWidth / 100), '#');
    bar.resize(kWidth, '-');
    std::fprintf(stderr, "%s%s [%s] %3d%%  %lld/%lld frames", terminal_ ? "\r" : "", kProgram, bar.c_str(), percent,
                 static_cast<long long>(done), static_cast<long long>(total_));
    if (!terminal_ || done == total_) std::fputc('\n', stderr);
    std::fflush(stderr);
  }

 private:
  bool shown_;
  bool terminal_;
  int64_t total_;
  int32_t lastStep_ = -1;
};

bool Write(const std::string& path, int32_t width, int32_t height, const uint8_t* rgb) {
  std::string error;
  if (WritePng(path, width, height, rgb, error)) return true;
  std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
  return false;
}

bool Write(const MemoryWindow& window, const std::string& path) {
  return Write(path, window.Width(), window.Height(), window.Rgb().data());
}

// Runs one field of the given parameters on window for o.frames frames, from
// the process-wide state of a fresh start, so that a run does not depend on
// the runs before it. afterFrame(number) follows every frame; false from it
// ends the run as a failure.
bool RunField(const RenderOptions& o, const ParameterSet& parameters, const std::string& name, MemoryWindow& window,
              const std::function<bool(int32_t)>& afterFrame) {
  FieldRunSetup setup;
  setup.seed = o.seed;
  setup.startTime = o.startTime;
  setup.show = o.show;
  setup.parameters = parameters;
  setup.name = name;
  FieldRun run;
  std::string error;
  if (!run.Start(setup, window, error)) {
    std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
    return false;
  }
  for (int32_t k = 0; k < o.frames; ++k) {
    run.Frame(FrameElapsedMs(k, o.fps));
    if (!afterFrame(k + 1)) return false;
  }
  return true;
}

int Render(const RenderOptions& o) {
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
  // The overlays' letters come from the system's fonts, or with
  // --bitmap-font from the bitmap font, as the web page draws them.
  MemoryWindow window(o.width, o.height, o.bitmapFont ? CreateBitmapCanvasFrameImage : CreateCanvasFrameImage);
  bool ran = RunField(o, o.parameters, o.recordName, window, [&](int32_t number) {
    if (o.every && number % o.every == 0) {
      char name[32];
      std::snprintf(name, sizeof name, "frame_%05d.png", number);
      if (!Write(window, (std::filesystem::path(o.outDir) / name).string())) return false;
    }
    progress.Update(number);
    return true;
  });
  if (!ran) return 1;
  if (!o.out.empty() && !Write(window, o.out)) return 1;
  return 0;
}

// The gallery: tiles in rows of eight, in preset order, with a gutter
// around each and the preset's name in a strip below it.
constexpr int32_t kGalleryColumns = 8;
constexpr int32_t kGutter = 4;
constexpr int32_t kLabelStrip = kGlyphHeight + 4;
constexpr uint8_t kBackground = 24;
constexpr uint8_t kLabelColor[3] = {220, 220, 220};

int Gallery(const RenderOptions& o) {
  const int32_t rows = (kPresetCount + kGalleryColumns - 1) / kGalleryColumns;
  const int32_t cellHeight = o.height + kLabelStrip;
  const int32_t sheetWidth = kGalleryColumns * (o.width + kGutter) + kGutter;
  const int32_t sheetHeight = rows * (cellHeight + kGutter) + kGutter;
  std::vector<uint8_t> sheet(static_cast<size_t>(sheetWidth) * static_cast<size_t>(sheetHeight) * 3, kBackground);
  const size_t tileRow = static_cast<size_t>(o.width) * 3;

  bool terminal = StderrIsTerminal();
  Progress progress(o.progress || terminal, terminal, int64_t{kPresetCount} * o.frames);
  for (int32_t k = 0; k < kPresetCount; ++k) {
    FavoriteRecord record = ParseRecord(FastPreset(k));
    ParameterSet parameters = RecordParameters(record);
    parameters.grains = GalleryGrains(parameters.grains, o.width, o.height);
    MemoryWindow window(o.width, o.height);
    bool ran = RunField(o, parameters, record.name, window, [&](int32_t number) {
      progress.Update(int64_t{k} * o.frames + number);
      return true;
    });
    if (!ran) return 1;

    int32_t x = kGutter + (k % kGalleryColumns) * (o.width + kGutter);
    int32_t y = kGutter + (k / kGalleryColumns) * (cellHeight + kGutter);
    for (int32_t row = 0; row < o.height; ++row) {
      const uint8_t* from = window.Rgb().data() + static_cast<size_t>(row) * tileRow;
      size_t at = static_cast<size_t>(y + row) * static_cast<size_t>(sheetWidth) + static_cast<size_t>(x);
      std::copy(from, from + tileRow, sheet.data() + at * 3);
    }
    // A name wider than its tile loses its end rather than run into the next.
    std::string label = record.name.substr(0, static_cast<size_t>((o.width + 1) / kGlyphAdvance));
    DrawBitmapText(sheet.data(), sheetWidth, sheetHeight, x + (o.width - BitmapTextWidth(label)) / 2,
                   y + o.height + 2, label, kLabelColor);
  }
  return Write(o.gallery, sheetWidth, sheetHeight, sheet.data()) ? 0 : 1;
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
  if (options.help || options.version) {
    const ProgramHelp help = HelpOf(Program::kRender);
    std::fputs((options.help ? UsageText(help) : VersionText(help)).c_str(), stdout);
    return 0;
  }
  return options.gallery.empty() ? Render(options) : Gallery(options);
}
