#include "compose/earnings_renderer.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "compose/amount_text.h"
#include "compose/face_library.h"
#include "compose/font_cache.h"

namespace {

// A position computed in double precision is truncated toward zero to 64 bits and its low
// 32 bits are kept: so -1.5 becomes -1, not -2.
std::int32_t Truncate(double value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(
      static_cast<std::uint64_t>(static_cast<std::int64_t>(std::trunc(value)))));
}

// Integer sums wrap to 32 bits the same way.
std::int32_t Wrap(std::int64_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

struct PlacedElement {
  std::string text;
  bool measured = false;
  std::int32_t width = 0;
  std::int32_t x = 0;
};

std::size_t IndexOrThrow(std::optional<std::size_t> index, std::string_view what) {
  if (!index) throw std::logic_error("the screen description names no " + std::string(what));
  return *index;
}

// What each element draws: its field's text or a piece of it. Each amount is cut once, and the
// state keeps the pieces of the fields it keeps.
std::vector<PlacedElement> ElementTexts(ProgramState& state, const ScreenInputs& inputs) {
  const ScreenDescription& screen = inputs.Screen();
  std::vector<PlacedElement> placed(screen.elements.size());
  std::vector<std::optional<AmountPieces>> pieces(screen.fields.size());
  for (std::size_t i = 0; i < screen.elements.size(); ++i) {
    const ScreenElement& element = screen.elements[i];
    const std::size_t field = IndexOrThrow(FieldIndex(screen, element.field), element.field);
    const std::string& text = inputs.Text(field);
    if (element.content == ElementContent::kWholeText) {
      placed[i].text = text;
      continue;
    }
    if (element.content == ElementContent::kCurrencySign) continue;
    if (!pieces[field]) {
      pieces[field] = SplitAmount(text);
      if (AmountPieces* kept = PiecesKeptFor(state, element.field)) *kept = *pieces[field];
    }
    placed[i].text = element.content == ElementContent::kIntegerPart
                         ? pieces[field]->integerPart
                         : "." + pieces[field]->fractionPart;
  }
  return placed;
}

// The element's record, set to the element's size and weight.
FontRecord& StyledRecord(ProgramState& state, const ScreenElement& element) {
  FontRecord& record = RecordFor(state, element.face);
  record.size = element.size;
  record.bold = element.bold;
  return record;
}

}  // namespace

namespace {

CanvasSettings TemplateSettings(const ScreenDescription& screen) {
  return {.width = screen.width, .height = screen.height, .backgroundPng = screen.templatePicture()};
}

CanvasSettings SignSettings(const ScreenDescription& screen) {
  return {.width = screen.signWidth, .height = screen.signHeight,
          .backgroundPng = screen.signPicture()};
}

}  // namespace

ScreenPictures DecodeScreenPictures(const ScreenDescription& screen) {
  return {DecodeBackgroundPicture(TemplateSettings(screen)),
          DecodeBackgroundPicture(SignSettings(screen))};
}

RenderSurfaces MakeRenderSurfaces(std::shared_ptr<const FaceLibrary> faces,
                                  const ScreenDescription& screen) {
  return MakeRenderSurfaces(std::move(faces), ScreenPictures{}, screen);
}

RenderSurfaces MakeRenderSurfaces(std::shared_ptr<const FaceLibrary> faces,
                                  const ScreenPictures& pictures,
                                  const ScreenDescription& screen) {
  RenderSurfaces surfaces;
  surfaces.fonts = std::make_shared<FontCache>(std::move(faces));
  CanvasSettings templateSettings = TemplateSettings(screen);
  templateSettings.decodedBackground = pictures.templatePicture;
  CanvasSettings signSettings = SignSettings(screen);
  signSettings.decodedBackground = pictures.signPicture;
  surfaces.templateSurface = MakeCanvas(templateSettings, surfaces.fonts);
  surfaces.measuringSurface =
      MakeCanvas({.width = 28, .height = 27, .keepsRaster = false}, surfaces.fonts);
  surfaces.signSurface = MakeCanvas(signSettings, surfaces.fonts);
  return surfaces;
}

void UseFaces(RenderSurfaces& surfaces, std::shared_ptr<const FaceLibrary> faces) {
  surfaces.fonts = std::make_shared<FontCache>(std::move(faces));
  for (Canvas* canvas :
       {&surfaces.templateSurface, &surfaces.measuringSurface, &surfaces.signSurface}) {
    canvas->fonts = surfaces.fonts;
    canvas->font = nullptr;
  }
}

void ComposeEarningsScreen(ProgramState& state, RenderSurfaces& surfaces,
                           const ScreenInputs& inputs) {
  const ScreenDescription& screen = inputs.Screen();
  const auto elements = screen.elements;
  Canvas& target = surfaces.templateSurface;
  Clear(target);
  state.wordFont.faceName = std::string(screen.wordFaceName);

  std::vector<PlacedElement> placed = ElementTexts(state, inputs);
  // A width is measured on the measuring surface in the element's own face, size and weight:
  // a fraction is placed by its integer part's width at the integer part's size.
  const auto width = [&](std::size_t i) {
    if (!placed[i].measured) {
      FontRecord record = RecordFor(state, elements[i].face);
      record.size = elements[i].size;
      record.bold = elements[i].bold;
      SetFont(surfaces.measuringSurface, record);
      placed[i].width = TextWidth(surfaces.measuringSurface, placed[i].text);
      placed[i].measured = true;
    }
    return placed[i].width;
  };
  const auto reference = [&](const ScreenElement& element) {
    return IndexOrThrow(ElementIndex(screen, element.ref), element.ref);
  };

  for (std::size_t i = 0; i < elements.size(); ++i) {
    const ScreenElement& element = elements[i];
    std::int32_t x = element.x;
    switch (element.across) {
      case Across::kAt: break;
      case Across::kEndingAt: x = Wrap(std::int64_t{element.x} - width(i)); break;
      case Across::kAfterStartOf: x = Wrap(std::int64_t{placed[reference(element)].x} + element.x); break;
      case Across::kAfterEndOf: {
        const std::size_t ref = reference(element);
        x = Wrap(std::int64_t{placed[ref].x} + width(ref) + element.x);
        break;
      }
      case Across::kHalfWidthBefore:
        x = Truncate(static_cast<double>(element.x) - width(reference(element)) / 2.0);
        break;
    }
    placed[i].x = x;

    if (element.content == ElementContent::kCurrencySign) {
      CopyTo(surfaces.signSurface, target, x, element.y);
      if (std::int32_t* kept = SignXKeptFor(state, element.field)) *kept = x;
      continue;
    }
    SetFont(target, StyledRecord(state, element));
    SetTextColor(target, element.colour);
    WriteAt(target, x, element.y, placed[i].text);
  }
}

void RenderEarningsScreen(ProgramState& state, RenderSurfaces& surfaces,
                          const ScreenInputs& inputs, std::vector<unsigned char>& picture) {
  ComposeEarningsScreen(state, surfaces, inputs);
  GetPictureInto(surfaces.templateSurface, picture);
}

void RenderEarningsScreen(ProgramState& state, RenderSurfaces& surfaces,
                          const ScreenInputs& inputs, PictureBytes& picture) {
  ComposeEarningsScreen(state, surfaces, inputs);
  GetPictureInto(surfaces.templateSurface, picture);
}
