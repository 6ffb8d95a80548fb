// Where the programs of an installation find each other and their files:
// by paths relative to the running program's own directory (read from
// /proc/self/exe), so that an installation under any prefix, and the build
// tree itself, work without configuration.
#pragma once

#include <string>
#include <vector>

namespace brindlemar::posix {

// The directory of the running program; empty when it cannot be read.
std::string OwnProgramDirectory();

// The first of the paths (relative to the running program's directory, or
// absolute) that names an executable regular file; empty when none does.
std::string FindProgramBeside(const std::vector<std::string>& paths);
// The same for a directory.
std::string FindDirectoryBeside(const std::vector<std::string>& paths);

}  // namespace brindlemar::posix
