#include "ui/main/options.h"

#include <algorithm>
#include <tuple>

#include "ui/ids.h"
#include "ui/main/mainlogic.h"
#include "ui/main/menus.h"
#include "ui/window/window.h"
#include "win32/handles.h"

namespace corvane {
namespace {

const char16_t* const kPerPageHints[5] = {u"Show 10 results per page", u"Show 25 results per page",
                                          u"Show 50 results per page", u"Show 100 results per page",
                                          u""};
const char16_t* const kMaxHints[4] = {
    u"Limit the search to 10 results", u"Limit the search to 100 results",
    u"Limit the search to 1000 results", u"Limit the search to 10000 results"};

HWND OwnerDrawnList(HWND vPanel, int vId, HFONT vFont,
                    std::initializer_list<std::int32_t> vValues) {
  HWND list = CreateControl(
      vPanel, L"COMBOBOX", L"",
      WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, 0, 0, 0,
      200, vId, vFont);
  for (std::int32_t v : vValues)
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(DecimalText(v))));
  return list;
}

}  // namespace

void TOptions::AddMenuItems(HMENU vOptions) {
  fOptions = vOptions;
  mnuPerPage = CreatePopupMenu();
  const char16_t* const pp[5] = {u"&a: ", u"&b: ", u"&c: ", u"&d: ", u"&e: "};
  for (int i = 0; i < 5; ++i)
    AddMenuItem(mnuPerPage, ids::mnuP10 + i, pp[i] + DecimalText(kPerPageValues[std::size_t(i)]),
                true);
  mnuMax = CreatePopupMenu();
  for (int i = 0; i < 4; ++i)
    AddMenuItem(mnuMax, ids::mnuM10 + i, pp[i] + DecimalText(kMaxRsltValues[std::size_t(i)]), true);
  AddSubMenu(vOptions, mnuPerPage, L"Results per &page");
  AddSubMenu(vOptions, mnuMax, L"&Maximum results");
  AddMenuItem(vOptions, ids::mnuCase, u"&Case-sensitive data search");
}

void TOptions::CreateLists(HWND vPanel) {
  const HFONT font = fDisplay.fFont;
  lblPerPage = CreateControl(vPanel, L"STATIC", L"Results per page:",
                             SS_NOPREFIX | SS_LEFTNOWORDWRAP, 0, 0, 0, 0, 0, font);
  cbPerPage = OwnerDrawnList(vPanel, ids::cbPerPage, font,
                             {kPerPageValues[0], kPerPageValues[1], kPerPageValues[2],
                              kPerPageValues[3], kPerPageValues[4]});
  lblMaxRslt = CreateControl(vPanel, L"STATIC", L"Maximum results:",
                             SS_NOPREFIX | SS_LEFTNOWORDWRAP, 0, 0, 0, 0, 0, font);
  cbMaxRslt =
      OwnerDrawnList(vPanel, ids::cbMaxRslt, font,
                     {kMaxRsltValues[0], kMaxRsltValues[1], kMaxRsltValues[2], kMaxRsltValues[3]});
  LayoutLists();
}

void TOptions::LayoutLists() {
  const TDisplay& d = fDisplay;
  // Each label as wide as its text, its list right after it.
  int x = d.S(90);
  for (const auto& [label, list, width] :
       {std::tuple{lblPerPage, cbPerPage, 60}, std::tuple{lblMaxRslt, cbMaxRslt, 70}}) {
    const int text = TextWidth(label, d.fFont, WindowText(label)) + d.S(2);
    SetBounds(label, x, d.S(15), text, d.S(16));
    x += text + d.S(2);
    SetBounds(list, x, d.S(11), d.S(width), DroppedHeight(list));
    x += d.S(width) + d.S(8);
  }
  // The closed lists' height follows their items' (WM_MEASUREITEM with itemID -1 at creation).
  for (HWND list : {cbPerPage, cbMaxRslt}) {
    SendMessageW(list, CB_SETITEMHEIGHT, WPARAM(-1), ItemHeight());
    SendMessageW(list, CB_SETITEMHEIGHT, 0, ItemHeight());
  }
}

namespace {

// The menu item and the list entry of choice vIndex, both showing it chosen.
void ShowChoice(HMENU vMenu, int vFirstId, int vCount, HWND vList, int vIndex) {
  CheckMenuRadioItem(vMenu, UINT(vFirstId), UINT(vFirstId + vCount - 1), UINT(vFirstId + vIndex),
                     MF_BYCOMMAND);
  SendMessageW(vList, CB_SETCURSEL, WPARAM(vIndex), 0);
}

}  // namespace

