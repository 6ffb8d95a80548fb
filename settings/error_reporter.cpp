#include "settings/error_reporter.h"

#include <cstdio>

namespace brindlemar {

void StandardErrorReporter::Report(std::string_view line) {
  // One write per line, so that lines of processes sharing the stream do
  // not interleave within a line.
  std::string text = program_ + ": ";
  text.append(line);
  text += '\n';
  std::fwrite(text.data(), 1, text.size(), stderr);
}

}  // namespace brindlemar
