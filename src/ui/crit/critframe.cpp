#include "ui/crit/critframe.h"

#include <commctrl.h>

#include "search/criteria.h"
#include "ui/crit/light.h"
#include "ui/ids.h"

namespace corvane {

namespace {
constexpr wchar_t kFrameClass[] = L"TCritFrame";
constexpr int kTextLimit = 80;
constexpr UINT_PTR kKeyFilterId = 1;
}  // namespace

TCritFrame::TCritFrame(TApplication& vApp, const TDisplay& vDisplay, HBITMAP vLight)
    : fApp(vApp), fDisplay(vDisplay), fLight(vLight) {}

TCritFrame::~TCritFrame() {
  for (HWND c : {cbCrit, ebCrit, cxCrit, pbStat})
    if (c) fApp.RemoveHint(c);
  if (ebCrit) RemoveWindowSubclass(ebCrit, ebCritKeyPress, kKeyFilterId);
}

bool TCritFrame::Create(HWND vParent, const TText& vName, int vTop, int vWidth) {
  RegisterClassOnce(kFrameClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
  fName = vName;
  if (!CreateHandle(WS_EX_CONTROLPARENT, kFrameClass, W(vName),
                    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, vTop, vWidth,
                    S(kHeight), vParent, nullptr))
    return false;
  CreateControls();
  FrameResize();
  return true;
}

void TCritFrame::CreateControls() {
  const HFONT font = fDisplay.fFont;
  cbCrit = CreateControl(Handle(), L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                         S(4), S(2), S(145), S(200), ids::cbCrit, font);
  ebCrit = CreateControl(Handle(), L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, S(152), S(2), S(305),
                         S(21), ids::ebCrit, font, WS_EX_CLIENTEDGE);
  SendMessageW(ebCrit, EM_SETLIMITTEXT, kTextLimit, 0);
  SetWindowSubclass(ebCrit, ebCritKeyPress, kKeyFilterId, reinterpret_cast<DWORD_PTR>(this));
  cxCrit = CreateControl(Handle(), L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                         S(152), S(2), S(305), S(300), ids::cxCrit, font);
  for (const char16_t* t : kDataTypeTexts)
    SendMessageW(cxCrit, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(t)));
  // SS_NOTIFY: the light receives the mouse, so its hint reaches the status bar.
  pbStat = CreateControl(Handle(), L"STATIC", L"", SS_OWNERDRAW | SS_NOTIFY, S(472), S(4),
                         S(kLightSize), S(kLightSize), ids::pbStat, font);
  fApp.SetHint(cbCrit, u"Match type|Select the desired match type ");
  fApp.SetHint(ebCrit, u"Enter text|Enter the text to be matched");
  fApp.SetHint(cxCrit, u"Data type|Select the value data type to be matched");
  fApp.SetHint(pbStat, u"Validity check|Green light if this search criterion is valid");
}

void TCritFrame::Setup(std::int32_t which, TChange vChange) {
  // Each entry keeps its match type: name rows leave out "data type is".
  for (std::int32_t m = 0; m < std::int32_t(kMatchTypeTexts.size()); ++m) {
    if (m == mtDataType && which <= ckValue) continue;
    const LRESULT at = SendMessageW(cbCrit, CB_ADDSTRING, 0,
                                    reinterpret_cast<LPARAM>(W(kMatchTypeTexts[std::size_t(m)])));
    SendMessageW(cbCrit, CB_SETITEMDATA, WPARAM(at), LPARAM(m));
  }
  SelectMatch(mtContains);
  fChange = std::move(vChange);
  fType = which;
  ShowDataType(false);
  CheckValid();
}

void TCritFrame::Setup(std::int32_t which, TChange vChange, std::int32_t Idx, std::int32_t iTyp,
                       const TText& S) {
  Setup(which, std::move(vChange));
  SelectMatch(Idx);
  if (Idx == mtDataType) {
    ShowDataType(true);
    SendMessageW(cxCrit, CB_SETCURSEL, WPARAM(iTyp), 0);
  } else {
    SetWindowTextT(ebCrit, S);  // runs ebCritChange
  }
  CheckValid();
}

void TCritFrame::SelectMatch(std::int32_t vMatch) {
  const int n = int(SendMessageW(cbCrit, CB_GETCOUNT, 0, 0));
  int at = -1;
  for (int i = 0; i < n && at < 0; ++i)
    if (SendMessageW(cbCrit, CB_GETITEMDATA, WPARAM(i), 0) == LRESULT(vMatch)) at = i;
  SendMessageW(cbCrit, CB_SETCURSEL, WPARAM(at), 0);
}

std::int32_t TCritFrame::Match() const {
  const LRESULT at = SendMessageW(cbCrit, CB_GETCURSEL, 0, 0);
  return at == CB_ERR ? -1 : std::int32_t(SendMessageW(cbCrit, CB_GETITEMDATA, WPARAM(at), 0));
}

TCritRow TCritFrame::Row() const {
  TCritRow r;
  r.fMatchType = Match();
  r.fDataType = std::int32_t(SendMessageW(cxCrit, CB_GETCURSEL, 0, 0));
  r.fText = WindowText(ebCrit);
  return r;
}

void TCritFrame::ShowDataType(bool vShow) {
  // Whichever of the two stands in front; the hidden one keeps its text or choice.
  ShowWindow(cxCrit, vShow ? SW_SHOW : SW_HIDE);
  ShowWindow(ebCrit, vShow ? SW_HIDE : SW_SHOW);
}

void TCritFrame::FrameResize() {
  const RECT r = ClientRect(Handle());
  const int lightLeft = r.right - S(4) - S(kLightSize);
  SetBounds(pbStat, lightLeft, S(4), S(kLightSize), S(kLightSize));
  const int textWidth = lightLeft - S(4) - S(152);
  SetBounds(ebCrit, S(152), S(2), textWidth, S(21));
  SetBounds(cbCrit, S(4), S(2), S(145), DroppedHeight(cbCrit));
  SetBounds(cxCrit, S(152), S(2), textWidth < 0 ? 0 : textWidth, DroppedHeight(cxCrit));
}

void TCritFrame::cbCritChange() {
  const bool dataType = Match() == mtDataType;
  if (dataType) SendMessageW(cxCrit, CB_SETCURSEL, 0, 0);
  ShowDataType(dataType);
  CheckValid();
  if (fChange) fChange();
}

void TCritFrame::ebCritChange() {
  CheckValid();
  if (fChange) fChange();
}

void TCritFrame::CheckValid() {
  const TCritRow r = Row();
  const bool valid = CritRowValid(TCritKind(fType), r.fMatchType, r.fText);
  // A pattern that does not compile says why, in the light's hint and in the status bar.
  const TText error = CritRowError(r.fMatchType, r.fText);
  if (error != fError) {
    fError = error;
    fApp.SetHint(pbStat,
                 error.empty()
                     ? TText(u"Validity check|Green light if this search criterion is valid")
                     : u"Invalid pattern|" + error);
    if (!error.empty()) fApp.ChangeHint(u"Invalid pattern|" + error);
  }
  if (valid == fValid) return;
  fValid = valid;
  InvalidateRect(pbStat, nullptr, FALSE);
}

void TCritFrame::pbStatPaint(const DRAWITEMSTRUCT& vItem) {
  PaintValidityLight(vItem, fLight, fValid);
}

LRESULT CALLBACK TCritFrame::ebCritKeyPress(HWND vWnd, UINT vMsg, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR, DWORD_PTR vRef) noexcept {
  // A typed backslash cannot be part of a key name (but of a pattern); pasting is not filtered.
  const auto* self = reinterpret_cast<const TCritFrame*>(vRef);
  if (vMsg == WM_CHAR && wParam == L'\\' && self->fType == ckKey && !IsRegexMatch(self->Match()))
    return 0;
  return DefSubclassProc(vWnd, vMsg, wParam, lParam);
}

LRESULT TCritFrame::WndProc(UINT vMsg, WPARAM wParam, LPARAM lParam) {
  switch (vMsg) {
    case WM_SIZE:
      FrameResize();
      return 0;
    case WM_COMMAND: {
      const HWND from = reinterpret_cast<HWND>(lParam);
      const int code = HIWORD(wParam);
      if (from == cbCrit && code == CBN_SELCHANGE) cbCritChange();
      if (from == ebCrit && code == EN_CHANGE) ebCritChange();
      if ((code == EN_SETFOCUS && from == ebCrit) ||
          (code == CBN_SETFOCUS && (from == cbCrit || from == cxCrit))) {
        if (OnFocus) OnFocus(from);
      }
      return 0;
    }
    case WM_DRAWITEM: {
      const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (di->hwndItem == pbStat) {
        pbStatPaint(*di);
        return TRUE;
      }
      break;
    }
    default:
      break;
  }
  return Default(vMsg, wParam, lParam);
}

}  // namespace corvane
