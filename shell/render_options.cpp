#include "shell/render_options.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <optional>
#include <string_view>

#include "engine/particle_field.h"
#include "engine/style_table.h"
#include "settings/number_text.h"
#include "settings/presets.h"

namespace brindlemar {
namespace {

constexpr int32_t kMinSide = 16;
constexpr int32_t kMaxSide = 8192;

constexpr std::string_view kRenderFlags[] = {"--help", "--version", "--progress", "--bitmap-font"};
constexpr std::string_view kRenderValued[] = {"--size",  "--frames", "--fps",     "--seed",
                                              "--every", "--out",    "--out-dir", "--gallery"};
constexpr std::string_view kShowFlags[] = {"--random", "--clock", "--zodiac", "--messages", "--fps-text",
                                           "--bold", "--no-bold", "--italic", "--no-italic"};
constexpr std::string_view kShowValued[] = {"--message", "--message-font", "--min-time", "--max-time", "--start-time"};
constexpr std::string_view kSaverFlags[] = {"--help",        "--version", "--root",         "--window",
                                            "--fullscreen",  "--no-random", "--list-favorites", "--fps",
                                            "--no-clock",    "--no-messages", "--stats",        "--settings"};
constexpr std::string_view kSaverValued[] = {"--window-id", "--geometry", "--favorite", "--monitors"};
// The web page takes the saver's options but these, which say where and how
// the saver runs on an X display, and four of the renderer's.
constexpr std::string_view kSaverOnlyOptions[] = {"--help",     "--version",        "--root",     "--window",
                                                  "--fullscreen", "--window-id",   "--geometry", "--monitors",
                                                  "--list-favorites", "--settings", "--stats"};
constexpr std::string_view kPageRunValued[] = {"--seed", "--size", "--frames", "--start-time"};

// The "Monitors" choices, in their stored order.
const char* const kMonitorChoiceNames[] = {"primary", "each", "across"};

enum class OptionKind { kUnknown, kFlag, kValued };

template <size_t N>
bool Listed(const std::string_view (&list)[N], std::string_view name) {
  for (std::string_view entry : list) {
    if (entry == name) return true;
  }
  return false;
}

template <size_t N, size_t M>
OptionKind KindIn(std::string_view name, const std::string_view (&flags)[N], const std::string_view (&valued)[M]) {
  if (Listed(flags, name)) return OptionKind::kFlag;
  if (Listed(valued, name)) return OptionKind::kValued;
  return OptionKind::kUnknown;
}

// Letters and digits only, in lower case: "Large Dots", "large-dots" and
// "LARGEDOTS" all read the same, and so do "Rings!" and "rings".
std::string Folded(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c >= 'A' && c <= 'Z') {
      out += static_cast<char>(c - 'A' + 'a');
    } else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      out += c;
    }
  }
  return out;
}

std::string Quoted(std::string_view s) {
  std::string out(1, '\'');
  out.append(s);
  out += '\'';
  return out;
}

std::string Text(double v) { return NumberText(v); }

// The option readers: each sets error and gives false on a bad value.
class Reader {
 public:
  explicit Reader(std::string& error) : error_(error) {}

  bool Fail(std::string message) {
    error_ = std::move(message);
    return false;
  }

