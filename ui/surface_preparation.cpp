#include "ui/surface_preparation.h"

PreparedSurfaces PrepareSurfaces(const ScreenDescription& screen) {
  PreparedSurfaces prepared;
  prepared.surfaces = MakeRenderSurfaces(nullptr, DecodeScreenPictures(screen), screen);
  // The template drawn bare and written out once: the raster and the picture buffer are then
  // memory the first real render only overwrites.
  Clear(prepared.surfaces.templateSurface);
  GetPictureInto(prepared.surfaces.templateSurface, prepared.pictureBuffer);
  return prepared;
}

std::future<PreparedSurfaces> PrepareSurfacesMeanwhile(const ScreenDescription& screen) {
  // With both policies libstdc++ starts a thread, and falls back to running the work on the
  // first wait when it cannot.
  return std::async(std::launch::async | std::launch::deferred, PrepareSurfaces, std::cref(screen));
}
