// One suite over the registry backends, so the in-memory registry keeps the semantics of
// the real one where the search relies on them. The read-only parts run on hive files too;
// what writes or removes keys runs on the writable backends.
#include <gtest/gtest.h>

#include <algorithm>

#include "search/memregistry.h"
#include "support/forwardcursor.h"
#include "support/planter.h"
#include "support/recorder.h"
#include "support/scopedcursor.h"

namespace corvane {
namespace {

using test::TPlanter;

std::vector<std::string> Utf8(const std::vector<TText>& v) {
  std::vector<std::string> r;
  for (const auto& s : v) r.push_back(ToUtf8(s));
  return r;
}

class RegistryContract : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    plant = test::NewPlanter(GetParam());
    cursor = plant->Cursors()();
    cursor->SelectRoot(kHKCU);
  }
  TText Abs(TTextView vPath = u"") const {
    return u"\\" + plant->Base() + (vPath.empty() ? TText() : u"\\" + TText(vPath));
  }

  std::unique_ptr<TPlanter> plant;
  std::unique_ptr<TRegCursor> cursor;
};

class WritableRegistryContract : public RegistryContract {};

TEST_P(RegistryContract, SubkeysEnumerateInCaseInsensitiveOrder) {
  // Letters only: where "_" sorts differs between Windows (upper-cased names) and Wine.
  for (auto n : {u"beta", u"Alpha", u"gamma", u"Zeta", u"delta"}) plant->Key(n);
  ASSERT_TRUE(cursor->OpenRead(Abs()));
  EXPECT_EQ(Utf8(cursor->SubkeyNames()),
            (std::vector<std::string>{"Alpha", "beta", "delta", "gamma", "Zeta"}));
  // Relative paths count from the open key; the empty path is the key itself.
  ASSERT_TRUE(cursor->OpenRead(u"beta"));
  EXPECT_TRUE(cursor->SubkeyNames().empty());
  ASSERT_TRUE(cursor->OpenRead(u""));
  EXPECT_FALSE(cursor->OpenRead(Abs(u"missing")));
  EXPECT_FALSE(cursor->OpenRead(Abs(u"beta\\missing")));
}

TEST_P(RegistryContract, ValuesWithDefaultAsEmptyName) {
  plant->Value(u"", u"", kRegSz, TextBytes(u"default"));
  plant->Value(u"", u"Text", kRegSz, TextBytes(u"hello"));
  plant->Value(u"", u"Number", kRegDword, {1, 2, 3, 4});
  plant->Value(u"", u"Empty", kRegBinary, {});
  plant->Value(u"", u"Odd", 0x12345, {9, 8, 7});
  ASSERT_TRUE(cursor->OpenRead(Abs()));
  auto names = Utf8(cursor->ValueNames());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"", "Empty", "Number", "Odd", "Text"}));

  std::uint32_t type = 0, size = 0;
  ASSERT_TRUE(cursor->QueryValue(u"text", type, size));  // names ignore case
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, 12u);  // closing zero included
  std::vector<std::uint8_t> buf(size);
  ASSERT_TRUE(cursor->ReadValue(u"Text", buf.data(), type, size));
  EXPECT_EQ(buf, TextBytes(u"hello"));

  ASSERT_TRUE(cursor->QueryValue(u"", type, size));
  EXPECT_EQ(size, 16u);
  ASSERT_TRUE(cursor->QueryValue(u"Empty", type, size));
  EXPECT_EQ(type, kRegBinary);
  EXPECT_EQ(size, 0u);
  ASSERT_TRUE(cursor->QueryValue(u"Odd", type, size));
  EXPECT_EQ(type, 0x12345u);
  EXPECT_EQ(size, 3u);

  // A buffer smaller than the data fails.
  std::uint32_t small = 2;
  EXPECT_FALSE(cursor->ReadValue(u"Number", buf.data(), type, small));
  EXPECT_FALSE(cursor->QueryValue(u"missing", type, size));
}

