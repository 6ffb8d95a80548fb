// A test program for the reliability of the settings file under many
// processes, for scripts/settings_reliability.sh.
//
//   brindlemar-settings-stress values DIR PREFIX N
//     sets the Config DWORDs PREFIX0 .. PREFIX<N-1> to their numbers, one
//     change each.
//   brindlemar-settings-stress check DIR PREFIX N
//     counts those of them that are missing or wrong.
//   brindlemar-settings-stress rewrites DIR ROUNDS COUNT
//     rewrites the favorites ROUNDS times with COUNT favorites of the user's
//     own, as the favorites dialog does, and reads each rewrite back through
//     a store of its own: counts the user's favorites lost and the ones that
//     appeared among them.
//   brindlemar-settings-stress favorites DIR COUNT
//     writes COUNT favorites (the presets over and over, numbered).
//   brindlemar-settings-stress signal-after SIGNAL US PROGRAM ARGS...
//     starts the program (its output thrown away), sends it the signal (a
//     number) US microseconds later and prints how long it took to end after
//     the signal, in milliseconds, and how it ended; or that it ended before.
//
// Prints one line; exits with 0 when nothing was lost, 1 otherwise and 2 on
// a usage error.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/file_store.h"
#include "settings/favorite_list.h"
#include "settings/favorite_record.h"
#include "settings/presets.h"
#include "settings/error_reporter.h"
#include "settings/settings_store.h"

namespace {

brindlemar::ErrorReporter& Reporter() {
  static brindlemar::StandardErrorReporter reporter("brindlemar-settings-stress");
  return reporter;
}

using namespace brindlemar;
using Clock = std::chrono::steady_clock;

std::string FavoriteName(int32_t k) {
  char name[32];
  std::snprintf(name, sizeof name, "Fav%03d", k);
  return name;
}

int Values(const std::string& dir, const std::string& prefix, int n) {
  posix::FileStore store(dir, Reporter());
  int failed = store.CreateKey(kConfigKey, nullptr) ? 0 : 1;
  for (int k = 0; k < n; ++k) failed += WriteDword(store, kConfigKey, prefix + std::to_string(k), k) ? 0 : 1;
  std::printf("values %s: %d written, %d failed\n", prefix.c_str(), n, failed);
  return failed == 0 ? 0 : 1;
}

int Check(const std::string& dir, const std::string& prefix, int n) {
  posix::FileStore store(dir, Reporter());
  int lost = 0;
  for (int k = 0; k < n; ++k) {
    int32_t value = -1;
    if (!ReadDword(store, kConfigKey, prefix + std::to_string(k), value) || value != k) ++lost;
  }
  std::printf("check %s: %d of %d lost\n", prefix.c_str(), lost, n);
  return lost == 0 ? 0 : 1;
}

FavoriteList Numbered(int32_t count, const std::string& tag) {
  FavoriteList list(count + 2);
  for (int32_t k = 0; k < count; ++k) {
    FavoriteRecord record = ParseRecord(FastPreset(k % kPresetCount));
    record.name = tag + " " + std::to_string(k);
    list.entries[static_cast<size_t>(k)] = record;
  }
  list.favoriteCount = count;
  return list;
}

int Rewrites(const std::string& dir, int rounds, int32_t count) {
  posix::FileStore store(dir, Reporter());
  InstallPresets(store);
  int lost = 0, extra = 0, failed = 0;
  for (int round = 0; round < rounds; ++round) {
    std::string tag = "Mine " + std::to_string(round);
    if (RewriteFavorites(store, Numbered(count, tag)) != 1) ++failed;
    posix::FileStore reader(dir, Reporter());
    for (int32_t k = 0;; ++k) {
      std::string record;
      if (!ReadString(reader, kFavoritesKey, FavoriteName(k), 512, record)) {
        lost += std::max(0, count - k);
        break;
      }
      if (k >= count) {
        ++extra;
      } else if (ParseRecord(record).name != tag + " " + std::to_string(k)) {
        ++lost;
      }
    }
  }
  std::printf("rewrites: %d rounds of %d favorites, %d lost, %d appeared among them, %d failed\n", rounds, count,
              lost, extra, failed);
  return lost + extra + failed == 0 ? 0 : 1;
}

int Favorites(const std::string& dir, int32_t count) {
  posix::FileStore store(dir, Reporter());
  InstallPresets(store);
  bool ok = RewriteFavorites(store, Numbered(count, "Favorite")) == 1;
  std::printf("favorites: %d written%s\n", count, ok ? "" : " FAILED");
  return ok ? 0 : 1;
}

int SignalAfter(int signal, int us, char** command) {
  Clock::time_point started = Clock::now();
  pid_t child = fork();
  if (child == 0) {
    int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, 1);
    dup2(devNull, 2);
    execv(command[0], command);
    _exit(127);
  }
  std::this_thread::sleep_until(started + std::chrono::microseconds(us));
  int status = 0;
  if (waitpid(child, &status, WNOHANG) == child) {
    std::printf("ended before the signal, status %d\n", status);
    return 1;
  }
  Clock::time_point sent = Clock::now();
  kill(child, signal);
  waitpid(child, &status, 0);
  double took = std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
  std::printf("%.1f ms %s %d\n", took, WIFSIGNALED(status) ? "signal" : "exit",
              WIFSIGNALED(status) ? WTERMSIG(status) : WEXITSTATUS(status));
  return WIFSIGNALED(status) && WTERMSIG(status) == signal ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 4 && args[0] == "values") return Values(args[1], args[2], std::atoi(args[3].c_str()));
  if (args.size() == 4 && args[0] == "check") return Check(args[1], args[2], std::atoi(args[3].c_str()));
  if (args.size() == 4 && args[0] == "rewrites") {
    return Rewrites(args[1], std::atoi(args[2].c_str()), std::atoi(args[3].c_str()));
  }
  if (args.size() == 3 && args[0] == "favorites") return Favorites(args[1], std::atoi(args[2].c_str()));
  if (args.size() >= 4 && args[0] == "signal-after") {
    return SignalAfter(std::atoi(args[1].c_str()), std::atoi(args[2].c_str()), argv + 4);
  }
  std::fprintf(stderr,
               "usage: brindlemar-settings-stress values|check DIR PREFIX N | rewrites DIR ROUNDS COUNT |"
               " favorites DIR COUNT | signal-after SIGNAL US PROGRAM ARGS...\n");
  return 2;
}
