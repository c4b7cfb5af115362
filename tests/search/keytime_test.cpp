// Key last-write times: the range a search applies, the console's time texts, the exports'
// ISO form, and a walk limited to a range over keys whose times the test sets.
#include <gtest/gtest.h>

#include <stdexcept>

#include "search/keytime.h"
#include "search/memregistry.h"
#include "support/recorder.h"

namespace corvane {
namespace {

// 2024-02-29T23:59:59Z, computed apart (Python's datetime from 1601-01-01).
constexpr std::uint64_t kLeapEve = 133537247990000000ull;

TEST(KeyTime, RangesIncludeBothEndsAndNeverAnUnknownTime) {
  const std::uint64_t now = kLeapEve;
  TTimeFilter between{tlBetween, 100, 200};
  const TTimeRange r = *TimeRangeOf(between, now);
  EXPECT_FALSE(r.Contains(99));
  EXPECT_TRUE(r.Contains(100));
  EXPECT_TRUE(r.Contains(200));
  EXPECT_FALSE(r.Contains(201));

  EXPECT_FALSE(TimeRangeOf(TTimeFilter{}, now).has_value()) << "any time: no range";
  TTimeFilter after{tlAfter, 0};  // after the beginning of time: every known time
  EXPECT_FALSE(TimeRangeOf(after, now)->Contains(0)) << "unknown never matches";
  EXPECT_TRUE(TimeRangeOf(after, now)->Contains(1));
  TTimeFilter before{tlBefore, 0, 500};
  EXPECT_TRUE(TimeRangeOf(before, now)->Contains(500));
  EXPECT_FALSE(TimeRangeOf(before, now)->Contains(501));

  // "Within the last" counts back from the moment given, once.
  TTimeFilter within{tlWithin, 0, 0, 90, tuMinutes};
  const TTimeRange w = *TimeRangeOf(within, now);
  EXPECT_EQ(w.fFrom, now - 90 * kTimeMinute);
  EXPECT_TRUE(w.Contains(now + kTimeDay)) << "no upper end: keys written during the search";
  within.fUnit = tuDays;
  within.fCount = 1'000'000;  // further back than 1601
  EXPECT_EQ(TimeRangeOf(within, now)->fFrom, 0u);
  within.fCount = 99'999'999;  // the most the console takes: no overflow of the length
  EXPECT_EQ(TimeRangeOf(within, now)->fFrom, 0u);

  TTimeFilter backwards{tlBetween, 200, 100};
  EXPECT_THROW((void)TimeRangeOf(backwards, now), std::invalid_argument);
  TTimeFilter none{tlWithin, 0, 0, 0, tuHours};
  EXPECT_THROW((void)TimeRangeOf(none, now), std::invalid_argument);
}

TEST(KeyTime, IsoTextsInAndOut) {
  EXPECT_EQ(IsoTime(kLeapEve), "2024-02-29T23:59:59Z");
  EXPECT_EQ(IsoTime(kLeapEve + kTimeSecond - 1), "2024-02-29T23:59:59Z") << "whole seconds";
  EXPECT_EQ(IsoTime(0), "") << "unknown";
  EXPECT_EQ(IsoTime(1), "1601-01-01T00:00:00Z");
  EXPECT_EQ(ParseIsoTime(u"2024-02-29T23:59:59Z"), kLeapEve);
  EXPECT_EQ(ParseIsoTime(u"2024-02-29 23:59:59z"), kLeapEve);
  EXPECT_EQ(ParseIsoTime(u"2024-02-29T23:59Z"), kLeapEve - 59 * kTimeSecond);
  EXPECT_EQ(ParseIsoTime(u"2024-02-29Z"), kLeapEve - (kTimeDay - kTimeSecond));
  for (const char16_t* t : {
           u"2023-02-29T00:00Z", u"2024-13-01Z", u"2024-02-30Z", u"2024-02-29T24:00Z",
           u"2024-02-29T23:60Z", u"24-02-29Z", u"2024-2-29Z", u"2024-02-29T23Z",
           u"2024-02-29T23:59:59.5Z", u"2024-02-29T23:59:59+01:00", u"", u"now",
           u"1600-12-31Z"})
    EXPECT_FALSE(ParseIsoTime(t).has_value()) << ToUtf8(t);
  // Local time: the zone's offset is whole minutes, and the date is near the UTC one.
  const auto local = ParseIsoTime(u"2024-02-29T12:00");
  ASSERT_TRUE(local.has_value());
  const std::int64_t offset = std::int64_t(*local) - std::int64_t(*ParseIsoTime(u"2024-02-29T12:00Z"));
  EXPECT_EQ(offset % std::int64_t(kTimeMinute), 0);
  EXPECT_LE(std::abs(offset), std::int64_t(15 * kTimeHour));

  std::uint32_t count = 0;
  TTimeUnit unit = tuMinutes;
  EXPECT_TRUE(ParseDuration(u"90m", count, unit));
  EXPECT_EQ(count, 90u);
  EXPECT_EQ(unit, tuMinutes);
  EXPECT_TRUE(ParseDuration(u"24h", count, unit));
  EXPECT_EQ(unit, tuHours);
  EXPECT_TRUE(ParseDuration(u"7d", count, unit));
  EXPECT_EQ(count, 7u);
  EXPECT_EQ(unit, tuDays);
  for (const char16_t* t : {u"0m", u"m", u"7", u"7w", u"-7d", u"1.5h", u"99999999999d", u"7 d"})
    EXPECT_FALSE(ParseDuration(t, count, unit)) << ToUtf8(t);
}

// Only keys written within the range report hits; keys outside it still lead to their
// subkeys; a registry that knows no times reports nothing at all under a range.
TEST(KeyTime, AWalkLimitedToARange) {
  TMemRegistry reg;
  reg.SetText(kHKCU, u"Old", u"hit", u"x");
  reg.SetText(kHKCU, u"Old\\New", u"hit", u"x");
  reg.SetText(kHKCU, u"Old\\New\\Older", u"hit", u"x");
  reg.Find(kHKCU, u"Old")->fWriteTime = kLeapEve - kTimeDay;
  reg.Find(kHKCU, u"Old\\New")->fWriteTime = kLeapEve;
  reg.Find(kHKCU, u"Old\\New\\Older")->fWriteTime = kLeapEve - 2 * kTimeDay;
  const TTimeRange lastHour{kLeapEve - kTimeHour, kLeapEve};
  {
    test::TSearchRun run(reg.Factory());
    run.Simple(u"hit").LimitTimes(lastHour);
    EXPECT_EQ(run.Run(), stFinished);
    EXPECT_EQ(run.fRec.Marked(),
              (std::vector<std::string>{"HKEY_CURRENT_USER\\old\\new | [hit] | \u2014\u2014"}));
    ASSERT_EQ(run.fRec.fHits.size(), 1u);
    EXPECT_EQ(run.fRec.fHits[0].fModified, kLeapEve);
  }
  {
    // Without a range every hit carries its key's time.
    test::TSearchRun run(reg.Factory());
    run.Simple(u"hit");
    EXPECT_EQ(run.Run(), stFinished);
    ASSERT_EQ(run.fRec.fHits.size(), 3u);
    EXPECT_EQ(run.fRec.fHits[2].fModified, kLeapEve - 2 * kTimeDay);
  }
  {
    TComplexCriteria crit;
    crit.fKeyCrit = {EncodeNameCrit(u"o", mtContains)};
    test::TSearchRun run(reg.Factory());
    run.Criteria(std::move(crit)).LimitTimes(TTimeRange{kLeapEve - 3 * kTimeDay, kLeapEve - kTimeDay});
    EXPECT_EQ(run.Run(), stFinished);
    EXPECT_EQ(run.fRec.Marked(), (std::vector<std::string>{"HKEY_CURRENT_USER\\[o]ld |  | ",
                                                           "HKEY_CURRENT_USER\\old\\new\\[o]lder |  | "}));
  }
  reg.fKnowsTimes = false;  // as a registry loaded from an export file
  test::TSearchRun run(reg.Factory());
  run.Simple(u"hit").LimitTimes(TTimeRange{});
  EXPECT_EQ(run.Run(), stFinished);
  EXPECT_TRUE(run.fRec.fHits.empty());
  test::TSearchRun all(reg.Factory());
  all.Simple(u"hit");
  EXPECT_EQ(all.Run(), stFinished);
  ASSERT_EQ(all.fRec.fHits.size(), 3u);
  EXPECT_EQ(all.fRec.fHits[0].fModified, 0u) << "unknown";
}

}  // namespace
}  // namespace corvane
