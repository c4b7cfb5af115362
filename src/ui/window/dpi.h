// Display scale. Layout numbers in the window code are pixels at 96 DPI (100%); a TScale
// turns them into the pixels of the window's DPI, so 150% and 200% screens get controls,
// fonts and images of the same physical size, not stretched or cut off.
#pragma once

#include <windows.h>

namespace corvane {

inline constexpr int kBaseDpi = 96;

class TScale {
 public:
  explicit TScale(int vDpi = kBaseDpi) : fDpi(vDpi > 0 ? vDpi : kBaseDpi) {}
  int Dpi() const { return fDpi; }
  void SetDpi(int vDpi) { fDpi = vDpi > 0 ? vDpi : kBaseDpi; }
  // A 96-DPI length at this scale, rounded to the nearest pixel.
  int operator()(int v) const { return MulDiv(v, fDpi, kBaseDpi); }
  // A length at this scale back in 96-DPI pixels.
  int Unscale(int v) const { return MulDiv(v, kBaseDpi, fDpi); }
  // The font height (negative: character height) of a 96-DPI height.
  int FontHeight(int vHeight96) const {
    return -MulDiv(vHeight96 < 0 ? -vHeight96 : vHeight96, fDpi, kBaseDpi);
  }

 private:
  int fDpi;
};

// What the pages of one window lay out and draw with: its scale and its font, which change
// together when the window moves to a screen of another scale. The window owns it; its pages
// keep a reference, so they always see the current pair.
struct TDisplay {
  TScale fScale;
  HFONT fFont = nullptr;
  int S(int v) const { return fScale(v); }
};

// The DPI of vWnd's monitor for a per-monitor aware program (GetDpiForWindow where the system
// has it); the screen's otherwise. For nullptr: the system's.
int DpiOf(HWND vWnd);

// Images come drawn at three scales (res/makeimages.py): 100%, 150% and 200%. The one of
// them for vScale: the largest not above it. Its index 0 to 2, and a 16-pixel image's size.
int ImageScaleIndex(const TScale& vScale);
inline int ImageSize16(const TScale& vScale) {
  return 16 + 8 * ImageScaleIndex(vScale);
}

}  // namespace corvane
