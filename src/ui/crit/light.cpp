#include "ui/crit/light.h"

#include "win32/handles.h"

namespace corvane {

namespace {
constexpr int kLightBitmap = 1;
constexpr COLORREF kOlive = RGB(128, 128, 0);
}  // namespace

HBITMAP LoadValidityLight(const TScale& vScale) {
  const int id = kLightBitmap + 100 * ImageScaleIndex(vScale);
  return static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                         IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

void PaintValidityLight(const DRAWITEMSTRUCT& vItem, HBITMAP vLight, bool vValid) {
  HDC dc = vItem.hDC;
  // The control's background shows through the light's olive pixels.
  FillRect(dc, &vItem.rcItem, GetSysColorBrush(COLOR_BTNFACE));
  if (!vLight) return;
  const TMemoryDC mem(CreateCompatibleDC(dc));
  if (!mem) return;
  BITMAP info{};
  if (!GetObjectW(vLight, sizeof info, &info)) return;
  const int cell = info.bmHeight;  // two square cells side by side
  TSelect use(mem.Get(), vLight);
  TransparentBlt(dc, 0, 0, cell - 1, cell - 1, mem.Get(), vValid ? 0 : cell, 0, cell - 1, cell - 1,
                 kOlive);
}

}  // namespace corvane
