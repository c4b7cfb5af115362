#include "ui/crit/critboxes.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "ui/crit/light.h"
#include "ui/ids.h"

namespace corvane {

namespace {
constexpr int kBoxLeft = 8;
constexpr int kRootTop = 24;
constexpr int kRootHeight = 61;
constexpr int kKeyBoxTop = kRootTop + kRootHeight + 4;
constexpr int kRootColumns[2] = {6, 180};
constexpr int kAllLeft = 380;
constexpr UINT_PTR kStripId = 1;

bool Checked(HWND vButton) {
  return SendMessageW(vButton, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
void Check(HWND vButton, bool vOn) {
  SendMessageW(vButton, BM_SETCHECK, vOn ? BST_CHECKED : BST_UNCHECKED, 0);
}
RECT ScreenRect(HWND vWnd) {
  RECT r{};
  GetWindowRect(vWnd, &r);
  return r;
}
int BoxId(int vBox, int vFirst) {
  return vFirst + 10 * vBox;
}
}  // namespace

TCritBoxes::TCritBoxes(TApplication& vApp, const TDisplay& vDisplay,
                       std::function<void()> vClearResults)
    : fApp(vApp), fDisplay(vDisplay), fClearResults(std::move(vClearResults)) {}

TCritBoxes::~TCritBoxes() {
  for (HWND s : fStrip)
    if (s) RemoveWindowSubclass(s, StripProc, kStripId);
  // The rows go before the shared light they paint with.
  for (auto& rows : fRows) rows.clear();
}

HWND TCritBoxes::Button(HWND vParent, const wchar_t* vText, int vX, int vY, int vW, int vH, int vId,
                        DWORD vStyle) {
  // BS_NOTIFY: BN_SETFOCUS tells the scroll box to bring the focused button into view.
  return CreateControl(vParent, L"BUTTON", vText, BS_NOTIFY | vStyle, vX, vY, vW, vH, vId,
                       fDisplay.fFont);
}

HWND TCritBoxes::Create(HWND vParent) {
  fLight.Reset(LoadValidityLight(fDisplay.fScale));
  if (!scMain.Create(vParent, 0, 0, 100, 100)) return nullptr;
  SetWindowLongPtrW(scMain.Handle(), GWLP_ID, ids::scMain);
  scMain.OnResize = [this] { LayoutBoxes(); };
  CreateControl(scMain.Handle(), L"STATIC",
                L"Click Search to find data matching all four of the panels below", SS_NOPREFIX,
                S(8), S(6), S(440), S(16), 0, fDisplay.fFont);
  CreateRootBox();
  CreateCritBox(0, L"Key names:", u"key name");
  CreateCritBox(1, L"Value names:", u"value name");
  CreateCritBox(2, L"Value data:", u"value data");
  StackCritPanels();
  return scMain.Handle();
}

void TCritBoxes::CreateRootBox() {
  pnlRoot = CreatePanel(scMain.Handle(), S(kBoxLeft), S(kRootTop), S(457), S(kRootHeight), nullptr,
                        WS_EX_STATICEDGE);
  SetWindowLongPtrW(pnlRoot, GWLP_ID, ids::pnlRoot);
  // Each check box as wide as its caption needs, so no name is cut off.
  const TWindowDC screen(nullptr);
  HDC dc = screen.Get();
  const HGDIOBJ old = SelectObject(dc, fDisplay.fFont);
  const int check = GetSystemMetrics(SM_CXMENUCHECK) + S(8);
  for (const TRootBox& b : kRootBoxes) {
    const TText name = RootBoxName(b);
    SIZE size{};
    GetTextExtentPoint32W(dc, W(name), int(name.size()), &size);
    const int x = S(kRootColumns[b.fColumn]);
    const int limit = S(b.fColumn == 0 ? kRootColumns[1] : kAllLeft) - x - S(4);
    HWND h = Button(pnlRoot, W(name), x, S(4 + 18 * b.fLine), std::min(int(size.cx) + check, limit),
                    S(17), ids::cbHKCR + int(b.fBit), WS_TABSTOP | BS_AUTOCHECKBOX);
    Check(h, true);
    fRootBoxes[b.fBit] = h;
    fApp.SetHint(h, RootBoxHint(b));
  }
  SelectObject(dc, old);
  btnAllRoot =
      Button(pnlRoot, L"All", S(kAllLeft), S(6), S(60), S(22), ids::btnAllRoot, WS_TABSTOP);
  fApp.SetHint(btnAllRoot, u"All root keys|Check all of the root key boxes at left");
  btnNoRoot =
      Button(pnlRoot, L"None", S(kAllLeft), S(32), S(60), S(22), ids::btnNoRoot, WS_TABSTOP);
  fApp.SetHint(btnNoRoot, u"No root keys|Clear all of the root key boxes at left");
}

void TCritBoxes::CreateCritBox(int vBox, const wchar_t* vLabel, const char16_t* vKind) {
  const std::size_t i = std::size_t(vBox);
  HWND box = pnlCrit[i] = CreatePanel(scMain.Handle(), S(kBoxLeft), S(kKeyBoxTop + vBox * 37),
                                      S(457), BoxHeight(0), nullptr, WS_EX_STATICEDGE);
  SetWindowLongPtrW(box, GWLP_ID, ids::pnlCritKey + vBox);
  HWND strip = fStrip[i] = CreatePanel(box, 0, 0, S(455), S(kBoxHeaderHeight));
  SetWindowSubclass(strip, StripProc, kStripId, reinterpret_cast<DWORD_PTR>(this));
  // As wide as its text; "any" stands clear of the widest, "Value names:".
  CreateControl(strip, L"STATIC", vLabel, SS_NOPREFIX, S(4), S(5),
                TextWidth(strip, fDisplay.fFont, FromW(vLabel)) + S(2), S(16), 0, fDisplay.fFont);
  rbAny[i] = Button(strip, L"any", S(90), S(4), S(45), S(17), BoxId(vBox, ids::rbKeyAny),
                    WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON);
  rbAll[i] = Button(strip, L"all", S(140), S(4), S(45), S(17), BoxId(vBox, ids::rbKeyAll),
                    BS_AUTORADIOBUTTON);
  Check(rbAny[i], true);
  btnAdd[i] = Button(strip, L"Add", S(300), S(2), S(60), S(21), BoxId(vBox, ids::btnAddKey),
                     WS_TABSTOP | WS_GROUP);
  btnDel[i] =
      Button(strip, L"Delete", S(365), S(2), S(60), S(21), BoxId(vBox, ids::btnDelKey), WS_TABSTOP);
  EnableWindow(btnDel[i], FALSE);
  const TText kind = vKind;
  fApp.SetHint(rbAny[i], u"Match any|If checked, the " + kind +
                             u" must match one or more of the criteria in this box");
  fApp.SetHint(rbAll[i], u"Match all|If checked, the " + kind +
                             u" must match all of the criteria in this box");
  fApp.SetHint(btnAdd[i],
               u"Add criterion|Add a data entry line for " + kind + u" search criterion");
  fApp.SetHint(btnDel[i], u"Delete criterion|Delete the last " + kind + u" search criterion");
}

void TCritBoxes::LayoutBoxes() {
  const int width = std::max(S(200), int(ClientRect(scMain.Handle()).right) - 2 * S(kBoxLeft));
  for (HWND p : Panels()) {
    RECT r{};
    GetWindowRect(p, &r);
    MapWindowPoints(nullptr, scMain.Handle(), reinterpret_cast<POINT*>(&r), 2);
    SetBounds(p, r.left, r.top, width, r.bottom - r.top);
  }
  for (std::size_t i = 0; i < pnlCrit.size(); ++i) {
    const int inner = ClientRect(pnlCrit[i]).right;
    SetBounds(fStrip[i], 0, 0, inner, S(kBoxHeaderHeight));
    for (std::size_t n = 0; n < fRows[i].size(); ++n)
      SetBounds(fRows[i][n]->Handle(), 0, S(kBoxHeaderHeight) + int(n) * S(kCritRowHeight), inner,
                S(kCritRowHeight));
  }
}

int TCritBoxes::TagOf(HWND vWnd) const {
  for (std::size_t i = 0; i < pnlCrit.size(); ++i)
    if (vWnd && vWnd == pnlCrit[i]) return int(i) + 1;
  return 0;
}

std::array<HWND, 4> TCritBoxes::Panels() const {
  return {pnlRoot, pnlCrit[0], pnlCrit[1], pnlCrit[2]};
}

// --- Root keys --------------------------------------------------------------------------

std::uint8_t TCritBoxes::RootBits() const {
  std::uint8_t bits = 0;
  for (std::size_t i = 0; i < fRootBoxes.size(); ++i)
    if (Checked(fRootBoxes[i])) bits = std::uint8_t(bits | (1u << i));
  return bits;
}

void TCritBoxes::SetRootBits(std::uint8_t vBits) {
  for (std::size_t i = 0; i < fRootBoxes.size(); ++i) Check(fRootBoxes[i], (vBits >> i) & 1);
}

// --- Rows -------------------------------------------------------------------------------

TCritFrame* TCritBoxes::NewRow(int vBox) {
  const std::size_t i = std::size_t(vBox);
  auto& rows = fRows[i];
  auto row = std::make_unique<TCritFrame>(fApp, fDisplay, HBITMAP(fLight.Get()));
  // The box's children: its header strip and its rows.
  const TText name = CritRowName(vBox + 1, 1 + std::int32_t(rows.size()));
  const int top = S(kBoxHeaderHeight) + int(rows.size()) * S(kCritRowHeight);
  const RECT box = ScreenRect(pnlCrit[i]);
  SetWindowPos(pnlCrit[i], nullptr, 0, 0, box.right - box.left, BoxHeight(int(rows.size()) + 1),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (!row->Create(pnlCrit[i], name, top, ClientRect(pnlCrit[i]).right)) {
    SetWindowPos(pnlCrit[i], nullptr, 0, 0, box.right - box.left, box.bottom - box.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return nullptr;
  }
  row->OnFocus = [this](HWND vControl) { scMain.ScrollInView(vControl); };
  rows.push_back(std::move(row));
  return rows.back().get();
}

void TCritBoxes::AddPresetRow(int vBox, std::int32_t vMatch, const TText& vText,
                              std::int32_t vDataType) {
  TCritFrame* row = NewRow(vBox);
  if (!row) return;
  row->Setup(vBox + 1, fClearResults, vMatch, vDataType, vText);
  SetFocus(row->TextBox());
  EnableWindow(btnDel[std::size_t(vBox)], TRUE);
}

void TCritBoxes::btnAddKeyClick(int vBox) {
  TCritFrame* row = NewRow(vBox);
  if (row) {
    row->Setup(vBox + 1, fClearResults);
    SetFocus(row->TextBox());
    EnableWindow(btnDel[std::size_t(vBox)], TRUE);
  }
  StackCritPanels();
  if (row) scMain.ScrollInView(row->Handle());
  fClearResults();
}

void TCritBoxes::btnDelKeyClick(int vBox) {
  const std::size_t i = std::size_t(vBox);
  auto& rows = fRows[i];
  const TText name = CritRowName(vBox + 1, std::int32_t(rows.size()));  // the row added last
  const auto it =
      std::find_if(rows.begin(), rows.end(), [&](const auto& r) { return r->Name() == name; });
  if (it != rows.end()) {
    rows.erase(it);
    const RECT box = ScreenRect(pnlCrit[i]);
    SetWindowPos(pnlCrit[i], nullptr, 0, 0, box.right - box.left, BoxHeight(int(rows.size())),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const bool focused = GetFocus() == btnDel[i];
  EnableWindow(btnDel[i], !rows.empty());
  // A disabled button cannot keep the focus.
  if (focused && rows.empty()) SetFocus(btnAdd[i]);
  StackCritPanels();
  fClearResults();
}

void TCritBoxes::ClearCritPanel(int vBox) {
  const std::size_t i = std::size_t(vBox);
  auto& rows = fRows[i];
  while (!rows.empty()) rows.pop_back();
  const RECT box = ScreenRect(pnlCrit[i]);
  SetWindowPos(pnlCrit[i], nullptr, 0, 0, box.right - box.left, BoxHeight(0),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCritBoxes::Rescale() {
  fLight.Reset(LoadValidityLight(fDisplay.fScale));
  for (std::size_t i = 0; i < pnlCrit.size(); ++i) {
    for (auto& row : fRows[i]) row->SetLight(HBITMAP(fLight.Get()));
    const RECT box = ScreenRect(pnlCrit[i]);
    SetWindowPos(pnlCrit[i], nullptr, 0, 0, box.right - box.left, BoxHeight(RowCount(int(i))),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  StackCritPanels();
  LayoutBoxes();
}

void TCritBoxes::StackCritPanels() {
  scMain.SetAutoScroll(false);
  auto frame = [&](HWND p) {
    RECT r{};
    GetWindowRect(p, &r);
    MapWindowPoints(nullptr, scMain.Handle(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  const RECT key = frame(pnlCrit[0]);
  const RECT val = frame(pnlCrit[1]);
  const TBoxTops tops = StackCritBoxes(key.top, key.bottom - key.top, BoxHeight(RowCount(1)));
  SetWindowPos(pnlCrit[1], nullptr, val.left, tops.fVal, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const RECT dat = frame(pnlCrit[2]);
  SetWindowPos(pnlCrit[2], nullptr, dat.left, tops.fDat, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  scMain.SetAutoScroll(true);
}

void TCritBoxes::acCritAddExecute(bool vAdvancedShown) {
  HWND focus = GetFocus();
  HWND parent = focus ? GetParent(focus) : nullptr;
  const TShortcutFocus f{focus != nullptr, TagOf(parent),
                         TagOf(parent ? GetParent(parent) : nullptr), vAdvancedShown};
  if (const int tag = ShortcutBox(f, true)) btnAddKeyClick(tag - 1);
}

void TCritBoxes::acCritDelExecute() {
  HWND focus = GetFocus();
  HWND parent = focus ? GetParent(focus) : nullptr;
  const TShortcutFocus f{focus != nullptr, TagOf(parent),
                         TagOf(parent ? GetParent(parent) : nullptr), false};
  const int tag = ShortcutBox(f, false);
  if (tag == 0) return;
  const std::size_t i = std::size_t(tag - 1);
  if (!IsWindowEnabled(btnDel[i])) return;
  btnDelKeyClick(tag - 1);
  SetFocus(IsWindowEnabled(btnDel[i]) ? btnDel[i] : btnAdd[i]);
}

void TCritBoxes::NewSearch() {
  SetRootBits(DefaultRoots);
  for (int b = 0; b < kCritBoxCount; ++b) ClearCritPanel(b);
  for (std::size_t i = 0; i < pnlCrit.size(); ++i) {
    Check(rbAny[i], true);
    Check(rbAll[i], false);
    fAllShown[i] = false;
    EnableWindow(btnDel[i], FALSE);
  }
  StackCritPanels();
}

void TCritBoxes::ReadInto(TSearchCriteria& vCrit) const {
  vCrit.fRoots = TRootKeySet(RootBits());
  vCrit.fKeyAll = Checked(rbAll[0]);
  vCrit.fValAll = Checked(rbAll[1]);
  vCrit.fDatAll = Checked(rbAll[2]);
  std::vector<TCritRow>* lists[3] = {&vCrit.fKeyRows, &vCrit.fValRows, &vCrit.fDatRows};
  for (std::size_t i = 0; i < fRows.size(); ++i) {
    lists[i]->clear();
    for (const auto& row : fRows[i]) {
      TCritRow r = row->Row();
      if (r.fMatchType != mtDataType) r.fDataType = 0;
      lists[i]->push_back(std::move(r));
    }
  }
}

void TCritBoxes::Apply(const TSearchCriteria& vCrit) {
  SetRootBits(vCrit.fRoots.Bits());
  const bool all[3] = {vCrit.fKeyAll, vCrit.fValAll, vCrit.fDatAll};
  for (std::size_t i = 0; i < pnlCrit.size(); ++i) {
    Check(rbAny[i], !all[i]);
    Check(rbAll[i], all[i]);
    fAllShown[i] = all[i];
  }
  const std::vector<TCritRow>* lists[3] = {&vCrit.fKeyRows, &vCrit.fValRows, &vCrit.fDatRows};
  for (int b = 0; b < kCritBoxCount; ++b)
    for (const TCritRow& r : *lists[b])
      AddPresetRow(b, r.fMatchType, r.fText, b == 2 ? r.fDataType : 0);
}

void TCritBoxes::UpdateDeleteButtons() {
  for (std::size_t i = 0; i < btnDel.size(); ++i) EnableWindow(btnDel[i], !fRows[i].empty());
}

// --- Notifications ----------------------------------------------------------------------

bool TCritBoxes::OnCommand(int vId, int vCode, HWND vControl) {
  if (!vControl || !IsChild(scMain.Handle(), vControl)) return false;
  if (vCode == BN_SETFOCUS) {
    scMain.ScrollInView(vControl);
    return true;
  }
  if (vCode != BN_CLICKED) return true;
  for (int b = 0; b < kCritBoxCount; ++b) {
    if (vId == BoxId(b, ids::btnAddKey)) return btnAddKeyClick(b), true;
    if (vId == BoxId(b, ids::btnDelKey)) return btnDelKeyClick(b), true;
  }
  for (std::size_t i = 0; i < rbAll.size(); ++i) {
    if (vId != BoxId(int(i), ids::rbKeyAny) && vId != BoxId(int(i), ids::rbKeyAll)) continue;
    // A click on the choice already made changes nothing; a new choice is a new criterion.
    const bool all = Checked(rbAll[i]);
    if (all != fAllShown[i]) {
      fAllShown[i] = all;
      fClearResults();
    }
    return true;
  }
  if (vId == ids::btnAllRoot || vId == ids::btnNoRoot) {
    SetRootBits(vId == ids::btnAllRoot ? DefaultRoots : 0);
    fClearResults();
  } else if (vId >= ids::cbHKCR && vId < ids::cbHKCR + 5) {
    fClearResults();
  }
  return true;
}

void TCritBoxes::FlyoverMouseMove(HWND vStrip, LPARAM lParam) {
  // Disabled buttons receive no mouse messages, so the strip finds the control under the
  // pointer itself; the label does not count.
  const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  const auto at = std::find(fStrip.begin(), fStrip.end(), vStrip);
  if (at == fStrip.end()) return;
  const std::size_t i = std::size_t(at - fStrip.begin());
  TText hint;
  for (HWND c : {rbAny[i], rbAll[i], btnAdd[i], btnDel[i]}) {
    RECT r = ScreenRect(c);
    MapWindowPoints(nullptr, vStrip, reinterpret_cast<POINT*>(&r), 2);
    if (PtInRect(&r, pt)) {
      if (const TText* h = fApp.HintOf(c)) hint = *h;
      break;
    }
  }
  fApp.SetHint(vStrip, hint);
  fApp.ChangeHint(hint);
}

LRESULT CALLBACK TCritBoxes::StripProc(HWND vWnd, UINT vMsg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR vRef) noexcept {
  if (vMsg == WM_MOUSEMOVE)
    GuardUserAction(vWnd,
                    [&] { reinterpret_cast<TCritBoxes*>(vRef)->FlyoverMouseMove(vWnd, lParam); });
  return DefSubclassProc(vWnd, vMsg, wParam, lParam);
}

}  // namespace corvane
