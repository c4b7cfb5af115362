#include "ui/results/resultspage.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "ui/gdicanvas.h"
#include "ui/ids.h"
#include "ui/wrapped.h"
#include "win32/handles.h"

namespace corvane {

namespace {

constexpr TFontStyles kEmphasis = fsBold | fsUnderline;

// The value line of a row: the default value's empty name is shown as "(default)".
TText ValueLine(const TResult& vHit) {
  return vHit.fValStr.empty() ? TText(u"(default)") : vHit.fValStr;
}

}  // namespace

TResultsPage::TResultsPage(HWND vMainWindow, const TDisplay& vDisplay, THost vHost)
    : fMain(vMainWindow), fDisplay(vDisplay), fHost(std::move(vHost)) {}

TResultsPage::~TResultsPage() {
  if (lbResults) RemoveWindowSubclass(lbResults, ResultsSubclass, 1);
}

HWND TResultsPage::Button(HWND vParent, const wchar_t* vText, int vX, int vW, int vId) {
  return CreateControl(vParent, L"BUTTON", vText, WS_TABSTOP | BS_PUSHBUTTON, S(vX), S(28), S(vW),
                       S(25), vId, fDisplay.fFont);
}

HWND TResultsPage::Create(HWND vParent) {
  pnlPage = CreatePanel(vParent, 0, 0, 100, 100, &fPageAlign);
  pnlSearch = CreatePanel(pnlPage, 0, 0, 100, S(kSearchHeight));
  lbResults = CreateControl(
      pnlPage, L"LISTBOX", L"",
      WS_TABSTOP | WS_VSCROLL | LBS_OWNERDRAWVARIABLE | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 0, 0,
      100, 100, ids::lbResults, fDisplay.fFont, WS_EX_CLIENTEDGE);
  fPageAlign.Add(pnlSearch, alTop, S(kSearchHeight));
  fPageAlign.Add(lbResults, alClient);
  SetWindowSubclass(lbResults, ResultsSubclass, 1, reinterpret_cast<DWORD_PTR>(this));
  lblSearch = CreateControl(pnlSearch, L"STATIC", L"Searching...", SS_NOPREFIX, S(11), S(8), S(400),
                            S(16), ids::lblSearch, fDisplay.fFont);
  btnPrev = Button(pnlSearch, L"&< Previous 10", 11, 100, ids::btnPrev);
  btnKDetail = Button(pnlSearch, L"&Detail", 200, 75, ids::acKDetail);
  btnNext = Button(pnlSearch, L"Next 10 &>", 370, 100, ids::btnNext);
  EnableWindow(btnPrev, FALSE);
  EnableWindow(btnNext, FALSE);
  return pnlPage;
}

void TResultsPage::Start(bool vValues, bool vData) {
  SendMessageW(lbResults, LB_RESETCONTENT, 0, 0);
  fRowCount = 0;
  Results.clear();
  RsltVal = vValues;
  RsltDat = vData;
  fPageBeg = 0;
  const std::int32_t perPage = fHost.fPerPage();
  SetWindowTextT(btnPrev, PrevCaption(perPage));
  SetWindowTextT(btnNext, NextCaption(perPage));
  EnableWindow(btnPrev, FALSE);
  EnableWindow(btnNext, FALSE);
  SetWindowTextW(lblSearch, L"Searching...");
}

void TResultsPage::Clear() {
  Results.clear();
  SendMessageW(lbResults, LB_RESETCONTENT, 0, 0);
  fRowCount = 0;
  fPageBeg = 0;
}

void TResultsPage::SetCaption(const TText& vText) {
  SetWindowTextT(lblSearch, vText);
}

void TResultsPage::Done(const TText& vText) {
  SetCaption(vText);
  MeasureResults();
  InvalidateRect(lbResults, nullptr, TRUE);
}

std::int32_t TResultsPage::SelectedRow() const {
  const LRESULT row = SendMessageW(lbResults, LB_GETCURSEL, 0, 0);
  return row == LB_ERR ? -1 : std::int32_t(row);
}

const TResult* TResultsPage::SelectedHit() const {
  const std::int32_t row = SelectedRow();
  if (row < 0) return nullptr;
  const std::int64_t at = std::int64_t(fPageBeg) + row;
  return at < std::int64_t(Results.size()) ? &Results[std::size_t(at)] : nullptr;
}

void TResultsPage::Rescale(int vOldDpi) {
  (void)vOldDpi;
  fPageAlign.SetSize(pnlSearch, S(kSearchHeight));
  fPageAlign.Arrange(pnlPage);
}

void TResultsPage::Layout(int vWidth) {
  MeasureResults();
  KeepRowsFilled();
  fPageAlign.SetSize(pnlSearch, S(kSearchHeight));
  SetBounds(lblSearch, S(11), S(8), S(400), S(16));
  SetBounds(btnPrev, S(11), S(28), S(100), S(25));
  SetBounds(btnKDetail, (vWidth - S(75)) / 2, S(28), S(75), S(25));
  SetBounds(btnNext, vWidth - S(11) - S(100), S(28), S(100), S(25));
  InvalidateRect(lbResults, nullptr, TRUE);
}

bool TResultsPage::HandleMessage(UINT vMsg, WPARAM wParam, LPARAM lParam, LRESULT& vResult) {
  if (!pnlPage) return false;
  switch (vMsg) {
    case WM_COMMAND: {
      const HWND from = reinterpret_cast<HWND>(lParam);
      const int code = HIWORD(wParam);
      if (from == btnNext) {
        if (code == BN_CLICKED) btnNextClick();
      } else if (from == btnPrev) {
        if (code == BN_CLICKED) btnPrevClick();
      } else if (from == lbResults) {
        if (code == LBN_DBLCLK) fHost.fOpen();
        if (code == LBN_SELCHANGE && fHost.fSelected) fHost.fSelected();
      } else {
        return false;
      }
      vResult = 0;
      return true;
    }
    case WM_MEASUREITEM: {
      auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (mi->CtlType != ODT_LISTBOX || int(mi->CtlID) != ids::lbResults) return false;
      mi->itemHeight = UINT(RowHeight(int(mi->itemID)));
      vResult = TRUE;
      return true;
    }
    case WM_DRAWITEM: {
      const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (di->hwndItem != lbResults) return false;
      lbResultsDrawItem(*di);
      vResult = TRUE;
      return true;
    }
    case WM_CONTEXTMENU: {
      if (reinterpret_cast<HWND>(wParam) != lbResults) return false;
      POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (pt.x == -1 && pt.y == -1) GetCursorPos(&pt);
      fHost.fContextMenu(pt);
      vResult = 0;
      return true;
    }
    default:
      return false;
  }
}

// --- Rows -------------------------------------------------------------------------------

std::int32_t TResultsPage::RowHeight(int vRow) {
  const std::int64_t at = std::int64_t(fPageBeg) + vRow;
  if (vRow < 0 || at >= std::int64_t(Results.size())) return 0;
  const TResult& hit = Results[std::size_t(at)];
  RECT r{};
  if (SendMessageW(lbResults, LB_GETITEMRECT, WPARAM(vRow), reinterpret_cast<LPARAM>(&r)) ==
          LB_ERR &&
      SendMessageW(lbResults, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r)) == LB_ERR) {
    RECT w{};
    GetWindowRect(fMain, &w);
    r = {0, 0, (w.right - w.left) - 4, 0};
  }
  const TRect rect{S(kTextLeft), 0, r.right - S(2), 0};
  ++fWork.fRowsMeasured;
  const TWindowDC dc(lbResults);
  if (!dc) return S(22);
  const int line = S(kLineHeight);
  std::int32_t h = 0;
  {
    TGdiCanvas canvas(dc.Get(), fDisplay.fFont);
    h = DrawWrapped(false, canvas, rect, hit.fKeyStr, WordSeparators, hit.fKeyStart, hit.fKeyLen,
                    line, kEmphasis);
    if (RsltVal || RsltDat)
      h += DrawWrapped(false, canvas, rect, ValueLine(hit), WordSeparators, hit.fValStart,
                       hit.fValLen, line, kEmphasis);
    if (RsltDat)
      h += DrawWrapped(false, canvas, rect, hit.fDatStr, WordSeparators, hit.fDatStart, hit.fDatLen,
                       line, kEmphasis);
  }
  // A list box row is at most 255 pixels high.
  return std::min<std::int32_t>(h + S(4), 255);
}

