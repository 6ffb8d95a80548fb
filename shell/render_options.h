// The command line of the programs that run a field without the saver's
// dialogs: the picture size, frame count, simulated frame rate and seed, the
// outputs, and every animation parameter as an option named after its control
// in the configuration dialog, or a whole parameter record.
//
// Parameters start from the engine defaults, or from --record or a built-in
// preset's fast record (--preset) when given; the other parameter options are
// laid over them whatever their order. Values are in the engine's units
// (--activity 3.62, not the slider's 3620).
//
// --gallery renders every preset, each as stored, into one labelled picture:
// then --size is the size of one tile (240x180 unless given) and no
// parameter options apply.
//
// The saver program (brindlemar) reads the same parameter options through
// ParseSaverOptions, beside its own: where it draws, which favorite, and the
// overlays. There they override the stored settings for one run. It also
// takes each long option with a single dash ("-root", "-grains 900"), as the
// programs that xscreensaver starts do.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/modes.h"
#include "settings/favorite_record.h"
#include "settings/parameter_table.h"

namespace brindlemar {

// The show around the grains for one run, each part set only when an option
// gives it: random favorites, the clock face or zodiac, pop-up messages with
// their texts, face, style and the time between transitions, and the
// frame-rate text.
struct ShowOptions {
  std::optional<int32_t> randomFavorites;
  std::optional<int32_t> showClock;
  std::optional<int32_t> overlayStyle;  // 0 clock face, 1 zodiac
  std::optional<int32_t> showMessages;
  bool showFps = false;
  std::vector<std::string> messages;  // "\r" in a text breaks the line
  std::optional<std::string> messageFont;
  std::optional<int32_t> bold, italic;
  std::optional<int32_t> minTime, maxTime;  // seconds between transitions

  bool Any() const;
};

struct RenderOptions {
  int32_t width = 640;
  int32_t height = 480;
  int32_t frames = 300;
  int32_t fps = 30;
  int32_t seed = 1;
  int32_t every = 0;   // 0: no numbered frames
  std::string out;     // the last frame, when not empty
  std::string outDir;  // numbered frames, with every
  std::string gallery; // every preset in one picture, when not empty
  bool progress = false;
  bool help = false;
  bool version = false;
  // The overlays' text in the bitmap font (overlays/bitmap_font.h), as the
  // web page draws it, instead of the system's fonts.
  bool bitmapFont = false;
  ParameterSet parameters;
  std::string recordName;  // the name of --record or --preset; empty without one
  ShowOptions show;
  // The simulated calendar at the first frame, in milliseconds since
  // 1970-01-01 00:00:00 (--start-time).
  int64_t startTime = 0;
};

// The parameter options as given, before they are laid over a base set:
// each row's value of settings/parameter_table.h in engine units (a switch's
// 1 or 0), and the whole records and style values apart.
struct ParameterOptions {
  std::optional<FavoriteRecord> record;
  std::optional<int32_t> preset;
  std::optional<double> values[kParameterCount];
  std::vector<int32_t> styleValues;

