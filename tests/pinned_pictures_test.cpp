// Whole pictures pinned to checksums: every built-in preset on 24- and 16-bit
// memory surfaces, every configuration (the record-only one too) dressed in
// the dot styles, trails, dither, reflections and twists, and the show around
// the grains (clock face, zodiac, messages, favorite rotation, frame-rate
// text, password prompt, steering, a slow machine's frame-rate cuts), each
// run frame after frame on a simulated clock from a fresh start of the
// process. The checksums were taken from the program as it stood before its
// engine was reorganised; a change that alters any frame shown at a
// checkpoint fails here, with the run's new entry printed for review.
//
// Overlays draw on a canvas without fonts (support/block_canvas.h), so the
// pictures do not depend on the fonts a machine has; the Windows build shows
// the same pictures as the native one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/particle_field.h"
#include "engine/process_state.h"
#include "engine/style_table.h"
#include "settings/favorite_record.h"
#include "settings/load_parameters.h"
#include "settings/memory_store.h"
#include "settings/presets.h"
#include "settings/settings_store.h"
#include "shell/input_rules.h"
#include "shell/password.h"
#include "support/block_canvas.h"
#include "support/shared_state.h"
#include "surfaces/memory_window.h"

namespace brindlemar {
namespace {

using testing::CreateBlockCanvasImage;

// 2024-03-15 10:59:20 in milliseconds since 1970: the hourly alarm of the
// clock overlays falls 35 seconds in.
constexpr int64_t kStartCalendarMs = 1710500360000;
constexpr int32_t kCheckpointEvery = 50;

uint64_t Fnv1a(uint64_t hash, const uint8_t* bytes, size_t size) {
  for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211u;
  return hash;
}

// What one pinned run does.
struct Run {
  int32_t width = 160;
  int32_t height = 120;
  int32_t bits = 24;
  int32_t frames = 300;
  uint32_t frameMs = 33;
  // Show settings stored before the field is made (it reads them then).
  std::function<void(SettingsStore&)> store;
  // Parameters once the field has its window and before the surface.
  std::function<void(ParticleField&)> parameters;
  // Just before the first layout, with the surface made.
  std::function<void(ParticleField&)> beforeLayout;
  // Before each frame, numbered from 0.
  std::function<void(ParticleField&, int32_t)> beforeFrame;
};

// The checksum of the pictures shown at every checkpoint, from a fresh start
// as the headless renderer makes one: seeds, clock and calendar fixed.
uint64_t PictureChecksum(const Run& run) {
  testing::SharedStateScope shared;
  ManualClock clock;
  clock.tick = 0x5EED0000u;
  clock.SetCalendar(kStartCalendarMs);
  CombinedRandom& processRandom = ProcessRandom();
  processRandom.SetClock(clock);
  processRandom.Seed(7);

  MemoryStore store;
  store.CreateKey(kConfigKey, nullptr);
  store.CreateKey(kMessagesKey, nullptr);
  if (run.store) run.store(store);
  MemoryWindow window(run.width, run.height, CreateBlockCanvasImage);
  ParticleField field(store, clock);
  field.BindWindow(&window, 1);
  run.parameters(field);
  const ResultCode made = run.bits == 24 ? field.CreateMemorySurface24() : field.CreateMemorySurface16();
  EXPECT_EQ(made, kOk);
  if (!field.surface) return 0;
  field.surface->SetFade(field.trails ? field.trailLength : -1, field.dither);
  field.CreateOverlayFonts();
  if (run.beforeLayout) run.beforeLayout(field);
  EXPECT_EQ(field.Restart(processRandom.Next() - 0.5, -1, -1, -1), 1);
  field.StartAnimation();

  uint64_t hash = 14695981039346656037u;
  const uint32_t start = clock.tick;
  for (int32_t k = 0; k < run.frames; ++k) {
    clock.tick = start + static_cast<uint32_t>(k) * run.frameMs;
    clock.SetCalendar(kStartCalendarMs + int64_t{k} * run.frameMs);
    if (run.beforeFrame) run.beforeFrame(field, k);
    field.DriveFrame();
    if ((k + 1) % kCheckpointEvery == 0 || k + 1 == run.frames) {
      hash = Fnv1a(hash, window.Rgb().data(), window.Rgb().size());
    }
  }
  return hash;
}

struct Pinned {
  std::string name;
  Run run;
};

void PrintTo(const Pinned& p, std::ostream* out) { *out << p.name; }

// --- The runs ----------------------------------------------------------------

// A preset's fast record, its grains scaled to the window's area as the
// renderer's gallery scales them.
std::function<void(ParticleField&)> Preset(int32_t index) {
  return [index](ParticleField& f) {
    ParameterSet p = RecordParameters(ParseRecord(FastPreset(index)));
    p.grains = std::max(p.grains * f.width / 640 * f.height / 480, 10);
    f.randomFavorites = 0;
    ApplyParameters(f, p);
  };
}

// A configuration with its default settings, dressed so that the runs
// together cover every dot style, trails with and without dither,
// reflections with and without symmetry, and both twists.
std::function<void(ParticleField&)> Dressed(int32_t configuration, int32_t dimensionality) {
  return [=](ParticleField& f) {
    ParameterSet p;
    p.configuration = configuration;
    p.dimensionality = dimensionality;
    p.grains = 1500;
    p.complexity = 3 + configuration % 13;
    p.dotStyle = (configuration + dimensionality) % 5;
    p.trails = (configuration + dimensionality) % 2;
    p.dither = configuration % 3 == 0;
    p.extraTwist = dimensionality % 2;
    p.reflectionCount = 1 + (configuration * 3 + dimensionality) % 7;
    p.symmetric = configuration % 4 == 1;
    const int32_t index = configuration < kConfigurationCount ? configuration : 0;
    GetStyleParams(index, p.styleCount, p.styleValues);
    f.randomFavorites = 0;
    ApplyParameters(f, p);
  };
}

std::vector<Pinned> PresetRuns() {
  std::vector<Pinned> runs;
  for (int32_t bits : {24, 16}) {
    for (int32_t k = 0; k < kPresetCount; ++k) {
      Run run;
      run.bits = bits;
      run.parameters = Preset(k);
      runs.push_back({"preset" + std::to_string(k) + "_" + std::to_string(bits), run});
    }
  }
  return runs;
}

std::vector<Pinned> ConfigurationRuns() {
  std::vector<Pinned> runs;
  for (int32_t c = 0; c < kConfigurationCount; ++c) {
    Run run;
    run.width = 200;
    run.height = 150;
    run.parameters = Dressed(c, c % 4);
    runs.push_back({"configuration" + std::to_string(c), run});
  }
  // The layout only a stored record reaches: grains on the bright pixels of
  // the last message's rectangle, here a lit stripe across the middle.
  Run bright;
  bright.width = 200;
  bright.height = 150;
  bright.parameters = Dressed(99, 1);
  bright.beforeLayout = [](ParticleField& f) {
    f.messageRect = {20, 60, 180, 90};
    for (int32_t x = 0; x < f.width; x += 2) f.surface->AddPixel(x, 75, 255, 255, 255);
  };
  runs.push_back({"configuration99", bright});
  // The 16-bit drawing of every dot style, with reflections.
  for (int32_t style = 0; style < 5; ++style) {
    Run run;
    run.bits = 16;
    run.parameters = [style, inner = Dressed(15, 2)](ParticleField& f) {
      inner(f);
      f.SetDotStyle(style);
      f.SetReflectionCount(3);
    };
    runs.push_back({"dots16_" + std::to_string(style), run});
  }
  return runs;
}

std::vector<Pinned> ShowRuns() {
  std::vector<Pinned> runs;
  auto show = [](int32_t clock, int32_t style, int32_t messages, int32_t random) {
    return [=](SettingsStore& s) {
      WriteDword(s, kConfigKey, "Clock", clock);
      WriteDword(s, kConfigKey, "Style", style);
      WriteDword(s, kConfigKey, "Messages", messages);
      WriteDword(s, kConfigKey, "Random", random);
      WriteDword(s, kMessagesKey, "Num", 2);
      WriteString(s, kMessagesKey, "Message1", "Grains\\rof light");
      WriteString(s, kMessagesKey, "Message2", "Hello");
      WriteDword(s, kMessagesKey, "MinTime", 3);
      WriteDword(s, kMessagesKey, "MaxTime", 4);
    };
  };
  auto fromStore = [](ParticleField& f) { LoadParameters(f, f.Store(), f.randomFavorites != 0); };
  Run base;
  base.width = 320;
  base.height = 240;
  base.frameMs = 100;
  base.parameters = fromStore;

  Run clockFace = base;  // the alarm at 10:59:55 starts a zoom-out and a switch
  clockFace.store = show(1, 0, 0, 1);
  runs.push_back({"clock_face", clockFace});
  Run zodiac = base;
  zodiac.store = show(1, 1, 0, 0);
  zodiac.parameters = Dressed(18, 1);
  runs.push_back({"zodiac", zodiac});
  Run messages = base;  // zoom-out, seeding, hold, the next favorite
  messages.store = show(0, 0, 1, 1);
  messages.frames = 400;
  runs.push_back({"messages", messages});
  Run rotation = base;  // favorites in turn without messages
  rotation.store = show(0, 0, 0, 1);
  rotation.frames = 400;
  runs.push_back({"favorite_rotation", rotation});

  Run fps = base;
  fps.frameMs = 33;
  fps.parameters = Dressed(24, 1);
  fps.beforeLayout = [](ParticleField&) { Process().showFps = 1; };
  runs.push_back({"frame_rate_text", fps});

  Run slow = base;  // 5 frames a second against a target of 12: cuts
  slow.frameMs = 200;
  slow.parameters = [inner = Dressed(21, 3)](ParticleField& f) {
    inner(f);
    f.SetGrainCount(6000, 1);
    f.halfGrains = 3000;
    f.complexityHalf = 4;
  };
  runs.push_back({"frame_rate_cuts", slow});

  Run prompt = base;  // typed, shortened (boxes painted out), timed out
  prompt.frameMs = 50;
  prompt.frames = 400;
  prompt.parameters = Dressed(12, 2);
  prompt.beforeLayout = [](ParticleField& f) {
    f.passwordProtected = 1;
    f.SetTrails(1);
  };
  prompt.beforeFrame = [](ParticleField& f, int32_t k) {
    if (k >= 20 && k < 28) HandlePasswordKey(f, 'A' + k - 20);
    if (k >= 60 && k < 65) HandlePasswordKey(f, kKeyBackspace);
  };
  runs.push_back({"password_prompt", prompt});

  Run steer = base;  // vortex 0 follows the pointer, which then leaves
  steer.frameMs = 33;
  steer.parameters = Dressed(1, 2);
  steer.beforeFrame = [](ParticleField&, int32_t k) {
    Process().steering = 1;
    Process().steerPoint = k < 200 ? PointI{40 + k, 60 + k / 2} : PointI{-1, -1};
  };
  runs.push_back({"steering", steer});
  return runs;
}

// The checksums taken before, by run.
struct Checksum {
  const char* name;
  uint64_t value;
};
constexpr Checksum kChecksums[] = {
#include "pinned_pictures.inc"
};

std::vector<Pinned> AllRuns() {
  std::vector<Pinned> runs = PresetRuns();
  for (auto* more : {&ConfigurationRuns, &ShowRuns}) {
    for (Pinned& p : more()) runs.push_back(std::move(p));
  }
  return runs;
}

class PinnedPictures : public ::testing::TestWithParam<Pinned> {};

TEST_P(PinnedPictures, ShowTheirPicturesAsBefore) {
  const Pinned& p = GetParam();
  const auto pinned = std::find_if(std::begin(kChecksums), std::end(kChecksums),
                                   [&](const Checksum& c) { return p.name == c.name; });
  const uint64_t checksum = PictureChecksum(p.run);
  char entry[96];
  std::snprintf(entry, sizeof entry, "{\"%s\", 0x%016" PRIx64 "u},", p.name.c_str(), checksum);
  ASSERT_NE(pinned, std::end(kChecksums)) << "no checksum pinned for this run; it would be\n" << entry;
  EXPECT_EQ(checksum, pinned->value) << "the pictures changed; the entry would now be\n" << entry;
}

INSTANTIATE_TEST_SUITE_P(Runs, PinnedPictures, ::testing::ValuesIn(AllRuns()),
                         [](const ::testing::TestParamInfo<Pinned>& info) { return info.param.name; });

TEST(PinnedPictureTable, HoldsOnlyRunsThatExist) {
  const std::vector<Pinned> runs = AllRuns();
  for (const Checksum& c : kChecksums) {
    EXPECT_TRUE(std::any_of(runs.begin(), runs.end(), [&](const Pinned& p) { return p.name == c.name; })) << c.name;
  }
}

}  // namespace
}  // namespace brindlemar