TEST_P(WritableRegistryContract, AliasBuilderOperations) {
  plant->Value(u"", u"Num", kRegDword, {7, 0, 0, 0});
  plant->Value(u"", u"Bin", kRegBinary, {1});
  ASSERT_TRUE(cursor->OpenFull(Abs()));
  ASSERT_TRUE(cursor->CreateSubkey(u"Probe"));
  cursor->WriteText(u"Mark", u"written");
  EXPECT_EQ(cursor->ReadText(u"Mark"), u"written");
  EXPECT_EQ(cursor->ReadText(u"Absent"), u"");
  TKeyInfo info;
  ASSERT_TRUE(cursor->OpenKeyInfo(info));
  EXPECT_EQ(info.fValues, 1u);
  EXPECT_EQ(info.fSubKeys, 0u);
  EXPECT_EQ(info.fMaxValueLen, 16u);

  ASSERT_TRUE(cursor->OpenReadAccess(Abs()));
  EXPECT_EQ(cursor->ReadNumber(u"Num"), 7u);
  EXPECT_THROW(cursor->ReadNumber(u"Bin"), TRegError);
  EXPECT_THROW(cursor->ReadNumber(u"Absent"), TRegError);
  EXPECT_THROW(cursor->ReadText(u"Num"), TRegError);
  ASSERT_TRUE(cursor->OpenKeyInfo(info));
  EXPECT_EQ(info.fSubKeys, 1u);
  EXPECT_EQ(info.fMaxSubKeyLen, 5u);

  EXPECT_TRUE(cursor->KeyExists(Abs(u"Probe")));
  EXPECT_FALSE(cursor->DeleteKey(Abs()));  // it has a subkey
  EXPECT_TRUE(cursor->DeleteKey(Abs(u"Probe")));
  EXPECT_FALSE(cursor->KeyExists(Abs(u"Probe")));
  EXPECT_FALSE(cursor->DeleteKey(Abs(u"Probe")));
}

TEST_P(WritableRegistryContract, OpenKeyThatVanished) {
  plant->Key(u"Gone\\Inner");
  plant->Value(u"Gone", u"v", kRegSz, TextBytes(u"x"));
  ASSERT_TRUE(cursor->OpenRead(Abs(u"Gone")));
  plant->RemoveKey(u"Gone");
  std::uint32_t type = 0, size = 0;
  EXPECT_FALSE(cursor->QueryValue(u"v", type, size));
  EXPECT_TRUE(cursor->SubkeyNames().empty());
  EXPECT_TRUE(cursor->ValueNames().empty());
  EXPECT_FALSE(cursor->OpenRead(Abs(u"Gone")));
}

// The one-pass listing agrees with the listing by name and with the reads by name.
TEST_P(RegistryContract, ListValuesGivesNamesTypesAndData) {
  std::vector<std::uint8_t> big(5000);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = std::uint8_t(i * 7);
  const TText longName(300, u'n');
  plant->Value(u"", u"", kRegSz, TextBytes(u"default"));
  plant->Value(u"", u"Number", kRegDword, {1, 2, 3, 4});
  plant->Value(u"", u"Empty", kRegBinary, {});
  plant->Value(u"", u"Big", kRegBinary, big);
  plant->Value(u"", longName, 0x12345, {9, 8, 7});
  plant->Value(u"", u"Text", kRegSz, TextBytes(u"hello"));
  plant->Value(u"Small", u"only", kRegSz, TextBytes(u"x"));
  ASSERT_TRUE(cursor->OpenRead(Abs()));
  TValueList list;
  ASSERT_TRUE(cursor->ListValues(list, true));
  std::vector<TText> listed;
  for (const auto& e : list.fValues) listed.push_back(e.fName);
  EXPECT_EQ(listed, cursor->ValueNames());  // the same names in the same order
  ASSERT_EQ(list.fValues.size(), 6u);
  for (const auto& e : list.fValues) {
    SCOPED_TRACE(ToUtf8(e.fName));
    EXPECT_TRUE(e.fReadable);
    std::uint32_t type = 0, size = 0;
    ASSERT_TRUE(cursor->QueryValue(e.fName, type, size));
    std::vector<std::uint8_t> buf(size);
    ASSERT_TRUE(cursor->ReadValue(e.fName, buf.data(), type, size));
    EXPECT_EQ(e.fType, type);
    ASSERT_EQ(e.fSize, size);
    EXPECT_EQ(std::vector<std::uint8_t>(list.Data(e), list.Data(e) + e.fSize), buf);
  }
  auto find = [&](TTextView n) {
    return std::find_if(list.fValues.begin(), list.fValues.end(),
                        [&](const TValueEntry& e) { return e.fName == n; });
  };
  ASSERT_NE(find(u"Big"), list.fValues.end());
  EXPECT_EQ(find(u"Big")->fSize, 5000u);
  ASSERT_NE(find(longName), list.fValues.end());
  EXPECT_EQ(find(longName)->fType, 0x12345u);

  // Names alone: the same names, no data.
  ASSERT_TRUE(cursor->ListValues(list, false));
  ASSERT_EQ(list.fValues.size(), 6u);
  for (const auto& e : list.fValues) EXPECT_FALSE(e.fReadable) << ToUtf8(e.fName);

  // The list is refilled, not appended to; without an open key it stays empty.
  ASSERT_TRUE(cursor->OpenRead(Abs(u"Small")));
  ASSERT_TRUE(cursor->ListValues(list, true));
  ASSERT_EQ(list.fValues.size(), 1u);
  EXPECT_EQ(list.fValues[0].fName, u"only");
  EXPECT_EQ(list.fValues[0].fSize, 4u);
  cursor->CloseKey();
  EXPECT_FALSE(cursor->ListValues(list, true));
  EXPECT_TRUE(list.fValues.empty());
}