void TOptions::SetPerPageIdx(int vIndex) {
  fPerPageIdx = std::clamp(vIndex, 0, int(kPerPageValues.size()) - 1);
  fPerPage = PerPageAt(vIndex);
  ShowChoice(mnuPerPage, ids::mnuP10, int(kPerPageValues.size()), cbPerPage, fPerPageIdx);
}

void TOptions::SetMaxRsltIdx(int vIndex) {
  fMaxRsltIdx = std::clamp(vIndex, 0, int(kMaxRsltValues.size()) - 1);
  fMaxRslt = MaxRsltAt(vIndex);
  ShowChoice(mnuMax, ids::mnuM10, int(kMaxRsltValues.size()), cbMaxRslt, fMaxRsltIdx);
}

void TOptions::SetCase(bool vCase) {
  fCase = vCase;
  CheckMenuItem(fOptions, ids::mnuCase, MF_BYCOMMAND | (fCase ? MF_CHECKED : MF_UNCHECKED));
}

void TOptions::EnableMenuItems(bool vEnabled) {
  const UINT state = vEnabled ? MF_ENABLED : MF_GRAYED;
  EnableMenuItem(fOptions, 0, MF_BYPOSITION | state);
  EnableMenuItem(fOptions, 1, MF_BYPOSITION | state);
  EnableMenuItem(fOptions, ids::mnuCase, MF_BYCOMMAND | state);
}

bool TOptions::OnCommand(int vId, int vCode, HWND vControl) {
  if (vControl == nullptr) {
    if (vId >= ids::mnuP10 && vId < ids::mnuP10 + 5) return SetPerPageIdx(vId - ids::mnuP10), true;
    if (vId >= ids::mnuM10 && vId < ids::mnuM10 + 4) return SetMaxRsltIdx(vId - ids::mnuM10), true;
    if (vId == ids::mnuCase) return SetCase(!fCase), true;
    return false;
  }
  if (vControl == cbPerPage || vControl == cbMaxRslt) {
    if (vCode == CBN_SELCHANGE) {
      const int i = int(SendMessageW(vControl, CB_GETCURSEL, 0, 0));
      if (vControl == cbPerPage)
        SetPerPageIdx(i);
      else
        SetMaxRsltIdx(i);
    }
    return true;
  }
  return false;
}

bool TOptions::DrawItem(const DRAWITEMSTRUCT& vItem) {
  if (vItem.hwndItem != cbPerPage && vItem.hwndItem != cbMaxRslt) return false;
  HDC dc = vItem.hDC;
  const bool selected = (vItem.itemState & ODS_SELECTED) != 0;
  const bool grey = (vItem.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
  FillRect(dc, &vItem.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (vItem.itemID == UINT(-1)) return true;
  RECT r = vItem.rcItem;
  r.right -= 2;
  const COLORREF fore = GetSysColor(grey       ? COLOR_GRAYTEXT
                                    : selected ? COLOR_HIGHLIGHTTEXT
                                               : COLOR_WINDOWTEXT);
  wchar_t text[16] = {};
  const LRESULT len = SendMessageW(vItem.hwndItem, CB_GETLBTEXTLEN, vItem.itemID, 0);
  if (len >= 0 && len < 16)
    SendMessageW(vItem.hwndItem, CB_GETLBTEXT, vItem.itemID, reinterpret_cast<LPARAM>(text));
  // The list's own font, and a pixel between the characters: at this size some faces draw
  // their digits edge to edge, and "1000" would read as a smudge.
  TSelect font(dc, fDisplay.fFont);
  const int extra = SetTextCharacterExtra(dc, 1);
  const COLORREF old = SetTextColor(dc, fore);
  const int mode = SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text, -1, &r, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SetBkMode(dc, mode);
  SetTextColor(dc, old);
  SetTextCharacterExtra(dc, extra);
  return true;
}

const char16_t* TOptions::MenuHint(int vId) const {
  if (vId >= ids::mnuP10 && vId < ids::mnuP10 + 5) return kPerPageHints[vId - ids::mnuP10];
  if (vId >= ids::mnuM10 && vId < ids::mnuM10 + 4) return kMaxHints[vId - ids::mnuM10];
  if (vId == ids::mnuCase)
    return u"Case-sensitive data search|If checked, all string-type searches for value data will "
           u"be case-sensitive";
  return nullptr;
}

const char16_t* TOptions::SubMenuHint(HMENU vSub) const {
  if (vSub == mnuPerPage)
    return u"Results per page|Select the number of results shown on each page";
  if (vSub == mnuMax) return u"Maximum results|Set the maximum number of results for this search";
  return nullptr;
}

}  // namespace corvane
