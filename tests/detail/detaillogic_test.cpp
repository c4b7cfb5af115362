// The key detail page's rules: the shown texts, the grid, the view choice, and the values
// list and value data read over both registry backends.
#include <gtest/gtest.h>

#include "search/memregistry.h"
#include "support/planter.h"
#include "text/compare.h"
#include "ui/detail/detaillogic.h"

namespace corvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(DetailTexts, TypeNamesAndUnknownTypesInHex) {
  EXPECT_EQ(RegTypeName(0), u"REG_NONE");
  EXPECT_EQ(RegTypeName(1), u"REG_SZ");
  EXPECT_EQ(RegTypeName(5), u"REG_DWORD_BIG_ENDIAN");
  EXPECT_EQ(RegTypeName(7), u"REG_MULTI_SZ");
  EXPECT_EQ(RegTypeName(10), u"REG_RESOURCE_REQUIREMENTS_LIST");
  EXPECT_EQ(RegTypeName(11), u"Hex(B)");
  EXPECT_EQ(RegTypeName(0x1A2), u"Hex(1A2)");
  EXPECT_EQ(RegTypeName(0xFFFFFFFF), u"Hex(FFFFFFFF)");
}

TEST(DetailTexts, DataAsTextDropsTheStringTypesClosingZeroOnlyAndDotsControls) {
  // a, b and the closing zero of a REG_MULTI_SZ.
  const Bytes multi = {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0};
  EXPECT_EQ(DataText(kRegMultiSz, multi), u"a.b.");
  EXPECT_EQ(DataText(kRegSz, Bytes{'x', 0, 9, 0, 'y', 0, 0, 0}), u"x.y");
  EXPECT_EQ(DataText(kRegExpandSz, TextBytes(u"%TEMP%\\x")), u"%TEMP%\\x");
  // Not a string type: the zero stays, as a dot.
  EXPECT_EQ(DataText(kRegBinary, Bytes{'x', 0, 0, 0}), u"x.");
  // An odd byte count: whole pairs only.
  EXPECT_EQ(DataText(kRegBinary, Bytes{'A', 0, 'B'}), u"A");
  EXPECT_EQ(DataText(kRegSz, Bytes{}), u"");
  EXPECT_EQ(DataText(kRegSz, Bytes{0x20, 0x00, 0xAC, 0x20}), u" \u20AC");
}

TEST(DetailTexts, SizeGroupsDigitsInThrees) {
  EXPECT_EQ(SizeText(0, u","), u"0");
  EXPECT_EQ(SizeText(999, u","), u"999");
  EXPECT_EQ(SizeText(1234, u","), u"1,234");
  EXPECT_EQ(SizeText(1048576, u"."), u"1.048.576");
  EXPECT_EQ(SizeText(123456, u"\u00A0"), u"123\u00A0456");
  EXPECT_EQ(SizeText(1234, u""), u"1234");
}

TEST(DetailTexts, NumberLabelsReadFourBytesLittleEndianUnsigned) {
  EXPECT_EQ(NumberLabels(Bytes{0xFF, 0, 0, 0}), (TNumberLabels{u"255", u"0x000000FF"}));
  EXPECT_EQ(NumberLabels(Bytes{0xFF, 0xFF, 0xFF, 0xFF}),
            (TNumberLabels{u"4294967295", u"0xFFFFFFFF"}));
  // Stored big-endian 1: still read little-endian.
  EXPECT_EQ(NumberLabels(Bytes{0, 0, 0, 1}), (TNumberLabels{u"16777216", u"0x01000000"}));
  EXPECT_EQ(NumberLabels(Bytes{0xEF, 0xBE, 0xAD, 0xDE}),
            (TNumberLabels{u"3735928559", u"0xDEADBEEF"}));
}

TEST(DetailTexts, ViewByTypeAndSize) {
  EXPECT_EQ(ChooseView(kRegSz, 4), vkText);
  EXPECT_EQ(ChooseView(kRegExpandSz, 0), vkText);
  EXPECT_EQ(ChooseView(kRegMultiSz, 10), vkText);
  EXPECT_EQ(ChooseView(kRegDword, 4), vkNumber);
  EXPECT_EQ(ChooseView(kRegDwordBigEndian, 4), vkNumber);
  EXPECT_EQ(ChooseView(kRegDword, 3), vkBinary);
  EXPECT_EQ(ChooseView(kRegDword, 8), vkBinary);
  EXPECT_EQ(ChooseView(kRegBinary, 4), vkBinary);
  EXPECT_EQ(ChooseView(kRegQword, 8), vkBinary);
  EXPECT_EQ(ChooseView(kRegNone, 0), vkBinary);
  EXPECT_EQ(ChooseView(99, 4), vkBinary);
}

