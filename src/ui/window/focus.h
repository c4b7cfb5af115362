// The keyboard focus of a top-level window: the control that had it when the window lost
// activation (Alt+Tab, a message box, another program) gets it back when the window is
// activated again, instead of the frame; and the focus moves by WM_NEXTDLGCTL as in a dialog
// box, which the dialog manager sends to the window it navigates.
#pragma once

#include <windows.h>

#include <functional>

namespace corvane {

class TFocusKeeper {
 public:
  // The control that takes the focus when the remembered one cannot (hidden, disabled, gone).
  std::function<HWND()> fFallback;

  // Gives vControl the focus now, or at the next activation while the window is not active.
  void Focus(HWND vMain, HWND vControl);
  // WM_ACTIVATE: remembers the focus on deactivation and restores it on activation. True when
  // the message is handled (the system's handling would put the focus on the frame).
  bool Activate(HWND vMain, WPARAM wParam);
  // WM_SETFOCUS of the frame: hands the focus on to the remembered control.
  void Restore(HWND vMain);

 private:
  HWND fSaved = nullptr;
};

// Whether vControl is a control of vMain that can take the focus now.
bool CanFocus(HWND vMain, HWND vControl);
// The first control inside vContainer, in tab order, that can take the focus; nullptr if none.
HWND FirstTabStop(HWND vContainer);
// WM_NEXTDLGCTL: lParam != 0 gives the control in wParam the focus; otherwise wParam 0 moves
// it to the next control in tab order, any other value to the previous one.
void NextDlgCtl(HWND vMain, WPARAM wParam, LPARAM lParam);

}  // namespace corvane
