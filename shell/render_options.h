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
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/favorite_record.h"

namespace brindlemar {

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
  ParameterSet parameters;
  std::string recordName;  // the name of --record or --preset; empty without one
};

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
// With --help nothing else is required.
bool ParseRenderOptions(const std::vector<std::string>& args, RenderOptions& options, std::string& error);

// The grains of a preset in a --gallery tile: its count scaled by the tile's
// share of a 640x480 picture, so that a tile is as dense as the preset on
// such a screen; at least 10.
int32_t GalleryGrains(int32_t grains, int32_t tileWidth, int32_t tileHeight);

// The text of --help.
std::string RenderUsage(const std::string& program);

}  // namespace brindlemar