  bool Integer(std::string_view option, std::string_view text, int32_t min, int32_t max, int32_t& out) {
    int32_t v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || end != text.data() + text.size() || (ec != std::errc() && ec != std::errc::result_out_of_range)) {
      return Fail("option " + std::string(option) + " expects a whole number, got " + Quoted(text));
    }
    if (ec == std::errc::result_out_of_range || v < min || v > max) {
      return Fail("option " + std::string(option) + " must be " + std::to_string(min) + " to " + std::to_string(max) +
                  ", got " + Quoted(text));
    }
    out = v;
    return true;
  }

  bool Number(std::string_view option, std::string_view text, double min, double max, double& out) {
    const NumberRead read = ReadNumber(text);
    const double v = read.value;
    const bool outOfRange = read.status == NumberStatus::kOutOfRange;
    if (text.empty() || read.used != text.size() || read.status == NumberStatus::kInvalid || std::isnan(v)) {
      return Fail("option " + std::string(option) + " expects a number, got " + Quoted(text));
    }
    if (outOfRange || v < min || v > max) {
      return Fail("option " + std::string(option) + " must be " + Text(min) + " to " + Text(max) + ", got " +
                  Quoted(text));
    }
    out = v;
    return true;
  }

  // A number 0..count-1, or one of the names in any case. A refusal lists
  // the names, or says what is expected in their place.
  template <typename NameOf>
  bool Choice(std::string_view option, std::string_view text, int32_t count, NameOf nameOf, int32_t& out,
              std::string_view expected = {}) {
    if (!text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos) {
      return Integer(option, text, 0, count - 1, out);
    }
    std::string wanted = Folded(text);
    for (int32_t i = 0; i < count; ++i) {
      if (!wanted.empty() && Folded(nameOf(i)) == wanted) {
        out = i;
        return true;
      }
    }
    std::string names(expected);
    if (names.empty()) {
      names = "one of ";
      for (int32_t i = 0; i < count; ++i) names += (i ? ", " : "") + std::string(nameOf(i));
    }
    return Fail("option " + std::string(option) + " expects " + names + " or 0 to " + std::to_string(count - 1) +
                ", got " + Quoted(text));
  }

  bool Size(std::string_view option, std::string_view text, int32_t& width, int32_t& height) {
    size_t x = text.find_first_of("xX");
    int32_t w = 0, h = 0;
    if (x != std::string_view::npos && Whole(text.substr(0, x), w) && Whole(text.substr(x + 1), h) &&
        w >= kMinSide && w <= kMaxSide && h >= kMinSide && h <= kMaxSide) {
      width = w;
      height = h;
      return true;
    }
    return Fail("option " + std::string(option) + " expects WIDTHxHEIGHT with each side " + std::to_string(kMinSide) +
                " to " + std::to_string(kMaxSide) + ", got " + Quoted(text));
  }

  bool List(std::string_view option, std::string_view text, std::vector<int32_t>& out) {
    out.clear();
    std::string_view rest = text;
    for (;;) {
      size_t comma = rest.find(',');
      int32_t v = 0;
      if (out.size() == 4 || !Whole(rest.substr(0, comma), v)) {
        return Fail("option " + std::string(option) + " expects 1 to 4 whole numbers separated by commas, got " +
                    Quoted(text));
      }
      out.push_back(v);
      if (comma == std::string_view::npos) return true;
      rest.remove_prefix(comma + 1);
    }
  }

 private:
  static bool Whole(std::string_view text, int32_t& v) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
  }

  std::string& error_;
};

// What the render options besides the parameters say of themselves.
struct RenderGiven {
  bool size = false;
};

// An option of the parameter table, read as its row's kind says.
bool ReadParameterOption(Reader& r, std::string_view name, std::string_view value, ParameterOptions& g) {
  const Parameter& row = *FindParameter(name);
  int32_t i = 0;
  double d = 0;
  switch (row.kind) {
    case ParameterKind::kSwitch:
      g[row.id] = name == row.flag ? row.flagSets : 1 - row.flagSets;
      return true;
    case ParameterKind::kWhole:
      if (!r.Integer(name, value, static_cast<int32_t>(row.min), static_cast<int32_t>(row.max), i)) return false;
      g[row.id] = i;
      return true;
    case ParameterKind::kNumber:
      if (!r.Number(name, value, row.min, row.max, d)) return false;
      g[row.id] = d;
      return true;
    case ParameterKind::kChoice:
      if (!r.Choice(name, value, row.count, row.names, i, row.expected)) return false;
      if (row.id == ParameterId::kPreset) {
        g.preset = i;
      } else {
        g[row.id] = i;
      }
      return true;
    case ParameterKind::kStyleValues:
      return r.List(name, value, g.styleValues);
    case ParameterKind::kRecord:
      break;
  }
  FavoriteRecord record = ParseRecord(value);
  if (record.name.empty()) return r.Fail("option --record: the record has no name, so none of its fields would load");
  g.record = record;
  return true;
}