TEST(DetailTexts, KeyPathBelowTheRoot) {
  EXPECT_EQ(DetailKeyPath(u"HKEY_CURRENT_USER\\software\\x"), u"\\software\\x");
  EXPECT_EQ(DetailKeyPath(u"HKEY_LOCAL_MACHINE\\a"), u"\\a");
  // Only a root's name: the root key itself.
  EXPECT_EQ(DetailKeyPath(u"HKEY_USERS"), u"");
}

TEST(DetailTexts, ValueNameBox) {
  EXPECT_EQ(ValueBoxText(u"Path", true), u"Path");
  EXPECT_EQ(ValueBoxText(u"", true), u"(default)");
  EXPECT_EQ(ValueBoxText(u"", false), u"");
}

TEST(DetailGrid, SeventeenBytesMakeThreeRowsWithAShortLastRow) {
  Bytes data(17);
  for (int i = 0; i < 17; ++i) data[std::size_t(i)] = std::uint8_t(0x41 + i);
  TByteGrid grid;
  grid.Assign(data);
  ASSERT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(grid.Cell(0, 0), u"0000");
  EXPECT_EQ(grid.Cell(1, 0), u"0008");
  EXPECT_EQ(grid.Cell(2, 0), u"0010");
  EXPECT_EQ(grid.Cell(0, 1), u"41");
  EXPECT_EQ(grid.Cell(0, 8), u"48");
  EXPECT_EQ(grid.Cell(0, 10), u"ABCDEFGH");
  EXPECT_EQ(grid.Cell(2, 1), u"51");
  EXPECT_EQ(grid.ByteAt(2, 1), 0x51);
  for (int c = 2; c <= 9; ++c) {
    EXPECT_EQ(grid.Cell(2, c), u"") << "column " << c;
    EXPECT_EQ(grid.ByteAt(2, c), -1) << "column " << c;
  }
  EXPECT_EQ(grid.Cell(2, 10), u"Q       ");
  EXPECT_EQ(grid.Cell(3, 0), u"") << "no fourth row";
}

TEST(DetailGrid, AnEmptyValueHasOneOffsetRowAndNoText) {
  TByteGrid grid;
  grid.Assign({});
  ASSERT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.Cell(0, 0), u"0000");
  for (int c = 1; c <= 10; ++c) EXPECT_EQ(grid.Cell(0, c), u"") << "column " << c;
}

TEST(DetailGrid, DwordRowAndLongOffsets) {
  TByteGrid grid;
  grid.Assign(Bytes{0xFF, 0, 0, 0});
  ASSERT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.Cell(0, 1), u"FF");
  EXPECT_EQ(grid.Cell(0, 2), u"00");
  EXPECT_EQ(grid.Cell(0, 5), u"");
  EXPECT_EQ(grid.Cell(0, 10), u"\u00FF...    ");

  grid.Assign(Bytes(0x10000 + 1, 0x20));
  EXPECT_EQ(grid.RowCount(), 0x2001);
  EXPECT_EQ(grid.Cell(0x7F, 0), u"03F8");
  EXPECT_EQ(grid.Cell(0x200, 0), u"1000");
  EXPECT_EQ(grid.Cell(0x2000, 0), u"10000") << "at least four digits";
}

TEST(DetailGrid, CharacterColumnDotsControlsAndSomeHighBytes) {
  for (int b : {0x00, 0x09, 0x1F, 0x7F, 0x80, 0x81, 0x8D, 0x8E, 0x8F, 0x90, 0x9D, 0x9E})
    EXPECT_EQ(GridChar(std::uint8_t(b)), u'.') << std::hex << b;
  for (int b : {0x20, 0x41, 0x7E, 0x82, 0x8C, 0x91, 0x9C, 0x9F, 0xA0, 0xE9, 0xFF})
    EXPECT_EQ(GridChar(std::uint8_t(b)), char16_t(b)) << std::hex << b;
}

TEST(DetailList, EntryPartsOfTheHitsValue) {
  const TDetailEntry plain{u"Other", false, 0, 0};
  EXPECT_EQ(EntryParts(plain, 1), (std::vector<TTextPart>{{u"Other", fsNone}}));
  // Matched at positions 2 to 3.
  const TDetailEntry name{u"Path", true, 2, 2};
  EXPECT_EQ(
      EntryParts(name, 3),
      (std::vector<TTextPart>{{u"P", fsItalic}, {u"at", fsBold | fsUnderline}, {u"h", fsItalic}}));
  // The match lay in the data: italic throughout.
  const TDetailEntry data{u"Path", true, 0, 0};
  EXPECT_EQ(EntryParts(data, 0), (std::vector<TTextPart>{{u"Path", fsItalic}}));
  const TDetailEntry whole{u"Path", true, 1, 4};
  EXPECT_EQ(EntryParts(whole, 0), (std::vector<TTextPart>{{u"Path", fsBold | fsUnderline}}));
  const TDetailEntry beyond{u"Path", true, 3, 10};
  EXPECT_EQ(EntryParts(beyond, 0),
            (std::vector<TTextPart>{{u"Pa", fsItalic}, {u"th", fsBold | fsUnderline}}));
  EXPECT_EQ(EntryText(TDetailEntry{u"", false, 0, 0}, 0), u"(Default)");
  EXPECT_EQ(EntryText(TDetailEntry{u"", false, 0, 0}, 1), u"");
}

