// The saver's command line: which of the four modes the display settings ask
// for, and the window number a preview draws into. The switch is the first
// word after the program's name; letters compare without regard to case.
//
// Plain text in, a plain result out: the entry point acts on it.
#pragma once

#include <cstdint>
#include <string_view>

namespace brindlemar {

enum class SaverMode : int32_t { kFullScreen, kPreview, kChangePassword, kConfigure };

struct CommandLine {
  SaverMode mode = SaverMode::kConfigure;
  // The preview's parent window, as the number the command line gave.
  int64_t previewWindow = 0;
  // A preview switch without a usable window number: exit with code 0 at once.
  bool exitNow = false;
};

// Parses the full process command line, program name included.
CommandLine ParseCommandLine(std::string_view commandLine);

}  // namespace brindlemar
