// What drawing one frame's pop-up message costs on the platform's canvas, at
// 800 x 600, by the length of its one line: a short message, one just beyond
// the 512 bytes the saver used to read, and the longest the messages dialog
// stores (its whole text box). The message is fitted and drawn anew on every
// frame of its eight seconds.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "engine/particle_field.h"
#include "engine/process_state.h"
#include "overlays/canvas.h"
#include "overlays/message_overlay.h"
#include "settings/memory_store.h"
#include "settings/settings_store.h"
#include "surfaces/draw_surface.h"
#include "surfaces/memory_window.h"

namespace brindlemar {
namespace {

// Words, so that the text has glyphs and gaps all along.
std::string Line(size_t length) {
  std::string line;
  while (line.size() < length) line += "Long line ";
  return line.substr(0, length);
}

void BM_Message(benchmark::State& state) {
  ResetProcessState();
  MemoryStore store;
  ManualClock clock;
  clock.tick = 5000;
  MemoryWindow window(800, 600, CreateCanvasFrameImage);
  ParticleField field(store, clock);
  field.BindWindow(&window, 1);
  field.CreateMemorySurface24();
  store.CreateKey(kMessagesKey, nullptr);
  WriteString(store, kMessagesKey, "Message1", Line(static_cast<size_t>(state.range(0))));
  Canvas* canvas = field.surface ? field.surface->GetDrawingDC() : nullptr;
  if (!canvas) {
    state.SkipWithError("no canvas on this platform");
    return;
  }
  for (auto _ : state) DrawMessage(field, *canvas);
  field.surface->ReleaseDrawingDC(canvas);
}
BENCHMARK(BM_Message)->Arg(23)->Arg(600)->Arg(16383)->ArgName("characters")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brindlemar