// --- Over both registry backends ---------------------------------------------------------

class DetailRegistry : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    plant = test::NewPlanter(GetParam());
    cursor = plant->Cursors()();
  }
  TText KeyStr(TTextView vPath = u"k") const {
    return u"HKEY_CURRENT_USER\\" + LowerAZ(plant->Base()) + u"\\" + TText(vPath);
  }
  TResult Hit(TTextView vVal, std::int32_t vStart = 0, std::int32_t vLen = 0) const {
    return TResult(KeyStr(), TText(vVal), u"", 0, vStart, 0, 0, vLen, 0, kHKCU);
  }
  TDetailState State() const {
    TDetailState s;
    s.DetKStr = KeyStr();
    s.DetRoot = kHKCU;
    return s;
  }
  std::vector<TText> Names(const TDetailValues& vList) const {
    std::vector<TText> names;
    for (const auto& e : vList.fEntries) names.push_back(e.fName);
    return names;
  }

  TFoldCompare compare;
  std::unique_ptr<test::TPlanter> plant;
  std::unique_ptr<TRegCursor> cursor;
};

TEST_P(DetailRegistry, ValuesSortedDefaultFirstWithTheHitsValuePreselected) {
  plant->Value(u"k", u"zeta", kRegSz, TextBytes(u"z"));
  plant->Value(u"k", u"Path", kRegSz, TextBytes(u"p"));
  plant->Value(u"k", u"", kRegSz, TextBytes(u"d"));
  plant->Value(u"k", u"alpha", kRegDword, Bytes{1, 0, 0, 0});

  const TDetailValues list = ReadValueList(*cursor, Hit(u"Path"), compare);
  EXPECT_TRUE(list.fKeyOpened);
  EXPECT_EQ(Names(list), (std::vector<TText>{u"", u"alpha", u"Path", u"zeta"}));
  ASSERT_EQ(list.fSelected, 2);
  EXPECT_EQ(list.fEntries[2], (TDetailEntry{u"Path", true, 0, 0})) << "emphasised, start 0";
  for (int i : {0, 1, 3}) EXPECT_FALSE(list.fEntries[std::size_t(i)].fEmphasised) << i;

  const TDetailValues named = ReadValueList(*cursor, Hit(u"Path", 2, 2), compare);
  EXPECT_EQ(named.fEntries[2], (TDetailEntry{u"Path", true, 2, 2}));
}

TEST_P(DetailRegistry, OnlyAnExactNameIsTheHitsValue) {
  plant->Value(u"k", u"", kRegSz, TextBytes(u"d"));
  plant->Value(u"k", u"Path", kRegSz, TextBytes(u"p"));
  for (TTextView val : {TTextView(u"PATH"), TTextView(u""), TTextView(kNoPart)}) {
    const TDetailValues list = ReadValueList(*cursor, Hit(val), compare);
    EXPECT_EQ(list.fSelected, 0) << ToUtf8(val);
    for (const auto& e : list.fEntries) EXPECT_FALSE(e.fEmphasised) << ToUtf8(val);
  }
}

TEST_P(DetailRegistry, KeyWithoutValuesAndAKeyThatIsGone) {
  plant->Key(u"k");
  const TDetailValues empty = ReadValueList(*cursor, Hit(u"x"), compare);
  EXPECT_TRUE(empty.fKeyOpened);
  EXPECT_TRUE(empty.fEntries.empty());
  EXPECT_EQ(empty.fSelected, -1);

  plant->RemoveKey(u"k");
  const TDetailValues gone = ReadValueList(*cursor, Hit(u"x"), compare);
  EXPECT_FALSE(gone.fKeyOpened);
  EXPECT_TRUE(gone.fEntries.empty());
  EXPECT_EQ(gone.fSelected, -1);
  EXPECT_FALSE(ShowValue(*cursor, State(), u"x", u",").fRead);
}

