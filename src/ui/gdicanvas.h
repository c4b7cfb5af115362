// The canvas over a GDI device context (Windows only).
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <type_traits>

#include "ui/canvas.h"

namespace corvane {

struct TFontDeleter {
  void operator()(HFONT vFont) const { DeleteObject(vFont); }
};
using TOwnedFont = std::unique_ptr<std::remove_pointer_t<HFONT>, TFontDeleter>;

// Draws on a device context that it does not own. The canvas font is vFont, selected into
// the context, or the context's current font when vFont is null; its face and size stay, and
// other styles are fonts of its own, created on first use. Text is drawn with the context's
// colours, background mode and alignment, which are not touched. The destructor selects the
// context's original font again and deletes the fonts it created.
class TGdiCanvas final : public TCanvas {
 public:
  explicit TGdiCanvas(HDC vDC, HFONT vFont = nullptr);
  ~TGdiCanvas() override;
  TGdiCanvas(const TGdiCanvas&) = delete;
  TGdiCanvas& operator=(const TGdiCanvas&) = delete;

  std::int32_t TextHeight(TTextView vText) override;
  std::int32_t TextWidth(TTextView vText) override;
  void TextOutAt(std::int32_t vX, std::int32_t vY, TTextView vText) override;
  TFontStyles FontStyle() const override { return fStyle; }
  void SetFontStyle(TFontStyles vStyle) override;

 private:
  HDC fDC;
  HGDIOBJ fOriginal;  // the context's font on entry, selected again at the end
  HFONT fBase;        // the canvas font in the style it came with
  LOGFONTW fBaseLog{};
  TFontStyles fBaseStyle = fsNone;
  TFontStyles fStyle = fsNone;
  std::array<TOwnedFont, 16> fStyled;  // by style bits; the base style uses fBase
};

}  // namespace corvane
