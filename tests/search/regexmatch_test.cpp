#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "search/criteria.h"
#include "search/emphasis.h"
#include "search/memregistry.h"
#include "search/regexmatch.h"
#include "search/searchtexts.h"
#include "support/recorder.h"

namespace corvane {
namespace {

using Lines = std::vector<std::string>;

struct TFound {
  TRegexResult fResult;
  std::int32_t fStart, fLen;
  bool operator==(const TFound&) const = default;
};
std::ostream& operator<<(std::ostream& o, const TFound& f) {
  return o << "{" << int(f.fResult) << ", " << f.fStart << ", " << f.fLen << "}";
}

TFound Find(TTextView pattern, TTextView text, bool caseless = true) {
  const TRegex regex(pattern, caseless);
  EXPECT_TRUE(regex.Valid()) << ToUtf8(regex.Error());
  TRegexMatcher matcher;
  TFound f{rrNoMatch, -1, -1};
  f.fResult = matcher.Find(regex, text, f.fStart, f.fLen);
  return f;
}

// Spans count UTF-16 code units from 1, as every emphasis does: a character outside the
// BMP before the match counts two, and one inside the match is two units long.
TEST(RegexEngine, FirstMatchSpanInCodeUnits) {
  EXPECT_EQ(Find(u"b+", u"abbcbbb"), (TFound{rrMatch, 2, 2})) << "the first match, not the longest";
  EXPECT_EQ(Find(u"abc", u"\U0001F600abc"), (TFound{rrMatch, 3, 3}));
  EXPECT_EQ(Find(u"x.y", u"ax\U0001F600y"), (TFound{rrMatch, 2, 4})) << ". is one character";
  EXPECT_EQ(Find(u"\\x{1F600}+", u"\u00e9\U0001F600\U0001F600!"), (TFound{rrMatch, 2, 4}));
  EXPECT_EQ(Find(u"x|abc", u"zabc"), (TFound{rrMatch, 2, 3})) << "alternatives at the top level";
  EXPECT_EQ(Find(u"^abc$", u"abc"), (TFound{rrMatch, 1, 3}));
  EXPECT_EQ(Find(u"^bc", u"abc").fResult, rrNoMatch);
  EXPECT_EQ(Find(u"b$", u"ab\ncd").fResult, rrNoMatch) << "$ is the end of the text";
  EXPECT_EQ(Find(u"q*", u"abc"), (TFound{rrMatch, 1, 0})) << "an empty match counts";
  EXPECT_EQ(Find(u"\\Qa.b", u"axb a.b"), (TFound{rrMatch, 5, 3})) << "a \\Q that runs to the end";
  EXPECT_EQ(Find(u"(?x) a b  # comment", u"xab"), (TFound{rrMatch, 2, 2}));
  EXPECT_EQ(Find(u"(*UCP)(*LIMIT_MATCH=1000)\\w+", u"-\u00e9t\u00e9-"), (TFound{rrMatch, 2, 3}));
  EXPECT_EQ(Find(u"abc", u""), (TFound{rrNoMatch, 0, 0}));
}

// A lone surrogate (registry names may hold one) matches nothing but stops nothing either.
TEST(RegexEngine, LoneSurrogatesAreMatchedAround) {
  EXPECT_EQ(Find(u"abc", u"\xD800 abc"), (TFound{rrMatch, 3, 3}));
  EXPECT_EQ(Find(u"x.y", u"x\xDC00y").fResult, rrNoMatch);
  EXPECT_EQ(Find(u"b",
                 u"a\xDC00\xD800"
                 u"b"),
            (TFound{rrMatch, 4, 1}));
}

TEST(RegexEngine, CaseRules) {
  EXPECT_EQ(Find(u"SHELL32", u"c:\\shell32.dll"), (TFound{rrMatch, 4, 7}));
  EXPECT_EQ(Find(u"SHELL32", u"c:\\shell32.dll", false).fResult, rrNoMatch);
  EXPECT_EQ(Find(u"\u00c4\u03a3", u"x\u00e4\u03c3", true), (TFound{rrMatch, 2, 2}))
      << "beyond ASCII";
  EXPECT_EQ(Find(u"(?-i)Run", u"run Run"), (TFound{rrMatch, 5, 3})) << "the pattern's own flags";
}

TEST(RegexEngine, BadPatternsGiveMessageAndOffset) {
  struct TCase {
    const char16_t* fPattern;
    const char* fError;
  };
  for (const TCase& c :
       {TCase{u"(ab", "missing closing parenthesis at offset 3"},
        TCase{u"a{2,1}", "numbers out of order in {} quantifier at offset 5"},
        TCase{u"[z-a]", "range out of order in character class at offset 3"},
        TCase{u"ab\\", "\\ at end of pattern at offset 3"},
        TCase{u"*x", "quantifier does not follow a repeatable item at offset 0"},
        // PCRE2 asks for 2^64 - 4 bytes here; refused, it names the option.
        TCase{u"(*LIMIT_MATCH=0", "(*VERB) not recognized or malformed at offset 16"}}) {
    const TRegex regex(c.fPattern, true);
    EXPECT_FALSE(regex.Valid()) << ToUtf8(c.fPattern);
    EXPECT_EQ(ToUtf8(regex.Error()), c.fError);
    EXPECT_EQ(ToUtf8(RegexError(c.fPattern)), c.fError);
  }
  EXPECT_EQ(RegexError(u"a(b)c"), u"");
  EXPECT_TRUE(TRegex(u"a(b)c", false).Error().empty());
}

// Catastrophic backtracking over a 1 MB value ends within the limits, and is told apart from
// a non-match. The first pattern exceeds the match limit at its first start position; the
// second stays below it at every position, so only the time limit ends it. A pattern that is
// merely long to run over the same text still matches.
TEST(RegexEngine, HostilePatternsOverAMegabyteEnd) {
  TText text(512 * 1024, u'a');
  text += u"cb";
  TRegexMatcher matcher;
  for (const char16_t* pattern : {u"(a+)+b", u"(a|a){1,14}b", u"(?:a|aa)+$x"}) {
    const TRegex regex(pattern, true);
    ASSERT_TRUE(regex.Valid());
    std::int32_t start = -1, len = -1;
    const auto begin = std::chrono::steady_clock::now();
    const TRegexResult r = matcher.Find(regex, text, start, len);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - begin);
    std::printf("%s over 1 MB: %lld ms\n", ToUtf8(pattern).c_str(),
                static_cast<long long>(ms.count()));
    EXPECT_EQ(r, rrTooCostly) << ToUtf8(pattern);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(len, 0);
  }
  std::int32_t start = -1, len = -1;
  EXPECT_EQ(matcher.Find(TRegex(u"a*cb$", true), text, start, len), rrMatch);
  EXPECT_EQ(start, 1);
  EXPECT_EQ(len, std::int32_t(text.size()));
  EXPECT_EQ(matcher.Find(TRegex(u"(?:a|aa)+$x", true), TTextView(text).substr(0, 20), start, len),
            rrNoMatch)
      << "short texts are matched to their end";
}

// The simple search with its regex option (never started: its matching methods directly).
class RegexSimple : public testing::Test {
 protected:
  TSearchThread& Search(const TText& pattern, bool datCase = false) {
    host.fSync = &sync;
    host.fNewCursor = reg.Factory();
    thread = std::make_unique<TSearchThread>(pattern, datCase, 1000, nullptr, nullptr, host);
    thread->MatchAsRegex();
    return *thread;
  }
  struct TMatch {
    bool fHit;
    std::string fDat;
    std::int32_t fStart, fLen;
  };
  TMatch Data(std::uint32_t type, const std::vector<std::uint8_t>& bytes) {
    TMatch m{false, "unset", -7, -7};
    TText dat = u"unset";
    m.fHit = thread->SimpleMatchD(bytes.data(), type, std::uint32_t(bytes.size()), dat, m.fStart,
                                  m.fLen);
    m.fDat = ToUtf8(MarkEmphasis(dat, m.fStart, m.fLen, u"[", u"]"));
    return m;
  }
  static std::vector<std::uint8_t> Bytes(TTextView text) {
    std::vector<std::uint8_t> b;
    for (char16_t c : text) b.insert(b.end(), {std::uint8_t(c & 0xFF), std::uint8_t(c >> 8)});
    return b;
  }

