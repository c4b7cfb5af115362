#include "ui/detail/detailpage.h"

// after windows.h
#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "text/compare.h"
#include "text/timetext_win32.h"
#include "text/wide.h"
#include "ui/gdicanvas.h"
#include "ui/ids.h"
#include "ui/wrapped.h"
#include "win32/handles.h"

namespace corvane {

namespace {

constexpr TFontStyles kEmphasis = fsBold | fsUnderline;
constexpr int kValuesWidth = 189;
constexpr int kItemHeight = 16;
constexpr int kGridRowHeight = 16;
constexpr int kLineHeight = 18;     // of the wrapped key and value names
constexpr int kDataMinWidth = 300;  // the data side keeps at least this much
constexpr UINT_PTR kSubclassId = 11;

// The thousands separator of the user's locale.
TText ThousandsSeparator() {
  wchar_t buf[8] = {};
  const int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, buf, 8);
  return n > 1 ? FromW(buf) : TText(u",");
}

void SetId(HWND vWnd, int vId) {
  SetWindowLongPtrW(vWnd, GWLP_ID, vId);
}

}  // namespace

TDetailPage::TDetailPage(TApplication& vApp, HWND vMainWindow, const TDisplay& vDisplay,
                         TCursorFactory vCursors)
    : fApp(vApp), fMain(vMainWindow), fDisplay(vDisplay), fCursors(std::move(vCursors)) {}

TDetailPage::~TDetailPage() {
  if (rbDText)
    for (HWND r : {rbDText, rbDBinary, rbdDword})
      RemoveWindowSubclass(r, RadioSubclass, kSubclassId);
  if (sgData) RemoveWindowSubclass(sgData, GridSubclass, kSubclassId);
  if (lbValues) RemoveWindowSubclass(lbValues, ValuesSubclass, kSubclassId);
}

// --- Building -------------------------------------------------------------------------

HFONT TDetailPage::CreateGridFont() const {
  return CreateFontW(fDisplay.fScale.FontHeight(12), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     FIXED_PITCH | FF_MODERN, L"Courier New");
}

HWND TDetailPage::Label(HWND vParent, const wchar_t* vText, int vX, int vY, int vW, int vH, int vId,
                        DWORD vStyle) {
  return CreateControl(vParent, L"STATIC", vText, SS_NOPREFIX | vStyle, S(vX), S(vY), S(vW), S(vH),
                       vId, fDisplay.fFont);
}

