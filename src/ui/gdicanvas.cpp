#include "ui/gdicanvas.h"

#include <algorithm>
#include <limits>

namespace corvane {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

const wchar_t* W(TTextView s) {
  return reinterpret_cast<const wchar_t*>(s.data());
}

int Count(TTextView s) {
  return int(std::min<std::size_t>(s.size(), std::size_t(std::numeric_limits<int>::max())));
}

TFontStyles StyleOf(const LOGFONTW& vLog) {
  TFontStyles s = fsNone;
  if (vLog.lfWeight >= FW_BOLD) s = s | fsBold;
  if (vLog.lfItalic) s = s | fsItalic;
  if (vLog.lfUnderline) s = s | fsUnderline;
  if (vLog.lfStrikeOut) s = s | fsStrikeOut;
  return s;
}

}  // namespace

TGdiCanvas::TGdiCanvas(HDC vDC, HFONT vFont)
    : fDC(vDC), fOriginal(GetCurrentObject(vDC, OBJ_FONT)) {
  if (vFont) SelectObject(fDC, vFont);
  fBase = static_cast<HFONT>(GetCurrentObject(fDC, OBJ_FONT));
  if (GetObjectW(fBase, sizeof(fBaseLog), &fBaseLog) == sizeof(fBaseLog))
    fBaseStyle = StyleOf(fBaseLog);
  fStyle = fBaseStyle;
}

TGdiCanvas::~TGdiCanvas() {
  // Deselect before fStyled deletes the created fonts.
  SelectObject(fDC, fOriginal);
}

std::int32_t TGdiCanvas::TextHeight(TTextView) {
  // The cell height of the font, the same for every text (an empty one included).
  TEXTMETRICW tm{};
  return GetTextMetricsW(fDC, &tm) ? tm.tmHeight : 0;
}

std::int32_t TGdiCanvas::TextWidth(TTextView vText) {
  SIZE size{};
  if (vText.empty() || !GetTextExtentPoint32W(fDC, W(vText), Count(vText), &size)) return 0;
  return size.cx;
}

void TGdiCanvas::TextOutAt(std::int32_t vX, std::int32_t vY, TTextView vText) {
  TextOutW(fDC, vX, vY, W(vText), Count(vText));
}

void TGdiCanvas::SetFontStyle(TFontStyles vStyle) {
  if (vStyle == fStyle) return;
  HFONT font = fBase;
  if (vStyle != fBaseStyle) {
    TOwnedFont& styled = fStyled[vStyle & 15];
    if (!styled) {
      LOGFONTW log = fBaseLog;
      // A weight other than bold stays as it is while the bold bit does not change.
      if (HasStyle(vStyle, fsBold) != HasStyle(fBaseStyle, fsBold))
        log.lfWeight = HasStyle(vStyle, fsBold) ? FW_BOLD : FW_NORMAL;
      log.lfItalic = HasStyle(vStyle, fsItalic);
      log.lfUnderline = HasStyle(vStyle, fsUnderline);
      log.lfStrikeOut = HasStyle(vStyle, fsStrikeOut);
      styled.reset(CreateFontIndirectW(&log));
    }
    if (!styled) return;  // no such font: the current one stays
    font = styled.get();
  }
  SelectObject(fDC, font);
  fStyle = vStyle;
}

}  // namespace corvane
