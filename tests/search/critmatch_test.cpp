#include <gtest/gtest.h>

#include <random>

#include "search/memregistry.h"
#include "search/searchthread.h"
#include "support/recorder.h"

namespace corvane {
namespace {

// Builds criteria searches whose matching methods are tested directly (never started).
class Criteria : public testing::Test {
 protected:
  TSearchThread& Make(TNameCritList keys, TNameCritList vals, TDatCritList dats, bool all = false,
                      bool datCase = false) {
    host.fSync = &sync;
    host.fNewCursor = reg.Factory();
    TComplexCriteria crit;
    crit.fKeyCrit = std::move(keys);
    crit.fValCrit = std::move(vals);
    crit.fDatCrit = std::move(dats);
    crit.fKeyAll = crit.fValAll = crit.fDatAll = all;
    crit.fDatCase = datCase;
    thread = std::make_unique<TSearchThread>(std::move(crit), 1000, nullptr, nullptr, host);
    return *thread;
  }
  static TNameCritList Names(std::initializer_list<std::pair<std::int32_t, const char16_t*>> v) {
    TNameCritList l;
    for (auto& [m, t] : v) l.push_back(EncodeNameCrit(t, m));
    return l;
  }
  static TDatCritList Data(std::int32_t m, const TText& t, std::int32_t dataType = 0) {
    TDatCritList l;
    l.push_back(EncodeDatCrit(t, m, dataType));
    return l;
  }
  struct TSpan {
    bool fHolds;
    std::int32_t fStart, fLen;
  };
  TSpan Key(const TText& name) {
    TSpan s{false, -1, -1};
    s.fHolds = thread->KeyMatches(name, s.fStart, s.fLen);
    return s;
  }
  struct TData {
    bool fHolds;
    TText fDat;
    std::int32_t fStart, fLen;
  };
  TData Dat(std::uint32_t type, const std::vector<std::uint8_t>& bytes) {
    TData d{false, u"unset", -1, -1};
    d.fHolds = thread->DatMatches(bytes.data(), type, std::uint32_t(bytes.size()), d.fDat,
                                  d.fStart, d.fLen);
    return d;
  }