bool ReadRenderOption(Reader& r, std::string_view name, std::string_view value, RenderOptions& o, RenderGiven& g) {
  if (name == "--help") {
    o.help = true;
  } else if (name == "--version") {
    o.version = true;
  } else if (name == "--progress") {
    o.progress = true;
  } else if (name == "--bitmap-font") {
    o.bitmapFont = true;
  } else if (name == "--size") {
    g.size = true;
    return r.Size(name, value, o.width, o.height);
  } else if (name == "--frames") {
    return r.Integer(name, value, 1, 2147483647, o.frames);
  } else if (name == "--fps") {
    return r.Integer(name, value, 1, 1000, o.fps);
  } else if (name == "--seed") {
    return r.Integer(name, value, 0, 2147483647, o.seed);
  } else if (name == "--every") {
    return r.Integer(name, value, 1, 2147483647, o.every);
  } else if (name == "--out" || name == "--out-dir" || name == "--gallery") {
    if (value.empty()) return r.Fail("option " + std::string(name) + " needs a value");
    (name == "--out" ? o.out : name == "--out-dir" ? o.outDir : o.gallery) = value;
  }
  return true;
}

// "YYYY-MM-DD HH:MM:SS" (or with a "T" between date and time) as
// milliseconds since 1970.
bool ReadStartTime(Reader& r, std::string_view option, std::string_view text, int64_t& out) {
  using namespace std::chrono;
  int32_t parts[6] = {};
  const char separators[6] = {'-', '-', ' ', ':', ':', '\0'};
  std::string_view rest = text;
  bool ok = true;
  for (int32_t k = 0; k < 6 && ok; ++k) {
    auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), parts[k]);
    ok = ec == std::errc() && end != rest.data();
    rest.remove_prefix(static_cast<size_t>(end - rest.data()));
    if (!ok || k == 5) break;
    ok = !rest.empty() && (rest[0] == separators[k] || (k == 2 && rest[0] == 'T'));
    rest.remove_prefix(ok ? 1 : 0);
  }
  const year_month_day date{year{parts[0]}, month{static_cast<unsigned>(parts[1])},
                             day{static_cast<unsigned>(parts[2])}};
  if (!ok || !rest.empty() || parts[0] < 1970 || parts[0] > 9999 || !date.ok() || parts[3] > 23 || parts[4] > 59 ||
      parts[5] > 59 || parts[3] < 0 || parts[4] < 0 || parts[5] < 0) {
    return r.Fail("option " + std::string(option) + " expects a time such as 2026-12-10 10:59:30, got " +
                  Quoted(text));
  }
  const auto moment = sys_days{date} + hours{parts[3]} + minutes{parts[4]} + seconds{parts[5]};
  out = duration_cast<milliseconds>(moment.time_since_epoch()).count();
  return true;
}

bool ReadShowOption(Reader& r, std::string_view name, std::string_view value, ShowOptions& o) {
  int32_t i = 0;
  if (name == "--random") {
    o.randomFavorites = 1;
  } else if (name == "--clock" || name == "--zodiac") {
    o.showClock = 1;
    o.overlayStyle = Stored(name == "--clock" ? OverlayStyle::kClockFace : OverlayStyle::kZodiac);
  } else if (name == "--messages") {
    o.showMessages = 1;
  } else if (name == "--fps-text") {
    o.showFps = true;
  } else if (name == "--bold" || name == "--no-bold") {
    o.bold = name == "--bold";
  } else if (name == "--italic" || name == "--no-italic") {
    o.italic = name == "--italic";
  } else if (name == "--message") {
    if (value.empty()) return r.Fail("option --message needs a text");
    o.messages.emplace_back(value);
    o.showMessages = 1;
  } else if (name == "--message-font") {
    if (value.empty()) return r.Fail("option --message-font needs a face name");
    o.messageFont = std::string(value);
  } else if (name == "--min-time" || name == "--max-time") {
    if (!r.Integer(name, value, 0, 86400, i)) return false;
    (name == "--min-time" ? o.minTime : o.maxTime) = i;
  }
  return true;
}

