// The configuration dialog's logic over a dialog made of plain values, a
// store in memory and a preview field on a memory window: what opening
// shows, what each control does to the preview and the store, the Random
// page, the display options, the favorites flows and Cancel.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/particle_field.h"
#include "engine/process_state.h"
#include "engine/style_table.h"
#include "settings/favorite_record.h"
#include "settings/memory_store.h"
#include "settings/settings_store.h"
#include "support/fake_dialog.h"
#include "support/shared_state.h"
#include "ui/config_dialog.h"

namespace brindlemar {
namespace {

using testing::FakeControls;
using testing::FakeHost;
using ui::ScrollAction;

constexpr const char* kRings = "*,2,3,5000,1500,600,7,900,6,1,0,1,0,3,0,.252212,25,1,4,2,10,5,6,321,1,1";
constexpr const char* kCorona = "Corona,3,23,1200,2540,1135,7,284,1,0,0,1,0,4,0,.252212,75,1,3,1,20,-30,0,401,0,1";
constexpr const char* kFeathers = "Feathers,3,1,3300,2827,1069,8,535,1,0,1,1,0,0,0,.252212,50,1,2,2,0,0,0,500,0,1";
constexpr const char* kOort = "Oort Cloud,1,3,2500,2897,833,4,897,1,0,1,1,0,0,0,.252212,42,1,4,1,60,7,0,958,0,0";
constexpr int32_t kDotButtons[] = {IDC_DOTS, IDC_SPARKLES, IDC_FUZZIES, IDC_LARGE_DOTS, IDC_VERTICAL_BARS};

std::string FavName(int32_t n) {
  char name[16];
  std::snprintf(name, sizeof name, "Fav%03d", n);
  return name;
}

// A configuration dialog over a store: its controls, its platform and its
// preview field. Two of them over one store are two dialogs open at once,
// as two settings windows or two /c are.
struct DialogUnderTest {
  DialogUnderTest() {
    clock.tick = 10000;
    host.modes.modes = {{640, 480, 16}, {800, 600, 16}, {1024, 768, 16}};
    // As the template has it.
    controls[IDC_PASSWORD_NOTE].shown = false;
  }

  void OpenOver(SettingsStore& store) {
    field = std::make_unique<ParticleField>(store, clock, host.modes);
    dialog = std::make_unique<ui::ConfigDialog>(controls, host, store, *field);
    dialog->Open();
  }

  ManualClock clock;
  testing::TestWindow window{160, 120};
  FakeControls controls;
  FakeHost host{&window};
  std::unique_ptr<ParticleField> field;
  std::unique_ptr<ui::ConfigDialog> dialog;
};

class ConfigDialogTest : public ::testing::Test, protected DialogUnderTest {
 protected:
  // The dialog and its field go before the store they use.
  void TearDown() override {
    dialog.reset();
    field.reset();
  }

  void PutConfig(const std::string& settings, int32_t random = 0) {
    ASSERT_TRUE(store.CreateKey(kConfigKey, nullptr));
    WriteString(store, kConfigKey, "Settings", settings);
    WriteDword(store, kConfigKey, "Random", random);
    WriteDword(store, kConfigKey, "DirectDraw", 1);
    WriteDword(store, kConfigKey, "ScreenResX", 800);
    WriteDword(store, kConfigKey, "ScreenResY", 600);
    WriteDword(store, kConfigKey, "ScreenResBits", 16);
  }

  // Replaces the installed presets with these favorites.
  void PutFavorites(const std::vector<std::string>& records) {
    store.DeleteKey(kFavoritesKey);
    ASSERT_TRUE(store.CreateKey(kFavoritesKey, nullptr));
    for (size_t i = 0; i < records.size(); ++i) {
      WriteString(store, kFavoritesKey, FavName(static_cast<int32_t>(i)), records[i]);
    }
  }

  void Open() { OpenOver(store); }

  // Closes and opens the dialog again on the same store.
  void Reopen() {
    dialog->OnClose();
    controls = FakeControls();
    controls[IDC_PASSWORD_NOTE].shown = false;
    Open();
  }

  FavoriteRecord StoredSettings() {
    std::string text;
    ReadString(store, kConfigKey, "Settings", 4096, text);
    return ParseRecord(text);
  }

  int32_t Dword(const char* key, const char* name) {
    int32_t value = -7;
    ReadDword(store, key, name, value);
    return value;
  }

  std::vector<std::string> StoredFavoriteNames() {
    std::vector<std::string> names;
    for (const std::string& value : store.EnumerateValues(kFavoritesKey)) {
      std::string text;
      ReadString(store, kFavoritesKey, value, 4096, text);
      names.push_back(ParseRecord(text).name);
    }
    return names;
  }

  std::vector<uint8_t> RanArray() {
    std::vector<uint8_t> flags;
    ReadBinary(store, kConfigKey, "RanArray", 4096, flags);
    return flags;
  }

