// What each program says of itself: its synopsis, what it does, its options
// by group, and its exit status. HelpOf gives that one description per
// program; UsageText writes it as the program's --help, ManualPage as its
// manual page, so the two cannot drift apart. Texts are plain sentences,
// wrapped by the writer; named values (the configurations, the presets) are
// listed apart so that each writer lays them out its own way.
#pragma once

#include <string>
#include <vector>

namespace brindlemar {

enum class Program { kSaver, kSettings, kRender };

struct HelpOption {
  std::string names;  // as typed: "--size WxH", "--clock, --zodiac"
  std::string text;
  std::vector<std::string> values;  // listed after the text, in order
};

// A group of options under a heading, with an optional sentence before them.
struct HelpSection {
  std::string heading;
  std::string note;
  std::vector<HelpOption> options;
};

// A paragraph under a heading of its own ("Environment", "Files"); in
// --help only when inUsage.
struct HelpTopic {
  std::string heading;
  std::string text;
  bool inUsage = false;
};

struct ProgramHelp {
  std::string name;
  int manualSection = 1;
  std::string summary;                // the manual page's one line
  std::vector<std::string> synopsis;  // each a way to call it, after the name
  std::vector<std::string> description;  // paragraphs
  std::vector<HelpSection> sections;
  std::vector<HelpTopic> topics;
  std::string exitStatus;
  std::vector<std::string> seeAlso;  // "xscreensaver(1)"
};

// The options an entry names, without their values: "--trails, --no-trails"
// names two, "-h, --help" names -h and --help.
std::vector<std::string> OptionNames(const HelpOption& option);

// The one description of each program.
ProgramHelp HelpOf(Program program);

// The text of --help: lines of at most 80 characters.
std::string UsageText(const ProgramHelp& help);

// The text of --version: "<name> <version>".
std::string VersionText(const ProgramHelp& help);

// The manual page in roff (man macros), dated date ("2026-12-11").
std::string ManualPage(const ProgramHelp& help, const std::string& date);

}  // namespace brindlemar
