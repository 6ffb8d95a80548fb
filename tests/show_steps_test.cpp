#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/particle_field.h"
#include "engine/process_state.h"
#include "engine/show_steps.h"
#include "engine/transition_interval.h"
#include "overlays/canvas.h"
#include "settings/memory_store.h"
#include "settings/settings_store.h"
#include "support/recording_canvas.h"
#include "support/shared_state.h"
#include "surfaces/memory_window.h"

namespace brindlemar {
namespace {

using testing::RecordingCanvas;

// A frame image with the platform's canvas, watched through a recorder; the
// last one made is the one the field draws into.
class RecordedImage final : public FrameImage {
 public:
  explicit RecordedImage(std::unique_ptr<FrameImage> real) : real_(std::move(real)), recorder(real_->GetCanvas()) {}
  uint8_t* Bits() override { return real_->Bits(); }
  Canvas* GetCanvas() override { return &recorder; }

 private:
  std::unique_ptr<FrameImage> real_;

 public:
  RecordingCanvas recorder;
};

RecordedImage* lastImage = nullptr;

std::unique_ptr<FrameImage> CreateRecordedImage(const BitmapHeader& header) {
  std::unique_ptr<FrameImage> real = CreateCanvasFrameImage(header);
  if (!real) return nullptr;
  auto image = std::make_unique<RecordedImage>(std::move(real));
  lastImage = image.get();
  return image;
}

// A full-screen field on a 400x300 window with the 51 favorites installed,
// a manual clock and a canvas on the frame image.
struct ShowRig {
  explicit ShowRig(int32_t grains = 450) : window(400, 300, CreateRecordedImage) {
    clock.tick = 100000;
    field = std::make_unique<ParticleField>(store, clock);
    field->BindWindow(&window, 1);
    field->SetGrainCount(grains, 1);
    field->CreateMemorySurface24();
    field->CreateOverlayFonts();
    field->Restart(0.1, 1, 13, 4);
    field->StartAnimation();
    field->phaseTick = clock.tick;
  }

  void Frame(uint32_t advanceMs = 33) {
    clock.tick += advanceMs;
    field->DriveFrame();
  }

  RecordingCanvas& Canvas() { return lastImage->recorder; }

  testing::SharedStateScope shared;
  MemoryStore store;
  ManualClock clock;
  MemoryWindow window;
  std::unique_ptr<ParticleField> field;
};

SizeI ExtentIn(Canvas& canvas, const CanvasFont* font, const char* text) {
  CanvasFont* previous = canvas.SelectFont(const_cast<CanvasFont*>(font));
  const SizeI extent = canvas.TextExtent(text);
  canvas.SelectFont(previous);
  return extent;
}

// --- The transition and message state machines ------------------------------

TEST(Transitions, TimerStartsAZoomOutOnlyWithSomethingToShowAndNoPrompt) {
  struct Case {
    int32_t messages, random, prompt;
    int32_t expectState;
  };
  const Case cases[] = {
      {0, 1, 0, kZoomingOut}, {1, 0, 0, kZoomingOut}, {1, 1, 0, kZoomingOut},
      {0, 0, 0, kRunning},    {1, 1, 1, kRunning},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::vector<int32_t>{c.messages, c.random, c.prompt}));
    ShowRig rig;
    rig.field->showMessages = c.messages;
    rig.field->randomFavorites = c.random;
    rig.field->passwordPrompt = c.prompt;
    if (c.prompt) rig.field->promptDeadline = rig.clock.tick + 100000;
    rig.field->transitionInterval = 1000;

    rig.Frame(1000);  // exactly one interval: not yet
    EXPECT_EQ(rig.field->transitionState, kRunning);
    rig.Frame(1);
    EXPECT_EQ(rig.field->transitionState, c.expectState);
    // The timer restarts its interval either way.
    EXPECT_EQ(rig.field->phaseTick, rig.clock.tick);
    const uint32_t interval = rig.field->transitionInterval;
    if (c.expectState == kZoomingOut) {
      EXPECT_GE(interval, 60000u);
      EXPECT_LE(interval, 90000u);
    } else {
      EXPECT_EQ(interval, 1000u);
    }
  }
}

