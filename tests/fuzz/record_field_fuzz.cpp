// Fuzz target: any text as a parameter record, loaded onto a field the way
// the saver loads a stored favorite or "Settings" value, followed by a
// restart and a frame. The record's reading and writing, and the dialog's,
// are record_fuzz's; the seeds are the same.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "engine/clock.h"
#include "engine/particle_field.h"
#include "engine/style_table.h"
#include "settings/favorite_record.h"
#include "settings/memory_store.h"
#include "surfaces/memory_window.h"

namespace {

using namespace brindlemar;

// The frame runs on at most this many of the record's grains, as a field
// that the frame-rate control thinned: every grain takes the same code.
constexpr int32_t kFrameGrains = 64;

struct Rig {
  Rig() : window(64, 48) {
    clock.tick = 5000;
    field = std::make_unique<ParticleField>(store, clock);
    field->BindWindow(&window, 0);
    field->CreateMemorySurface24();
  }

  MemoryStore store;
  ManualClock clock;
  MemoryWindow window;
  std::unique_ptr<ParticleField> field;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Rig* rig = new Rig;
  ResetStyleTable();
  const FavoriteRecord record = ParseRecord(std::string_view(reinterpret_cast<const char*>(data), size));

  // Loaded as the saver loads a record before the field's first restart,
  // which then lays the grains out and sets the vortices up once (a load
  // into a running field does both twice more for the same values).
  ParticleField& field = *rig->field;
  field.StopAnimation();
  field.Disarm();
  if (ApplyRecord(field, record)) {
    field.liveGrains = std::min(field.liveGrains, kFrameGrains);
    field.Restart(0.1, -1, -1, -1);
    field.StartAnimation();
    field.StepFrame();
  }
  return 0;
}
