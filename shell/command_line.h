// The saver's command line: which of the four modes the display settings ask
// for, the window number a preview draws into, and the window that asks for
// the configuration. The switch is the first
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
  // The window that asks for the configuration, as "/c:N" (or "/c N") gives
  // its number; 0 when none is given.
  int64_t ownerWindow = 0;
};

// Parses the full process command line, program name included.
CommandLine ParseCommandLine(std::string_view commandLine);

}  // namespace brindlemar