TEST(Transitions, ZoomOutEndsInTheFirstFrameWithEveryGrainParked) {
  ShowRig rig;
  rig.field->randomFavorites = 0;
  rig.field->showMessages = 1;
  rig.field->transitionState = kZoomingOut;
  rig.field->phaseTick = rig.clock.tick;
  const int32_t n = rig.field->liveGrains;
  auto allParked = [&] {
    for (int32_t i = 0; i < n; ++i) {
      if (rig.field->posX[i] != 0.0f || rig.field->posY[i] != 600.0f) return false;
    }
    return true;
  };
  int32_t frames = 0;
  while (rig.field->transitionState == kZoomingOut && frames < 2000) {
    EXPECT_FALSE(allParked()) << "frame " << frames;
    rig.Frame();
    ++frames;
  }
  ASSERT_EQ(rig.field->transitionState, kSwitching);
  EXPECT_TRUE(allParked());
  EXPECT_GT(frames, 10);
  EXPECT_LT(frames * 33u, rig.field->transitionInterval);
  EXPECT_EQ(rig.field->phaseTick, rig.clock.tick);
}

TEST(Transitions, ZoomOutBlowsThePictureUpAboutTheCentre) {
  ShowRig rig;
  rig.field->transitionState = kZoomingOut;
  rig.field->phaseTick = rig.clock.tick;
  const int32_t n = rig.field->liveGrains;
  rig.field->posX[0] = 210.0f;
  rig.field->posY[0] = 140.0f;
  rig.field->posX[n - 1] = 1.0f;  // already outside: parked
  rig.Frame(1000);
  // s = 1000 × 0.00002 + 1 = 1.02; grain 0 grows by 1.003 × s.
  const double grow = 1.003 * 1.02f;
  EXPECT_FLOAT_EQ(rig.field->posX[0], static_cast<float>((210.0f - 200) * grow + 200));
  EXPECT_FLOAT_EQ(rig.field->posY[0], static_cast<float>((140.0f - 150) * grow + 150));
  EXPECT_EQ(rig.field->posX[n - 1], 0.0f);
  EXPECT_EQ(rig.field->posY[n - 1], 600.0f);
}

TEST(Transitions, RandomFavoritesWithoutMessagesSwitchOneFrameAfterTheZoomOut) {
  ShowRig rig;
  rig.field->showMessages = 0;
  rig.field->randomFavorites = 1;
  rig.field->favoriteName = "before";
  rig.field->lastFps = 7;
  rig.field->transitionState = kSwitching;
  rig.Frame();
  EXPECT_EQ(rig.field->transitionState, kRunning);
  EXPECT_EQ(rig.field->messagePhase, MessagePhase::kNone);
  EXPECT_NE(rig.field->favoriteName, "before");
  EXPECT_EQ(rig.field->favoriteTick, rig.clock.tick);
  EXPECT_EQ(rig.field->adjustTick, rig.clock.tick);
  EXPECT_EQ(rig.field->lastFps, 0);
  EXPECT_EQ(rig.field->frameCount, 1u);  // restarted, then this frame counted
  EXPECT_EQ(rig.field->firstFrameTick, rig.clock.tick);
}

