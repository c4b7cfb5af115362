#include <gtest/gtest.h>

#include "search/memregistry.h"
#include "search/searchthread.h"
#include "support/printers.h"

namespace corvane {
namespace {

// A simple search that is never started: its matching methods are tested directly.
class SimpleMatching : public testing::Test {
 protected:
  TSearchThread& Search(const TText& text, bool datCase = false) {
    host.fSync = &sync;
    host.fNewCursor = reg.Factory();
    thread = std::make_unique<TSearchThread>(text, datCase, 1000, nullptr, nullptr, host);
    return *thread;
  }

  struct TMatch {
    bool fHit;
    TText fDat;
    std::int32_t fStart, fLen;
  };
  TMatch Data(const TText& text, std::uint32_t type, const std::vector<std::uint8_t>& bytes,
              bool datCase = false) {
    TMatch m{false, u"unset", -7, -7};
    m.fHit = Search(text, datCase)
                 .SimpleMatchD(bytes.data(), type, static_cast<std::uint32_t>(bytes.size()), m.fDat,
                               m.fStart, m.fLen);
    return m;
  }

  TMemRegistry reg;
  TGuiSync sync;
  TSearchHost host;
  std::unique_ptr<TSearchThread> thread;
};

// Names are scanned eight characters at a time: every position of a match in and around a
// block of eight gives the same answer as a one-by-one comparison, first letters match both
// cases, and a first character that is not a letter matches only itself (not the character
// that differs from it in the bit that tells a letter's case).
TEST_F(SimpleMatching, EveryPositionAndFirstCharacterOfANameMatch) {
  for (const TText& needle : {TText(u"sHell"), TText(u"%sys"), TText(u"@x"), TText(u"z")}) {
    TSearchThread& t = Search(needle);
    for (std::size_t length = needle.size(); length < 40; ++length) {
      for (std::size_t at = 0; at + needle.size() <= length; ++at) {
        TText name(length, u'.');
        for (std::size_t i = 0; i < needle.size(); ++i) name[at + i] = LowerAZ(needle[i]);
        std::int32_t start = 0, len = 0;
        ASSERT_TRUE(t.SimpleMatch(name, start, len)) << ToUtf8(name);
        EXPECT_EQ(start, std::int32_t(at + 1)) << ToUtf8(name);
        EXPECT_EQ(len, std::int32_t(needle.size()));
        // The first character's bit-5 sibling (a letter's other case, '%' and U+0005) only
        // where the first character is a letter.
        name[at] = char16_t(name[at] ^ 0x20);
        const bool letter = FoldAZ(needle[0]) >= u'A' && FoldAZ(needle[0]) <= u'Z';
        EXPECT_EQ(t.SimpleMatch(name, start, len), letter) << ToUtf8(name);
      }
    }
  }
}

TEST_F(SimpleMatching, NamesFoldOnlyAToZ) {
  std::int32_t start = 0, len = 0;
  EXPECT_TRUE(Search(u"Run").SimpleMatch(u"RunOnce", start, len));
  EXPECT_EQ(start, 1);
  EXPECT_EQ(len, 3);
  EXPECT_TRUE(Search(u"Run", /*datCase=*/true).SimpleMatch(u"autorun", start, len));
  EXPECT_EQ(start, 5);
  EXPECT_EQ(len, 3);
  EXPECT_FALSE(Search(u"\u00e4").SimpleMatch(u"\u00c4", start, len));
  EXPECT_EQ(start, 0);
  EXPECT_EQ(len, 0);
  EXPECT_FALSE(Search(u"").SimpleMatch(u"anything", start, len));
  EXPECT_FALSE(Search(u"x").SimpleMatch(u"", start, len));
}

TEST_F(SimpleMatching, DataTextCaseFollowsDatCase) {
  const auto bytes = TextBytes(u"xxAByy");
  auto m = Data(u"ab", kRegSz, bytes);
  EXPECT_TRUE(m.fHit);
  EXPECT_EQ(m.fDat, u"xxAByy");
  EXPECT_EQ(m.fStart, 3);
  EXPECT_EQ(m.fLen, 2);
  m = Data(u"ab", kRegSz, bytes, true);
  EXPECT_FALSE(m.fHit);
  EXPECT_EQ(m.fStart, 0);
  EXPECT_EQ(m.fDat, u"unset");
}

TEST_F(SimpleMatching, MultiStringKeepsSeparators) {
  const std::vector<std::uint8_t> bytes = {'o', 0,   'n', 0,   'e', 0, 0, 0, 't',
                                           0,   'w', 0,   'o', 0,   0, 0, 0, 0};
  const auto m = Data(u"two", kRegMultiSz, bytes);
  ASSERT_TRUE(m.fHit);
  // Only one final zero unit is dropped: the list's own terminator stays as a dot.
  EXPECT_EQ(m.fDat, u"one.two.");
  EXPECT_EQ(m.fStart, 5);
  EXPECT_EQ(m.fLen, 3);
}

TEST_F(SimpleMatching, WidenedMatchInBinary) {
  const auto m = Data(u"ab", kRegBinary, {0x61, 0, 0, 0, 0x62, 0, 0, 0});
  ASSERT_TRUE(m.fHit);
  EXPECT_EQ(m.fDat, u"a.b.");
  EXPECT_EQ(m.fStart, 1);
  EXPECT_EQ(m.fLen, 4);
  // The widened search follows the case setting too.
  EXPECT_FALSE(Data(u"AB", kRegBinary, {0x61, 0, 0, 0, 0x62, 0, 0, 0}, true).fHit);
  EXPECT_TRUE(Data(u"AB", kRegBinary, {0x61, 0, 0, 0, 0x62, 0, 0, 0}, false).fHit);
  // The plain text wins over an earlier widened one, with either case setting; the widened
  // one counts where the plain text is missing.
  const std::vector<std::uint8_t> both = {0x61, 0, 0, 0, 0x62, 0, 0, 0, 0x7A, 0, 0x61, 0, 0x62, 0};
  for (bool datCase : {false, true}) {
    SCOPED_TRACE(datCase);
    const auto plain = Data(u"ab", kRegBinary, both, datCase);
    ASSERT_TRUE(plain.fHit);
    EXPECT_EQ(plain.fStart, 6);
    EXPECT_EQ(plain.fLen, 2);
    const auto wide = Data(u"ab", kRegBinary, {0x7A, 0, 0x61, 0, 0, 0, 0x62, 0, 0, 0}, datCase);
    ASSERT_TRUE(wide.fHit);
    EXPECT_EQ(wide.fStart, 2);
    EXPECT_EQ(wide.fLen, 4);
  }
}

TEST_F(SimpleMatching, NumbersMatchFourByteDataOfAnyType) {
  auto m = Data(u"65", kRegDword, {0x41, 0, 0, 0});
  ASSERT_TRUE(m.fHit);
  EXPECT_EQ(m.fDat, u"0x00000041 (65)");
  EXPECT_EQ(m.fLen, 0);

  m = Data(u"1", kRegBinary, {1, 0, 0, 0});
  ASSERT_TRUE(m.fHit);
  EXPECT_EQ(m.fDat, u"..");
  EXPECT_EQ(m.fStart, 0);
  EXPECT_EQ(m.fLen, 0);

  m = Data(u"97", kRegSz, {0x61, 0, 0, 0});
  ASSERT_TRUE(m.fHit);
  EXPECT_EQ(m.fDat, u"a");
  EXPECT_EQ(m.fLen, 0);

  // A text match in a DWORD shows the number form without emphasis.
  m = Data(u"A", kRegDword, {0x41, 0, 0, 0});
  ASSERT_TRUE(m.fHit);
  EXPECT_EQ(m.fDat, u"0x00000041 (65)");
  EXPECT_EQ(m.fStart, 0);
  EXPECT_EQ(m.fLen, 0);

  EXPECT_TRUE(Data(u"0xFFFFFFFF", kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}).fHit);
  EXPECT_TRUE(Data(u"-1", kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}).fHit);
  EXPECT_FALSE(Data(u"4294967295", kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}).fHit);
  // Big-endian DWORDs are read the other way round.
  m = Data(u"1", kRegDwordBigEndian, {0, 0, 0, 1});
  ASSERT_TRUE(m.fHit);
  EXPECT_EQ(m.fDat, u"0x00000001 (1)");
  // Only exactly four bytes carry a number.
  EXPECT_FALSE(Data(u"1", kRegBinary, {1, 0, 0}).fHit);
  EXPECT_FALSE(Data(u"1", kRegQword, {1, 0, 0, 0, 0, 0, 0, 0}).fHit);
}

