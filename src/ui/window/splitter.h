// A vertical splitter bar: dragging it with the left button widens or narrows the control
// at its left. The owner decides whether a width is allowed and applies it.
#pragma once

#include <windows.h>

#include <functional>

namespace corvane {

class TSplitter {
 public:
  // Widths below vMinWidth are raised to it before they are asked for.
  explicit TSplitter(int vMinWidth) : fMinWidth(vMinWidth) {}
  TSplitter(const TSplitter&) = delete;
  TSplitter& operator=(const TSplitter&) = delete;
  ~TSplitter();

  HWND Create(HWND vParent, int vWidth);
  HWND Handle() const { return fHandle; }

  std::function<int()> fGetWidth;       // the left control's width now
  std::function<bool(int)> fCanResize;  // may it take this width?
  std::function<void(int)> fResize;     // give it this width
  std::function<void()> fMoved;         // after every accepted move

 private:
  static LRESULT CALLBACK Proc(HWND vWnd, UINT vMsg, WPARAM wParam, LPARAM lParam) noexcept;
  void Drag(int vScreenX);

  HWND fHandle = nullptr;
  int fMinWidth;
  bool fDragging = false;
  int fStartX = 0;
  int fStartWidth = 0;
};

}  // namespace corvane
