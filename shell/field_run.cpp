#include "shell/field_run.h"

#include "engine/particle_field.h"
#include "engine/process_state.h"
#include "engine/style_table.h"
#include "settings/load_parameters.h"
#include "settings/settings_store.h"
#include "surfaces/draw_surface.h"
#include "surfaces/window_target.h"

namespace brindlemar {
namespace {

// Writes the show options where the field reads them at construction: the
// switches in Config, the messages and their timing in Messages.
void StoreShow(const ShowOptions& show, SettingsStore& store) {
  store.CreateKey(kConfigKey, nullptr);
  WriteDword(store, kConfigKey, "Random", show.randomFavorites.value_or(0));
  WriteDword(store, kConfigKey, "Clock", show.showClock.value_or(0));
  WriteDword(store, kConfigKey, "Style", show.overlayStyle.value_or(0));
  WriteDword(store, kConfigKey, "Messages", show.showMessages.value_or(0));
  store.CreateKey(kMessagesKey, nullptr);
  if (!show.messages.empty()) {
    WriteDword(store, kMessagesKey, "Num", static_cast<int32_t>(show.messages.size()));
    for (size_t k = 0; k < show.messages.size(); ++k) {
      WriteString(store, kMessagesKey, "Message" + std::to_string(k + 1), show.messages[k]);
    }
  }
  if (show.messageFont) WriteString(store, kMessagesKey, "Font", *show.messageFont);
  if (show.bold) WriteDword(store, kMessagesKey, "Bold", *show.bold);
  if (show.italic) WriteDword(store, kMessagesKey, "Italic", *show.italic);
  if (show.minTime) WriteDword(store, kMessagesKey, "MinTime", *show.minTime);
  if (show.maxTime) WriteDword(store, kMessagesKey, "MaxTime", *show.maxTime);
}

}  // namespace

uint32_t StartTick(int32_t seed) { return static_cast<uint32_t>(seed) * 2654435761u; }

uint64_t FrameElapsedMs(int32_t k, int32_t fps) {
  return static_cast<uint64_t>(k) * 1000u / static_cast<uint32_t>(fps);
}

FieldRun::FieldRun() = default;
FieldRun::~FieldRun() = default;

bool FieldRun::Start(const FieldRunSetup& setup, WindowTarget& window, std::string& error) {
  field_.reset();
  store_ = MemoryStore();
  ResetProcessState();
  ResetStyleTable();
  startTick_ = StartTick(setup.seed);
  startTime_ = setup.startTime;
  clock_.tick = startTick_;
  CombinedRandom& processRandom = ProcessRandom();
  processRandom.SetClock(clock_);
  processRandom.Seed(setup.seed);
  clock_.SetCalendar(setup.startTime);

  StoreShow(setup.show, store_);
  field_ = std::make_unique<ParticleField>(store_, clock_);
  ParticleField& field = *field_;
  field.BindWindow(&window, 1);
  if (setup.show.randomFavorites.value_or(0)) {
    // The rotation starts as the saver's does: the built-in favorites were
    // just installed, so the first is "Brindlemar Falls".
    LoadParameters(field, store_, true);
  } else {
    // One animation from start to end: no rotation among favorites and no
    // favorite caption.
    field.randomFavorites = 0;
    ApplyParameters(field, setup.parameters);
    field.favoriteName = setup.name;
  }
  int32_t width = 0, height = 0;
  window.GetClientSize(width, height);
  if (Failed(field.CreateMemorySurface24())) {
    error = "no memory for a " + std::to_string(width) + "x" + std::to_string(height) + " frame buffer";
    return false;
  }
  field.surface->SetFade(field.trails ? field.trailLength : -1, field.dither);
  field.CreateOverlayFonts();
  Process().showFps = setup.show.showFps ? 1 : 0;
  if (!field.Restart(processRandom.Next() - 0.5, field.dimensionality, field.configuration, field.complexity)) {
    error = "the field could not be laid out";
    return false;
  }
  field.StartAnimation();
  return true;
}

void FieldRun::Frame(uint64_t elapsedMs) { Frame(elapsedMs, startTime_ + static_cast<int64_t>(elapsedMs)); }

void FieldRun::Frame(uint64_t elapsedMs, int64_t calendarMs) {
  clock_.tick = startTick_ + static_cast<uint32_t>(elapsedMs);
  clock_.SetCalendar(calendarMs);
  field_->DriveFrame();
}

}  // namespace brindlemar
