// Fuzz target: any text as a parameter record, read and applied the way a
// stored favorite or "Settings" value is: the record reader and writer, the
// load onto a field followed by a restart and a frame, and the configuration
// dialog's loading and saving of the same text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "engine/clock.h"
#include "engine/particle_field.h"
#include "engine/process_state.h"
#include "engine/style_table.h"
#include "settings/dialog_settings.h"
#include "settings/favorite_list.h"
#include "settings/favorite_record.h"
#include "settings/memory_store.h"
#include "settings/settings_store.h"
#include "surfaces/display_modes.h"
#include "surfaces/memory_window.h"

namespace {

using namespace brindlemar;

constexpr int32_t kFrameGrains = 64;
constexpr int32_t kMaxFav = 4;

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

void Require(bool condition) {
  if (!condition) std::abort();
}

// Writing a record and reading it back keeps its name and every integer
// field that the settings form writes as held.
void CheckRoundTrip(const FavoriteRecord& r) {
  FavoriteRecord settings = ParseRecord(FormatRecord(r, RecordForm::kSettings));
  FavoriteRecord expected = r;
  expected.name = "*";
  expected.field11 = 1;
  expected.field12 = 0;
  expected.field14 = 0;
  expected.field15 = settings.field15;
  Require(settings == expected);
  Require(ParseRecord(FormatRecord(r, RecordForm::kFavorite)).name == r.name);
}

void CheckDialog(std::string_view text) {
  MemoryStore store;
  store.CreateKey(kConfigKey, nullptr);
  store.CreateKey(kFavoritesKey, nullptr);
  WriteString(store, kConfigKey, "Settings", text);
  WriteString(store, kFavoritesKey, "Fav000", text);
  WriteString(store, kFavoritesKey, "Fav001", text);
  WriteDword(store, kConfigKey, "MaxFav", kMaxFav);

  DialogSettings settings;
  FavoriteList list(kMaxFav);
  DialogLoad(store, NoDisplayModes(), settings, list);
  FavoriteListing listing = LoadFavorites(store, list);
  LoadSelectionFlags(store, list);
  int32_t current = FindCurrentFavorite(list, listing, settings.parameters);
  Require(current >= -1 && current < static_cast<int32_t>(listing.lines.size()));
  if (HasRoomForFavorite(list)) ReplaceFavorite(store, list, listing, ParseRecord(text).name, settings.parameters);
  RemoveFavorite(store, list, listing, 0);
  DialogBackup backup;
  SaveBackup(store, backup);
  DialogSave(store, settings, list, RandomChoice{{}, {0, 1}});
  RestoreBackup(store, backup, settings.written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Rig* rig = new Rig;
  ResetStyleTable();
  std::string_view text(reinterpret_cast<const char*>(data), size);

  FavoriteRecord record = ParseRecord(text);
  CheckRoundTrip(record);

  // Loaded as the saver loads a record before the field's first restart,
  // which then lays the grains out and sets the vortices up once (a load
  // into a running field does both twice more for the same values). The
  // frame runs on at most kFrameGrains of the record's grains, as a field
  // that the frame-rate control thinned: every grain takes the same code.
  ParticleField& field = *rig->field;
  field.StopAnimation();
  field.Disarm();
  if (ApplyRecord(field, record)) {
    field.liveGrains = std::min(field.liveGrains, kFrameGrains);
    field.Restart(0.1, -1, -1, -1);
    field.StartAnimation();
    field.StepFrame();
  }

  CheckDialog(text);
  return 0;
}