void TResultsPage::MeasureResults() {
  const int n = fRowCount;
  for (int i = n - 1; i >= 0; --i)
    SendMessageW(lbResults, LB_SETITEMHEIGHT, WPARAM(i), MAKELPARAM(RowHeight(i), 0));
}

void TResultsPage::KeepRowsFilled() {
  // A list made taller keeps its first shown row, which would leave empty space below the
  // last row while rows are hidden above: show as many of those as now fit.
  int top = int(SendMessageW(lbResults, LB_GETTOPINDEX, 0, 0));
  if (top <= 0) return;
  const int n = fRowCount;
  const int space = int(ClientRect(lbResults).bottom);
  int used = 0;
  for (int i = top; i < n && used <= space; ++i)
    used += int(SendMessageW(lbResults, LB_GETITEMHEIGHT, WPARAM(i), 0));
  const int first = top;
  while (top > 0) {
    const int h = int(SendMessageW(lbResults, LB_GETITEMHEIGHT, WPARAM(top - 1), 0));
    if (used + h > space) break;
    used += h;
    --top;
  }
  if (top != first) SendMessageW(lbResults, LB_SETTOPINDEX, WPARAM(top), 0);
}

void TResultsPage::SetRows(std::int32_t vRows) {
  while (fRowCount < vRows) {
    if (SendMessageW(lbResults, LB_ADDSTRING, 0, 0) < 0) return;
    ++fRowCount;
  }
  while (fRowCount > vRows) SendMessageW(lbResults, LB_DELETESTRING, WPARAM(--fRowCount), 0);
}