  TMemRegistry reg;
  TGuiSync sync;
  TSearchHost host;
  std::unique_ptr<TSearchThread> thread;
};

TEST_F(RegexSimple, NamesIgnoreCaseDataFollowsTheCaseOption) {
  std::int32_t start = 0, len = 0;
  EXPECT_TRUE(Search(u"run(once)?$", true).SimpleMatch(u"xRUNONCE", start, len));
  EXPECT_EQ(start, 2);
  EXPECT_EQ(len, 7);
  EXPECT_FALSE(thread->SimpleMatch(u"runner", start, len));
  EXPECT_EQ(start, 0);
  EXPECT_EQ(len, 0);
  const std::vector<std::uint8_t> data = Bytes(u"C:\\Windows\\System32\\x.exe\0");
  Search(u"system32\\\\[a-z]+\\.EXE$", true);
  EXPECT_FALSE(Data(kRegSz, data).fHit) << "case-sensitive data";
  Search(u"system32\\\\[a-z]+\\.EXE$");
  const TMatch m = Data(kRegSz, data);
  EXPECT_TRUE(m.fHit);
  EXPECT_EQ(m.fDat, "C:\\Windows\\[System32\\x.exe]");
}

// The pattern sees the text view only: a number is not matched by its digits, and a text is
// not searched widened.
TEST_F(RegexSimple, NeitherNumberNorWidened) {
  Search(u"^42$");
  EXPECT_FALSE(Data(kRegDword, {42, 0, 0, 0}).fHit);
  Search(u"AB");
  EXPECT_FALSE(Data(kRegBinary, {'A', 0, 0, 0, 'B', 0, 0, 0}).fHit);
  EXPECT_TRUE(Data(kRegBinary, {'A', 0, 'B', 0}).fHit);
  // The same 4 bytes as text: the number's form is shown for a DWORD, as for every data hit.
  Search(u"\\x{41}");
  const TMatch m = Data(kRegDword, {0x41, 0, 0, 0});
  EXPECT_TRUE(m.fHit);
  EXPECT_EQ(m.fDat, "0x00000041 (65)");
}

// A multi-string is one text with its strings separated by U+0000 (the final one dropped),
// as for the other match types; the excerpt shows the separators as dots.
TEST_F(RegexSimple, MultiStrings) {
  const std::vector<std::uint8_t> multi = Bytes(TText(u"one\0two\0three\0\0", 15));
  Search(u"two\\x00t");
  EXPECT_EQ(Data(kRegMultiSz, multi).fDat, "one.[two.t]hree.");
  Search(u"^two");
  EXPECT_FALSE(Data(kRegMultiSz, multi).fHit) << "^ is the start of the whole text";
  Search(u"o[^\\x00]*$");
  EXPECT_FALSE(Data(kRegMultiSz, multi).fHit) << "the last string is followed by U+0000";
  Search(u"e\\x00$");
  EXPECT_EQ(Data(kRegMultiSz, multi).fDat, "one.two.thre[e.]");
}

// A match far into a long value is shown in the middle of the excerpt, emphasised there.
TEST_F(RegexSimple, LongDataExcerptKeepsTheSpan) {
  TText text(300, u'-');
  text.replace(200, 6, u"\U0001F600{42}");
  Search(u"\\{\\d+\\}");
  const TMatch m = Data(kRegSz, Bytes(text));
  ASSERT_TRUE(m.fHit);
  EXPECT_NE(m.fDat.find("\U0001F600[{42}]"), std::string::npos) << m.fDat;
  EXPECT_EQ(m.fDat.substr(0, 5), "\u00ab\u2026");
}

TEST_F(RegexSimple, TooCostlyValuesAreCounted) {
  TText text(512 * 1024, u'a');
  text += u"cb";
  Search(u"(a+)+b");
  EXPECT_FALSE(Data(kRegSz, Bytes(text)).fHit);
  EXPECT_FALSE(Data(kRegSz, Bytes(text)).fHit);
  EXPECT_FALSE(Data(kRegSz, Bytes(u"aaac")).fHit);
  EXPECT_EQ(thread->TooCostly(), 2);
}

// Whole searches: hits, their emphasis, and the end text with the values given up.
TEST(RegexWalk, SimpleSearchAndEndText) {
  TMemRegistry reg;
  reg.SetText(kHKCU, u"Software\\Clsid", u"Id", u"{0b0b8e5c-6a2f-4c1e-9d1e-3f3a0a5b7c21}");
  reg.SetText(kHKCU, u"Software\\Clsid", u"Other", u"{not-a-guid}");
  reg.SetText(kHKCU, u"Software\\{0B0B8E5C-6A2F-4C1E-9D1E-3F3A0A5B7C21}", u"", u"x");
  reg.SetText(kHKCU, u"Software\\Big", u"Hostile", TText(300000, u'a') + u"cb");
  test::TSearchRun run(reg.Factory());
  run.Simple(u"\\{[0-9a-f-]{36}\\}").MatchAsRegex();
  EXPECT_EQ(run.Run(), stFinished);
  // Sorted: the locale comparison of the platform orders "{" and letters its own way.
  Lines marked = run.fRec.Marked();
  std::sort(marked.begin(), marked.end());
  EXPECT_EQ(
      marked,
      (Lines{
          "HKEY_CURRENT_USER\\software\\[{0b0b8e5c-6a2f-4c1e-9d1e-3f3a0a5b7c21}] | "
          "\u2014\u2014 | \u2014\u2014",
          "HKEY_CURRENT_USER\\software\\clsid | Id | [{0b0b8e5c-6a2f-4c1e-9d1e-3f3a0a5b7c21}]",
      }));
  EXPECT_EQ(run.fThread->TooCostly(), 0);

  test::TSearchRun hostile(reg.Factory());
  hostile.Simple(u"(a|aa)+b").MatchAsRegex();
  EXPECT_EQ(hostile.Run(), stFinished);
  EXPECT_EQ(hostile.fThread->TooCostly(), 1);
  EXPECT_EQ(
      EndText(stFinished, std::int32_t(hostile.fRec.fHits.size()), hostile.fThread->TooCostly()),
      u"Found 0 items. 1 value was too costly to match and was skipped");
}

TEST(RegexEndText, SentenceOnlyWhenValuesWereSkipped) {
  EXPECT_EQ(EndText(stFinished, 3, 0), u"Found 3 items");
  EXPECT_EQ(EndText(stFinished, 3, 2),
            u"Found 3 items. 2 values were too costly to match and were skipped");
  EXPECT_EQ(EndText(stOverflow, 10, 7),
            u"Found 10 items (the maximum). 7 values were too costly to match and were skipped");
  EXPECT_EQ(EndText(stStopped, 1, 1),
            u"Found 1 items before being stopped. 1 value was too costly to match and was skipped");
}

}  // namespace
}  // namespace corvane
