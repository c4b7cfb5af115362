// The registry export of hits, on both registry backends: planted values of every type are
// found by a real search, exported, and read back through the export loader.
#include "export/reghits.h"

#include <gtest/gtest.h>

#include "search/criteria.h"
#include "search/memregistry.h"
#include "search/regexport.h"
#include "support/planter.h"
#include "support/printers.h"
#include "support/recorder.h"
#include "support/scopedcursor.h"

namespace corvane {
namespace {

using TBytes = std::vector<std::uint8_t>;

struct TPlanted {
  TText fName;
  std::uint32_t fType;
  TBytes fData;
};

TBytes Utf16(TTextView vText, bool vClosingZero = true) {
  return TextBytes(vText, vClosingZero);
}

// Every type a hit can carry, and the data forms the writer has to choose between: quoted
// text, dword, hex with and without a type. Each name holds "tok", so each is a hit.
std::vector<TPlanted> EveryType() {
  return {
      {u"", kRegSz, Utf16(u"default tok")},
      {u"tok none", kRegNone, {1, 2, 3}},
      {u"tok sz", kRegSz, Utf16(u"a \"quoted\" C:\\path \U0001F600")},
      {u"tok sz empty", kRegSz, {}},
      {u"tok sz no zero", kRegSz, Utf16(u"abc", false)},
      {u"tok sz inner zero", kRegSz, {'a', 0, 0, 0, 'b', 0, 0, 0}},
      {u"tok sz line break", kRegSz, Utf16(u"one\r\ntwo")},
      {u"tok sz odd size", kRegSz, {'a', 0, 'b'}},
      {u"tok expand", kRegExpandSz, Utf16(u"%SystemRoot%\\tok")},
      {u"tok binary", kRegBinary, TBytes(100, 0xAB)},
      {u"tok binary empty", kRegBinary, {}},
      {u"tok dword", kRegDword, {0x78, 0x56, 0x34, 0x12}},
      {u"tok dword short", kRegDword, {1, 2}},
      {u"tok dword be", kRegDwordBigEndian, {0x12, 0x34, 0x56, 0x78}},
      {u"tok link", kRegLink, Utf16(u"\\Registry\\Machine\\Software", false)},
      {u"tok multi", kRegMultiSz, Utf16(TText(u"one\0two\0\0", 9), false)},
      {u"tok resource list", kRegResourceList, {1, 0, 0, 0, 9, 9}},
      {u"tok full descriptor", kRegFullResourceDescriptor, {2, 0, 0, 0}},
      {u"tok requirements", kRegResourceRequirementsList, {3, 0, 0, 0, 0, 0}},
      {u"tok qword", kRegQword, {1, 2, 3, 4, 5, 6, 7, 8}},
      {u"tok odd type", 0x4242, {0xFF}},
      {u"tok \"name\" with \\ and \u00e9 \U0001F600", kRegSz, Utf16(u"x")},
  };
}

class RegHits : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    plant = test::NewPlanter(GetParam());
  }
  // The hits of a simple search for vText inside the test key.
  std::vector<TResult> Search(const TText& vText) {
    test::TSearchRun run(test::ScopedCursors(plant->Cursors(), plant->Base()));
    run.Simple(vText);
    EXPECT_EQ(run.Run(), stFinished);
    return run.fRec.Results();
  }
  TText Lowered(TTextView vBelowBase) const {
    return u"HKEY_CURRENT_USER\\" + LowerAZ(plant->Base()) + u"\\" + LowerAZ(vBelowBase);
  }
  TMemRegistry Loaded(const TRegHitsExport& vExport) {
    TMemRegistry reg;
    LoadRegExport(reg, vExport.fBytes);
    return reg;
  }

  std::unique_ptr<test::TPlanter> plant;
};

