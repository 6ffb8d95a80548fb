// A field over an empty in-memory store, a manual clock and a memory window,
// with its grains allocated and a 24-bit surface: the smallest complete set-up
// for exact checks on the engine. The process-wide state is that of a fresh
// start while the rig lives: the dithered fade and "Rings!" draw from the
// shared generator.
#pragma once

#include <memory>

#include "engine/particle_field.h"
#include "engine/style_table.h"
#include "settings/memory_store.h"
#include "support/shared_state.h"
#include "support/test_window.h"

namespace brindlemar::testing {

struct FieldRig {
  explicit FieldRig(int32_t width = 800, int32_t height = 600, int32_t grains = 1000) : window(width, height) {
    clock.tick = 5000;
    field = std::make_unique<ParticleField>(store, clock);
    field->BindWindow(&window, 1);
    field->SetGrainCount(grains, 1);
    field->CreateMemorySurface24();
  }

  // Lays the field out afresh in a configuration with the given settings.
  int32_t Lay(int32_t configuration, std::initializer_list<int32_t> settings, int32_t dimensionality = 1,
              int32_t complexity = 4) {
    int32_t values[4] = {};
    int32_t count = 0;
    GetStyleParams(configuration, count, values);
    int32_t j = 0;
    for (int32_t v : settings) values[j++] = v;
    field->SetStyleParams(count, values);
    return field->Restart(0.1, dimensionality, configuration, complexity);
  }

  SharedStateScope shared;
  MemoryStore store;
  ManualClock clock;
  TestWindow window;
  std::unique_ptr<ParticleField> field;
};

}  // namespace brindlemar::testing