// Walks a message from the switch to the end of its hold: 200 ms pause,
// 100 grains seeded per frame onto bright pixels, the text held until 8 s
// after seeding began.
TEST(Transitions, MessageIsSpelledInGrainsAndHeldEightSeconds) {
  for (int32_t random : {0, 1}) {
    SCOPED_TRACE(random ? "with random favorites" : "messages alone");
    ShowRig rig(450);
    rig.field->showMessages = 1;
    rig.field->randomFavorites = random;
    rig.field->favoriteName = "before";
    rig.field->transitionState = kSwitching;
    rig.field->phaseTick = rig.clock.tick;

    rig.Frame(200);
    EXPECT_EQ(rig.field->transitionState, kSwitching);
    rig.Frame(1);
    ASSERT_EQ(rig.field->transitionState, kRunning);
    ASSERT_EQ(rig.field->messagePhase, MessagePhase::kSeeding);
    const uint32_t seedingStart = rig.field->phaseTick;
    EXPECT_EQ(seedingStart, rig.clock.tick);

    // 450 grains: 100, 200, 300, 400, then the last 50 end the seeding.
    for (int32_t cursor : {100, 200, 300, 400}) {
      rig.Frame();
      EXPECT_EQ(rig.field->seedCursor, cursor);
      EXPECT_EQ(rig.field->messagePhase, MessagePhase::kSeeding);
    }
    rig.Frame();
    EXPECT_EQ(rig.field->seedCursor, 0);
    ASSERT_EQ(rig.field->messagePhase, MessagePhase::kHolding);
    EXPECT_EQ(rig.field->phaseTick, seedingStart);

    // Every grain is white and lies on the text's rectangle; most of them
    // on its letters.
    const RectI r = rig.field->messageRect;
    int32_t onLetters = 0;
    for (int32_t i = 0; i < 450; ++i) {
      EXPECT_EQ(rig.field->color0[i], 255.0f);
      EXPECT_GE(rig.field->posX[i], r.left);
      EXPECT_LE(rig.field->posX[i], r.right);
      if (rig.field->surface->GetPixel(static_cast<int32_t>(rig.field->posX[i]),
                                       static_cast<int32_t>(rig.field->posY[i])) >= 0xC8C8C8u) {
        ++onLetters;
      }
    }
    EXPECT_GT(onLetters, 400);
    std::vector<float> seededX(rig.field->posX, rig.field->posX + 450);

    // Held while under 8000 ms from the start of seeding; the grains wait.
    rig.clock.tick = seedingStart + 7999 - 33;
    rig.Frame();
    EXPECT_EQ(rig.field->messagePhase, MessagePhase::kHolding);
    EXPECT_EQ(std::vector<float>(rig.field->posX, rig.field->posX + 450), seededX);
    rig.Frame(1);
    EXPECT_EQ(rig.field->messagePhase, MessagePhase::kNone);
    EXPECT_EQ(rig.field->favoriteName != "before", random == 1);
    if (random) continue;  // the new favorite lays its grains out afresh
    // The same favorite goes on: the grains leave the letters from where
    // they lay (their first step may be tiny; the vortices act after it).
    rig.Frame();
    int32_t moved = 0;
    for (int32_t i = 0; i < 450; ++i) {
      if (rig.field->posX[i] != seededX[i]) ++moved;
      EXPECT_NEAR(rig.field->posX[i], seededX[i], 40.0f);
    }
    EXPECT_GT(moved, 100);
  }
}

TEST(Transitions, EqualMinAndMaxTimeSwitchTheTimerOff) {
  ShowRig rig;
  rig.store.CreateKey(kMessagesKey, nullptr);
  WriteDword(rig.store, kMessagesKey, "MinTime", 0);
  WriteDword(rig.store, kMessagesKey, "MaxTime", 0);
  rig.field->randomFavorites = 1;
  rig.field->transitionInterval = 500;
  rig.Frame(501);
  EXPECT_EQ(rig.field->transitionState, kZoomingOut);
  EXPECT_EQ(rig.field->transitionInterval, 0u);

  rig.field->transitionState = kRunning;
  const uint32_t phase = rig.field->phaseTick;
  for (int32_t k = 0; k < 10; ++k) rig.Frame(100000);
  EXPECT_EQ(rig.field->transitionState, kRunning);
  EXPECT_EQ(rig.field->phaseTick, phase);
}

TEST(Transitions, IntervalIsDrawnBetweenMinAndMaxTime) {
  struct Case {
    double u;
    int32_t minTime, maxTime;
    uint32_t expect;
  };
  const Case cases[] = {
      {0.5, 60, 90, 75000},
      {0.0, 10, 20, 10000},
      {0.999, 0, 0, 0},
      {0.25, 30, 30, 30000},
      {0.5, 90, 60, 0xFFFFFFFFu},  // reversed: held at the largest interval
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TransitionIntervalMs(c.u, c.minTime, c.maxTime), c.expect) << c.minTime << ".." << c.maxTime;
  }
}

TEST(Transitions, MessageIndexFavoursTheFirstAndNeverRepeats) {
  ShowRig rig;
  for (int32_t count : {1, 2, 5}) {
    rig.field->messageCount = count;
    rig.field->messageIndex = 0;
    std::vector<int32_t> seen(static_cast<size_t>(count));
    for (int32_t k = 0; k < 3000; ++k) {
      const int32_t before = rig.field->messageIndex;
      ChooseMessageIndex(*rig.field);
      const int32_t m = rig.field->messageIndex;
      ASSERT_GE(m, 0);
      ASSERT_LT(m, count);
      if (count >= 2) {
        ASSERT_NE(m, before);
      }
      ++seen[static_cast<size_t>(m)];
    }
    if (count == 5) {
      // u^1.4 leans toward the start of the list.
      EXPECT_GT(seen[0], seen[4]);
      EXPECT_GT(seen[1], seen[4]);
    }
  }
}

