// The copy commands' texts: the data of every value type as a user pastes it, and what each
// command takes from a hit, on both registry backends.
#include "ui/copy/copylogic.h"

#include <gtest/gtest.h>

#include "search/memregistry.h"
#include "support/planter.h"
#include "support/printers.h"
#include "support/recorder.h"
#include "support/scopedcursor.h"

namespace corvane {
namespace {

using TBytes = std::vector<std::uint8_t>;

TText Clip(std::uint32_t vType, const TBytes& vData) {
  return DataClipText(vType, vData.data(), vData.size());
}

TEST(CopyData, EveryTypeReadsAsAUserPastesIt) {
  // Text up to its first zero, with its tabs and line breaks kept.
  EXPECT_EQ(Clip(kRegSz, TextBytes(u"a\tb\r\nc \U0001F600")), u"a\tb\r\nc \U0001F600");
  EXPECT_EQ(Clip(kRegSz, TextBytes(u"abc", false)), u"abc") << "no closing zero";
  EXPECT_EQ(Clip(kRegSz, {'a', 0, 0, 0, 'b', 0, 0, 0}), u"a") << "a zero inside";
  EXPECT_EQ(Clip(kRegSz, {'a', 0, 'b'}), u"a") << "an odd byte at the end";
  EXPECT_EQ(Clip(kRegSz, {}), u"");
  EXPECT_EQ(Clip(kRegExpandSz, TextBytes(u"%SystemRoot%\\x")), u"%SystemRoot%\\x");
  // A lone surrogate stays what it is: the clipboard takes UTF-16 as it comes.
  EXPECT_EQ(Clip(kRegSz, {0x00, 0xD8, 'x', 0, 0, 0}), TText(u"\xD800x", 2));

  // Multi-strings one a line; the list ends at its empty string or the data's end.
  EXPECT_EQ(Clip(kRegMultiSz, TextBytes(TText(u"one\0two\0\0", 9), false)), u"one\r\ntwo");
  EXPECT_EQ(Clip(kRegMultiSz, TextBytes(TText(u"one\0two", 7), false)), u"one\r\ntwo");
  EXPECT_EQ(Clip(kRegMultiSz, TextBytes(TText(u"one\0\0three\0", 11), false)), u"one");
  EXPECT_EQ(Clip(kRegMultiSz, TextBytes(TText(u"\0", 1), false)), u"");

  // Numbers in the program's number form; a number of the wrong size is bytes.
  EXPECT_EQ(Clip(kRegDword, {0x05, 0, 0, 0}), u"0x00000005 (5)");
  EXPECT_EQ(Clip(kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}), u"0xFFFFFFFF (4294967295)");
  EXPECT_EQ(Clip(kRegDwordBigEndian, {0x12, 0x34, 0x56, 0x78}), u"0x12345678 (305419896)");
  EXPECT_EQ(Clip(kRegDword, {1, 2}), u"01 02");
  EXPECT_EQ(Clip(kRegQword, {1, 0, 0, 0, 0, 0, 0, 0x80}),
            u"0x8000000000000001 (9223372036854775809)");
  EXPECT_EQ(Clip(kRegQword, {0, 0, 0, 0, 0, 0, 0, 0}), u"0x0000000000000000 (0)");
  EXPECT_EQ(Clip(kRegQword, {1, 2, 3, 4}), u"01 02 03 04");

