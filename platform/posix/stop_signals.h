// SIGTERM and SIGINT for a program that must end at any moment, installed
// first thing in main, before any settings work. Until the program says that
// it can stop cleanly (StopCleanlyFromNow), either signal ends the process at
// once by the signal's own default action: every settings change replaces
// the whole file in one rename, so nothing is left half-written, and the X
// server cleans up after a client that has gone. From then on the handler
// only records the signal and wakes a poll() through StopSignalFd; the run
// loop ends, releases its window and display, and EndBySignal ends the
// process by the same default action. Either way the parent sees the
// process ended by the signal, as a saver daemon expects of its programs.
//
// The handler is installed with SA_RESTART; the pipe is non-blocking and
// closed on exec. One set of signals per process.
#pragma once

namespace brindlemar::posix {

// False when the signals cannot be caught.
bool InstallStopSignals();
// Signals from now on are recorded instead of ending the process.
void StopCleanlyFromNow();
// Readable once a signal has been recorded.
int StopSignalFd();
// The signal recorded, or 0.
int StopSignal();
// Ends the process by the signal's default action; flushes the standard
// streams first.
[[noreturn]] void EndBySignal(int signal);

}  // namespace brindlemar::posix
