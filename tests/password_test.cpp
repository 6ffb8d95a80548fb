#include "shell/password.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/particle_field.h"
#include "engine/process_state.h"
#include "overlays/canvas.h"
#include "settings/memory_store.h"
#include "settings/settings_store.h"
#include "shell/input_rules.h"
#include "support/field_fixture.h"

namespace brindlemar {
namespace {

using testing::FieldRig;

constexpr const char* kPromptMessage = "Brindlemar is password protected!\r\nPlease enter password.";

std::string Hex(const std::string& s) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string Scrambled(std::string text) {
  ScramblePassword(text);
  return text;
}

// A canvas that logs every call in order, one line each. Measuring a text
// gives 300 pixels by two font heights.
class LogCanvas final : public Canvas {
 public:
  class Font final : public CanvasFont {
   public:
    Font(LogCanvas* owner, int32_t id) : owner_(owner), id_(id) {}
    ~Font() override { owner_->log.push_back("delete font" + std::to_string(id_)); }
    int32_t Id() const { return id_; }

   private:
    LogCanvas* owner_;
    int32_t id_;
  };

  std::unique_ptr<CanvasFont> CreateFont(const FontSpec& fontSpec) override {
    log.push_back("font " + fontSpec.face + " " + std::to_string(fontSpec.height) + " " + std::to_string(fontSpec.weight) + " " +
                  std::to_string(fontSpec.italic));
    fontHeight_ = fontSpec.height;
    return std::make_unique<Font>(this, ++fonts_);
  }
  CanvasFont* SelectFont(CanvasFont* font) override {
    log.push_back(font ? "select font" + std::to_string(static_cast<Font*>(font)->Id()) : "select none");
    CanvasFont* previous = selected_;
    selected_ = font;
    return previous;
  }
  SizeI TextExtent(std::string_view) override { return SizeI{300, fontHeight_}; }
  int32_t DrawText(std::string_view text, RectI& rect, uint32_t format) override {
    char line[96];
    snprintf(line, sizeof line, "text %x %d,%d,%d,%d", format, rect.left, rect.top, rect.right, rect.bottom);
    log.push_back(line);
    texts.emplace_back(text);
    if (format & kTextCalcRect) {
      rect.right = rect.left + 300;
      rect.bottom = rect.top + 2 * fontHeight_;
    }
    return 2 * fontHeight_;
  }
  void SetTextColor(uint32_t rgb) override {
    char line[32];
    snprintf(line, sizeof line, "color %06x", rgb);
    log.push_back(line);
  }
  void SetBackgroundColor(uint32_t rgb) override {
    char line[32];
    snprintf(line, sizeof line, "bkcolor %06x", rgb);
    log.push_back(line);
  }
  void SetBackground(Background mode) override {
    log.push_back(mode == Background::kTransparent ? "transparent" : "opaque");
  }
  void SelectPen(StockPen pen) override { log.push_back(pen == StockPen::kWhite ? "pen white" : "pen black"); }
  void SelectHollowBrush() override { log.push_back("hollow"); }
  void MoveTo(int32_t, int32_t) override { log.push_back("move"); }
  void LineTo(int32_t, int32_t) override { log.push_back("line"); }
  void Polyline(const PointI*, int32_t) override { log.push_back("polyline"); }
  void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) override {
    log.push_back("rect " + std::to_string(left) + "," + std::to_string(top) + "," + std::to_string(right) + "," +
                  std::to_string(bottom));
  }

  std::vector<std::string> log;
  std::vector<std::string> texts;

