#include "ui/crit/timebox.h"

#include <commctrl.h>

#include <algorithm>

#include "text/wide.h"
#include "ui/crit/light.h"
#include "ui/ids.h"

namespace corvane {

namespace {
constexpr wchar_t kStripClass[] = L"TTimeBox";
constexpr int kLabelLeft = 8, kChoiceWidth = 114;
constexpr int kCountWidth = 52, kUnitWidth = 80, kAndWidth = 26, kGap = 4;
constexpr int kCountDigits = 6;
constexpr std::uint32_t kDefaultCount = 24;
constexpr TTimeUnit kDefaultUnit = tuHours;

std::uint64_t FileTimeNumber(const FILETIME& v) {
  return (std::uint64_t(v.dwHighDateTime) << 32) | v.dwLowDateTime;
}

// The picker's format: the user's short date and short time.
TText PickerFormat() {
  wchar_t date[80] = {}, time[80] = {};
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SSHORTDATE, date, 80) == 0)
    wcscpy(date, L"yyyy'-'MM'-'dd");
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SSHORTTIME, time, 80) == 0)
    wcscpy(time, L"HH':'mm");
  return FromW(date) + u" " + FromW(time);
}

// The width a picker needs for the widest date and time of the format, with its button.
int PickerWidth(HWND vParent, HFONT vFont, const TText& vFormat) {
  const auto space = vFormat.find(u' ');
  const TText dateFormat = vFormat.substr(0, space), timeFormat = vFormat.substr(space + 1);
  SYSTEMTIME wide{2028, 9, 3, 27, 23, 58, 0, 0};  // long month and day names, two-digit fields
  wchar_t date[80] = {}, time[80] = {};
  GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &wide, W(dateFormat), date, 80, nullptr);
  GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &wide, W(timeFormat), time, 80);
  return TextWidth(vParent, vFont, FromW(date) + u" " + FromW(time)) +
         GetSystemMetrics(SM_CXVSCROLL) + 16;
}

HWND List(HWND vParent, int vId, HFONT vFont, const auto& vTexts) {
  HWND h = CreateControl(vParent, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0,
                         0, 0, 200, vId, vFont);
  for (const char16_t* t : vTexts) SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(t)));
  return h;
}

std::int32_t Choice(HWND vList) {
  return std::int32_t(SendMessageW(vList, CB_GETCURSEL, 0, 0));
}
}  // namespace

TTimeBox::TTimeBox(TApplication& vApp, const TDisplay& vDisplay, std::function<void()> vChanged)
    : fApp(vApp), fDisplay(vDisplay), fChanged(std::move(vChanged)) {}

TTimeBox::~TTimeBox() {
  for (HWND c : {cbTime, dtFrom, dtTo, ebCount, cbUnit, pbStat})
    if (c) fApp.RemoveHint(c);
}

bool TTimeBox::Create(HWND vParent) {
  RegisterClassOnce(kStripClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
  if (!CreateHandle(WS_EX_CONTROLPARENT, kStripClass, L"",
                    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, S(400),
                    S(kHeight), vParent, nullptr))
    return false;
  SetWindowLongPtrW(Handle(), GWLP_ID, ids::pnlTime);
  fLight.Reset(LoadValidityLight(fDisplay.fScale));
  CreateControls();
  NewSearch();
  return true;
}

void TTimeBox::CreateControls() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_DATE_CLASSES};
  InitCommonControlsEx(&icc);
  // Placed by Arrange, which runs at every size and scale.
  HWND h = Handle();
  const HFONT font = fDisplay.fFont;
  lblTime = CreateControl(h, L"STATIC", L"Modified:", SS_NOPREFIX | SS_LEFTNOWORDWRAP, 0, 0, 0, 0,
                          0, font);
  cbTime = List(h, ids::cbTime, font, kTimeLimitTexts);
  fFormat = PickerFormat();
  for (HWND* picker : {&dtFrom, &dtTo}) {
    *picker = CreateControl(h, DATETIMEPICK_CLASSW, L"", WS_TABSTOP | DTS_SHORTDATEFORMAT, 0, 0, 0,
                            0, picker == &dtFrom ? ids::dtFrom : ids::dtTo, font);
    SendMessageW(*picker, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(W(fFormat)));
  }
  lblAnd = CreateControl(h, L"STATIC", L"and", SS_NOPREFIX | SS_CENTER, 0, 0, 0, 0, 0, font);
  ebCount = CreateControl(h, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL | ES_NUMBER, 0, 0, 0, 0,
                          ids::ebCount, font, WS_EX_CLIENTEDGE);
  SendMessageW(ebCount, EM_SETLIMITTEXT, kCountDigits, 0);
  cbUnit = List(h, ids::cbUnit, font, kTimeUnitTexts);
  // SS_NOTIFY: the light receives the mouse, so its hint reaches the status bar.
  pbStat =
      CreateControl(h, L"STATIC", L"", SS_OWNERDRAW | SS_NOTIFY, 0, 0, 0, 0, ids::pbTime, font);
  fApp.SetHint(cbTime, u"Modified|Find only keys last written in this time range");
  fApp.SetHint(ebCount, u"Number|How many minutes, hours or days back from the search's start");
  fApp.SetHint(cbUnit, u"Unit|Minutes, hours or days");
  fApp.SetHint(dtTo, u"Latest time|Keys last written at or before this time");
}

