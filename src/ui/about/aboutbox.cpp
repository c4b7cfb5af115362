#include "ui/about/aboutbox.h"

// after windows.h
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <thread>

#include "about/verres.h"
#include "text/wide.h"
#include "ui/window/window.h"

namespace corvane {
namespace {

constexpr int kClientWidth = 390;
constexpr int kClientHeight = 144;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

// An empty dialog template: the controls are made in pixels when the dialog starts.
struct alignas(4) TTemplate {
  DLGTEMPLATE fHeader;
  WORD fMenu = 0, fClass = 0, fTitle = 0;
};

}  // namespace

void TAboutForm::ShowModal(HWND vOwner) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LINK_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  TTemplate tpl{};
  tpl.fHeader.style = kStyle;
  tpl.fHeader.dwExtendedStyle = kExStyle;
  DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &tpl.fHeader, vOwner, DlgProc,
                          reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK TAboutForm::DlgProc(HWND vDlg, UINT vMsg, WPARAM wParam, LPARAM lParam) noexcept {
  if (vMsg == WM_INITDIALOG) SetWindowLongPtrW(vDlg, DWLP_USER, lParam);
  auto* self = reinterpret_cast<TAboutForm*>(GetWindowLongPtrW(vDlg, DWLP_USER));
  if (!self) return FALSE;
  if (vMsg == WM_INITDIALOG) self->fDlg = vDlg;
  try {
    return self->Handle(vMsg, wParam, lParam);
  } catch (...) {
    // Shown as every fault is; the dialog only shows texts and can still be closed.
    ShowCaughtError(vDlg);
    return vMsg == WM_INITDIALOG ? TRUE : FALSE;
  }
}

INT_PTR TAboutForm::Handle(UINT vMsg, WPARAM wParam, LPARAM lParam) {
  switch (vMsg) {
    case WM_INITDIALOG:
      FormCreate();
      SetFocus(GetDlgItem(fDlg, aboutids::btnAboutOK));
      return FALSE;  // the focus is set
    case WM_COMMAND:
      // OK is both the default and the cancel button: Enter and Esc close with OK.
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(fDlg, IDOK);
        return TRUE;
      }
      return FALSE;
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
      if (hdr->idFrom == UINT_PTR(aboutids::lnklbl1) &&
          (hdr->code == NM_CLICK || hdr->code == NM_RETURN)) {
        lnklbl1LinkClick(reinterpret_cast<const NMLINK*>(lParam)->item.szUrl);
        return TRUE;
      }
      return FALSE;
    }
    case WM_DRAWITEM: {
      const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (di->CtlID != UINT(aboutids::Panel1)) return FALSE;
      Panel1Paint(*di);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      if (id == aboutids::lblVersion && fTexts.PreRel) SetTextColor(dc, RGB(255, 0, 0));
      if (id != aboutids::lblcomment) SetBkMode(dc, TRANSPARENT);
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }
    default:
      return FALSE;
  }
}

HWND TAboutForm::Label(int vId, const TText& vText, int vX, int vY, int vW, int vH) {
  return CreateControl(fDlg, L"STATIC", W(vText), SS_NOPREFIX, S(vX), S(vY), S(vW), S(vH), vId,
                       HFONT(fFont.Get()));
}

void TAboutForm::GetVersionTexts() {
  const TVerInfoObj info(ExePath());
  fTexts = VersionTexts(FromW(kAppTitle), info);
}

void TAboutForm::FormCreate() {
  GetVersionTexts();
  SetWindowTextT(fDlg, u"About " + FromW(kAppTitle));
  fScale.SetDpi(DpiOf(fDlg));
  fFont.Reset(CreateFontW(fScale.FontHeight(13), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                          DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_SWISS, L"Arial"));
  SendMessageW(fDlg, WM_SETFONT, reinterpret_cast<WPARAM>(fFont.Get()), FALSE);

  // Client area 390 x 144 pixels at 96 DPI, centred on the screen.
  RECT r{0, 0, S(kClientWidth), S(kClientHeight)};
  AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
  const int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(fDlg, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);

  // In tab order: OK, the picture, the link; then the labels.
  CreateControl(fDlg, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, S(336), S(8), S(49), S(25),
                aboutids::btnAboutOK, HFONT(fFont.Get()));
  CreateControl(fDlg, L"STATIC", L"", SS_OWNERDRAW, S(4), S(4), S(52), S(52), aboutids::Panel1,
                nullptr);
  const TText link = u"<a href=\"" + TText(kLinkAddress) + u"\">" + kLinkText + u"</a>";
  CreateControl(fDlg, WC_LINK, W(link), WS_TABSTOP, S(248), S(116), S(104), S(20),
                aboutids::lnklbl1, HFONT(fFont.Get()));
  Label(aboutids::lblVersion, fTexts.VerStr, 64, 8, 268, 16);
  Label(aboutids::lblCopyright, fTexts.CopStr, 64, 32, 268, 16);
  Label(aboutids::lblcomment, fTexts.ComStr, 64, 72, 320, 32);
  Label(aboutids::lblRights, kRightsNotice, 64, 120, 180, 16);

  // The picture drawn for the scale: 48, 72 or 96 pixels.
  const wchar_t* const pictures[] = {L"AboutMe", L"AboutMe150", L"AboutMe200"};
  fPicture.Reset(LoadImageW(GetModuleHandleW(nullptr), pictures[ImageScaleIndex(fScale)],
                            IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!fPicture) {
    fIcon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1),
                                          IMAGE_ICON, S(32), S(32), LR_SHARED));
    if (!fIcon) fIcon = LoadIconW(nullptr, IDI_APPLICATION);
  }
  fShowsIcon = !fPicture;
}

void TAboutForm::Panel1Paint(const DRAWITEMSTRUCT& vItem) {
  HDC dc = vItem.hDC;
  RECT r = vItem.rcItem;
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
  BITMAP info{};
  const int picture =
      fPicture && GetObjectW(fPicture.Get(), sizeof info, &info) ? int(info.bmWidth) : S(48);
  const int edge = S(2);
  if (fPicture) {
    const TMemoryDC mem(CreateCompatibleDC(dc));
    TSelect use(mem.Get(), fPicture.Get());
    // Magenta is the picture's transparent colour.
    TransparentBlt(dc, r.left + edge, r.top + edge, picture, picture, mem.Get(), 0, 0, picture,
                   picture, RGB(255, 0, 255));
  } else if (fIcon) {
    const int icon = S(32);
    const int at = edge + (picture - icon) / 2;
    DrawIconEx(dc, r.left + at, r.top + at, fIcon, icon, icon, 0, nullptr, DI_NORMAL);
  }
}

void TAboutForm::lnklbl1LinkClick(const wchar_t* vLink) {
  // The shell may take its time (or, under Wine, never find a browser): it runs on a thread
  // of its own so that the dialog stays responsive. Its result is not examined.
  std::thread([wnd = fDlg, link = std::wstring(vLink)] {
    const HRESULT co = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ShellExecuteW(wnd, L"open", link.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
    if (SUCCEEDED(co)) CoUninitialize();
  }).detach();
}

}  // namespace corvane
