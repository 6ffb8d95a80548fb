// The command line of the programs that run a field without the saver's
// dialogs: the picture size, frame count, simulated frame rate and seed, the
// outputs, and every animation parameter as an option named after its control
// in the configuration dialog, or a whole parameter record.
//
// Parameters start from the engine defaults, or from --record when given; the
// other parameter options are laid over them whatever their order. Values are
// in the engine's units (--activity 3.62, not the slider's 3620).
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
  bool progress = false;
  bool help = false;
  ParameterSet parameters;
  std::string recordName;  // the name of --record; empty without one
};

// Reads the arguments after the program name. False, with a one-line message
// in error, for an unknown option, a missing value, a value that is not a
// number or not one of the names, a value out of range, a bad size, or no
// output; options is then not to be used. With --help nothing else is
// required.
bool ParseRenderOptions(const std::vector<std::string>& args, RenderOptions& options, std::string& error);

// The text of --help.
std::string RenderUsage(const std::string& program);

}  // namespace brindlemar
