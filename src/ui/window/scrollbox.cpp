#include "ui/window/scrollbox.h"

#include <algorithm>
#include <vector>

#include "ui/window/dpi.h"

namespace corvane {

namespace {
constexpr wchar_t kScrollBoxClass[] = L"TCorvaneScrollBox";
constexpr int kMargin = 4;     // room below the lowest child, at 96 DPI
constexpr int kLineStep = 16;  // pixels per arrow click and per wheel line, at 96 DPI
}  // namespace

bool TScrollBox::Create(HWND vParent, int vX, int vY, int vW, int vH) {
  RegisterClassOnce(kScrollBoxClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
  return CreateHandle(WS_EX_CONTROLPARENT, kScrollBoxClass, L"",
                      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL, vX,
                      vY, vW, vH, vParent, nullptr);
}

void TScrollBox::SetAutoScroll(bool vOn) {
  fAuto = vOn;
  if (fAuto) UpdateRange();
}

int TScrollBox::LineStep() const {
  return TScale(DpiOf(Handle()))(kLineStep);
}

int TScrollBox::Extent() const {
  int bottom = 0;
  for (HWND c = GetWindow(Handle(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!(GetWindowLongPtrW(c, GWL_STYLE) & WS_VISIBLE)) continue;
    RECT r{};
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
    bottom = std::max<int>(bottom, r.bottom);
  }
  return bottom + fPos + TScale(DpiOf(Handle()))(kMargin);
}

void TScrollBox::UpdateRange() {
  // Showing or hiding the bar resizes the box, which comes back here.
  if (!Handle() || fUpdating) return;
  fUpdating = true;
  const int extent = Extent();
  const int page = ClientRect(Handle()).bottom;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE;
  si.nMin = 0;
  si.nMax = extent > page ? extent - 1 : 0;
  si.nPage = extent > page ? UINT(page) : 0;
  SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
  ShowScrollBar(Handle(), SB_VERT, extent > page);
  ScrollTo(fPos);  // a shorter extent may leave the position beyond the end
  fUpdating = false;
}

void TScrollBox::ScrollTo(int vPos) {
  const int page = ClientRect(Handle()).bottom;
  const int limit = std::max(0, Extent() - page);
  const int pos = std::clamp(vPos, 0, limit);
  const int dy = fPos - pos;
  if (dy != 0) {
    std::vector<HWND> children;
    for (HWND c = GetWindow(Handle(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      children.push_back(c);
    for (HWND c : children) {
      RECT r{};
      GetWindowRect(c, &r);
      MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
      SetWindowPos(c, nullptr, r.left, r.top + dy, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    fPos = pos;
    InvalidateRect(Handle(), nullptr, TRUE);
  }
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_POS;
  si.nPos = fPos;
  SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
}

void TScrollBox::ScrollInView(HWND vControl) {
  if (!vControl || !IsChild(Handle(), vControl)) return;
  RECT r{};
  GetWindowRect(vControl, &r);
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
  const int page = ClientRect(Handle()).bottom;
  if (r.top < 0 || r.bottom - r.top > page)
    ScrollTo(fPos + r.top);
  else if (r.bottom > page)
    ScrollTo(fPos + r.bottom - page);
}

void TScrollBox::OnVScroll(int vCode) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(Handle(), SB_VERT, &si);
  const int page = int(si.nPage);
  switch (vCode) {
    case SB_LINEUP:
      return ScrollTo(fPos - LineStep());
    case SB_LINEDOWN:
      return ScrollTo(fPos + LineStep());
    case SB_PAGEUP:
      return ScrollTo(fPos - page);
    case SB_PAGEDOWN:
      return ScrollTo(fPos + page);
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      return ScrollTo(si.nTrackPos);
    case SB_TOP:
      return ScrollTo(0);
    case SB_BOTTOM:
      return ScrollTo(si.nMax);
    default:
      return;
  }
}

LRESULT TScrollBox::WndProc(UINT vMsg, WPARAM wParam, LPARAM lParam) {
  if (LRESULT r = 0; ForwardToTop(Handle(), vMsg, wParam, lParam, r)) return r;
  switch (vMsg) {
    case WM_SIZE:
      if (OnResize) OnResize();
      if (fAuto) UpdateRange();
      return 0;
    case WM_VSCROLL:
      OnVScroll(LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL:
      ScrollTo(fPos - GET_WHEEL_DELTA_WPARAM(wParam) * 3 * LineStep() / WHEEL_DELTA);
      return 0;
    default:
      break;
  }
  return Default(vMsg, wParam, lParam);
}

}  // namespace corvane
