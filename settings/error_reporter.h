// How a part of a program says what went wrong where no caller can answer
// it: the settings store's damaged file, a change that could not be saved,
// an unfinished change left out. Each program hands its stores one reporter
// that says it with the program's own name first; tests hand one that keeps
// the lines to look at.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace brindlemar {

class ErrorReporter {
 public:
  virtual ~ErrorReporter() = default;
  // One line, without the program's name and without a line end.
  virtual void Report(std::string_view line) = 0;
};

// Writes each line to standard error as "program: line".
class StandardErrorReporter final : public ErrorReporter {
 public:
  explicit StandardErrorReporter(std::string program) : program_(std::move(program)) {}
  void Report(std::string_view line) override;

 private:
  std::string program_;
};

}  // namespace brindlemar