void TTimeBox::NewSearch() {
  fApplying = true;
  SendMessageW(cbTime, CB_SETCURSEL, tlAnyTime, 0);
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  SetPicker(dtFrom, FileTimeNumber(now));
  SetPicker(dtTo, FileTimeNumber(now));
  SetWindowTextT(ebCount, DecimalText(kDefaultCount));
  SendMessageW(cbUnit, CB_SETCURSEL, kDefaultUnit, 0);
  fApplying = false;
  ShowFields();
  CheckValid();
}

void TTimeBox::SetPicker(HWND vPicker, std::uint64_t vUtc) {
  const FILETIME utc{DWORD(vUtc), DWORD(vUtc >> 32)};
  SYSTEMTIME u{}, local{};
  if (!FileTimeToSystemTime(&utc, &u) || !SystemTimeToTzSpecificLocalTime(nullptr, &u, &local))
    return;
  // The pickers show minutes: what they hold is what the user sees.
  local.wSecond = local.wMilliseconds = 0;
  SendMessageW(vPicker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&local));
}

TTimeFilter TTimeBox::Filter() const {
  TTimeFilter f;
  const std::int32_t limit = Choice(cbTime);
  f.fLimit = limit > tlAnyTime && limit <= tlWithin ? TTimeLimit(limit) : tlAnyTime;
  const auto picked = [](HWND vPicker) -> std::uint64_t {
    SYSTEMTIME local{}, u{};
    FILETIME ft{};
    if (SendMessageW(vPicker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&local)) != GDT_VALID)
      return 0;
    local.wSecond = local.wMilliseconds = 0;
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &u) || !SystemTimeToFileTime(&u, &ft))
      return 0;
    return FileTimeNumber(ft);
  };
  if (f.fLimit == tlAfter || f.fLimit == tlBetween) f.fAfter = picked(dtFrom);
  if (f.fLimit == tlBefore) f.fBefore = picked(dtFrom);
  if (f.fLimit == tlBetween) f.fBefore = picked(dtTo);
  if (f.fLimit == tlWithin) {
    // ES_NUMBER lets only digits be typed; a paste may bring anything else.
    std::uint32_t count = 0;
    for (char16_t c : WindowText(ebCount)) {
      if (c < u'0' || c > u'9') {
        count = 0;
        break;
      }
      count = count * 10 + std::uint32_t(c - u'0');
    }
    f.fCount = count;
    const std::int32_t unit = Choice(cbUnit);
    f.fUnit = unit >= tuMinutes && unit <= tuDays ? TTimeUnit(unit) : kDefaultUnit;
  }
  return f;
}

void TTimeBox::SetFilter(const TTimeFilter& vFilter) {
  fApplying = true;
  SendMessageW(cbTime, CB_SETCURSEL, WPARAM(vFilter.fLimit), 0);
  if (vFilter.fLimit == tlAfter || vFilter.fLimit == tlBetween) SetPicker(dtFrom, vFilter.fAfter);
  if (vFilter.fLimit == tlBefore) SetPicker(dtFrom, vFilter.fBefore);
  if (vFilter.fLimit == tlBetween) SetPicker(dtTo, vFilter.fBefore);
  if (vFilter.fLimit == tlWithin) {
    SetWindowTextT(ebCount, DecimalText(vFilter.fCount));
    SendMessageW(cbUnit, CB_SETCURSEL, WPARAM(vFilter.fUnit), 0);
  }
  fApplying = false;
  ShowFields();
  CheckValid();
}

