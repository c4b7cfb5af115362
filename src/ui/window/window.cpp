#include "ui/window/window.h"

#include <exception>
#include <new>
#include <set>
#include <string>
#include <vector>

namespace corvane {

TWindow::~TWindow() {
  if (fHandle) {
    SetWindowLongPtrW(fHandle, GWLP_USERDATA, 0);
    DestroyWindow(fHandle);
  }
}

void TWindow::RegisterClassOnce(const wchar_t* vName, HBRUSH vBackground, HICON vIcon) {
  static std::set<std::wstring> registered;
  if (!registered.insert(vName).second) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = Trampoline;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = vBackground;
  wc.hIcon = vIcon;
  wc.lpszClassName = vName;
  RegisterClassExW(&wc);
}

bool TWindow::CreateHandle(DWORD vExStyle, const wchar_t* vClass, const wchar_t* vCaption,
                           DWORD vStyle, int vX, int vY, int vW, int vH, HWND vParent,
                           HMENU vMenu) {
  return CreateWindowExW(vExStyle, vClass, vCaption, vStyle, vX, vY, vW, vH, vParent, vMenu,
                         GetModuleHandleW(nullptr), this) != nullptr;
}

LRESULT TWindow::WndProc(UINT vMsg, WPARAM wParam, LPARAM lParam) {
  return Default(vMsg, wParam, lParam);
}

LRESULT CALLBACK TWindow::Trampoline(HWND vWnd, UINT vMsg, WPARAM wParam, LPARAM lParam) noexcept {
  auto* self = reinterpret_cast<TWindow*>(GetWindowLongPtrW(vWnd, GWLP_USERDATA));
  if (vMsg == WM_NCCREATE) {
    self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(vWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    if (self) self->fHandle = vWnd;
  }
  if (!self) return DefWindowProcW(vWnd, vMsg, wParam, lParam);
  LRESULT r = 0;
  GuardUserAction(vWnd, [&] { r = self->WndProc(vMsg, wParam, lParam); });
  if (vMsg == WM_NCDESTROY) {
    SetWindowLongPtrW(vWnd, GWLP_USERDATA, 0);
    self->fHandle = nullptr;
  }
  return r;
}

void ShowError(HWND vOwner, const TText& vText) {
  TText text = vText;
  if (!text.empty() && text.back() > u'.') text += u'.';
  MessageBoxW(vOwner, W(text), kAppTitle, MB_OK | MB_ICONERROR);
}

void ShowCaughtError(HWND vWnd) noexcept {
  HWND owner = vWnd ? GetAncestor(vWnd, GA_ROOT) : nullptr;
  try {
    try {
      throw;
    } catch (const std::bad_alloc&) {
      ShowError(owner, u"Out of memory");
    } catch (const std::exception& e) {
      ShowError(owner, FromUtf8(e.what()));
    } catch (...) {
      ShowError(owner, u"Unexpected error");
    }
  } catch (...) {
    // The box itself failed (no memory left for its text): nothing more can be shown.
  }
}

int TAlignList::Size(HWND vChild) const {
  for (const TItem& it : fItems)
    if (it.fChild == vChild) return it.fSize;
  return 0;
}

void TAlignList::SetSize(HWND vChild, int vSize) {
  for (TItem& it : fItems)
    if (it.fChild == vChild) it.fSize = vSize;
}

void TAlignList::Arrange(HWND vContainer) const {
  RECT r = ClientRect(vContainer);
  for (const TItem& it : fItems) {
    const bool shown = (GetWindowLongPtrW(it.fChild, GWL_STYLE) & WS_VISIBLE) != 0;
    if (!shown && it.fAlign != alClient) continue;
    switch (it.fAlign) {
      case alTop:
        SetBounds(it.fChild, r.left, r.top, r.right - r.left, it.fSize);
        r.top += it.fSize;
        break;
      case alBottom:
        SetBounds(it.fChild, r.left, r.bottom - it.fSize, r.right - r.left, it.fSize);
        r.bottom -= it.fSize;
        break;
      case alLeft:
        SetBounds(it.fChild, r.left, r.top, it.fSize, r.bottom - r.top);
        r.left += it.fSize;
        break;
      case alRight:
        SetBounds(it.fChild, r.right - it.fSize, r.top, it.fSize, r.bottom - r.top);
        r.right -= it.fSize;
        break;
      case alClient:
        SetBounds(it.fChild, r.left, r.top, r.right - r.left, r.bottom - r.top);
        break;
    }
  }
}

namespace {

LRESULT CALLBACK PanelProc(HWND vWnd, UINT vMsg, WPARAM wParam, LPARAM lParam) noexcept {
  if (LRESULT r = 0; ForwardToTop(vWnd, vMsg, wParam, lParam, r)) return r;
  if (vMsg == WM_SIZE) {
    if (auto* align = reinterpret_cast<const TAlignList*>(GetWindowLongPtrW(vWnd, GWLP_USERDATA)))
      align->Arrange(vWnd);
    return 0;
  }
  return DefWindowProcW(vWnd, vMsg, wParam, lParam);
}

}  // namespace

bool ForwardToTop(HWND vWnd, UINT vMsg, WPARAM wParam, LPARAM lParam, LRESULT& vResult) {
  switch (vMsg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CONTEXTMENU:
      if (HWND top = GetAncestor(vWnd, GA_ROOT); top && top != vWnd) {
        vResult = SendMessageW(top, vMsg, wParam, lParam);
        return true;
      }
      return false;
    default:
      return false;
  }
}

void RegisterChildClass(const wchar_t* vName, WNDPROC vProc, const wchar_t* vCursor) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(GetModuleHandleW(nullptr), vName, &wc)) return;
  wc.lpfnWndProc = vProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, vCursor);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = vName;
  RegisterClassExW(&wc);
}

