#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/particle_field.h"
#include "settings/favorite_record.h"
#include "settings/memory_store.h"
#include "settings/settings_store.h"
#include "support/test_window.h"

namespace brindlemar {
namespace {

using testing::TestWindow;

// A mode-changing display that answers as told and logs its calls.
class FakeDisplay final : public DisplayInterface {
 public:
  FakeDisplay(std::vector<std::string>* log, ResultCode openResult, ResultCode setModeResult)
      : log_(log), openResult_(openResult), setModeResult_(setModeResult) {}
  ResultCode Open(WindowTarget*) override {
    log_->push_back("open");
    return openResult_;
  }
  ResultCode SetMode(int32_t w, int32_t h, int32_t bits) override {
    log_->push_back("mode " + std::to_string(w) + "x" + std::to_string(h) + "x" + std::to_string(bits));
    return setModeResult_;
  }
  void Close() override { log_->push_back("close"); }

 private:
  std::vector<std::string>* log_;
  ResultCode openResult_;
  ResultCode setModeResult_;
};

inline constexpr ResultCode kModeRefused = static_cast<int32_t>(0x80004001u);

// A field whose platform parts (display, front-buffer surfaces, user name)
// are scripted, logging which surface kinds it was asked for.
class ScriptedField final : public ParticleField {
 public:
  using ParticleField::ParticleField;

  ResultCode CreateMemorySurface24() override {
    log->push_back("memory24");
    return refuseMemory24 ? Refuse(24) : ParticleField::CreateMemorySurface24();
  }
  ResultCode CreateMemorySurface16() override {
    log->push_back("memory16");
    return refuseMemory16 ? Refuse(16) : ParticleField::CreateMemorySurface16();
  }
  // A front buffer needs an open display; it is a memory surface here.
  ResultCode CreateFrontBufferSurface24() override {
    log->push_back("front24");
    if (!display || refuseFront24) return Refuse(24);
    return ParticleField::CreateMemorySurface24();
  }
  ResultCode CreateFrontBufferSurface16() override {
    log->push_back("front16");
    if (!display || refuseFront16) return Refuse(16);
    return ParticleField::CreateMemorySurface16();
  }

  // Outlives the field: the field closes its display as it goes.
  std::vector<std::string>* log = nullptr;
  bool hasDisplay = true;
  ResultCode openResult = kOk;
  ResultCode setModeResult = kOk;
  int32_t userNameReadable = 1;
  bool refuseMemory24 = false, refuseMemory16 = false, refuseFront24 = false, refuseFront16 = false;

 protected:
  std::unique_ptr<DisplayInterface> CreateDisplay() override {
    if (!hasDisplay) return nullptr;
    return std::make_unique<FakeDisplay>(log, openResult, setModeResult);
  }
  int32_t CanReadUserName() override { return userNameReadable; }

 private:
  ResultCode Refuse(int32_t bits) {
    surfaceBits = bits;
    surface.reset();
    return kFail;
  }
};

struct AttachRig {
  AttachRig() {
    clock.tick = 5000;
  }

  // Stores "Settings" with the given trails and grain count, the rotation
  // switch and the wanted display mode.
  void Store(int32_t trails, int32_t random, int32_t grains = 4000, int32_t bits = 16, int32_t directDraw = 1) {
    store.CreateKey(kConfigKey, nullptr);
    FavoriteRecord r = ParseRecord(FormatRecord(FavoriteRecord{}, RecordForm::kSettings));
    r.dimensionality = 1;
    r.configuration = 13;
    r.grains = grains;
    r.complexity = 4;
    r.trails = trails;
    r.trailLength = 50;
    r.dotStyle = 2;
    WriteString(store, kConfigKey, "Settings", FormatRecord(r, RecordForm::kSettings));
    WriteDword(store, kConfigKey, "Random", random);
    WriteDword(store, kConfigKey, "DirectDraw", directDraw);
    WriteDword(store, kConfigKey, "ScreenResX", 640);
    WriteDword(store, kConfigKey, "ScreenResY", 480);
    WriteDword(store, kConfigKey, "ScreenResBits", bits);
  }