// --- Overlays -----------------------------------------------------------------

TEST(FrameRate, TextIsTenthsOfFramesPerSecond) {
  struct Case {
    uint32_t frames, elapsed;
    const char* text;
  };
  const Case cases[] = {
      {123, 4567, "26.9 fps"},
      {30, 1000, "30.0 fps"},
      {1, 3, "333.3 fps"},
      {0, 1000, ""},
      {10, 0, ""},
      // Four and a half hours at 30 fps without a reset.
      {500000, 16666666, "30.0 fps"},
  };
  for (const Case& c : cases) EXPECT_EQ(FrameRateText(c.frames, c.elapsed), c.text) << c.frames << "/" << c.elapsed;
}

TEST(FrameRate, TextSitsBottomLeftInItalicOnBlack) {
  ShowRig rig;
  Process().showFps = 1;
  rig.field->randomFavorites = 0;
  rig.Frame();  // first counted frame
  rig.field->frameCount = 123;
  rig.field->firstFrameTick = rig.clock.tick + 33 - 4567;
  rig.Frame();
  RecordingCanvas& canvas = rig.Canvas();
  ASSERT_FALSE(canvas.texts.empty());
  const RecordingCanvas::TextCall& call = canvas.texts.back();
  EXPECT_EQ(call.text, "26.9 fps");
  EXPECT_EQ(call.format, 0x28u);
  EXPECT_EQ(call.color, 0x00B860C4u);
  EXPECT_EQ(call.rect.left, 0);
  EXPECT_EQ(call.rect.bottom, 300);
  EXPECT_EQ(call.rect.top, 300 - ExtentIn(canvas, call.font, "26.9 fps").cy);
  EXPECT_EQ(canvas.background, Background::kOpaque);
  EXPECT_EQ(canvas.backgroundColor, 0u);
  ASSERT_NE(call.font, nullptr);
  const auto* font = static_cast<const RecordingCanvas::Font*>(call.font);
  EXPECT_EQ(font->fontSpec.italic, 1);
  EXPECT_EQ(font->fontSpec.face, "Times New Roman");
  EXPECT_EQ(canvas.selected, nullptr);  // the previous font is back
}

