#include "ui/window/dialogkeys.h"

#include <cwchar>
#include <vector>

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

// Enter for a focused control that asks for it, as the dialog manager asks (WM_GETDLGCODE with
// the message, DLGC_WANTMESSAGE in the answer): a multi-line text box, or a list that opens its
// selected item. It goes to the control rather than to the window's Enter shortcut.
bool FocusWantsEnter(HWND vMain, MSG& vMsg) {
  if (vMsg.message != WM_KEYDOWN || vMsg.wParam != VK_RETURN) return false;
  HWND focus = GetFocus();
  if (!focus || focus != vMsg.hwnd || !IsChild(vMain, focus)) return false;
  const LRESULT code =
      SendMessageW(focus, WM_GETDLGCODE, vMsg.wParam, reinterpret_cast<LPARAM>(&vMsg));
  return (code & DLGC_WANTMESSAGE) != 0;
}

bool IsRadio(HWND vWnd) {
  wchar_t cls[16] = {};
  GetClassNameW(vWnd, cls, 16);
  const LONG_PTR type = GetWindowLongPtrW(vWnd, GWL_STYLE) & BS_TYPEMASK;
  return _wcsicmp(cls, L"Button") == 0 && (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON);
}

bool HasGroupStyle(HWND vWnd) {
  return (GetWindowLongPtrW(vWnd, GWL_STYLE) & WS_GROUP) != 0;
}

// An arrow key on a radio button moves to the next or previous radio button of its group
// (its neighbours from the one with WS_GROUP on, up to the next such or the next other
// control), round the group, and checks it; the dialog manager's own group would run on
// into whatever follows the group when that lacks WS_GROUP.
bool MoveInRadioGroup(const MSG& vMsg) {
  if (vMsg.message != WM_KEYDOWN || !IsRadio(vMsg.hwnd)) return false;
  const bool back = vMsg.wParam == VK_LEFT || vMsg.wParam == VK_UP;
  if (!back && vMsg.wParam != VK_RIGHT && vMsg.wParam != VK_DOWN) return false;
  HWND first = vMsg.hwnd;
  while (!HasGroupStyle(first)) {
    HWND prev = GetWindow(first, GW_HWNDPREV);
    if (!prev || !IsRadio(prev)) break;
    first = prev;
  }
  std::vector<HWND> group;
  for (HWND w = first; w && IsRadio(w) && (w == first || !HasGroupStyle(w));
       w = GetWindow(w, GW_HWNDNEXT))
    group.push_back(w);
  std::size_t at = 0;
  while (at < group.size() && group[at] != vMsg.hwnd) ++at;
  const std::size_t n = group.size();
  for (std::size_t step = 1; step < n; ++step) {
    HWND next = group[(at + (back ? n - step : step)) % n];
    if (!IsWindowVisible(next) || !IsWindowEnabled(next)) continue;
    SetFocus(next);
    if ((GetWindowLongPtrW(next, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON &&
        SendMessageW(next, BM_GETCHECK, 0, 0) != BST_CHECKED)
      SendMessageW(next, BM_CLICK, 0, 0);
    break;
  }
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
    if (FocusWantsEnter(vMain, vMsg)) return false;
    if (MoveInRadioGroup(vMsg)) return true;
    if (vAccel && TranslateAcceleratorW(vMain, vAccel, &vMsg)) return true;
  }
  // Navigation keys are acted upon here; every other message is translated and dispatched.
  return IsDialogMessageW(vMain, &vMsg) != FALSE;
}

}  // namespace corvane