TEST_P(RegHits, EveryValueTypeRoundTripsWithTheKeysSpelledAsInTheRegistry) {
  const TText key = u"Export\\Mixed CASE";
  for (const TPlanted& p : EveryType()) plant->Value(key, p.fName, p.fType, p.fData);
  plant->Value(key + u"\\Sub TOK", u"other", kRegSz, Utf16(u"no match"));  // a key hit
  const std::vector<TResult> hits = Search(u"tok");
  ASSERT_EQ(hits.size(), EveryType().size() + 1);

  const TRegHitsExport out = RegExportOfHits(hits, hfSimple, plant->Cursors());
  EXPECT_EQ(out.fKeys, 2u);
  EXPECT_EQ(out.fValues, EveryType().size());
  EXPECT_EQ(out.fGone + out.fUnwritable, 0u);
  ASSERT_EQ(out.fBytes.substr(0, 2), "\xFF\xFE");

  TMemRegistry reg = Loaded(out);
  const TText base = plant->Base() + u"\\" + key;
  TMemKey* k = reg.Find(kHKCU, base);
  ASSERT_TRUE(k);
  EXPECT_EQ(k->fName, u"Mixed CASE");
  ASSERT_EQ(k->fSubkeys.size(), 1u);
  EXPECT_EQ(k->fSubkeys[0]->fName, u"Sub TOK");
  EXPECT_TRUE(k->fSubkeys[0]->fValues.empty());  // a key hit writes its key line alone
  EXPECT_EQ(reg.Find(kHKCU, plant->Base())->fName,
            plant->Base().substr(plant->Base().rfind(u'\\') + 1));
  ASSERT_EQ(k->fValues.size(), EveryType().size());
  // Compared with what the registry holds: Wine adds the closing zero to a REG_SZ without one.
  auto stored = plant->Cursors()();
  stored->SelectRoot(kHKCU);
  ASSERT_TRUE(stored->OpenRead(u"\\" + base));
  for (const TPlanted& p : EveryType()) {
    const TMemValue* v = k->Value(p.fName);
    ASSERT_TRUE(v) << ToUtf8(p.fName);
    EXPECT_EQ(v->fName, p.fName);
    std::uint32_t type = 0, size = 0;
    ASSERT_TRUE(stored->QueryValue(p.fName, type, size));
    TBytes data(size);
    ASSERT_TRUE(stored->ReadValue(p.fName, data.data(), type, size));
    EXPECT_EQ(type, p.fType) << ToUtf8(p.fName);
    EXPECT_EQ(v->fType, p.fType) << ToUtf8(p.fName);
    EXPECT_EQ(v->fData, data) << ToUtf8(p.fName);
    if (p.fName != u"tok sz no zero") {
      EXPECT_EQ(data, p.fData) << ToUtf8(p.fName);
    }
  }

  // Only the hit keys have key lines: no parents, no other keys.
  TText text;
  for (std::size_t i = 2; i + 1 < out.fBytes.size(); i += 2)
    text += char16_t(std::uint8_t(out.fBytes[i]) | (std::uint8_t(out.fBytes[i + 1]) << 8));
  EXPECT_EQ(text.substr(0, 40), u"Windows Registry Editor Version 5.00\r\n\r\n");
  std::size_t keyLines = 0;
  for (std::size_t at = 0; (at = text.find(u"\r\n[", at)) != TText::npos; ++at) ++keyLines;
  EXPECT_EQ(keyLines, 2u);
}

// The data is read afresh: a value changed since the search is exported as it is now, one
// deleted since is left out and counted, as is a key deleted since.
TEST_P(RegHits, ValuesAreReadAfreshAndWhatIsGoneIsCounted) {
  plant->Value(u"K", u"tok changes", kRegSz, Utf16(u"old"));
  plant->Value(u"K", u"tok goes", kRegDword, {1, 0, 0, 0});
  plant->Value(u"K", u"tok stays", kRegDword, {2, 0, 0, 0});
  plant->Value(u"Gone", u"tok a", kRegDword, {3, 0, 0, 0});
  plant->Value(u"Gone", u"tok b", kRegDword, {4, 0, 0, 0});
  const std::vector<TResult> hits = Search(u"tok");
  ASSERT_EQ(hits.size(), 5u);
  plant->RemoveKey(u"Gone");
  // Deleting a value has no planter operation; re-planting the key without it does.
  plant->RemoveKey(u"K");
  plant->Value(u"K", u"tok changes", kRegBinary, {9, 8, 7});
  plant->Value(u"K", u"tok stays", kRegDword, {2, 0, 0, 0});

  const TRegHitsExport out = RegExportOfHits(hits, hfSimple, plant->Cursors());
  EXPECT_EQ(out.fKeys, 1u);
  EXPECT_EQ(out.fValues, 2u);
  EXPECT_EQ(out.fGone, 3u);
  TMemRegistry reg = Loaded(out);
  const TMemKey* k = reg.Find(kHKCU, plant->Base() + u"\\K");
  ASSERT_TRUE(k);
  ASSERT_EQ(k->fValues.size(), 2u);
  EXPECT_EQ(k->fValues[0].fType, kRegBinary);
  EXPECT_EQ(k->fValues[0].fData, (TBytes{9, 8, 7}));
  EXPECT_EQ(k->fValues[1].fName, u"tok stays");
  EXPECT_FALSE(reg.Find(kHKCU, plant->Base() + u"\\Gone"));
}