  testing::SharedStateScope shared;
  testing::StyleTableScope table;
  MemoryStore store;
};

TEST_F(ConfigDialogTest, OpeningShowsTheStoredSettingsAndStartsThePreview) {
  PutConfig(kRings);
  Open();
  ASSERT_TRUE(dialog->PreviewAttached());
  EXPECT_EQ(controls[IDC_GRAINS].text, "5000");
  EXPECT_EQ(controls[IDC_REFLECTION_COUNT].text, "6");
  EXPECT_EQ(controls[IDC_TRAIL_LENGTH].text, "25");
  struct Position {
    int32_t id, position, min, max;
  };
  for (const Position& p : {Position{IDC_COMPLEXITY, 7, 1, 15}, Position{IDC_ACTIVITY, 1500, 100, 5000},
                            Position{IDC_BRIGHTNESS, 900, 10, 2000}, Position{IDC_COLOR_RATE, 321, 1, 1000},
                            Position{IDC_VISCOSITY, 600, 0, 1200}, Position{IDC_TRAIL_SPIN, 25, 1, 100},
                            Position{IDC_REFLECTION_SPIN, 6, 1, 60}}) {
    EXPECT_EQ(controls[p.id].position, p.position) << p.id;
    EXPECT_EQ(controls[p.id].min, p.min) << p.id;
    EXPECT_EQ(controls[p.id].max, p.max) << p.id;
  }
  for (int32_t id : {IDC_REFLECTIONS, IDC_SYMMETRIC, IDC_TRAILS, IDC_DITHER, IDC_LARGE_DOTS, IDC_USE_DIRECTDRAW}) {
    EXPECT_TRUE(controls[id].checked) << id;
  }
  for (int32_t id : {IDC_EXTRA_TWIST, IDC_DOTS, IDC_VERTICAL_BARS, IDC_SHOW_CLOCK, IDC_RANDOM_CHOSEN}) {
    EXPECT_FALSE(controls[id].checked) << id;
  }
  EXPECT_EQ(controls.Texts(IDC_DIMENSIONALITY), (std::vector<std::string>{"Aurora", "Clouds", "Organic", "Recursive"}));
  EXPECT_EQ(controls[IDC_DIMENSIONALITY].selection, 2);
  ASSERT_EQ(controls.EntryCount(IDC_CONFIGURATION), 26);
  EXPECT_EQ(controls.EntryText(IDC_CONFIGURATION, controls[IDC_CONFIGURATION].selection), "Rings!");
  // Sorted by name, each carrying its index.
  EXPECT_EQ(controls.EntryText(IDC_CONFIGURATION, 0), "Aurora");
  EXPECT_EQ(controls.EntryData(IDC_CONFIGURATION, 0), 14);
  EXPECT_EQ(controls[IDC_TABS].pages, (std::vector<std::string>{"Main", "Random"}));
  EXPECT_TRUE(controls[IDC_TABS].enabled);
  EXPECT_TRUE(controls[IDC_GRAINS].shown);
  EXPECT_FALSE(controls[IDC_RANDOM_LIST].shown);

  EXPECT_EQ(field->liveGrains, 5000 / 4);
  EXPECT_EQ(field->configuration, 3);
  EXPECT_EQ(field->dimensionality, 2);
  EXPECT_EQ(field->complexity, 7);
  EXPECT_EQ(field->reflectionCount, 6);
  EXPECT_EQ(field->symmetric, 1);
  EXPECT_EQ(field->dotStyle, 3);
  EXPECT_EQ(field->trailLength, 25);
  EXPECT_DOUBLE_EQ(field->activity, 1.5);
  EXPECT_EQ(field->animating, 1);
  int32_t backedUp = 0;
  EXPECT_TRUE(ReadDword(store, kBackupKey, "DirectDraw", backedUp));
}

TEST_F(ConfigDialogTest, EachControlChangesThePreviewAtOnce) {
  struct Case {
    const char* what;
    std::function<void(FakeControls&, ui::DialogLogic&)> act;
    std::function<bool(const ParticleField&)> shows;
  };
  const Case cases[] = {
      {"configuration", [](FakeControls& c, ui::DialogLogic& d) { c.ChooseText(d, IDC_CONFIGURATION, "Fountain"); },
       [](const ParticleField& f) { return f.configuration == 15 && f.styleCount == 4 && f.animating; }},
      {"dimensionality", [](FakeControls& c, ui::DialogLogic& d) { c.Choose(d, IDC_DIMENSIONALITY, 3); },
       [](const ParticleField& f) { return f.dimensionality == 3 && f.animating; }},
      {"complexity", [](FakeControls&, ui::DialogLogic& d) { d.OnScroll(IDC_COMPLEXITY, ScrollAction::kLineMore, 0); },
       [](const ParticleField& f) { return f.complexity == 8 && f.animating; }},
      {"activity", [](FakeControls&, ui::DialogLogic& d) { d.OnScroll(IDC_ACTIVITY, ScrollAction::kTrack, 4000); },
       [](const ParticleField& f) { return f.activity == 4000 * 0.001; }},
      {"viscosity", [](FakeControls&, ui::DialogLogic& d) { d.OnScroll(IDC_VISCOSITY, ScrollAction::kToMaximum, 0); },
       [](const ParticleField& f) { return f.viscosity == 241 - 1200 * 0.2; }},
      {"brightness", [](FakeControls&, ui::DialogLogic& d) { d.OnScroll(IDC_BRIGHTNESS, ScrollAction::kPageMore, 0); },
       [](const ParticleField& f) { return f.brightness == 910 * 0.001; }},
      {"colour rate", [](FakeControls&, ui::DialogLogic& d) { d.OnScroll(IDC_COLOR_RATE, ScrollAction::kToMinimum, 0); },
       [](const ParticleField& f) { return f.colorRate == 1 * 0.001; }},
      {"dot style", [](FakeControls& c, ui::DialogLogic& d) { c.ChooseRadio(d, IDC_SPARKLES, {IDC_DOTS, IDC_SPARKLES, IDC_FUZZIES, IDC_LARGE_DOTS, IDC_VERTICAL_BARS}); },
       [](const ParticleField& f) { return f.dotStyle == 1; }},
      {"extra twist", [](FakeControls& c, ui::DialogLogic& d) { c.Toggle(d, IDC_EXTRA_TWIST); },
       [](const ParticleField& f) { return f.extraTwist == 1; }},
      {"dither", [](FakeControls& c, ui::DialogLogic& d) { c.Toggle(d, IDC_DITHER); },
       [](const ParticleField& f) { return f.dither == 0; }},
      {"trails off", [](FakeControls& c, ui::DialogLogic& d) { c.Toggle(d, IDC_TRAILS); },
       [](const ParticleField& f) { return f.trails == 0; }},
      {"trail length", [](FakeControls& c, ui::DialogLogic& d) { c.Type(d, IDC_TRAIL_LENGTH, "40"); },
       [](const ParticleField& f) { return f.trailLength == 40; }},
      {"trail length above", [](FakeControls& c, ui::DialogLogic& d) { c.Type(d, IDC_TRAIL_LENGTH, "500"); },
       [](const ParticleField& f) { return f.trailLength == 100; }},
      {"trail length not a number", [](FakeControls& c, ui::DialogLogic& d) { c.TypeAndLeave(d, IDC_TRAIL_LENGTH, "x"); },
       [](const ParticleField& f) { return f.trailLength == 1; }},
      {"reflection count", [](FakeControls& c, ui::DialogLogic& d) { c.Type(d, IDC_REFLECTION_COUNT, "75"); },
       [](const ParticleField& f) { return f.reflectionCount == 60; }},
      {"symmetry", [](FakeControls& c, ui::DialogLogic& d) { c.Toggle(d, IDC_SYMMETRIC); },
       [](const ParticleField& f) { return f.symmetric == 0; }},
      {"zodiac", [](FakeControls& c, ui::DialogLogic& d) { c.Toggle(d, IDC_SHOW_ZODIAC); },
       [](const ParticleField& f) { return f.showClock == 1 && f.overlayStyle == 1; }},
      {"messages", [](FakeControls& c, ui::DialogLogic& d) { c.Toggle(d, IDC_SHOW_MESSAGES); },
       [](const ParticleField& f) { return f.showMessages == 1; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    controls = FakeControls();
    ResetStyleTable();
    PutConfig(kRings);
    Open();
    c.act(controls, *dialog);
    EXPECT_TRUE(c.shows(*field));
  }
}

TEST_F(ConfigDialogTest, ScrollBarsMoveByLinePageThumbAndEndsWithinTheirRange) {
  struct Case {
    ScrollAction action;
    int32_t thumb;
    int32_t expected;
  };
  const Case cases[] = {
      {ScrollAction::kLineLess, 0, 1499},   {ScrollAction::kLineMore, 0, 1501}, {ScrollAction::kPageLess, 0, 1490},
      {ScrollAction::kPageMore, 0, 1510},   {ScrollAction::kTrack, 4321, 4321}, {ScrollAction::kTrack, 9999, 5000},
      {ScrollAction::kToMinimum, 0, 100},   {ScrollAction::kToMaximum, 0, 5000},
  };
  PutConfig(kRings);
  Open();
  for (const Case& c : cases) {
    controls.SetPosition(IDC_ACTIVITY, 1500);
    dialog->OnScroll(IDC_ACTIVITY, c.action, c.thumb);
    EXPECT_EQ(controls[IDC_ACTIVITY].position, c.expected);
    EXPECT_DOUBLE_EQ(field->activity, c.expected * 0.001);
  }
  controls.SetPosition(IDC_VISCOSITY, 3);
  dialog->OnScroll(IDC_VISCOSITY, ScrollAction::kPageLess, 0);
  EXPECT_EQ(controls[IDC_VISCOSITY].position, 0);
  dialog->OnClicked(IDC_OK);
  EXPECT_EQ(StoredSettings().viscosity, 0);
}

TEST_F(ConfigDialogTest, GrainsTypedAreLimitedInThePreviewAndStoredWithinTheirOwnRange) {
  struct Case {
    const char* typed;
    int32_t previewGrains;  // a quarter of the count set in a preview
    int32_t stored;
  };
  // A number beyond the range goes to its nearer end, however large, and
  // thousands separators are read as meant.
  const Case cases[] = {
      {"50", 100 / 4, 50},          {"abc", 100 / 4, 10},           {"300000", 200000 / 4, 200000},
      {"4000", 1000, 4000},         {"99999999999", 200000 / 4, 200000}, {"5,000", 5000 / 4, 5000},
      {" 200,000 ", 200000 / 4, 200000}, {"-99999999999", 100 / 4, 10}, {"5,00", 100 / 4, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    controls = FakeControls();
    PutConfig(kRings);
    Open();
    controls.TypeAndLeave(*dialog, IDC_GRAINS, c.typed);
    EXPECT_EQ(field->liveGrains, c.previewGrains);
    dialog->OnClicked(IDC_OK);
    EXPECT_EQ(StoredSettings().grains, c.stored);
    EXPECT_EQ(controls.ended, std::vector<int32_t>{1});
  }
}

TEST_F(ConfigDialogTest, ReflectionsOffShowOneImageButKeepTheTypedCount) {
  PutConfig(kRings);
  Open();
  controls.Type(*dialog, IDC_REFLECTION_COUNT, "7");
  EXPECT_EQ(field->reflectionCount, 7);
  controls.Toggle(*dialog, IDC_REFLECTIONS);
  EXPECT_EQ(field->reflectionCount, 1);
  EXPECT_EQ(field->symmetric, 0);
  EXPECT_EQ(controls[IDC_REFLECTION_COUNT].text, "7");
  EXPECT_FALSE(controls[IDC_REFLECTION_COUNT].enabled);
  EXPECT_FALSE(controls[IDC_SYMMETRIC].enabled);
  // Typing while off changes nothing in the preview.
  controls.Type(*dialog, IDC_REFLECTION_COUNT, "9");
  EXPECT_EQ(field->reflectionCount, 1);
  dialog->OnClicked(IDC_OK);
  const FavoriteRecord stored = StoredSettings();
  EXPECT_EQ(stored.reflectionCount, 9);
  EXPECT_EQ(stored.reflections, 0);
  EXPECT_EQ(stored.symmetric, 1);

  controls = FakeControls();
  Open();
  controls.Toggle(*dialog, IDC_REFLECTIONS);
  EXPECT_EQ(field->reflectionCount, 9);
  EXPECT_EQ(field->symmetric, 1);
}

TEST_F(ConfigDialogTest, RandomDelaysAreCorrectedAndStoredWhenAnEditLosesTheFocus) {
  struct Case {
    const char *minTyped, *maxTyped;
    int32_t minTime, maxTime;
  };
  const Case cases[] = {{"0", "0", 1, 2},           {"10", "5", 10, 11},
                        {"x", "", 1, 2},            {"1,000", "99999999999", 1000, 2147483647},
                        {"30", "100", 30, 100}};
  PutConfig(kRings, 1);
  Open();
  for (const Case& c : cases) {
    controls[IDC_MIN_TIME].text = c.minTyped;
    controls.TypeAndLeave(*dialog, IDC_MAX_TIME, c.maxTyped);
    EXPECT_EQ(Dword(kMessagesKey, "MinTime"), c.minTime);
    EXPECT_EQ(Dword(kMessagesKey, "MaxTime"), c.maxTime);
    EXPECT_EQ(controls[IDC_MIN_TIME].text, std::to_string(c.minTime));
    EXPECT_EQ(controls[IDC_MAX_TIME].text, std::to_string(c.maxTime));
  }
  // Cancel does not take them back.
  dialog->OnClicked(IDC_CANCEL);
  EXPECT_EQ(Dword(kMessagesKey, "MaxTime"), 100);
}

TEST_F(ConfigDialogTest, DisplayOptionsFollowDirectDrawAndThePassword) {
  struct Case {
    bool directDraw, password, modes;
    bool enabled, noteShown;
  };
  const Case cases[] = {
      {true, false, true, true, false},
      {true, true, true, false, true},
      {false, false, true, false, false},
      {true, false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.directDraw << c.password << c.modes);
    controls = FakeControls();
    controls[IDC_PASSWORD_NOTE].shown = false;
    host.directDraw = c.directDraw;
    host.password = c.password;
    host.modes.modes = c.modes ? std::vector<DisplayMode>{{800, 600, 16}} : std::vector<DisplayMode>{};
    PutConfig(kRings);
    Open();
    EXPECT_EQ(controls[IDC_USE_DIRECTDRAW].enabled, c.enabled);
    EXPECT_EQ(controls[IDC_USE_DIRECTDRAW].checked, c.enabled);
    EXPECT_EQ(controls[IDC_DISPLAY_MODES].enabled, c.enabled);
    EXPECT_EQ(controls[IDC_PASSWORD_NOTE].shown, c.noteShown);
    dialog->OnClicked(IDC_OK);
    EXPECT_EQ(Dword(kConfigKey, "DirectDraw"), c.enabled ? 1 : 0);
  }
}

TEST_F(ConfigDialogTest, DisplayModesAreListedSortedAndTheStoredOneChosen) {
  host.modes.modes = {{320, 240, 16}, {1280, 1024, 24}, {1024, 768, 16}, {640, 480, 24}, {800, 600, 16}};
  const std::vector<std::string> expected = {"16-bit:   320 x 240", "16-bit:   800 x 600", "16-bit: 1024 x 768",
                                             "24-bit:   640 x 480", "24-bit: 1280 x 1024"};
  struct Case {
    std::vector<DisplayMode> offered;
    int32_t x, y, bits;
    const char* selected;
    DisplayMode stored;  // on OK
  };
  // A mode not listed gives way to the first listed one at least 640 wide
  // and at most 1024 high, in the display's order, else to the first one;
  // what the list shows is stored.
  const Case cases[] = {
      {host.modes.modes, 800, 600, 16, "16-bit:   800 x 600", {800, 600, 16}},
      {host.modes.modes, 1600, 1200, 24, "24-bit: 1280 x 1024", {1280, 1024, 24}},
      {{{2048, 1536, 16}, {1600, 1200, 24}}, 800, 600, 16, "16-bit: 2048 x 1536", {2048, 1536, 16}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.selected);
    controls = FakeControls();
    host.modes.modes = c.offered;
    PutConfig(kRings);
    WriteDword(store, kConfigKey, "ScreenResX", c.x);
    WriteDword(store, kConfigKey, "ScreenResY", c.y);
    WriteDword(store, kConfigKey, "ScreenResBits", c.bits);
    Open();
    if (c.offered.size() == 5) {
      EXPECT_EQ(controls.Texts(IDC_DISPLAY_MODES), expected);
    }
    EXPECT_EQ(controls.EntryText(IDC_DISPLAY_MODES, controls[IDC_DISPLAY_MODES].selection), c.selected);
    dialog->OnClicked(IDC_OK);
    EXPECT_EQ(Dword(kConfigKey, "ScreenResX"), c.stored.width);
    EXPECT_EQ(Dword(kConfigKey, "ScreenResY"), c.stored.height);
    EXPECT_EQ(Dword(kConfigKey, "ScreenResBits"), c.stored.bits);
  }
  host.modes.modes = {{320, 240, 16}, {1280, 1024, 24}, {1024, 768, 16}, {640, 480, 24}, {800, 600, 16}};
  controls = FakeControls();
  Open();
  controls.ChooseText(*dialog, IDC_DISPLAY_MODES, "16-bit: 1024 x 768");
  dialog->OnClicked(IDC_OK);
  EXPECT_EQ(Dword(kConfigKey, "ScreenResX"), 1024);
  EXPECT_EQ(Dword(kConfigKey, "ScreenResY"), 768);
  EXPECT_EQ(Dword(kConfigKey, "ScreenResBits"), 16);
}

// The choice shown is the one the saver would make of the stored value;
// OK stores what the drop-down shows, with or without a preview.
TEST_F(ConfigDialogTest, TheMonitorsChoiceShowsWhatTheSaverDoesAndOkStoresIt) {
  struct Case {
    int32_t stored;  // -7: not stored
    const char* shown;
    const char* chosen;  // null: left as shown
    int32_t saved;
    bool preview;
  };
  const Case cases[] = {
      {-7, "each its own", nullptr, 1, true},
      {0, "primary only", nullptr, 0, true},
      {2, "one across all", "primary only", 0, true},
      {9, "each its own", "one across all", 2, true},
      {0, "primary only", "one across all", 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    controls = FakeControls();
    store.DeleteKey(kConfigKey);
    PutConfig(kRings);
    if (c.stored != -7) WriteDword(store, kConfigKey, "Monitors", c.stored);
    host.refuseAttach = !c.preview;
    Open();
    EXPECT_EQ(controls.Texts(IDC_MONITORS),
              (std::vector<std::string>{"primary only", "each its own", "one across all"}));
    EXPECT_EQ(controls.EntryText(IDC_MONITORS, controls[IDC_MONITORS].selection), c.shown);
    if (c.chosen) controls.ChooseText(*dialog, IDC_MONITORS, c.chosen);
    dialog->OnClicked(IDC_OK);
    EXPECT_EQ(Dword(kConfigKey, "Monitors"), c.saved);
  }
}

TEST_F(ConfigDialogTest, TheRandomPageSelectsTheStoredFavoritesAndSavesOnlyASelection) {
  PutFavorites({kCorona, kFeathers, kOort});
  PutConfig(kRings, 1);
  WriteBinary(store, kConfigKey, "RanArray", {1, 0, 1});
  Open();
  EXPECT_EQ(controls[IDC_TABS].pages, (std::vector<std::string>{"(Main)", "(Random)"}));
  EXPECT_EQ(controls[IDC_TABS].page, 1);
  EXPECT_FALSE(controls[IDC_TABS].enabled);
  EXPECT_TRUE(controls[IDC_RANDOM_LIST].shown);
  EXPECT_FALSE(controls[IDC_GRAINS].shown);
  EXPECT_EQ(controls.Texts(IDC_RANDOM_LIST), (std::vector<std::string>{"Corona", "Feathers", "Oort Cloud"}));
  EXPECT_EQ(controls.SelectedEntries(IDC_RANDOM_LIST), (std::vector<int32_t>{0, 2}));

  // Nothing selected: the stored choice stays.
  for (int32_t i = 0; i < 3; ++i) controls.SetEntrySelected(IDC_RANDOM_LIST, i, false);
  dialog->OnClicked(IDC_OK);
  EXPECT_EQ(RanArray(), (std::vector<uint8_t>{1, 0, 1}));

  Reopen();
  controls.SetEntrySelected(IDC_RANDOM_LIST, 0, false);
  controls.SetEntrySelected(IDC_RANDOM_LIST, 1, true);
  controls.SetEntrySelected(IDC_RANDOM_LIST, 2, false);
  dialog->OnClicked(IDC_OK);
  EXPECT_EQ(RanArray(), (std::vector<uint8_t>{0, 1, 0}));
  EXPECT_EQ(Dword(kConfigKey, "Random"), 1);
}

// The saver rotates whenever "Random" is not 0; the dialog shows such a
// value as on and OK stores it as 1.
TEST_F(ConfigDialogTest, AnyNonzeroRandomIsOnAndOkKeepsItOn) {
  for (int32_t stored : {1, 256, 0x10000, static_cast<int32_t>(0x80000000u), -1}) {
    SCOPED_TRACE(stored);
    controls = FakeControls();
    PutConfig(kRings, stored);
    Open();
    EXPECT_TRUE(controls[IDC_RANDOM_CHOSEN].checked);
    EXPECT_EQ(controls[IDC_TABS].page, 1);
    dialog->OnClicked(IDC_OK);
    EXPECT_EQ(Dword(kConfigKey, "Random"), 1);
  }
}

TEST_F(ConfigDialogTest, SwitchingPagesShowsTheirControlsAndSavesTheSelection) {
  PutFavorites({kCorona, kFeathers, kOort});
  PutConfig(kRings, 0);
  Open();
  EXPECT_TRUE(controls[IDC_TABS].enabled);
  controls.ChoosePage(*dialog, IDC_TABS, 1);
  EXPECT_EQ(controls.SelectedEntries(IDC_RANDOM_LIST), (std::vector<int32_t>{0, 1, 2}));
  for (int32_t id : {IDC_RANDOM_LIST, IDC_MIN_TIME, IDC_DELAY_SECONDS, IDC_RANDOM_CHOSEN}) EXPECT_TRUE(controls[id].shown);
  for (int32_t id : {IDC_GRAINS, IDC_FAVORITES, IDC_ACTIVITY_LOW}) EXPECT_FALSE(controls[id].shown);
  controls.SetEntrySelected(IDC_RANDOM_LIST, 1, false);
  controls.ChoosePage(*dialog, IDC_TABS, 0);
  EXPECT_EQ(RanArray(), (std::vector<uint8_t>{1, 0, 1}));
  for (int32_t id : {IDC_RANDOM_LIST, IDC_MIN_TIME, IDC_DELAY_SECONDS}) EXPECT_FALSE(controls[id].shown);
  EXPECT_TRUE(controls[IDC_GRAINS].shown);

  controls.ChoosePage(*dialog, IDC_TABS, 1);
  controls.Toggle(*dialog, IDC_RANDOM_CHOSEN);
  EXPECT_EQ(controls[IDC_TABS].pages, (std::vector<std::string>{"(Main)", "(Random)"}));
  EXPECT_FALSE(controls[IDC_TABS].enabled);
  EXPECT_GE(controls.repaints, 1);
  controls.Toggle(*dialog, IDC_RANDOM_CHOSEN);
  EXPECT_EQ(controls[IDC_TABS].pages, (std::vector<std::string>{"Main", "Random"}));
  EXPECT_TRUE(controls[IDC_TABS].enabled);
  controls.Toggle(*dialog, IDC_RANDOM_CHOSEN);
  dialog->OnClicked(IDC_OK);
  EXPECT_EQ(Dword(kConfigKey, "Random"), 1);
}

TEST_F(ConfigDialogTest, ChoosingAFavoriteAppliesItToTheControlsAndThePreview) {
  PutFavorites({kCorona, kFeathers});
  PutConfig(kRings);
  Open();
  EXPECT_EQ(controls[IDC_FAVORITES].selection, -1);
  EXPECT_FALSE(controls[IDC_REMOVE_FAVORITE].enabled);
  ASSERT_TRUE(controls.ChooseText(*dialog, IDC_FAVORITES, "Corona"));
  EXPECT_TRUE(controls[IDC_REMOVE_FAVORITE].enabled);
  EXPECT_EQ(controls.EntryText(IDC_CONFIGURATION, controls[IDC_CONFIGURATION].selection), "Rising");
  EXPECT_EQ(controls[IDC_DIMENSIONALITY].selection, 3);
  EXPECT_EQ(controls[IDC_GRAINS].text, "1200");
  EXPECT_EQ(controls[IDC_TRAIL_LENGTH].text, "75");
  EXPECT_EQ(controls[IDC_ACTIVITY].position, 2540);
  EXPECT_EQ(controls[IDC_COLOR_RATE].position, 401);
  EXPECT_TRUE(controls[IDC_VERTICAL_BARS].checked);
  EXPECT_FALSE(controls[IDC_LARGE_DOTS].checked);
  EXPECT_FALSE(controls[IDC_REFLECTIONS].checked);
  EXPECT_FALSE(controls[IDC_REFLECTION_COUNT].enabled);
  EXPECT_TRUE(controls[IDC_DITHER].checked);
  EXPECT_EQ(field->configuration, 23);
  EXPECT_EQ(field->dimensionality, 3);
  EXPECT_EQ(field->liveGrains, 1200 / 4);
  EXPECT_EQ(field->reflectionCount, 1);
  EXPECT_EQ(field->styleValues[1], 20);
  EXPECT_EQ(field->styleValues[2], -30);
  EXPECT_EQ(field->animating, 1);

  // Saved as shown, and found as the current favorite next time.
  dialog->OnClicked(IDC_OK);
  EXPECT_EQ(StoredSettings().configuration, 23);
  Reopen();
  EXPECT_EQ(controls.EntryText(IDC_FAVORITES, controls[IDC_FAVORITES].selection), "Corona");
  EXPECT_TRUE(controls[IDC_REMOVE_FAVORITE].enabled);
}

// Choosing a favorite lays the preview out once (one phase drawn from the
// process's generator), with every switch of the favorite: twist and dither
// too, which the settings shown before had the other way.
TEST_F(ConfigDialogTest, ChoosingAFavoriteRestartsThePreviewOnceWithItsSwitches) {
  struct Case {
    std::string settings;
    const char* favorite;
    int32_t extraTwist, dither;
  };
  const Case cases[] = {
      {kRings, "Oort Cloud", 1, 0},
      {std::string("*") + std::strchr(kOort, ','), "Corona", 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.favorite);
    controls = FakeControls();
    ResetStyleTable();
    PutFavorites({kCorona, kOort});
    PutConfig(c.settings);
    Open();
    ASSERT_EQ(field->extraTwist, 1 - c.extraTwist);
    ASSERT_EQ(field->dither, 1 - c.dither);
    CombinedRandom once;
    once.s1 = ProcessRandom().s1;
    once.s2 = ProcessRandom().s2;
    once.Next();
    ASSERT_TRUE(controls.ChooseText(*dialog, IDC_FAVORITES, c.favorite));
    EXPECT_EQ(ProcessRandom().s1, once.s1);
    EXPECT_EQ(ProcessRandom().s2, once.s2);
    EXPECT_EQ(field->extraTwist, c.extraTwist);
    EXPECT_EQ(field->dither, c.dither);
    EXPECT_EQ(controls[IDC_EXTRA_TWIST].checked, c.extraTwist != 0);
    EXPECT_EQ(controls[IDC_DITHER].checked, c.dither != 0);
  }
}

TEST_F(ConfigDialogTest, AddingStopsAtTheLimitOfMaxFavLessOne) {
  for (int32_t count : {255, 254}) {
    SCOPED_TRACE(count);
    controls = FakeControls();
    host.messages.clear();
    host.addDialogs = 0;
    std::vector<std::string> records;
    for (int32_t i = 0; i < count; ++i) records.push_back("F" + std::to_string(i) + std::string(kCorona).substr(6));
    PutFavorites(records);
    PutConfig(kRings);
    Open();
    host.addAnswer = "Newest";
    controls.Press(*dialog, IDC_ADD_FAVORITE);
    if (count == 255) {
      EXPECT_EQ(host.messages, std::vector<std::string>{std::string(kNoMoreRoomTitle) + ": " + kNoMoreRoomText});
      EXPECT_EQ(host.addDialogs, 0);
      EXPECT_EQ(StoredFavoriteNames().size(), 255u);
    } else {
      EXPECT_TRUE(host.messages.empty());
      EXPECT_EQ(StoredFavoriteNames().size(), 255u);
      EXPECT_EQ(StoredFavoriteNames().back(), "Newest");
    }
  }
}

TEST_F(ConfigDialogTest, AddStoresTheCurrentControlsUnderANewNameAtOnce) {
  PutFavorites({kCorona, kOort});
  PutConfig(kRings);
  Open();
  controls.ChooseText(*dialog, IDC_CONFIGURATION, "Fountain");
  host.addAnswer = "Mine";
  controls.Press(*dialog, IDC_ADD_FAVORITE);
  EXPECT_TRUE(host.questions.empty());
  EXPECT_EQ(controls.Texts(IDC_FAVORITES), (std::vector<std::string>{"Corona", "Mine", "Oort Cloud"}));
  EXPECT_EQ(controls.EntryText(IDC_FAVORITES, controls[IDC_FAVORITES].selection), "Mine");
  EXPECT_EQ(controls.EntryData(IDC_FAVORITES, 1), 2);
  EXPECT_TRUE(controls[IDC_REMOVE_FAVORITE].enabled);
  std::string text;
  ASSERT_TRUE(ReadString(store, kFavoritesKey, "Fav002", 4096, text));
  EXPECT_EQ(ParseRecord(text).configuration, 15);
  // Cancel of the main dialog keeps it.
  dialog->OnClicked(IDC_CANCEL);
  EXPECT_EQ(StoredFavoriteNames(), (std::vector<std::string>{"Corona", "Oort Cloud", "Mine"}));
}

TEST_F(ConfigDialogTest, ANameListedInAnotherCaseIsAskedAboutAndStoredBesideIt) {
  struct Case {
    const char* typed;
    bool confirm;
    std::vector<std::string> stored;
  };
  const Case cases[] = {
      {"corona", true, {"Feathers", "Corona", "corona"}},
      {"Corona", true, {"Feathers", "Corona"}},
      {"CORONA", false, {"Feathers", "Corona"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    controls = FakeControls();
    host.questions.clear();
    PutFavorites({kFeathers, kCorona});
    PutConfig(kRings);
    Open();
    host.addAnswer = c.typed;
    host.confirm = c.confirm;
    controls.Press(*dialog, IDC_ADD_FAVORITE);
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0].first, ui::FavoriteQuestion::kReplace);
    EXPECT_EQ(host.questions[0].second, c.typed);
    EXPECT_EQ(StoredFavoriteNames(), c.stored);
    std::string text;
    ReadString(store, kFavoritesKey, "Fav001", 4096, text);
    // Replaced in place with the current settings, or left alone.
    EXPECT_EQ(ParseRecord(text).configuration, c.confirm && std::string(c.typed) == "Corona" ? 3 : 23);
  }
  host.confirm = true;
  Reopen();
  host.addAnswer = "corona";
  controls.Press(*dialog, IDC_ADD_FAVORITE);
  Reopen();
  EXPECT_EQ(controls.Texts(IDC_FAVORITES), (std::vector<std::string>{"Corona", "corona", "Feathers"}));
}

TEST_F(ConfigDialogTest, AnEmptyNameIsListedButNotStored) {
  PutFavorites({kCorona});
  PutConfig(kRings);
  Open();
  host.addAnswer = "";
  controls.Press(*dialog, IDC_ADD_FAVORITE);
  EXPECT_EQ(controls.Texts(IDC_FAVORITES), (std::vector<std::string>{"", "Corona"}));
  EXPECT_EQ(StoredFavoriteNames(), std::vector<std::string>{"Corona"});
}

TEST_F(ConfigDialogTest, RemovingAsksRenumbersAndKeepsEachFavoritesOwnFlag) {
  PutFavorites({kCorona, kFeathers, kOort});
  PutConfig(kRings);
  WriteBinary(store, kConfigKey, "RanArray", {1, 0, 1});
  Open();
  controls.ChooseText(*dialog, IDC_FAVORITES, "Corona");
  host.confirm = false;
  controls.Press(*dialog, IDC_REMOVE_FAVORITE);
  EXPECT_EQ(StoredFavoriteNames().size(), 3u);
  host.confirm = true;
  controls.Press(*dialog, IDC_REMOVE_FAVORITE);
  ASSERT_EQ(host.questions.size(), 2u);
  EXPECT_EQ(host.questions[1], std::make_pair(ui::FavoriteQuestion::kRemove, std::string("Corona")));
  EXPECT_EQ(StoredFavoriteNames(), (std::vector<std::string>{"Feathers", "Oort Cloud"}));
  EXPECT_EQ(controls.Texts(IDC_FAVORITES), (std::vector<std::string>{"Feathers", "Oort Cloud"}));
  EXPECT_EQ(controls[IDC_FAVORITES].selection, -1);
  EXPECT_FALSE(controls[IDC_REMOVE_FAVORITE].enabled);
  controls.ChoosePage(*dialog, IDC_TABS, 1);
  EXPECT_EQ(controls.SelectedEntries(IDC_RANDOM_LIST), std::vector<int32_t>{1});
}

TEST_F(ConfigDialogTest, RemovingTheOnlyFavoriteLeavesAnEmptyKeyAndList) {
  PutFavorites({kOort});
  PutConfig(kRings);
  Open();
  controls.ChooseText(*dialog, IDC_FAVORITES, "Oort Cloud");
  controls.Press(*dialog, IDC_REMOVE_FAVORITE);
  EXPECT_TRUE(store.OpenKey(kFavoritesKey));
  EXPECT_TRUE(store.EnumerateValues(kFavoritesKey).empty());
  EXPECT_EQ(controls.EntryCount(IDC_FAVORITES), 0);
  controls.Press(*dialog, IDC_REMOVE_FAVORITE);
  EXPECT_EQ(host.questions.size(), 1u);
}

TEST_F(ConfigDialogTest, CancelRestoresTheConfigValuesAfterManyChanges) {
  PutFavorites({kCorona, kFeathers});
  PutConfig(kRings, 0);
  WriteBinary(store, kConfigKey, "RanArray", {0, 1});
  WriteDword(store, kConfigKey, "Clock", 1);
  WriteDword(store, kConfigKey, "Style", 0);
  WriteDword(store, kConfigKey, "Messages", 0);
  WriteDword(store, kConfigKey, "Monitors", 0);
  const std::vector<std::string> names = {"Settings",   "Random",     "Clock",         "Style",    "Messages", "DirectDraw",
                                          "ScreenResX", "ScreenResY", "ScreenResBits", "Monitors", "RanArray"};
  std::vector<StoredValue> before;
  for (const std::string& name : names) {
    StoredValue value;
    ASSERT_TRUE(store.QueryValue(kConfigKey, name, 4096, value)) << name;
    before.push_back(value);
  }
  Open();
  controls.ChooseText(*dialog, IDC_FAVORITES, "Corona");
  controls.ChooseText(*dialog, IDC_CONFIGURATION, "Bars");
  dialog->OnScroll(IDC_ACTIVITY, ScrollAction::kToMaximum, 0);
  controls.Toggle(*dialog, IDC_SHOW_ZODIAC);
  controls.Toggle(*dialog, IDC_SHOW_MESSAGES);
  controls.Toggle(*dialog, IDC_USE_DIRECTDRAW);
  controls.ChooseText(*dialog, IDC_DISPLAY_MODES, "16-bit:   640 x 480");
  controls.ChooseText(*dialog, IDC_MONITORS, "one across all");
  controls.TypeAndLeave(*dialog, IDC_GRAINS, "777");
  controls.ChoosePage(*dialog, IDC_TABS, 1);
  controls.SetEntrySelected(IDC_RANDOM_LIST, 0, true);
  controls.Toggle(*dialog, IDC_RANDOM_CHOSEN);
  // Preview saves everything first.
  host.onFullScreen = [&] {
    EXPECT_EQ(field->stepping, 0);
    EXPECT_EQ(StoredSettings().grains, 777);
    EXPECT_EQ(Dword(kConfigKey, "Random"), 1);
    EXPECT_EQ(Dword(kConfigKey, "Monitors"), 2);
  };
  controls.Press(*dialog, IDC_FULL_SCREEN_PREVIEW);
  EXPECT_EQ(field->stepping, 1);
  dialog->OnClicked(IDC_CANCEL);
  EXPECT_EQ(controls.ended, std::vector<int32_t>{0});
  for (size_t i = 0; i < names.size(); ++i) {
    StoredValue value;
    ASSERT_TRUE(store.QueryValue(kConfigKey, names[i], 4096, value)) << names[i];
    EXPECT_EQ(value.data, before[i].data) << names[i];
  }
  EXPECT_TRUE(store.OpenKey(kBackupKey));
  dialog->OnClose();
  EXPECT_FALSE(store.OpenKey(kBackupKey));
}

TEST_F(ConfigDialogTest, AdditionalSettingsApplyOnlyAfterOk) {
  PutConfig(kRings);
  Open();
  host.onStyle = [](ui::StyleEdit& edit) {
    edit.values[2] = 12;
    return 0;
  };
  controls.Press(*dialog, IDC_STYLE_SET);
  ASSERT_EQ(host.styleEdits.size(), 1u);
  EXPECT_EQ(host.styleEdits[0].configuration, 3);
  EXPECT_EQ(host.styleEdits[0].count, 4);
  EXPECT_EQ(field->styleValues[2], 5);
  host.onStyle = [](ui::StyleEdit& edit) {
    edit.values[0] = 0;
    edit.values[2] = 12;
    return 1;
  };
  controls.Press(*dialog, IDC_STYLE_SET);
  EXPECT_EQ(field->styleValues[0], 0);
  EXPECT_EQ(field->styleValues[2], 12);
  EXPECT_EQ(field->animating, 1);
  EXPECT_EQ(StyleRecord(3).settings[2].value, 12);
  dialog->OnClicked(IDC_OK);
  EXPECT_EQ(StoredSettings().styleValues[2], 12);
}

TEST_F(ConfigDialogTest, EditedMessagesReachThePreviewAndTheRandomPage) {
  PutConfig(kRings);
  Open();
  host.onMessages = [&] {
    store.CreateKey(kMessagesKey, nullptr);
    WriteDword(store, kMessagesKey, "Num", 3);
    WriteDword(store, kMessagesKey, "MinTime", 10);
    WriteDword(store, kMessagesKey, "MaxTime", 20);
  };
  controls.Press(*dialog, IDC_EDIT_MESSAGES);
  EXPECT_EQ(field->messageCount, 3);
  EXPECT_EQ(controls[IDC_MIN_TIME].text, "10");
  EXPECT_EQ(controls[IDC_MAX_TIME].text, "20");
  EXPECT_GE(field->transitionInterval, 10000u);
  EXPECT_LE(field->transitionInterval, 20000u);
}

TEST_F(ConfigDialogTest, ButtonsAndF1ReachTheHost) {
  PutConfig(kRings);
  Open();
  controls.Press(*dialog, IDC_HELP_BUTTON);
  dialog->OnHelp();
  controls.Press(*dialog, IDC_ABOUT_BUTTON);
  controls.Press(*dialog, IDC_WEB_PAGE);
  EXPECT_EQ(host.helpTopics, (std::vector<std::string>{"Main Help Page", "Main Help Page"}));
  EXPECT_EQ(host.abouts, 1);
  EXPECT_EQ(host.webPages, 1);
}

TEST_F(ConfigDialogTest, WithoutAPreviewOpeningStopsAndOkKeepsTheStoredValues) {
  PutFavorites({kCorona});
  PutConfig(kRings);
  host.refuseAttach = true;
  Open();
  EXPECT_FALSE(dialog->PreviewAttached());
  EXPECT_EQ(controls.EntryCount(IDC_CONFIGURATION), 26);
  EXPECT_EQ(controls[IDC_GRAINS].text, "5000");
  EXPECT_EQ(controls.EntryCount(IDC_FAVORITES), 0);
  EXPECT_EQ(controls.EntryCount(IDC_DISPLAY_MODES), 0);
  controls[IDC_GRAINS].text = "6000";
  dialog->OnClicked(IDC_OK);
  FavoriteRecord expected = ParseRecord(kRings);
  expected.grains = 6000;
  EXPECT_EQ(FormatRecord(StoredSettings(), RecordForm::kSettings), FormatRecord(expected, RecordForm::kSettings));
  EXPECT_EQ(Dword(kConfigKey, "DirectDraw"), 1);
}

// The rotation chosen on the Random page follows its favorites when one is
// removed on the Main page, though the Random page is not shown again: the
// saver then rotates among the same favorites.
TEST_F(ConfigDialogTest, RemovingAFavoriteKeepsTheRotationOnItsFavorites) {
  const std::string kRain = "Rain,3,24,1600,842,1013,5,499,1,0,0,1,0,4,0,.252212,40,1,4,1,10,40,1000,692,0,1";
  const std::string kScribble = "Scribble,3,1,50,2264,1099,15,1527,1,0,1,1,0,2,0,.252212,95,1,2,2,0,0,0,471,0,1";
  PutFavorites({kCorona, kFeathers, kOort, kRain, kScribble});
  PutConfig(kRings, 0);
  Open();
  controls.ChoosePage(*dialog, IDC_TABS, 1);
  for (int32_t line = 0; line < 5; ++line) controls.SetEntrySelected(IDC_RANDOM_LIST, line, line == 1 || line == 3);
  dialog->OnClicked(IDC_OK);
  ASSERT_EQ(RanArray(), (std::vector<uint8_t>{0, 1, 0, 1, 0}));

  Reopen();
  ASSERT_TRUE(controls.ChooseText(*dialog, IDC_FAVORITES, "Corona"));
  controls.Press(*dialog, IDC_REMOVE_FAVORITE);
  dialog->OnClicked(IDC_OK);
  EXPECT_EQ(StoredFavoriteNames(), (std::vector<std::string>{"Feathers", "Oort Cloud", "Rain", "Scribble"}));
  EXPECT_EQ(RanArray(), (std::vector<uint8_t>{1, 0, 1, 0}));

  WriteDword(store, kConfigKey, "Random", 1);
  ParticleField saver(store, clock, host.modes);
  EXPECT_EQ(saver.selectionFlags, (std::vector<uint8_t>{1, 0, 1, 0}));
  EXPECT_EQ(saver.selectedCount, 2);
}

// A favorite that cannot be read hides none of the others, and a removal
// keeps it and every other favorite.
TEST_F(ConfigDialogTest, AnUnreadableFavoriteHidesNothingAndIsKept) {
  PutFavorites({kCorona, "", kFeathers, kOort});
  PutConfig(kRings, 1);
  WriteBinary(store, kConfigKey, "RanArray", {1, 1, 0, 1});
  Open();
  EXPECT_EQ(controls.Texts(IDC_RANDOM_LIST), (std::vector<std::string>{"Corona", "Feathers", "Oort Cloud"}));
  EXPECT_EQ(controls.SelectedEntries(IDC_RANDOM_LIST), (std::vector<int32_t>{0, 2}));
  controls.Toggle(*dialog, IDC_RANDOM_CHOSEN);
  controls.ChoosePage(*dialog, IDC_TABS, 0);
  EXPECT_EQ(controls.Texts(IDC_FAVORITES), (std::vector<std::string>{"Corona", "Feathers", "Oort Cloud"}));
  ASSERT_TRUE(controls.ChooseText(*dialog, IDC_FAVORITES, "Feathers"));
  controls.Press(*dialog, IDC_REMOVE_FAVORITE);
  EXPECT_EQ(StoredFavoriteNames(), (std::vector<std::string>{"Corona", "", "Oort Cloud"}));
  EXPECT_EQ(RanArray(), (std::vector<uint8_t>{1, 1, 1}));
  EXPECT_EQ(controls.Texts(IDC_FAVORITES), (std::vector<std::string>{"Corona", "Oort Cloud"}));
}

// A second configuration dialog open over the same store.
struct OtherDialog : DialogUnderTest {
  explicit OtherDialog(SettingsStore& store) { OpenOver(store); }
};

// Two dialogs open at once: each OK writes what its user changed there, and
// leaves what the other changed.
TEST_F(ConfigDialogTest, TwoDialogsKeepEachOthersChangesOnOk) {
  PutFavorites({kCorona, kFeathers, kOort});
  PutConfig(kRings);
  Open();
  OtherDialog b(store);
  // A turns the clock on and changes the grains; B turns the messages on,
  // changes the activity and the monitors.
  controls.Toggle(*dialog, IDC_SHOW_CLOCK);
  controls.TypeAndLeave(*dialog, IDC_GRAINS, "7777");
  b.controls.Toggle(*b.dialog, IDC_SHOW_MESSAGES);
  b.dialog->OnScroll(IDC_ACTIVITY, ScrollAction::kTrack, 4321);
  b.controls.ChooseText(*b.dialog, IDC_MONITORS, "one across all");
  dialog->OnClicked(IDC_OK);
  b.dialog->OnClicked(IDC_OK);

  EXPECT_EQ(Dword(kConfigKey, "Clock"), 1);
  EXPECT_EQ(Dword(kConfigKey, "Messages"), 1);
  EXPECT_EQ(Dword(kConfigKey, "Monitors"), 2);
  const FavoriteRecord stored = StoredSettings();
  EXPECT_EQ(stored.grains, 7777);
  EXPECT_EQ(stored.activity, 4321);
  FavoriteRecord expected = ParseRecord(kRings);
  expected.grains = 7777;
  expected.activity = 4321;
  EXPECT_EQ(FormatRecord(stored, RecordForm::kSettings), FormatRecord(expected, RecordForm::kSettings));
}

// Add, Remove and the rotation flags work on the favorites as stored when
// they are made, not as a dialog loaded them.
TEST_F(ConfigDialogTest, TwoDialogsKeepEachOthersFavorites) {
  PutFavorites({kCorona, kFeathers, kOort});
  PutConfig(kRings);
  WriteBinary(store, kConfigKey, "RanArray", {1, 0, 1});
  Open();
  OtherDialog b(store);

  host.addAnswer = "From A";
  controls.Press(*dialog, IDC_ADD_FAVORITE);
  ASSERT_TRUE(b.controls.ChooseText(*b.dialog, IDC_FAVORITES, "Feathers"));
  b.controls.Press(*b.dialog, IDC_REMOVE_FAVORITE);
  EXPECT_EQ(StoredFavoriteNames(), (std::vector<std::string>{"Corona", "Oort Cloud", "From A"}));
  EXPECT_EQ(b.controls.Texts(IDC_FAVORITES), (std::vector<std::string>{"Corona", "From A", "Oort Cloud"}));
  // Each favorite kept its flag; the new one is not in the rotation.
  EXPECT_EQ(RanArray(), (std::vector<uint8_t>{1, 1, 0}));

  // A removes Corona by the list it has, which B changed.
  ASSERT_TRUE(controls.ChooseText(*dialog, IDC_FAVORITES, "Corona"));
  controls.Press(*dialog, IDC_REMOVE_FAVORITE);
  EXPECT_EQ(StoredFavoriteNames(), (std::vector<std::string>{"Oort Cloud", "From A"}));
  EXPECT_EQ(RanArray(), (std::vector<uint8_t>{1, 0}));

  // B, whose list now misses that removal, chooses the rotation: it
  // reaches the favorites B showed.
  b.controls.ChoosePage(*b.dialog, IDC_TABS, 1);
  ASSERT_EQ(b.controls.Texts(IDC_RANDOM_LIST), (std::vector<std::string>{"Corona", "Oort Cloud", "From A"}));
  b.controls.SetEntrySelected(IDC_RANDOM_LIST, 1, false);
  b.controls.SetEntrySelected(IDC_RANDOM_LIST, 2, true);
  b.dialog->OnClicked(IDC_OK);
  EXPECT_EQ(RanArray(), (std::vector<uint8_t>{0, 1}));
  dialog->OnClicked(IDC_OK);
  EXPECT_EQ(RanArray(), (std::vector<uint8_t>{0, 1}));
}

// Cancel puts back what its own dialog wrote (here by Preview), and nothing
// the other dialog saved.
TEST_F(ConfigDialogTest, CancelPutsBackOnlyWhatItsDialogWrote) {
  PutFavorites({kCorona, kFeathers, kOort});
  PutConfig(kRings);
  WriteBinary(store, kConfigKey, "RanArray", {1, 0, 1});
  WriteDword(store, kConfigKey, "Clock", 0);
  Open();
  OtherDialog b(store);
  controls.Toggle(*dialog, IDC_SHOW_ZODIAC);
  controls.TypeAndLeave(*dialog, IDC_GRAINS, "1234");
  controls.ChoosePage(*dialog, IDC_TABS, 1);
  controls.SetEntrySelected(IDC_RANDOM_LIST, 1, true);
  controls.Press(*dialog, IDC_FULL_SCREEN_PREVIEW);
  EXPECT_EQ(Dword(kConfigKey, "Clock"), 1);
  EXPECT_EQ(RanArray(), (std::vector<uint8_t>{1, 1, 1}));

  b.controls.Toggle(*b.dialog, IDC_SHOW_MESSAGES);
  b.dialog->OnScroll(IDC_BRIGHTNESS, ScrollAction::kToMaximum, 0);
  b.controls.ChoosePage(*b.dialog, IDC_TABS, 1);
  b.controls.SetEntrySelected(IDC_RANDOM_LIST, 0, false);
  b.dialog->OnClicked(IDC_OK);
  EXPECT_EQ(RanArray(), (std::vector<uint8_t>{0, 1, 1}));

  dialog->OnClicked(IDC_CANCEL);
  EXPECT_EQ(Dword(kConfigKey, "Clock"), 0);
  EXPECT_EQ(Dword(kConfigKey, "Messages"), 1);
  const FavoriteRecord stored = StoredSettings();
  EXPECT_EQ(stored.grains, 5000);
  EXPECT_EQ(stored.brightness, 2000);
  // The flag A changed is back as A found it; the one B changed stays.
  EXPECT_EQ(RanArray(), (std::vector<uint8_t>{0, 0, 1}));
}

// The Random page's selection is stored when the Main page comes back;
// Cancel puts the rotation back as the dialog found it, stored or (without
// "RanArray") all selected.
TEST_F(ConfigDialogTest, CancelPutsBackTheRotationTheMainPageStored) {
  struct Case {
    const char* what;
    std::vector<uint8_t> stored;  // empty: no "RanArray"
    std::vector<uint8_t> restored;
  };
  const Case cases[] = {{"stored", {1, 0, 1}, {1, 0, 1}}, {"none stored", {}, {1, 1, 1}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    controls = FakeControls();
    PutFavorites({kCorona, kFeathers, kOort});
    PutConfig(kRings, 0);
    store.DeleteValue(kConfigKey, "RanArray");
    if (!c.stored.empty()) WriteBinary(store, kConfigKey, "RanArray", c.stored);
    Open();
    controls.ChoosePage(*dialog, IDC_TABS, 1);
    controls.SetEntrySelected(IDC_RANDOM_LIST, 0, false);
    controls.SetEntrySelected(IDC_RANDOM_LIST, 1, true);
    controls.ChoosePage(*dialog, IDC_TABS, 0);
    ASSERT_EQ(RanArray(), (std::vector<uint8_t>{0, 1, 1}));
    dialog->OnClicked(IDC_CANCEL);
    EXPECT_EQ(RanArray(), c.restored);
  }
}

// After Preview, a value changed back to what the dialog opened with is
// what OK stores.
TEST_F(ConfigDialogTest, OkAfterPreviewStoresValuesChangedBack) {
  PutConfig(kRings);
  WriteDword(store, kConfigKey, "Clock", 0);
  Open();
  controls.Toggle(*dialog, IDC_SHOW_CLOCK);
  controls.TypeAndLeave(*dialog, IDC_GRAINS, "1234");
  controls.Press(*dialog, IDC_FULL_SCREEN_PREVIEW);
  ASSERT_EQ(Dword(kConfigKey, "Clock"), 1);
  ASSERT_EQ(StoredSettings().grains, 1234);

  controls.Toggle(*dialog, IDC_SHOW_CLOCK);
  controls.TypeAndLeave(*dialog, IDC_GRAINS, "5000");
  dialog->OnClicked(IDC_OK);
  EXPECT_EQ(Dword(kConfigKey, "Clock"), 0);
  EXPECT_EQ(StoredSettings().grains, 5000);
}

}  // namespace
}  // namespace brindlemar