// Data that grew after the key was opened and its sizes were taken still arrive whole.
TEST_P(WritableRegistryContract, ListValuesAfterTheDataGrew) {
  plant->Value(u"", u"Grows", kRegBinary, {1});
  plant->Value(u"", u"Text", kRegSz, TextBytes(u"a"));
  plant->Key(u"Sub");
  ASSERT_TRUE(cursor->OpenRead(Abs()));
  EXPECT_EQ(cursor->SubkeyNames().size(), 1u);  // the sizes of the key are taken here
  std::vector<std::uint8_t> big(70000, 0x5a);
  plant->Value(u"", u"Grows", kRegBinary, big);
  plant->Value(u"", u"Text", kRegSz, TextBytes(u"longer now"));
  TValueList list;
  ASSERT_TRUE(cursor->ListValues(list, true));
  ASSERT_EQ(list.fValues.size(), 2u);
  for (const auto& e : list.fValues) {
    ASSERT_TRUE(e.fReadable);
    const auto data = std::vector<std::uint8_t>(list.Data(e), list.Data(e) + e.fSize);
    EXPECT_EQ(data, e.fName == u"Grows" ? big : TextBytes(u"longer now"));
  }
}

// Subkeys open below the open key, which stays open; closing one returns to its parent.
TEST_P(WritableRegistryContract, SubkeyOpensKeepTheParent) {
  plant->Key(u"A\\B\\C");
  plant->Key(u"A\\D");
  plant->Value(u"A\\D", u"d", kRegSz, TextBytes(u"in d"));
  ASSERT_TRUE(cursor->OpenRead(Abs()));
  ASSERT_TRUE(cursor->OpenSubkeyRead(u"a"));  // names ignore case
  EXPECT_EQ(Utf8(cursor->SubkeyNames()), (std::vector<std::string>{"B", "D"}));
  ASSERT_TRUE(cursor->OpenSubkeyRead(u"B"));
  EXPECT_EQ(Utf8(cursor->SubkeyNames()), (std::vector<std::string>{"C"}));
  ASSERT_TRUE(cursor->OpenSubkeyRead(u"C"));
  EXPECT_TRUE(cursor->SubkeyNames().empty());
  cursor->CloseSubkey();
  cursor->CloseSubkey();
  EXPECT_EQ(Utf8(cursor->SubkeyNames()), (std::vector<std::string>{"B", "D"}));
  // A failed open leaves the open key as it was.
  EXPECT_FALSE(cursor->OpenSubkeyRead(u"missing"));
  EXPECT_EQ(Utf8(cursor->SubkeyNames()), (std::vector<std::string>{"B", "D"}));
  ASSERT_TRUE(cursor->OpenSubkeyRead(u"D"));
  TValueList list;
  ASSERT_TRUE(cursor->ListValues(list, true));
  ASSERT_EQ(list.fValues.size(), 1u);
  EXPECT_EQ(list.fValues[0].fName, u"d");
  cursor->CloseSubkey();
  cursor->CloseSubkey();
  EXPECT_EQ(Utf8(cursor->SubkeyNames()), (std::vector<std::string>{"A"}));
  // A key removed while open below its parent: it lists nothing, its parent still works.
  ASSERT_TRUE(cursor->OpenSubkeyRead(u"A"));
  ASSERT_TRUE(cursor->OpenSubkeyRead(u"D"));
  plant->RemoveKey(u"A\\D");
  EXPECT_FALSE(cursor->ListValues(list, true));
  EXPECT_TRUE(list.fValues.empty());
  EXPECT_TRUE(cursor->SubkeyNames().empty());
  cursor->CloseSubkey();
  EXPECT_EQ(Utf8(cursor->SubkeyNames()), (std::vector<std::string>{"B"}));
  EXPECT_FALSE(cursor->OpenSubkeyRead(u"D"));
  // Opening by path drops every level held.
  ASSERT_TRUE(cursor->OpenRead(Abs(u"A\\B")));
  cursor->CloseSubkey();
  EXPECT_TRUE(cursor->SubkeyNames().empty());
}

