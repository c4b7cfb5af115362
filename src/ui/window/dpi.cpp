#include "ui/window/dpi.h"

namespace corvane {

int DpiOf(HWND vWnd) {
  // Looked up at run time: older systems lack the function.
  using TGetDpiForWindow = UINT(WINAPI*)(HWND);
  using TGetDpiForSystem = UINT(WINAPI*)();
  static const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  static const auto forWindow = reinterpret_cast<TGetDpiForWindow>(
      reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
  static const auto forSystem = reinterpret_cast<TGetDpiForSystem>(
      reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForSystem")));
  if (vWnd && forWindow)
    if (const UINT dpi = forWindow(vWnd); dpi > 0) return int(dpi);
  if (forSystem)
    if (const UINT dpi = forSystem(); dpi > 0) return int(dpi);
  HDC dc = GetDC(nullptr);
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSX) : kBaseDpi;
  if (dc) ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : kBaseDpi;
}

int ImageScaleIndex(const TScale& vScale) {
  if (vScale.Dpi() >= 2 * kBaseDpi) return 2;
  return vScale.Dpi() * 2 >= 3 * kBaseDpi ? 1 : 0;
}

}  // namespace corvane