TEST(FrameRate, AdjustmentCutsOnlyInFullScreenAndNeverBelowTheHalves) {
  struct Case {
    const char* what;
    int32_t fullScreen, grains, halfGrains, complexity, complexityHalf;
    uint32_t frames, elapsed;
    int32_t lastFps;
    int32_t expectGrains, expectComplexity, expectHalfGrains, expectLastFps;
    bool reset;
  };
  // targetFps 12; 6 fps over 1000 ms: ratio = 1 - 0.5 × 0.4 = 0.8.
  const Case cases[] = {
      {"slow: one vortex and a fifth of the grains", 1, 1000, 500, 8, 4, 6, 1000, 0, 800, 7, 500, 6, true},
      {"preview never adjusts", 0, 1000, 500, 8, 4, 6, 1000, 0, 1000, 8, 500, 0, false},
      {"at the halves nothing is cut", 1, 500, 500, 4, 4, 6, 1000, 0, 500, 4, 500, 0, false},
      {"grains at half: only a vortex goes", 1, 500, 500, 8, 4, 6, 1000, 0, 500, 7, 500, 6, true},
      {"fast enough", 1, 1000, 500, 8, 4, 13, 1000, 0, 1000, 8, 500, 0, false},
      {"no better than the last cut", 1, 1000, 500, 8, 4, 6, 1000, 6, 1000, 8, 500, 6, false},
      {"five frames are too few", 1, 1000, 500, 8, 4, 5, 1000, 0, 1000, 8, 500, 0, false},
      // 11.95 fps: ratio 0.998 keeps the grains and makes this the half.
      {"nearly there", 1, 1000, 500, 8, 4, 239, 20000, 0, 1000, 8, 1000, 11, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ShowRig rig(1000);
    ParticleField& f = *rig.field;
    f.fullScreen = c.fullScreen;
    f.liveGrains = f.grainCapacity = c.grains;
    f.halfGrains = c.halfGrains;
    f.complexity = c.complexity;
    f.complexityHalf = c.complexityHalf;
    f.targetFps = 12;
    f.lastFps = c.lastFps;
    f.frameCount = c.frames;
    const uint32_t now = 50000;
    f.firstFrameTick = now - c.elapsed;
    f.adjustTick = now - 2000;
    AdjustFrameRate(f, now);
    EXPECT_EQ(f.liveGrains, c.expectGrains);
    EXPECT_EQ(f.complexity, c.expectComplexity);
    EXPECT_EQ(f.halfGrains, c.expectHalfGrains);
    EXPECT_EQ(f.lastFps, c.expectLastFps);
    EXPECT_EQ(f.frameCount == 0, c.reset);
  }
}

TEST(FrameRate, AdjustmentWaitsTwoSecondsBetweenChecks) {
  ShowRig rig(1000);
  ParticleField& f = *rig.field;
  f.halfGrains = 500;
  f.targetFps = 12;
  f.frameCount = 6;
  f.firstFrameTick = 49000;
  f.adjustTick = 48001;  // 1999 ms ago
  AdjustFrameRate(f, 50000);
  EXPECT_EQ(f.liveGrains, 1000);
  EXPECT_EQ(f.adjustTick, 48001u);
  // A check "in the future" (a signed difference) waits too.
  f.adjustTick = 51000;
  AdjustFrameRate(f, 50000);
  EXPECT_EQ(f.liveGrains, 1000);
}

TEST(Caption, FavoriteNameShowsForSixSecondsAfterALoadWithRandomFavorites) {
  struct Case {
    int32_t random, showClock;
    uint32_t sinceLoad;
    bool drawn;
    bool centred;
  };
  const Case cases[] = {
      {1, 0, 0, true, true},   {1, 0, 6000, true, true}, {1, 0, 6001, false, false},
      {0, 0, 100, false, false}, {1, 1, 100, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sinceLoad);
    ShowRig rig;
    rig.field->randomFavorites = c.random;
    rig.field->showClock = c.showClock;
    rig.field->favoriteName = "Brindlemar Falls";
    rig.field->transitionInterval = 0;
    rig.field->favoriteTick = rig.clock.tick + 33 - c.sinceLoad;
    rig.Frame();
    RecordingCanvas& canvas = rig.Canvas();
    const RecordingCanvas::TextCall* caption = nullptr;
    for (const auto& call : canvas.texts) {
      if (call.text == "Brindlemar Falls") caption = &call;
    }
    ASSERT_EQ(caption != nullptr, c.drawn);
    if (!caption) continue;
    const int32_t width = ExtentIn(canvas, caption->font, "Brindlemar Falls").cx;
    EXPECT_EQ(caption->rect.left, c.centred ? (400 - width) / 2 : 0);
    EXPECT_EQ(caption->rect.top, 0);
    EXPECT_EQ(caption->color, 0x00FFFFFFu);
    EXPECT_EQ(static_cast<const RecordingCanvas::Font*>(caption->font)->fontSpec.italic, 0);
  }
}

TEST(OverlayFonts, SizedToTheFieldHeight) {
  struct Case {
    int32_t height, text, symbols;
  };
  const Case cases[] = {{300, 14, 23}, {768, 32, 59}, {384, 16, 29}, {360, 14, 27}};
  for (const Case& c : cases) {
    MemoryStore store;
    ManualClock clock;
    MemoryWindow window(320, c.height, CreateRecordedImage);
    ParticleField field(store, clock);
    field.BindWindow(&window, 1);
    field.CreateMemorySurface24();
    field.CreateOverlayFonts();
    const std::vector<FontSpec>& fonts = lastImage->recorder.fonts;
    ASSERT_EQ(fonts.size(), 3u);
    EXPECT_EQ(fonts[0].height, c.text);
    EXPECT_EQ(fonts[0].italic, 1);
    EXPECT_EQ(fonts[1].height, c.text);
    EXPECT_EQ(fonts[1].italic, 0);
    EXPECT_EQ(fonts[2].face, "Wingdings");
    EXPECT_EQ(fonts[2].height, c.symbols);
    EXPECT_EQ(fonts[2].weight, 150);
  }
}

TEST(Overlays, ClockFaceIsDrawnWithTheWhitePenEveryFrame) {
  ShowRig rig;
  rig.field->showClock = 1;
  rig.field->overlayStyle = 0;
  rig.field->randomFavorites = 0;
  rig.clock.local.hour = 3;
  rig.Frame();
  RecordingCanvas& canvas = rig.Canvas();
  EXPECT_EQ(canvas.pen, StockPen::kWhite);
  EXPECT_FALSE(canvas.paths.empty());
}

}  // namespace
}  // namespace brindlemar
