// brindlemar-manual: writes the manual pages of the programs from the same
// descriptions that their --help prints (shell/program_help.h), so that a
// page cannot drift from the program. A build tool, not installed.
//   brindlemar-manual OUTDIR DATE
// writes OUTDIR/brindlemar.6, brindlemar-settings.1 and brindlemar-render.1.
#include <cstdio>
#include <fstream>
#include <string>

#include "shell/program_help.h"

int main(int argc, char** argv) {
  using namespace brindlemar;
  if (argc != 3) {
    std::fprintf(stderr, "Usage: brindlemar-manual OUTDIR DATE\n");
    return 2;
  }
  const std::string outDir = argv[1];
  for (Program program : {Program::kSaver, Program::kSettings, Program::kRender}) {
    const ProgramHelp help = HelpOf(program);
    const std::string path = outDir + "/" + help.name + "." + std::to_string(help.manualSection);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << ManualPage(help, argv[2]);
    if (!out.flush()) {
      std::fprintf(stderr, "brindlemar-manual: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
