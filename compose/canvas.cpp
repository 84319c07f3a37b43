#include "compose/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "compose/bmp_layout.h"
#include "compose/canvas_font.h"
#include "compose/font_cache.h"
#include "compose/gbk_scan.h"
#include "compose/gbk_text.h"
#include "compose/png_picture.h"

namespace {

Colour EffectiveBackground(Colour colour) {
  return colour == kSystemColourMarker ? kButtonFaceColour : colour;
}

bool HasRaster(const Canvas& canvas) { return !canvas.raster.empty(); }

std::size_t PixelOffset(const Canvas& canvas, std::int32_t x, std::int32_t y) {
  return (static_cast<std::size_t>(y) * static_cast<std::size_t>(canvas.settings.width) +
          static_cast<std::size_t>(x)) * 3;
}

// The lines of a text, cut at CR, LF and CRLF. The scan steps over two-byte GBK characters, so
// a byte that belongs to one never breaks a line.
template <typename LineFunction>
void ForEachLine(std::string_view text, LineFunction&& onLine) {
  std::size_t start = 0, i = 0;
  while (i < text.size()) {
    const char byte = text[i];
    if (byte == '\r' || byte == '\n') {
      onLine(text.substr(start, i - start));
      i += (byte == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      i += GbkCharacterLength(text, i);
    }
  }
  onLine(text.substr(start));
}

std::int32_t LineWidth(const CanvasFont& font, const std::u32string& characters) {
  std::int64_t width = 0;
  for (char32_t c : characters) width += font.Measure(c).advance;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(width, INT32_MIN, INT32_MAX));
}

void FillRect(Canvas& canvas, std::int64_t x, std::int64_t y, std::int64_t width,
              std::int64_t height, Colour colour) {
  const std::int64_t left = std::max<std::int64_t>(x, 0);
  const std::int64_t top = std::max<std::int64_t>(y, 0);
  const std::int64_t right = std::min<std::int64_t>(x + width, canvas.settings.width);
  const std::int64_t bottom = std::min<std::int64_t>(y + height, canvas.settings.height);
  if (left >= right || top >= bottom) return;
  const unsigned char rgb[3] = {static_cast<unsigned char>(RedOf(colour)),
                                static_cast<unsigned char>(GreenOf(colour)),
                                static_cast<unsigned char>(BlueOf(colour))};
  for (std::int64_t row = top; row < bottom; ++row) {
    unsigned char* out = canvas.raster.data() + PixelOffset(canvas, std::int32_t(left), std::int32_t(row));
    for (std::int64_t col = left; col < right; ++col, out += 3) std::memcpy(out, rgb, 3);
  }
}

// bg + (fg - bg) x coverage / 255, rounded to the nearest whole number.
unsigned char Blend(unsigned bg, unsigned fg, unsigned coverage) {
  const int d = (static_cast<int>(fg) - static_cast<int>(bg)) * static_cast<int>(coverage);
  return static_cast<unsigned char>(static_cast<int>(bg) + (d >= 0 ? d + 127 : d - 127) / 255);
}

void BlendGlyph(Canvas& canvas, std::int64_t x, std::int64_t y, const GlyphImage& glyph,
                Colour colour) {
  const std::int64_t left = std::max<std::int64_t>(x, 0);
  const std::int64_t top = std::max<std::int64_t>(y, 0);
  const std::int64_t right = std::min<std::int64_t>(x + glyph.width, canvas.settings.width);
  const std::int64_t bottom = std::min<std::int64_t>(y + glyph.rows, canvas.settings.height);
  if (left >= right || top >= bottom) return;
  const unsigned red = RedOf(colour), green = GreenOf(colour), blue = BlueOf(colour);
  for (std::int64_t row = top; row < bottom; ++row) {
    const unsigned char* coverage =
        glyph.coverage.data() + (row - y) * glyph.width + (left - x);
    unsigned char* out = canvas.raster.data() + PixelOffset(canvas, std::int32_t(left), std::int32_t(row));
    for (std::int64_t col = left; col < right; ++col, ++coverage, out += 3) {
      const unsigned a = *coverage;
      if (a == 0) continue;
      if (a == 255) {
        out[0] = static_cast<unsigned char>(red);
        out[1] = static_cast<unsigned char>(green);
        out[2] = static_cast<unsigned char>(blue);
      } else {
        out[0] = Blend(out[0], red, a);
        out[1] = Blend(out[1], green, a);
        out[2] = Blend(out[2], blue, a);
      }
    }
  }
}

void DrawLine(Canvas& canvas, const CanvasFont& font, std::int64_t x, std::int64_t y,
              const std::u32string& characters) {
  const Colour colour = canvas.textColour;
  if (!font.Rotated()) {
    const std::int32_t width = LineWidth(font, characters);
    if (canvas.settings.textBackground != kSystemColourMarker)
      FillRect(canvas, x, y, width, font.CellHeight(), canvas.settings.textBackground);
    const std::int64_t baseline = y + font.Ascent();
    std::int64_t pen = x;
    for (char32_t c : characters) {
      const GlyphImage& glyph = font.Render(c);
      BlendGlyph(canvas, pen + glyph.left, baseline - glyph.top, glyph, colour);
      pen += glyph.advance;
    }
    const auto drawLine = [&](DecorationLine line) {
      FillRect(canvas, x, baseline + line.offset, width, line.thickness, colour);
    };
    if (font.Description().underline) drawLine(font.Underline());
    if (font.Description().strikeout) drawLine(font.Strikeout());
    return;
  }
  // Rotated text: the baseline starts one ascent "below" the corner in the text's own
  // direction, and the pen moves along that direction.
  const double c = std::cos(font.AngleRadians()), s = std::sin(font.AngleRadians());
  double penX = static_cast<double>(x) + font.Ascent() * s;
  double penY = static_cast<double>(y) + font.Ascent() * c;
  for (char32_t character : characters) {
    const GlyphImage& glyph = font.Render(character);
    const std::int64_t gx = std::llround(penX), gy = std::llround(penY);
    BlendGlyph(canvas, gx + glyph.left, gy - glyph.top, glyph, colour);
    penX += glyph.advance * c;
    penY -= glyph.advance * s;
  }
}

void DecodeBackground(Canvas& canvas) {
  canvas.backgroundDecoded = true;
  canvas.background = DecodeBackgroundPicture(canvas.settings);
}

}  // namespace

