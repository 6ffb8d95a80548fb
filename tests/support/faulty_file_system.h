// A file system for tests of the settings file: it counts the calls of each
// kind and fails the ones a test chooses with the errno it chooses, or ends
// the process at a chosen call as a kill would. Outside Windows only.
#pragma once

#include <unistd.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/file_system.h"

namespace brindlemar::testing {

class FaultyFileSystem : public posix::FileSystem {
 public:
  // Fails the next `times` calls of this kind (every one when times is
  // negative) whose path ends with pathEnd ("" for any path, and for the
  // calls on a descriptor).
  void Fail(posix::FileCall call, int error, int times = 1, std::string pathEnd = "") {
    rules_.push_back(Rule{call, error, times, std::move(pathEnd)});
  }
  // The process ends with _exit(exitCode) when the call'th call of any
  // kind (counted from 1) is about to be made.
  void EndAtCall(int call, int exitCode) {
    endAt_ = call;
    exitCode_ = exitCode;
  }
  int Calls(posix::FileCall call) const {
    auto it = calls_.find(call);
    return it == calls_.end() ? 0 : it->second;
  }
  int AllCalls() const { return all_; }

 protected:
  int Fault(posix::FileCall call, const char* path) override {
    ++calls_[call];
    if (++all_ == endAt_) _exit(exitCode_);
    std::string_view named = path ? path : "";
    for (Rule& rule : rules_) {
      if (rule.call != call || rule.times == 0 || !named.ends_with(rule.pathEnd)) continue;
      if (rule.times > 0) --rule.times;
      return rule.error;
    }
    return 0;
  }

 private:
  struct Rule {
    posix::FileCall call;
    int error;
    int times;
    std::string pathEnd;
  };
  std::vector<Rule> rules_;
  std::map<posix::FileCall, int> calls_;
  int all_ = 0;
  int endAt_ = -1;
  int exitCode_ = 0;
};

}  // namespace brindlemar::testing