  const std::optional<double>& operator[](ParameterId id) const { return values[static_cast<int32_t>(id)]; }
  std::optional<double>& operator[](ParameterId id) { return values[static_cast<int32_t>(id)]; }
  bool Any() const;
};

// Lays the options over p: first the whole record of --record or --preset
// in place of p, when given, then the single options whatever their order.
// False, with a message in error, for --style-values that do not fit the
// configuration, or --no-reflections with --reflections or --symmetric.
bool LayParameterOptions(const ParameterOptions& given, ParameterSet& p, std::string& error);

// The tile size of --gallery unless --size gives another, and the largest
// tile it takes.
inline constexpr int32_t kGalleryTileWidth = 240;
inline constexpr int32_t kGalleryTileHeight = 180;
inline constexpr int32_t kGalleryMaxTileWidth = 640;
inline constexpr int32_t kGalleryMaxTileHeight = 480;

// Reads the arguments after the program name. False, with a one-line message
// in error, for an unknown option, a missing value, a value that is not a
// number or not one of the names, a value out of range, a bad size, options
// that exclude each other, or no output; options is then not to be used.
// With --help or --version nothing else is required.
bool ParseRenderOptions(const std::vector<std::string>& args, RenderOptions& options, std::string& error);

// The grains of a preset in a --gallery tile: its count scaled by the tile's
// share of a 640x480 picture, so that a tile is as dense as the preset on
// such a screen; at least 10.
int32_t GalleryGrains(int32_t grains, int32_t tileWidth, int32_t tileHeight);

// Where the saver draws: a window of its own, a full-screen window of its
// own, the root window, or a window that another program made.
enum class SaverTarget : int32_t { kOwnWindow, kFullScreen, kRoot, kWindowId };

inline constexpr int32_t kSaverWindowWidth = 800;
inline constexpr int32_t kSaverWindowHeight = 600;

struct SaverOptions {
  SaverTarget target = SaverTarget::kOwnWindow;
  uint64_t windowId = 0;  // with kWindowId
  int32_t width = kSaverWindowWidth;  // --geometry: the size of its own window
  int32_t height = kSaverWindowHeight;
  std::string favorite;  // --favorite: a stored favorite or a preset, by name
  // The show options of the renderer but --start-time, and their opposites
  // --no-random, --no-clock and --no-messages; --fps is --fps-text. Each
  // part not given keeps the stored setting.
  ShowOptions show;
  bool stats = false;  // a line of frame counts on standard error at the end
  bool listFavorites = false;
  // --settings: open the settings window (brindlemar-settings) instead.
  bool settings = false;
  // --monitors: the "Monitors" choice of a full-screen run, 0 the primary
  // monitor only, 1 each its own field, 2 one field across all of them;
  // the stored one when not given.
  std::optional<int32_t> monitors;
  bool help = false;
  bool version = false;
  ParameterOptions parameters;

  // Whether the options make the run's record (--favorite or parameters),
  // in place of the stored settings or the random favorites.
  bool GivesRecord() const { return !favorite.empty() || parameters.Any(); }
};

// Reads the saver's arguments after the program name; of several targets the
// last counts. False, with a one-line message in error, for what
// ParseRenderOptions refuses, a bad window number or geometry, two sources of a whole record,
// --random with options that give the record, or --min-time above
// --max-time.
bool ParseSaverOptions(const std::vector<std::string>& args, SaverOptions& options, std::string& error);

// The record of a saver run that options give: base (the stored settings, or
// the favorite of --favorite; the engine defaults when null) with the
// parameter options laid over it, named after the record it came from. The
// values in engine units go back to the record's slider positions, so they
// keep the settings' steps (0.001, and 0.2 for the viscosity).
bool SaverRunRecord(const SaverOptions& options, const std::optional<FavoriteRecord>& base, FavoriteRecord& record,
                    std::string& error);

// The record whose RecordParameters are p, named name.
FavoriteRecord RecordOfParameters(const ParameterSet& p, const std::string& name);

// The web page's settings as its link gives them (shell/page_link.h): the
// saver's options but those of where and how it runs on an X display, and of
// the renderer's, --seed, --size, --start-time, and --frames, which makes
// the page a still picture of that frame.
inline constexpr int32_t kMaxPageFrames = 100000;

struct PageOptions {
  SaverOptions saver;
  std::optional<int32_t> seed;
  std::optional<int32_t> width, height;
  std::optional<int32_t> frames;
  std::optional<int64_t> startTime;  // milliseconds since 1970
};

// Reads the page's options as ParseSaverOptions reads the saver's (long
// options only), refusing the saver's own with a message that says so.
bool ParsePageOptions(const std::vector<std::string>& args, PageOptions& options, std::string& error);

// Whether option ("--grains") is one of the parameter options.
bool IsParameterOption(std::string_view option);

// Whether two names of a choice are the same to the options: letters and
// digits only, in any case ("Large Dots", "large-dots", "LARGEDOTS").
bool SameChoiceName(std::string_view a, std::string_view b);

}  // namespace brindlemar