// A window number as xscreensaver writes it: decimal, or hexadecimal after
// "0x"; never 0.
bool ReadWindowId(Reader& r, std::string_view option, std::string_view text, uint64_t& out) {
  std::string_view digits = text;
  int base = 10;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    digits.remove_prefix(2);
    base = 16;
  }
  uint64_t v = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, base);
  if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || v == 0 || v > 0xFFFFFFFFu) {
    return r.Fail("option " + std::string(option) + " expects a window number such as 0x1e00005, got " +
                  Quoted(text));
  }
  out = v;
  return true;
}

// Of several targets the last one given counts, as saver daemons expect:
// they add their own (--root, --window-id) to the user's command line.
bool ReadSaverOption(Reader& r, std::string_view name, std::string_view value, SaverOptions& o) {
  if (name == "--help") {
    o.help = true;
  } else if (name == "--version") {
    o.version = true;
  } else if (name == "--window") {
    o.target = SaverTarget::kOwnWindow;
  } else if (name == "--fullscreen") {
    o.target = SaverTarget::kFullScreen;
  } else if (name == "--root") {
    o.target = SaverTarget::kRoot;
  } else if (name == "--window-id") {
    if (!ReadWindowId(r, name, value, o.windowId)) return false;
    o.target = SaverTarget::kWindowId;
  } else if (name == "--geometry") {
    return r.Size(name, value, o.width, o.height);
  } else if (name == "--favorite") {
    if (value.empty()) return r.Fail("option --favorite needs a value");
    o.favorite = value;
  } else if (name == "--monitors") {
    int32_t choice = 0;
    if (!r.Choice(name, value, 3, [](int32_t i) { return kMonitorChoiceNames[i]; }, choice)) return false;
    o.monitors = choice;
  } else if (name == "--list-favorites") {
    o.listFavorites = true;
  } else if (name == "--settings") {
    o.settings = true;
  } else if (name == "--stats") {
    o.stats = true;
  } else if (name == "--no-random") {
    o.show.randomFavorites = 0;
  } else if (name == "--fps") {
    o.show.showFps = true;
  } else if (name == "--no-clock") {
    o.show.showClock = 0;
  } else if (name == "--no-messages") {
    o.show.showMessages = 0;
  } else if (KindIn(name, kShowFlags, kShowValued) != OptionKind::kUnknown) {
    return ReadShowOption(r, name, value, o.show);
  } else {
    return ReadParameterOption(r, name, value, o.parameters);
  }
  return true;
}

// --gallery makes its own picture from the presets as they are stored.
bool CheckGallery(Reader& r, const RenderGiven& g, const ParameterOptions& given, RenderOptions& o) {
  if (!o.out.empty() || !o.outDir.empty() || o.every) {
    return r.Fail("option --gallery writes a picture of its own; leave out --out, --out-dir and --every");
  }
  if (given.Any()) {
    return r.Fail("option --gallery renders every preset as stored and takes no parameter options");
  }
  if (!g.size) {
    o.width = kGalleryTileWidth;
    o.height = kGalleryTileHeight;
  } else if (o.width > kGalleryMaxTileWidth || o.height > kGalleryMaxTileHeight) {
    return r.Fail("option --size gives the tile size with --gallery, at most " +
                  std::to_string(kGalleryMaxTileWidth) + "x" + std::to_string(kGalleryMaxTileHeight) + ", got " +
                  std::to_string(o.width) + "x" + std::to_string(o.height));
  }
  return true;
}

