#include "ui/window/splitter.h"

#include <algorithm>

#include "ui/window/window.h"

namespace corvane {
namespace {

constexpr wchar_t kSplitterClass[] = L"TCorvaneSplitter";

}  // namespace

TSplitter::~TSplitter() {
  if (fHandle) SetWindowLongPtrW(fHandle, GWLP_USERDATA, 0);
}

HWND TSplitter::Create(HWND vParent, int vWidth) {
  RegisterChildClass(kSplitterClass, Proc, IDC_SIZEWE);
  fHandle = CreateWindowExW(0, kSplitterClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, vWidth, 10,
                            vParent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (fHandle) SetWindowLongPtrW(fHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return fHandle;
}

void TSplitter::Drag(int vScreenX) {
  const int width = std::max(fMinWidth, fStartWidth + (vScreenX - fStartX));
  if (fGetWidth && width == fGetWidth()) return;
  if (fCanResize && !fCanResize(width)) return;
  if (fResize) fResize(width);
  if (fMoved) fMoved();
}

LRESULT CALLBACK TSplitter::Proc(HWND vWnd, UINT vMsg, WPARAM wParam, LPARAM lParam) noexcept {
  auto* self = reinterpret_cast<TSplitter*>(GetWindowLongPtrW(vWnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(vWnd, vMsg, wParam, lParam);
  try {
    POINT pt{short(LOWORD(lParam)), short(HIWORD(lParam))};
    switch (vMsg) {
      case WM_LBUTTONDOWN:
        ClientToScreen(vWnd, &pt);
        self->fDragging = true;
        self->fStartX = pt.x;
        self->fStartWidth = self->fGetWidth ? self->fGetWidth() : 0;
        SetCapture(vWnd);
        return 0;
      case WM_MOUSEMOVE:
        if (self->fDragging) {
          ClientToScreen(vWnd, &pt);
          self->Drag(pt.x);
        }
        return 0;
      case WM_LBUTTONUP:
        if (self->fDragging) {
          ClientToScreen(vWnd, &pt);
          self->Drag(pt.x);
          self->fDragging = false;
          ReleaseCapture();
        }
        return 0;
      case WM_CAPTURECHANGED:
        self->fDragging = false;
        return 0;
      default:
        break;
    }
  } catch (...) {
    // A refused or failed move leaves the panels as they were.
    self->fDragging = false;
    ShowCaughtError(vWnd);
  }
  return DefWindowProcW(vWnd, vMsg, wParam, lParam);
}

}  // namespace corvane