void TTimeBox::ShowFields() {
  const std::int32_t limit = Choice(cbTime);
  const bool pickers = limit == tlAfter || limit == tlBefore || limit == tlBetween;
  ShowWindow(dtFrom, pickers ? SW_SHOW : SW_HIDE);
  ShowWindow(lblAnd, limit == tlBetween ? SW_SHOW : SW_HIDE);
  ShowWindow(dtTo, limit == tlBetween ? SW_SHOW : SW_HIDE);
  ShowWindow(ebCount, limit == tlWithin ? SW_SHOW : SW_HIDE);
  ShowWindow(cbUnit, limit == tlWithin ? SW_SHOW : SW_HIDE);
  // Only what shows changes: moving the list that is reporting its choice would upset it.
  fApp.SetHint(dtFrom, limit == tlBefore
                           ? u"Latest time|Keys last written at or before this time"
                           : u"Earliest time|Keys last written at or after this time");
}

void TTimeBox::Arrange() {
  HWND h = Handle();
  const HFONT font = fDisplay.fFont;
  const int width = ClientRect(h).right;
  const int label = TextWidth(h, font, u"Modified:") + S(2);
  SetBounds(lblTime, S(kLabelLeft), S(8), label, S(16));
  const int choiceLeft = S(kLabelLeft) + label + S(kGap);
  SetBounds(cbTime, choiceLeft, S(4), S(kChoiceWidth), DroppedHeight(cbTime));
  const int left = choiceLeft + S(kChoiceWidth) + S(kGap);
  SetBounds(ebCount, left, S(4), S(kCountWidth), S(22));
  SetBounds(cbUnit, left + S(kCountWidth) + S(kGap), S(4), S(kUnitWidth), DroppedHeight(cbUnit));
  const int lightLeft = std::max(left, width - S(4) - S(kLightSize));
  SetBounds(pbStat, lightLeft, S(7), S(kLightSize), S(kLightSize));
  // Two pickers share what the light leaves; each at most as wide as its text needs.
  const int room = lightLeft - S(kGap) - left - S(kAndWidth) - 2 * S(kGap);
  const int picker = std::max(S(60), std::min(PickerWidth(h, font, fFormat), room / 2));
  SetBounds(dtFrom, left, S(4), picker, S(22));
  SetBounds(lblAnd, left + picker + S(kGap), S(8), S(kAndWidth), S(16));
  SetBounds(dtTo, left + picker + S(kAndWidth) + 2 * S(kGap), S(4), picker, S(22));
}

void TTimeBox::Rescale() {
  fLight.Reset(LoadValidityLight(fDisplay.fScale));
  Arrange();
  InvalidateRect(pbStat, nullptr, FALSE);
}

void TTimeBox::Changed() {
  if (fApplying) return;
  CheckValid();
  if (fChanged) fChanged();
}

void TTimeBox::CheckValid() {
  const std::string problem = TimeFilterProblem(Filter());
  fValid = problem.empty();
  TText why = FromUtf8(problem);
  if (!why.empty() && why[0] >= u'a' && why[0] <= u'z') why[0] = char16_t(why[0] - u'a' + u'A');
  fApp.SetHint(pbStat, u"Validity check|" +
                           (fValid ? TText(u"Green light if the time limit is valid") : why));
  InvalidateRect(pbStat, nullptr, FALSE);
}

LRESULT TTimeBox::WndProc(UINT vMsg, WPARAM wParam, LPARAM lParam) {
  switch (vMsg) {
    case WM_SIZE:
      Arrange();
      return 0;
    case WM_COMMAND: {
      const HWND from = reinterpret_cast<HWND>(lParam);
      const int code = HIWORD(wParam);
      if (from == cbTime && code == CBN_SELCHANGE) {
        ShowFields();
        Changed();
      }
      if ((from == cbUnit && code == CBN_SELCHANGE) || (from == ebCount && code == EN_CHANGE))
        Changed();
      return 0;
    }
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
      if (hdr->code == DTN_DATETIMECHANGE && (hdr->hwndFrom == dtFrom || hdr->hwndFrom == dtTo))
        Changed();
      return 0;
    }
    case WM_DRAWITEM: {
      const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (di->hwndItem == pbStat) {
        PaintValidityLight(*di, static_cast<HBITMAP>(fLight.Get()), fValid);
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