// The values of --style-values go over the table's current values of the
// configuration, each checked against its setting's range.
bool LayStyleValues(Reader& r, const std::vector<int32_t>& given, ParameterSet& p) {
  int32_t config = p.configuration;
  if (config < 0 || config >= kConfigurationCount) {
    return r.Fail("option --style-values needs a configuration 0 to " + std::to_string(kConfigurationCount - 1));
  }
  const StyleParams& row = StyleRecord(config);
  std::string where = std::string("\"") + ConfigurationName(config) + "\"";
  if (static_cast<int32_t>(given.size()) > row.count) {
    return r.Fail("option --style-values: " + where + " has " + std::to_string(row.count) + " setting" +
                  (row.count == 1 ? "" : "s") + ", got " + std::to_string(given.size()) + " values");
  }
  GetStyleParams(config, p.styleCount, p.styleValues);
  for (size_t j = 0; j < given.size(); ++j) {
    const StyleSetting& s = row.settings[j];
    if (given[j] < s.min || given[j] > s.max) {
      return r.Fail("option --style-values: \"" + std::string(s.label) + "\" of " + where + " must be " +
                    std::to_string(s.min) + " to " + std::to_string(s.max) + ", got " + std::to_string(given[j]));
    }
    p.styleValues[j] = given[j];
  }
  return true;
}

// The single options (no "--record" or "--preset") over p.
bool LayOptions(Reader& r, const ParameterOptions& g, ParameterSet& p) {
  if (g[ParameterId::kNoReflections] && (g[ParameterId::kReflections] || g[ParameterId::kSymmetric])) {
    return r.Fail("option --no-reflections: leave out --reflections and --symmetric");
  }
  for (const Parameter& row : kParameters) {
    const std::optional<double>& given = g[row.id];
    if (!given) continue;
    if (row.number) p.*row.number = *given;
    if (row.whole) p.*row.whole = static_cast<int32_t>(*given);
    if (row.turnsOn) p.*row.turnsOn = 1;
  }
  if (g[ParameterId::kConfiguration]) p.styleCount = 0;  // the table's values of the new configuration
  return g.styleValues.empty() || LayStyleValues(r, g.styleValues, p);
}

// Splits the arguments into options and their values. Each name is offered
// to kind, which tells a flag, an option with a value or an unknown name;
// then to read. With singleDash, "-name" reads as "--name", as the programs
// that xscreensaver starts take their options.
template <typename Kind, typename Read>
bool ReadArguments(const std::vector<std::string>& args, Reader& r, bool singleDash, Kind kind, Read read) {
  for (size_t k = 0; k < args.size(); ++k) {
    std::string arg = args[k];
    if (arg == "-h") arg = "--help";
    if (singleDash && arg.size() > 2 && arg[0] == '-' && arg[1] != '-') arg.insert(0, "-");
    if (arg.size() <= 2 || arg.substr(0, 2) != "--") return r.Fail("unexpected argument " + Quoted(args[k]));
    size_t eq = arg.find('=');
    std::string_view name = std::string_view(arg).substr(0, eq);
    std::optional<std::string_view> value;
    if (eq != std::string::npos) value = std::string_view(arg).substr(eq + 1);
    const OptionKind found = kind(name);
    if (found == OptionKind::kFlag) {
      if (value) return r.Fail("option " + std::string(name) + " takes no value");
    } else if (found == OptionKind::kValued) {
      if (!value) {
        // A value may itself start with one dash (a negative number), never two.
        if (k + 1 >= args.size() || args[k + 1].rfind("--", 0) == 0 ||
            (singleDash && args[k + 1].size() > 1 && args[k + 1][0] == '-' &&
             kind("-" + args[k + 1]) != OptionKind::kUnknown)) {
          return r.Fail("option " + std::string(name) + " needs a value");
        }
        value = args[++k];
      }
    } else {
      return r.Fail("unknown option " + Quoted(name));
    }
    if (!read(name, value.value_or(""))) return false;
  }
  return true;
}

OptionKind ParameterOptionKind(std::string_view name) {
  const Parameter* row = FindParameter(name);
  if (!row) return OptionKind::kUnknown;
  return row->kind == ParameterKind::kSwitch ? OptionKind::kFlag : OptionKind::kValued;
}

