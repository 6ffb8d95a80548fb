// Two fields made alike, with the same seed and clock, side by side in one
// process: driven in turn, frame for frame, they draw the same pictures and
// keep the same grains, through regeneration, transitions and messages,
// steering, the password prompt and the overlays. Nothing one field does
// reaches the other; they share only the process-wide generator of the
// dithered fade and "Rings!", which the runs here leave out.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

#include "engine/particle_field.h"
#include "engine/process_state.h"
#include "engine/style_table.h"
#include "settings/favorite_record.h"
#include "settings/memory_store.h"
#include "settings/settings_store.h"
#include "shell/input_rules.h"
#include "shell/password.h"
#include "support/block_canvas.h"
#include "support/shared_state.h"
#include "surfaces/memory_window.h"

namespace brindlemar {
namespace {

struct Twins {
  explicit Twins(const std::function<void(SettingsStore&)>& storeShow) {
    clock.tick = 70000;
    store.CreateKey(kConfigKey, nullptr);
    store.CreateKey(kMessagesKey, nullptr);
    storeShow(store);
    for (int32_t k = 0; k < 2; ++k) {
      windows[k] = std::make_unique<MemoryWindow>(240, 180, testing::CreateBlockCanvasImage);
      fields[k] = std::make_unique<ParticleField>(store, clock);
    }
  }

  // The same parameters, surface and first layout for both.
  void Start(const ParameterSet& p) {
    for (int32_t k = 0; k < 2; ++k) {
      ParticleField& f = *fields[k];
      f.BindWindow(windows[k].get(), 1);
      f.randomFavorites = 0;
      ApplyParameters(f, p);
      ASSERT_EQ(f.CreateMemorySurface24(), kOk);
      f.surface->SetFade(f.trails ? f.trailLength : -1, f.dither);
      f.CreateOverlayFonts();
      ASSERT_EQ(f.Restart(0.25, -1, -1, -1), 1);
      f.StartAnimation();
    }
  }

  testing::SharedStateScope shared;
  MemoryStore store;
  ManualClock clock;
  std::unique_ptr<MemoryWindow> windows[2];
  std::unique_ptr<ParticleField> fields[2];
};

bool SameGrains(const ParticleField& a, const ParticleField& b) {
  if (a.liveGrains != b.liveGrains) return false;
  const size_t bytes = static_cast<size_t>(a.liveGrains) * sizeof(float);
  return std::memcmp(a.posX, b.posX, bytes) == 0 && std::memcmp(a.posY, b.posY, bytes) == 0 &&
         std::memcmp(a.color0, b.color0, bytes) == 0 && std::memcmp(a.velX, b.velX, bytes) == 0;
}

ParameterSet Parameters(int32_t configuration, int32_t dotStyle, int32_t reflections) {
  ParameterSet p;
  p.configuration = configuration;
  p.dimensionality = 2;
  p.grains = 1200;
  p.dotStyle = dotStyle;
  p.trails = 1;
  p.reflectionCount = reflections;
  GetStyleParams(configuration, p.styleCount, p.styleValues);
  return p;
}

TEST(FieldIndependence, TwoFieldsMadeAlikeDrawTheSameFramesSideBySide) {
  struct Case {
    const char* name;
    int32_t configuration;
    int32_t showClock, overlayStyle, showMessages;
    // What the user does before frame k, to each field in turn.
    std::function<void(ParticleField&, int32_t)> input;
  };
  auto nothing = [](ParticleField&, int32_t) {};
  const Case cases[] = {
      {"Spinning Sprayer", 18, 0, 0, 0, nothing},
      {"Radar Sweep", 21, 0, 0, 0, nothing},
      {"Falls with the zodiac", 24, 1, 1, 0, nothing},
      {"a message spelt in grains", 1, 0, 0, 1, nothing},
      {"steered by the pointer", 13, 1, 0, 0,
       [](ParticleField&, int32_t k) {
         Process().steering = 1;
         Process().steerPoint = k % 90 < 60 ? PointI{30 + k % 90, 40 + k % 45} : PointI{-1, -1};
       }},
      {"a password typed and taken back", 12, 0, 0, 0,
       [](ParticleField& f, int32_t k) {
         f.passwordProtected = 1;
         if (k >= 10 && k < 16) HandlePasswordKey(f, 'A' + k);
         if (k >= 30 && k < 33) HandlePasswordKey(f, kKeyBackspace);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Twins twins([&c](SettingsStore& s) {
      WriteDword(s, kConfigKey, "Clock", c.showClock);
      WriteDword(s, kConfigKey, "Style", c.overlayStyle);
      WriteDword(s, kConfigKey, "Messages", c.showMessages);
      WriteDword(s, kMessagesKey, "MinTime", 2);
      WriteDword(s, kMessagesKey, "MaxTime", 3);
    });
    twins.Start(Parameters(c.configuration, c.configuration % 5, 1 + c.configuration % 3));
    int32_t parted = -1;
    for (int32_t k = 0; k < 300 && parted < 0; ++k) {
      twins.clock.tick += 50;
      for (int32_t t = 0; t < 2; ++t) {
        c.input(*twins.fields[t], k);
        twins.fields[t]->DriveFrame();
      }
      const bool same = twins.windows[0]->Rgb() == twins.windows[1]->Rgb() &&
                        SameGrains(*twins.fields[0], *twins.fields[1]);
      if (!same) parted = k;
    }
    EXPECT_EQ(parted, -1) << "the fields parted in that frame";
  }
}

}  // namespace
}  // namespace brindlemar