HWND TDetailPage::Radio(const wchar_t* vText, int vX, int vW, int vId, DWORD vStyle) {
  HWND h = CreateControl(pnlValType, L"BUTTON", vText, WS_TABSTOP | BS_AUTORADIOBUTTON | vStyle,
                         S(vX), S(26), S(vW), S(17), vId, fDisplay.fFont);
  SetWindowSubclass(h, RadioSubclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  EnableWindow(h, FALSE);
  return h;
}

HWND TDetailPage::Create(HWND vParent) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  pnlPage = CreatePanel(vParent, 0, 0, 100, 100, &fPageAlign);
  HWND keyHeader = Label(pnlPage, L" Key", 0, 0, 100, 25, 0, SS_SUNKEN | SS_CENTERIMAGE);
  pbKey1 = Label(pnlPage, L"", 0, 0, 100, 24, ids::pbKey1, SS_OWNERDRAW | SS_NOTIFY);
  fApp.SetHint(pbKey1,
               u"Key name|Key name for the selected result - found text highlighted, if relevant");
  pnlValues = CreatePanel(pnlPage, 0, 0, S(kValuesWidth), 100, &fValuesAlign);
  SetId(pnlValues, ids::pnlValues);
  HWND splitter = Splitter1.Create(pnlPage, 3);
  SetId(splitter, ids::Splitter1);
  pnlAllData = CreatePanel(pnlPage, 0, 0, 100, 100, &fAllDataAlign);
  SetId(pnlAllData, ids::pnlAllData);
  lblKeyTime = Label(pnlPage, L"", 0, 0, 100, 20, ids::lblKeyTime, SS_NOTIFY | SS_CENTERIMAGE);
  fApp.SetHint(lblKeyTime, u"Last written|When the key or one of its values was last changed");
  fPageAlign.Add(keyHeader, alTop, S(25));
  fPageAlign.Add(pbKey1, alTop, S(24));
  fPageAlign.Add(lblKeyTime, alTop, S(20));
  fPageAlign.Add(pnlValues, alLeft, S(kValuesWidth));
  fPageAlign.Add(splitter, alLeft, S(3));
  fPageAlign.Add(pnlAllData, alClient);
  Splitter1.fGetWidth = [this] { return fPageAlign.Size(pnlValues); };
  Splitter1.fCanResize = [this](int vNewSize) { return Splitter1CanResize(vNewSize); };
  Splitter1.fResize = [this](int vNewSize) {
    fPageAlign.SetSize(pnlValues, vNewSize);
    fPageAlign.Arrange(pnlPage);
  };
  Splitter1.fMoved = [this] { Splitter1Moved(); };

  HWND valHeader = Label(pnlValues, L" Values", 0, 0, 100, 25, 0, SS_SUNKEN | SS_CENTERIMAGE);
  lbValues = CreateControl(pnlValues, L"LISTBOX", L"",
                           WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                               LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
                           0, 0, 100, 100, ids::lbValues, fDisplay.fFont, WS_EX_CLIENTEDGE);
  fApp.SetHint(lbValues,
               u"Values|Values for selected key - value from result emphasized, if relevant");
  SetWindowSubclass(lbValues, ValuesSubclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  fValuesAlign.Add(valHeader, alTop, S(25));
  fValuesAlign.Add(lbValues, alClient);

  HWND dataHeader =
      Label(pnlAllData, L" Data for selected value", 0, 0, 100, 25, 0, SS_SUNKEN | SS_CENTERIMAGE);
  pbVal1 = Label(pnlAllData, L"", 0, 0, 100, 18, ids::pbVal1, SS_OWNERDRAW | SS_NOTIFY);
  fApp.SetHint(pbVal1,
               u"Value name|Full name for selected value - found text highlighted, if relevant");
  pnlValType = CreatePanel(pnlAllData, 0, 0, 100, S(47));
  Label(pnlValType, L"Size:", 4, 6, 32, 16);
  lblValSize = Label(pnlValType, L"", 36, 6, 62, 16, ids::lblValSize, SS_NOTIFY);
  fApp.SetHint(lblValSize, u"Value size|Size (in bytes) of selected value");
  Label(pnlValType, L"Type:", 100, 6, 34, 16);
  lblValType = Label(pnlValType, L"", 134, 6, 190, 16, ids::lblValType, SS_NOTIFY);
  fApp.SetHint(lblValType, u"Value type|Data type of selected value");
  Label(pnlValType, L"View as", 4, 27, 48, 16);
  rbDText = Radio(L"Text", 54, 48, ids::rbDText, WS_GROUP);
  fApp.SetHint(rbDText, u"View as Text|View selected value's data as text");
  rbDBinary = Radio(L"Binary", 104, 56, ids::rbDBinary, 0);
  fApp.SetHint(rbDBinary, u"View as Binary|View selected value's data as binary");
  rbdDword = Radio(L"Number", 162, 64, ids::rbdDword, 0);
  fApp.SetHint(rbdDword, u"View as Number|View selected value's data as a number, if relevant");

  meData = CreateControl(pnlAllData, L"EDIT", L"",
                         WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0,
                         0, 100, 100, ids::meData, fDisplay.fFont, WS_EX_CLIENTEDGE);
  // The grid: an owner-data report list view, drawn by the page, 16-pixel rows.
  fGridFont.Reset(CreateGridFont());
  sgData = CreateControl(pnlAllData, WC_LISTVIEWW, L"",
                         WS_TABSTOP | WS_VSCROLL | LVS_REPORT | LVS_OWNERDATA | LVS_OWNERDRAWFIXED |
                             LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                         0, 0, 100, 100, ids::sgData, HFONT(fGridFont.Get()), WS_EX_CLIENTEDGE);
  SetWindowSubclass(sgData, GridSubclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  for (int c = 0; c < TByteGrid::kColumns; ++c) {
    LVCOLUMNW col{};
    col.mask = LVCF_WIDTH | LVCF_SUBITEM;
    col.cx = S(TByteGrid::kColumnWidths[c]);
    col.iSubItem = c;
    SendMessageW(sgData, LVM_INSERTCOLUMNW, WPARAM(c), reinterpret_cast<LPARAM>(&col));
  }
  FillGrid({});
  ShowWindow(sgData, SW_HIDE);
  pnlData = CreatePanel(pnlAllData, 0, 0, 100, 100);
  Label(pnlData, L"Decimal value:", 8, 8, 124, 16);
  lblValDec = Label(pnlData, L"", 134, 8, 150, 16, ids::lblValDec, SS_NOTIFY);
  fApp.SetHint(lblValDec, u"Decimal value|Decimal representation of numeric data");
  Label(pnlData, L"Hexadecimal value:", 8, 28, 124, 16);
  lblValHex = Label(pnlData, L"", 134, 28, 150, 16, ids::lblValHex, SS_NOTIFY);
  fApp.SetHint(lblValHex, u"Hexadecimal value|Hexadecimal representation of numeric data");
  ShowWindow(pnlData, SW_HIDE);
  fAllDataAlign.Add(dataHeader, alTop, S(25));
  fAllDataAlign.Add(pbVal1, alTop, S(18));
  fAllDataAlign.Add(pnlValType, alTop, S(47));
  fAllDataAlign.Add(meData, alClient);
  fAllDataAlign.Add(sgData, alClient);
  fAllDataAlign.Add(pnlData, alClient);
  return pnlPage;
}

// --- Opening a hit ----------------------------------------------------------------------

void TDetailPage::acKDetailExecute(const TResult& vHit) {
  fState.DetKStr = vHit.fKeyStr;
  fState.DetKStart = vHit.fKeyStart;
  fState.DetKLen = vHit.fKeyLen;
  fState.DetRoot = vHit.froot;
  fState.DetVStart = vHit.fValStart;
  fState.DetVLen = vHit.fValLen;
  UpdateWindow(pnlPage);
  MeasureKeyBox();

  SendMessageW(lbValues, LB_RESETCONTENT, 0, 0);
  fEntries.clear();
  TDetailValues list;
  if (auto cursor = fCursors()) list = ReadValueList(*cursor, vHit, PlatformCompare());
  SetWindowTextT(lblKeyTime, u" Last written: " + LocalTimeText(list.fWritten));
  for (const TDetailEntry& e : list.fEntries) {
    if (SendMessageW(lbValues, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(e.fName))) < 0) break;
    fEntries.push_back(e);
  }
  if (list.fSelected >= 0 && list.fSelected < std::int32_t(fEntries.size()))
    SendMessageW(lbValues, LB_SETCURSEL, WPARAM(list.fSelected), 0);
  lbvaluesClick();
}

void TDetailPage::ClearKey() {
  fState.DetKStr.clear();
  fState.DetVStr.clear();
}

TLaunchTarget TDetailPage::LaunchTarget() const {
  TLaunchTarget t;
  t.fHasKey = !fState.DetKStr.empty();
  t.fKeyPath = fState.DetKStr;
  t.fHasValue = t.fHasKey && lbValues && SendMessageW(lbValues, LB_GETCURSEL, 0, 0) != LB_ERR;
  t.fValueName = fState.DetVStr;
  return t;
}

void TDetailPage::Focus() {
  if (IsWindowVisible(lbValues)) SetFocus(lbValues);
}

void TDetailPage::lbvaluesClick() {
  for (HWND r : {rbDText, rbDBinary, rbdDword}) EnableWindow(r, FALSE);
  SetWindowTextW(lblValType, L"");
  SetWindowTextW(lblValSize, L"");
  ShowDataView(-1);

  const LRESULT sel = SendMessageW(lbValues, LB_GETCURSEL, 0, 0);
  if (sel == LB_ERR || sel >= LRESULT(fEntries.size())) {
    SetBoxHeight(pbVal1, S(18));
    fState.DetVStr.clear();
    fState.DetVStart = 0;
    fState.DetVLen = 0;
    return;
  }
  const TDetailEntry& entry = fEntries[std::size_t(sel)];
  fState.DetVStr = entry.fName;
  fState.DetVStart = entry.fEmphasised ? entry.fStart : 0;
  fState.DetVLen = entry.fEmphasised ? entry.fLen : 0;
  MeasureValueBox();

  auto cursor = fCursors();
  if (!cursor) return;
  TShownValue shown = ShowValue(*cursor, fState, fState.DetVStr, ThousandsSeparator());
  if (!shown.fRead) return;
  fText = std::move(shown.fText);
  fTextShown = false;
  FillGrid(std::move(shown.fData));
  EnableWindow(rbdDword, shown.fNumber);
  if (shown.fNumber) {
    SetWindowTextT(lblValDec, shown.fLabels.fDec);
    SetWindowTextT(lblValHex, shown.fLabels.fHex);
  }
  EnableWindow(rbDText, TRUE);
  EnableWindow(rbDBinary, TRUE);
  SetWindowTextT(lblValType, shown.fType);
  SetWindowTextT(lblValSize, shown.fSize);
  ShowDataView(shown.fView);
}

void TDetailPage::FillGrid(std::vector<std::uint8_t> vData) {
  fGrid.Assign(vData);
  SendMessageW(sgData, LVM_SETITEMCOUNT, WPARAM(fGrid.RowCount()), 0);
  SendMessageW(sgData, LVM_ENSUREVISIBLE, 0, FALSE);
  // The current cell is column 1 of row 0.
  LVITEMW item{};
  item.stateMask = LVIS_FOCUSED;
  item.state = LVIS_FOCUSED;
  SendMessageW(sgData, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
  InvalidateRect(sgData, nullptr, TRUE);
}

void TDetailPage::ShowDataView(int vView) {
  for (HWND v : {meData, sgData, pnlData}) ShowWindow(v, SW_HIDE);
  HWND view = nullptr;
  int radio = 0;
  switch (vView) {
    case vkText:
      view = meData;
      radio = ids::rbDText;
      break;
    case vkBinary:
      view = sgData;
      radio = ids::rbDBinary;
      break;
    case vkNumber:
      view = pnlData;
      radio = ids::rbdDword;
      break;
    default:
      return;
  }
  CheckRadioButton(pnlValType, ids::rbDText, ids::rbdDword, radio);
  if (view == meData && !fTextShown) {
    // The memo gets its text when it is first shown: laying out the text of a large binary
    // value that is only looked at as a grid would cost seconds.
    SetWindowTextT(meData, fText);
    fTextShown = true;
  }
  ShowWindow(view, SW_SHOW);
}

void TDetailPage::rbDTextClick(int vTag) {
  ShowDataView(vTag);
}

// --- Measuring and painting -------------------------------------------------------------

std::int32_t TDetailPage::Measure(HWND vBox, TTextView vText, std::int32_t vStart,
                                  std::int32_t vLen) {
  RECT r = ClientRect(vBox);
  const TRect area{r.left + S(3), r.top + S(3), r.right - S(3), r.bottom - S(3)};
  const TWindowDC dc(vBox);
  if (!dc) return S(kLineHeight);
  TGdiCanvas canvas(dc.Get(), fDisplay.fFont);
  return DrawWrapped(false, canvas, area, vText, WordSeparators, vStart, vLen, S(kLineHeight),
                     kEmphasis);
}

void TDetailPage::SetBoxHeight(HWND vBox, std::int32_t vHeight) {
  TAlignList& align = vBox == pbKey1 ? fPageAlign : fAllDataAlign;
  HWND container = vBox == pbKey1 ? pnlPage : pnlAllData;
  if (align.Size(vBox) != vHeight) {
    align.SetSize(vBox, vHeight);
    align.Arrange(container);
  }
  InvalidateRect(vBox, nullptr, TRUE);
}

void TDetailPage::MeasureKeyBox() {
  SetBoxHeight(pbKey1, Measure(pbKey1, fState.DetKStr, fState.DetKStart, fState.DetKLen) + S(6));
}

void TDetailPage::MeasureValueBox() {
  const TText text = fState.DetVStr.empty() ? TText(u"(default)") : fState.DetVStr;
  SetBoxHeight(pbVal1, Measure(pbVal1, text, fState.DetVStart, fState.DetVLen) + S(6));
}

void TDetailPage::PaintNameBox(const DRAWITEMSTRUCT& vItem, TTextView vText, std::int32_t vStart,
                               std::int32_t vLen) {
  HDC dc = vItem.hDC;
  RECT r = vItem.rcItem;
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &r, EDGE_BUMP, BF_RECT);
  const TRect area{r.left + S(3), r.top + S(3), r.right - S(3), r.bottom - S(3)};
  const COLORREF oldFore = SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  {
    TGdiCanvas canvas(dc, fDisplay.fFont);
    DrawWrapped(true, canvas, area, vText, WordSeparators, vStart, vLen, S(kLineHeight), kEmphasis);
  }
  SetBkMode(dc, oldMode);
  SetTextColor(dc, oldFore);
}

void TDetailPage::pbKey1Paint(const DRAWITEMSTRUCT& vItem) {
  PaintNameBox(vItem, fState.DetKStr, fState.DetKStart, fState.DetKLen);
}

void TDetailPage::pbVal1Paint(const DRAWITEMSTRUCT& vItem) {
  const bool any = SendMessageW(lbValues, LB_GETCOUNT, 0, 0) > 0;
  PaintNameBox(vItem, ValueBoxText(fState.DetVStr, any), fState.DetVStart, fState.DetVLen);
}

void TDetailPage::lbValuesDrawItem(const DRAWITEMSTRUCT& vItem) {
  HDC dc = vItem.hDC;
  const bool selected = (vItem.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &vItem.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (vItem.itemID != UINT(-1) && vItem.itemID < fEntries.size()) {
    const COLORREF oldFore =
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    {
      TGdiCanvas canvas(dc, fDisplay.fFont);
      std::int32_t x = vItem.rcItem.left;
      for (const TTextPart& part : EntryParts(fEntries[vItem.itemID], std::int32_t(vItem.itemID))) {
        canvas.SetFontStyle(part.fStyle);
        canvas.TextOutAt(x, vItem.rcItem.top, part.fText);
        x += canvas.TextWidth(part.fText);
      }
      canvas.SetFontStyle(fsNone);
    }
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldFore);
  }
  if (vItem.itemState & ODS_FOCUS) DrawFocusRect(dc, &vItem.rcItem);
}

void TDetailPage::sgDataDrawItem(const DRAWITEMSTRUCT& vItem) {
  HDC dc = vItem.hDC;
  RECT row = vItem.rcItem;
  FillRect(dc, &row, GetSysColorBrush(COLOR_WINDOW));
  const std::int32_t r = std::int32_t(vItem.itemID);
  const COLORREF oldFore = SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  TSelect font(dc, fGridFont.Get());
  int x = row.left;
  for (int c = 0; c < TByteGrid::kColumns; ++c) {
    const int w = S(TByteGrid::kColumnWidths[c]);
    const TText text = fGrid.Cell(r, c);
    RECT cell{x + S(2), row.top, x + w, row.bottom};
    if (!text.empty())
      DrawTextW(dc, W(text), int(text.size()), &cell,
                DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    x += w;
  }
  SetBkMode(dc, oldMode);
  SetTextColor(dc, oldFore);
}

void TDetailPage::sgDataGetText(NMLVDISPINFOW& vInfo) {
  if (!(vInfo.item.mask & LVIF_TEXT) || !vInfo.item.pszText || vInfo.item.cchTextMax <= 0) return;
  fGridText = fGrid.Cell(vInfo.item.iItem, vInfo.item.iSubItem);
  const std::size_t n =
      std::min<std::size_t>(fGridText.size(), std::size_t(vInfo.item.cchTextMax - 1));
  std::copy_n(W(fGridText), n, vInfo.item.pszText);
  vInfo.item.pszText[n] = L'\0';
}

// --- Splitter and resizing --------------------------------------------------------------

void TDetailPage::Rescale(int vOldDpi) {
  if (!pnlPage) return;
  const int now = fDisplay.fScale.Dpi();
  for (TAlignList* align : {&fPageAlign, &fValuesAlign, &fAllDataAlign}) align->Scale(now, vOldDpi);
  fGridFont.Reset(CreateGridFont());
  SendMessageW(sgData, WM_SETFONT, reinterpret_cast<WPARAM>(fGridFont.Get()), TRUE);
  for (int c = 0; c < TByteGrid::kColumns; ++c)
    SendMessageW(sgData, LVM_SETCOLUMNWIDTH, WPARAM(c), S(TByteGrid::kColumnWidths[c]));
  SendMessageW(lbValues, LB_SETITEMHEIGHT, 0, S(kItemHeight));
  for (TAlignList* align : {&fValuesAlign, &fAllDataAlign})
    align->Arrange(align == &fValuesAlign ? pnlValues : pnlAllData);
  fPageAlign.Arrange(pnlPage);
  FormResize();
}

int TDetailPage::ClientWidth() const {
  return ClientRect(fMain).right;
}

bool TDetailPage::Splitter1CanResize(int vNewSize) const {
  return ClientWidth() - vNewSize >= S(kDataMinWidth) + S(4);
}

void TDetailPage::Splitter1Moved() {
  MeasureValueBox();
}

void TDetailPage::FormResize() {
  if (!pnlPage) return;
  MeasureKeyBox();
  MeasureValueBox();
  RECT data{};
  GetWindowRect(pnlAllData, &data);
  if (data.right - data.left < S(kDataMinWidth)) {
    fPageAlign.SetSize(pnlValues, std::max(0, ClientWidth() - S(kDataMinWidth) - S(3)));
    fPageAlign.Arrange(pnlPage);
    MeasureValueBox();
  }
}

// --- Keyboard ---------------------------------------------------------------------------

void TDetailPage::RadioKey(HWND vRadio, WPARAM vKey) {
  const HWND order[3] = {rbDText, rbDBinary, rbdDword};
  const int at = int(std::find(order, order + 3, vRadio) - order);
  const int step = (vKey == VK_LEFT || vKey == VK_UP) ? -1 : 1;
  for (int i = 1; i < 3; ++i) {
    HWND next = order[(at + step * i + 3) % 3];
    if (IsWindowEnabled(next)) {
      SetFocus(next);
      SendMessageW(next, BM_CLICK, 0, 0);
      return;
    }
  }
}

LRESULT CALLBACK TDetailPage::RadioSubclass(HWND vWnd, UINT vMsg, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR, DWORD_PTR vRef) noexcept {
  // The arrow keys move between the enabled view buttons, as in a dialog.
  if (vMsg == WM_KEYDOWN &&
      (wParam == VK_LEFT || wParam == VK_RIGHT || wParam == VK_UP || wParam == VK_DOWN)) {
    GuardUserAction(vWnd, [&] { reinterpret_cast<TDetailPage*>(vRef)->RadioKey(vWnd, wParam); });
    return 0;
  }
  return DefSubclassProc(vWnd, vMsg, wParam, lParam);
}

LRESULT CALLBACK TDetailPage::ValuesSubclass(HWND vWnd, UINT vMsg, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR, DWORD_PTR vRef) noexcept {
  auto* page = reinterpret_cast<TDetailPage*>(vRef);
  // Ctrl+C (Alt not held) copies, as in the results list.
  if (vMsg == WM_KEYDOWN && wParam == 'C' && GetKeyState(VK_CONTROL) < 0 &&
      GetKeyState(VK_MENU) >= 0) {
    GuardUserAction(vWnd, [&] {
      if (page->fOnCopy) page->fOnCopy();
    });
    return 0;
  }
  GuardUserAction(vWnd, [&] {
    // The right button alone selects the entry under the pointer, for the pop-up menu.
    if (vMsg == WM_RBUTTONDOWN && wParam == MK_RBUTTON) {
      const LRESULT hit = SendMessageW(vWnd, LB_ITEMFROMPOINT, 0, lParam);
      if (HIWORD(hit) == 0 && LRESULT(LOWORD(hit)) != SendMessageW(vWnd, LB_GETCURSEL, 0, 0)) {
        SendMessageW(vWnd, LB_SETCURSEL, WPARAM(LOWORD(hit)), 0);
        page->lbvaluesClick();
      }
    }
  });
  return DefSubclassProc(vWnd, vMsg, wParam, lParam);
}

LRESULT CALLBACK TDetailPage::GridSubclass(HWND vWnd, UINT vMsg, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR) noexcept {
  // The grid scrolls vertically only: the horizontal bar never takes room.
  if (vMsg == WM_NCCALCSIZE) {
    const LONG_PTR style = GetWindowLongPtrW(vWnd, GWL_STYLE);
    if (style & WS_HSCROLL) SetWindowLongPtrW(vWnd, GWL_STYLE, style & ~LONG_PTR(WS_HSCROLL));
  }
  return DefSubclassProc(vWnd, vMsg, wParam, lParam);
}

// --- Messages ---------------------------------------------------------------------------

bool TDetailPage::HandleMessage(UINT vMsg, WPARAM wParam, LPARAM lParam, LRESULT& vResult) {
  if (!pnlPage) return false;
  switch (vMsg) {
    case WM_COMMAND: {
      const HWND from = reinterpret_cast<HWND>(lParam);
      const int code = HIWORD(wParam);
      if (from == lbValues) {
        if (code == LBN_SELCHANGE) lbvaluesClick();
      } else if (from == rbDText || from == rbDBinary || from == rbdDword) {
        if (code == BN_CLICKED) rbDTextClick(from == rbDText ? 0 : from == rbDBinary ? 1 : 2);
      } else {
        return false;
      }
      vResult = 0;
      return true;
    }
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lParam);
      if (hdr->hwndFrom != sgData) return false;
      if (hdr->code == LVN_GETDISPINFOW) sgDataGetText(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
      vResult = 0;
      return true;
    }
    case WM_MEASUREITEM: {
      auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (mi->CtlType == ODT_LISTBOX && int(mi->CtlID) == ids::lbValues) {
        mi->itemHeight = UINT(S(kItemHeight));
      } else if (mi->CtlType == ODT_LISTVIEW && int(mi->CtlID) == ids::sgData) {
        mi->itemHeight = UINT(S(kGridRowHeight));
      } else {
        return false;
      }
      vResult = TRUE;
      return true;
    }
    case WM_CONTEXTMENU: {
      if (reinterpret_cast<HWND>(wParam) != lbValues) return false;
      POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (pt.x == -1 && pt.y == -1) GetCursorPos(&pt);
      if (fOnContextMenu) fOnContextMenu(pt);
      vResult = 0;
      return true;
    }
    case WM_DRAWITEM: {
      const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (di->hwndItem == lbValues)
        lbValuesDrawItem(*di);
      else if (di->hwndItem == pbKey1)
        pbKey1Paint(*di);
      else if (di->hwndItem == pbVal1)
        pbVal1Paint(*di);
      else if (di->hwndItem == sgData)
        sgDataDrawItem(*di);
      else
        return false;
      vResult = TRUE;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace corvane