std::shared_ptr<const RgbPicture> DecodeBackgroundPicture(const CanvasSettings& settings) {
  if (settings.decodedBackground) return settings.decodedBackground;
  auto picture = DecodePngToRgb(settings.backgroundPng, EffectiveBackground(settings.backgroundColour));
  if (!picture) return nullptr;
  return std::make_shared<const RgbPicture>(std::move(*picture));
}

Canvas MakeCanvas(const CanvasSettings& settings, std::shared_ptr<FontCache> fonts) {
  Canvas canvas;
  canvas.settings = settings;
  canvas.fonts = std::move(fonts);
  canvas.settings.width = std::max(settings.width, 0);
  canvas.settings.height = std::max(settings.height, 0);
  if (settings.keepsRaster) {
    canvas.raster.resize(static_cast<std::size_t>(canvas.settings.width) *
                         static_cast<std::size_t>(canvas.settings.height) * 3);
    Clear(canvas);
  }
  return canvas;
}

void Clear(Canvas& canvas) {
  if (!HasRaster(canvas)) return;
  if (!canvas.backgroundDecoded) DecodeBackground(canvas);
  const std::int32_t width = canvas.settings.width, height = canvas.settings.height;
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  unsigned char* raster = canvas.raster.data();
  const RgbPicture* picture = canvas.background.get();
  const std::int32_t tileWidth = picture ? picture->width : 0;
  const std::int32_t tileHeight = picture ? picture->height : 0;
  if (tileWidth > 0 && tileHeight > 0) {
    const std::size_t tileRowBytes = static_cast<std::size_t>(tileWidth) * 3;
    if (tileWidth == width && tileHeight >= height) {
      std::memcpy(raster, picture->pixels.data(), rowBytes * static_cast<std::size_t>(height));
      return;
    }
    for (std::int32_t y = 0; y < height; ++y) {
      const unsigned char* tileRow =
          picture->pixels.data() + static_cast<std::size_t>(y % tileHeight) * tileRowBytes;
      unsigned char* out = raster + static_cast<std::size_t>(y) * rowBytes;
      for (std::size_t done = 0; done < rowBytes; done += tileRowBytes)
        std::memcpy(out + done, tileRow, std::min(tileRowBytes, rowBytes - done));
    }
    return;
  }
  FillRect(canvas, 0, 0, width, height, EffectiveBackground(canvas.settings.backgroundColour));
}

