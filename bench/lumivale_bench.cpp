// Speed and memory of the picture's hot paths, each beside its floor in the same run:
//   lumivale_bench [path/to/lumivale]
#include <cstdio>
// jpeglib.h needs FILE declared first.
#include <jpeglib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "assets/embedded_assets.h"
#include "bench/bench_process.h"
#include "bench/bench_timing.h"
#include "compose/earnings_renderer.h"
#include "compose/picture_memory.h"
#include "compose/png_picture.h"
#include "fonts/font_provisioning.h"
#include "output/bmp_file.h"
#include "output/convert_to_jpeg.h"
#include "output/save_picture.h"

namespace {

// Counts allocations of a megabyte or more, to see whether a render allocates picture-sized
// buffers again.
std::size_t largeAllocations = 0;
constexpr std::size_t kLargeAllocation = 1 << 20;

struct BenchContext {
  ProgramState state;
  std::shared_ptr<const FaceLibrary> faces;
  RenderSurfaces surfaces;
  ScreenInputs inputs;
  PictureBytes picture;  // as the window keeps its pictures
};

BenchContext MakeContext() {
  BenchContext context;
  context.faces = UseBuiltInFaces(context.state);
  context.inputs.Set("balance", "123456.78");
  context.inputs.Set("this-month", "8888.88");
  context.inputs.Set("last-month", "9999.99");
  context.inputs.Set("settled", "7654.32");
  context.inputs.Set("clicks", "1024");
  context.inputs.Set("payments", "256");
  context.inputs.Set("transaction", "4321.00");
  return context;
}

bool BenchRender(BenchContext& context) {
  // The surfaces are made with the window, which decodes both pictures; the first render
  // then opens the faces once.
  const double surfaces = MedianMilliseconds(1, [&] { context.surfaces = MakeRenderSurfaces(context.faces); });
  std::printf("surfaces made (pictures decoded)   %9.3f ms\n", surfaces);
  const double first = MedianMilliseconds(1, [&] {
    RenderEarningsScreen(context.state, context.surfaces, context.inputs, context.picture);
  });

  largeAllocations = 0;
  const std::size_t mappedBefore = picture_memory::LargeAllocationCount();
  const double render = MedianMilliseconds(41, [&] {
    RenderEarningsScreen(context.state, context.surfaces, context.inputs, context.picture);
  });
  const std::size_t allocationsDuringRenders =
      largeAllocations + (picture_memory::LargeAllocationCount() - mappedBefore);

  const Canvas& surface = context.surfaces.templateSurface;
  std::vector<unsigned char> rasterCopy(surface.raster.size());
  PictureBytes bmp;
  GetPictureInto(surface, bmp);
  const double floor = MedianMilliseconds(41, [&] {
    std::memcpy(rasterCopy.data(), surface.raster.data(), surface.raster.size());
    GetPictureInto(surface, bmp);
  });
  const bool fast = ReportRatio("render end to end", render, "raster memcpy + BMP", floor, 1.5);
  const double decode = MedianMilliseconds(5, [] {
    DecodePngToRgb(TemplatePictureData(), kButtonFaceColour);
    DecodePngToRgb(CurrencySignPictureData(), kButtonFaceColour);
  });
  const bool firstMet = first - render <= decode;
  std::printf("first render %.3f ms = later render %.3f ms + %.3f ms (one-time picture decode "
              "%.3f ms) %s\n",
              first, render, first - render, decode, firstMet ? "met" : "NOT MET");
  std::printf("picture-sized allocations in 41 later renders: %zu (goal 0) %s\n",
              allocationsDuringRenders, allocationsDuringRenders == 0 ? "met" : "NOT MET");
  return fast && firstMet && allocationsDuringRenders == 0;
}

// libjpeg straight from the raster, with the settings the program uses, to a file that is
// flushed to disk before it counts as written, as the program's own saves are.
void PlainJpeg(const Canvas& surface, const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) std::abort();
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = static_cast<JDIMENSION>(surface.settings.width);
  cinfo.image_height = static_cast<JDIMENSION>(surface.settings.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  cinfo.optimize_coding = TRUE;
  cinfo.smoothing_factor = 0;
  jpeg_set_quality(&cinfo, 100, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  const std::size_t stride = static_cast<std::size_t>(surface.settings.width) * 3;
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(surface.raster.data() + cinfo.next_scanline * stride);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::fflush(file);
  fsync(fileno(file));
  std::fclose(file);
}

bool BenchJpeg(BenchContext& context, const std::filesystem::path& folder) {
  RenderEarningsScreen(context.state, context.surfaces, context.inputs, context.picture);
  const std::string ours = (folder / "ours.jpg").string();
  const std::string plain = (folder / "plain.jpg").string();
  const auto [converted, floor] = InterleavedMedianMilliseconds(
      21,
      [&] {
        if (ConvertBmpBytesToJpeg(context.picture, ours) != kJpegWritten)
          std::abort();
      },
      [&] { PlainJpeg(context.surfaces.templateSurface, plain); });
  return ReportRatio("JPEG conversion of the picture", converted, "plain libjpeg to a synced file", floor,
                     1.15);
}

// The save button's file work end to end (temporary BMP written, converted, removed, the JPEG
// renamed into place), against writing the BMP, reading it back and a plain synced libjpeg
// file of the same picture.
bool BenchSave(BenchContext& context, const std::filesystem::path& folder) {
  RenderEarningsScreen(context.state, context.surfaces, context.inputs, context.picture);
  const std::string chosen = (folder / "saved").string();
  const std::string bmpPath = (folder / "floor.bmp").string();
  const std::string plain = (folder / "floor.jpg").string();
  const auto save = [&] {
    if (!SavePictureAsJpeg(context.picture, chosen).written) std::abort();
  };
  const auto [saved, floor] = InterleavedMedianMilliseconds(21, save, [&] {
    FILE* bmp = std::fopen(bmpPath.c_str(), "wb");
    if (!bmp || std::fwrite(context.picture.data(), 1, context.picture.size(), bmp) !=
                    context.picture.size())
      std::abort();
    std::fclose(bmp);
    if (!ReadWholeFile(bmpPath)) std::abort();
    PlainJpeg(context.surfaces.templateSurface, plain);
  });
  return ReportRatio("save: temp BMP, convert, rename", saved, "BMP write+read, plain synced JPEG",
                     floor, 1.15);
}

// Peak resident memory of one `lumivale render --out x.jpg`, as a whole process. Linux counts a
// child's peak from the memory it shared with its parent before exec, so this runs while the
// benchmark itself is still small; its own peak is printed beside the child's.
bool BenchCommandLineMemory(const std::string& program, const std::filesystem::path& folder) {
  rusage own{};
  getrusage(RUSAGE_SELF, &own);
  const ChildRun run = RunChild({program, "render", "--out", (folder / "cli.jpg").string()});
  const bool met = run.ok && run.peakMebibytes <= 40.0;
  std::printf("lumivale render --out x.jpg peak RSS  %9.1f MiB  (goal <= 40) %s  [benchmark "
              "itself then: %.1f MiB]\n",
              run.peakMebibytes, met ? "met" : "NOT MET", static_cast<double>(own.ru_maxrss) / 1024.0);
  return met;
}

}  // namespace

void* operator new(std::size_t size) {
  if (size >= kLargeAllocation) ++largeAllocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

int main(int argc, char** argv) {
  const std::string program = argc > 1 ? argv[1] : LUMIVALE_PROGRAM;
  std::error_code error;
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("lumivale-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);

  bool allMet = BenchCommandLineMemory(program, folder);
  BenchContext context = MakeContext();
  allMet = BenchRender(context) && allMet;
  allMet = BenchJpeg(context, folder) && allMet;
  allMet = BenchSave(context, folder) && allMet;

  std::filesystem::remove_all(folder, error);
  return allMet ? 0 : 1;
}
