// The thin window layer: a window base class with one trampoline, the panel container that
// hands its children's notifications to the top-level window, top/bottom/left/client
// alignment, and one-line helpers for the controls.
#pragma once

#include <windows.h>

#include <vector>

#include "text/text.h"
#include "text/wide.h"

namespace corvane {

// A window of ours. The trampoline stores `this` at WM_NCCREATE and forwards every message
// to WndProc; nothing thrown by a handler leaves the trampoline (it is shown in one message
// box instead, see ShowError).
class TWindow {
 public:
  TWindow() = default;
  TWindow(const TWindow&) = delete;
  TWindow& operator=(const TWindow&) = delete;
  virtual ~TWindow();

  HWND Handle() const { return fHandle; }

 protected:
  // Registers a window class served by the trampoline (once per name).
  static void RegisterClassOnce(const wchar_t* vName, HBRUSH vBackground, HICON vIcon);
  // Creates the window; false when the system refuses.
  bool CreateHandle(DWORD vExStyle, const wchar_t* vClass, const wchar_t* vCaption, DWORD vStyle,
                    int vX, int vY, int vW, int vH, HWND vParent, HMENU vMenu);
  virtual LRESULT WndProc(UINT vMsg, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT vMsg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(fHandle, vMsg, wParam, lParam);
  }

 private:
  static LRESULT CALLBACK Trampoline(HWND vWnd, UINT vMsg, WPARAM wParam, LPARAM lParam) noexcept;
  HWND fHandle = nullptr;
};

// The application's one error box: the text with "." appended when its last character sorts
// after ".", the application title as caption, an error icon and OK.
void ShowError(HWND vOwner, const TText& vText);

// The hourglass for the scope of a piece of work that keeps the window busy.
class TWaitCursor {
 public:
  TWaitCursor() : fOld(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~TWaitCursor() { SetCursor(fOld); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;

 private:
  HCURSOR fOld;
};

// Inside a catch block: shows what was thrown in the error box ("Out of memory", the
// exception's text, or "Unexpected error"), owned by vWnd's top-level window.
void ShowCaughtError(HWND vWnd) noexcept;

// Runs vAction, the program's answer to something the user did; whatever it throws is shown
// in the error box and goes no further. Every window procedure, subclass procedure and the
// idle pass run their work through here. True when vAction ran to its end.
template <typename F>
bool GuardUserAction(HWND vWnd, F&& vAction) noexcept {
  try {
    vAction();
    return true;
  } catch (...) {
    ShowCaughtError(vWnd);
    return false;
  }
}
inline constexpr wchar_t kAppTitle[] = L"Corvane";

enum TAlign { alTop, alBottom, alLeft, alRight, alClient };

// Children of one container laid out in list order, each taking its edge of what is left.
class TAlignList {
 public:
  void Add(HWND vChild, TAlign vAlign, int vSize = 0) { fItems.push_back({vChild, vAlign, vSize}); }
  // The height (top, bottom) or width (left, right) of a child already added; 0 when absent.
  int Size(HWND vChild) const;
  void SetSize(HWND vChild, int vSize);
  // Every size times vNum / vDen (a change of display scale).
  void Scale(int vNum, int vDen);
  void Arrange(HWND vContainer) const;

 private:
  struct TItem {
    HWND fChild;
    TAlign fAlign;
    int fSize;
  };
  std::vector<TItem> fItems;
};

// The panel window class: a plain container in the dialog colour that lays out its children
// with an optional TAlignList and passes WM_COMMAND, WM_NOTIFY, WM_DRAWITEM and
// WM_MEASUREITEM on to its top-level window, so one window handles every control.
inline constexpr wchar_t kPanelClass[] = L"TCorvanePanel";
void RegisterPanelClass();
// Registers a plain child window class in the dialog colour with vProc and the system cursor
// vCursor; a second call with the same name does nothing.
void RegisterChildClass(const wchar_t* vName, WNDPROC vProc, const wchar_t* vCursor);
// What a container does with its children's commands, notifications, owner drawing and
// context menus: passes them to its top-level window. True when vMsg was one of them.
bool ForwardToTop(HWND vWnd, UINT vMsg, WPARAM wParam, LPARAM lParam, LRESULT& vResult);
HWND CreatePanel(HWND vParent, int vX, int vY, int vW, int vH, const TAlignList* vAlign = nullptr,
                 DWORD vExStyle = 0);

// A child control with our font.
HWND CreateControl(HWND vParent, const wchar_t* vClass, const wchar_t* vText, DWORD vStyle, int vX,
                   int vY, int vW, int vH, int vId, HFONT vFont, DWORD vExStyle = 0);

// The running program's full path; empty when the system cannot tell.
TText ExePath();
TText WindowText(HWND vWnd);
void SetWindowTextT(HWND vWnd, const TText& vText);
void SetBounds(HWND vWnd, int vX, int vY, int vW, int vH);
RECT ClientRect(HWND vWnd);
// The width of vText in vFont, as drawn on vWnd's device.
int TextWidth(HWND vWnd, HFONT vFont, const TText& vText);
// The height of a drop-down combo box with its list open, which SetWindowPos sets (the closed
// box's own height follows its font).
int DroppedHeight(HWND vCombo);
// After a change of display scale from vOld to vNew DPI: every descendant of vWnd moved and
// sized in proportion, and those in vOldFont given vNewFont (controls with a font of their
// own keep it).
void RescaleChildren(HWND vWnd, int vOld, int vNew, HFONT vOldFont, HFONT vNewFont);

}  // namespace corvane
