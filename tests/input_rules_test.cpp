#include "shell/input_rules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/process_state.h"
#include "support/shared_state.h"
#include "settings/settings_store.h"
#include "shell/password.h"
#include "support/field_fixture.h"

namespace brindlemar {
namespace {

using testing::FieldRig;

SaverEvent Event(SaverInput kind) {
  SaverEvent e;
  e.kind = kind;
  return e;
}

SaverEvent KeyDown(int32_t key, int32_t plain = 0) {
  SaverEvent e = Event(SaverInput::kKeyDown);
  e.key = key;
  e.plain = plain;
  return e;
}

SaverEvent KeyUp(int32_t key, int32_t plain = 0, int32_t capsLockOn = 0) {
  SaverEvent e = Event(SaverInput::kKeyUp);
  e.key = key;
  e.plain = plain;
  e.capsLockOn = capsLockOn;
  return e;
}

SaverEvent Move(int32_t x, int32_t y) {
  SaverEvent e = Event(SaverInput::kMouseMove);
  e.client = {x, y};
  return e;
}

SaverEvent Command(uint32_t command) {
  SaverEvent e = Event(SaverInput::kSysCommand);
  e.command = command;
  return e;
}

SaverEvent Activate(int32_t active) {
  SaverEvent e = Event(SaverInput::kNcActivate);
  e.active = active;
  return e;
}

// The response as a short text, so that a table can spell out what it wants:
// d default, c post close, x destroy, q quit, h hide cursor, n nudge cursor;
// "" answers 0 and does nothing.
std::string Spell(const SaverResponse& r) {
  std::string s;
  if (r.callDefault) s += 'd';
  if (r.postClose) s += 'c';
  if (r.destroyWindow) s += 'x';
  if (r.postQuit) s += 'q';
  if (r.hideCursor) s += 'h';
  if (r.nudgeCursor) s += 'n';
  return s;
}

class InputRules : public ::testing::Test {
 protected:
  testing::SharedStateScope shared;
};

TEST_F(InputRules, EachEventOnItsOwn) {
  struct Case {
    const char* name;
    SaverEvent event;
    const char* response;
  };
  const Case cases[] = {
      {"a key ends the saver", KeyDown('A'), "dc"},
      {"Enter", KeyDown(kKeyEnter, 1), "dc"},
      {"F12 first press", KeyDown(kKeyF12, 1), "d"},
      {"F12 repeat", KeyDown(kKeyF12, 0), "dc"},
      {"Caps Lock first press", KeyDown(kKeyCapsLock, 1), "d"},
      {"Caps Lock repeat", KeyDown(kKeyCapsLock, 0), "dc"},
      {"Alt key", Event(SaverInput::kSysKeyDown), "dc"},
      {"key released", KeyUp('A', 1), "d"},
      {"Shift released", KeyUp(kKeyShift, 1), ""},
      {"Caps Lock released oddly", KeyUp(kKeyCapsLock, 0, 1), "d"},
      {"button", Event(SaverInput::kButtonDown), "dcn"},
      {"button release", Event(SaverInput::kOtherMouse), "d"},
      {"close", Event(SaverInput::kClose), "dx"},
      {"destroy", Event(SaverInput::kDestroy), "q"},
      {"cursor shape", Event(SaverInput::kSetCursor), "dh"},
      {"frame to inactive", Activate(0), ""},
      {"frame to active", Activate(1), "d"},
      {"screen saver command", Command(0xF140), ""},
      {"screen saver command, low bits set", Command(0xF14F), ""},
      {"close command", Command(0xF060), ""},
      {"close command, low bits set", Command(0xF063), ""},
      {"minimize command", Command(0xF020), "d"},
      {"hot key", Event(SaverInput::kHotKey), ""},
      {"anything else", Event(SaverInput::kOther), "d"},
      {"first mouse move", Move(500, 500), ""},
  };
  for (const Case& c : cases) {
    SaverInputRules rules(0);
    EXPECT_EQ(Spell(rules.Handle(c.event, nullptr)), c.response) << c.name;
  }
}

TEST_F(InputRules, MouseEndsTheSaverOnlyBeyond110PixelsFromTheFourthMove) {
  struct Case {
    const char* name;
    std::vector<PointI> moves;
    int32_t closesAt;  // index of the first move that asks to close, -1 none
  };
  const Case cases[] = {
      {"three moves, wherever they go", {{0, 0}, {900, 900}, {10, 700}}, -1},
      {"the first four are ignored", {{0, 0}, {900, 900}, {10, 700}, {100, 100}, {150, 160}}, -1},
      {"111 away ends it", {{1, 1}, {1, 1}, {1, 1}, {100, 100}, {160, 151}}, 4},
      {"110 away does not", {{1, 1}, {1, 1}, {1, 1}, {100, 100}, {160, 150}, {40, 50}, {210, 100}}, -1},
      {"dy alone", {{1, 1}, {1, 1}, {1, 1}, {100, 200}, {100, 89}}, 4},
      {"a slow drift of 100 never ends it",
       {{0, 0},
        {0, 0},
        {0, 0},
        {300, 300},
        {310, 300},
        {320, 300},
        {330, 300},
        {340, 300},
        {350, 300},
        {360, 300},
        {370, 300},
        {380, 300},
        {390, 300},
        {400, 300}},
       -1},
      {"but the drift adds up", {{0, 0}, {0, 0}, {0, 0}, {300, 300}, {340, 300}, {380, 300}, {400, 311}}, 6},
  };
  for (const Case& c : cases) {
    SaverInputRules rules(0);
    int32_t closesAt = -1;
    for (size_t i = 0; i < c.moves.size() && closesAt < 0; ++i) {
      const SaverResponse r = rules.Handle(Move(c.moves[i].x, c.moves[i].y), nullptr);
      if (r.postClose) {
        closesAt = static_cast<int32_t>(i);
        EXPECT_EQ(Spell(r), "dc") << c.name;
      } else {
        EXPECT_EQ(Spell(r), "") << c.name << " move " << i;
      }
    }
    EXPECT_EQ(closesAt, c.closesAt) << c.name;
  }
}

TEST_F(InputRules, SmallMoveDrawsOneValueFromTheFieldsGenerator) {
  FieldRig rig(64, 48, 100);
  SaverInputRules rules(0);
  for (int32_t i = 0; i < 4; ++i) rules.Handle(Move(10, 10), rig.field.get());
  CombinedRandom expected;
  expected.s1 = rig.field->random.s1;
  expected.s2 = rig.field->random.s2;
  expected.Next();

  EXPECT_EQ(Spell(rules.Handle(Move(20, 20), rig.field.get())), "");
  EXPECT_EQ(rig.field->random.s1, expected.s1);
  EXPECT_EQ(rig.field->random.s2, expected.s2);
}

TEST_F(InputRules, F12TogglesTheFrameRateTextOnFirstPressOnly) {
  SaverInputRules rules(0);
  rules.Handle(KeyDown(kKeyF12, 1), nullptr);
  EXPECT_EQ(Process().showFps, 1);
  rules.Handle(KeyDown(kKeyF12, 0), nullptr);  // held until it repeats: ends the saver, no toggle
  EXPECT_EQ(Process().showFps, 1);
  rules.Handle(KeyDown(kKeyF12, 1), nullptr);
  EXPECT_EQ(Process().showFps, 0);
}

TEST_F(InputRules, CapsLockTurnsThePointerIntoASteeringHandle) {
  struct Case {
    const char* name;
    int32_t capsAtStart;
  };
  const Case cases[] = {{"Caps Lock off at start", 0}, {"Caps Lock on at start", 1}};
  for (const Case& c : cases) {
    ResetProcessState();
    Process().steering = 1;  // left over from before: the window's creation starts afresh
    SaverInputRules rules(c.capsAtStart);
    EXPECT_EQ(Process().steering, 0) << c.name;

    // Toggled: the pointer steers and never ends the saver, not even in the
    // moves that would otherwise be ignored or a jump across the screen.
    EXPECT_EQ(Spell(rules.Handle(KeyUp(kKeyCapsLock, 1, !c.capsAtStart), nullptr)), "d") << c.name;
    EXPECT_EQ(Process().steering, 1) << c.name;
    for (PointI p : {PointI{5, 6}, PointI{700, 20}, PointI{0, 500}, PointI{65535, 3}, PointI{40, 41}}) {
      EXPECT_EQ(Spell(rules.Handle(Move(p.x, p.y), nullptr)), "") << c.name;
      EXPECT_EQ(Process().steerPoint.x, p.x) << c.name;
      EXPECT_EQ(Process().steerPoint.y, p.y) << c.name;
    }
    // A release with other key data changes nothing.
    rules.Handle(KeyUp(kKeyCapsLock, 0, c.capsAtStart), nullptr);
    EXPECT_EQ(Process().steering, 1) << c.name;

    // Back as at start: no pointer, and the steered moves did not use up
    // the four ignored ones.
    rules.Handle(KeyUp(kKeyCapsLock, 1, c.capsAtStart), nullptr);
    EXPECT_EQ(Process().steering, 0) << c.name;
    EXPECT_EQ(Process().steerPoint.x, -1) << c.name;
    EXPECT_EQ(Process().steerPoint.y, -1) << c.name;
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(Spell(rules.Handle(Move(900, 900), nullptr)), "") << c.name;
    EXPECT_EQ(Spell(rules.Handle(Move(0, 0), nullptr)), "") << c.name;
    EXPECT_EQ(Spell(rules.Handle(Move(111, 0), nullptr)), "dc") << c.name;
  }
}

TEST_F(InputRules, PasswordPromptHoldsTheCloseBack) {
  FieldRig rig(64, 48, 100);
  ParticleField& field = *rig.field;
  std::string pass = "ab";
  ScramblePassword(pass);
  ASSERT_TRUE(WriteString(rig.store, kConfigKey, "Pass", pass));
  field.passwordProtected = 1;
  SaverInputRules rules(0);

  // A click asks to close; the close raises the prompt and is swallowed.
  EXPECT_EQ(Spell(rules.Handle(Event(SaverInput::kButtonDown), &field)), "dcn");
  EXPECT_EQ(Spell(rules.Handle(Event(SaverInput::kClose), &field)), "");
  EXPECT_EQ(field.passwordPrompt, kPromptTyping);
  // Keys go to the prompt, F12 and Shift included.
  EXPECT_EQ(Spell(rules.Handle(KeyDown(kKeyF12, 1), &field)), "");
  EXPECT_EQ(Process().showFps, 0);
  EXPECT_EQ(Spell(rules.Handle(KeyDown(kKeyShift, 1), &field)), "");
  EXPECT_EQ(field.shiftDown, 1);
  EXPECT_EQ(Spell(rules.Handle(KeyUp(kKeyShift, 1), &field)), "");
  EXPECT_EQ(field.shiftDown, 0);
  EXPECT_EQ(Spell(rules.Handle(KeyDown('A'), &field)), "");
  EXPECT_EQ(Spell(rules.Handle(KeyDown('B'), &field)), "");
  EXPECT_EQ(field.passwordEntry, "ab");
  // The right password: Enter goes on to end the saver, and now it may.
  EXPECT_EQ(Spell(rules.Handle(KeyDown(kKeyEnter, 1), &field)), "dc");
  EXPECT_EQ(field.passwordPrompt, kPromptAccepted);
  EXPECT_EQ(Spell(rules.Handle(Event(SaverInput::kClose), &field)), "dx");
}

TEST(InputRulesKeyData, OnlyTheExactStrokesArePlain) {
  struct Case {
    int32_t key;
    int32_t down;
    uint32_t keyData;
    int32_t plain;
  };
  const Case cases[] = {
      {kKeyF12, 1, 0x00580001u, 1},      {kKeyF12, 1, 0x40580001u, 0},      {kKeyF12, 1, 0x00580002u, 0},
      {kKeyF12, 1, 0x20580001u, 0},      {kKeyF12, 0, 0xC0580001u, 0},      {kKeyCapsLock, 1, 0x003A0001u, 1},
      {kKeyCapsLock, 1, 0x403A0001u, 0}, {kKeyCapsLock, 0, 0xC03A0001u, 1}, {kKeyCapsLock, 0, 0x003A0001u, 0},
      {kKeyCapsLock, 1, 0xC03A0001u, 0}, {'A', 1, 0x001E0001u, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsPlainKeyData(c.key, c.down, c.keyData), c.plain)
        << c.key << " " << c.down << " " << std::hex << c.keyData;
  }
}

TEST(RunLoopTiming, DropsCloseAndMouseInputDuringTheGrace) {
  struct Case {
    uint32_t start;
    uint32_t now;
    SaverInput kind;
    int32_t drops;
  };
  const Case cases[] = {
      {1000, 1000, SaverInput::kClose, 1},       {1000, 2999, SaverInput::kMouseMove, 1},
      {1000, 2999, SaverInput::kButtonDown, 1},  {1000, 2999, SaverInput::kOtherMouse, 1},
      {1000, 3000, SaverInput::kClose, 0},       {1000, 3000, SaverInput::kButtonDown, 0},
      {1000, 1500, SaverInput::kKeyDown, 0},     {1000, 1500, SaverInput::kSysKeyDown, 0},
      {1000, 1500, SaverInput::kSysCommand, 0},  {1000, 1500, SaverInput::kOther, 0},
      {0xFFFFFC00u, 500, SaverInput::kClose, 1}, {0xFFFFFC00u, 1000, SaverInput::kMouseMove, 0},
  };
  for (const Case& c : cases) {
    RunLoopTiming timing(c.start);
    EXPECT_EQ(timing.Drops(c.kind, c.now), c.drops)
        << "start " << c.start << " now " << c.now << " kind " << static_cast<int32_t>(c.kind);
  }
}

TEST(RunLoopTiming, BringsTheWindowToTheFrontEveryTwoSeconds) {
  struct Case {
    uint32_t start;
    std::vector<std::pair<uint32_t, int32_t>> checks;
  };
  const Case cases[] = {
      {100, {{100, 0}, {2099, 0}, {2100, 1}, {2101, 0}, {4099, 0}, {4500, 1}, {6400, 0}, {6500, 1}}},
      {0xFFFFF000u, {{0xFFFFF7CFu, 0}, {0xFFFFF7D0u, 1}, {0xFFFFFF9Fu, 0}, {0x10u, 1}, {0x7DFu, 0}, {0x7E0u, 1}}},
  };
  for (const Case& c : cases) {
    RunLoopTiming timing(c.start);
    for (const auto& [now, due] : c.checks)
      EXPECT_EQ(timing.ForegroundDue(now), due) << "start " << c.start << " now " << now;
  }
}

TEST(CursorNudge, GoesBackLeftWhenTheFirstMoveWasRefused) {
  struct Case {
    PointI start;
    PointI after;
    PointI end;
  };
  const Case cases[] = {
      {{10, 20}, {11, 21}, {11, 19}},  // moved
      {{10, 20}, {11, 20}, {11, 19}},  // only x took
      {{10, 20}, {10, 21}, {11, 19}},  // only y took
      {{10, 20}, {10, 20}, {9, 19}},   // refused: at the screen's edge
      {{0, 0}, {0, 0}, {-1, -1}},
  };
  for (const Case& c : cases) {
    const PointI end = CursorNudgeEnd(c.start, c.after);
    EXPECT_EQ(end.x, c.end.x) << c.start.x << "," << c.start.y << " -> " << c.after.x << "," << c.after.y;
    EXPECT_EQ(end.y, c.end.y) << c.start.x << "," << c.start.y << " -> " << c.after.x << "," << c.after.y;
  }
}

}  // namespace
}  // namespace brindlemar
