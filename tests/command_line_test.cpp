#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "shell/command_line.h"

namespace brindlemar {
namespace {

TEST(CommandLine, SwitchChoosesTheMode) {
  struct Case {
    const char* line;
    SaverMode mode;
    int64_t window;
    bool exitNow;
  };
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  const Case cases[] = {
      {"saver.scr /s", SaverMode::kFullScreen, 0, false},
      {"saver.scr /S", SaverMode::kFullScreen, 0, false},
      {"saver.scr /save", SaverMode::kFullScreen, 0, false},
      {"saver.scr /sx", SaverMode::kFullScreen, 0, false},
      {"saver.scr S", SaverMode::kFullScreen, 0, false},
      {"saver.scr -s", SaverMode::kFullScreen, 0, false},
      {"saver.scr -S 99", SaverMode::kFullScreen, 0, false},
      {"saver.scr -save", SaverMode::kConfigure, 0, false},
      {"saver.scr save", SaverMode::kConfigure, 0, false},
      {"saver.scr /", SaverMode::kConfigure, 0, false},
      {"saver.scr      /s", SaverMode::kFullScreen, 0, false},
      {"saver.scr /p 1234", SaverMode::kPreview, 1234, false},
      {"saver.scr /P 1234", SaverMode::kPreview, 1234, false},
      {"saver.scr -p 77", SaverMode::kPreview, 77, false},
      {"saver.scr p 5", SaverMode::kPreview, 5, false},
      {"saver.scr /p 1234xyz", SaverMode::kPreview, 1234, false},
      {"saver.scr /p -42", SaverMode::kPreview, -42, false},
      {"saver.scr /p +42", SaverMode::kPreview, 42, false},
      {"saver.scr /p 4294967294", SaverMode::kPreview, 4294967294, false},
      {"saver.scr /p 99999999999999999999999", SaverMode::kPreview, kMax, false},
      {"saver.scr /p 1234 5 6 7 8", SaverMode::kPreview, 1234, false},
      {"saver.scr /p\t1234", SaverMode::kConfigure, 0, false},
      {"saver.scr /p 0", SaverMode::kPreview, 0, true},
      {"saver.scr /p", SaverMode::kPreview, 0, true},
      {"saver.scr /p ", SaverMode::kPreview, 0, true},
      {"saver.scr /p abc", SaverMode::kPreview, 0, true},
      {"saver.scr /p -", SaverMode::kPreview, 0, true},
      {"saver.scr /p  1234", SaverMode::kPreview, 0, true},
      {"saver.scr /px 1234", SaverMode::kConfigure, 0, false},
      {"saver.scr /a", SaverMode::kChangePassword, 0, false},
      {"saver.scr /A", SaverMode::kChangePassword, 0, false},
      {"saver.scr -a", SaverMode::kChangePassword, 0, false},
      {"saver.scr a 1234", SaverMode::kChangePassword, 0, false},
      {"saver.scr /ab", SaverMode::kConfigure, 0, false},
      {"saver.scr /c:1234", SaverMode::kConfigure, 0, false},
      {"saver.scr /c", SaverMode::kConfigure, 0, false},
      {"saver.scr /c 1234", SaverMode::kConfigure, 0, false},
      {"saver.scr", SaverMode::kConfigure, 0, false},
      {"saver.scr ", SaverMode::kConfigure, 0, false},
      {"", SaverMode::kConfigure, 0, false},
      // A quoted name may hold blanks: it ends at its closing quote.
      {"\"C:\\Program Files\\Brindlemar\\Brindlemar.scr\" /s", SaverMode::kFullScreen, 0, false},
      {"\"C:\\Program Files\\saver.scr\" /p 1234", SaverMode::kPreview, 1234, false},
      {"\"C:\\Program Files\\saver.scr\"   /a", SaverMode::kChangePassword, 0, false},
      {"\"C:\\Program Files\\saver.scr\"/s", SaverMode::kFullScreen, 0, false},
      {"\"C:\\Program Files\\saver.scr\"", SaverMode::kConfigure, 0, false},
      {"\"C:\\Savers\\saver.scr\" /s", SaverMode::kFullScreen, 0, false},
      // A quote that never closes leaves no switch.
      {"\"C:\\Program Files\\saver.scr /s", SaverMode::kConfigure, 0, false},
      // With no blank at all, the whole line is the name.
      {"/s", SaverMode::kConfigure, 0, false},
  };
  for (const Case& c : cases) {
    const CommandLine parsed = ParseCommandLine(c.line);
    EXPECT_EQ(parsed.mode, c.mode) << c.line;
    EXPECT_EQ(parsed.previewWindow, c.window) << c.line;
    EXPECT_EQ(parsed.exitNow, c.exitNow) << c.line;
  }
}

// The display settings name their window after /c: the configuration dialog
// belongs to it. Whatever comes, the mode stays the configuration.
TEST(CommandLine, ConfigurationNamesItsOwner) {
  struct Case {
    const char* line;
    int64_t owner;
  };
  const Case cases[] = {
      {"saver.scr /c:1234", 1234},   {"saver.scr /C:1234", 1234}, {"saver.scr -c:77", 77},
      {"saver.scr c:5", 5},          {"saver.scr /c 1234", 1234}, {"saver.scr /c:4294967294", 4294967294},
      {"saver.scr /c:12ab", 12},     {"saver.scr /c", 0},         {"saver.scr /c:", 0},
      {"saver.scr /c:abc", 0},       {"saver.scr /cx:1234", 0},   {"saver.scr :1234", 0},
      {"saver.scr", 0},              {"saver.scr /c  1234", 0},   {"saver.scr /a:1234", 0},
  };
  for (const Case& c : cases) {
    const CommandLine parsed = ParseCommandLine(c.line);
    EXPECT_EQ(parsed.ownerWindow, c.owner) << c.line;
    EXPECT_EQ(parsed.mode, SaverMode::kConfigure) << c.line;
  }
}

}  // namespace
}  // namespace brindlemar