  ScriptedField& Make() {
    field = std::make_unique<ScriptedField>(store, clock);
    field->log = &log;
    return *field;
  }

  MemoryStore store;
  ManualClock clock;
  TestWindow window{800, 600};
  std::vector<std::string> log;
  std::unique_ptr<ScriptedField> field;
};

TEST(Attach, ChoosesTheSurfaceKindInTheOrderWritten) {
  struct Case {
    const char* what;
    int32_t fullScreen, trails, random, desktopBits, wantedBits, directDraw;
    bool hasDisplay;
    ResultCode openResult, setModeResult;
    bool refuseFront24, refuseMemory24;
    int32_t userName;
    std::vector<std::string> log;
    int32_t surfaceBits;
    int32_t width;  // the wanted 640 when a front buffer draws
  };
  const Case cases[] = {
      {"16-bit desktop, plain show, no mode change", 1, 0, 0, 16, 16, 0, false, kOk, kOk, false, false, 1,
       {"memory16"}, 16, 800},
      {"16-bit desktop with trails", 1, 1, 0, 16, 16, 0, false, kOk, kOk, false, false, 1, {"memory24"}, 24, 800},
      {"24-bit desktop, plain show", 1, 0, 0, 24, 16, 0, false, kOk, kOk, false, false, 1, {"memory24"}, 24, 800},
      {"24-bit memory refused on a 24-bit desktop", 1, 0, 0, 24, 16, 0, false, kOk, kOk, false, true, 1,
       {"memory24", "memory16"}, 16, 800},
      {"the mode change, wanted 16 bits, plain show: front buffer 16", 1, 0, 0, 32, 16, 1, true, kOk, kOk, false, false,
       1, {"open", "mode 640x480x16", "front16"}, 16, 640},
      {"the mode change with trails: front buffer 24", 1, 1, 0, 32, 16, 1, true, kOk, kOk, false, false, 1,
       {"open", "mode 640x480x16", "front24"}, 24, 640},
      {"random favorites: front buffer 24 only, then memory 24", 1, 0, 1, 32, 16, 1, true, kOk, kOk, true, false, 1,
       {"open", "mode 640x480x16", "front24", "memory24"}, 24, 800},
      {"wanted 24 bits: front 24 first, then 16", 1, 0, 0, 32, 24, 1, true, kOk, kOk, true, false, 1,
       {"open", "mode 640x480x24", "front24", "front16"}, 16, 640},
      {"display missing: front kinds fail, memory at the desktop's depth", 1, 0, 0, 32, 16, 1, false, kOk, kOk, false,
       false, 1, {"front16", "memory24"}, 24, 800},
      {"open refused", 1, 0, 0, 16, 16, 1, true, kFail, kOk, false, false, 1,
       {"open", "close", "front16", "memory16"}, 16, 800},
      {"mode refused: back to the desktop's mode", 1, 0, 0, 24, 16, 1, true, kOk, kModeRefused, false, false, 1,
       {"open", "mode 640x480x16", "close", "front16", "memory24"}, 24, 800},
      {"user name unreadable: no mode change", 1, 0, 0, 24, 16, 1, true, kOk, kOk, false, false, 0, {"memory24"}, 24,
       800},
      {"preview: memory 24, never the mode change", 0, 0, 1, 16, 16, 1, true, kOk, kOk, false, false, 1, {"memory24"},
       24, 800},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    AttachRig rig;
    rig.Store(c.trails, c.random, 4000, c.wantedBits, c.directDraw);
    ScriptedField& f = rig.Make();
    f.hasDisplay = c.hasDisplay;
    f.openResult = c.openResult;
    f.setModeResult = c.setModeResult;
    f.refuseFront24 = c.refuseFront24;
    f.refuseMemory24 = c.refuseMemory24;
    f.userNameReadable = c.userName;
    rig.window.desktopBits = c.desktopBits;
    ASSERT_EQ(f.Attach(&rig.window, c.fullScreen), kOk);
    EXPECT_EQ(rig.log, c.log);
    ASSERT_NE(f.surface, nullptr);
    EXPECT_EQ(f.surfaceBits, c.surfaceBits);
    EXPECT_EQ(f.width, c.width);
    EXPECT_EQ(f.surface->FadeLevel() >= 0, f.trails != 0);
  }
}

TEST(Attach, KeepsTheDesktopModeWhenItIsTheWantedOneOrAPasswordIsRequired) {
  for (int32_t reason : {0, 1}) {
    AttachRig rig;
    rig.Store(0, 0, 4000, 24);
    WriteDword(rig.store, kConfigKey, "ScreenResX", reason == 0 ? 800 : 640);
    WriteDword(rig.store, kConfigKey, "ScreenResY", reason == 0 ? 600 : 480);
    ScriptedField& f = rig.Make();
    if (reason == 1) f.passwordProtected = 1;
    ASSERT_EQ(f.Attach(&rig.window, 1), kOk);
    EXPECT_EQ(f.useDirectDraw, 0);
    EXPECT_EQ(rig.log, std::vector<std::string>{"memory24"});
  }
}

TEST(Attach, EveryKindFailingEndsWithTheLastCodeAndNothingHeld) {
  AttachRig rig;
  rig.Store(0, 0);
  ScriptedField& f = rig.Make();
  f.refuseFront24 = f.refuseFront16 = f.refuseMemory24 = f.refuseMemory16 = true;
  rig.window.desktopBits = 32;
  EXPECT_EQ(f.Attach(&rig.window, 1), kFail);
  EXPECT_EQ(rig.log, (std::vector<std::string>{"open", "mode 640x480x16", "front16", "memory24", "memory16", "close"}));
  EXPECT_EQ(f.surface, nullptr);
  EXPECT_EQ(f.display, nullptr);
  EXPECT_EQ(f.italicFont, nullptr);
}

TEST(Attach, NoWindowIsAnInvalidArgument) {
  AttachRig rig;
  ScriptedField& f = rig.Make();
  EXPECT_EQ(f.Attach(nullptr, 1), kInvalidArg);
  EXPECT_TRUE(rig.log.empty());
}

TEST(Attach, PreviewLoadsSettingsWithAQuarterOfAQuarterOfTheGrains) {
  AttachRig rig;
  rig.Store(1, 1, 4000);
  ScriptedField& f = rig.Make();
  ASSERT_EQ(f.Attach(&rig.window, 0), kOk);
  EXPECT_EQ(f.randomFavorites, 0);
  EXPECT_EQ(f.favoriteName, "*");  // the "Settings" record, not a favorite
  EXPECT_EQ(f.liveGrains, 4000 / 4 / 4);
  EXPECT_EQ(f.grainCapacity, 4000 / 4 / 4);
  EXPECT_EQ(f.fullScreen, 0);
  EXPECT_EQ(f.stepping, 1);
  EXPECT_EQ(f.width, 800);
  EXPECT_EQ(f.height, 600);
}

TEST(Attach, FullScreenWithRandomFavoritesStartsOnAFavorite) {
  AttachRig rig;
  rig.Store(1, 1, 4000);
  ScriptedField& f = rig.Make();
  f.hasDisplay = false;
  ASSERT_EQ(f.Attach(&rig.window, 1), kOk);
  EXPECT_EQ(f.randomFavorites, 1);
  EXPECT_EQ(f.favoriteName, "Brindlemar Falls");
  EXPECT_EQ(f.passwordPrompt, 0);
}

}  // namespace
}  // namespace brindlemar
