#include "compose/area_scaling.h"

#include <algorithm>

namespace {

// Weights are fixed-point with 16 fractional bits and each target pixel's weights sum to one,
// so a channel's weighted sum stays below 255 << 16 and fits in 32 bits.
constexpr std::uint32_t kOne = 1u << 16;

struct Span {
  int first = 0;                       // the first source index the target index covers
  std::vector<std::uint32_t> weights;  // for first, first + 1, ...; they sum to kOne
};

// For each of `target` indices, the source indices it covers and how much of each.
std::vector<Span> Spans(int source, int target) {
  std::vector<Span> spans(static_cast<std::size_t>(target));
  for (int t = 0; t < target; ++t) {
    // [t, t + 1) in target units is [t * source, (t + 1) * source) in units of 1/target.
    const std::int64_t begin = std::int64_t{t} * source, end = begin + source;
    Span& span = spans[static_cast<std::size_t>(t)];
    span.first = static_cast<int>(begin / target);
    std::uint32_t given = 0;
    for (std::int64_t s = span.first; s * target < end && s < source; ++s) {
      const std::int64_t covered = std::min(end, (s + 1) * target) - std::max(begin, s * target);
      const auto weight = static_cast<std::uint32_t>(covered * kOne / source);
      span.weights.push_back(weight);
      given += weight;
    }
    span.weights.back() += kOne - given;  // what rounding left goes to the last one
  }
  return spans;
}

}  // namespace

std::vector<std::uint32_t> AreaScaled(const RasterView& source, int width, int height) {
  if (source.topRow == nullptr || source.width <= 0 || source.height <= 0 || width <= 0 ||
      height <= 0)
    return {};
  const std::vector<Span> columns = Spans(source.width, width);
  const std::vector<Span> rows = Spans(source.height, height);
  const int red = source.bgr ? 2 : 0, blue = source.bgr ? 0 : 2;
  std::vector<std::uint32_t> out(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  std::vector<std::uint32_t> rowSums(static_cast<std::size_t>(source.width) * 3);
  for (int y = 0; y < height; ++y) {
    const Span& rowSpan = rows[static_cast<std::size_t>(y)];
    std::fill(rowSums.begin(), rowSums.end(), 0u);
    for (std::size_t k = 0; k < rowSpan.weights.size(); ++k) {
      const std::uint32_t weight = rowSpan.weights[k];
      const unsigned char* in = source.topRow + (rowSpan.first + static_cast<std::ptrdiff_t>(k)) * source.rowStep;
      for (std::size_t i = 0; i < rowSums.size(); ++i) rowSums[i] += in[i] * weight;
    }
    std::uint32_t* target = out.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    for (int x = 0; x < width; ++x) {
      const Span& columnSpan = columns[static_cast<std::size_t>(x)];
      std::uint64_t sum[3] = {0, 0, 0};
      for (std::size_t k = 0; k < columnSpan.weights.size(); ++k) {
        const std::uint32_t* pixel = rowSums.data() + (columnSpan.first + k) * 3;
        for (int c = 0; c < 3; ++c) sum[c] += std::uint64_t{pixel[c]} * columnSpan.weights[k];
      }
      // Back from two factors of kOne to 0..255, rounded to the nearest.
      const auto channel = [&](int c) {
        return static_cast<std::uint32_t>((sum[c] + (std::uint64_t{1} << 31)) >> 32);
      };
      target[x] = 0xFF000000u | channel(red) << 16 | channel(1) << 8 | channel(blue);
    }
  }
  return out;
}
