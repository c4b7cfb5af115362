// Key last-write times: the registry keeps one per key as a FILETIME (100-ns units since
// 1601-01-01 UTC); 0 stands for "unknown" (a registry export file carries none). A search may
// be limited to keys written in a time range; this file holds the range, its parsing from the
// console's texts and the ISO 8601 form the exports write.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "text/text.h"

namespace corvane {

// 100-ns units: a second, a minute, an hour, a day.
inline constexpr std::uint64_t kTimeSecond = 10'000'000ull;
inline constexpr std::uint64_t kTimeMinute = 60 * kTimeSecond;
inline constexpr std::uint64_t kTimeHour = 60 * kTimeMinute;
inline constexpr std::uint64_t kTimeDay = 24 * kTimeHour;

// The kinds of limit the window and saved searches offer, by index.
enum TTimeLimit : std::int32_t {
  tlAnyTime = 0,
  tlAfter = 1,
  tlBefore = 2,
  tlBetween = 3,
  tlWithin = 4,
};
inline constexpr std::array<const char16_t*, 5> kTimeLimitTexts = {
    u"any time", u"after", u"before", u"between", u"within the last"};
// The units of "within the last", by index.
enum TTimeUnit : std::int32_t { tuMinutes = 0, tuHours = 1, tuDays = 2 };
inline constexpr std::array<const char16_t*, 3> kTimeUnitTexts = {u"minutes", u"hours", u"days"};
std::uint64_t TimeUnitLength(TTimeUnit vUnit);

// A limit as the user sets it: "within the last" keeps its count and unit, and becomes a
// range only when a search starts (TimeRangeOf).
struct TTimeFilter {
  TTimeLimit fLimit = tlAnyTime;
  std::uint64_t fAfter = 0;   // tlAfter, tlBetween: the earliest time (inclusive)
  std::uint64_t fBefore = 0;  // tlBefore, tlBetween: the latest time (inclusive)
  std::uint32_t fCount = 0;   // tlWithin
  TTimeUnit fUnit = tuMinutes;
  bool operator==(const TTimeFilter&) const = default;
};

// The range a search applies: a key matches when its time is known and lies between fFrom
// and fTo, both ends included.
struct TTimeRange {
  std::uint64_t fFrom = 0;
  std::uint64_t fTo = ~std::uint64_t(0);
  bool Contains(std::uint64_t vTime) const { return vTime != 0 && vTime >= fFrom && vTime <= fTo; }
  bool operator==(const TTimeRange&) const = default;
};

// The range of vFilter for a search starting at vNow; nullopt for "any time". Throws
// std::invalid_argument with the message to show when the range is empty (its end before its
// start) or "within the last" has no length.
std::optional<TTimeRange> TimeRangeOf(const TTimeFilter& vFilter, std::uint64_t vNow);
// Why vFilter gives no range, as TimeRangeOf would throw it; empty when it is usable.
std::string TimeFilterProblem(const TTimeFilter& vFilter);

// The refusal of a time limit on a registry export file.
inline constexpr char16_t kExportHasNoTimes[] =
    u"Registry export files carry no times; remove the time limit to search this file";

// The time now, as a FILETIME number.
std::uint64_t TimeNow();

// "2026-12-10T15:25:17Z" (UTC, whole seconds); empty for 0 (unknown).
std::string IsoTime(std::uint64_t vTime);

// An ISO 8601 date and time ("2026-12-10T15:25", "2026-12-10 15:25:17", "2026-12-10", with a
// trailing Z for UTC; local time otherwise); nullopt when malformed.
std::optional<std::uint64_t> ParseIsoTime(TTextView vText);
// A duration of a whole number and a unit, "90m", "24h", "7d", into vCount and vUnit; false
// when malformed or 0.
[[nodiscard]] bool ParseDuration(TTextView vText, std::uint32_t& vCount, TTimeUnit& vUnit);

// Civil time and FILETIME numbers; the local conversions use the platform's time zone.
struct TCivilTime {
  int fYear = 1601, fMonth = 1, fDay = 1, fHour = 0, fMinute = 0, fSecond = 0;
};
std::optional<std::uint64_t> FileTimeOfUtc(const TCivilTime& vTime);
std::optional<std::uint64_t> FileTimeOfLocal(const TCivilTime& vTime);
TCivilTime UtcOfFileTime(std::uint64_t vTime);

}  // namespace corvane
