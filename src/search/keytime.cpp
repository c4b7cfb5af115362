#include "search/keytime.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <stdexcept>

namespace corvane {

namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kUnixEpoch = 11'644'473'600;

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = unsigned(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + std::int64_t(doe) - 719468;
}

bool Valid(const TCivilTime& t) {
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (t.fYear < 1601 || t.fYear > 30827 || t.fMonth < 1 || t.fMonth > 12 || t.fDay < 1 ||
      t.fDay > kDays[t.fMonth - 1] || t.fHour < 0 || t.fHour > 23 || t.fMinute < 0 ||
      t.fMinute > 59 || t.fSecond < 0 || t.fSecond > 59)
    return false;
  const bool leap = (t.fYear % 4 == 0 && t.fYear % 100 != 0) || t.fYear % 400 == 0;
  return !(t.fMonth == 2 && t.fDay == 29 && !leap);
}

std::uint64_t FromUnixSeconds(std::int64_t vSeconds) {
  return std::uint64_t(vSeconds + kUnixEpoch) * kTimeSecond;
}

// Reads exactly vDigits digits at vAt.
bool Digits(TTextView s, std::size_t& vAt, int vDigits, int& vOut) {
  if (vAt + std::size_t(vDigits) > s.size()) return false;
  int n = 0;
  for (int i = 0; i < vDigits; ++i) {
    const char16_t c = s[vAt + std::size_t(i)];
    if (c < u'0' || c > u'9') return false;
    n = n * 10 + (c - u'0');
  }
  vAt += std::size_t(vDigits);
  vOut = n;
  return true;
}

}  // namespace

std::uint64_t TimeUnitLength(TTimeUnit vUnit) {
  switch (vUnit) {
    case tuHours:
      return kTimeHour;
    case tuDays:
      return kTimeDay;
    default:
      return kTimeMinute;
  }
}

std::optional<TTimeRange> TimeRangeOf(const TTimeFilter& vFilter, std::uint64_t vNow) {
  TTimeRange r;
  switch (vFilter.fLimit) {
    case tlAfter:
      r.fFrom = vFilter.fAfter;
      break;
    case tlBefore:
      r.fTo = vFilter.fBefore;
      break;
    case tlBetween:
      r.fFrom = vFilter.fAfter;
      r.fTo = vFilter.fBefore;
      if (r.fTo < r.fFrom) throw std::invalid_argument("the time range ends before it starts");
      break;
    case tlWithin: {
      if (vFilter.fCount == 0)
        throw std::invalid_argument("\"within the last\" needs a number of at least 1");
      const std::uint64_t unit = TimeUnitLength(vFilter.fUnit);
      // Longer than the whole calendar: from its start.
      const std::uint64_t length = vFilter.fCount > vNow / unit ? vNow : vFilter.fCount * unit;
      r.fFrom = length >= vNow ? 0 : vNow - length;
      break;
    }
    default:
      return std::nullopt;
  }
  return r;
}

std::string TimeFilterProblem(const TTimeFilter& vFilter) {
  try {
    (void)TimeRangeOf(vFilter, TimeNow());
  } catch (const std::invalid_argument& e) {
    return e.what();
  }
  return {};
}

std::uint64_t TimeNow() {
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  const auto units = std::chrono::duration_cast<std::chrono::duration<std::int64_t, std::ratio<1, 10'000'000>>>(since);
  return std::uint64_t(units.count() + kUnixEpoch * std::int64_t(kTimeSecond));
}

std::optional<std::uint64_t> FileTimeOfUtc(const TCivilTime& t) {
  if (!Valid(t)) return std::nullopt;
  const std::int64_t days = DaysFromCivil(t.fYear, unsigned(t.fMonth), unsigned(t.fDay));
  return FromUnixSeconds(days * 86400 + t.fHour * 3600 + t.fMinute * 60 + t.fSecond);
}

std::optional<std::uint64_t> FileTimeOfLocal(const TCivilTime& t) {
  if (!Valid(t)) return std::nullopt;
  std::tm tm{};
  tm.tm_year = t.fYear - 1900;
  tm.tm_mon = t.fMonth - 1;
  tm.tm_mday = t.fDay;
  tm.tm_hour = t.fHour;
  tm.tm_min = t.fMinute;
  tm.tm_sec = t.fSecond;
  tm.tm_isdst = -1;  // the time zone's rule for that date decides
  const std::time_t seconds = std::mktime(&tm);
  if (seconds == std::time_t(-1)) return std::nullopt;
  if (std::int64_t(seconds) < -kUnixEpoch) return std::nullopt;
  return FromUnixSeconds(std::int64_t(seconds));
}

TCivilTime UtcOfFileTime(std::uint64_t vTime) {
  const std::int64_t seconds = std::int64_t(vTime / kTimeSecond) - kUnixEpoch;
  std::int64_t days = seconds / 86400, rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  // Civil date from days since 1970-01-01.
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = unsigned(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  TCivilTime t;
  t.fDay = int(doy - (153 * mp + 2) / 5 + 1);
  t.fMonth = int(mp < 10 ? mp + 3 : mp - 9);
  t.fYear = int(std::int64_t(yoe) + era * 400 + (t.fMonth <= 2));
  t.fHour = int(rest / 3600);
  t.fMinute = int(rest / 60 % 60);
  t.fSecond = int(rest % 60);
  return t;
}

std::string IsoTime(std::uint64_t vTime) {
  if (vTime == 0) return {};
  const TCivilTime t = UtcOfFileTime(vTime);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.fYear, t.fMonth, t.fDay,
                t.fHour, t.fMinute, t.fSecond);
  return text;
}

std::optional<std::uint64_t> ParseIsoTime(TTextView s) {
  TCivilTime t;
  std::size_t at = 0;
  if (!Digits(s, at, 4, t.fYear) || at >= s.size() || s[at++] != u'-' ||
      !Digits(s, at, 2, t.fMonth) || at >= s.size() || s[at++] != u'-' ||
      !Digits(s, at, 2, t.fDay))
    return std::nullopt;
  if (at < s.size() && (s[at] == u'T' || s[at] == u't' || s[at] == u' ')) {
    ++at;
    if (!Digits(s, at, 2, t.fHour) || at >= s.size() || s[at++] != u':' ||
        !Digits(s, at, 2, t.fMinute))
      return std::nullopt;
    if (at < s.size() && s[at] == u':') {
      ++at;
      if (!Digits(s, at, 2, t.fSecond)) return std::nullopt;
    }
  }
  const bool utc = at < s.size() && (s[at] == u'Z' || s[at] == u'z');
  if (utc) ++at;
  if (at != s.size()) return std::nullopt;
  return utc ? FileTimeOfUtc(t) : FileTimeOfLocal(t);
}

bool ParseDuration(TTextView s, std::uint32_t& vCount, TTimeUnit& vUnit) {
  if (s.size() < 2 || s.size() > 9) return false;
  std::uint32_t n = 0;
  for (std::size_t i = 0; i + 1 < s.size(); ++i) {
    if (s[i] < u'0' || s[i] > u'9') return false;
    n = n * 10 + std::uint32_t(s[i] - u'0');
  }
  switch (s.back()) {
    case u'm':
      vUnit = tuMinutes;
      break;
    case u'h':
      vUnit = tuHours;
      break;
    case u'd':
      vUnit = tuDays;
      break;
    default:
      return false;
  }
  vCount = n;
  return n > 0;
}

}  // namespace corvane
