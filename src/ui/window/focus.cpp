#include "ui/window/focus.h"

namespace corvane {

bool CanFocus(HWND vMain, HWND vControl) {
  return vControl && IsWindow(vControl) && IsChild(vMain, vControl) && IsWindowVisible(vControl) &&
         IsWindowEnabled(vControl);
}

HWND FirstTabStop(HWND vContainer) {
  for (HWND c = GetWindow(vContainer, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    const LONG_PTR style = GetWindowLongPtrW(c, GWL_STYLE);
    if ((style & (WS_VISIBLE | WS_DISABLED)) != WS_VISIBLE) continue;
    if (style & WS_TABSTOP) return c;
    if (GetWindowLongPtrW(c, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)
      if (HWND inner = FirstTabStop(c)) return inner;
  }
  return nullptr;
}

void TFocusKeeper::Focus(HWND vMain, HWND vControl) {
  if (!vControl) return;
  fSaved = vControl;
  if (GetActiveWindow() == vMain && CanFocus(vMain, vControl)) SetFocus(vControl);
}

bool TFocusKeeper::Activate(HWND vMain, WPARAM wParam) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(vMain, focus)) fSaved = focus;
    return false;
  }
  if (HIWORD(wParam)) return false;  // activated while minimised: nothing to focus yet
  Restore(vMain);
  return true;
}

void TFocusKeeper::Restore(HWND vMain) {
  HWND target = CanFocus(vMain, fSaved) ? fSaved : nullptr;
  if (!target && fFallback) target = fFallback();
  if (CanFocus(vMain, target)) SetFocus(target);
}

void NextDlgCtl(HWND vMain, WPARAM wParam, LPARAM lParam) {
  HWND target = nullptr;
  if (lParam) {
    // The dialog manager's arrow keys may name a label; labels take no focus.
    target = reinterpret_cast<HWND>(wParam);
    if (target && (SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_STATIC)) return;
  } else {
    HWND focus = GetFocus();
    target =
        GetNextDlgTabItem(vMain, focus && IsChild(vMain, focus) ? focus : nullptr, wParam != 0);
  }
  if (CanFocus(vMain, target)) SetFocus(target);
}

}  // namespace corvane
