#include "ui/window/dialogkeys.h"

#include <cwchar>

namespace corvane {

namespace {

bool IsKeyMessage(UINT vMsg) {
  return vMsg >= WM_KEYFIRST && vMsg <= WM_KEYLAST;
}

// Enter on a focused push button presses it, as in a dialog box; the dialog manager would do
// so only for a button that got the focus by Tab.
bool PressFocusedButton(HWND vMain) {
  HWND focus = GetFocus();
  if (!focus || !IsChild(vMain, focus)) return false;
  const LRESULT code = SendMessageW(focus, WM_GETDLGCODE, 0, 0);
  if (!(code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) return false;
  if (IsWindowEnabled(focus)) SendMessageW(focus, BM_CLICK, 0, 0);
  return true;
}

// A key pressed while no control has the focus (the focused one was disabled or hidden) goes
// to the window itself, as a system key; the window's WM_SETFOCUS hands the focus to a control
// of the shown page, and the key goes there instead.
void FindFocus(HWND vMain, MSG& vMsg) {
  if (vMsg.hwnd != vMain || GetFocus() != nullptr) return;
  if (vMsg.message != WM_SYSKEYDOWN && vMsg.message != WM_SYSKEYUP) return;
  SetFocus(vMain);
  HWND focus = GetFocus();
  if (!focus || focus == vMain || !IsChild(vMain, focus)) return;
  vMsg.hwnd = focus;
  const bool alt = (vMsg.lParam & (LPARAM(1) << 29)) != 0;
  if (!alt) vMsg.message = vMsg.message == WM_SYSKEYDOWN ? WM_KEYDOWN : WM_KEYUP;
}

}  // namespace

bool InOpenDropDown(HWND vWnd) {
  for (HWND w = vWnd; w; w = GetParent(w)) {
    wchar_t cls[16] = {};
    GetClassNameW(w, cls, 16);
    if (_wcsicmp(cls, L"ComboBox") == 0) return SendMessageW(w, CB_GETDROPPEDSTATE, 0, 0) != 0;
    if (!(GetWindowLongPtrW(w, GWL_STYLE) & WS_CHILD)) break;
  }
  return false;
}

bool TranslateDialogKeys(HWND vMain, HACCEL vAccel, MSG& vMsg) {
  if (!vMsg.hwnd || !IsWindow(vMain) || (vMsg.hwnd != vMain && !IsChild(vMain, vMsg.hwnd)))
    return false;
  const bool key = IsKeyMessage(vMsg.message);
  if (key) FindFocus(vMain, vMsg);
  if (!(key && InOpenDropDown(vMsg.hwnd))) {
    if (vMsg.message == WM_KEYDOWN && vMsg.wParam == VK_RETURN && PressFocusedButton(vMain))
      return true;
    if (vAccel && TranslateAcceleratorW(vMain, vAccel, &vMsg)) return true;
  }
  // Navigation keys are acted upon here; every other message is translated and dispatched.
  return IsDialogMessageW(vMain, &vMsg) != FALSE;
}

}  // namespace corvane
