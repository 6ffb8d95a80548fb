#include "shell/render_options.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

#include "engine/particle_field.h"
#include "engine/style_table.h"
#include "settings/presets.h"

namespace brindlemar {
namespace {

constexpr int32_t kMinSide = 16;
constexpr int32_t kMaxSide = 8192;

constexpr std::string_view kFlags[] = {"--help",  "--progress",  "--extra-twist", "--no-extra-twist",
                                       "--trails", "--no-trails", "--dither",      "--symmetric"};
constexpr std::string_view kValued[] = {
    "--size",        "--frames",         "--fps",    "--seed",     "--every",      "--out",
    "--out-dir",     "--configuration",  "--dimensionality", "--grains", "--activity", "--viscosity",
    "--complexity",  "--brightness",     "--color-rate",     "--dot-style", "--trail-length", "--reflections",
    "--style-values", "--record", "--preset", "--gallery"};

const char* const kDimensionalityNames[] = {"Aurora", "Clouds", "Organic", "Recursive"};
const char* const kDotStyleNames[] = {"Dots", "Sparkles", "Fuzzies", "Large Dots", "Vertical Bars"};

template <size_t N>
bool Listed(const std::string_view (&list)[N], std::string_view name) {
  for (std::string_view entry : list) {
    if (entry == name) return true;
  }
  return false;
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

std::string Text(double v) {
  char buf[32];
  auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
  return std::string(buf, end);
}

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
    double v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    bool outOfRange = ec == std::errc::result_out_of_range;
    if (text.empty() || end != text.data() + text.size() || (ec != std::errc() && !outOfRange) ||
        std::isnan(v)) {
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

  bool Size(std::string_view text, int32_t& width, int32_t& height) {
    size_t x = text.find_first_of("xX");
    int32_t w = 0, h = 0;
    if (x != std::string_view::npos && Whole(text.substr(0, x), w) && Whole(text.substr(x + 1), h) &&
        w >= kMinSide && w <= kMaxSide && h >= kMinSide && h <= kMaxSide) {
      width = w;
      height = h;
      return true;
    }
    return Fail("option --size expects WIDTHxHEIGHT with each side " + std::to_string(kMinSide) + " to " +
                std::to_string(kMaxSide) + ", got " + Quoted(text));
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

// The parameter options as given, laid over the base set once all are read.
struct Given {
  bool size = false;
  std::optional<FavoriteRecord> record;
  std::optional<int32_t> preset;
  std::optional<int32_t> configuration, dimensionality, grains, complexity, dotStyle, trailLength, reflectionCount;
  std::optional<int32_t> extraTwist, trails, dither, symmetric;
  std::optional<double> activity, viscosity, brightness, colorRate;
  std::vector<int32_t> styleValues;
};

bool ReadOption(Reader& r, std::string_view name, std::string_view value, RenderOptions& o, Given& g) {
  int32_t i = 0;
  double d = 0;
  if (name == "--help") {
    o.help = true;
  } else if (name == "--progress") {
    o.progress = true;
  } else if (name == "--extra-twist" || name == "--no-extra-twist") {
    g.extraTwist = name == "--extra-twist";
  } else if (name == "--trails" || name == "--no-trails") {
    g.trails = name == "--trails";
  } else if (name == "--dither") {
    g.dither = 1;
  } else if (name == "--symmetric") {
    g.symmetric = 1;
  } else if (name == "--size") {
    g.size = true;
    return r.Size(value, o.width, o.height);
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
  } else if (name == "--configuration") {
    if (!r.Choice(name, value, kConfigurationCount, ConfigurationName, i)) return false;
    g.configuration = i;
  } else if (name == "--dimensionality") {
    if (!r.Choice(name, value, 4, [](int32_t k) { return kDimensionalityNames[k]; }, i)) return false;
    g.dimensionality = i;
  } else if (name == "--dot-style") {
    if (!r.Choice(name, value, 5, [](int32_t k) { return kDotStyleNames[k]; }, i)) return false;
    g.dotStyle = i;
  } else if (name == "--grains") {
    if (!r.Integer(name, value, 10, kMaxGrains, i)) return false;
    g.grains = i;
  } else if (name == "--complexity") {
    if (!r.Integer(name, value, 1, 15, i)) return false;
    g.complexity = i;
  } else if (name == "--trail-length") {
    if (!r.Integer(name, value, 1, 100, i)) return false;
    g.trailLength = i;
  } else if (name == "--reflections") {
    if (!r.Integer(name, value, 1, kMaxReflections, i)) return false;
    g.reflectionCount = i;
  } else if (name == "--activity") {
    if (!r.Number(name, value, 0.1, 5.0, d)) return false;
    g.activity = d;
  } else if (name == "--viscosity") {
    if (!r.Number(name, value, 1.0, 241.0, d)) return false;
    g.viscosity = d;
  } else if (name == "--brightness") {
    if (!r.Number(name, value, 0.01, 2.0, d)) return false;
    g.brightness = d;
  } else if (name == "--color-rate") {
    if (!r.Number(name, value, 0.0, 1.0, d)) return false;
    g.colorRate = d;
  } else if (name == "--style-values") {
    return r.List(name, value, g.styleValues);
  } else if (name == "--record") {
    FavoriteRecord record = ParseRecord(value);
    if (record.name.empty()) return r.Fail("option --record: the record has no name, so none of its fields would load");
    g.record = record;
  } else if (name == "--preset") {
    if (!r.Choice(name, value, kPresetCount, PresetName, i, "a preset name (see --help)")) return false;
    g.preset = i;
  }
  return true;
}

bool AnyParameterGiven(const Given& g) {
  return g.record || g.preset || g.configuration || g.dimensionality || g.grains || g.complexity || g.dotStyle ||
         g.trailLength || g.reflectionCount || g.extraTwist || g.trails || g.dither || g.symmetric || g.activity ||
         g.viscosity || g.brightness || g.colorRate || !g.styleValues.empty();
}

// --gallery makes its own picture from the presets as they are stored.
bool CheckGallery(Reader& r, const Given& g, RenderOptions& o) {
  if (!o.out.empty() || !o.outDir.empty() || o.every) {
    return r.Fail("option --gallery writes a picture of its own; leave out --out, --out-dir and --every");
  }
  if (AnyParameterGiven(g)) {
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

}  // namespace

bool ParseRenderOptions(const std::vector<std::string>& args, RenderOptions& o, std::string& error) {
  o = RenderOptions{};
  Given g;
  Reader r(error);
  for (size_t k = 0; k < args.size(); ++k) {
    std::string_view arg = args[k];
    if (arg == "-h") arg = "--help";
    if (arg.size() <= 2 || arg.substr(0, 2) != "--") return r.Fail("unexpected argument " + Quoted(arg));
    size_t eq = arg.find('=');
    std::string_view name = arg.substr(0, eq);
    std::optional<std::string_view> value;
    if (eq != std::string_view::npos) value = arg.substr(eq + 1);
    if (Listed(kFlags, name)) {
      if (value) return r.Fail("option " + std::string(name) + " takes no value");
    } else if (Listed(kValued, name)) {
      if (!value) {
        if (k + 1 >= args.size() || args[k + 1].rfind("--", 0) == 0) {
          return r.Fail("option " + std::string(name) + " needs a value");
        }
        value = args[++k];
      }
    } else {
      return r.Fail("unknown option " + Quoted(name));
    }
    if (!ReadOption(r, name, value.value_or(""), o, g)) return false;
  }
  if (o.help) return true;
  if (!o.gallery.empty()) return CheckGallery(r, g, o);
  if (g.record && g.preset) return r.Fail("options --record and --preset each give a whole record; give one");

  ParameterSet& p = o.parameters;
  if (g.preset) g.record = ParseRecord(FastPreset(*g.preset));
  if (g.record) {
    p = RecordParameters(*g.record);
    o.recordName = g.record->name;
  }
  if (g.dimensionality) p.dimensionality = *g.dimensionality;
  if (g.configuration) {
    p.configuration = *g.configuration;
    p.styleCount = 0;  // the table's values of the new configuration
  }
  if (g.grains) p.grains = *g.grains;
  if (g.activity) p.activity = *g.activity;
  if (g.viscosity) p.viscosity = *g.viscosity;
  if (g.complexity) p.complexity = *g.complexity;
  if (g.brightness) p.brightness = *g.brightness;
  if (g.reflectionCount) {
    p.reflectionCount = *g.reflectionCount;
    p.reflections = 1;
  }
  if (g.symmetric) {
    p.symmetric = 1;
    p.reflections = 1;
  }
  if (g.extraTwist) p.extraTwist = *g.extraTwist;
  if (g.dotStyle) p.dotStyle = *g.dotStyle;
  if (g.trailLength) p.trailLength = *g.trailLength;
  if (g.trails) p.trails = *g.trails;
  if (g.colorRate) p.colorRate = *g.colorRate;
  if (g.dither) p.dither = *g.dither;
  if (!g.styleValues.empty() && !LayStyleValues(r, g.styleValues, p)) return false;

  if (o.every && o.outDir.empty()) return r.Fail("option --every needs --out-dir");
  if (!o.outDir.empty() && !o.every) return r.Fail("option --out-dir needs --every");
  if (o.out.empty() && o.outDir.empty()) {
    return r.Fail("nothing to write: give --out FILE.png, --every K with --out-dir DIR, or --gallery FILE.png");
  }
  return true;
}

int32_t GalleryGrains(int32_t grains, int32_t tileWidth, int32_t tileHeight) {
  int64_t scaled = int64_t{grains} * tileWidth * tileHeight / (640 * 480);
  return static_cast<int32_t>(std::max<int64_t>(scaled, 10));
}

std::string RenderUsage(const std::string& program) {
  std::string configurations;
  for (int32_t i = 0; i < kConfigurationCount; ++i) {
    std::string entry = std::to_string(i) + " \"" + ConfigurationName(i) + "\"";
    configurations += (i % 4 == 0 ? "\n      " : ", ") + entry;
  }
  // The preset names, wrapped at 80 columns.
  std::string presets;
  size_t lineStart = 0;
  for (int32_t i = 0; i < kPresetCount; ++i) {
    std::string entry = std::to_string(i) + " \"" + std::string(PresetName(i)) + "\"";
    if (i == 0 || presets.size() - lineStart + entry.size() + 2 > 80) {
      presets += "\n      ";
      lineStart = presets.size() - 6;
    } else {
      presets += ", ";
    }
    presets += entry;
  }
  return "Usage: " + program + " [options] --out FILE.png\n"
         "       " + program + " [options] --every K --out-dir DIR\n"
         "       " + program + " [--size WxH] [--frames N] [--seed N] --gallery FILE.png\n"
         "\n"
         "Runs a Brindlemar particle field on a memory frame buffer with a simulated\n"
         "clock and writes PNG pictures. The same seed and options give the same files.\n"
         "\n"
         "Run:\n"
         "  --size WxH            picture size, each side 16 to 8192 (640x480)\n"
         "  --frames N            frames to run (300)\n"
         "  --fps N               simulated frames per second, 1 to 1000 (30); below the\n"
         "                        saver's target of 12 the field thins its grains as it\n"
         "                        would on a slow machine\n"
         "  --seed N              random seed, 0 to 2147483647 (1)\n"
         "  --out FILE.png        write the last frame\n"
         "  --every K             with --out-dir: write every K-th frame as\n"
         "  --out-dir DIR         DIR/frame_NNNNN.png, numbered from 1 (DIR is created)\n"
         "  --gallery FILE.png    write every preset into one picture, 8 tiles across\n"
         "                        and 7 down, each labelled with its name: each tile\n"
         "                        runs --frames frames of the preset's fast record at\n"
         "                        the --size of a tile (240x180, at most 640x480), its\n"
         "                        grains scaled by the tile's share of 640x480 (at\n"
         "                        least 10); no parameter options\n"
         "  --progress            show progress on standard error even when it is not\n"
         "                        a terminal\n"
         "  -h, --help            show this text\n"
         "\n"
         "Parameters, named after the configuration dialog's controls; values are the\n"
         "engine's (defaults in brackets):\n"
         "  --configuration NAME|N  initial configuration (13 \"Expanding Line\"); names\n"
         "                        in any case, punctuation and spaces optional:" +
         configurations +
         "\n"
         "  --dimensionality aurora|clouds|organic|recursive|0..3   (clouds)\n"
         "  --grains N            10 to 200000 (4700)\n"
         "  --activity X          0.1 to 5 (3.62)\n"
         "  --viscosity X         1 to 241 (56)\n"
         "  --complexity N        vortices, 1 to 15 (4)\n"
         "  --brightness X        0.01 to 2 (0.204)\n"
         "  --color-rate X        0 to 1 (0.588); 0 ties the rate to the brightness\n"
         "  --dot-style dots|sparkles|fuzzies|large-dots|vertical-bars|0..4\n"
         "                        (vertical-bars)\n"
         "  --extra-twist, --no-extra-twist   (on)\n"
         "  --trails, --no-trails              leave trails (on)\n"
         "  --trail-length N      1 to 100 (92)\n"
         "  --dither              dither the trails (off)\n"
         "  --reflections N       turn reflections on with N of them, 1 to 60 (off)\n"
         "  --symmetric           symmetric reflections; turns reflections on (off)\n"
         "  --style-values A[,B[,C[,D]]]\n"
         "                        the configuration's additional settings in order, the\n"
         "                        first being the initial colour (0 black, 1 white,\n"
         "                        2 random); values left out keep the table's. Without\n"
         "                        it, --configuration takes the table's values\n"
         "  --record TEXT         a whole parameter record, \"Name,1,13,4700,...\"; the\n"
         "                        options above override its fields\n"
         "  --preset NAME|N       a built-in preset's record, from the fast table, in\n"
         "                        place of --record; names in any case, punctuation\n"
         "                        and spaces optional:" +
         presets +
         "\n"
         "\n"
         "Exit status: 0 done, 1 the field or a file could not be made, 2 bad options.\n";
}

}  // namespace brindlemar
