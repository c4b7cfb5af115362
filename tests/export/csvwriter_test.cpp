// The CSV writer, read back with the tests' own RFC 4180 reader (support/csvreader.h).
#include "export/csvwriter.h"

#include <gtest/gtest.h>

#include "support/csvreader.h"
#include "support/printers.h"

namespace corvane {
namespace {

using test::TCsvRecord;

std::vector<TCsvRecord> Read(const std::string& vCsv) {
  EXPECT_EQ(vCsv.substr(0, 3), kUtf8Bom);
  std::vector<TCsvRecord> records;
  std::string error;
  EXPECT_TRUE(test::ReadCsv(std::string_view(vCsv).substr(3), records, error)) << error;
  return records;
}

TEST(CsvWriter, HeaderRowAndOneRowPerHit) {
  std::vector<TResult> hits = {
      TResult(u"HKEY_CURRENT_USER\\run", u"", u"c:\\x", 19, 0, 1, 3, 0, 2, kHKCU),
      TResult(u"HKEY_LOCAL_MACHINE\\k", kNoPart, kNoPart, 20, 0, -4, 1, 0, 0, kHKLM)};
  // 2024-02-29T23:59:59Z and one 100-ns unit: the time is written to the whole second.
  hits[0].fModified = 133537247990000001ull;
  const std::string csv = HitsCsv(hits);
  // Plain fields stay unquoted, so a spreadsheet sees the numbers as numbers. The last-write
  // time comes last, after the columns of earlier versions; empty when not known.
  EXPECT_EQ(csv, std::string(kUtf8Bom) +
                     "key,value,data,keyStart,valueStart,dataStart,keyLength,valueLength,"
                     "dataLength,modified\r\n"
                     "HKEY_CURRENT_USER\\run,,c:\\x,19,0,1,3,0,2,2024-02-29T23:59:59Z\r\n"
                     "HKEY_LOCAL_MACHINE\\k,\u2014\u2014,\u2014\u2014,20,0,-4,1,0,0,\r\n");
  const auto records = Read(csv);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[1][1], "");  // the default value's name: empty, never "(default)"
}

TEST(CsvWriter, QuotingKeepsEveryTextIntact) {
  const TText texts[] = {u"plain",
                         u"a,b",
                         u"say \"hi\"",
                         u"\"",
                         u"two\r\nlines",
                         u"lone\rCR",
                         u"lone\nLF",
                         u",\"\r\n",
                         u" leading",
                         u"trailing\t",
                         u"",
                         u"caf\u00e9 \u20ac",
                         u"\U0001F600 non-BMP, quoted"};
  std::vector<TResult> hits;
  for (const TText& t : texts)
    hits.emplace_back(u"HKEY_USERS\\" + t, t, t + t, 1, 2, 3, 4, 5, 6, kHKU);
  std::size_t replaced = 0;
  const auto records = Read(HitsCsv(hits, &replaced));
  EXPECT_EQ(replaced, 0u);
  ASSERT_EQ(records.size(), hits.size() + 1);
  for (std::size_t i = 0; i < hits.size(); ++i) {
    const TCsvRecord& r = records[i + 1];
    ASSERT_EQ(r.size(), 10u) << i;
    EXPECT_EQ(r[0], ToUtf8(hits[i].fKeyStr));
    EXPECT_EQ(r[1], ToUtf8(hits[i].fValStr));
    EXPECT_EQ(r[2], ToUtf8(hits[i].fDatStr));
    EXPECT_EQ((TCsvRecord(r.begin() + 3, r.end())), (TCsvRecord{"1", "2", "3", "4", "5", "6", ""}));
  }
}

// A text cell that a spreadsheet would run as a formula is written with an apostrophe in
// front, then quoted as any other; the number columns stay numbers, a negative one included.
TEST(CsvWriter, FormulaStartsGetAnApostropheBeforeTheQuoting) {
  struct TCase {
    TText fText;
    std::string fField;  // the bytes written
    bool fGuarded;       // read back with the apostrophe in front
  };
  const TCase cases[] = {
      {u"=1+2", "'=1+2", true},
      {u"+1", "'+1", true},
      {u"-4", "'-4", true},
      {u"@SUM(A1)", "'@SUM(A1)", true},
      {u"\tcmd", "'\tcmd", true},  // the tab no longer leads, so no quotes
      {u"\rcmd", "\"'\rcmd\"", true},
      {u"\t", "\"'\t\"", true},  // still ends with a blank
      {u"=1,\"2\"", "\"'=1,\"\"2\"\"\"", true},
      {u"a=b", "a=b", false},
      {u"1-2", "1-2", false},
      {u"", "", false},
      {u"\uFFFD=1", "\uFFFD=1", false},
      {TText(1, char16_t(0xDC00)) + u"=1", "\uFFFD=1", false},
  };
  std::vector<TResult> hits;
  for (const TCase& c : cases) {
    hits.emplace_back(c.fText, c.fText, c.fText, 1, -4, 3, 4, 5, 6, kHKU);
    const std::string& f = c.fField;
    EXPECT_EQ(CsvRow(hits.back()), f + ',' + f + ',' + f + ",1,-4,3,4,5,6,\r\n") << f;
  }
  const auto records = Read(HitsCsv(hits));
  ASSERT_EQ(records.size(), hits.size() + 1);
  for (std::size_t i = 0; i < hits.size(); ++i) {
    const std::string cell = (cases[i].fGuarded ? "'" : "") + ToUtf8(cases[i].fText);
    EXPECT_EQ(records[i + 1], (TCsvRecord{cell, cell, cell, "1", "-4", "3", "4", "5", "6", ""})) << i;
  }
}

// UTF-8 cannot hold a lone surrogate: each becomes U+FFFD and is counted; a pair is kept.
TEST(CsvWriter, LoneSurrogatesBecomeReplacementCharactersAndAreCounted) {
  const TText high(1, char16_t(0xD800)), low(1, char16_t(0xDC00));
  const TText pair = u"\U00010437";
  const TResult hit(u"HKEY_USERS\\" + high, low + u"," + pair, low + high + u"x" + high, 1, 0, 0, 1,
                    0, 0, kHKU);
  std::size_t replaced = 0;
  const std::string row = CsvRow(hit, &replaced);
  EXPECT_EQ(replaced, 5u);
  const auto records = Read(std::string(kUtf8Bom) + row);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0][0], "HKEY_USERS\\\uFFFD");
  EXPECT_EQ(records[0][1], "\uFFFD,\U00010437");
  EXPECT_EQ(records[0][2], "\uFFFD\uFFFDx\uFFFD");
}

}  // namespace
}  // namespace corvane
