#include "ui/main/mainsettings.h"

#include "ui/window/dpi.h"

namespace corvane {
namespace {

TPlaceRect FromRect(const RECT& r) {
  return {r.left, r.top, r.right, r.bottom};
}
RECT ToRect(const TPlaceRect& r) {
  return {r.fLeft, r.fTop, r.fRight, r.fBottom};
}

TPlacement FromPlacement(const WINDOWPLACEMENT& vWp, HWND vWindow) {
  TPlacement p;
  p.fDpi = DpiOf(vWindow);
  p.fNormal = FromRect(vWp.rcNormalPosition);
  p.fMinX = vWp.ptMinPosition.x;
  p.fMinY = vWp.ptMinPosition.y;
  p.fMaxX = vWp.ptMaxPosition.x;
  p.fMaxY = vWp.ptMaxPosition.y;
  p.fShowCmd = int(vWp.showCmd);
  p.fFlags = int(vWp.flags);
  return p;
}

bool WriteEntries(TProfile& vProfile, TTextView vSection,
                  const std::vector<std::pair<TText, TText>>& vEntries) {
  for (const auto& [key, value] : vEntries)
    if (!vProfile.WriteString(vSection, key, value)) return false;
  return true;
}

}  // namespace

void RestorePlacement(HWND vWindow, TProfile& vProfile) {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT win{};
  GetWindowRect(vWindow, &win);
  const int w = win.right - win.left, h = win.bottom - win.top;
  SetWindowPos(vWindow, nullptr, (work.right - work.left - w) / 2 + work.left,
               (work.bottom - work.top - h) / 2 + work.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  GetWindowRect(vWindow, &win);
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  if (!GetWindowPlacement(vWindow, &wp)) return;
  const TPlacement current = FromPlacement(wp, vWindow);
  const TPlacement p = LoadPlacement(vProfile, current, FromRect(win), FromRect(work), true);
  wp.rcNormalPosition = ToRect(p.fNormal);
  wp.ptMinPosition = {p.fMinX, p.fMinY};
  wp.ptMaxPosition = {p.fMaxX, p.fMaxY};
  wp.showCmd = UINT(p.fShowCmd);
  wp.flags = UINT(p.fFlags);
  SetWindowPlacement(vWindow, &wp);
}

bool SavePlacement(HWND vWindow, TProfile& vProfile) {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  if (!GetWindowPlacement(vWindow, &wp)) return true;  // no window left: nothing to keep
  return WriteEntries(vProfile, kPlacementSection,
                      PlacementEntries(FromPlacement(wp, vWindow), true));
}

bool SaveFormSettings(const TFormSettings& vSettings, TProfile& vProfile) {
  return WriteEntries(vProfile, kFormSettingsSection, FormSettingsEntries(vSettings));
}

}  // namespace corvane