OptionKind SaverKind(std::string_view name) {
  OptionKind k = KindIn(name, kSaverFlags, kSaverValued);
  // The calendar of a run on screen is the real one.
  if (k == OptionKind::kUnknown && name != "--start-time") k = KindIn(name, kShowFlags, kShowValued);
  return k != OptionKind::kUnknown ? k : ParameterOptionKind(name);
}

// What holds of the saver's options together, once each has been read.
bool CheckSaverOptions(Reader& r, const SaverOptions& o, std::string& error) {
  if (o.parameters.record && o.parameters.preset) {
    return r.Fail("options --record and --preset each give a whole record; give one");
  }
  if (!o.favorite.empty() && (o.parameters.record || o.parameters.preset)) {
    return r.Fail("option --favorite gives a whole record, as --record and --preset do; give one");
  }
  if (o.show.minTime && o.show.maxTime && *o.show.minTime > *o.show.maxTime) {
    return r.Fail("option --min-time must not be above --max-time");
  }
  if (o.show.randomFavorites.value_or(0) && o.GivesRecord()) {
    return r.Fail("option --random draws stored favorites; leave out --favorite and the parameter options");
  }
  // Checked now when the options themselves give the configuration;
  // otherwise once the stored record is known.
  const ParameterOptions& g = o.parameters;
  if (!g.styleValues.empty() && (g[ParameterId::kConfiguration] || g.record || g.preset)) {
    ParameterSet p;
    if (!LayParameterOptions(g, p, error)) return false;
  }
  return true;
}

}  // namespace

bool SameChoiceName(std::string_view a, std::string_view b) { return Folded(a) == Folded(b); }

bool IsParameterOption(std::string_view option) { return ParameterOptionKind(option) != OptionKind::kUnknown; }

bool ShowOptions::Any() const {
  return randomFavorites || showClock || overlayStyle || showMessages || showFps || !messages.empty() || messageFont ||
         bold || italic || minTime || maxTime;
}

bool ParameterOptions::Any() const {
  return record || preset || !styleValues.empty() ||
         std::any_of(std::begin(values), std::end(values), [](const std::optional<double>& v) { return v.has_value(); });
}

bool LayParameterOptions(const ParameterOptions& given, ParameterSet& p, std::string& error) {
  Reader r(error);
  if (given.record && given.preset) return r.Fail("options --record and --preset each give a whole record; give one");
  if (given.preset) p = RecordParameters(ParseRecord(FastPreset(*given.preset)));
  if (given.record) p = RecordParameters(*given.record);
  return LayOptions(r, given, p);
}

bool ParseRenderOptions(const std::vector<std::string>& args, RenderOptions& o, std::string& error) {
  o = RenderOptions{};
  RenderGiven g;
  ParameterOptions given;
  Reader r(error);
  bool startGiven = false;
  auto kind = [](std::string_view name) {
    OptionKind k = KindIn(name, kRenderFlags, kRenderValued);
    if (k == OptionKind::kUnknown) k = KindIn(name, kShowFlags, kShowValued);
    return k != OptionKind::kUnknown ? k : ParameterOptionKind(name);
  };
  auto read = [&](std::string_view name, std::string_view value) {
    if (ParameterOptionKind(name) != OptionKind::kUnknown) return ReadParameterOption(r, name, value, given);
    if (name == "--start-time") {
      startGiven = true;
      return ReadStartTime(r, name, value, o.startTime);
    }
    if (KindIn(name, kShowFlags, kShowValued) != OptionKind::kUnknown) return ReadShowOption(r, name, value, o.show);
    return ReadRenderOption(r, name, value, o, g);
  };
  if (!ReadArguments(args, r, false, kind, read)) return false;
  if (o.help || o.version) return true;
  if (!o.gallery.empty()) {
    if (o.show.Any() || startGiven) return r.Fail("option --gallery renders the presets alone, without overlays");
    return CheckGallery(r, g, given, o);
  }
  if (o.show.randomFavorites && given.Any()) {
    return r.Fail("option --random draws the built-in favorites; leave out the parameter options");
  }

  ParameterSet& p = o.parameters;
  if (!LayParameterOptions(given, p, error)) return false;
  if (given.preset) o.recordName = PresetName(*given.preset);
  if (given.record) o.recordName = given.record->name;

  if (o.every && o.outDir.empty()) return r.Fail("option --every needs --out-dir");
  if (!o.outDir.empty() && !o.every) return r.Fail("option --out-dir needs --every");
  if (o.out.empty() && o.outDir.empty()) {
    return r.Fail("nothing to write: give --out FILE.png, --every K with --out-dir DIR, or --gallery FILE.png");
  }
  return true;
}

