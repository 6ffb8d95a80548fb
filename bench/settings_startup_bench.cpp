// Start-up cost of the settings with many favorites: what a new saver
// process does with its settings file before its first frame (a store of its
// own, the field's start-up load with the presets check and the count of the
// favorites, then the first random favorite), for 51, 1,000 and 10,000
// favorites. The file is written as text, so this benchmark also builds
// against older stores for comparison.
#include <benchmark/benchmark.h>

#if !defined(_WIN32)

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "engine/clock.h"
#include "engine/particle_field.h"
#include "platform/posix/file_store.h"
#include "settings/load_parameters.h"
#include "settings/presets.h"

namespace brindlemar {
namespace {

// A settings file as the program writes it, with `count` favorites: the
// presets over and over under numbered names.
std::filesystem::path SettingsWithFavorites(int64_t count) {
  std::random_device random;
  std::filesystem::path dir = std::filesystem::temp_directory_path() /
                              ("brindlemar-startup-bench-" + std::to_string(count) + "-" + std::to_string(random()));
  std::filesystem::create_directories(dir);
  std::string text =
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n\r\n[HKEY_CURRENT_USER\\Software\\Tessaloom]\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar]\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Config]\r\n"
      "\"DirectDraw\"=dword:00000000\r\n\"ScreenResX\"=dword:00000280\r\n\"ScreenResY\"=dword:000001e0\r\n"
      "\"ScreenResBits\"=dword:00000018\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Favorites]\r\n";
  for (int64_t k = 0; k < count; ++k) {
    char name[32];
    std::snprintf(name, sizeof name, "Fav%03lld", static_cast<long long>(k));
    std::string record = FastPreset(static_cast<int32_t>(k % kPresetCount));
    record.insert(record.find(','), " " + std::to_string(k));
    text += "\"" + std::string(name) + "\"=\"" + record + "\"\r\n";
  }
  std::ofstream(dir / posix::kSettingsFileName, std::ios::binary) << text << "\r\n";
  return dir;
}

void BM_SettingsStartup(benchmark::State& state) {
  const std::filesystem::path dir = SettingsWithFavorites(state.range(0));
  StandardErrorReporter reporter("brindlemar_bench");
  for (auto _ : state) {
    posix::FileStore store(dir.string(), reporter);
    ParticleField field(store, SystemClock());
    LoadParameters(field, store, true);
    benchmark::DoNotOptimize(field.favoriteCount);
    if (field.favoriteCount != state.range(0)) state.SkipWithError("favorites not counted");
  }
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
}
BENCHMARK(BM_SettingsStartup)->Arg(51)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brindlemar

#endif  // !defined(_WIN32)
