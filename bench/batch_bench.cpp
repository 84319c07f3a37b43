// Speed and memory of `lumivale batch` and of one `lumivale render`, each beside its floor in
// the same run, for a table of varied rows (the values bench/pillow_render.py draws too):
//   lumivale_batch_bench [path/to/lumivale] [rows]
// The floors: composing and encoding the same rasters to files in this process; a
// straightforward Python/Pillow loop (bench/pillow_render.py). The pictures go to a folder
// under the system's temporary folder. Exits non-zero when a goal is not met.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "bench/bench_process.h"
#include "bench/bench_timing.h"
#include "compose/earnings_renderer.h"
#include "compose/gbk_text.h"
#include "fonts/font_provisioning.h"
#include "output/picture_file.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// Row i's values, as bench/pillow_render.py makes them.
std::vector<std::string> RowValues(int i) {
  static const char* const kWords[] = {"上午", "下午", "早上", "中午", "晚上"};
  char text[9][32];
  std::snprintf(text[0], sizeof text[0], "%02d:%02d", i % 24, i * 7 % 60);
  std::snprintf(text[1], sizeof text[1], "%s", kWords[i % 5]);
  std::snprintf(text[2], sizeof text[2], "%d.%02d", i * 37 % 100000, i % 100);
  std::snprintf(text[3], sizeof text[3], "%d.%02d", i * 11 % 9000, i * 3 % 100);
  std::snprintf(text[4], sizeof text[4], "%d.%02d", i * 13 % 9000, i * 7 % 100);
  std::snprintf(text[5], sizeof text[5], "%d.%02d", i * 17 % 50000, i * 9 % 100);
  std::snprintf(text[6], sizeof text[6], "%d", i * 31 % 10000);
  std::snprintf(text[7], sizeof text[7], "%d", i * 3 % 500);
  std::snprintf(text[8], sizeof text[8], "%d.%02d", i * 19 % 8000, i * 5 % 100);
  return {std::begin(text), std::end(text)};
}

void WriteTable(const fs::path& path, int rows) {
  std::ofstream table(path);
  table << "clock,word,balance,this-month,last-month,settled,clicks,payments,transaction\n";
  for (int i = 1; i <= rows; ++i) {
    const std::vector<std::string> values = RowValues(i);
    for (std::size_t f = 0; f < values.size(); ++f) table << (f ? "," : "") << values[f];
    table << "\n";
  }
}

bool Report(const char* what, double value, const char* unit, const char* floorName, double floor,
            const char* goalText, bool met) {
  std::printf("%-40s %10.2f %-6s  %-40s %10.2f %-6s  %s %s\n", what, value, unit, floorName, floor,
              unit, goalText, met ? "met" : "NOT MET");
  return met;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string program = argc > 1 ? argv[1] : LUMIVALE_PROGRAM;
  const int rows = argc > 2 ? std::atoi(argv[2]) : 1000;
  const std::string pillow = std::string(LUMIVALE_SOURCE_DIR) + "/bench/pillow_render.py";
  const fs::path folder = fs::temp_directory_path() / ("lumivale-batch-bench-" + std::to_string(getpid()));
  fs::create_directories(folder);
  const fs::path table = folder / "table.csv";
  WriteTable(table, rows);
  bool allMet = true;

  // The floor: the same rows composed and encoded to files here, one after the other.
  double floorMilliseconds = 0;
  {
    ProgramState state;
    RenderSurfaces surfaces = MakeRenderSurfaces(UseBuiltInFaces(state));
    fs::create_directories(folder / "floor");
    const auto start = Clock::now();
    for (int i = 1; i <= rows; ++i) {
      const std::vector<std::string> values = RowValues(i);
      ScreenInputs typed;
      for (std::size_t f = 0; f < values.size(); ++f) typed.Set(f, Utf8ToGbk(values[f]));
      ComposeEarningsScreen(state, surfaces, NormaliseScreenInputs(typed));
      std::error_code error;
      const Canvas& picture = surfaces.templateSurface;
      if (!WritePictureFile(picture.raster, 1080, 1920, PictureFormat::kJpeg,
                            (folder / "floor" / (std::to_string(i) + ".jpg")).string(), error,
                            Durability::kBatched))
        return 1;
    }
    floorMilliseconds = std::chrono::duration<double, std::milli>(Clock::now() - start).count() / rows;
  }

  const auto batch = [&](int jobs) {
    const fs::path out = folder / ("j" + std::to_string(jobs));
    return RunChild({program, "batch", table.string(), "--out-dir", out.string(), "-j",
                       std::to_string(jobs), "--progress", "none"});
  };
  const ChildRun one = batch(1);
  const ChildRun two = batch(2);
  const ChildRun loop = RunChild({"/usr/bin/python3", pillow, (folder / "pillow").string(), std::to_string(rows)});
  if (!one.ok || !two.ok || !loop.ok) {
    std::printf("a run failed: batch -j 1 %s, -j 2 %s, Pillow %s\n", one.ok ? "ok" : "failed",
                two.ok ? "ok" : "failed", loop.ok ? "ok" : "failed");
    return 1;
  }
  const double perPictureOne = one.seconds * 1000 / rows;
  const double rateOne = rows / one.seconds, rateTwo = rows / two.seconds, rateLoop = rows / loop.seconds;
  std::printf("%d rows, JPEG, %u CPUs\n", rows, std::thread::hardware_concurrency());
  allMet &= Report("batch -j 1: per picture", perPictureOne, "ms", "compose + JPEG to a file",
                   floorMilliseconds, "goal ratio <= 1.15",
                   perPictureOne <= 1.15 * floorMilliseconds);
  allMet &= Report("batch -j 2: pictures a second", rateTwo, "/s", "batch -j 1", rateOne,
                   "goal ratio >= 1.8", rateTwo >= 1.8 * rateOne);
  const double best = std::max(rateOne, rateTwo);
  allMet &= Report("batch (best of -j 1, -j 2): pictures a second", best, "/s",
                   "Python/Pillow loop", rateLoop, "goal ratio >= 2", best >= 2 * rateLoop);
  allMet &= Report("batch -j 1: peak memory", one.peakMebibytes, "MiB", "goal 40 + 16", 56.0,
                   "goal <=", one.peakMebibytes <= 56.0);
  allMet &= Report("batch -j 2: peak memory", two.peakMebibytes, "MiB", "goal 40 + 2 x 16", 72.0,
                   "goal <=", two.peakMebibytes <= 72.0);

  // One picture: the one-shot command against the Pillow script drawing one, in turn.
  const auto [render, single] = InterleavedMedianMilliseconds(
      11,
      [&] {
        if (!RunChild({program, "render", "--out", (folder / "one.jpg").string()}).ok) std::abort();
      },
      [&] {
        if (!RunChild({"/usr/bin/python3", pillow, (folder / "single").string(), "1"}).ok)
          std::abort();
      });
  allMet &= Report("lumivale render --out x.jpg", render, "ms", "Pillow script, one picture", single,
                   "goal ratio <= 0.5", render <= 0.5 * single);

  std::error_code ignored;
  fs::remove_all(folder, ignored);
  return allMet ? 0 : 1;
}
