// The main window's messages: each goes to the page, the options or the action it concerns.
#include "ui/main/mainform.h"

#include <commctrl.h>

#include "ui/about/aboutbox.h"
#include "ui/ids.h"
#include "ui/main/maintables.h"
#include "ui/wrapped.h"

namespace corvane {

namespace {

constexpr int kMinWidth = 500;  // at 96 DPI
constexpr int kMinHeight = 420;

}  // namespace

LRESULT TMainForm::WndProc(UINT vMsg, WPARAM wParam, LPARAM lParam) {
  if (LRESULT r = 0; fDetail && fDetail->HandleMessage(vMsg, wParam, lParam, r)) return r;
  if (LRESULT r = 0; fResults && fResults->HandleMessage(vMsg, wParam, lParam, r)) return r;
  switch (vMsg) {
    case WM_CREATE:
      FormCreate();
      return 0;
    case WM_SIZE:
      LayoutClient();
      return 0;
    case WM_DPICHANGED:
      DpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_GETMINMAXINFO: {
      auto* mm = reinterpret_cast<MINMAXINFO*>(lParam);
      mm->ptMinTrackSize = {fDisplay.S(kMinWidth), fDisplay.S(kMinHeight)};
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) FormActivate();
      if (fFocus.Activate(Handle(), wParam)) return 0;
      break;
    case WM_SETFOCUS:
      fFocus.Restore(Handle());
      return 0;
    case WM_NEXTDLGCTL:
      NextDlgCtl(Handle(), wParam, lParam);
      return 0;
    case WM_CLOSE:
      if (FormCloseQuery()) DestroyWindow(Handle());
      return 0;
    case WM_QUERYENDSESSION:
      return FormCloseQuery() ? TRUE : FALSE;
    case WM_ENDSESSION:
      // The session ends: close as the close box does, so settings and placement are written.
      if (wParam) {
        acStopExecute();
        DestroyWindow(Handle());
      }
      return 0;
    case WM_DESTROY:
      FormDestroy();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_MENUSELECT:
      OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
      return 0;
    case WM_MEASUREITEM: {
      auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (mi->CtlType == ODT_COMBOBOX) {
        mi->itemHeight = UINT(fOptions->ItemHeight());
        return TRUE;
      }
      break;
    }
    case WM_DRAWITEM: {
      const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (fOptions->DrawItem(*di)) return TRUE;
      break;
    }
    case ids::kRunPendingMsg:
      // Hits that follow each other closely are taken without a message each.
      if (fSync) fSync->RunPendingFor(std::chrono::milliseconds(50));
      return 0;
    case ids::kReleaseThreadMsg:
      fSearch->ReleaseEnded();
      return 0;
    case ids::kLoadArgumentMsg:
      fSaved->LoadSearch(fContext.fArgument);
      return 0;
    default:
      if (fContext.HandOffMsg != 0 && vMsg == fContext.HandOffMsg) {
        // A second instance handed over its first argument; it waits until the load is done.
        const LRESULT r = Default(vMsg, wParam, lParam);
        if (fContext.fHandedPath) fSaved->LoadSearch(fContext.fHandedPath());
        return r;
      }
      break;
  }
  return Default(vMsg, wParam, lParam);
}

void TMainForm::OnCommand(int vId, int vCode, HWND vControl) {
  // Controls report while the window is still being built: the pages may not be there yet.
  if (!fCriteria) return;
  if (fCriteria->OnCommand(vId, vCode, vControl)) return;
  if (vControl == nullptr || vControl == ToolBar1 || vControl == fCriteria->SearchButton() ||
      vControl == btnKDetail) {
    if (fActions.Execute(vId)) return;
  }
  if (fOptions->OnCommand(vId, vCode, vControl)) return;
  if (vControl == nullptr) {
    if (vId == ids::mnuExit) {
      PostMessageW(Handle(), WM_CLOSE, 0, 0);
      return;
    }
    if (vId == ids::mnuAbout) {
      TAboutForm about;
      about.ShowModal(Handle());
    }
  }
}

LRESULT TMainForm::OnNotify(NMHDR* vHdr) {
  if (vHdr->code == TTN_GETDISPINFOW) {
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(vHdr);
    if (const TAction* a = fActions.Find(int(vHdr->idFrom))) {
      static TText tip;  // must outlive the notification
      tip = ShortHint(a->fHint);
      info->lpszText = const_cast<wchar_t*>(W(tip));
      fApp.ChangeHint(a->fHint);
    }
    return 0;
  }
  // The tool bar and the cool bar notify while the window is still being built.
  if (fCriteria) fCriteria->OnNotify(*vHdr);
  return 0;
}

void TMainForm::OnMenuSelect(UINT vItem, UINT vFlags, HMENU vMenu) {
  if (vFlags == 0xFFFF && vMenu == nullptr) return fApp.ChangeHint(u"");
  if (vFlags & MF_POPUP) {
    const char16_t* hint = fOptions->SubMenuHint(GetSubMenu(vMenu, int(vItem)));
    return fApp.ChangeHint(hint ? hint : u"");
  }
  const int id = int(vItem);
  if (const TAction* a = fActions.Find(id)) return fApp.ChangeHint(a->fHint);
  if (const char16_t* hint = fOptions->MenuHint(id)) return fApp.ChangeHint(hint);
  const char16_t* hint = MenuItemHint(id);
  fApp.ChangeHint(hint ? hint : u"");
}

}  // namespace corvane
