// The criteria boxes' rules: row names and box heights, the box a shortcut means, the root
// key boxes, when the criteria are complete, and the lists handed to the search thread.
#include "ui/crit/critlogic.h"

#include <gtest/gtest.h>

#include <set>

#include "support/printers.h"

namespace corvane {
namespace {

TCritRow Row(std::int32_t vMatch, TText vText, std::int32_t vDataType = 0) {
  return TCritRow{vMatch, vDataType, std::move(vText)};
}

TEST(CritBoxes, RowsAreNamedAfterTheBoxAndTheChildCount) {
  // A box's children are its header strip and its rows, so the first row sees one child.
  EXPECT_EQ(CritRowName(1, 1), u"CF1001");
  EXPECT_EQ(CritRowName(2, 1), u"CF2001");
  EXPECT_EQ(CritRowName(3, 3), u"CF3003");
  // Add names a row after the children it joins (1 + the rows so far); Delete looks up the
  // row added last by the row count alone, so three Deletes after three Adds find the rows
  // in the reverse order of their adding.
  std::vector<TText> added, deleted;
  for (int rows = 0; rows < 3; ++rows) added.push_back(CritRowName(2, 1 + rows));
  for (int rows = 3; rows > 0; --rows) deleted.push_back(CritRowName(2, rows));
  EXPECT_EQ(added, (std::vector<TText>{u"CF2001", u"CF2002", u"CF2003"}));
  EXPECT_EQ(deleted, (std::vector<TText>{u"CF2003", u"CF2002", u"CF2001"}));
}

TEST(CritBoxes, BoxesGrowByARowAndStackOnePixelApart) {
  EXPECT_EQ(CritBoxHeight(0), 33);
  EXPECT_EQ(CritBoxHeight(3), 33 + 3 * 25);
  EXPECT_EQ(CritBoxHeight(-1), 33);
  EXPECT_EQ(StackCritBoxes(89, 33, 33), (TBoxTops{123, 157}));
  // A row added to the key-name box moves both boxes below it down by the row's height.
  const TBoxTops before = StackCritBoxes(89, CritBoxHeight(0), CritBoxHeight(1));
  const TBoxTops after = StackCritBoxes(89, CritBoxHeight(1), CritBoxHeight(1));
  EXPECT_EQ(after.fVal - before.fVal, 25);
  EXPECT_EQ(after.fDat - before.fDat, 25);
  // A row in the value-name box moves only the value-data box.
  const TBoxTops val = StackCritBoxes(89, CritBoxHeight(0), CritBoxHeight(2));
  EXPECT_EQ(val.fVal, before.fVal);
  EXPECT_EQ(val.fDat - before.fDat, 25);
}

TEST(CritBoxes, ShortcutsFindTheBoxOfTheFocusedControl) {
  const bool add = true, del = false;
  // The text box of a value-data row: its parent is the row, the row's parent the box.
  EXPECT_EQ(ShortcutBox({true, 0, 3, true}, add), 3);
  EXPECT_EQ(ShortcutBox({true, 0, 3, true}, del), 3);
  // The Add button of the value-name box: its strip, then the box.
  EXPECT_EQ(ShortcutBox({true, 0, 2, false}, del), 2);
  // A control right in a box.
  EXPECT_EQ(ShortcutBox({true, 1, 0, true}, del), 1);
  // A root key box: the key-name box for Ctrl+Ins, nothing for Ctrl+Del.
  EXPECT_EQ(ShortcutBox({true, 0, 0, true}, add), 1);
  EXPECT_EQ(ShortcutBox({true, 0, 0, true}, del), 0);
  // The Basic tab, or no focus at all.
  EXPECT_EQ(ShortcutBox({true, 0, 0, false}, add), 0);
  EXPECT_EQ(ShortcutBox({false, 0, 3, true}, add), 0);
  // Tags that are no box's.
  EXPECT_EQ(ShortcutBox({true, 4, 7, false}, add), 0);
}

TEST(RootBoxes, TheBitsAreTheSearchsRootSetInTheBoxesOrder) {
  std::set<int> bits;
  std::vector<TText> left, right;
  for (const TRootBox& b : kRootBoxes) {
    bits.insert(b.fBit);
    (b.fColumn == 0 ? left : right).push_back(RootBoxName(b));
  }
  EXPECT_EQ(bits, (std::set<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(left, (std::vector<TText>{u"HKEY_CURRENT_USER", u"HKEY_LOCAL_MACHINE", u"HKEY_USERS"}));
  EXPECT_EQ(right, (std::vector<TText>{u"HKEY_CURRENT_CONFIG", u"HKEY_CLASSES_ROOT"}));
  // Bit n is the n-th member of TRootKeySet: bit 0 classes root ... bit 4 current config.
  const TText byBit[5] = {u"HKEY_CLASSES_ROOT", u"HKEY_CURRENT_USER", u"HKEY_LOCAL_MACHINE",
                          u"HKEY_USERS", u"HKEY_CURRENT_CONFIG"};
  for (const TRootBox& b : kRootBoxes) {
    EXPECT_EQ(RootBoxName(b), byBit[b.fBit]);
    EXPECT_TRUE(TRootKeySet(std::uint8_t(1u << b.fBit)).Has(b.fBit));
  }
  EXPECT_EQ(DefaultRoots, TRootKeySet::All().Bits());
  EXPECT_EQ(RootBoxHint(kRootBoxes[3]),
            u"HKEY_CURRENT_CONFIG|Search the HKEY_CURRENT_CONFIG root key");
}

TEST(CritCriteria, CompleteNeedsARootARowAndEveryRowValid) {
  TSearchCriteria c;
  EXPECT_FALSE(CriteriaComplete(c)) << "no row";
  c.fKeyRows = {Row(mtContains, u"run")};
  EXPECT_TRUE(CriteriaComplete(c));
  c.fRoots = TRootKeySet(0);
  EXPECT_FALSE(CriteriaComplete(c)) << "None pressed";
  c.fRoots = TRootKeySet(std::uint8_t(1u << rHKCC));
  EXPECT_TRUE(CriteriaComplete(c));

  // One incomplete row anywhere blocks the search.
  c.fValRows = {Row(mtContains, u"")};
  EXPECT_FALSE(CriteriaComplete(c));
  c.fValRows = {Row(mtEquals, u"")};  // the default value
  EXPECT_TRUE(CriteriaComplete(c));
  c.fDatRows = {Row(mtNotContains, u"")};
  EXPECT_FALSE(CriteriaComplete(c));
  c.fDatRows = {Row(mtDataType, u"", 7)};
  EXPECT_TRUE(CriteriaComplete(c));
  c.fKeyRows.push_back(Row(-1, u"x"));  // no match type selected
  EXPECT_FALSE(CriteriaComplete(c));

  // A time limit is a search of its own, when it gives a range.
  TSearchCriteria t;
  t.fTime = {tlWithin, 0, 0, 0, tuHours};
  EXPECT_FALSE(CriteriaComplete(t)) << "within the last 0 hours";
  t.fTime.fCount = 2;
  EXPECT_TRUE(CriteriaComplete(t));
  t.fKeyRows = {Row(mtContains, u"")};
  EXPECT_FALSE(CriteriaComplete(t)) << "an incomplete row still blocks";
  t.fKeyRows = {Row(mtContains, u"run")};
  t.fTime = {tlBetween, 200, 100, 0, tuMinutes};
  EXPECT_FALSE(CriteriaComplete(t)) << "a range that ends before it starts";
  t.fTime.fBefore = 200;
  EXPECT_TRUE(CriteriaComplete(t));
  t.fRoots = TRootKeySet(0);
  EXPECT_FALSE(CriteriaComplete(t));

  TSearchCriteria onlyData;
  onlyData.fDatRows = {Row(mtEquals, u"")};
  EXPECT_TRUE(CriteriaComplete(onlyData));
}

TEST(CritCriteria, RowsAreEncodedIntoTheThreeListsInTheirOrder) {
  TSearchCriteria c;
  c.fKeyRows = {Row(mtContains, u"run"), Row(mtNotEquals, u"\u00fcber\\x")};
  c.fValRows = {Row(mtEquals, u"")};
  c.fDatRows = {Row(mtContains, u"Run"), Row(mtEquals, u"12"),
                // "data type is" keeps the text of its hidden text box.
                Row(mtDataType, u"hidden", 7), Row(mtNotContains, u"0x1F")};
  c.fKeyAll = true;
  c.fDatAll = true;
  c.fDatCase = true;
  c.fRoots = TRootKeySet(std::uint8_t(0b10010));
  const TComplexCriteria e = EncodeCriteria(c);

  ASSERT_EQ(e.fKeyCrit.size(), 2u);
  EXPECT_EQ(e.fKeyCrit[0].fText, u"RUN");
  EXPECT_EQ(e.fKeyCrit[0].fMatch, mtContains);
  EXPECT_EQ(e.fKeyCrit[1].fText, u"\u00fcBER\\X") << "only a to z are upper-cased";
  EXPECT_EQ(e.fKeyCrit[1].fMatch, mtNotEquals);
  ASSERT_EQ(e.fValCrit.size(), 1u);
  EXPECT_EQ(e.fValCrit[0].fText, u"");
  EXPECT_EQ(e.fValCrit[0].fMatch, mtEquals);

  ASSERT_EQ(e.fDatCrit.size(), 4u);
  EXPECT_EQ(e.fDatCrit[0].fText, u"Run") << "data rows go as typed";
  EXPECT_EQ(e.fDatCrit[0].fCrit->fType, mtContains);
  EXPECT_FALSE(e.fDatCrit[0].fCrit->fHasInt);
  EXPECT_EQ(e.fDatCrit[1].fCrit->fType, mtEquals);
  EXPECT_TRUE(e.fDatCrit[1].fCrit->fHasInt);
  EXPECT_EQ(e.fDatCrit[1].fCrit->fInt, 12);
  EXPECT_EQ(e.fDatCrit[2].fText, u"hidden");
  EXPECT_EQ(e.fDatCrit[2].fCrit->fType, mtDataType);
  EXPECT_EQ(e.fDatCrit[2].fCrit->fInt, 7) << "the data type position";
  EXPECT_FALSE(e.fDatCrit[2].fCrit->fHasInt);
  EXPECT_TRUE(e.fDatCrit[3].fCrit->fHasInt);
  EXPECT_EQ(e.fDatCrit[3].fCrit->fInt, 31);

  EXPECT_TRUE(e.fKeyAll);
  EXPECT_FALSE(e.fValAll);
  EXPECT_TRUE(e.fDatAll);
  EXPECT_TRUE(e.fDatCase);
  EXPECT_EQ(e.fRoots.Bits(), 0b10010);
  EXPECT_TRUE(e.RsltVal());
  EXPECT_TRUE(e.RsltDat());
}

TEST(CritCriteria, EmptyBoxesGiveEmptyListsAndNoValueOrDataLines) {
  TSearchCriteria c;
  c.fKeyRows = {Row(mtEquals, u"Run")};
  const TComplexCriteria keys = EncodeCriteria(c);
  EXPECT_EQ(keys.fKeyCrit.size(), 1u);
  EXPECT_TRUE(keys.fValCrit.empty());
  EXPECT_TRUE(keys.fDatCrit.empty());
  EXPECT_FALSE(keys.RsltVal());
  EXPECT_FALSE(keys.RsltDat());

  TSearchCriteria d;
  d.fDatRows = {Row(mtDataType, u"", 1)};
  const TComplexCriteria data = EncodeCriteria(d);
  EXPECT_TRUE(data.fKeyCrit.empty());
  EXPECT_FALSE(data.RsltVal());
  EXPECT_TRUE(data.RsltDat());
}

TEST(CritCriteria, ANewSearchKeepsOnlyTheOptions) {
  TSearchCriteria c;
  c.fRoots = TRootKeySet(3);
  c.fPerPageIdx = 3;
  c.fMaxRsltIdx = 0;
  c.fDatCase = true;
  c.fKeyAll = c.fValAll = c.fDatAll = true;
  c.fKeyRows = {Row(mtContains, u"a")};
  c.fValRows = c.fKeyRows;
  c.fDatRows = c.fKeyRows;
  TSearchCriteria want;
  want.fPerPageIdx = 3;
  want.fMaxRsltIdx = 0;
  want.fDatCase = true;
  EXPECT_EQ(NewSearchCriteria(c), want);
  EXPECT_EQ(NewSearchCriteria(c).fRoots.Bits(), 31);
}

}  // namespace
}  // namespace corvane