bool ParseSaverOptions(const std::vector<std::string>& args, SaverOptions& o, std::string& error) {
  o = SaverOptions{};
  Reader r(error);
  auto read = [&](std::string_view name, std::string_view value) {
    return ReadSaverOption(r, name, value, o);
  };
  if (!ReadArguments(args, r, true, SaverKind, read)) return false;
  if (o.help || o.version || o.listFavorites || o.settings) return true;
  return CheckSaverOptions(r, o, error);
}

bool ParsePageOptions(const std::vector<std::string>& args, PageOptions& o, std::string& error) {
  o = PageOptions{};
  Reader r(error);
  auto kind = [](std::string_view name) {
    if (Listed(kPageRunValued, name)) return OptionKind::kValued;
    return Listed(kSaverOnlyOptions, name) ? OptionKind::kUnknown : SaverKind(name);
  };
  auto read = [&](std::string_view name, std::string_view value) {
    if (!Listed(kPageRunValued, name)) return ReadSaverOption(r, name, value, o.saver);
    int32_t n = 0;
    if (name == "--seed") {
      if (!r.Integer(name, value, 0, 2147483647, n)) return false;
      o.seed = n;
    } else if (name == "--frames") {
      if (!r.Integer(name, value, 1, kMaxPageFrames, n)) return false;
      o.frames = n;
    } else if (name == "--size") {
      int32_t width = 0, height = 0;
      if (!r.Size(name, value, width, height)) return false;
      o.width = width;
      o.height = height;
    } else {
      int64_t start = 0;
      if (!ReadStartTime(r, name, value, start)) return false;
      o.startTime = start;
    }
    return true;
  };
  for (const std::string& arg : args) {
    const std::string_view name = std::string_view(arg).substr(0, arg.find('='));
    if (Listed(kSaverOnlyOptions, name)) {
      return r.Fail("option " + std::string(name) + " is the saver's on an X display; the web page has no use for it");
    }
  }
  if (!ReadArguments(args, r, false, kind, read)) return false;
  return CheckSaverOptions(r, o.saver, error);
}

FavoriteRecord RecordOfParameters(const ParameterSet& p, const std::string& name) {
  FavoriteRecord r;
  r.name = name;
  for (const Parameter& row : kParameters) {
    if (!row.record) continue;
    // Values in engine units go back to the record's slider positions.
    r.*row.record = row.number ? SliderPosition(row, p.*row.number) : p.*row.whole;
  }
  r.field11 = 1;
  r.field15 = kRecordField15;
  r.styleCount = p.styleCount;
  std::copy(std::begin(p.styleValues), std::end(p.styleValues), r.styleValues);
  return r;
}

bool SaverRunRecord(const SaverOptions& o, const std::optional<FavoriteRecord>& base, FavoriteRecord& record,
                    std::string& error) {
  ParameterSet p = base ? RecordParameters(*base) : DefaultParameters();
  std::string name = base && !base->name.empty() ? base->name : "*";
  if (o.parameters.preset) name = PresetName(*o.parameters.preset);
  if (o.parameters.record) name = o.parameters.record->name;
  if (!LayParameterOptions(o.parameters, p, error)) return false;
  record = RecordOfParameters(p, name);
  return true;
}

int32_t GalleryGrains(int32_t grains, int32_t tileWidth, int32_t tileHeight) {
  int64_t scaled = int64_t{grains} * tileWidth * tileHeight / (640 * 480);
  return static_cast<int32_t>(std::max<int64_t>(scaled, 10));
}

}  // namespace brindlemar
