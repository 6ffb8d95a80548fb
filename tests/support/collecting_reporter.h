// A reporter that keeps the lines it is told, for tests to look at instead
// of standard error. Safe to share between threads.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "settings/error_reporter.h"

namespace brindlemar::testing {

class CollectingReporter final : public ErrorReporter {
 public:
  void Report(std::string_view line) override {
    std::lock_guard<std::mutex> hold(mutex_);
    lines_.emplace_back(line);
  }

  // Every line so far, each ended by "\n".
  std::string Text() const {
    std::lock_guard<std::mutex> hold(mutex_);
    std::string text;
    for (const std::string& line : lines_) text += line + "\n";
    return text;
  }

  // How many lines so far begin with start.
  size_t LinesStartingWith(std::string_view start) const {
    std::lock_guard<std::mutex> hold(mutex_);
    size_t n = 0;
    for (const std::string& line : lines_) n += line.starts_with(start) ? 1 : 0;
    return n;
  }

  void Clear() {
    std::lock_guard<std::mutex> hold(mutex_);
    lines_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

// For stores whose reports no test looks at: they go to standard error, as
// a program's would, under a name that says where they come from.
inline ErrorReporter& UnwatchedReporter() {
  static StandardErrorReporter reporter("store under test");
  return reporter;
}

}  // namespace brindlemar::testing
