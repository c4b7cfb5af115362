#include "text/timetext_win32.h"

#include <windows.h>

#include "text/wide.h"

namespace corvane {

TText LocalTimeText(std::uint64_t vFileTime) {
  if (vFileTime == 0) return u"unknown";
  FILETIME utc{DWORD(vFileTime), DWORD(vFileTime >> 32)};
  SYSTEMTIME u{}, local{};
  if (!FileTimeToSystemTime(&utc, &u) || !SystemTimeToTzSpecificLocalTime(nullptr, &u, &local))
    return u"unknown";
  wchar_t date[128] = {}, time[128] = {};
  if (GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, 128,
                      nullptr) == 0 ||
      GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &local, nullptr, time, 128) == 0)
    return u"unknown";
  return FromW(date) + u" " + FromW(time);
}

}  // namespace corvane