void SetFont(Canvas& canvas, const FontRecord& record) {
  canvas.font = canvas.fonts ? canvas.fonts->FontFor(record) : nullptr;
}

void SetTextColor(Canvas& canvas, Colour colour) { canvas.textColour = colour; }

std::int32_t TextWidth(const Canvas& canvas, std::string_view text) {
  if (text.empty()) return 0;
  const auto font = CurrentFont(canvas);
  if (!font) return 0;
  std::int32_t widest = 0;
  ForEachLine(text, [&](std::string_view line) {
    widest = std::max(widest, LineWidth(*font, GbkToCodePoints(line)));
  });
  return widest;
}

void WriteAt(Canvas& canvas, std::int32_t x, std::int32_t y, std::string_view text) {
  if (text.empty() || !HasRaster(canvas)) return;
  const auto font = CurrentFont(canvas);
  if (!font) return;
  const std::int64_t lineStep = std::int64_t{font->CellHeight()} + 2;
  const double c = std::cos(font->AngleRadians()), s = std::sin(font->AngleRadians());
  std::int64_t lineNumber = 0;
  ForEachLine(text, [&](std::string_view line) {
    if (!line.empty()) {
      std::int64_t lineX = x, lineY = y + lineNumber * lineStep;
      if (font->Rotated()) {
        lineX = x + std::llround(lineNumber * lineStep * s);
        lineY = y + std::llround(lineNumber * lineStep * c);
      }
      DrawLine(canvas, *font, lineX, lineY, GbkToCodePoints(line));
    }
    ++lineNumber;
  });
}

void CopyTo(const Canvas& source, Canvas& target, std::int32_t x, std::int32_t y) {
  if (!HasRaster(source) || !HasRaster(target)) return;
  if (&source == &target) {
    const Canvas copy = source;
    CopyTo(copy, target, x, y);
    return;
  }
  const std::int64_t left = std::max<std::int64_t>(x, 0);
  const std::int64_t top = std::max<std::int64_t>(y, 0);
  const std::int64_t right =
      std::min<std::int64_t>(std::int64_t{x} + source.settings.width, target.settings.width);
  const std::int64_t bottom =
      std::min<std::int64_t>(std::int64_t{y} + source.settings.height, target.settings.height);
  if (left >= right || top >= bottom) return;
  const std::size_t bytes = static_cast<std::size_t>(right - left) * 3;
  for (std::int64_t row = top; row < bottom; ++row) {
    const unsigned char* in = source.raster.data() +
                              PixelOffset(source, std::int32_t(left - x), std::int32_t(row - y));
    unsigned char* out = target.raster.data() + PixelOffset(target, std::int32_t(left), std::int32_t(row));
    std::memcpy(out, in, bytes);
  }
}

std::vector<unsigned char> GetPicture(const Canvas& canvas) {
  std::vector<unsigned char> bmp;
  GetPictureInto(canvas, bmp);
  return bmp;
}

namespace {

template <typename Bytes>
void WritePictureOf(const Canvas& canvas, Bytes& bmp) {
  if (!HasRaster(canvas)) {
    bmp.clear();
    return;
  }
  WriteBmp24(canvas.raster.data(), canvas.settings.width, canvas.settings.height, bmp);
}

}  // namespace

void GetPictureInto(const Canvas& canvas, std::vector<unsigned char>& bmp) { WritePictureOf(canvas, bmp); }
void GetPictureInto(const Canvas& canvas, PictureBytes& bmp) { WritePictureOf(canvas, bmp); }

Colour PixelAt(const Canvas& canvas, std::int32_t x, std::int32_t y) {
  if (!HasRaster(canvas) || x < 0 || y < 0 || x >= canvas.settings.width ||
      y >= canvas.settings.height)
    return kSystemColourMarker;
  const unsigned char* p = canvas.raster.data() + PixelOffset(canvas, x, y);
  return Rgb(p[0], p[1], p[2]);
}

std::shared_ptr<const CanvasFont> CurrentFont(const Canvas& canvas) {
  if (canvas.font) return canvas.font;
  return canvas.fonts ? canvas.fonts->DefaultUiFont() : nullptr;
}

FontDescription DescribeFont(const Canvas& canvas) {
  const auto font = CurrentFont(canvas);
  return font != nullptr ? font->Description() : FontDescription{};
}

bool FontMapsCharacter(const Canvas& canvas, char32_t character) {
  const auto font = CurrentFont(canvas);
  return font != nullptr && font->MapsCharacter(character);
}