void TResultsPage::AddHit(TResult vHit) {
  Results.push_back(std::move(vHit));
  const std::int32_t n = std::int32_t(Results.size()) - 1;
  const std::int32_t rows = fRowCount;
  const THitStep step = corvane::AddHit(n, fPageBeg, fHost.fPerPage(), rows);
  if (step.fEnableNext && !IsWindowEnabled(btnNext)) EnableWindow(btnNext, TRUE);
  if (step.fShown) {
    RECT before{}, client{}, area{};
    GetClientRect(lbResults, &before);
    const int r = n - fPageBeg;
    // A row the list adds asks for its height itself (WM_MEASUREITEM): measure only a row
    // that was there already.
    if (r < rows) SendMessageW(lbResults, LB_SETITEMHEIGHT, WPARAM(r), MAKELPARAM(RowHeight(r), 0));
    SetRows(step.fRows);
    // Only the new row and what lies below it: the rows drawn already stay as they are, and
    // a row paints its whole rectangle, so nothing is erased first. A scroll bar that came
    // or went changes every row's width: then all of them.
    GetClientRect(lbResults, &client);
    if (client.right == before.right && SendMessageW(lbResults, LB_GETITEMRECT, WPARAM(r),
                                                     reinterpret_cast<LPARAM>(&area)) != LB_ERR) {
      area.bottom = client.bottom;
      InvalidateRect(lbResults, &area, FALSE);
    } else {
      InvalidateRect(lbResults, nullptr, TRUE);
    }
  }
  if (step.fRow >= 0) SendMessageW(lbResults, LB_SETCURSEL, WPARAM(step.fRow), 0);
}

void TResultsPage::ApplyPageState(const TPageState& vState) {
  fPageBeg = vState.fPageBeg;
  EnableWindow(btnPrev, vState.fPrevEnabled);
  EnableWindow(btnNext, vState.fNextEnabled);
  SetRows(vState.fRows);
  MeasureResults();
  InvalidateRect(lbResults, nullptr, TRUE);
}

void TResultsPage::btnNextClick() {
  TPageState s{fPageBeg, fRowCount, IsWindowEnabled(btnPrev) != FALSE,
               IsWindowEnabled(btnNext) != FALSE};
  ApplyPageState(NextPage(s, fHost.fPerPage(), std::int32_t(Results.size())));
}

void TResultsPage::btnPrevClick() {
  TPageState s{fPageBeg, fRowCount, IsWindowEnabled(btnPrev) != FALSE,
               IsWindowEnabled(btnNext) != FALSE};
  ApplyPageState(PrevPage(s, fHost.fPerPage()));
}

