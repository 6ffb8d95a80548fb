#include "shell/web_page.h"

#include <algorithm>
#include <cmath>

#include "engine/particle_field.h"
#include "overlays/bitmap_canvas.h"
#include "settings/favorite_list.h"

namespace brindlemar {
namespace {

// The still picture's simulated rate, the renderer's default.
constexpr int32_t kStillFps = 30;
// Sides below this make no picture worth the name; a page may be laid out
// at nothing for a moment.
constexpr int32_t kMinSide = 16;
constexpr int32_t kMaxSide = 8192;
// A wait this long from a frame on the canvas to the next animation callback
// is a pause of the page.
constexpr double kPauseMs = 1000;

// The browser's clock as the engine's tick count: whole milliseconds,
// wrapping at 2^32.
uint32_t Tick(double ms) { return static_cast<uint32_t>(static_cast<uint64_t>(std::max(ms, 0.0))); }

}  // namespace

bool WebPage::Open(std::string_view query, int32_t width, int32_t height, double nowMs, double localTimeMs,
                   int32_t seed) {
  error_.clear();
  link_ = ReadPageLink(query);
  width = std::clamp(link_.options.width.value_or(width), kMinSide, kMaxSide);
  height = std::clamp(link_.options.height.value_or(height), kMinSide, kMaxSide);
  if (!PageRunSetup(link_.options, seed, static_cast<int64_t>(std::floor(localTimeMs)), setup_, error_)) return false;

  auto window = std::make_unique<MemoryWindow>(width, height, CreateBitmapCanvasFrameImage, 4);
  // The old run lets go of its window before the window goes.
  const bool started = run_.Start(setup_, *window, error_);
  window_ = std::move(window);
  if (!started) return false;
  openedMs_ = nowMs;
  shownMs_ = nowMs;
  pausedMs_ = 0;
  framesRun_ = 0;
  pacer_.emplace(ReadFramePeriodMs(run_.Store()), Tick(nowMs));
  return true;
}

bool WebPage::Animate(double nowMs, double localTimeMs) {
  if (!Running() || StillFrames() > 0) return false;
  const uint32_t now = Tick(nowMs);
  if (pacer_->WaitMs(now) > 0) return false;
  if (nowMs - shownMs_ > kPauseMs) pausedMs_ += nowMs - shownMs_ - kDefaultFramePeriodMs;
  // Until the frame is shown, its start stands for that.
  shownMs_ = nowMs;
  const double since = std::max(nowMs - openedMs_, 0.0);
  const int64_t calendar = link_.options.startTime ? setup_.startTime + static_cast<int64_t>(since)
                                                   : static_cast<int64_t>(std::floor(localTimeMs));
  run_.Frame(static_cast<uint64_t>(std::max(since - pausedMs_, 0.0)), calendar);
  pacer_->FrameRan(now);
  return true;
}

int32_t WebPage::RunStill(int32_t count) {
  if (!Running()) return 0;
  const int32_t end = std::min(StillFrames(), framesRun_ + std::max(count, 0));
  for (; framesRun_ < end; ++framesRun_) run_.Frame(FrameElapsedMs(framesRun_, kStillFps));
  return StillFrames() - framesRun_;
}

std::string WebPage::PixelHash() const {
  uint64_t hash = 14695981039346656037ull;
  if (const uint8_t* p = Pixels()) {
    const size_t pixels = static_cast<size_t>(Width()) * static_cast<size_t>(Height());
    for (size_t k = 0; k < pixels; ++k, p += 4) {
      for (int32_t c = 0; c < 3; ++c) hash = (hash ^ p[c]) * 1099511628211ull;
    }
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int32_t k = 15; k >= 0; --k, hash >>= 4) text[static_cast<size_t>(k)] = kHex[hash & 15];
  return text;
}

std::string WebPage::ShownFavorite() {
  if (!Running() || !setup_.show.randomFavorites.value_or(0)) return {};
  return run_.Field().favoriteName;
}

std::vector<int32_t> WebPage::PanelValuesNow() {
  ParameterSet shown = setup_.parameters;
  if (const std::string favorite = ShownFavorite(); !favorite.empty()) {
    if (std::optional<FavoriteRecord> record = FindFavorite(run_.Store(), favorite)) shown = RecordParameters(*record);
  }
  return PanelValues(link_.options, shown);
}

std::string WebPage::ChangedQuery(std::string_view id, int32_t value) {
  PanelControl control;
  if (!PanelControlOf(id, control)) return {};
  return WriteQuery(ChangeLink(link_.parameters, control, value, ShownFavorite()));
}

}  // namespace brindlemar
