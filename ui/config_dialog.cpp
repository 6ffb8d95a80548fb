#include "ui/config_dialog.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "engine/particle_field.h"
#include "engine/process_state.h"
#include "engine/style_table.h"
#include "engine/transition_interval.h"
#include "settings/change_set.h"
#include "settings/presets.h"
#include "settings/settings_store.h"
#include "shell/monitor_layout.h"
#include "surfaces/display_modes.h"
#include "ui/control_numbers.h"
#include "ui/sorted_list.h"

namespace brindlemar::ui {
namespace {

// The "Monitors" choices, in their stored order.
constexpr const char* kMonitorChoices[] = {"primary only", "each its own", "one across all"};
constexpr int32_t kDotStyleButtons[kDotStyleCount] = {IDC_DOTS, IDC_SPARKLES, IDC_FUZZIES, IDC_LARGE_DOTS, IDC_VERTICAL_BARS};

constexpr int32_t kMainPageControls[] = {
    IDC_GRAINS,          IDC_REFLECTION_COUNT,    IDC_TRAIL_LENGTH,      IDC_CONFIGURATION,  IDC_COMPLEXITY,
    IDC_VISCOSITY,       IDC_ACTIVITY,            IDC_EXTRA_TWIST,       IDC_BRIGHTNESS,     IDC_SYMMETRIC,
    IDC_DIMENSIONALITY,  IDC_COLOR_RATE,          IDC_DOTS,              IDC_SPARKLES,       IDC_FUZZIES,
    IDC_FAVORITES,       IDC_ADD_FAVORITE,        IDC_REMOVE_FAVORITE,   IDC_FAVORITES_LABEL, IDC_DIMENSIONALITY_LABEL,
    IDC_LARGE_DOTS,      IDC_VERTICAL_BARS,       IDC_TRAILS,            IDC_REFLECTIONS,    IDC_STYLE_SET,
    IDC_TRAIL_SPIN,      IDC_REFLECTION_SPIN,     IDC_DITHER,            IDC_CONFIGURATION_LABEL, IDC_GRAINS_LABEL,
    IDC_CUSTOM_LABEL,    IDC_CUSTOM_LINE,         IDC_ACTIVITY_LOW,      IDC_ACTIVITY_HIGH,  IDC_VISCOSITY_LOW,
    IDC_VISCOSITY_HIGH,  IDC_COMPLEXITY_LOW,      IDC_COMPLEXITY_HIGH,   IDC_BRIGHTNESS_LOW, IDC_BRIGHTNESS_HIGH,
};
constexpr int32_t kRandomPageControls[] = {IDC_RANDOM_LIST,   IDC_MIN_TIME,      IDC_MAX_TIME,  IDC_DELAY_LABEL,
                                           IDC_DELAY_AND,     IDC_DELAY_SECONDS, IDC_RANDOM_HINT, IDC_RANDOM_CHOSEN};
// The random delay, hidden with the Main page's return.
constexpr int32_t kDelayControls[] = {IDC_MIN_TIME, IDC_DELAY_LABEL, IDC_MAX_TIME, IDC_DELAY_AND, IDC_DELAY_SECONDS};

double Phase() { return ProcessRandom().Next() - 0.5; }

const ScrollBar* FindScrollBar(int32_t id) {
  for (const ScrollBar& bar : kScrollBars) {
    if (bar.id == id) return &bar;
  }
  return nullptr;
}

const Parameter& Row(const CountEdit& count) { return ParameterRow(count.parameter); }
const Parameter& Row(const ScrollBar& bar) { return ParameterRow(bar.parameter); }

}  // namespace

std::string DisplayModeText(int32_t width, int32_t height, int32_t bits) {
  char text[64];
  std::snprintf(text, sizeof text, width >= 1000 ? "%d-bit: %d x %d" : "%d-bit:   %d x %d", bits, width, height);
  return text;
}

bool ReadDisplayModeText(const std::string& text, int32_t& width, int32_t& height, int32_t& bits) {
  const size_t colon = text.find(':');
  const size_t times = text.find('x', colon == std::string::npos ? 0 : colon);
  if (colon == std::string::npos || times == std::string::npos) return false;
  bits = ReadTypedNumber(text.substr(0, text.find('-')));
  width = ReadTypedNumber(text.substr(colon + 1, times - colon - 1));
  height = ReadTypedNumber(text.substr(times + 1));
  return true;
}

ConfigDialog::ConfigDialog(DialogControls& controls, DialogHost& host, SettingsStore& store, ParticleField& preview)
    : controls_(controls), host_(host), store_(store), field_(preview) {}

void ConfigDialog::Open() {
  SaveBackup(store_, backup_);
  DialogLoad(store_, host_.DisplayModes(), settings_, list_);
  const bool random = settings_.randomChosen != 0;
  for (int32_t id : kMainPageControls) controls_.Show(id, !random);
  for (int32_t id : kRandomPageControls) controls_.Show(id, random);
  InstallPresets(store_);

  for (const ModeName<Dimensionality>& d : kDimensionalities) {
    controls_.InsertEntry(IDC_DIMENSIONALITY, Stored(d.value), d.label, Stored(d.value));
  }
  settings_.monitors = static_cast<int32_t>(ReadMonitorChoice(store_));
  for (int32_t i = 0; i < 3; ++i) controls_.InsertEntry(IDC_MONITORS, i, kMonitorChoices[i], i);
  controls_.Select(IDC_MONITORS, settings_.monitors);
  SortedList configurations;
  for (const ModeName<Configuration>& c : kConfigurations) configurations.Insert(c.label, Stored(c.value));
  configurations.Fill(controls_, IDC_CONFIGURATION);

  ShowCounts();

  attached_ = host_.AttachPreview(field_) == 1;
  if (!attached_) return;
  FavoriteRecord& p = settings_.parameters;
  ReconcileStyleBlock(p.configuration, p.styleCount, p.styleValues);
  SetUpControls();
  SetUpDisplayOptions();
  SetPageLabels();
  controls_.SelectPage(IDC_TABS, random ? 1 : 0);
  controls_.Enable(IDC_TABS, !random);
  LoadSelectionFlags(store_, list_);
  if (random) FillRandomList();
}

void ConfigDialog::SetUpControls() {
  controls_.SetChecked(IDC_RANDOM_CHOSEN, settings_.randomChosen != 0);
  controls_.SetChecked(IDC_SHOW_CLOCK, settings_.showClock && settings_.overlayStyle == Stored(OverlayStyle::kClockFace));
  controls_.SetChecked(IDC_SHOW_ZODIAC, settings_.showClock && settings_.overlayStyle == Stored(OverlayStyle::kZodiac));
  controls_.SetChecked(IDC_USE_DIRECTDRAW, settings_.useDirectDraw != 0);
  for (const CountEdit& count : kCountEdits) controls_.SetRange(count.spin, Row(count).controlMin, Row(count).controlMax);
  for (const ScrollBar& bar : kScrollBars) controls_.SetRange(bar.id, Row(bar).controlMin, Row(bar).controlMax);
  // The grains and the reflections go from nothing to the record's.
  ShowRecord(1);

  FillFavorites();
  const int32_t current = FindCurrentFavorite(list_, listing_, ReadControls());
  controls_.Select(IDC_FAVORITES, current);
  controls_.Enable(IDC_REMOVE_FAVORITE, current >= 0);

  controls_.Enable(IDC_DISPLAY_MODES, settings_.useDirectDraw != 0);
  controls_.SetChecked(IDC_SHOW_MESSAGES, settings_.showMessages != 0);
  controls_.Enable(IDC_EDIT_MESSAGES, settings_.showMessages != 0);
  int32_t minTime = 0, maxTime = 0;
  ReadTransitionTimes(store_, minTime, maxTime);
  controls_.SetText(IDC_MIN_TIME, DecimalText(minTime));
  controls_.SetText(IDC_MAX_TIME, DecimalText(maxTime));
}

void ConfigDialog::ShowCounts() {
  const FavoriteRecord& p = settings_.parameters;
  controls_.SetText(IDC_GRAINS, DecimalText(p.grains));
  controls_.SetText(IDC_REFLECTION_COUNT, DecimalText(p.reflectionCount));
  controls_.SetChecked(IDC_REFLECTIONS, p.reflections != 0);
  for (int32_t id : {IDC_REFLECTION_COUNT, IDC_REFLECTION_SPIN, IDC_SYMMETRIC}) controls_.Enable(id, p.reflections != 0);
  controls_.SetText(IDC_TRAIL_LENGTH, DecimalText(p.trailLength));
}

// The preview is laid out afresh from the record's grains, reflections, trail
// length and style values; the values set after the restart only change how
// it moves and looks from there.
void ConfigDialog::ShowRecord(int32_t grainRealloc) {
  const FavoriteRecord& p = settings_.parameters;
  ShowCounts();
  for (const CountEdit& count : kCountEdits) controls_.SetPosition(count.spin, p.*Row(count).record);
  for (const ScrollBar& bar : kScrollBars) controls_.SetPosition(bar.id, p.*Row(bar).record);
  controls_.Select(IDC_DIMENSIONALITY, p.dimensionality);
  SelectConfiguration(p.configuration);
  controls_.SetChecked(IDC_EXTRA_TWIST, p.extraTwist != 0);
  controls_.SetChecked(IDC_SYMMETRIC, p.symmetric != 0);
  CheckDotStyle(p.dotStyle);
  controls_.SetChecked(IDC_TRAILS, p.trails != 0);
  controls_.SetChecked(IDC_DITHER, p.dither != 0);

  field_.SetGrainCount(p.grains, grainRealloc);
  ApplyReflections(p.reflectionCount);
  field_.SetTrailLength(p.trailLength);
  field_.SetStyleParams(p.styleCount, p.styleValues);
  field_.Restart(Phase(), p.dimensionality, p.configuration, p.complexity);
  field_.StartAnimation();
  field_.SetDither(p.dither);
  LeaveTrailsChanged();
  field_.SetExtraTwist(p.extraTwist);
  field_.SetDotStyle(p.dotStyle);
  for (const ScrollBar& bar : kScrollBars) {
    if (bar.set) (field_.*bar.set)(EngineValue(Row(bar), p.*Row(bar).record));
  }
}

void ConfigDialog::SetUpDisplayOptions() {
  const bool password = host_.PasswordProtected();
  bool usable = host_.DirectDrawAvailable() && !password;
  DisplayModeList modes;
  if (usable && host_.DisplayModes().EnumerateModes(modes) == 0) usable = false;
  if (!usable) {
    controls_.SetChecked(IDC_USE_DIRECTDRAW, false);
    controls_.Enable(IDC_USE_DIRECTDRAW, false);
    controls_.Enable(IDC_DISPLAY_MODES, false);
    settings_.useDirectDraw = 0;
    if (password) controls_.Show(IDC_PASSWORD_NOTE, true);
    return;
  }
  // The stored mode, else the first one at least 640 wide and at most 1024
  // high, else the first one offered. A mode other than the stored one
  // (which the display does not offer) becomes the dialog's, so that what
  // the list shows is what OK stores.
  SortedList entries;
  int32_t chosen = -1;
  for (int32_t i = 0; i < modes.count; ++i) {
    const DisplayMode& m = modes.modes[i];
    entries.Insert(DisplayModeText(m.width, m.height, m.bits), i);
    if (m.width == settings_.screenResX && m.height == settings_.screenResY && m.bits == settings_.screenResBits) {
      chosen = i;
    }
  }
  for (int32_t i = 0; i < modes.count && chosen < 0; ++i) {
    if (modes.modes[i].width >= 640 && modes.modes[i].height <= 1024) chosen = i;
  }
  if (chosen < 0) chosen = 0;
  const DisplayMode& mode = modes.modes[chosen];
  settings_.screenResX = mode.width;
  settings_.screenResY = mode.height;
  settings_.screenResBits = mode.bits;
  entries.Fill(controls_, IDC_DISPLAY_MODES);
  controls_.Select(IDC_DISPLAY_MODES, entries.FindExact(DisplayModeText(mode.width, mode.height, mode.bits)));
}

FavoriteRecord ConfigDialog::ReadControls() {
  FavoriteRecord p = settings_.parameters;
  p.grains = ReadTypedNumber(controls_.Text(IDC_GRAINS));
  p.reflectionCount = ReadTypedNumber(controls_.Text(IDC_REFLECTION_COUNT));
  p.trailLength = ReadTypedNumber(controls_.Text(IDC_TRAIL_LENGTH));
  if (!attached_) return p;
  for (const ScrollBar& bar : kScrollBars) p.*Row(bar).record = controls_.Position(bar.id);
  const int32_t configuration = controls_.Selection(IDC_CONFIGURATION);
  if (configuration >= 0) p.configuration = controls_.EntryData(IDC_CONFIGURATION, configuration);
  const int32_t dimensionality = controls_.Selection(IDC_DIMENSIONALITY);
  if (dimensionality >= 0) p.dimensionality = dimensionality;
  p.extraTwist = controls_.IsChecked(IDC_EXTRA_TWIST);
  p.symmetric = controls_.IsChecked(IDC_SYMMETRIC);
  p.trails = controls_.IsChecked(IDC_TRAILS);
  for (int32_t style = 0; style < kDotStyleCount; ++style) {
    if (controls_.IsChecked(kDotStyleButtons[style])) {
      p.dotStyle = style;
      break;
    }
  }
  p.reflections = controls_.IsChecked(IDC_REFLECTIONS);
  p.dither = controls_.IsChecked(IDC_DITHER);
  return p;
}

void ConfigDialog::Save() {
  settings_.parameters = ReadControls();
  // Without a preview the check box was never set from the settings.
  if (attached_) settings_.useDirectDraw = controls_.IsChecked(IDC_USE_DIRECTDRAW);
  DialogSave(store_, settings_, list_, ChosenSelection());
  shownSelection_ = SelectedRandomEntries();
}

void ConfigDialog::ShowPage(int32_t page) {
  for (int32_t id : kMainPageControls) controls_.Show(id, page == 0);
  for (int32_t id : kRandomPageControls) controls_.Show(id, page == 1);
}

void ConfigDialog::FillFavorites() {
  listing_ = LoadFavorites(store_, list_);
  ShowFavorites();
}

void ConfigDialog::ShowFavorites() {
  controls_.ClearEntries(IDC_FAVORITES);
  for (const ListedFavorite& line : listing_.lines) controls_.InsertEntry(IDC_FAVORITES, -1, line.name, line.index);
}

// The favorites the saver can load, in their stored order, each carrying
// its entry index, selected as their flags are stored now.
void ConfigDialog::FillRandomList() {
  LoadSelectionFlags(store_, list_);
  controls_.ClearEntries(IDC_RANDOM_LIST);
  std::vector<int32_t> listed;
  for (int32_t i = 0; i < list_.favoriteCount; ++i) {
    if (!list_.Readable(i)) continue;
    controls_.InsertEntry(IDC_RANDOM_LIST, -1, list_.entries[static_cast<size_t>(i)].name, i);
    listed.push_back(i);
  }
  const bool any = std::any_of(listed.begin(), listed.end(),
                               [&](int32_t i) { return list_.selectionFlags[static_cast<size_t>(i)] != 0; });
  for (size_t line = 0; line < listed.size(); ++line) {
    const bool selected = !any || list_.selectionFlags[static_cast<size_t>(listed[line])] != 0;
    controls_.SetEntrySelected(IDC_RANDOM_LIST, static_cast<int32_t>(line), selected);
  }
  shownSelection_ = SelectedRandomEntries();
}

std::vector<int32_t> ConfigDialog::SelectedRandomEntries() {
  std::vector<int32_t> entries;
  for (int32_t line : controls_.SelectedEntries(IDC_RANDOM_LIST)) {
    entries.push_back(controls_.EntryData(IDC_RANDOM_LIST, line));
  }
  return entries;
}

RandomChoice ConfigDialog::ChosenSelection() { return RandomChoice{shownSelection_, SelectedRandomEntries()}; }

void ConfigDialog::SaveRandomSelection() {
  SaveDialogSelection(store_, settings_, list_, ChosenSelection());
  shownSelection_ = SelectedRandomEntries();
}

void ConfigDialog::SetPageLabels() {
  const bool held = settings_.randomChosen != 0;
  controls_.SetPageLabels(IDC_TABS, {held ? kMainPageHeld : kMainPage, held ? kRandomPageHeld : kRandomPage});
}

void ConfigDialog::OnClicked(int32_t id) {
  FavoriteRecord& p = settings_.parameters;
  const int32_t state = controls_.IsChecked(id) ? 1 : 0;
  switch (id) {
    case IDC_EXTRA_TWIST:
      p.extraTwist = state;
      field_.SetExtraTwist(state);
      return;
    case IDC_SYMMETRIC:
      p.symmetric = state;
      if (controls_.IsChecked(IDC_REFLECTIONS)) field_.SetSymmetric(state);
      return;
    case IDC_TRAILS:
      LeaveTrailsChanged();
      return;
    case IDC_REFLECTIONS:
      ReflectionsChanged();
      return;
    case IDC_DITHER:
      p.dither = state;
      field_.SetDither(state);
      return;
    case IDC_STYLE_SET:
      EditStyleSettings();
      return;
    case IDC_USE_DIRECTDRAW:
      settings_.useDirectDraw = state;
      field_.SetDirectDraw(state);
      controls_.Enable(IDC_DISPLAY_MODES, state != 0);
      return;
    case IDC_SHOW_MESSAGES:
      settings_.showMessages = field_.showMessages = state;
      controls_.Enable(IDC_EDIT_MESSAGES, state != 0);
      return;
    case IDC_SHOW_CLOCK:
    case IDC_SHOW_ZODIAC: {
      settings_.showClock = field_.showClock = state;
      if (!state) return;
      const OverlayStyle style = id == IDC_SHOW_CLOCK ? OverlayStyle::kClockFace : OverlayStyle::kZodiac;
      settings_.overlayStyle = Stored(style);
      controls_.SetChecked(style == OverlayStyle::kClockFace ? IDC_SHOW_ZODIAC : IDC_SHOW_CLOCK, false);
      field_.SetOverlayStyle(Stored(style));
      return;
    }
    case IDC_EDIT_MESSAGES:
      EditMessages();
      return;
    case IDC_ADD_FAVORITE:
      AddFavorite();
      return;
    case IDC_REMOVE_FAVORITE:
      RemoveFavorite();
      return;
    case IDC_FULL_SCREEN_PREVIEW:
      RunFullScreen();
      return;
    case IDC_HELP_BUTTON:
      OnHelp();
      return;
    case IDC_ABOUT_BUTTON:
      host_.RunAbout();
      return;
    case IDC_WEB_PAGE:
      host_.OpenWebPage();
      return;
    case IDC_RANDOM_CHOSEN:
      settings_.randomChosen = static_cast<uint8_t>(state);
      controls_.Enable(IDC_TABS, state == 0);
      SetPageLabels();
      controls_.Repaint();
      return;
    case IDC_OK:
      Save();
      controls_.EndDialog(1);
      return;
    case IDC_CANCEL:
      RestoreBackup(store_, backup_, settings_.written);
      controls_.EndDialog(0);
      return;
    default:
      break;
  }
  for (int32_t style = 0; style < kDotStyleCount; ++style) {
    if (id != kDotStyleButtons[style]) continue;
    p.dotStyle = style;
    if (state) field_.SetDotStyle(style);
  }
}

void ConfigDialog::OnSelectionChanged(int32_t id) {
  FavoriteRecord& p = settings_.parameters;
  switch (id) {
    case IDC_CONFIGURATION: {
      const int32_t chosen = std::max(controls_.Selection(IDC_CONFIGURATION), 0);
      p.configuration = controls_.EntryData(IDC_CONFIGURATION, chosen);
      GetStyleParams(p.configuration, p.styleCount, p.styleValues);
      field_.SetStyleParams(p.styleCount, p.styleValues);
      field_.SetConfiguration(p.configuration);
      field_.StartAnimation();
      return;
    }
    case IDC_DIMENSIONALITY:
      RestartDimensionality(controls_.Selection(IDC_DIMENSIONALITY));
      return;
    case IDC_FAVORITES:
      ChooseFavorite();
      return;
    case IDC_DISPLAY_MODES:
      ChooseDisplayMode();
      return;
    case IDC_MONITORS: {
      const int32_t chosen = controls_.Selection(IDC_MONITORS);
      if (chosen >= 0) settings_.monitors = controls_.EntryData(IDC_MONITORS, chosen);
      return;
    }
    default:
      return;
  }
}

void ConfigDialog::OnTextChanged(int32_t id) {
  if (id == IDC_REFLECTION_COUNT || id == IDC_TRAIL_LENGTH) OnFocusLost(id);
}

void ConfigDialog::OnFocusLost(int32_t id) {
  switch (id) {
    case IDC_GRAINS:
      // The preview takes at least 100 typed grains; OK stores what the
      // record's range allows.
      field_.SetGrainCount(EditValue(IDC_GRAINS, 100, ParameterRow(ParameterId::kGrains).controlMax), 0);
      return;
    case IDC_REFLECTION_COUNT:
      if (controls_.IsChecked(IDC_REFLECTIONS)) {
        field_.SetReflectionCount(EditCount(kCountEdits[1]));
      }
      return;
    case IDC_TRAIL_LENGTH:
      field_.SetTrailLength(EditCount(kCountEdits[0]));
      return;
    case IDC_MIN_TIME:
    case IDC_MAX_TIME:
      CorrectDelays();
      return;
    default:
      return;
  }
}

int32_t ConfigDialog::EditValue(int32_t id, int32_t min, int32_t max) {
  return ReadTypedNumber(controls_.Text(id), min, max);
}

int32_t ConfigDialog::EditCount(const CountEdit& count) {
  return EditValue(count.edit, Row(count).controlMin, Row(count).controlMax);
}

void ConfigDialog::OnScroll(int32_t id, ScrollAction action, int32_t position) {
  const ScrollBar* bar = FindScrollBar(id);
  if (!bar) return;
  const Parameter& row = Row(*bar);
  int32_t now = controls_.Position(id);
  switch (action) {
    case ScrollAction::kLineLess: now -= 1; break;
    case ScrollAction::kLineMore: now += 1; break;
    case ScrollAction::kPageLess: now -= 10; break;
    case ScrollAction::kPageMore: now += 10; break;
    case ScrollAction::kTrack: now = position; break;
    case ScrollAction::kToMinimum: now = row.controlMin; break;
    case ScrollAction::kToMaximum: now = row.controlMax; break;
  }
  controls_.SetPosition(id, std::clamp(now, row.controlMin, row.controlMax));
  now = controls_.Position(id);
  if (bar->set) {
    (field_.*bar->set)(EngineValue(row, now));
  } else {
    field_.Restart(Phase(), -1, -1, now);
    field_.StartAnimation();
  }
}

void ConfigDialog::OnPageChanged(int32_t id) {
  if (id != IDC_TABS) return;
  const int32_t page = controls_.SelectedPage(IDC_TABS);
  if (page == 1) {
    FillRandomList();
  } else {
    for (int32_t delay : kDelayControls) controls_.Show(delay, false);
    SaveRandomSelection();
  }
  ShowPage(page);
}

void ConfigDialog::OnHelp() { host_.ShowHelpTopic(kMainHelpTopic); }

void ConfigDialog::OnClose() { store_.DeleteKey(kBackupKey); }

void ConfigDialog::LeaveTrailsChanged() {
  const int32_t on = controls_.IsChecked(IDC_TRAILS) ? 1 : 0;
  settings_.parameters.trails = on;
  field_.SetTrails(on);
  for (int32_t id : {IDC_DITHER, IDC_TRAIL_LENGTH, IDC_TRAIL_SPIN}) controls_.Enable(id, on != 0);
}

void ConfigDialog::ReflectionsChanged() {
  const int32_t on = controls_.IsChecked(IDC_REFLECTIONS) ? 1 : 0;
  settings_.parameters.reflections = on;
  ApplyReflections(EditCount(kCountEdits[1]));
  for (int32_t id : {IDC_REFLECTION_COUNT, IDC_REFLECTION_SPIN, IDC_SYMMETRIC}) controls_.Enable(id, on != 0);
}

// Reflections off show one image without symmetry; the count typed stays in
// its edit for when they are turned on again.
void ConfigDialog::ApplyReflections(int32_t count) {
  if (settings_.parameters.reflections) {
    field_.SetSymmetric(settings_.parameters.symmetric);
    field_.SetReflectionCount(count);
  } else {
    field_.SetSymmetric(0);
    field_.SetReflectionCount(1);
  }
}

void ConfigDialog::CheckDotStyle(int32_t style) {
  for (int32_t i = 0; i < kDotStyleCount; ++i) controls_.SetChecked(kDotStyleButtons[i], i == style);
}

void ConfigDialog::SelectConfiguration(int32_t configuration) {
  for (int32_t i = controls_.EntryCount(IDC_CONFIGURATION) - 1; i >= 0; --i) {
    if (controls_.EntryData(IDC_CONFIGURATION, i) == configuration) {
      controls_.Select(IDC_CONFIGURATION, i);
      return;
    }
  }
}

void ConfigDialog::RestartDimensionality(int32_t dimensionality) {
  field_.Disarm();
  field_.Restart(Phase(), dimensionality, -1, -1);
  field_.StartAnimation();
}

void ConfigDialog::ChooseDisplayMode() {
  const int32_t chosen = controls_.Selection(IDC_DISPLAY_MODES);
  int32_t width = 640, height = 480, bits = 16;
  if (chosen >= 0) ReadDisplayModeText(controls_.EntryText(IDC_DISPLAY_MODES, chosen), width, height, bits);
  settings_.screenResX = width;
  settings_.screenResY = height;
  settings_.screenResBits = bits;
}

void ConfigDialog::CorrectDelays() {
  int32_t minTime = ReadTypedNumber(controls_.Text(IDC_MIN_TIME));
  int32_t maxTime = ReadTypedNumber(controls_.Text(IDC_MAX_TIME));
  CorrectDelayBounds(minTime, maxTime);
  ChangeSet changes;
  changes.CreateKey(kMessagesKey)
      .SetValue(kMessagesKey, "MinTime", DwordValue(minTime))
      .SetValue(kMessagesKey, "MaxTime", DwordValue(maxTime));
  store_.ApplyChanges(changes);
  controls_.SetText(IDC_MIN_TIME, DecimalText(minTime));
  controls_.SetText(IDC_MAX_TIME, DecimalText(maxTime));
}

void ConfigDialog::EditMessages() {
  host_.RunMessages();
  int32_t minTime = 0, maxTime = 0;
  ReadTransitionTimes(store_, minTime, maxTime);
  ReadDword(store_, kMessagesKey, "Num", field_.messageCount);
  controls_.SetText(IDC_MIN_TIME, DecimalText(minTime));
  controls_.SetText(IDC_MAX_TIME, DecimalText(maxTime));
  field_.transitionInterval = TransitionIntervalMs(field_.random.Next(), minTime, maxTime);
}

void ConfigDialog::EditStyleSettings() {
  FavoriteRecord& p = settings_.parameters;
  StyleEdit edit;
  edit.configuration = p.configuration;
  edit.count = p.styleCount;
  std::copy(std::begin(p.styleValues), std::end(p.styleValues), edit.values);
  if (host_.RunStyleSettings(edit) != 1) return;
  field_.Disarm();
  std::copy(std::begin(edit.values), std::end(edit.values), p.styleValues);
  field_.SetStyleParams(edit.count, p.styleValues);
  StoreStyleValues(p.configuration, edit.count, p.styleValues);
  p.styleCount = StyleCount(p.configuration);
  field_.Restart(Phase(), controls_.Selection(IDC_DIMENSIONALITY), -1, -1);
  field_.StartAnimation();
}

void ConfigDialog::RunFullScreen() {
  field_.SetStepping(0);
  Save();
  host_.RunFullScreenSaver();
  field_.SetStepping(1);
}

void ConfigDialog::ChooseFavorite() {
  const int32_t chosen = controls_.Selection(IDC_FAVORITES);
  const int32_t index = chosen < 0 ? -1 : controls_.EntryData(IDC_FAVORITES, chosen);
  if (index < 0 || index >= list_.favoriteCount) {
    controls_.Enable(IDC_REMOVE_FAVORITE, false);
    return;
  }
  FavoriteRecord& p = settings_.parameters;
  const std::string name = p.name;
  p = list_.entries[static_cast<size_t>(index)];
  p.name = name;
  if (p.colorRate == 0) p.colorRate = 500;
  StoreStyleValues(p.configuration, p.styleCount, p.styleValues);
  ShowRecord(0);
  controls_.Enable(IDC_REMOVE_FAVORITE, true);
}

void ConfigDialog::AddFavorite() {
  if (!HasRoomForFavorite(list_)) {
    host_.ShowMessage(kNoMoreRoomText, kNoMoreRoomTitle, MessageIcon::kInformation);
    return;
  }
  std::string name;
  if (host_.RunAddFavorite(name) != 1) return;
  int32_t position = -1;
  if (listing_.Find(name) < 0) {
    position = brindlemar::AddFavorite(store_, list_, listing_, name, ReadControls());
  } else {
    if (host_.RunFavoriteQuestion(FavoriteQuestion::kReplace, name) != 1) return;
    position = ReplaceFavorite(store_, list_, listing_, name, ReadControls());
  }
  // The list is the one stored now, another dialog's changes included.
  FavoritesChanged();
  if (position == kNoMoreRoom) {
    host_.ShowMessage(kNoMoreRoomText, kNoMoreRoomTitle, MessageIcon::kInformation);
    return;
  }
  controls_.Select(IDC_FAVORITES, position);
  controls_.Enable(IDC_REMOVE_FAVORITE, position >= 0);
}

void ConfigDialog::RemoveFavorite() {
  const int32_t chosen = controls_.Selection(IDC_FAVORITES);
  if (chosen < 0) return;
  const std::string name = controls_.EntryText(IDC_FAVORITES, chosen);
  const int32_t index = controls_.EntryData(IDC_FAVORITES, chosen);
  if (host_.RunFavoriteQuestion(FavoriteQuestion::kRemove, name) != 1) return;
  if (index < 0 || index >= list_.maxFav) return;
  brindlemar::RemoveFavorite(store_, list_, listing_, index);
  FavoritesChanged();
  controls_.Enable(IDC_REMOVE_FAVORITE, false);
}

void ConfigDialog::FavoritesChanged() {
  ShowFavorites();
  // The Random page's list is made again from the favorites and flags now
  // stored (its own selection was saved when the Main page came back).
  if (controls_.EntryCount(IDC_RANDOM_LIST) > 0) FillRandomList();
}

}  // namespace brindlemar::ui
