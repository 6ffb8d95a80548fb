#include "shell/program_help.h"

#include "brindlemar_version.h"
#include "settings/parameter_table.h"

namespace brindlemar {
namespace {

constexpr size_t kUsageWidth = 80;
constexpr size_t kOptionColumn = 24;

// A listed choice's values, each its number and quoted name.
std::vector<std::string> ChoiceValues(const Parameter& row) {
  std::vector<std::string> values;
  for (int32_t i = 0; i < row.count; ++i) values.push_back(std::to_string(i) + " \"" + std::string(row.names(i)) + "\"");
  return values;
}

const std::string kSettingsFile = "~/.config/brindlemar/settings.reg";

HelpSection ParameterSection() {
  HelpSection section{
      "Parameters", "Named after the configuration dialog's controls; values are the engine's (defaults in brackets).",
      {}};
  for (const Parameter& row : kParameters) {
    section.options.push_back({ParameterUsage(row), ParameterHelp(row), row.listed ? ChoiceValues(row) : std::vector<std::string>{}});
  }
  return section;
}

ProgramHelp RenderHelp() {
  ProgramHelp h;
  h.name = "brindlemar-render";
  h.summary = "render the Brindlemar particle field into PNG pictures";
  h.synopsis = {"[options] --out FILE.png", "[options] --every K --out-dir DIR",
                "[--size WxH] [--frames N] [--seed N] --gallery FILE.png"};
  h.description = {"Runs a Brindlemar particle field on a memory frame buffer with a simulated clock and writes PNG "
                   "pictures. The same seed and options give the same files."};
  h.sections.push_back(
      {"Run",
       "",
       {
           {"--size WxH", "picture size, each side 16 to 8192 (640x480)", {}},
           {"--frames N", "frames to run (300)", {}},
           {"--fps N",
            "simulated frames per second, 1 to 1000 (30); below the saver's target of 12 the field thins its "
            "grains as it would on a slow machine",
            {}},
           {"--seed N", "random seed, 0 to 2147483647 (1)", {}},
           {"--out FILE.png", "write the last frame", {}},
           {"--every K", "with --out-dir: write every K-th frame as DIR/frame_NNNNN.png, numbered from 1", {}},
           {"--out-dir DIR", "where --every writes its frames (DIR is created)", {}},
           {"--gallery FILE.png",
            "write every preset into one picture, 8 tiles across and 7 down, each labelled with its name: each "
            "tile runs --frames frames of the preset's fast record at the --size of a tile (240x180, at most "
            "640x480), its grains scaled by the tile's share of 640x480 (at least 10); no parameter options",
            {}},
           {"--progress", "show progress on standard error even when it is not a terminal", {}},
           {"-h, --help", "show the options and exit", {}},
           {"--version", "show the version and exit", {}},
       }});
  h.sections.push_back(ParameterSection());
  h.sections.push_back(
      {"The show around the grains",
       "Off unless given.",
       {
           {"--random",
            "rotate among the 51 built-in favorites, starting with \"Brindlemar Falls\", with a zoom-out between "
            "them and the favorite's name for 6 seconds; no parameter options",
            {}},
           {"--clock, --zodiac", "the clock face or the zodiac ring", {}},
           {"--messages", "pop-up messages spelled in grains at each transition", {}},
           {"--message TEXT",
            "a message text (repeat for more; implies --messages); \\r breaks the line (\"Your message goes "
            "here!\")",
            {}},
           {"--message-font FACE", "the messages' face (Arial)", {}},
           {"--bold, --no-bold", "(bold)", {}},
           {"--italic, --no-italic", "(italic)", {}},
           {"--min-time S", "seconds between transitions, at least (60)", {}},
           {"--max-time S", "and at most (90); both 0: no transitions", {}},
           {"--fps-text", "the frame-rate text, bottom left", {}},
           {"--bitmap-font",
            "write the text of the show (messages, zodiac signs, favorite names, frame rate) in the built-in "
            "bitmap font, as the web page does, not the system's fonts",
            {}},
           {"--start-time \"YYYY-MM-DD HH:MM:SS\"",
            "the simulated calendar at the first frame, for the clock and the zodiac (1970-01-01 00:00:00)", {}},
       }});
  h.exitStatus = "0 done, 1 the field or a file could not be made, 2 bad options.";
  h.seeAlso = {"brindlemar(6)", "brindlemar-settings(1)"};
  return h;
}

ProgramHelp SaverHelp() {
  ProgramHelp h;
  h.name = "brindlemar";
  h.manualSection = 6;
  h.summary = "screen saver of coloured grains swirled by drifting vortices";
  h.synopsis = {"[options]"};
  h.description = {
      "Shows the Brindlemar particle field on an X display: in a window of its own, full screen, or in the window "
      "that xscreensaver (or another saver daemon) gives it. A window of at least 640x480 runs the full saver "
      "(random favorites, paced frames, frame-rate control); a smaller one runs as the preview does (a quarter of "
      "the grains, the current settings, 33 ms frames).",
      "Settings come from the Brindlemar settings file; the options below override them for this run only. "
      "Options may also start with one dash."};
  h.sections.push_back(
      {"Where it draws",
       "The last of these given counts; the XSCREENSAVER_WINDOW environment variable wins over all of them.",
       {
           {"--window",
            "a window of its own (the default); F12 shows the frame rate, Escape or closing the window ends it", {}},
           {"--geometry WxH", "the size of that window (800x600)", {}},
           {"--fullscreen",
            "a full-screen window that ends on input as the saver does: not in the first two seconds, not on "
            "small mouse moves; Caps Lock steers with the mouse",
            {}},
           {"--root", "the root window, as xscreensaver runs it", {}},
           {"--window-id ID", "another program's window (decimal or 0x...)", {}},
           {"--monitors CHOICE",
            "full screen on several monitors: primary (the others black), each (a field on every monitor) or "
            "across (one field over all of them); 0, 1 or 2 say the same (stored); the root window and another "
            "program's window always hold one field",
            {}},
       }});
  h.sections.push_back(
      {"What it shows",
       "",
       {
           {"--favorite NAME", "a stored favorite, or a built-in preset, by name", {}},
           {"--list-favorites", "list the stored favorites and exit", {}},
           {"--settings",
            "open the settings window (brindlemar-settings), which edits what the saver shows, with a preview", {}},
           {"--random, --no-random", "draw random favorites, full screen (stored)", {}},
           {"--clock, --zodiac, --no-clock", "the clock face or zodiac ring (stored)", {}},
           {"--messages, --no-messages", "the pop-up messages (stored)", {}},
           {"--message TEXT",
            "a message to show in place of the stored ones; repeat for more; turns the messages on", {}},
           {"--message-font FACE, --bold, --no-bold, --italic, --no-italic",
            "how the messages are written (stored)", {}},
           {"--min-time S, --max-time S", "seconds between transitions (stored)", {}},
           {"--fps, --fps-text", "show the frame rate", {}},
           {"--stats", "at the end, write the frames shown and their rate on standard error", {}},
           {"-h, --help", "show the options and exit", {}},
           {"--version", "show the version and exit", {}},
       }});
  std::string parameters;
  for (const HelpOption& option : ParameterSection().options) {
    for (const std::string& name : OptionNames(option)) parameters += (parameters.empty() ? "" : ", ") + name;
  }
  h.sections.push_back({"Parameters",
                        "As brindlemar-render takes them (see its --help): " + parameters +
                            ". They lay over the stored settings (or --favorite) and turn random favorites off.",
                        {}});
  h.topics = {
      {"Frame rate",
       "The Config value \"MaxFPS\" caps the full saver's frame rate (30 when missing; 0 for no cap).", true},
      {"Environment",
       "XSCREENSAVER_WINDOW: the window to draw in, as xscreensaver gives it. BRINDLEMAR_CONFIG_DIR: the folder of "
       "the settings file in place of ~/.config/brindlemar.",
       false},
      {"Files",
       kSettingsFile + ": the settings, favorites and messages, shared with brindlemar-settings. A file that does "
                       "not parse is kept aside as settings.reg.damaged-DATE-TIME and the saver starts from the "
                       "defaults.",
       false},
  };
  h.exitStatus = "0 done, 1 no display or window, 2 bad options. SIGTERM and SIGINT end it as they end any "
                 "program (status 143 and 130 in a shell).";
  h.seeAlso = {"brindlemar-settings(1)", "brindlemar-render(1)", "xscreensaver(1)", "xscreensaver-settings(1)"};
  return h;
}

ProgramHelp SettingsHelp() {
  ProgramHelp h;
  h.name = "brindlemar-settings";
  h.summary = "settings window of the Brindlemar screen saver";
  h.synopsis = {""};
  h.description = {
      "Opens Brindlemar's settings: the animation with a live preview, the favorites and the random rotation "
      "among them, the clock face or zodiac, and the pop-up messages. OK saves them in the settings file that the "
      "saver reads (" + kSettingsFile + ", or $BRINDLEMAR_CONFIG_DIR); Cancel leaves it as it was. Favorites and "
      "messages are saved as soon as they are changed. \"brindlemar --settings\" opens the same window."};
  h.sections.push_back({"Options",
                        "",
                        {
                            {"-h, --help", "show the options and exit", {}},
                            {"--version", "show the version and exit", {}},
                        }});
  h.topics = {{"Files", kSettingsFile + ": the settings the saver reads.", false}};
  h.exitStatus = "0 closed, 1 no display (or the display went away), 2 bad arguments.";
  h.seeAlso = {"brindlemar(6)", "brindlemar-render(1)"};
  return h;
}

// The parts of text between the separators, without empty ones.
std::vector<std::string> Words(const std::string& text, char separator = ' ') {
  std::vector<std::string> words;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find(separator, at);
    if (end == std::string::npos) end = text.size();
    if (end > at) words.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return words;
}

// The words laid out from column indent, lines at most kUsageWidth wide; the
// first line starts at column first (where a label already stands).
std::string Wrapped(const std::vector<std::string>& words, size_t indent, size_t first) {
  std::string out;
  size_t column = first;
  bool lineEmpty = true;
  for (const std::string& word : words) {
    if (!lineEmpty && column + 1 + word.size() > kUsageWidth) {
      out += "\n";
      column = 0;
      lineEmpty = true;
    }
    if (column < indent) {
      out += std::string(indent - column, ' ');
      column = indent;
    }
    if (!lineEmpty) {
      out += ' ';
      ++column;
    }
    out += word;
    column += word.size();
    lineEmpty = false;
  }
  return out;
}

std::string Wrapped(const std::string& text, size_t indent, size_t first) { return Wrapped(Words(text), indent, first); }

// The named values, separated by commas, each kept whole.
std::vector<std::string> ValueList(const std::vector<std::string>& values) {
  std::vector<std::string> list = values;
  for (size_t i = 0; i + 1 < list.size(); ++i) list[i] += ',';
  return list;
}

std::string UsageOption(const HelpOption& option) {
  std::string out = "  " + option.names;
  const bool besideLabel = out.size() + 2 <= kOptionColumn;
  if (!besideLabel) out += "\n";
  out += Wrapped(option.text, kOptionColumn, besideLabel ? out.size() : 0) + "\n";
  if (!option.values.empty()) out += Wrapped(ValueList(option.values), 6, 0) + "\n";
  return out;
}

// Roff: a backslash is \e, the dashes of an option ("--no-random") are minus
// signs (\-) so that the option can be copied from the page, and a line
// must not start with a control character.
std::string Roff(const std::string& text) {
  std::string out;
  bool inOption = false;
  bool wordStart = true;
  for (const char c : text) {
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-' && (wordStart || inOption)) {
      out += "\\-";
      inOption = true;
    } else {
      out += c;
    }
    wordStart = c == ' ' || c == '[' || c == '|' || c == '(' || c == '"' || c == ',';
    if (wordStart) inOption = false;
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
  return out;
}

// A paragraph as roff text lines of at most 80 bytes (the line breaks are
// spaces to roff), none of which starts with a control character.
std::string RoffText(const std::string& text) {
  std::string out;
  for (std::string line : Words(Wrapped(Roff(text), 0, 0) + "\n", '\n')) {
    if (line[0] == '.' || line[0] == '\'') line.insert(0, "\\&");
    out += line + "\n";
  }
  return out;
}

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// "xscreensaver(1)" as a reference to another page.
std::string Reference(const std::string& page) {
  const size_t open = page.find('(');
  return ".BR " + Roff(page.substr(0, open)) + " " + page.substr(open);
}

}  // namespace

std::vector<std::string> OptionNames(const HelpOption& option) {
  std::vector<std::string> names;
  for (size_t at = 0; at < option.names.size();) {
    size_t comma = option.names.find(", ", at);
    if (comma == std::string::npos) comma = option.names.size();
    const std::string one = option.names.substr(at, comma - at);
    names.push_back(one.substr(0, one.find(' ')));
    at = comma + 2;
  }
  return names;
}

ProgramHelp HelpOf(Program program) {
  switch (program) {
    case Program::kSaver:
      return SaverHelp();
    case Program::kSettings:
      return SettingsHelp();
    case Program::kRender:
      break;
  }
  return RenderHelp();
}

std::string UsageText(const ProgramHelp& help) {
  std::string out;
  for (size_t i = 0; i < help.synopsis.size(); ++i) {
    out += (i == 0 ? "Usage: " : "       ") + help.name + (help.synopsis[i].empty() ? "" : " " + help.synopsis[i]) +
           "\n";
  }
  for (const std::string& paragraph : help.description) out += "\n" + Wrapped(paragraph, 0, 0) + "\n";
  for (const HelpSection& section : help.sections) {
    out += "\n" + section.heading + ":\n";
    if (!section.note.empty()) out += Wrapped(section.note, 2, 0) + "\n";
    for (const HelpOption& option : section.options) out += UsageOption(option);
  }
  for (const HelpTopic& topic : help.topics) {
    if (topic.inUsage) out += "\n" + Wrapped(topic.text, 0, 0) + "\n";
  }
  out += "\n" + Wrapped("Exit status: " + help.exitStatus, 0, 0) + "\n";
  return out;
}

std::string VersionText(const ProgramHelp& help) { return help.name + " " + BRINDLEMAR_VERSION + "\n"; }

std::string ManualPage(const ProgramHelp& help, const std::string& date) {
  const std::string section = std::to_string(help.manualSection);
  std::string out = ".TH " + Upper(help.name) + " " + section + " " + date + " \"Brindlemar " BRINDLEMAR_VERSION "\" " +
                    (help.manualSection == 6 ? "\"Games Manual\"" : "\"User Commands\"") + "\n";
  // Option names are not to be split at their hyphens, nor lists of them
  // spread out to the right margin.
  out += ".nh\n.ad l\n";
  out += ".SH NAME\n" + Roff(help.name) + " \\- " + RoffText(help.summary);
  out += ".SH SYNOPSIS\n";
  for (size_t i = 0; i < help.synopsis.size(); ++i) {
    out += (i ? ".br\n" : "") + std::string(".B ") + Roff(help.name) + "\n";
    if (!help.synopsis[i].empty()) out += Roff(help.synopsis[i]) + "\n";
  }
  out += ".SH DESCRIPTION\n";
  for (size_t i = 0; i < help.description.size(); ++i) out += (i ? ".PP\n" : "") + RoffText(help.description[i]);
  out += ".SH OPTIONS\n";
  for (const HelpSection& s : help.sections) {
    out += ".SS " + Roff(s.heading) + "\n";
    if (!s.note.empty()) out += RoffText(s.note);
    for (const HelpOption& option : s.options) {
      out += ".TP\n\\fB" + Roff(option.names) + "\\fR\n" + RoffText(option.text);
      if (option.values.empty()) continue;
      out += ".RS\n";
      for (const std::string& value : ValueList(option.values)) out += Roff(value) + "\n";
      out += ".RE\n";
    }
  }
  for (const HelpTopic& topic : help.topics) out += ".SH " + Upper(Roff(topic.heading)) + "\n" + RoffText(topic.text);
  out += ".SH \"EXIT STATUS\"\n" + RoffText(help.exitStatus);
  out += ".SH \"SEE ALSO\"\n";
  for (size_t i = 0; i < help.seeAlso.size(); ++i) {
    out += Reference(help.seeAlso[i]) + (i + 1 < help.seeAlso.size() ? "," : "") + "\n";
  }
  return out;
}

}  // namespace brindlemar
