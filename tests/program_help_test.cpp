// The programs' one description, as --help and as the manual page: every
// option it names is one the program takes, the help fits 80 columns, and
// the page names every option as roff writes it.
#include "shell/program_help.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "shell/render_options.h"

namespace brindlemar {
namespace {

// The options given alone: a known one is at worst missing its value or
// the output, never unknown.
bool Known(Program program, const std::string& name, std::string& error) {
  error.clear();
  if (program == Program::kRender) {
    RenderOptions o;
    ParseRenderOptions({name}, o, error);
  } else {
    SaverOptions o;
    ParseSaverOptions({name}, o, error);
  }
  return error.find("unknown option") == std::string::npos && error.find("unexpected argument") == std::string::npos;
}

TEST(ProgramHelp, EveryOptionNamedIsOneTheProgramTakes) {
  for (Program program : {Program::kRender, Program::kSaver}) {
    const ProgramHelp help = HelpOf(program);
    size_t named = 0;
    for (const HelpSection& section : help.sections) {
      for (const HelpOption& option : section.options) {
        for (const std::string& name : OptionNames(option)) {
          std::string error;
          EXPECT_TRUE(Known(program, name, error)) << help.name << " " << name << ": " << error;
          ++named;
        }
      }
    }
    EXPECT_GT(named, 10u) << help.name;
  }
}

TEST(ProgramHelp, UsageFitsEightyColumnsAndNamesWhatMatters) {
  struct Case {
    Program program;
    std::vector<std::string> mentions;
  };
  const Case cases[] = {
      {Program::kRender,
       {"Usage: brindlemar-render [options] --out FILE.png", "--style-values", "--gallery FILE.png",
        "0 \"Butterflies\"", "50 \"The Big One\"", "13 \"Expanding Line\"", "--version", "Exit status: 0 done"}},
      {Program::kSaver,
       {"Usage: brindlemar [options]", "--window-id ID", "--monitors CHOICE", "XSCREENSAVER_WINDOW",
        "--configuration,", "--dimensionality, --grains", "--record, --preset.", "\"MaxFPS\"", "--version"}},
      {Program::kSettings, {"Usage: brindlemar-settings\n", "brindlemar --settings", "-h, --help", "--version"}},
  };
  for (const Case& c : cases) {
    const std::string usage = UsageText(HelpOf(c.program));
    for (const std::string& mention : c.mentions) EXPECT_NE(usage.find(mention), std::string::npos) << mention;
    size_t lineStart = 0;
    for (size_t at = usage.find('\n'); at != std::string::npos; at = usage.find('\n', lineStart = at + 1)) {
      EXPECT_LE(at - lineStart, 80u) << usage.substr(lineStart, at - lineStart);
    }
    EXPECT_EQ(usage.find("  \n"), std::string::npos) << "trailing blanks";
  }
}

TEST(ProgramHelp, ManualPageNamesEveryOptionAsRoffWritesIt) {
  for (Program program : {Program::kRender, Program::kSaver, Program::kSettings}) {
    const ProgramHelp help = HelpOf(program);
    const std::string page = ManualPage(help, "2026-12-11");
    EXPECT_EQ(page.rfind(".TH ", 0), 0u) << help.name;
    EXPECT_NE(page.find(" " + std::to_string(help.manualSection) + " 2026-12-11 "), std::string::npos) << help.name;
    for (const HelpSection& section : help.sections) {
      for (const HelpOption& option : section.options) {
        for (std::string name : OptionNames(option)) {
          std::string roff;
          for (char ch : name) roff += ch == '-' ? "\\-" : std::string(1, ch);
          EXPECT_NE(page.find(roff), std::string::npos) << help.name << " " << name;
        }
      }
    }
    // Every line is a macro, or text that cannot be taken for one.
    size_t lineStart = 0;
    for (size_t at = page.find('\n'); at != std::string::npos; at = page.find('\n', lineStart = at + 1)) {
      const std::string line = page.substr(lineStart, at - lineStart);
      EXPECT_FALSE(line.empty()) << help.name << ": an empty line";
      if (line[0] == '.') {
        EXPECT_TRUE(line.size() >= 3 && std::isalpha(static_cast<unsigned char>(line[1]))) << line;
      }
      EXPECT_NE(line[0], '\'') << line;
    }
  }
}

TEST(ProgramHelp, VersionNeedsNothingElseInTheSaver) {
  for (const char* flag : {"--version", "-version"}) {
    SaverOptions o;
    std::string error;
    ASSERT_TRUE(ParseSaverOptions({flag, "--random", "--grains", "900"}, o, error)) << error;
    EXPECT_TRUE(o.version) << flag;
  }
}

}  // namespace
}  // namespace brindlemar
