// A container that scrolls its children up and down when they reach below its client
// area, with a vertical scroll bar shown only then. Like the panel it passes its children's
// notifications on to the top-level window.
#pragma once

#include <windows.h>

#include <functional>

#include "ui/window/window.h"

namespace corvane {

class TScrollBox final : public TWindow {
 public:
  bool Create(HWND vParent, int vX, int vY, int vW, int vH);

  // While off, moving children leaves the scroll range alone; turning it on again updates it.
  void SetAutoScroll(bool vOn);
  // Fits the range to the children: their lowest bottom edge, scrolled or not.
  void UpdateRange();
  // Scrolls the least distance that shows vControl (a child or a deeper descendant) whole,
  // or its top when it is taller than the box.
  void ScrollInView(HWND vControl);
  int Position() const { return fPos; }

  // Called after the box changed size, before the range is fitted.
  std::function<void()> OnResize;

 protected:
  LRESULT WndProc(UINT vMsg, WPARAM wParam, LPARAM lParam) override;

 private:
  int Extent() const;
  int LineStep() const;
  void ScrollTo(int vPos);
  void OnVScroll(int vCode);

  int fPos = 0;
  bool fAuto = true;
  bool fUpdating = false;
};

}  // namespace corvane