  TMemRegistry reg;
  TGuiSync sync;
  TSearchHost host;
  std::unique_ptr<TSearchThread> thread;
};

TEST_F(Criteria, ContainsFoldsOnlyAToZ) {
  Make(Names({{mtContains, u"run"}}), {}, {});
  for (auto n : {u"Run", u"RunOnce"}) EXPECT_TRUE(Key(n).fHolds) << ToUtf8(n);
  const auto s = Key(u"autorun");
  EXPECT_TRUE(s.fHolds);
  EXPECT_EQ(s.fStart, 5);
  EXPECT_EQ(s.fLen, 3);
  Make(Names({{mtContains, u"\u00e4"}}), {}, {});
  EXPECT_FALSE(Key(u"\u00c4").fHolds);
  EXPECT_TRUE(Key(u"x\u00e4").fHolds);
}

TEST_F(Criteria, EqualsIsLocaleAwareAndEmphasisesTheName) {
  Make(Names({{mtEquals, u"run"}}), {}, {});
  const auto s = Key(u"Run");
  EXPECT_TRUE(s.fHolds);
  EXPECT_EQ(s.fStart, 1);
  EXPECT_EQ(s.fLen, 3);
  EXPECT_FALSE(Key(u"RunOnce").fHolds);
  // The locale comparison ignores case beyond a-z, unlike "contains".
  Make(Names({{mtEquals, u"\u00e4"}}), {}, {});
  EXPECT_TRUE(Key(u"\u00c4").fHolds);
  Make({}, Names({{mtEquals, u""}}), {});
  std::int32_t st = -1, ln = -1;
  EXPECT_TRUE(thread->ValMatches(u"", st, ln));
  EXPECT_EQ(st, 1);
  EXPECT_EQ(ln, 0);
  EXPECT_FALSE(thread->ValMatches(u"x", st, ln));
}

TEST_F(Criteria, AnyAndAllChooseTheEmphasis) {
  Make(Names({{mtNotContains, u"x"}, {mtContains, u"y"}}), {}, {}, /*all=*/false);
  auto s = Key(u"axby");
  EXPECT_TRUE(s.fHolds);
  EXPECT_EQ(s.fStart, 4);
  EXPECT_EQ(s.fLen, 1);
  s = Key(u"ab");
  EXPECT_TRUE(s.fHolds);
  EXPECT_EQ(s.fLen, 0);
  EXPECT_FALSE(Key(u"x").fHolds);

  Make(Names({{mtContains, u"a"}, {mtContains, u"b"}}), {}, {}, /*all=*/true);
  s = Key(u"BxA");
  EXPECT_TRUE(s.fHolds);
  EXPECT_EQ(s.fStart, 3);
  EXPECT_EQ(s.fLen, 1);
  EXPECT_FALSE(Key(u"Ax").fHolds);
  // An empty list holds with no emphasis; an unknown match type never holds.
  Make({}, {}, {});
  s = Key(u"anything");
  EXPECT_TRUE(s.fHolds);
  EXPECT_EQ(s.fLen, 0);
  Make({TNameCrit{u"A", 9}}, {}, {});
  EXPECT_FALSE(Key(u"A").fHolds);
}

TEST_F(Criteria, DataEqualsByTextOrNumber) {
  Make({}, {}, Data(mtEquals, u"1"));
  auto d = Dat(kRegDword, {1, 0, 0, 0});
  EXPECT_TRUE(d.fHolds);
  EXPECT_EQ(d.fDat, u"0x00000001 (1)");
  EXPECT_EQ(d.fLen, 0);

  for (bool datCase : {false, true}) {
    Make({}, {}, Data(mtEquals, u"hello"), false, datCase);
    d = Dat(kRegSz, TextBytes(u"Hello"));
    EXPECT_TRUE(d.fHolds);
    EXPECT_EQ(d.fDat, u"Hello");
    EXPECT_EQ(d.fStart, 1);
    EXPECT_EQ(d.fLen, 5);
  }
  Make({}, {}, Data(mtEquals, u"hell"));
  EXPECT_FALSE(Dat(kRegSz, TextBytes(u"Hello")).fHolds);
}

TEST_F(Criteria, DataNotEquals) {
  Make({}, {}, Data(mtNotEquals, u"5"));
  EXPECT_FALSE(Dat(kRegDword, {5, 0, 0, 0}).fHolds);
  auto d = Dat(kRegDword, {6, 0, 0, 0});
  EXPECT_TRUE(d.fHolds);
  EXPECT_EQ(d.fDat, u"0x00000006 (6)");

  Make({}, {}, Data(mtNotEquals, u"abc"));
  std::vector<std::uint8_t> big(600);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = std::uint8_t(i % 7);
  d = Dat(kRegBinary, big);
  EXPECT_TRUE(d.fHolds);
  EXPECT_EQ(d.fDat.size(), 300u);  // the whole data text, control characters kept
  EXPECT_EQ(d.fDat[0], char16_t(0x0100));
  EXPECT_EQ(d.fLen, 0);
}

TEST_F(Criteria, DataTypeIs) {
  Make({}, {}, Data(mtDataType, u"", 1));  // Number data
  auto d = Dat(kRegDword, {7, 0, 0, 0});
  EXPECT_TRUE(d.fHolds);
  EXPECT_EQ(d.fDat, u"0x00000007 (7)");
  EXPECT_FALSE(Dat(kRegSz, TextBytes(u"x")).fHolds);
  Make({}, {}, Data(mtDataType, u"", 2));  // Binary data
  EXPECT_TRUE(Dat(kRegQword, {1, 2, 3, 4, 5, 6, 7, 8}).fHolds);
  EXPECT_TRUE(Dat(kRegNone, {}).fHolds);
  EXPECT_FALSE(Dat(kRegExpandSz, TextBytes(u"x")).fHolds);
  Make({}, {}, Data(mtDataType, u"", 0));  // Text data
  d = Dat(kRegMultiSz, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0});
  EXPECT_TRUE(d.fHolds);
  EXPECT_EQ(d.fDat, u"a.b.");
  Make({}, {}, Data(mtDataType, u"", 9));  // REG_LINK
  EXPECT_TRUE(Dat(kRegLink, {}).fHolds);
  EXPECT_FALSE(Dat(kRegBinary, {}).fHolds);
}

TEST_F(Criteria, DataContainsWidenedFollowsCase) {
  Make({}, {}, Data(mtContains, u"AB"), false, /*datCase=*/true);
  EXPECT_FALSE(Dat(kRegBinary, {'a', 0, 0, 0, 'b', 0, 0, 0}).fHolds);
  EXPECT_TRUE(Dat(kRegBinary, {'A', 0, 0, 0, 'B', 0, 0, 0}).fHolds);
  Make({}, {}, Data(mtContains, u"AB"), false, false);
  auto d = Dat(kRegBinary, {'a', 0, 0, 0, 'b', 0, 0, 0});
  EXPECT_TRUE(d.fHolds);
  EXPECT_EQ(d.fStart, 1);
  EXPECT_EQ(d.fLen, 4);
  Make({}, {}, Data(mtNotContains, u"zz"));
  d = Dat(kRegSz, TextBytes(u"abc"));
  EXPECT_TRUE(d.fHolds);
  EXPECT_EQ(d.fDat, u"abc");
  EXPECT_EQ(d.fLen, 0);
}

TEST_F(Criteria, AllModeKeepsTheFirstEmphasisButNumbersReplaceTheExcerpt) {
  TDatCritList l;
  l.push_back(EncodeDatCrit(u"b", mtContains, 0));
  l.push_back(EncodeDatCrit(u"abc", mtEquals, 0));
  Make({}, {}, std::move(l), /*all=*/true);
  auto d = Dat(kRegSz, TextBytes(u"ABC"));
  EXPECT_TRUE(d.fHolds);
  EXPECT_EQ(d.fDat, u"ABC");
  EXPECT_EQ(d.fStart, 1);  // the equals text match replaces the earlier emphasis
  EXPECT_EQ(d.fLen, 3);

  TDatCritList n;
  n.push_back(EncodeDatCrit(u"A", mtContains, 0));
  n.push_back(EncodeDatCrit(u"65", mtEquals, 0));
  Make({}, {}, std::move(n), true);
  d = Dat(kRegBinary, {'A', 0, 0, 0});
  EXPECT_TRUE(d.fHolds);
  EXPECT_EQ(d.fDat, u"0x00000041 (65)");
  EXPECT_EQ(d.fStart, 1);
}

TEST_F(Criteria, AllModeEqualsKeepsTheEmphasisOfAnEarlierContains) {
  Make(Names({{mtContains, u"b"}, {mtEquals, u"abc"}}),
       Names({{mtContains, u"b"}, {mtEquals, u"abc"}}), {}, /*all=*/true);
  auto s = Key(u"ABC");
  EXPECT_TRUE(s.fHolds);
  EXPECT_EQ(s.fStart, 2);
  EXPECT_EQ(s.fLen, 1);
  std::int32_t st = -1, ln = -1;
  EXPECT_TRUE(thread->ValMatches(u"aBc", st, ln));
  EXPECT_EQ(st, 2);
  EXPECT_EQ(ln, 1);
  // Alone, or after a criterion that set no emphasis, "equals" emphasises the whole name.
  Make(Names({{mtNotContains, u"z"}, {mtEquals, u"abc"}}), {}, {}, true);
  s = Key(u"ABC");
  EXPECT_TRUE(s.fHolds);
  EXPECT_EQ(s.fStart, 1);
  EXPECT_EQ(s.fLen, 3);
}

TEST_F(Criteria, DataNotEqualsKeepsAnEarlierExcerpt) {
  const TText data = TText(300, u'x') + u"needle" + TText(300, u'y');
  TDatCritList l;
  l.push_back(EncodeDatCrit(u"needle", mtContains, 0));
  l.push_back(EncodeDatCrit(u"other", mtNotEquals, 0));
  Make({}, {}, std::move(l), /*all=*/true);
  const auto d = Dat(kRegSz, TextBytes(data));
  EXPECT_TRUE(d.fHolds);
  // The excerpt of "contains", shortened around the match and emphasising it.
  EXPECT_LT(d.fDat.size(), 200u);
  ASSERT_GT(d.fStart, 0);
  EXPECT_EQ(d.fDat.substr(std::size_t(d.fStart - 1), std::size_t(d.fLen)), u"needle");
  // After "data type is", whose excerpt sets no emphasis, "does not equal" writes the whole
  // data text.
  TDatCritList t;
  t.push_back(EncodeDatCrit(u"", mtDataType, 0));
  t.push_back(EncodeDatCrit(u"other", mtNotEquals, 0));
  Make({}, {}, std::move(t), true);
  EXPECT_EQ(Dat(kRegSz, TextBytes(data)).fDat, data);
}

TEST(CriteriaRows, Validity) {
  EXPECT_FALSE(CritRowValid(ckKey, mtContains, u""));
  EXPECT_TRUE(CritRowValid(ckKey, mtContains, u"a"));
  EXPECT_FALSE(CritRowValid(ckKey, -1, u"a"));
  EXPECT_TRUE(CritRowValid(ckValue, mtEquals, u""));
  EXPECT_TRUE(CritRowValid(ckValue, mtNotEquals, u""));
  EXPECT_FALSE(CritRowValid(ckValue, mtContains, u""));
  EXPECT_TRUE(CritRowValid(ckData, mtDataType, u""));
  EXPECT_FALSE(CritRowValid(ckData, mtNotContains, u""));
  EXPECT_FALSE(CritRowValid(ckKey, mtDataType, u"a"));
  TDatCrit c(u"0x10", mtEquals, 5);
  EXPECT_TRUE(c.fHasInt);
  EXPECT_EQ(c.fInt, 16);
  TDatCrit t(u"12", mtDataType, 7);
  EXPECT_FALSE(t.fHasInt);
  EXPECT_EQ(t.fInt, 7);
}

// Regex rows in every box: names without regard to case, data by the case rule, the first
// match emphasised; "does not match" holds where the pattern matches nowhere.
TEST_F(Criteria, RegexRowsInEveryBox) {
  Make(Names({{mtRegex, u"^run(once)?$"}}), {}, {});
  EXPECT_TRUE(Key(u"RunOnce").fHolds);
  EXPECT_FALSE(Key(u"RunOnceEx").fHolds);
  const auto k = Key(u"RUN");
  EXPECT_EQ(k.fStart, 1);
  EXPECT_EQ(k.fLen, 3);
  // A pattern keeps its case as typed: \D is not \d.
  Make(Names({{mtRegex, u"^\\d+$"}}), {}, {});
  EXPECT_TRUE(Key(u"0042").fHolds);
  EXPECT_FALSE(Key(u"abc").fHolds);
  Make(Names({{mtNotRegex, u"^\\d+$"}}), {}, {});
  EXPECT_FALSE(Key(u"0042").fHolds);
  EXPECT_TRUE(Key(u"abc").fHolds);

  Make({}, Names({{mtRegex, u"\\.EXE$"}, {mtContains, u"x"}}), {}, true);
  std::int32_t st = 0, ln = 0;
  EXPECT_TRUE(thread->ValMatches(u"x\U0001F600setup.exe", st, ln));
  EXPECT_EQ(st, 9) << "the first row that emphasises: after the surrogate pair";
  EXPECT_EQ(ln, 4);
  EXPECT_FALSE(thread->ValMatches(u"x.exe.bak", st, ln));

  const std::vector<std::uint8_t> path = TextBytes(u"C:\\Program Files\\App\\app.exe");
  Make({}, {}, Data(mtRegex, u"\\.exe$"));
  EXPECT_EQ(Dat(kRegSz, path).fStart, 25);
  Make({}, {}, Data(mtRegex, u"\\.EXE$"));
  EXPECT_TRUE(Dat(kRegSz, path).fHolds);
  Make({}, {}, Data(mtRegex, u"\\.EXE$"), false, /*datCase=*/true);
  EXPECT_FALSE(Dat(kRegSz, path).fHolds);
  // Ends in .exe, not below C:\Windows.
  TDatCritList l;
  l.push_back(EncodeDatCrit(u"\\.exe$", mtRegex, 0));
  l.push_back(EncodeDatCrit(u"^C:\\\\Windows\\\\", mtNotRegex, 0));
  Make({}, {}, std::move(l), true);
  const auto d = Dat(kRegSz, path);
  EXPECT_TRUE(d.fHolds);
  EXPECT_EQ(d.fStart, 25);
  EXPECT_EQ(d.fLen, 4);
  EXPECT_FALSE(Dat(kRegSz, TextBytes(u"C:\\Windows\\notepad.exe")).fHolds);
  // Not the number rule: 42 is no text "42".
  Make({}, {}, Data(mtRegex, u"42"));
  EXPECT_FALSE(Dat(kRegDword, {42, 0, 0, 0}).fHolds);
  Make({}, {}, Data(mtNotRegex, u"42"));
  const auto n = Dat(kRegDword, {42, 0, 0, 0});
  EXPECT_TRUE(n.fHolds);
  EXPECT_EQ(n.fDat, u"0x0000002A (42)");
}

// A value given up at the limits holds neither "matches" nor "does not match", and counts.
TEST_F(Criteria, RegexRowsOnAValueGivenUp) {
  TText big(300000, u'a');
  big += u"cb";
  const std::vector<std::uint8_t> bytes = TextBytes(big);
  Make({}, {}, Data(mtRegex, u"(a|aa)+b"));
  EXPECT_FALSE(Dat(kRegSz, bytes).fHolds);
  Make({}, {}, Data(mtNotRegex, u"(a|aa)+b"));
  EXPECT_FALSE(Dat(kRegSz, bytes).fHolds);
  EXPECT_EQ(thread->TooCostly(), 1);
  EXPECT_TRUE(Dat(kRegSz, TextBytes(u"aac")).fHolds);
}

TEST(CriteriaRows, RegexRowsNeedAPatternThatCompiles) {
  EXPECT_EQ(kMatchTypeTexts[mtRegex], TTextView(u"matches (regex)"));
  EXPECT_EQ(kMatchTypeTexts[mtNotRegex], TTextView(u"does not match (regex)"));
  for (TCritKind kind : {ckKey, ckValue, ckData}) {
    for (std::int32_t m : {mtRegex, mtNotRegex}) {
      EXPECT_TRUE(CritRowValid(kind, m, u"^a+$"));
      EXPECT_FALSE(CritRowValid(kind, m, u"a(")) << kind << " " << m;
      EXPECT_FALSE(CritRowValid(kind, m, u""));
    }
  }
  EXPECT_EQ(CritRowError(mtRegex, u"a("), u"missing closing parenthesis at offset 2");
  EXPECT_EQ(CritRowError(mtNotRegex, u"[a"), u"missing terminating ] for character class at offset 2");
  EXPECT_EQ(CritRowError(mtRegex, u"a"), u"");
  EXPECT_EQ(CritRowError(mtContains, u"a("), u"") << "only a pattern has an error";
  EXPECT_EQ(EncodeNameCrit(u"run\\d", mtRegex).fText, u"run\\d") << "a pattern is not folded";
  EXPECT_EQ(EncodeNameCrit(u"run\\d", mtContains).fText, u"RUN\\D");
  EXPECT_FALSE(EncodeDatCrit(u"42", mtRegex, 0).fCrit->fHasInt);
}

// Random small registries: "any" and "all" agree over one criterion, and one "contains" key
// criterion finds exactly the keys whose folded name contains the folded text.
TEST(CriteriaProperty, OneCriterionAndIndependentContains) {
  std::mt19937 rng(4242);
  const char16_t alphabet[] = u"abAB\u00e4\u00c4x";
  auto word = [&](std::size_t n) {
    TText w;
    for (std::size_t i = 0; i < n; ++i) w += alphabet[rng() % 7];
    return w;
  };
  for (int round = 0; round < 60; ++round) {
    TMemRegistry reg;
    std::vector<TText> keys;
    for (int k = 0; k < 25; ++k) {
      TText path = word(1 + rng() % 3);
      if (!keys.empty() && rng() % 2) path = keys[rng() % keys.size()] + u"\\" + path;
      reg.Key(kHKCU, path);
      keys.push_back(path);
      reg.SetText(kHKCU, path, word(rng() % 3), word(rng() % 4));
    }
    const TText text = word(1 + rng() % 2);
    const std::int32_t match = std::int32_t(rng() % 4);
    auto run = [&](bool all, std::int32_t m) {
      test::TSearchRun r(reg.Factory());
      TComplexCriteria crit;
      crit.fKeyCrit = {EncodeNameCrit(text, m)};
      crit.fKeyAll = all;
      crit.fRoots = TRootKeySet(1 << rHKCU);
      r.Criteria(std::move(crit), 100000);
      EXPECT_EQ(r.Run(), stFinished);
      return r.fRec.Marked();
    };
    EXPECT_EQ(run(false, match), run(true, match)) << round;
    // Sibling order depends on the platform's comparison; compare as sets.

    // Independent check of "contains": every key path below HKCU, by its own name.
    std::vector<std::string> expected;
    std::function<void(const TMemKey&, const TText&)> visit = [&](const TMemKey& k, const TText& full) {
      if (Pos(FoldAZ(text), FoldAZ(k.fName)) > 0 && &k != reg.Root(kHKCU).get())
        expected.push_back(ToUtf8(full));
      std::vector<const TMemKey*> subs;
      for (auto& s : k.fSubkeys) subs.push_back(s.get());
      std::sort(subs.begin(), subs.end(), [](auto* a, auto* b) { return CompareFoldWide(a->fName, b->fName) < 0; });
      for (auto* s : subs) visit(*s, full + u"\\" + LowerAZ(s->fName));
    };
    visit(*reg.Root(kHKCU), u"HKEY_CURRENT_USER");
    std::vector<std::string> got;
    test::TSearchRun r(reg.Factory());
    TComplexCriteria crit;
    crit.fKeyCrit = {EncodeNameCrit(text, mtContains)};
    crit.fRoots = TRootKeySet(1 << rHKCU);
    r.Criteria(std::move(crit), 100000);
    r.Run();
    for (const auto& h : r.fRec.fHits) got.push_back(ToUtf8(h.fKey));
    std::sort(got.begin(), got.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(got, expected) << round << " text " << ToUtf8(text);
  }
}

}  // namespace
}  // namespace corvane