TEST_P(DetailRegistry, ShownValuesByType) {
  plant->Value(u"k", u"dword", kRegDword, Bytes{0xFF, 0, 0, 0});
  plant->Value(u"k", u"sz", kRegSz, TextBytes(u"x"));
  plant->Value(u"k", u"bin4", kRegBinary, Bytes{1, 2, 3, 4});
  plant->Value(u"k", u"qword", kRegQword, Bytes{1, 0, 0, 0, 0, 0, 0, 0});
  plant->Value(u"k", u"empty", kRegBinary, Bytes{});
  plant->Value(u"k", u"multi", kRegMultiSz, Bytes{'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0});
  plant->Value(u"k", u"big", kRegBinary, Bytes(1234, 0x41));

  const TShownValue dword = ShowValue(*cursor, State(), u"dword", u",");
  EXPECT_TRUE(dword.fRead);
  EXPECT_TRUE(dword.fNumber);
  EXPECT_EQ(dword.fView, vkNumber);
  EXPECT_EQ(dword.fType, u"REG_DWORD");
  EXPECT_EQ(dword.fSize, u"4");
  EXPECT_EQ(dword.fLabels, (TNumberLabels{u"255", u"0x000000FF"}));
  EXPECT_EQ(dword.fData, (Bytes{0xFF, 0, 0, 0}));

  const TShownValue sz = ShowValue(*cursor, State(), u"sz", u",");
  EXPECT_EQ(sz.fView, vkText);
  EXPECT_TRUE(sz.fNumber) << "4 bytes, whatever the type";
  EXPECT_EQ(sz.fText, u"x");

  const TShownValue bin4 = ShowValue(*cursor, State(), u"bin4", u",");
  EXPECT_EQ(bin4.fView, vkBinary);
  EXPECT_TRUE(bin4.fNumber);
  EXPECT_EQ(bin4.fLabels.fDec, u"67305985");

  const TShownValue qword = ShowValue(*cursor, State(), u"qword", u",");
  EXPECT_EQ(qword.fType, u"Hex(B)");
  EXPECT_EQ(qword.fView, vkBinary);
  EXPECT_FALSE(qword.fNumber);

  const TShownValue empty = ShowValue(*cursor, State(), u"empty", u",");
  EXPECT_TRUE(empty.fRead);
  EXPECT_EQ(empty.fSize, u"0");
  EXPECT_EQ(empty.fText, u"");
  EXPECT_TRUE(empty.fData.empty());

  EXPECT_EQ(ShowValue(*cursor, State(), u"multi", u",").fText, u"a.b.");
  EXPECT_EQ(ShowValue(*cursor, State(), u"big", u",").fSize, u"1,234");
  EXPECT_FALSE(ShowValue(*cursor, State(), u"missing", u",").fRead);
}

INSTANTIATE_TEST_SUITE_P(Backends, DetailRegistry, testing::ValuesIn(test::BackendNames()),
                         test::BackendParamName);

// --- Faults only the in-memory registry can make -----------------------------------------

TEST(DetailFaults, UnqueryableValuesAreLeftOutAndUnreadableDataShowsNothing) {
  TMemRegistry reg;
  reg.SetText(kHKCU, u"k", u"a", u"1");
  reg.SetText(kHKCU, u"k", u"hidden", u"2").fFailQuery = true;
  reg.SetText(kHKCU, u"k", u"grew", u"3").fFailRead = true;
  auto cursor = reg.NewCursor();
  const TResult hit(u"HKEY_CURRENT_USER\\k", u"hidden", u"", 0, 0, 0, 0, 0, 0, kHKCU);
  const TDetailValues list = ReadValueList(*cursor, hit, TFoldCompare());
  ASSERT_EQ(list.fEntries.size(), 2u);
  EXPECT_EQ(list.fEntries[0].fName, u"a");
  EXPECT_EQ(list.fEntries[1].fName, u"grew");
  EXPECT_EQ(list.fSelected, 0) << "the hit's value is gone from the list";

  TDetailState state;
  state.DetKStr = hit.fKeyStr;
  state.DetRoot = kHKCU;
  const TShownValue grew = ShowValue(*cursor, state, u"grew", u",");
  EXPECT_FALSE(grew.fRead);
  EXPECT_EQ(grew.fType, u"");
  EXPECT_EQ(grew.fView, vkNone);
  EXPECT_TRUE(ShowValue(*cursor, state, u"a", u",").fRead);
}

TEST(DetailFaults, ARootKeysOwnValues) {
  TMemRegistry reg;
  reg.SetText(kHKU, u"", u"top", u"1");
  auto cursor = reg.NewCursor();
  const TResult hit(u"HKEY_USERS", u"top", u"", 0, 0, 0, 0, 0, 0, kHKU);
  const TDetailValues list = ReadValueList(*cursor, hit, TFoldCompare());
  EXPECT_TRUE(list.fKeyOpened);
  ASSERT_EQ(list.fEntries.size(), 1u);
  EXPECT_EQ(list.fSelected, 0);
}

}  // namespace
}  // namespace corvane