void RegisterPanelClass() {
  RegisterChildClass(kPanelClass, PanelProc, IDC_ARROW);
}

HWND CreatePanel(HWND vParent, int vX, int vY, int vW, int vH, const TAlignList* vAlign,
                 DWORD vExStyle) {
  HWND h = CreateWindowExW(vExStyle | WS_EX_CONTROLPARENT, kPanelClass, L"",
                           WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, vX, vY, vW,
                           vH, vParent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (h && vAlign) SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(vAlign));
  return h;
}

HWND CreateControl(HWND vParent, const wchar_t* vClass, const wchar_t* vText, DWORD vStyle, int vX,
                   int vY, int vW, int vH, int vId, HFONT vFont, DWORD vExStyle) {
  HWND h = CreateWindowExW(vExStyle, vClass, vText, WS_CHILD | WS_VISIBLE | vStyle, vX, vY, vW, vH,
                           vParent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(vId)),
                           GetModuleHandleW(nullptr), nullptr);
  if (h && vFont) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(vFont), FALSE);
  return h;
}

TText ExePath() {
  std::wstring buf(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, buf.data(), DWORD(buf.size()));
  return n < buf.size() ? FromW(buf.c_str(), n) : TText();
}

TText WindowText(HWND vWnd) {
  const int n = GetWindowTextLengthW(vWnd);
  if (n <= 0) return {};
  std::wstring buf(std::size_t(n) + 1, L'\0');
  const int got = GetWindowTextW(vWnd, buf.data(), n + 1);
  return TText(reinterpret_cast<const char16_t*>(buf.data()), std::size_t(got > 0 ? got : 0));
}

void SetWindowTextT(HWND vWnd, const TText& vText) {
  SetWindowTextW(vWnd, W(vText));
}

void SetBounds(HWND vWnd, int vX, int vY, int vW, int vH) {
  SetWindowPos(vWnd, nullptr, vX, vY, vW < 0 ? 0 : vW, vH < 0 ? 0 : vH,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT ClientRect(HWND vWnd) {
  RECT r{};
  GetClientRect(vWnd, &r);
  return r;
}

void TAlignList::Scale(int vNum, int vDen) {
  for (TItem& it : fItems) it.fSize = MulDiv(it.fSize, vNum, vDen);
}

void RescaleChildren(HWND vWnd, int vOld, int vNew, HFONT vOldFont, HFONT vNewFont) {
  std::vector<HWND> children;
  for (HWND c = GetWindow(vWnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
  for (HWND c : children) {
    RECT r{};
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, vWnd, reinterpret_cast<POINT*>(&r), 2);
    wchar_t cls[32] = {};
    GetClassNameW(c, cls, 32);
    // A drop-down list's height is that of its open list; the closed box follows its font.
    const int height = _wcsicmp(cls, L"ComboBox") == 0 ? DroppedHeight(c) : r.bottom - r.top;
    const HFONT own = reinterpret_cast<HFONT>(SendMessageW(c, WM_GETFONT, 0, 0));
    if (own == vOldFont) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(vNewFont), FALSE);
    RescaleChildren(c, vOld, vNew, vOldFont, vNewFont);
    SetWindowPos(c, nullptr, MulDiv(r.left, vNew, vOld), MulDiv(r.top, vNew, vOld),
                 MulDiv(r.right - r.left, vNew, vOld), MulDiv(height, vNew, vOld),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

int TextWidth(HWND vWnd, HFONT vFont, const TText& vText) {
  HDC dc = GetDC(vWnd);
  if (!dc) return 0;
  const HGDIOBJ old = SelectObject(dc, vFont);
  SIZE size{};
  GetTextExtentPoint32W(dc, W(vText), int(vText.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(vWnd, dc);
  return int(size.cx);
}

int DroppedHeight(HWND vCombo) {
  RECT r{};
  SendMessageW(vCombo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&r));
  return r.bottom - r.top;
}

}  // namespace corvane
