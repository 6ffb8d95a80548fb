// The fields of one saver run over several monitors: each animates as it
// would alone, the pointer steers only the field under it, and fields
// started within one tick still differ.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/particle_field.h"
#include "engine/process_state.h"
#include "settings/memory_store.h"
#include "settings/presets.h"
#include "settings/settings_store.h"
#include "shell/saver_fields.h"
#include "support/shared_state.h"
#include "support/test_window.h"

namespace brindlemar {
namespace {

using testing::TestWindow;

struct FieldsRig {
  FieldsRig() {
    clock.tick = 5000;
  }

  // A field over place, on a memory window of the place's size.
  void Start(RectI place) {
    auto window = std::make_unique<TestWindow>(place.right - place.left, place.bottom - place.top);
    ASSERT_EQ(fields.Start(std::move(window), place, 1,
                           [this] { return std::make_unique<ParticleField>(store, clock); }),
              kOk);
  }

  void Frames(int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
      clock.tick += 33;
      fields.DriveFrames();
    }
  }

  testing::SharedStateScope shared;
  MemoryStore store;
  ManualClock clock;
  SaverFields fields;
};

std::vector<float> Grains(ParticleField& f) {
  std::vector<float> out(f.posX, f.posX + f.liveGrains);
  out.insert(out.end(), f.posY, f.posY + f.liveGrains);
  return out;
}

const RectI kLeft = {0, 0, 640, 480};
const RectI kRight = {640, 0, 1440, 600};

// Configurations with running state of their own: the regeneration's timer
// and angles (two sources), and the transitions' timer of the random
// favorites' rotation.
TEST(SaverFields, EachFieldAnimatesAsItWouldAlone) {
  struct Case {
    const char* name;
    const char* settings;
    int32_t random;
  };
  const Case cases[] = {
      {"Spinning Sprayer", "*,1,18,900,3001,700,4,500", 0},
      {"Radar Sweep", "*,2,21,900,3001,700,6,500", 0},
      {"random favorites, zooming out between them", "*,1,1,900", 1},
  };
  for (const Case& c : cases) {
    auto prepare = [&c](FieldsRig& run) {
      run.store.CreateKey(kConfigKey, nullptr);
      run.store.CreateKey(kMessagesKey, nullptr);
      WriteString(run.store, kConfigKey, "Settings", c.settings);
      WriteDword(run.store, kConfigKey, "Random", c.random);
      WriteDword(run.store, kMessagesKey, "MinTime", 1);
      WriteDword(run.store, kMessagesKey, "MaxTime", 4);
    };
    std::vector<float> alone;
    {
      FieldsRig run;
      prepare(run);
      run.Start(kLeft);
      run.Frames(150);
      alone = Grains(run.fields.Field(0));
    }
    FieldsRig run;
    prepare(run);
    run.Start(kLeft);
    run.Start(kRight);
    run.Frames(150);
    ASSERT_EQ(run.fields.Count(), 2u) << c.name;
    EXPECT_TRUE(Grains(run.fields.Field(0)) == alone) << c.name << ": the first field went otherwise beside another";
  }
}

TEST(SaverFields, ThePointerSteersOnlyTheFieldUnderIt) {
  FieldsRig run;
  run.Start(kLeft);
  run.Start(kRight);
  run.Frames(2);
  ParticleField& left = run.fields.Field(0);
  ParticleField& right = run.fields.Field(1);
  const float leftX = left.vortexX[0], leftY = left.vortexY[0];

  Process().steering = 1;
  Process().steerPoint = {700, 20};  // on the right field, 60 and 20 from its corner
  run.Frames(1);
  EXPECT_EQ(right.vortexX[0], 60.0f);
  EXPECT_EQ(right.vortexY[0], 20.0f);
  EXPECT_EQ(left.vortexX[0], leftX);
  EXPECT_EQ(left.vortexY[0], leftY);
  // The input's own point stays as it was, in the window's coordinates.
  EXPECT_EQ(Process().steerPoint.x, 700);
  EXPECT_EQ(Process().steerPoint.y, 20);
}

TEST(SaverFields, PointOnFieldIsRelativeToItsCornerOrNone) {
  struct Case {
    PointI point;
    PointI seen;
  };
  const Case cases[] = {
      {{640, 0}, {0, 0}},       {{1439, 599}, {799, 599}}, {{639, 10}, {-1, -1}},
      {{1440, 10}, {-1, -1}},   {{700, 600}, {-1, -1}},    {{-1, -1}, {-1, -1}},
  };
  for (const Case& c : cases) {
    const PointI seen = PointOnField(c.point, kRight);
    EXPECT_EQ(seen.x, c.seen.x) << c.point.x << "," << c.point.y;
    EXPECT_EQ(seen.y, c.seen.y) << c.point.x << "," << c.point.y;
  }
  // A field at the window's corner: (-1, -1) is no pointer, not a point
  // just outside.
  const PointI none = PointOnField({-1, -1}, {-1, -1, 100, 100});
  EXPECT_EQ(none.x, -1);
  EXPECT_EQ(none.y, -1);
}

TEST(SaverFields, FieldsStartedInOneTickDrawTheirOwnFavorites) {
  FieldsRig run;
  // Not a first start, which shows "Brindlemar Falls" before it draws.
  InstallPresets(run.store);
  const RectI places[] = {{0, 0, 640, 480}, {640, 0, 1280, 480}, {1280, 0, 1920, 480}, {1920, 0, 2560, 480}};
  for (const RectI& place : places) run.Start(place);
  std::set<std::string> names;
  for (size_t k = 0; k < run.fields.Count(); ++k) names.insert(run.fields.Field(k).favoriteName);
  EXPECT_GT(names.size(), 1u) << "every field drew " << *names.begin();
}

TEST(SaverFields, AFieldThatCannotBeMadeIsLeftOut) {
  FieldsRig run;
  EXPECT_NE(run.fields.Start(std::make_unique<TestWindow>(640, 480), kLeft, 1, [] { return nullptr; }), kOk);
  auto refusing = std::make_unique<TestWindow>(640, 480);
  refusing->refuseImage = true;
  EXPECT_NE(run.fields.Start(std::move(refusing), kLeft, 1,
                             [&run] { return std::make_unique<ParticleField>(run.store, run.clock); }),
            kOk);
  EXPECT_TRUE(run.fields.Empty());
  run.Start(kRight);
  EXPECT_EQ(run.fields.Count(), 1u);
}

}  // namespace
}  // namespace brindlemar
