// The configuration dialog (2003): every stored setting on a Main and a
// Random page, a live preview that shows each change at once, the favorites
// with their add and remove flows, and the satellite dialogs for messages
// and each configuration's additional settings.
//
// The logic only: it talks to the dialog's controls and to its platform
// (ui/dialog_controls.h, ui/dialog_host.h), to the settings store, and to
// the preview field, which the platform created and whose window it owns.
// Opening backs up the Config values; OK and Preview save what the user
// changed; Cancel puts back from the backup what they wrote; closing
// deletes the backup. Another dialog open at the same time keeps its own
// changes (settings/dialog_settings.h, settings/favorite_list.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/particle_field.h"
#include "settings/dialog_settings.h"
#include "settings/favorite_list.h"
#include "settings/parameter_table.h"
#include "ui/dialog_controls.h"
#include "ui/dialog_host.h"
#include "ui/dialog_ids.h"
#include "ui/dialog_logic.h"

namespace brindlemar {
class SettingsStore;
}  // namespace brindlemar

namespace brindlemar::ui {

// The texts of the page switch: plain while the user picks the pages, in
// brackets while the random rotation holds the dialog on the Random page.
inline constexpr const char* kMainPage = "Main";
inline constexpr const char* kRandomPage = "Random";
inline constexpr const char* kMainPageHeld = "(Main)";
inline constexpr const char* kRandomPageHeld = "(Random)";

// The five scroll bars, each a parameter's control (its range is the
// parameter's, settings/parameter_table.h) and, but for the complexity,
// which restarts the preview, the preview's setter of its engine value.
struct ScrollBar {
  int32_t id;
  ParameterId parameter;
  void (ParticleField::*set)(double);
};
inline constexpr ScrollBar kScrollBars[] = {
    {IDC_COMPLEXITY, ParameterId::kComplexity, nullptr},
    {IDC_ACTIVITY, ParameterId::kActivity, &ParticleField::SetActivity},
    {IDC_BRIGHTNESS, ParameterId::kBrightness, &ParticleField::SetBrightness},
    {IDC_COLOR_RATE, ParameterId::kColorRate, &ParticleField::SetColorRate},
    {IDC_VISCOSITY, ParameterId::kViscosity, &ParticleField::SetViscosity},
};

// The two counts typed into an edit beside an up-down control.
struct CountEdit {
  int32_t edit;
  int32_t spin;
  ParameterId parameter;
};
inline constexpr CountEdit kCountEdits[] = {
    {IDC_TRAIL_LENGTH, IDC_TRAIL_SPIN, ParameterId::kTrailLength},
    {IDC_REFLECTION_COUNT, IDC_REFLECTION_SPIN, ParameterId::kReflections},
};

// A display mode as its list entry shows it: "%d-bit: %d x %d", with three
// blanks after the colon below 1000 pixels wide, so that the list orders the
// narrower modes first.
std::string DisplayModeText(int32_t width, int32_t height, int32_t bits);
// The mode an entry names; false when the text is not one.
bool ReadDisplayModeText(const std::string& text, int32_t& width, int32_t& height, int32_t& bits);

class ConfigDialog final : public DialogLogic {
 public:
  ConfigDialog(DialogControls& controls, DialogHost& host, SettingsStore& store, ParticleField& preview);

  void Open() override;
  void OnClicked(int32_t id) override;
  void OnSelectionChanged(int32_t id) override;
  void OnTextChanged(int32_t id) override;
  void OnFocusLost(int32_t id) override;
  void OnScroll(int32_t id, ScrollAction action, int32_t position) override;
  void OnPageChanged(int32_t id) override;
  void OnHelp() override;
  void OnClose() override;

  // The dialog's copy of the settings and its favorites, for tests.
  const DialogSettings& Settings() const { return settings_; }
  const FavoriteList& Favorites() const { return list_; }
  bool PreviewAttached() const { return attached_; }

 private:
  // Opening, in its order; the later steps only run with a preview.
  void SetUpControls();
  void SetUpDisplayOptions();

  // Shows the dialog's record in its controls and the preview, which
  // restarts once; grainRealloc as SetGrainCount takes it. ShowCounts shows
  // those the dialog reads back from their edits, also without a preview.
  void ShowRecord(int32_t grainRealloc);
  void ShowCounts();

  // The parameters as the controls show them (the record's favorite
  // fields, no name).
  FavoriteRecord ReadControls();
  void Save();

  void ShowPage(int32_t page);
  // Loads the favorites from the store and shows them.
  void FillFavorites();
  void ShowFavorites();
  void FillRandomList();
  // The entries selected in the Random page's list.
  std::vector<int32_t> SelectedRandomEntries();
  // Those with the ones the list showed selected when it was filled or its
  // selection last saved: only what the user changed is written.
  RandomChoice ChosenSelection();
  void SaveRandomSelection();
  // Shows the favorites loaded afresh after Add or Remove.
  void FavoritesChanged();
  void SetPageLabels();

  void ChooseFavorite();
  void AddFavorite();
  void RemoveFavorite();
  void EditStyleSettings();
  void EditMessages();
  void RunFullScreen();

  void LeaveTrailsChanged();
  void ReflectionsChanged();
  void ApplyReflections(int32_t count);
  void CheckDotStyle(int32_t style);
  void SelectConfiguration(int32_t configuration);
  void RestartDimensionality(int32_t dimensionality);
  void ChooseDisplayMode();
  void CorrectDelays();
  int32_t EditValue(int32_t id, int32_t min, int32_t max);
  int32_t EditCount(const CountEdit& count);

  DialogControls& controls_;
  DialogHost& host_;
  SettingsStore& store_;
  ParticleField& field_;
  DialogSettings settings_;
  FavoriteList list_;
  FavoriteListing listing_;
  DialogBackup backup_;
  // The entries the Random page's list selected when it was filled or its
  // selection last saved.
  std::vector<int32_t> shownSelection_;
  bool attached_ = false;
};

}  // namespace brindlemar::ui
