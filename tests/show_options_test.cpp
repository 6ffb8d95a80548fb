#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/render_options.h"

namespace brindlemar {
namespace {

RenderOptions Parsed(std::vector<std::string> args, std::string& error) {
  args.insert(args.end(), {"--out", "x.png"});
  RenderOptions o;
  EXPECT_TRUE(ParseRenderOptions(args, o, error)) << error;
  return o;
}

TEST(ShowOptions, RendererReadsTheOverlaysAndTheMessages) {
  std::string error;
  RenderOptions o = Parsed({"--zodiac", "--message", "One\\rTwo", "--message", "Three", "--message-font",
                            "Liberation Serif", "--no-bold", "--italic", "--min-time", "0", "--max-time", "5",
                            "--fps-text", "--random"},
                           error);
  EXPECT_EQ(o.show.showClock, 1);
  EXPECT_EQ(o.show.overlayStyle, 1);
  EXPECT_EQ(o.show.showMessages, 1);
  EXPECT_EQ(o.show.messages, (std::vector<std::string>{"One\\rTwo", "Three"}));
  EXPECT_EQ(o.show.messageFont, "Liberation Serif");
  EXPECT_EQ(o.show.bold, 0);
  EXPECT_EQ(o.show.italic, 1);
  EXPECT_EQ(o.show.minTime, 0);
  EXPECT_EQ(o.show.maxTime, 5);
  EXPECT_TRUE(o.show.showFps);
  EXPECT_EQ(o.show.randomFavorites, 1);

  o = Parsed({"--clock"}, error);
  EXPECT_EQ(o.show.overlayStyle, 0);
  EXPECT_FALSE(o.show.showMessages);
  EXPECT_FALSE(Parsed({}, error).show.Any());
}

TEST(ShowOptions, StartTimeIsReadAsCalendarMilliseconds) {
  struct Case {
    const char* text;
    int64_t ms;
  };
  const Case cases[] = {
      {"1970-01-01 00:00:00", 0},
      {"2026-12-10 10:59:55", 1796900395000},
      {"2026-12-10T10:59:55", 1796900395000},
      {"2000-02-29 00:00:00", 951782400000},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_EQ(Parsed({"--start-time", c.text}, error).startTime, c.ms) << c.text;
  }
}

TEST(ShowOptions, RefusalsSayWhatIsWrong) {
  struct Case {
    std::vector<std::string> args;
    const char* says;
  };
  const Case cases[] = {
      {{"--start-time", "2026-02-30 10:00:00", "--out", "x.png"}, "expects a time"},
      {{"--start-time", "2026-12-10 24:00:00", "--out", "x.png"}, "expects a time"},
      {{"--start-time", "2026-12-10", "--out", "x.png"}, "expects a time"},
      {{"--start-time", "1969-12-31 23:59:59", "--out", "x.png"}, "expects a time"},
      {{"--min-time", "-1", "--out", "x.png"}, "must be 0 to 86400"},
      {{"--message", "", "--out", "x.png"}, "needs a text"},
      {{"--random", "--grains", "900", "--out", "x.png"}, "leave out the parameter options"},
      {{"--clock", "--gallery", "g.png"}, "without overlays"},
  };
  for (const Case& c : cases) {
    RenderOptions o;
    std::string error;
    EXPECT_FALSE(ParseRenderOptions(c.args, o, error)) << c.args[0];
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace brindlemar