 private:
  int32_t fonts_ = 0;
  int32_t fontHeight_ = 16;
  CanvasFont* selected_ = nullptr;
};

// A surface whose drawing context is a LogCanvas.
class LoggingSurface final : public MemorySurface24 {
 public:
  Canvas* GetDrawingDC() override {
    ++gets;
    return &canvas;
  }
  void ReleaseDrawingDC(Canvas* c) override {
    EXPECT_EQ(c, &canvas);
    ++releases;
  }
  LogCanvas canvas;
  int32_t gets = 0;
  int32_t releases = 0;
};

TEST(PasswordProtection, OnlyWhereTheSaverAsksAndAPasswordIsStored) {
  struct Case {
    PlatformFamily family;
    uint32_t use;
    const char* pass;
    int32_t protectedFlag;
  };
  const Case cases[] = {
      {PlatformFamily::kWindows9x, 1, "xyzxyzxyzxyz", 1}, {PlatformFamily::kWindows9x, 0x100, "xyzxyzxyzxyz", 1},
      {PlatformFamily::kWindows9x, 0, "xyzxyzxyzxyz", 0}, {PlatformFamily::kWindows9x, 1, "(none)", 0},
      {PlatformFamily::kWindows9x, 1, "(NONE)", 1},       {PlatformFamily::kWindows9x, 1, "", 1},
      {PlatformFamily::kWindowsNt, 1, "xyzxyzxyzxyz", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsPasswordProtected(c.family, c.use, c.pass), c.protectedFlag)
        << static_cast<int32_t>(c.family) << " " << c.use << " " << c.pass;
  }
}

TEST(PasswordProtection, ReadsTheSwitchAndThePasswordFromTheStore) {
  const std::string stored = Scrambled("abc");
  struct Case {
    const char* name;
    std::vector<uint8_t> use;  // empty: missing
    ValueType useType;
    std::string pass;  // empty: missing
    PlatformFamily family;
    int32_t protectedFlag;
  };
  const Case cases[] = {
      {"both set", {1, 0, 0, 0}, ValueType::kDword, stored, PlatformFamily::kWindows9x, 1},
      {"switch stored as binary", {0, 1, 0, 0}, ValueType::kBinary, stored, PlatformFamily::kWindows9x, 1},
      {"switch of one byte", {1}, ValueType::kBinary, stored, PlatformFamily::kWindows9x, 1},
      {"switch off", {0, 0, 0, 0}, ValueType::kDword, stored, PlatformFamily::kWindows9x, 0},
      {"switch missing", {}, ValueType::kDword, stored, PlatformFamily::kWindows9x, 0},
      {"switch too long to read", {1, 0, 0, 0, 0}, ValueType::kBinary, stored, PlatformFamily::kWindows9x, 0},
      {"no password", {1, 0, 0, 0}, ValueType::kDword, "", PlatformFamily::kWindows9x, 0},
      {"password (none)", {1, 0, 0, 0}, ValueType::kDword, "(none)", PlatformFamily::kWindows9x, 0},
      {"password of 63 bytes", {1, 0, 0, 0}, ValueType::kDword, std::string(63, 'q'), PlatformFamily::kWindows9x, 1},
      // The longest password the change dialog accepts still protects.
      {"password of 127 bytes", {1, 0, 0, 0}, ValueType::kDword, std::string(127, 'q'), PlatformFamily::kWindows9x, 1},
      {"password too long to read",
       {1, 0, 0, 0},
       ValueType::kDword,
       std::string(128, 'q'),
       PlatformFamily::kWindows9x,
       0},
      {"NT family", {1, 0, 0, 0}, ValueType::kDword, stored, PlatformFamily::kWindowsNt, 0},
  };
  for (const Case& c : cases) {
    MemoryStore store;
    ASSERT_TRUE(store.CreateKey(kDesktopKey, nullptr));
    ASSERT_TRUE(store.CreateKey(kConfigKey, nullptr));
    if (!c.use.empty()) {
      ASSERT_TRUE(store.SetValue(kDesktopKey, "ScreenSaveUsePassword", StoredValue{c.useType, c.use}));
    }
    if (!c.pass.empty()) {
      ASSERT_TRUE(WriteString(store, kConfigKey, "Pass", c.pass));
    }
    EXPECT_EQ(IsPasswordProtected(c.family, store), c.protectedFlag) << c.name;
  }
}

TEST(ScramblePassword, StoredForms) {
  struct Case {
    std::string text;
    const char* hex;
  };
  const Case cases[] = {
      {"abc", "BC666F2D212A565757505D4B"},
      {"a", "7C52362046352D42595D4230"},
      {"ab", "717B545C2C272220592B3830"},
      {"AAA", "36363653252F313B4D575923"},
      {"Password 123", "4A41486A3F6BB1BE28BB647E"},
      {"Brindlemar", "B7BB646964A923A3BABF344C"},
      {"zzzzzzzzzzzzzzzz", "61BABFB0B5AEA3A4797277686D66BBBC"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Hex(Scrambled(c.text)), c.hex) << c.text;
  }
  EXPECT_EQ(Scrambled(""), "(none)");
}

TEST(ScramblePassword, LengthAndCharacterRange) {
  const std::string texts[] = {
      "x", "abc", "0", "9 9", "Hello World", "ZZZZZZZZZZZZ", std::string(127, 'm'), std::string(40, ' ') + "z"};
  for (const std::string& text : texts) {
    const std::string s = Scrambled(text);
    EXPECT_EQ(s.size(), std::max<size_t>(text.size(), 12)) << text;
    for (unsigned char c : s) EXPECT_TRUE((c >= 32 && c <= 127) || (c >= 160 && c <= 191)) << text << ": " << int(c);
    EXPECT_EQ(Scrambled(text), s) << text;
  }
}

// Characters above 127 never come from the prompt or the dialog; should one
// arrive all the same, its swap stays inside the text.
TEST(ScramblePassword, CharactersAbove127StayInBounds) {
  EXPECT_EQ(Hex(Scrambled("\xE9t\xE9")), "67161C223932523448454435");
  EXPECT_EQ(Scrambled(std::string(20, '\xFF')).size(), 20u);
}

TEST(PasswordKeys, KeyToCharacter) {
  struct Case {
    int32_t key;
    int32_t shift;
    char ch;
  };
  const Case cases[] = {
      {'A', 0, 'a'}, {'Z', 0, 'z'}, {'A', 1, 'A'}, {'Q', 1, 'Q'}, {'1', 0, '1'}, {'0', 0, '0'},
      {'1', 1, 0},   {' ', 0, ' '}, {' ', 1, 0},   {96, 0, '0'},  {97, 0, '1'},  {105, 0, '9'},
      {97, 1, 0},    {106, 0, 0},   {109, 0, 0},   {112, 0, 0},   {122, 0, 0},   {123, 0, 0},
      {186, 0, 0},   {20, 0, 0},    {8, 0, 0},     {13, 0, 0},    {0, 0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(PasswordKeyChar(c.key, c.shift), c.ch) << c.key << " shift " << c.shift;
}

class PasswordPrompt : public ::testing::Test {
 protected:
  PasswordPrompt() : rig(640, 480, 100) {
    field().width = 640;
    field().height = 480;
    rig.clock.tick = 100000;
    rig.store.CreateKey(kConfigKey, nullptr);
    WriteString(rig.store, kConfigKey, "Pass", Scrambled("Ab 1"));
    field().passwordProtected = 1;
  }

  ParticleField& field() { return *rig.field; }

  // Keys by name: letters and digits as themselves, and a few words.
  void Type(const std::vector<std::string>& keys) {
    for (const std::string& k : keys) last = Press(k);
  }
  int32_t Press(const std::string& k) {
    if (k == "shift-up") {
      NoteShiftReleased(field());
      return -1;
    }
    int32_t key = k == "enter"   ? kKeyEnter
                  : k == "back"  ? kKeyBackspace
                  : k == "shift" ? kKeyShift
                  : k == "ctrl"  ? kKeyControl
                  : k == "space" ? kKeySpace
                  : k == "caps"  ? kKeyCapsLock
                  : k == "pad1"  ? kKeyNumpad0 + 1
                                 : k[0];
    return HandlePasswordKey(field(), key);
  }

  FieldRig rig;
  int32_t last = -1;
};

TEST_F(PasswordPrompt, RequestCloseRaisesThePromptOnce) {
  struct Case {
    int32_t protectedFlag;
    int32_t prompt;
    int32_t allowed;
    int32_t promptAfter;
  };
  const Case cases[] = {{0, kPromptNone, 1, kPromptNone},
                        {1, kPromptNone, 0, kPromptTyping},
                        {1, kPromptTyping, 0, kPromptTyping},
                        {1, kPromptAccepted, 1, kPromptAccepted},
                        {0, kPromptTyping, 1, kPromptTyping}};
  for (const Case& c : cases) {
    field().passwordProtected = c.protectedFlag;
    field().passwordPrompt = c.prompt;
    field().passwordEntry = "xy";
    field().promptDeadline = 7;
    field().showClock = 1;
    EXPECT_EQ(RequestClose(field()), c.allowed) << c.protectedFlag << " " << c.prompt;
    EXPECT_EQ(field().passwordPrompt, c.promptAfter) << c.protectedFlag << " " << c.prompt;
    const bool raised = c.prompt == kPromptNone && c.promptAfter == kPromptTyping;
    EXPECT_EQ(field().passwordEntry, raised ? "" : "xy");
    EXPECT_EQ(field().promptDeadline, raised ? 115000u : 7u);
    EXPECT_EQ(field().showClock, raised ? 0 : 1);
  }
}

TEST_F(PasswordPrompt, TypingIntoThePrompt) {
  struct Case {
    const char* name;
    std::vector<std::string> keys;
    std::string entry;
    int32_t taken;  // of the last key
  };
  const Case cases[] = {
      {"the key that raises the prompt is typed", {"A"}, "a", 1},
      {"Shift gives capitals", {"shift", "A", "B", "shift-up", "C"}, "ABc", 1},
      {"Shift and a digit give nothing", {"shift", "1", "shift-up", "1"}, "1", 1},
      {"the keypad gives digits", {"pad1", "9"}, "19", 1},
      {"no leading blank", {"space", "space", "A", "space", "space", "B"}, "a  b", 1},
      {"backspace", {"A", "B", "back"}, "a", 1},
      {"backspace on nothing", {"back", "back"}, "", 1},
      {"Control and Caps Lock type nothing", {"ctrl", "caps", "A", "caps", "B"}, "ab", 1},
      {"Enter on an empty entry does nothing", {"enter"}, "", 1},
  };
  for (const Case& c : cases) {
    field().passwordPrompt = kPromptNone;
    field().shiftDown = 0;
    Type(c.keys);
    EXPECT_EQ(field().passwordEntry, c.entry) << c.name;
    EXPECT_EQ(field().passwordPrompt, kPromptTyping) << c.name;
    EXPECT_EQ(last, c.taken) << c.name;
  }
}

TEST_F(PasswordPrompt, The128thCharacterIsIgnored) {
  for (int32_t i = 0; i < 130; ++i) Press("K");
  EXPECT_EQ(field().passwordEntry, std::string(127, 'k'));
  Press("back");
  Press("M");
  EXPECT_EQ(field().passwordEntry, std::string(126, 'k') + "m");
}

TEST_F(PasswordPrompt, WithoutProtectionKeysAreNotTaken) {
  field().passwordProtected = 0;
  EXPECT_EQ(Press("A"), 0);
  EXPECT_EQ(field().passwordPrompt, kPromptNone);
  EXPECT_EQ(field().passwordEntry, "");
}

TEST_F(PasswordPrompt, EveryKeyPutsTheDeadlineOff) {
  Press("A");
  EXPECT_EQ(field().promptDeadline, 115000u);
  rig.clock.tick = 110000;
  Press("ctrl");
  EXPECT_EQ(field().promptDeadline, 125000u);
}

TEST_F(PasswordPrompt, WrongPasswordTakesThePromptDownAndTheNextKeyRaisesAnEmptyOne) {
  WriteDword(rig.store, kConfigKey, "Clock", 1);
  auto surface = std::make_unique<LoggingSurface>();
  LoggingSurface& s = *surface;
  field().surface = std::move(surface);

  Type({"shift", "A", "shift-up", "B", "space", "2"});
  EXPECT_EQ(field().showClock, 0);
  EXPECT_EQ(Press("enter"), 1);
  EXPECT_EQ(field().passwordPrompt, kPromptNone);
  EXPECT_EQ(field().showClock, 1);
  // The prompt is drawn once more on the way out.
  EXPECT_EQ(s.gets, 1);
  EXPECT_EQ(s.releases, 1);
  EXPECT_EQ(std::count(s.canvas.log.begin(), s.canvas.log.end(), "rect 106,226,134,254"), 1);

  EXPECT_EQ(Press("X"), 1);
  EXPECT_EQ(field().passwordPrompt, kPromptTyping);
  EXPECT_EQ(field().passwordEntry, "x");
}

TEST_F(PasswordPrompt, RightPasswordLetsTheSameEnterEndTheSaver) {
  Type({"shift", "A", "shift-up", "B", "space", "1"});
  EXPECT_EQ(Press("enter"), 0);
  EXPECT_EQ(field().passwordPrompt, kPromptAccepted);
  EXPECT_EQ(RequestClose(field()), 1);
}

TEST_F(PasswordPrompt, MissingStoredPasswordNeverMatches) {
  rig.store.DeleteValue(kConfigKey, "Pass");
  Type({"shift", "A", "shift-up", "B", "space", "1"});
  EXPECT_EQ(Press("enter"), 1);
  EXPECT_EQ(field().passwordPrompt, kPromptNone);
}

TEST_F(PasswordPrompt, DrawsTheMessageAndOneBoxPerCharacter) {
  struct Case {
    const char* name;
    int32_t visible;
    int32_t boxesBefore;
    std::vector<std::string> log;
  };
  const Case cases[] = {
      {"visible, erasing two boxes of before",
       1,
       5,
       {"font Arial 40 700 0", "select font1", "color ffffff", "pen white", "bkcolor 000000", "transparent",
        "text 401 10,34,630,35", "text 1 170,34,470,114", "select none", "hollow", "rect 10,226,38,254",
        "rect 42,226,70,254", "rect 74,226,102,254", "pen black", "rect 106,226,134,254", "rect 138,226,166,254",
        "delete font1"}},
      {"in black",
       0,
       3,
       {"font Arial 40 700 0", "select font1", "color 000000", "pen black", "bkcolor 000000", "transparent",
        "text 401 10,34,630,35", "text 1 170,34,470,114", "select none", "hollow", "rect 10,226,38,254",
        "rect 42,226,70,254", "rect 74,226,102,254", "delete font1"}},
  };
  for (const Case& c : cases) {
    Type({"A", "B", "C"});
    field().promptBoxes = c.boxesBefore;
    LogCanvas canvas;
    DrawPasswordPrompt(field(), canvas, c.visible);
    EXPECT_EQ(canvas.log, c.log) << c.name;
    for (const std::string& text : canvas.texts) EXPECT_EQ(text, kPromptMessage) << c.name;
    EXPECT_EQ(field().promptBoxes, 3) << c.name;
    EXPECT_EQ(field().passwordPrompt, kPromptTyping) << c.name;
    field().passwordPrompt = kPromptNone;
  }
}

TEST_F(PasswordPrompt, GoesByItselfAfter15SecondsWithoutAKey) {
  struct Case {
    uint32_t start;
    uint32_t later;
    bool gone;
  };
  const Case cases[] = {
      {100000, 115000, false},
      {100000, 115001, true},
      // Across the wrap of the tick count: the deadline lies past it.
      {0xFFFFF000u, 0xFFFFFFFFu, false},
      {0xFFFFF000u, 0xFFFFF000u + 15000, false},
      {0xFFFFF000u, 0xFFFFF000u + 15001, true},
  };
  for (const Case& c : cases) {
    field().passwordPrompt = kPromptNone;
    field().showClock = 1;
    rig.clock.tick = c.start;
    Type({"A", "B"});
    rig.clock.tick = c.later;
    LogCanvas canvas;
    DrawPasswordPrompt(field(), canvas, 1);
    EXPECT_EQ(field().passwordPrompt, c.gone ? kPromptNone : kPromptTyping) << c.start << " " << c.later;
    EXPECT_EQ(field().showClock, 0);
    if (c.gone) {
      EXPECT_EQ(field().promptDeadline, 0xFFFFFFFFu);
      // Drawn once in white, then once more in black, which removes it.
      ASSERT_EQ(std::count(canvas.log.begin(), canvas.log.end(), "font Arial 40 700 0"), 2);
      EXPECT_EQ(std::count(canvas.log.begin(), canvas.log.end(), "color 000000"), 1);
      EXPECT_EQ(canvas.log.back(), "delete font2");
    } else {
      EXPECT_EQ(std::count(canvas.log.begin(), canvas.log.end(), "font Arial 40 700 0"), 1);
    }
  }
}

// A store that cannot be written.
class ReadOnlyStore final : public SettingsStore {
 public:
  bool OpenKey(std::string_view) override { return false; }
  bool CreateKey(std::string_view, bool*) override { return false; }
  bool QueryValue(std::string_view, std::string_view, size_t, StoredValue&) override { return false; }
  bool SetValue(std::string_view, std::string_view, const StoredValue&) override { return false; }
  bool DeleteValue(std::string_view, std::string_view) override { return false; }
  bool DeleteKey(std::string_view) override { return false; }
  std::vector<std::string> EnumerateValues(std::string_view) override { return {}; }
};

TEST(ApplyNewPassword, ChecksTheEntriesAndStoresTheScrambledForm) {
  const std::string longA = std::string(127, 'w');
  struct Case {
    const char* name;
    std::string entry;
    std::string confirmation;
    int32_t mismatch;
    const char* text;
    const char* caption;
    NoticeIcon icon;
    const char* stored;  // null: "Pass" left as it was
  };
  const std::string abc = Scrambled("abc");
  const std::string longStored = Scrambled(longA);
  const Case cases[] = {
      {"match", "abc", "abc", 0, "Password changed successfully.", "Windows", NoticeIcon::kInformation, abc.c_str()},
      {"empty ends protection", "", "", 0, "Password changed successfully.", "Windows", NoticeIcon::kInformation,
       "(none)"},
      {"letters, digits and blanks", "Ab 19 z", "Ab 19 z", 0, "Password changed successfully.", "Windows",
       NoticeIcon::kInformation, nullptr},
      {"case matters", "abc", "ABC", 1, "Passwords do not match!  Password not changed.", "Windows", NoticeIcon::kStop,
       nullptr},
      {"mismatch", "abc", "abd", 1, "Passwords do not match!  Password not changed.", "Windows", NoticeIcon::kStop,
       nullptr},
      {"other characters", "ab-c", "ab-c", 0,
       "Passwords can contain only letters (upper and lower case), numerals and spaces.", "Invalid Password",
       NoticeIcon::kStop, nullptr},
      {"only 127 characters are read", longA + "x", longA + "y", 0, "Password changed successfully.", "Windows",
       NoticeIcon::kInformation, longStored.c_str()},
  };
  for (const Case& c : cases) {
    MemoryStore store;
    ASSERT_TRUE(store.CreateKey(kConfigKey, nullptr));
    ASSERT_TRUE(WriteString(store, kConfigKey, "Pass", "old"));
    const PasswordChange change = ApplyNewPassword(store, c.entry, c.confirmation);
    EXPECT_EQ(change.mismatch, c.mismatch) << c.name;
    ASSERT_NE(change.notice.text, nullptr) << c.name;
    EXPECT_STREQ(change.notice.text, c.text) << c.name;
    EXPECT_STREQ(change.notice.caption, c.caption) << c.name;
    EXPECT_EQ(change.notice.icon, c.icon) << c.name;
    std::string pass;
    ASSERT_TRUE(ReadString(store, kConfigKey, "Pass", 256, pass)) << c.name;
    const bool changed = c.mismatch == 0 && c.icon == NoticeIcon::kInformation;
    EXPECT_EQ(pass, c.stored ? std::string(c.stored) : changed ? Scrambled(c.entry) : "old") << c.name;
  }
}

TEST(ApplyNewPassword, StoreFailurePassesSilently) {
  ReadOnlyStore store;
  const PasswordChange change = ApplyNewPassword(store, "abc", "abc");
  EXPECT_EQ(change.mismatch, 0);
  EXPECT_EQ(change.notice.text, nullptr);
}

TEST(ApplyNewPassword, StoredPasswordOpensThePrompt) {
  FieldRig rig(64, 48, 100);
  ASSERT_EQ(ApplyNewPassword(rig.store, "Open 5", "Open 5").mismatch, 0);
  ASSERT_TRUE(rig.store.CreateKey(kDesktopKey, nullptr));
  ASSERT_TRUE(WriteDword(rig.store, kDesktopKey, "ScreenSaveUsePassword", 1));
  ParticleField& field = *rig.field;
  field.passwordProtected = IsPasswordProtected(PlatformFamily::kWindows9x, rig.store);
  ASSERT_EQ(field.passwordProtected, 1);
  for (int32_t key : {kKeyShift, int32_t{'O'}}) HandlePasswordKey(field, key);
  NoteShiftReleased(field);
  for (int32_t key : {int32_t{'P'}, int32_t{'E'}, int32_t{'N'}, kKeySpace, int32_t{'5'}}) HandlePasswordKey(field, key);
  EXPECT_EQ(field.passwordEntry, "Open 5");
  EXPECT_EQ(HandlePasswordKey(field, kKeyEnter), 0);
}

}  // namespace
}  // namespace brindlemar
