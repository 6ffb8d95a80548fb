// The configuration dialog's satellites over dialogs made of plain values:
// the name of a new favorite and the favorite confirmations, the pop-up
// messages with their font and delays, and each configuration's additional
// settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "engine/style_table.h"
#include "settings/memory_store.h"
#include "settings/settings_store.h"
#include "support/fake_dialog.h"
#include "support/shared_state.h"
#include "support/watched_store.h"
#include "ui/dialog_ids.h"
#include "ui/favorite_dialogs.h"
#include "ui/messages_dialog.h"
#include "ui/style_settings_dialog.h"

namespace brindlemar {
namespace {

using testing::FakeControls;
using testing::FakeHost;

TEST(AddFavoriteDialog, OffersANameAndRefusesACommaWithoutClosing) {
  struct Case {
    std::string typed;
    std::vector<int32_t> ended;
    std::string name;
    size_t messages;
  };
  const std::string longName(200, 'n');
  const Case cases[] = {
      {"Nebula", {1}, "Nebula", 0},
      {"", {1}, "", 0},
      {longName, {1}, longName.substr(0, 126), 0},
      {"Rain, heavy", {}, "My New Favorite", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    FakeControls controls;
    FakeHost host(nullptr);
    ui::AddFavoriteDialog dialog(controls, host);
    dialog.Open();
    EXPECT_EQ(controls[IDC_FAVORITE_NAME].text, "My New Favorite");
    EXPECT_TRUE(controls[IDC_FAVORITE_NAME].textSelected);
    EXPECT_TRUE(controls[IDC_FAVORITE_NAME].focused);
    controls[IDC_FAVORITE_NAME].text = c.typed;
    controls.Press(dialog, IDC_OK);
    EXPECT_EQ(controls.ended, c.ended);
    EXPECT_EQ(dialog.Name(), c.name);
    EXPECT_EQ(host.messages.size(), c.messages);
  }
  FakeControls controls;
  FakeHost host(nullptr);
  ui::AddFavoriteDialog dialog(controls, host);
  dialog.Open();
  controls.Press(dialog, IDC_CANCEL);
  EXPECT_EQ(controls.ended, std::vector<int32_t>{0});
}

TEST(FavoriteQuestionDialog, ShowsTheNameAndAnswersOkOrCancel) {
  for (int32_t button : {IDC_OK, IDC_CANCEL}) {
    FakeControls controls;
    ui::FavoriteQuestionDialog dialog(controls, "Corona");
    dialog.Open();
    EXPECT_EQ(controls[IDC_FAVORITE_NAME].text, "Corona");
    controls.Press(dialog, button);
    EXPECT_EQ(controls.ended, std::vector<int32_t>{button == IDC_OK ? 1 : 0});
  }
}

class MessagesDialogTest : public ::testing::Test {
 protected:
  void Open() {
    controls = FakeControls();
    dialog = std::make_unique<ui::MessagesDialog>(controls, host, store);
    dialog->Open();
  }

  std::string Message(int32_t n) {
    std::string text = "(missing)";
    ReadString(store, kMessagesKey, "Message" + std::to_string(n), 65536, text);
    return text;
  }

  int32_t Dword(const char* name) {
    int32_t value = -7;
    ReadDword(store, kMessagesKey, name, value);
    return value;
  }

  MemoryStore store;
  FakeHost host{nullptr};
  FakeControls controls;
  std::unique_ptr<ui::MessagesDialog> dialog;
};

TEST_F(MessagesDialogTest, OkStoresEveryLineUntilTheEndWithTheCorrectedDelays) {
  struct Case {
    const char* text;
    std::vector<std::string> stored;
    const char *minTyped, *maxTyped;
    int32_t minTime, maxTime;
  };
  const Case cases[] = {
      {"a\r\n\r\nb", {"a", "", "b"}, "10", "5", 10, 11},
      {"a\r\nb\r\n", {"a", "b"}, "0", "0", 1, 2},
      {"", {}, "x", "90", 1, 90},
      {"a", {"a"}, "1,200", "99999999999", 1200, 2147483647},
      {"\r\n", {""}, "60", "90", 60, 90},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    store.DeleteKey(kMessagesKey);
    store.CreateKey(kMessagesKey, nullptr);
    WriteString(store, kMessagesKey, "Message9", "old");
    Open();
    controls[IDC_MESSAGES_TEXT].text = c.text;
    controls[IDC_MESSAGES_MIN_TIME].text = c.minTyped;
    controls[IDC_MESSAGES_MAX_TIME].text = c.maxTyped;
    controls.Press(*dialog, IDC_OK);
    EXPECT_EQ(controls.ended, std::vector<int32_t>{1});
    for (size_t i = 0; i < c.stored.size(); ++i) EXPECT_EQ(Message(static_cast<int32_t>(i + 1)), c.stored[i]);
    EXPECT_EQ(Message(static_cast<int32_t>(c.stored.size() + 1)), "(missing)");
    EXPECT_EQ(Message(9), "(missing)");
    EXPECT_EQ(Dword("Num"), static_cast<int32_t>(c.stored.size()));
    EXPECT_EQ(Dword("MinTime"), c.minTime);
    EXPECT_EQ(Dword("MaxTime"), c.maxTime);
  }
  // Reading back stops at the first empty message.
  store.DeleteKey(kMessagesKey);
  Open();
  controls[IDC_MESSAGES_TEXT].text = "a\r\n\r\nb";
  controls.Press(*dialog, IDC_OK);
  Open();
  EXPECT_EQ(controls[IDC_MESSAGES_TEXT].text, "a\r\n");
}

// OK replaces the key in one change: a saver that starts meanwhile reads
// the old messages or the new ones, never a part of them.
TEST_F(MessagesDialogTest, OkReplacesTheMessagesInOneChange) {
  store.CreateKey(kMessagesKey, nullptr);
  WriteString(store, kMessagesKey, "Message1", "old one");
  WriteString(store, kMessagesKey, "Message2", "old two");
  WriteDword(store, kMessagesKey, "Num", 2);
  auto messages = [](SettingsStore& s) {
    std::string all;
    for (const std::string& name : s.EnumerateValues(kMessagesKey)) {
      std::string text;
      ReadString(s, kMessagesKey, name, 65536, text);
      all += name + "=" + text + ";";
    }
    return all;
  };
  testing::WatchedStore watched(store, messages);
  const std::string before = watched.Now();
  controls = FakeControls();
  dialog = std::make_unique<ui::MessagesDialog>(controls, host, watched);
  dialog->Open();
  controls[IDC_MESSAGES_TEXT].text = "new one\r\nnew two\r\nnew three";
  controls.Press(*dialog, IDC_OK);
  const std::string after = watched.Now();
  EXPECT_NE(after, before);
  for (const std::string& look : watched.TakeLooks()) EXPECT_TRUE(look == before || look == after) << look;
}

TEST_F(MessagesDialogTest, OpeningShowsTheStoredValuesAndCancelWritesNothing) {
  store.CreateKey(kMessagesKey, nullptr);
  WriteString(store, kMessagesKey, "Font", "Cour");
  WriteDword(store, kMessagesKey, "MinTime", 0);
  WriteDword(store, kMessagesKey, "MaxTime", 0);
  WriteDword(store, kMessagesKey, "Bold", 0);
  WriteDword(store, kMessagesKey, "Italic", 1);
  WriteString(store, kMessagesKey, "Message1", "Hello");
  WriteString(store, kMessagesKey, "Message2", "World\\rTwice");
  host.fonts = {"Verdana", "Courier New", "courier new", "Arial Bold", "Arial", "Times New Roman"};
  Open();
  EXPECT_EQ(controls.Texts(IDC_MESSAGES_FONT),
            (std::vector<std::string>{"Arial", "Arial Bold", "Courier New", "Times New Roman", "Verdana"}));
  EXPECT_EQ(controls.EntryText(IDC_MESSAGES_FONT, controls[IDC_MESSAGES_FONT].selection), "Courier New");
  EXPECT_FALSE(controls[IDC_MESSAGES_BOLD].checked);
  EXPECT_TRUE(controls[IDC_MESSAGES_ITALIC].checked);
  EXPECT_EQ(controls[IDC_MESSAGES_MIN_TIME].text, "1");
  EXPECT_EQ(controls[IDC_MESSAGES_MAX_TIME].text, "2");
  EXPECT_EQ(controls[IDC_MESSAGES_TEXT].text, "Hello\r\nWorld\\rTwice\r\n");

  controls[IDC_MESSAGES_TEXT].text = "changed";
  controls.Press(*dialog, IDC_CANCEL);
  EXPECT_EQ(controls.ended, std::vector<int32_t>{0});
  EXPECT_EQ(Message(1), "Hello");
  EXPECT_EQ(Dword("MinTime"), 0);
  controls.Press(*dialog, IDC_DIALOG_HELP);
  dialog->OnHelp();
  EXPECT_EQ(host.helpTopics, (std::vector<std::string>{"Messages", "Messages"}));
}

// Whatever OK stores comes back whole on the next opening, the longest line
// the box holds included, and the next OK keeps it and the lines after it.
TEST_F(MessagesDialogTest, ALongLineComesBackWholeAndKeepsTheLinesAfterIt) {
  // As long as the box holds with "Hello" and "After", each with its line
  // break.
  const std::string longest(ui::kMessagesTextLimit - 3 * 2 - 5 - 5, 'L');
  for (const std::string& line : {std::string(600, 'x'), longest}) {
    SCOPED_TRACE(line.size());
    store.DeleteKey(kMessagesKey);
    const std::string text = "Hello\r\n" + line + "\r\nAfter";
    Open();
    controls[IDC_MESSAGES_TEXT].text = text;
    controls.Press(*dialog, IDC_OK);
    Open();
    EXPECT_TRUE(controls[IDC_MESSAGES_TEXT].text == text + "\r\n") << controls[IDC_MESSAGES_TEXT].text.size();
    controls.Press(*dialog, IDC_OK);
    EXPECT_TRUE(Message(2) == line) << Message(2).size();
    EXPECT_EQ(Message(3), "After");
    EXPECT_EQ(Dword("Num"), 3);
  }
}

TEST_F(MessagesDialogTest, StoredMessagesBeyondTheBoxAreDroppedWholeNeverCut) {
  store.CreateKey(kMessagesKey, nullptr);
  const std::string message(200, 'm');
  for (int32_t n = 1; n <= 100; ++n) WriteString(store, kMessagesKey, "Message" + std::to_string(n), message);
  Open();
  const std::string& text = controls[IDC_MESSAGES_TEXT].text;
  // 81 messages of 200 characters and a line break fit in 16383.
  EXPECT_EQ(text.size(), 81u * 202u);
  EXPECT_EQ(ui::SplitMessages(text).size(), 81u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

// Every family the system has is offered once, whatever order it lists
// them in (the system repeats a family for each character set), and the
// stored face chooses its own entry before a longer name that begins with it.
TEST_F(MessagesDialogTest, EveryFamilyIsOfferedOnceInAnyOrder) {
  auto lower = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  const std::vector<std::string> families = {"DejaVu Sans Mono", "DejaVu Sans",    "Liberation Sans Narrow",
                                             "Liberation Sans",  "LIBERATION SANS", "DejaVu Serif"};
  const std::vector<std::string> offered = {"dejavu sans", "dejavu sans mono", "dejavu serif", "liberation sans",
                                            "liberation sans narrow"};
  for (bool reversed : {false, true}) {
    SCOPED_TRACE(reversed ? "reversed" : "as listed");
    host.fonts = families;
    if (reversed) std::reverse(host.fonts.begin(), host.fonts.end());
    for (const char* face : {"Liberation Sans", "dejavu sans", "DejaVu Sans Mono"}) {
      SCOPED_TRACE(face);
      store.DeleteKey(kMessagesKey);
      store.CreateKey(kMessagesKey, nullptr);
      WriteString(store, kMessagesKey, "Font", face);
      Open();
      std::vector<std::string> texts = controls.Texts(IDC_MESSAGES_FONT);
      std::transform(texts.begin(), texts.end(), texts.begin(), lower);
      EXPECT_EQ(texts, offered);
      EXPECT_EQ(lower(controls.EntryText(IDC_MESSAGES_FONT, controls[IDC_MESSAGES_FONT].selection)), lower(face));
    }
  }
}

TEST_F(MessagesDialogTest, ThePreviewFontIsTheLargestInWhichTheSampleFits) {
  struct Case {
    bool bold, italic;
    int32_t width;
    int32_t height;
  };
  // The fake measures height / 2 per character, a tenth more when bold: the
  // 50-character sample fits 400 pixels below 16 (bold: below 15).
  const Case cases[] = {{false, false, 400, 15}, {true, true, 400, 14}, {false, false, 4000, 32}, {true, false, 10, 1}};
  host.fonts = {"Arial", "Georgia"};
  for (const Case& c : cases) {
    store.DeleteKey(kMessagesKey);
    store.CreateKey(kMessagesKey, nullptr);
    WriteString(store, kMessagesKey, "Font", "Georgia");
    WriteDword(store, kMessagesKey, "Bold", c.bold);
    WriteDword(store, kMessagesKey, "Italic", c.italic);
    controls = FakeControls();
    controls[IDC_MESSAGES_TEXT].clientWidth = c.width;
    dialog = std::make_unique<ui::MessagesDialog>(controls, host, store);
    dialog->Open();
    const ui::FontSpec expected{"Georgia", c.height, c.bold, c.italic};
    EXPECT_EQ(controls[IDC_MESSAGES_TEXT].font, expected);
  }
  controls.Toggle(*dialog, IDC_MESSAGES_BOLD);
  EXPECT_EQ(controls[IDC_MESSAGES_TEXT].font.bold, 0);
  controls.ChooseText(*dialog, IDC_MESSAGES_FONT, "Arial");
  EXPECT_EQ(controls[IDC_MESSAGES_TEXT].font.face, "Arial");
}

TEST_F(MessagesDialogTest, AStoredFaceNoEntryBeginsWithIsKeptOnOk) {
  store.CreateKey(kMessagesKey, nullptr);
  WriteString(store, kMessagesKey, "Font", "Papyrus");
  host.fonts = {"Arial"};
  Open();
  EXPECT_EQ(controls[IDC_MESSAGES_FONT].selection, -1);
  EXPECT_EQ(controls[IDC_MESSAGES_TEXT].font.face, "Papyrus");
  controls.Press(*dialog, IDC_OK);
  std::string face;
  ReadString(store, kMessagesKey, "Font", 256, face);
  EXPECT_EQ(face, "Papyrus");
}

class StyleSettingsDialogTest : public ::testing::Test {
 protected:
  testing::StyleTableScope table;

  ui::StyleEdit Edit(int32_t configuration) {
    ui::StyleEdit edit;
    edit.configuration = configuration;
    GetStyleParams(configuration, edit.count, edit.values);
    return edit;
  }

  FakeControls controls;
  FakeHost host{nullptr};
};

TEST_F(StyleSettingsDialogTest, RowsFollowTheStyleTable) {
  struct Case {
    int32_t configuration;
    std::vector<std::string> names, ranges, values;
    int32_t colorButton;
  };
  const Case cases[] = {
      {25, {"New Dots/Group", "Energy", "Radius"}, {"(1 to 250)", "(-1000 to 1000)", "(1 to 1500)"}, {"8", "-10", "950"},
       IDC_STYLE_WHITE},
      {0, {"Explode Power"}, {"(0 to 100)"}, {"50"}, IDC_STYLE_WHITE},
      {5, {}, {}, {}, IDC_STYLE_WHITE},
      {14, {"Gravity", "Horz Squish"}, {"(-1000 to 1000)", "(0 to 1000)"}, {"51", "744"}, IDC_STYLE_BLACK},
  };
  const int32_t names[] = {IDC_STYLE_NAME2, IDC_STYLE_NAME3, IDC_STYLE_NAME4};
  const int32_t ranges[] = {IDC_STYLE_RANGE2, IDC_STYLE_RANGE3, IDC_STYLE_RANGE4};
  const int32_t values[] = {IDC_STYLE_VALUE2, IDC_STYLE_VALUE3, IDC_STYLE_VALUE4};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.configuration);
    controls = FakeControls();
    ui::StyleEdit edit = Edit(c.configuration);
    ui::StyleSettingsDialog dialog(controls, host, edit);
    dialog.Open();
    for (size_t k = 0; k < 3; ++k) {
      const bool shown = k < c.names.size();
      EXPECT_EQ(controls[names[k]].shown, shown);
      EXPECT_EQ(controls[values[k]].shown, shown);
      EXPECT_EQ(controls[ranges[k]].shown, shown);
      if (!shown) continue;
      EXPECT_EQ(controls[names[k]].text, c.names[k]);
      EXPECT_EQ(controls[ranges[k]].text, c.ranges[k]);
      EXPECT_EQ(controls[values[k]].text, c.values[k]);
    }
    EXPECT_TRUE(controls[c.colorButton].checked);
    EXPECT_EQ(controls[IDC_STYLE_VALUE2].focused, !c.names.empty());
  }
}

TEST_F(StyleSettingsDialogTest, OkLimitsEachNumberToItsRange) {
  struct Case {
    const char *dots, *energy, *radius;
    int32_t stored[3];
  };
  const Case cases[] = {
      {"20", "-5", "5000", {20, -5, 1500}},
      {"0", "abc", "-3", {1, 0, 1}},
      {" 250 ", "-1001", "1500", {250, -1000, 1500}},
      // Beyond the int32 range too, and with thousands separators.
      {"99999999999", "-2147483649", "2147483648", {250, -1000, 1500}},
      {"1,0", "-1,000", "1,200", {1, -1000, 1200}},
  };
  for (const Case& c : cases) {
    controls = FakeControls();
    ui::StyleEdit edit = Edit(25);
    ui::StyleSettingsDialog dialog(controls, host, edit);
    dialog.Open();
    controls[IDC_STYLE_VALUE2].text = c.dots;
    controls[IDC_STYLE_VALUE3].text = c.energy;
    controls[IDC_STYLE_VALUE4].text = c.radius;
    controls.ChooseRadio(dialog, IDC_STYLE_RANDOM, {IDC_STYLE_BLACK, IDC_STYLE_WHITE, IDC_STYLE_RANDOM});
    controls.Press(dialog, IDC_OK);
    EXPECT_EQ(controls.ended, std::vector<int32_t>{1});
    EXPECT_EQ(edit.values[0], 2);
    EXPECT_EQ(edit.values[1], c.stored[0]);
    EXPECT_EQ(edit.values[2], c.stored[1]);
    EXPECT_EQ(edit.values[3], c.stored[2]);
  }
}

TEST_F(StyleSettingsDialogTest, TheLineChangesOnlyItsColour) {
  ui::StyleEdit edit = Edit(5);
  ui::StyleSettingsDialog dialog(controls, host, edit);
  dialog.Open();
  controls.ChooseRadio(dialog, IDC_STYLE_BLACK, {IDC_STYLE_BLACK, IDC_STYLE_WHITE, IDC_STYLE_RANDOM});
  controls.Press(dialog, IDC_OK);
  EXPECT_EQ(edit.count, 1);
  EXPECT_EQ(edit.values[0], 0);
  EXPECT_EQ(edit.values[1], 0);
}

TEST_F(StyleSettingsDialogTest, DefaultsShowInTheControlsAndReachTheEditOnlyOnOk) {
  StoreStyleValues(25, 4, std::vector<int32_t>{2, 100, 500, 1200}.data());
  for (int32_t button : {IDC_CANCEL, IDC_OK}) {
    controls = FakeControls();
    ui::StyleEdit edit = Edit(25);
    ui::StyleSettingsDialog dialog(controls, host, edit);
    dialog.Open();
    controls.Press(dialog, IDC_STYLE_DEFAULTS);
    EXPECT_TRUE(controls[IDC_STYLE_WHITE].checked);
    EXPECT_FALSE(controls[IDC_STYLE_RANDOM].checked);
    EXPECT_EQ(controls[IDC_STYLE_VALUE4].text, "950");
    controls.Press(dialog, button);
    const std::vector<int32_t> expected =
        button == IDC_OK ? std::vector<int32_t>{1, 8, -10, 950} : std::vector<int32_t>{2, 100, 500, 1200};
    EXPECT_EQ(std::vector<int32_t>(edit.values, edit.values + 4), expected);
  }
}

TEST_F(StyleSettingsDialogTest, HelpButtonAndF1OpenTheTopic) {
  ui::StyleEdit edit = Edit(3);
  ui::StyleSettingsDialog dialog(controls, host, edit);
  dialog.Open();
  controls.Press(dialog, IDC_DIALOG_HELP);
  dialog.OnHelp();
  EXPECT_EQ(host.helpTopics,
            (std::vector<std::string>{"Additional Configuration Settings", "Additional Configuration Settings"}));
  EXPECT_TRUE(controls.ended.empty());
}

}  // namespace
}  // namespace brindlemar
