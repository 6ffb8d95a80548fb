#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/clock.h"
#include "engine/particle_field.h"
#include "engine/process_state.h"
#include "platform/posix/x11/changed_bands.h"
#include "platform/posix/x11/frame_converter.h"
#include "settings/favorite_record.h"
#include "settings/load_parameters.h"
#include "settings/memory_store.h"
#include "settings/presets.h"
#include "settings/settings_store.h"
#include "support/shared_state.h"
#include "surfaces/heap_frame_image.h"

namespace brindlemar::x11 {
namespace {

// Whether the rectangles lie inside the picture, overlap nowhere, and hold
// every changed tile.
void ExpectCovered(const ChangedTiles& tiles, const std::vector<PutRect>& rects) {
  std::vector<int32_t> cover(static_cast<size_t>(tiles.width) * static_cast<size_t>(tiles.height), 0);
  for (const PutRect& r : rects) {
    ASSERT_TRUE(r.x >= 0 && r.y >= 0 && r.width > 0 && r.height > 0 && r.x + r.width <= tiles.width &&
                r.y + r.height <= tiles.height)
        << r.x << "," << r.y << " " << r.width << "x" << r.height;
    for (int32_t y = r.y; y < r.y + r.height; ++y) {
      for (int32_t x = r.x; x < r.x + r.width; ++x) ++cover[static_cast<size_t>(y) * tiles.width + x];
    }
  }
  for (int32_t y = 0; y < tiles.height; ++y) {
    for (int32_t x = 0; x < tiles.width; ++x) {
      const int32_t n = cover[static_cast<size_t>(y) * tiles.width + x];
      ASSERT_LE(n, 1) << "pixel " << x << "," << y << " is sent twice";
      if (tiles.At(x / ChangedTiles::kTilePixels, y / ChangedTiles::kTileRows)) {
        ASSERT_EQ(n, 1) << "changed pixel " << x << "," << y << " is not sent";
      }
    }
  }
}

TEST(X11ChangedBands, GatherEveryChangedTileIntoAFewRectangles) {
  constexpr int32_t w = ChangedTiles::kTilePixels, h = ChangedTiles::kTileRows;
  struct Case {
    const char* name;
    int32_t width, height;
    std::vector<std::pair<int32_t, int32_t>> marks;  // pixel x, row y
    size_t rectangles;
  };
  const Case cases[] = {
      {"nothing changed", 10 * w, 4 * h, {}, 0},
      {"one pixel", 10 * w, 4 * h, {{5, 17}}, 1},
      {"a band's tiles two apart in one", 10 * w, 4 * h, {{0, 0}, {3 * w, h - 1}}, 1},
      {"a band's tiles three apart in two", 10 * w, 4 * h, {{0, 0}, {4 * w, 0}}, 2},
      {"tiles alike in neighbouring bands join", 10 * w, 4 * h, {{w, 0}, {w, h}, {w, 3 * h}}, 2},
      {"runs unlike in neighbouring bands stay apart", 10 * w, 4 * h, {{w, 0}, {w, h}, {2 * w, h}}, 2},
      {"the last column and band cut short", 3 * w + 5, 2 * h + 3, {{3 * w + 4, 2 * h + 2}, {0, 2 * h}}, 1},
      {"a quarter of a band's width puts all of it", 10 * w, 4 * h, {{0, 0}, {4 * w, 0}, {9 * w, 0}}, 1},
      {"half the picture puts all of it",
       10 * w,
       4 * h,
       {{0, 0}, {4 * w, 0}, {9 * w, 0}, {0, 2 * h}, {4 * w, 2 * h}, {9 * w, 2 * h}},
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ChangedTiles tiles;
    tiles.Reset(c.width, c.height);
    for (const auto& [x, y] : c.marks) tiles.Mark(y, x, x + 1);
    const std::vector<PutRect> rects = ChangedBands(tiles, 2);
    EXPECT_EQ(rects.size(), c.rectangles);
    ExpectCovered(tiles, rects);
  }
  std::mt19937 random(5);
  for (int32_t round = 0; round < 50; ++round) {
    ChangedTiles tiles;
    tiles.Reset(1 + static_cast<int32_t>(random() % 700), 1 + static_cast<int32_t>(random() % 90));
    for (uint8_t& flag : tiles.changed) flag = random() % 3 == 0;
    ExpectCovered(tiles, ChangedBands(tiles, static_cast<int32_t>(random() % 4)));
  }
}

// A window target as the X11 one is, with the server's screen in memory:
// each frame is converted into the image while the surface fades, and only
// the rectangles of what changed go to the screen. After each frame the
// screen must hold the whole frame's conversion.
class ServerScreen final : public WindowTarget {
 public:
  ServerScreen(int32_t width, int32_t height, ConvertPath path)
      : width_(width), height_(height), stride_(static_cast<size_t>(width) * 4) {
    converter_.LimitPath(path);
    image_.assign(stride_ * height, 0);
    screen_.assign(stride_ * height, 0x77);
  }

  ResultCode GetClientSize(int32_t& width, int32_t& height) override {
    width = width_;
    height = height_;
    return kOk;
  }
  std::unique_ptr<FrameImage> CreateFrameImage(const BitmapHeader& header) override {
    return HeapFrameImage::Create(header);
  }
  void Show(FrameImage& image, const BitmapHeader& header, int32_t width, int32_t height) override {
    const std::vector<uint8_t> expected = Expected(image, header, width, height);
    converter_.Convert(image.Bits(), header, width, height, kArgb, image_.data(), stride_);
    Put(expected);
  }
  bool ShowAndFade(FrameImage& image, const BitmapHeader& header, int32_t width, int32_t height,
                   ImageFader& fader) override {
    const std::vector<uint8_t> expected = Expected(image, header, width, height);
    converter_.ConvertFading(image.Bits(), header, width, height, kArgb, image_.data(), stride_, fader);
    Put(expected);
    return true;
  }
  void Invalidate() override {}

  size_t sentPixels = 0;

 private:
  static constexpr PixelLayout kArgb{0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000, 4, false};

  std::vector<uint8_t> Expected(FrameImage& image, const BitmapHeader& header, int32_t width, int32_t height) {
    std::vector<uint8_t> expected = screen_;
    ConvertFrameReference(image.Bits(), header, width, height, kArgb, expected.data(), stride_);
    return expected;
  }

  void Put(const std::vector<uint8_t>& expected) {
    std::vector<PutRect> rects = ChangedBands(converter_.Written(), 2);
    if (!shownOnce_) rects = {{0, 0, width_, height_}};
    shownOnce_ = true;
    for (const PutRect& r : rects) {
      for (int32_t y = r.y; y < r.y + r.height; ++y) {
        const size_t at = static_cast<size_t>(y) * stride_ + static_cast<size_t>(r.x) * 4;
        std::copy_n(image_.begin() + static_cast<ptrdiff_t>(at), static_cast<size_t>(r.width) * 4,
                    screen_.begin() + static_cast<ptrdiff_t>(at));
      }
      sentPixels += static_cast<size_t>(r.width) * static_cast<size_t>(r.height);
    }
    ++frame_;
    ASSERT_EQ(screen_, expected) << "frame " << frame_;
  }

  int32_t width_, height_;
  size_t stride_;
  FrameConverter converter_;
  std::vector<uint8_t> image_, screen_;
  bool shownOnce_ = false;
  int32_t frame_ = 0;
};

int32_t PresetIndex(std::string_view name) {
  for (int32_t k = 0; k < kPresetCount; ++k) {
    if (PresetName(k) == name) return k;
  }
  ADD_FAILURE() << "no preset " << name;
  return 0;
}

// The favorites whose cost the changed bands cut, run frame after frame:
// the screen shows every frame exactly, with the kernel that knows what it
// left alone and with one that writes everything.
TEST(X11ChangedBands, TheScreenShowsEveryFrameOfTheFavorites) {
  const char* favorites[] = {"Clouds of Light", "Swirling Sparkles", "Brindlemar Falls", "Crystalline Snowflake"};
  for (ConvertPath path : {ConvertPath::kAvx2, ConvertPath::kSsse3}) {
    for (const char* name : favorites) {
      SCOPED_TRACE(::testing::Message() << name << ", kernel " << static_cast<int32_t>(path));
      testing::SharedStateScope shared;
      ManualClock clock;
      clock.tick = 0x5EED0000u;
      ProcessRandom().SetClock(clock);
      ProcessRandom().Seed(7);
      MemoryStore store;
      store.CreateKey(kConfigKey, nullptr);
      ServerScreen screen(240, 180, path);
      ParticleField field(store, clock);
      field.BindWindow(&screen, 1);
      ParameterSet p = RecordParameters(ParseRecord(FastPreset(PresetIndex(name))));
      p.grains = std::max(p.grains * 240 / 640 * 180 / 480, 10);
      field.randomFavorites = 0;
      ApplyParameters(field, p);
      ASSERT_EQ(field.CreateMemorySurface24(), kOk);
      field.surface->SetFade(field.trails ? field.trailLength : -1, field.dither);
      ASSERT_EQ(field.Restart(0.25, -1, -1, -1), 1);
      field.StartAnimation();
      for (int32_t k = 0; k < 150 && !HasFatalFailure(); ++k) {
        clock.tick += 33;
        field.DriveFrame();
      }
    }
  }
}

}  // namespace
}  // namespace brindlemar::x11
