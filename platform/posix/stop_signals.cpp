#include "platform/posix/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

namespace brindlemar::posix {
namespace {

constexpr int kStopSignals[] = {SIGTERM, SIGINT};

int wakePipe[2] = {-1, -1};
volatile std::sig_atomic_t stoppingCleanly = 0;
volatile std::sig_atomic_t caught = 0;

void RestoreDefault(int signal) {
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
}

// Only async-signal-safe calls here.
void OnStopSignal(int signal) {
  if (!stoppingCleanly) {
    // The signal is blocked while its handler runs: raised again, it ends
    // the process by its default action as soon as the handler returns.
    RestoreDefault(signal);
    raise(signal);
    return;
  }
  caught = signal;
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] ssize_t written = write(wakePipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

bool InstallStopSignals() {
  if (wakePipe[0] < 0 && pipe2(wakePipe, O_NONBLOCK | O_CLOEXEC) != 0) return false;
  struct sigaction action = {};
  action.sa_handler = OnStopSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (int signal : kStopSignals) sigaddset(&action.sa_mask, signal);
  for (int signal : kStopSignals) {
    if (sigaction(signal, &action, nullptr) != 0) return false;
  }
  return true;
}

void StopCleanlyFromNow() { stoppingCleanly = 1; }

int StopSignalFd() { return wakePipe[0]; }

int StopSignal() { return caught; }

void EndBySignal(int signal) {
  std::fflush(nullptr);
  RestoreDefault(signal);
  sigset_t unblocked;
  sigemptyset(&unblocked);
  sigaddset(&unblocked, signal);
  sigprocmask(SIG_UNBLOCK, &unblocked, nullptr);
  raise(signal);
  // Only a signal whose default is to be ignored gets here.
  _exit(128 + signal);
}

}  // namespace brindlemar::posix
