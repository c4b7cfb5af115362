// A canvas with known character widths that records what it draws (header only).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "support/printers.h"
#include "ui/canvas.h"

namespace corvane::test {

struct TDrawn {
  std::int32_t fX = 0, fY = 0;
  TText fText;
  TFontStyles fStyle = fsNone;
};

// Styles as letters: B, I, U, S.
inline std::string StyleLetters(TFontStyles vStyle) {
  std::string r;
  if (HasStyle(vStyle, fsBold)) r += 'B';
  if (HasStyle(vStyle, fsItalic)) r += 'I';
  if (HasStyle(vStyle, fsUnderline)) r += 'U';
  if (HasStyle(vStyle, fsStrikeOut)) r += 'S';
  return r;
}

class TFakeCanvas final : public TCanvas {
 public:
  // Every character is fCharWidth pixels wide unless fWidths says otherwise; bold adds
  // fBoldExtra to every character, so measuring in the wrong style shows. The text height is
  // fHeight, or fBoldHeight in bold, for any text.
  std::int32_t fCharWidth = 7;
  std::int32_t fBoldExtra = 1;
  std::map<char16_t, std::int32_t> fWidths;
  std::int32_t fHeight = 13;
  std::int32_t fBoldHeight = 14;

  TFontStyles fStyle = fsNone;
  std::vector<TDrawn> fDrawn;
  int fHeightQueries = 0;
  int fWidthQueries = 0;

  std::int32_t CharWidth(char16_t c, TFontStyles vStyle) const {
    const auto it = fWidths.find(c);
    const std::int32_t w = it == fWidths.end() ? fCharWidth : it->second;
    return w > 0 && HasStyle(vStyle, fsBold) ? w + fBoldExtra : w;
  }
  std::int32_t WidthIn(TTextView vText, TFontStyles vStyle) const {
    std::int32_t w = 0;
    for (char16_t c : vText) w += CharWidth(c, vStyle);
    return w;
  }

  std::int32_t TextHeight(TTextView) override {
    ++fHeightQueries;
    return HasStyle(fStyle, fsBold) ? fBoldHeight : fHeight;
  }
  std::int32_t TextWidth(TTextView vText) override {
    ++fWidthQueries;
    return WidthIn(vText, fStyle);
  }
  void TextOutAt(std::int32_t vX, std::int32_t vY, TTextView vText) override {
    fDrawn.push_back({vX, vY, TText(vText), fStyle});
  }
  TFontStyles FontStyle() const override { return fStyle; }
  void SetFontStyle(TFontStyles vStyle) override { fStyle = vStyle; }

  // One line a drawing: x,y "text" and the style's letters when not plain.
  std::vector<std::string> Recorded() const {
    std::vector<std::string> r;
    for (const TDrawn& d : fDrawn) {
      std::string line =
          std::to_string(d.fX) + "," + std::to_string(d.fY) + " \"" + ToUtf8(d.fText) + "\"";
      if (d.fStyle != fsNone) line += " " + StyleLetters(d.fStyle);
      r.push_back(line);
    }
    return r;
  }
};

}  // namespace corvane::test