void TResultsPage::lbResultsDrawItem(const DRAWITEMSTRUCT& vItem) {
  if (vItem.itemID == UINT(-1)) return;
  ++fWork.fRowsDrawn;
  HDC dc = vItem.hDC;
  const bool selected = (vItem.itemState & ODS_SELECTED) != 0;
  const COLORREF back = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
  const COLORREF fore = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
  const RECT row = vItem.rcItem;
  {
    TGdiObject brush(CreateSolidBrush(back));
    FillRect(dc, &row, HBRUSH(brush.Get()));
  }
  const int i = int(vItem.itemID);
  const std::int64_t at = std::int64_t(fPageBeg) + i;
  if (at >= std::int64_t(Results.size())) return;
  const TResult& hit = Results[std::size_t(at)];
  const COLORREF oldFore = SetTextColor(dc, fore);
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  {
    TGdiCanvas canvas(dc, fDisplay.fFont);
    const int lineHeight = S(kLineHeight);
    RECT label{row.left + S(50), row.top, row.left + S(90), row.top + S(24)};
    TRect text{row.left + S(kTextLeft), row.top, row.right - S(2), row.bottom};
    auto line = [&](const wchar_t* vLabel, const TText& vText, std::int32_t vStart,
                    std::int32_t vLen) {
      DrawTextW(dc, vLabel, -1, &label, DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
      return DrawWrapped(true, canvas, text, vText, WordSeparators, vStart, vLen, lineHeight,
                         kEmphasis);
    };
    auto next = [&](std::int32_t vHeight) {
      text.fTop += vHeight;
      label.top = text.fTop;
      label.bottom = label.top + S(24);
    };
    std::int32_t h = line(L"Key: ", hit.fKeyStr, hit.fKeyStart, hit.fKeyLen);
    if (RsltVal || RsltDat) {
      next(h);
      h = line(L"Val: ", ValueLine(hit), hit.fValStart, hit.fValLen);
    }
    if (RsltDat) {
      next(h);
      line(L"Dat: ", hit.fDatStr, hit.fDatStart, hit.fDatLen);
    }
    RECT box{row.left + 1, row.top + 1, row.left + 1 + S(48), row.bottom - 1};
    TGdiObject pen(CreatePen(PS_SOLID, 1, fore));
    {
      TSelect use(dc, pen.Get());
      MoveToEx(dc, box.right, box.top, nullptr);
      LineTo(dc, box.right, box.bottom);
      LineTo(dc, box.left - 1, box.bottom);
    }
    const TText number = RowNumberText(std::int32_t(at + 1));
    DrawTextW(dc, W(number), -1, &box, DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  }
  SetBkMode(dc, oldMode);
  SetTextColor(dc, oldFore);
}

LRESULT CALLBACK TResultsPage::ResultsSubclass(HWND vWnd, UINT vMsg, WPARAM wParam, LPARAM lParam,
                                               UINT_PTR, DWORD_PTR vRef) noexcept {
  auto* page = reinterpret_cast<TResultsPage*>(vRef);
  // Every message to the list passes here, those the page sends itself for each hit among
  // them: ask the list for its selection only for the keys that need it. A message sent from
  // here comes back through here, so asking for every message multiplies the list's work.
  const auto selected = [vWnd] { return SendMessageW(vWnd, LB_GETCURSEL, 0, 0) != LB_ERR; };
  // Enter on a selected hit opens it in the detail page, as a double click does.
  const bool enter = (vMsg == WM_GETDLGCODE && lParam &&
                      reinterpret_cast<const MSG*>(lParam)->message == WM_KEYDOWN &&
                      reinterpret_cast<const MSG*>(lParam)->wParam == VK_RETURN) ||
                     (vMsg == WM_KEYDOWN && wParam == VK_RETURN);
  if (enter && selected()) {
    if (vMsg == WM_GETDLGCODE)
      return DefSubclassProc(vWnd, vMsg, wParam, lParam) | DLGC_WANTMESSAGE;
    GuardUserAction(vWnd, [&] { page->fHost.fOpen(); });
    return 0;
  }
  // Ctrl+C (Alt not held) copies from the selected hit.
  if (vMsg == WM_KEYDOWN && wParam == 'C' && GetKeyState(VK_CONTROL) < 0 &&
      GetKeyState(VK_MENU) >= 0 && selected()) {
    GuardUserAction(vWnd, [&] { page->fHost.fCopy(); });
    return 0;
  }
  if (vMsg == WM_RBUTTONDOWN)
    GuardUserAction(vWnd, [&] { page->lbResultsMouseDown(lParam, wParam); });
  return DefSubclassProc(vWnd, vMsg, wParam, lParam);
}

void TResultsPage::lbResultsMouseDown(LPARAM lParam, WPARAM wParam) {
  // The right button alone: no key held, no other button down.
  if (wParam != MK_RBUTTON) return;
  const LRESULT hit = SendMessageW(lbResults, LB_ITEMFROMPOINT, 0, lParam);
  const bool outside = HIWORD(hit) != 0;
  SendMessageW(lbResults, LB_SETCURSEL, outside ? WPARAM(-1) : WPARAM(LOWORD(hit)), 0);
}

}  // namespace corvane
