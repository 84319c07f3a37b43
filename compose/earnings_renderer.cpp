// Placeholder until the renderer lands: a plain white 1080 x 1920 BMP.
#include "earnings_renderer.h"

#include <cstring>

RenderSurfaces MakeRenderSurfaces() { return {}; }

std::string RenderEarningsScreen(ProgramState&, RenderSurfaces&, const ScreenInputs& inputs,
                                 std::vector<unsigned char>& picture) {
  const std::uint32_t width = 1080, height = 1920, rowSize = 3240, imageSize = rowSize * height;
  picture.assign(54 + imageSize, 0xFF);
  unsigned char* h = picture.data();
  auto put32 = [&](int at, std::uint32_t v) { std::memcpy(h + at, &v, 4); };
  auto put16 = [&](int at, std::uint16_t v) { std::memcpy(h + at, &v, 2); };
  h[0] = 'B'; h[1] = 'M';
  put32(2, 54 + imageSize); put32(6, 0); put32(10, 54); put32(14, 40); put32(18, width);
  put32(22, height); put16(26, 1); put16(28, 24); put32(30, 0); put32(34, imageSize);
  put32(38, 0); put32(42, 0); put32(46, 0); put32(50, 0);
  return inputs.clock;
}
