// The drawing surface seam: text measuring, text output and font styles. The window draws
// through GDI (gdicanvas.h); tests use a canvas with known character widths.
#pragma once

#include <cstdint>

#include "text/text.h"

namespace corvane {

// A set of font styles, as bits.
enum TFontStyles : std::uint8_t {
  fsNone = 0,
  fsBold = 1,
  fsItalic = 2,
  fsUnderline = 4,
  fsStrikeOut = 8,
};

constexpr TFontStyles operator|(TFontStyles a, TFontStyles b) {
  return TFontStyles(std::uint8_t(a) | std::uint8_t(b));
}
constexpr bool HasStyle(TFontStyles vSet, TFontStyles vStyle) {
  return (vSet & vStyle) == vStyle;
}

// Edges in pixels; right and bottom are exclusive.
struct TRect {
  std::int32_t fLeft = 0, fTop = 0, fRight = 0, fBottom = 0;
};

class TCanvas {
 public:
  virtual ~TCanvas() = default;

  // Height and width in pixels of vText in the current font.
  virtual std::int32_t TextHeight(TTextView vText) = 0;
  virtual std::int32_t TextWidth(TTextView vText) = 0;
  // Draws vText with its top-left corner at (vX, vY) in the current font, colour and
  // background.
  virtual void TextOutAt(std::int32_t vX, std::int32_t vY, TTextView vText) = 0;
  // The style of the current font, and a change of it (face and size stay).
  virtual TFontStyles FontStyle() const = 0;
  virtual void SetFontStyle(TFontStyles vStyle) = 0;
};

}  // namespace corvane
