#include "ui/main/criteriapage.h"

#include <commctrl.h>

#include <algorithm>

#include "search/regexmatch.h"
#include "ui/ids.h"
#include "ui/window/focus.h"

namespace corvane {

HWND TCriteriaPage::Create(HWND vParent, TOptions& vOptions) {
  fPage = CreatePanel(vParent, 0, 0, 100, 100, &fPageAlign);
  const HFONT font = fDisplay.fFont;
  fSpacer = CreatePanel(fPage, 0, 0, 10, S(9));
  pnlBottom = CreatePanel(fPage, 0, 0, 100, S(46));
  pcMain = CreateControl(fPage, WC_TABCONTROLW, L"", WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0, 100, 100,
                         ids::pcMain, font);
  fPageAlign.Add(fSpacer, alTop, S(9));
  fPageAlign.Add(pnlBottom, alBottom, S(46));
  fTime = std::make_unique<TTimeBox>(fApp, fDisplay, fChanged);
  if (fTime->Create(fPage)) fPageAlign.Add(fTime->Handle(), alBottom, S(TTimeBox::kHeight));
  fPageAlign.Add(pcMain, alClient);
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<wchar_t*>(L"Basic");
  TabCtrl_InsertItem(pcMain, 0, &item);
  item.pszText = const_cast<wchar_t*>(L"Advanced");
  TabCtrl_InsertItem(pcMain, 1, &item);

  tsEasy = CreatePanel(fPage, 0, 0, 100, 100);
  lblEasy = CreateControl(tsEasy, L"STATIC",
                          L"Click Search to find the value below anywhere in the Registry",
                          SS_NOPREFIX, S(8), S(10), S(440), S(16), 0, font);
  ebNow = CreateControl(tsEasy, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, S(8), S(32), S(400),
                        S(21), ids::ebNow, font, WS_EX_CLIENTEDGE);
  cbRegex = CreateControl(tsEasy, L"BUTTON", L"Regular e&xpression", WS_TABSTOP | BS_AUTOCHECKBOX,
                          S(8), S(60), S(160), S(17), ids::cbRegex, font);
  fApp.SetHint(cbRegex,
               u"Regular expression|Search for the text as a regular expression (names "
               u"without regard to case)");
  tsAdvanced = CreatePanel(fPage, 0, 0, 100, 100, &fAdvancedAlign);
  fCrit = std::make_unique<TCritBoxes>(fApp, fDisplay, fChanged);
  fAdvancedAlign.Add(fCrit->Create(tsAdvanced), alClient);
  ShowWindow(tsAdvanced, SW_HIDE);

  sbSearchE = CreateControl(pnlBottom, L"BUTTON", L"&Search", WS_TABSTOP | BS_PUSHBUTTON, S(8),
                            S(11), S(75), S(25), ids::acSearch, font);
  fApp.SetHint(sbSearchE, u"Begin search|Search for Registry data matching your criteria");
  vOptions.CreateLists(pnlBottom);
  return fPage;
}

bool TCriteriaPage::AdvancedTab() const {
  return TabCtrl_GetCurSel(pcMain) == 1;
}

void TCriteriaPage::ShowTab(int vTab) {
  TabCtrl_SetCurSel(pcMain, vTab);
  const bool basic = TabCtrl_GetCurSel(pcMain) == 0;
  ShowWindow(tsEasy, basic ? SW_SHOW : SW_HIDE);
  ShowWindow(tsAdvanced, basic ? SW_HIDE : SW_SHOW);
  FocusBasicText();
}

void TCriteriaPage::TabsAsButtons() {
  SetWindowLongPtrW(pcMain, GWL_STYLE, GetWindowLongPtrW(pcMain, GWL_STYLE) | TCS_BUTTONS);
  SetWindowPos(pcMain, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

void TCriteriaPage::NewSearch() {
  fCrit->SetRootBits(DefaultRoots);
  SetWindowTextW(ebNow, L"");
  SendMessageW(cbRegex, BM_SETCHECK, BST_UNCHECKED, 0);
  fCrit->NewSearch();
  fTime->NewSearch();
}

HWND TCriteriaPage::FirstControl() const {
  if (HWND c = FirstTabStop(AdvancedTab() ? tsAdvanced : tsEasy)) return c;
  return FirstTabStop(fPage);
}

void TCriteriaPage::FocusBasicText() const {
  if (!AdvancedTab() && IsWindowEnabled(ebNow)) SetFocus(ebNow);
}

std::vector<HWND> TCriteriaPage::LockedPanels() const {
  const auto boxes = fCrit->Panels();
  std::vector<HWND> panels(boxes.begin(), boxes.end());
  panels.push_back(pnlBottom);
  panels.push_back(tsEasy);
  if (fTime->Handle()) panels.push_back(fTime->Handle());
  return panels;
}

void TCriteriaPage::Layout() {
  RECT tab{};
  GetWindowRect(pcMain, &tab);
  MapWindowPoints(nullptr, fPage, reinterpret_cast<POINT*>(&tab), 2);
  RECT area = tab;
  TabCtrl_AdjustRect(pcMain, FALSE, &area);
  for (HWND ts : {tsEasy, tsAdvanced}) {
    SetWindowPos(ts, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOACTIVATE);
  }
  // Tab goes from the tabs' controls to the time limit, then to Search.
  SetWindowPos(fTime->Handle(), tsEasy, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetBounds(lblEasy, S(8), S(10), std::max(0, int(area.right - area.left) - S(16)), S(16));
  SetBounds(ebNow, S(8), S(32), (area.right - area.left) - S(16), S(21));
  SetBounds(cbRegex, S(8), S(60), S(160), S(17));
  SetBounds(sbSearchE, S(8), S(11), S(75), S(25));
}

bool TCriteriaPage::BasicRegex() const {
  return SendMessageW(cbRegex, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

TText TCriteriaPage::BasicProblem() const {
  return BasicRegex() && !BasicTextEmpty() ? RegexError(BasicText()) : TText();
}

void TCriteriaPage::BasicChanged() {
  const TText problem = BasicProblem();
  if (problem != fBasicProblem) {
    fBasicProblem = problem;
    fApp.ChangeHint(problem.empty() ? TText() : u"Invalid pattern|" + problem);
  }
  fChanged();
}

void TCriteriaPage::Rescale(int vOldDpi) {
  fPageAlign.SetSize(fSpacer, S(9));
  fPageAlign.SetSize(pnlBottom, S(46));
  fPageAlign.SetSize(fTime->Handle(), S(TTimeBox::kHeight));
  (void)vOldDpi;
  fCrit->Rescale();
  fTime->Rescale();
  fPageAlign.Arrange(fPage);
}

bool TCriteriaPage::OnCommand(int vId, int vCode, HWND vControl) {
  if (fCrit->OnCommand(vId, vCode, vControl)) return true;
  if (vControl && vControl == ebNow) {
    if (vCode == EN_CHANGE) BasicChanged();
    return true;
  }
  if (vControl && vControl == cbRegex) {
    if (vCode == BN_CLICKED) BasicChanged();
    return true;
  }
  return false;
}

bool TCriteriaPage::OnNotify(const NMHDR& vHdr) {
  if (vHdr.hwndFrom != pcMain || vHdr.code != TCN_SELCHANGE) return false;
  ShowTab(TabCtrl_GetCurSel(pcMain));
  return true;
}

}  // namespace corvane