// Which hits stand for their key alone depends on the search: in a criteria search with key
// criteria only the empty value name means "no value", otherwise it is the default value.
TEST_P(RegHits, KeyHitsFollowTheSearchKind) {
  plant->Value(u"Run", u"", kRegSz, Utf16(u"default"));
  plant->Value(u"Run", u"Other", kRegSz, Utf16(u"x"));
  const TResult hit(Lowered(u"Run"), u"", u"", 1, 0, 0, 0, 0, 0, kHKCU);
  const TRegHitsExport keys = RegExportOfHits({hit}, hfKeyCriteria, plant->Cursors());
  EXPECT_EQ(keys.fKeys, 1u);
  EXPECT_EQ(keys.fValues, 0u);
  const TRegHitsExport values = RegExportOfHits({hit, hit}, hfCriteria, plant->Cursors());
  EXPECT_EQ(values.fValues, 1u);  // the same value twice is written once
  TMemRegistry reg = Loaded(values);
  const TMemKey* k = reg.Find(kHKCU, plant->Base() + u"\\Run");
  ASSERT_TRUE(k);
  ASSERT_EQ(k->fValues.size(), 1u);
  EXPECT_EQ(k->fValues[0].fName, u"");

  // A simple-search value named like the placeholder is still a value when it matched.
  plant->Value(u"Run", kNoPart, kRegSz, Utf16(u"dash"));
  const TResult dash(Lowered(u"Run"), kNoPart, kNoPart, 0, 1, 0, 0, 1, 0, kHKCU);
  EXPECT_FALSE(IsKeyHit(dash, hfSimple));
  EXPECT_EQ(RegExportOfHits({dash}, hfSimple, plant->Cursors()).fValues, 1u);
  const TResult keyOnly(Lowered(u"Run"), kNoPart, kNoPart, 5, 0, 0, 3, 0, 0, kHKCU);
  EXPECT_TRUE(IsKeyHit(keyOnly, hfSimple));
}

// A value name with a line break cannot be written in the format: it is left out and
// counted, and the rest of the export is unharmed.
TEST_P(RegHits, NamesTheFormatCannotHoldAreCountedNotWritten) {
  plant->Value(u"K", u"tok\nbreak", kRegSz, Utf16(u"x"));
  plant->Value(u"K", u"tok fine", kRegSz, Utf16(u"y"));
  const std::vector<TResult> hits = Search(u"tok");
  ASSERT_EQ(hits.size(), 2u);
  const TRegHitsExport out = RegExportOfHits(hits, hfSimple, plant->Cursors());
  EXPECT_EQ(out.fUnwritable, 1u);
  EXPECT_EQ(out.fValues, 1u);
  TMemRegistry reg = Loaded(out);
  const TMemKey* k = reg.Find(kHKCU, plant->Base() + u"\\K");
  ASSERT_TRUE(k);
  ASSERT_EQ(k->fValues.size(), 1u);
  EXPECT_EQ(k->fValues[0].fName, u"tok fine");
}

INSTANTIATE_TEST_SUITE_P(Backends, RegHits, testing::ValuesIn(test::BackendNames()),
                         test::BackendParamName);

}  // namespace
}  // namespace corvane
