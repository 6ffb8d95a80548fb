// SIGTERM and SIGINT end the Linux saver as those signals end a program:
// at once before the run loop, after its clean-up once it runs. Each case
// runs in a child process of its own, which the signal really ends.
#include <gtest/gtest.h>

#if !defined(_WIN32)

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "platform/posix/stop_signals.h"

namespace brindlemar {
namespace {

// Exit codes of a child that was not ended by its signal.
constexpr int kSurvived = 3;
constexpr int kNotRecorded = 4;
constexpr int kNoInstall = 5;

// Runs body in a child and returns its wait status.
template <typename Body>
int InChild(Body body) {
  pid_t child = fork();
  if (child == 0) {
    body();
    _exit(kSurvived);
  }
  int status = 0;
  EXPECT_EQ(waitpid(child, &status, 0), child);
  return status;
}

TEST(StopSignals, EndTheProcessAsTheSignalDoes) {
  struct Case {
    const char* what;
    int signal;
    bool cleanStop;
  } const cases[] = {
      {"SIGTERM while starting", SIGTERM, false},
      {"SIGINT while starting", SIGINT, false},
      {"SIGTERM in the run loop", SIGTERM, true},
      {"SIGINT in the run loop", SIGINT, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int status = InChild([&c] {
      if (!posix::InstallStopSignals()) _exit(kNoInstall);
      if (c.cleanStop) posix::StopCleanlyFromNow();
      kill(getpid(), c.signal);
      if (!c.cleanStop) return;
      // Recorded and announced through the pipe, not yet the end.
      pollfd wake = {posix::StopSignalFd(), POLLIN, 0};
      if (posix::StopSignal() != c.signal || poll(&wake, 1, 0) != 1) _exit(kNotRecorded);
      posix::EndBySignal(posix::StopSignal());
    });
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit code " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    EXPECT_EQ(WTERMSIG(status), c.signal);
  }
}

}  // namespace
}  // namespace brindlemar

#endif  // !defined(_WIN32)
