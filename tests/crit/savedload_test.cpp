// What a load of a saved search leaves to apply: a new search first, then the file's
// fields as far as they could be read, whatever failed after them.
#include "ui/saved/savedload.h"

#include <gtest/gtest.h>

#include <map>

#include "support/printers.h"
#include "ui/crit/critlogic.h"

namespace corvane {
namespace {

// Files in memory, by full path.
class TMemFiles final : public TQmxFiles {
 public:
  TText FullPath(const TText& vPath) const override {
    return vPath.rfind(u"C:\\", 0) == 0 ? vPath : u"C:\\saved\\" + vPath;
  }
  bool FileExists(const TText& vPath) const override { return fFiles.count(FullPath(vPath)) != 0; }
  TResult ReadAll(const TText& vPath, std::string& vBytes, TText& vError) override {
    if (fLocked) {
      vError = u"The file is in use.";
      return frOpenFailed;
    }
    vBytes = fFiles.at(FullPath(vPath));
    return frDone;
  }
  TResult WriteNew(const TText&, std::string_view, TText&) override { return frOpenFailed; }
  bool Replace(const TText&, const TText&, TText&) override { return false; }
  void Remove(const TText&) override {}

  std::map<TText, std::string> fFiles;
  bool fLocked = false;
};

TCritRow Row(std::int32_t vMatch, TText vText, std::int32_t vDataType = 0) {
  return TCritRow{vMatch, vDataType, std::move(vText)};
}

// A window with criteria of its own and non-default options.
TSearchCriteria Current() {
  TSearchCriteria c;
  c.fRoots = TRootKeySet(1);
  c.fPerPageIdx = 1;
  c.fMaxRsltIdx = 3;
  c.fDatCase = true;
  c.fValAll = true;
  c.fKeyRows = {Row(mtContains, u"old")};
  c.fDatRows = {Row(mtDataType, u"", 2)};
  return c;
}

TSearchCriteria Saved() {
  TSearchCriteria s;
  s.fRoots = TRootKeySet(0b01010);
  s.fPerPageIdx = 2;
  s.fMaxRsltIdx = 0;
  s.fDatCase = false;
  s.fKeyAll = true;
  s.fKeyRows = {Row(mtContains, u"Run"), Row(mtNotEquals, u"x")};
  s.fValRows = {Row(mtEquals, u"")};
  s.fDatRows = {Row(mtDataType, u"", 7), Row(mtContains, u"Hello")};
  return s;
}

class SavedLoad : public testing::Test {
 protected:
  TLoadOutcome Load(const std::string& vBytes) {
    files.fFiles[u"C:\\saved\\a.QMX"] = vBytes;
    return ReadSavedSearch(u"a.QMX", Current(), files);
  }
  TMemFiles files;
};

TEST_F(SavedLoad, AMissingFileOrAnEmptyPathChangesNothing) {
  for (const TText& path : {TText(u"missing.QMX"), TText()}) {
    const TLoadOutcome o = ReadSavedSearch(path, Current(), files);
    EXPECT_FALSE(o.fRan);
    EXPECT_FALSE(o.fError);
    EXPECT_EQ(o.fCrit, Current());
  }
}

TEST_F(SavedLoad, AGoodFileReplacesEveryCriterionAndOption) {
  const TLoadOutcome o = Load(WriteQmx(Saved()));
  EXPECT_TRUE(o.fRan);
  EXPECT_FALSE(o.fError);
  EXPECT_EQ(o.fCrit, Saved()) << "no row of the window's own is kept";
}

TEST_F(SavedLoad, AFileThatCannotBeOpenedLeavesANewSearch) {
  files.fFiles[u"C:\\saved\\a.QMX"] = WriteQmx(Saved());
  files.fLocked = true;
  const TLoadOutcome o = ReadSavedSearch(u"a.QMX", Current(), files);
  EXPECT_TRUE(o.fRan);
  ASSERT_TRUE(o.fError);
  EXPECT_EQ(*o.fError,
            u"Datei C:\\saved\\a.QMX kann nicht ge\u00f6ffnet werden. The file is in use.");
  EXPECT_EQ(o.fCrit, NewSearchCriteria(Current()));
  EXPECT_EQ(o.fCrit.fRoots.Bits(), 31);
  EXPECT_EQ(o.fCrit.fPerPageIdx, 1) << "options stay as they were";
  EXPECT_EQ(o.fCrit.fMaxRsltIdx, 3);
  EXPECT_TRUE(o.fCrit.fDatCase);
}

TEST_F(SavedLoad, ABadRootFieldKeepsAllFiveRootsAndNoRows) {
  std::string bytes = WriteQmx(Saved());
  bytes[6] = 32;  // 06 03 'Q' 'M' 'X' 02 <roots>
  const TLoadOutcome o = Load(bytes);
  ASSERT_TRUE(o.fError);
  EXPECT_EQ(*o.fError, u"QMX file corrupted (1)");
  EXPECT_EQ(o.fCrit, NewSearchCriteria(Current()));
  bytes = WriteQmx(Saved());
  bytes[3] = 'm';
  EXPECT_EQ(*Load(bytes).fError, u"QMX file corrupted (1)");
}

TEST_F(SavedLoad, ABadPerPageIndexChangesNoOptionAndNoRow) {
  TSearchCriteria s = Saved();
  s.fPerPageIdx = 5;
  const TLoadOutcome o = Load(WriteQmx(s));
  ASSERT_TRUE(o.fError);
  EXPECT_EQ(*o.fError, u"Listenindex au\u00dferhalb des g\u00fcltigen Bereichs (5)");
  EXPECT_EQ(o.fCrit.fRoots, Saved().fRoots) << "the roots before it stay applied";
  EXPECT_EQ(o.fCrit.fPerPageIdx, 1);
  EXPECT_EQ(o.fCrit.fMaxRsltIdx, 3);
  EXPECT_TRUE(o.fCrit.fKeyRows.empty());
}

TEST_F(SavedLoad, AFileEndingAfterTheFlagsKeepsThemAndAddsNoRow) {
  const std::string full = WriteQmx(Saved());
  // Magic 5 bytes, roots 2, two indexes 2 + 2, four flags 4: 15 bytes.
  const TLoadOutcome o = Load(full.substr(0, 15));
  ASSERT_TRUE(o.fError);
  EXPECT_EQ(*o.fError, u"Stream-Lesefehler");
  TSearchCriteria want = Saved();
  want.fKeyRows.clear();
  want.fValRows.clear();
  want.fDatRows.clear();
  EXPECT_EQ(o.fCrit, want);
}

TEST_F(SavedLoad, RowsReadBeforeAFailureStay) {
  const std::string full = WriteQmx(Saved());
  // Cut inside the last data row's text: every row before it was read.
  const TLoadOutcome o = Load(full.substr(0, full.size() - 2));
  ASSERT_TRUE(o.fError);
  EXPECT_EQ(*o.fError, u"Stream-Lesefehler");
  EXPECT_EQ(o.fCrit.fKeyRows, Saved().fKeyRows);
  EXPECT_EQ(o.fCrit.fValRows, Saved().fValRows);
  EXPECT_EQ(o.fCrit.fDatRows, std::vector<TCritRow>{Row(mtDataType, u"", 7)});

  // A text where a row's match type belongs.
  std::string bad = full.substr(0, 15) + std::string(
                                             "\x02\x01\x06\x01"
                                             "a",
                                             5);
  const TLoadOutcome t = Load(bad);
  ASSERT_TRUE(t.fError);
  EXPECT_EQ(*t.fError, u"Ung\u00fcltiger Eigenschaftswert");
  EXPECT_TRUE(t.fCrit.fKeyRows.empty());
}

TEST_F(SavedLoad, RowCountsOfZeroLoadAnEmptyAdvancedTab) {
  TSearchCriteria s = Saved();
  s.fKeyRows.clear();
  s.fValRows.clear();
  s.fDatRows.clear();
  const TLoadOutcome o = Load(WriteQmx(s));
  EXPECT_FALSE(o.fError);
  EXPECT_EQ(o.fCrit, s);
  EXPECT_FALSE(CriteriaComplete(o.fCrit)) << "Search and Save stay disabled";
}

}  // namespace
}  // namespace corvane