TEST_F(SimpleMatching, EmptyAndOddData) {
  EXPECT_FALSE(Data(u"0", kRegBinary, {}).fHit);
  EXPECT_FALSE(Data(u"a", kRegBinary, {}).fHit);
  // An odd last byte is ignored.
  EXPECT_FALSE(Data(u"a", kRegBinary, {'x', 0, 'a'}).fHit);
}

class Excerpts : public SimpleMatching {
 protected:
  // 250 characters, unique per position so the excerpt's bounds are visible.
  static TText Long(std::size_t n) {
    TText t;
    for (std::size_t i = 0; i < n; ++i) t += char16_t(0x4E00 + i);
    return t;
  }
  TText Dots(const TText& s, std::int32_t pos, std::int32_t len, std::int32_t& start,
             std::int32_t& outLen) {
    start = 0;
    outLen = 0;
    return Search(u"x").Dots(s, TText(std::size_t(len), u'x'), pos, false, false, kRegSz, 0, start,
                             outLen);
  }
};

TEST_F(Excerpts, WindowAroundTheMatch) {
  const TText s = Long(250);
  std::int32_t start = 0, len = 0;
  TText e = Dots(s, 120, 6, start, len);
  EXPECT_EQ(e, u"\u00ab\u2026" + s.substr(72, 100) + u"\u2026\u00bb");
  EXPECT_EQ(e.size(), 104u);
  EXPECT_EQ(start, 50);
  EXPECT_EQ(len, 6);

  e = Dots(s, 230, 6, start, len);
  EXPECT_EQ(e, u"\u00ab\u2026" + s.substr(150));
  EXPECT_EQ(start, 82);

  e = Dots(s, 20, 6, start, len);
  EXPECT_EQ(e, s.substr(0, 100) + u"\u2026\u00bb");
  EXPECT_EQ(start, 20);

  // The emphasis always lands on the matched characters.
  for (std::int32_t pos : {1, 47, 48, 50, 51, 120, 194, 195, 196, 245}) {
    e = Dots(s, pos, 6, start, len);
    ASSERT_GT(start, 0) << pos;
    EXPECT_EQ(e.substr(std::size_t(start - 1), 1), s.substr(std::size_t(pos - 1), 1)) << pos;
  }
}

TEST_F(Excerpts, LongMatchGivesNoEmphasis) {
  TText data(1000, u'a');
  const TText text(200, u'b');
  data.replace(400, 200, text);
  auto m = Data(text, kRegBinary, TextBytes(data, false));
  ASSERT_TRUE(m.fHit);
  EXPECT_LE(m.fStart, 0);
}

TEST_F(Excerpts, EarlierEmphasisStaysAndControlsBecomeDots) {
  std::int32_t start = 9, len = 2;
  const TText e =
      Search(u"x").Dots(TText(u"a\tb\0c", 5), u"b", 3, false, false, kRegBinary, 0, start, len);
  EXPECT_EQ(e, u"a.b.c");
  EXPECT_EQ(start, 9);
  EXPECT_EQ(len, 2);
  // Without a found position the emphasis is cleared and a long text is cut.
  start = 4;
  len = 4;
  const TText cut =
      Search(u"x").Dots(TText(150, u'z'), u"", 0, false, false, kRegBinary, 0, start, len);
  EXPECT_EQ(cut, TText(100, u'z') + u"\u2026\u00bb");
  EXPECT_EQ(start, 0);
  EXPECT_EQ(len, 0);
}

}  // namespace
}  // namespace corvane
