#pragma once
// An off-screen drawing surface: a fixed-size RGB raster that starts out showing its background
// picture, with a current font and text colour. Texts are GBK byte strings.
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "compose/colour.h"
#include "compose/font_record.h"
#include "compose/picture_memory.h"
#include "compose/png_picture.h"

struct CanvasSettings {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::span<const unsigned char> backgroundPng{};  // tiled from the top-left corner; may be empty
  Colour backgroundColour = kSystemColourMarker;  // the marker means the button-face grey
  Colour textBackground = kSystemColourMarker;    // the marker means transparent
  bool keepsRaster = true;                        // a surface that is only measured on keeps none
  // The background already decoded, to share one decoded picture among many surfaces.
  std::shared_ptr<const RgbPicture> decodedBackground{};
};

class CanvasFont;  // the face and size a surface draws with (canvas_font.h)
class FontCache;   // where a surface's fonts come from (font_cache.h)
struct FontDescription;  // what a surface's font was made from (canvas_font.h)

struct Canvas {
  CanvasSettings settings;
  PictureBytes raster;  // width x height x 3 bytes, R G B, top row first
  // The decoded background picture, shared with every surface that has the same settings
  // (the workers of a batch); null until the first Clear, or when it cannot be decoded.
  std::shared_ptr<const RgbPicture> background;
  bool backgroundDecoded = false;
  std::shared_ptr<FontCache> fonts;        // shared by the surfaces of one render context
  std::shared_ptr<const CanvasFont> font;  // null until the first SetFont: the default UI font
  Colour textColour = Rgb(0, 0, 0);
};

// A new surface, painted as by Clear when it keeps a raster, taking its fonts from `fonts`
// (without one it measures and draws no text).
Canvas MakeCanvas(const CanvasSettings& settings, std::shared_ptr<FontCache> fonts = nullptr);

// The surface's background picture as Clear places it: the one given already decoded, or the
// settings' PNG decoded now; null when there is none or it cannot be decoded.
std::shared_ptr<const RgbPicture> DecodeBackgroundPicture(const CanvasSettings& settings);

void Clear(Canvas& canvas);
void SetFont(Canvas& canvas, const FontRecord& record);
void SetTextColor(Canvas& canvas, Colour colour);
std::int32_t TextWidth(const Canvas& canvas, std::string_view text);
void WriteAt(Canvas& canvas, std::int32_t x, std::int32_t y, std::string_view text);
void CopyTo(const Canvas& source, Canvas& target, std::int32_t x, std::int32_t y);

// The whole raster as the bytes of a 24-bit, bottom-up BMP file; empty for a surface without a
// raster.
std::vector<unsigned char> GetPicture(const Canvas& canvas);
// The same into a buffer the caller keeps, so that repeated calls reuse its memory.
void GetPictureInto(const Canvas& canvas, std::vector<unsigned char>& bmp);
void GetPictureInto(const Canvas& canvas, PictureBytes& bmp);

// The colour of one raster pixel; (0, 0) is the top-left corner. The marker for a pixel outside
// the surface or a surface without a raster.
Colour PixelAt(const Canvas& canvas, std::int32_t x, std::int32_t y);

// The font a surface measures and draws with now (its own, or the default UI font).
std::shared_ptr<const CanvasFont> CurrentFont(const Canvas& canvas);
FontDescription DescribeFont(const Canvas& canvas);
bool FontMapsCharacter(const Canvas& canvas, char32_t character);