// The walk over each backend gives the same hits for content planted in the test key.
TEST_P(RegistryContract, SimpleSearchFindsPlantedContent) {
  const TText token = u"qzxv" + FromUtf8(std::to_string(reinterpret_cast<std::uintptr_t>(this) % 100000));
  plant->Key(u"Keys\\Has" + token + u"Inside");
  plant->Value(u"Keys", u"name-" + token, kRegSz, TextBytes(u"nothing"));
  plant->Value(u"Keys", u"text", kRegSz, TextBytes(u"see " + token + u" here"));
  // Each character followed by a zero character: found only by the widened search.
  std::vector<std::uint8_t> wide;
  for (char16_t c : token) wide.insert(wide.end(), {std::uint8_t(c), 0, 0, 0});
  plant->Value(u"Keys", u"wide", kRegBinary, wide);
  test::TSearchRun run(test::ScopedCursors(plant->Cursors(), plant->Base()));
  run.Simple(token);
  EXPECT_EQ(run.Run(), stFinished);
  std::string dotted;
  for (char16_t c : token) dotted += {char(c), '.'};
  TText base = u"HKEY_CURRENT_USER\\" + LowerAZ(plant->Base());
  std::vector<std::string> want = {
      ToUtf8(base) + "\\keys | name-[" + ToUtf8(token) + "] | \u2014\u2014",
      ToUtf8(base) + "\\keys | text | see [" + ToUtf8(token) + "] here",
      ToUtf8(base) + "\\keys | wide | [" + dotted + "]",
      ToUtf8(base) + "\\keys\\has[" + ToUtf8(token) + "]inside | \u2014\u2014 | \u2014\u2014",
  };
  EXPECT_EQ(run.fRec.Marked(), want);
}

// A key whose name matches is reported for its name when its only matching value cannot
// be read (nothing is reported for that value).
TEST_P(RegistryContract, KeyNameHitWhenItsMatchingValueCannotBeRead) {
  const TText token =
      u"qzxw" + FromUtf8(std::to_string(reinterpret_cast<std::uintptr_t>(this) % 100000));
  plant->Value(u"Has" + token, u"my" + token, kRegSz, TextBytes(u"x"));
  plant->Value(u"Has" + token, u"plain", kRegSz, TextBytes(u"nothing"));
  plant->Value(u"Other", u"my" + token, kRegSz, TextBytes(u"x"));
  test::TSearchRun run(
      test::ScopedCursors(test::UnreadableCursors(plant->Cursors(), u"my" + token), plant->Base()));
  run.Simple(token);
  EXPECT_EQ(run.Run(), stFinished);
  const std::string base = ToUtf8(u"HKEY_CURRENT_USER\\" + LowerAZ(plant->Base()));
  EXPECT_EQ(run.fRec.Marked(), (std::vector<std::string>{base + "\\has[" + ToUtf8(token) +
                                                         "] | \u2014\u2014 | \u2014\u2014"}));
}