  // Everything else as its bytes.
  EXPECT_EQ(Clip(kRegBinary, {0x00, 0x0A, 0xAB, 0xFF}), u"00 0a ab ff");
  EXPECT_EQ(Clip(kRegBinary, {}), u"");
  EXPECT_EQ(Clip(kRegNone, {0x41}), u"41");
  EXPECT_EQ(Clip(0x4242, {0x41, 0x42}), u"41 42");
}

class Copy : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override { plant = test::NewPlanter(GetParam()); }
  std::vector<TResult> Search(const TText& vText) {
    test::TSearchRun run(test::ScopedCursors(plant->Cursors(), plant->Base()));
    run.Simple(vText);
    EXPECT_EQ(run.Run(), stFinished);
    return run.fRec.Results();
  }
  TText Copied(const TCopySource& vSource, TCopyWhat vWhat) {
    auto cursor = plant->Cursors()();
    TText text = u"<nothing>";
    if (!CopyText(vSource, vWhat, *cursor, text)) return u"<failed>";
    return text;
  }
  std::unique_ptr<test::TPlanter> plant;
};

TEST_P(Copy, AValueHitGivesItsPathNameAndDataReadAfresh) {
  plant->Value(u"Copy\\Key", u"tok number", kRegDword, {7, 0, 0, 0});
  plant->Value(u"Copy\\Key", u"", kRegSz, TextBytes(u"default tok"));
  const std::vector<TResult> hits = Search(u"tok");
  ASSERT_EQ(hits.size(), 2u);
  const TResult& number = hits[0].fValStr.empty() ? hits[1] : hits[0];
  const TResult& byDefault = hits[0].fValStr.empty() ? hits[0] : hits[1];

  const TCopySource s = CopySourceOfHit(number, hfSimple);
  EXPECT_EQ(Copied(s, cwKeyPath), number.fKeyStr) << "the path as the row shows it";
  EXPECT_EQ(Copied(s, cwKeyPath).substr(0, 18), u"HKEY_CURRENT_USER\\");
  EXPECT_EQ(Copied(s, cwValueName), u"tok number");
  EXPECT_EQ(Copied(s, cwData), u"0x00000007 (7)");
  EXPECT_EQ(Copied(CopySourceOfHit(byDefault, hfSimple), cwValueName), u"")
      << "the default value's name is empty, not \"(default)\"";
  EXPECT_EQ(Copied(CopySourceOfHit(byDefault, hfSimple), cwData), u"default tok");

  // Read afresh: what the value holds now, not what the search saw.
  plant->Value(u"Copy\\Key", u"tok number", kRegSz, TextBytes(u"now text"));
  EXPECT_EQ(Copied(s, cwData), u"now text");
  plant->RemoveKey(u"Copy\\Key");
  EXPECT_EQ(Copied(s, cwData), u"<failed>") << "a key deleted since";
  EXPECT_EQ(Copied(s, cwKeyPath), number.fKeyStr) << "the path needs no registry";
  EXPECT_NE(CopyFailedText(s).find(u"tok number"), TText::npos);
}

TEST_P(Copy, AKeyHitHasNoValueToCopy) {
  plant->Value(u"Copy\\Tok Key", u"plain", kRegSz, TextBytes(u"plain"));
  const std::vector<TResult> hits = Search(u"tok");
  ASSERT_EQ(hits.size(), 1u);
  const TCopySource s = CopySourceOfHit(hits[0], hfSimple);
  EXPECT_TRUE(CanCopy(s, cwKeyPath));
  EXPECT_FALSE(CanCopy(s, cwValueName));
  EXPECT_FALSE(CanCopy(s, cwData));
  EXPECT_EQ(Copied(s, cwData), u"<failed>") << "never the placeholder";
  EXPECT_EQ(Copied(s, cwKeyPath), hits[0].fKeyStr);
  // The same row from a key-criteria search stands for its key; from a value search, for a
  // value.
  EXPECT_FALSE(CopySourceOfHit(hits[0], hfKeyCriteria).fHasValue);
  EXPECT_TRUE(CopySourceOfHit(hits[0], hfCriteria).fHasValue);
  EXPECT_FALSE(CanCopy(TCopySource{}, cwKeyPath)) << "no hit, nothing to copy";
}

INSTANTIATE_TEST_SUITE_P(Backends, Copy, testing::ValuesIn(test::BackendNames()),
                         test::BackendParamName);

}  // namespace
}  // namespace corvane