TEST_P(RegistryContract, MaximumAndStopOnTheBackend) {
  for (int i = 0; i < 30; ++i)
    plant->Value(u"Many", u"hit" + FromUtf8(std::to_string(100 + i)), kRegDword, {std::uint8_t(i), 0, 0, 0});
  {
    test::TSearchRun run(test::ScopedCursors(plant->Cursors(), plant->Base()));
    run.Simple(u"hit", false, 10);
    EXPECT_EQ(run.Run(), stOverflow);
    EXPECT_EQ(run.fRec.fHits.size(), 10u);
  }
  {
    test::TSearchRun run(test::ScopedCursors(plant->Cursors(), plant->Base()));
    TSearchThread& t = run.Simple(u"hit");
    run.fRec.fOnHit = [&](const test::TRecordedHit&) {
      if (run.fRec.fHits.size() == 5) t.Terminate();
    };
    EXPECT_EQ(run.Run(), stStopped);
    EXPECT_EQ(run.fRec.fHits.size(), 6u);  // the value in hand is finished
  }
  {
    // By number: a DWORD holding 7 is found by the text 7, shown in number form.
    test::TSearchRun run(test::ScopedCursors(plant->Cursors(), plant->Base()));
    run.Simple(u"0x7");
    EXPECT_EQ(run.Run(), stFinished);
    ASSERT_EQ(run.fRec.fHits.size(), 1u);
    EXPECT_EQ(run.fRec.fHits[0].fDat, u"0x00000007 (7)");
    EXPECT_EQ(run.fRec.fHits[0].fVal, u"hit107");
  }
}

// Criteria searches at the walk level: the root itself takes part with the empty name.
TEST_P(RegistryContract, CriteriaWalkRootsAndStop) {
  plant->Value(u"Vals", u"a1", kRegSz, TextBytes(u"x"));
  auto criteria = [&](TNameCritList keys, TNameCritList vals, TRootKeySet roots,
                      test::TSearchRun& run) -> TSearchThread& {
    TComplexCriteria crit;
    crit.fKeyCrit = std::move(keys);
    crit.fValCrit = std::move(vals);
    crit.fRoots = roots;
    return run.Criteria(std::move(crit), 1000);
  };
  const TText base = u"HKEY_CURRENT_USER\\" + LowerAZ(plant->Base());
  {
    // No criteria: every visible key is a hit, the root by its name alone, with a key start
    // of its name's length (the empty name's offset) and no emphasis.
    test::TSearchRun run(test::ScopedCursors(plant->Cursors(), plant->Base()));
    criteria({}, {}, TRootKeySet::All(), run);
    EXPECT_EQ(run.Run(), stFinished);
    ASSERT_EQ(run.fRec.fHits.size(), 4u);
    EXPECT_EQ(run.fRec.fHits[0].fKey, u"HKEY_CURRENT_USER");
    EXPECT_EQ(run.fRec.fHits[0].fKeySt, 17);
    EXPECT_EQ(run.fRec.fHits[0].fKeyLn, 0);
    EXPECT_EQ(run.fRec.fHits[0].fVal, u"");
    EXPECT_EQ(run.fRec.fHits[3].fKey, base + u"\\vals");
  }
  {
    test::TSearchRun run(test::ScopedCursors(plant->Cursors(), plant->Base()));
    criteria({}, {}, TRootKeySet(), run);
    EXPECT_EQ(run.Run(), stFinished);
    EXPECT_TRUE(run.fRec.fHits.empty());
  }
  {
    // A stop request inside a key: its remaining values are still tested, and the first hit
    // among them ends the search.
    for (int i = 2; i <= 9; ++i) plant->Value(u"Vals", u"a" + FromUtf8(std::to_string(i)), kRegSz, TextBytes(u"x"));
    test::TSearchRun run(test::ScopedCursors(plant->Cursors(), plant->Base()));
    TSearchThread& t = criteria({}, {EncodeNameCrit(u"a", mtContains)}, TRootKeySet(1 << rHKCU), run);
    run.fRec.fOnHit = [&](const test::TRecordedHit&) { t.Terminate(); };
    EXPECT_EQ(run.Run(), stStopped);
    EXPECT_EQ(run.fRec.Marked(), (std::vector<std::string>{
                                     ToUtf8(base) + "\\vals | [a]1 | ", ToUtf8(base) + "\\vals | [a]2 | "}));
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryContract,
                         testing::ValuesIn(test::ReadableBackendNames()), test::BackendParamName);
INSTANTIATE_TEST_SUITE_P(Backends, WritableRegistryContract,
                         testing::ValuesIn(test::BackendNames()), test::BackendParamName);

}  // namespace
}  // namespace corvane
