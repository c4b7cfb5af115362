#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "launcher/launcher.h"

namespace corvane {
namespace {

using Lines = std::vector<std::string>;

// A scripted editor: a tree of named items below "My Computer", a value list whose rows
// appear after a number of reads, and a log of every step that changes the editor.
class TFakeEditor final : public TEditorChannel {
 public:
  TFakeEditor() {
    fItems.push_back({u"", 0, {}});  // item 0: none
    fRootItem = Add(0, u"My Computer");
    for (const char16_t* root : {u"HKEY_CLASSES_ROOT", u"HKEY_CURRENT_USER", u"HKEY_LOCAL_MACHINE",
                                 u"HKEY_USERS", u"HKEY_CURRENT_CONFIG"})
      Add(fRootItem, root);
  }

  // Adds the items of a path below "My Computer" that are missing; returns the last.
  TEditorItem AddPath(TTextView vPath) {
    TEditorItem item = fRootItem;
    while (!vPath.empty()) {
      const std::size_t cut = vPath.find(u'\\');
      const TText name(vPath.substr(0, cut));
      vPath = cut == TTextView::npos ? TTextView() : vPath.substr(cut + 1);
      TEditorItem child = 0;
      for (TEditorItem c : fItems[item].fChildren)
        if (fItems[c].fText == name) child = c;
      item = child ? child : Add(item, name);
    }
    return item;
  }
  // The path of the caret item, "My Computer" included.
  std::string CaretPath() const {
    std::string path;
    for (TEditorItem i = fCaret; i != 0; i = fItems[i].fParent)
      path = ToUtf8(fItems[i].fText) + (path.empty() ? "" : "\\") + path;
    return path;
  }

  bool FindOrStart() override {
    Step("find");
    return fHasEditor;
  }
  bool ObtainBuffers() override {
    Step("buffers");
    return fHasBuffers;
  }
  void Release() noexcept override {
    ++fReleases;
    fLog.push_back("release");
  }

  TEditorItem Root() override {
    Step("root");
    return fRootItem;
  }
  TEditorItem FirstChild(TEditorItem vParent) override {
    const auto& c = fItems.at(vParent).fChildren;
    return c.empty() ? 0 : c.front();
  }
  TEditorItem NextSibling(TEditorItem vItem) override {
    const auto& c = fItems.at(fItems.at(vItem).fParent).fChildren;
    for (std::size_t i = 0; i + 1 < c.size(); ++i)
      if (c[i] == vItem) return c[i + 1];
    return 0;
  }
  TText ItemText(TEditorItem vItem) override {
    Step("text");
    return fItems.at(vItem).fText;
  }
  void SelectItem(TEditorItem vItem) override {
    fCaret = vItem;
    fLog.push_back("select " + ToUtf8(fItems.at(vItem).fText));
  }
  void ExpandItem(TEditorItem vItem) override {
    fLog.push_back("expand " + ToUtf8(fItems.at(vItem).fText));
  }

  int SelectedCount() override { return int(fSelected.size()); }
  int RowCount() override {
    // The editor fills its list a while after the key was selected.
    return ++fCountReads > fRowsAfter ? int(fRows.size()) : 0;
  }
  int NextRow(int vRow, bool vSelected) override {
    const int shown = fCountReads > fRowsAfter ? int(fRows.size()) : 0;
    for (int r = vRow + 1; r < shown; ++r)
      if (!vSelected || fSelected.count(r)) return r;
    return -1;
  }
  TText RowText(int vRow) override {
    fRowsRead.push_back(vRow);
    return fRows.at(vRow);
  }
  void SetRowSelected(int vRow, bool vSelected) override {
    if (vSelected)
      fSelected.insert(vRow);
    else
      fSelected.erase(vRow);
    fLog.push_back(std::string(vSelected ? "row " : "clear ") + std::to_string(vRow));
  }
  void EnsureVisible(int vRow) override { fLog.push_back("visible " + std::to_string(vRow)); }
  void FocusList() override { fLog.push_back("focus list"); }

  bool fHasEditor = true, fHasBuffers = true;
  std::string fThrowAt;  // the step that throws, e.g. "text"
  std::vector<TText> fRows{u"(Default)"};
  int fRowsAfter = 0;  // reads of the row count that see an empty list
  int fCountReads = 0;
  std::set<int> fSelected;
  std::vector<int> fRowsRead;
  TEditorItem fCaret = 0;
  int fReleases = 0;
  Lines fLog;

 private:
  struct TItem {
    TText fText;
    TEditorItem fParent;
    std::vector<TEditorItem> fChildren;
  };
  TEditorItem Add(TEditorItem vParent, TTextView vText) {
    fItems.push_back({TText(vText), vParent, {}});
    const TEditorItem item = fItems.size() - 1;
    if (vParent) fItems[vParent].fChildren.push_back(item);
    return item;
  }
  void Step(const std::string& vName) {
    if (vName == fThrowAt) throw std::runtime_error("editor gone at " + vName);
    if (vName == "find" || vName == "buffers") fLog.push_back(vName);
  }
  std::vector<TItem> fItems;
  TEditorItem fRootItem = 0;
};

class TFakeClock final : public TLaunchClock {
 public:
  void Sleep(int vMs) override { fSleeps.push_back(vMs); }
  int Total() const {
    int t = 0;
    for (int s : fSleeps) t += s;
    return t;
  }
  std::vector<int> fSleeps;
};

const TFoldCompare kCompare;

Lines Split(TTextView vPath) {
  Lines r;
  for (const TText& c : SplitKeyPath(vPath, kCompare)) r.push_back("[" + ToUtf8(c) + "]");
  return r;
}

TEST(LauncherSplit, MyComputerBlanksAndBackslashes) {
  EXPECT_EQ(Split(u"HKEY_CURRENT_USER\\Software\\Run"),
            (Lines{"[HKEY_CURRENT_USER]", "[Software]", "[Run]"}));
  // "My Computer" in any case, and repeated, is dropped only before the first kept one.
  EXPECT_EQ(Split(u"my computer\\MY COMPUTER\\HKEY_USERS\\My Computer"),
            (Lines{"[HKEY_USERS]", "[My Computer]"}));
  EXPECT_EQ(Split(u"My Computer"), Lines{});
  EXPECT_EQ(Split(u"  My Computer \\ HKEY_USERS\t\\ a b \r\n"), (Lines{"[HKEY_USERS]", "[a b]"}));
  // A trailing backslash adds nothing; a doubled or leading one adds an empty component.
  EXPECT_EQ(Split(u"HKEY_USERS\\x\\"), (Lines{"[HKEY_USERS]", "[x]"}));
  EXPECT_EQ(Split(u"HKEY_USERS\\x\\ "), (Lines{"[HKEY_USERS]", "[x]"}));
  EXPECT_EQ(Split(u"HKEY_USERS\\\\x"), (Lines{"[HKEY_USERS]", "[]", "[x]"}));
  EXPECT_EQ(Split(u"\\HKEY_USERS"), (Lines{"[]", "[HKEY_USERS]"}));
  EXPECT_EQ(Split(u"HKEY_USERS\\x\\\\"), (Lines{"[HKEY_USERS]", "[x]", "[]"}));
  // An empty component before the first kept one is kept: it is no "My Computer".
  EXPECT_EQ(Split(u"\\My Computer\\HKEY_USERS"), (Lines{"[]", "[My Computer]", "[HKEY_USERS]"}));
}

TEST(LauncherWalk, SelectsAndExpandsEveryItemOnTheWayButTheLast) {
  TFakeEditor editor;
  editor.AddPath(u"HKEY_CURRENT_USER\\Software\\Corvane\\a\\b\\c");
  TFakeClock clock;
  EXPECT_EQ(
      LaunchRegedit(editor, u"HKEY_CURRENT_USER\\software\\corvane\\a\\b", u"", kCompare, clock),
      lrDone);
  EXPECT_EQ(editor.fLog,
            (Lines{"find", "buffers", "select My Computer", "expand My Computer",
                   "select HKEY_CURRENT_USER", "expand HKEY_CURRENT_USER", "select Software",
                   "expand Software", "select Corvane", "expand Corvane", "select a", "expand a",
                   "select b", "row 0", "visible 0", "focus list", "release"}));
  EXPECT_EQ(editor.CaretPath(), "My Computer\\HKEY_CURRENT_USER\\Software\\Corvane\\a\\b");
  EXPECT_EQ(clock.fSleeps, std::vector<int>{kSelectPauseMs});
}

TEST(LauncherWalk, EveryFormOfAPathSelectsTheSameItemByTheLocaleComparison) {
  for (const char16_t* path : {u"HKEY_LOCAL_MACHINE\\Software\\Äpfel\\Σ",
                               u"My Computer\\HKEY_LOCAL_MACHINE\\Software\\Äpfel\\Σ",
                               u"hkey_local_machine\\SOFTWARE\\äpfel\\σ",
                               u" my computer \\  hkey_local_machine\\software \\äPFEL\\Σ\\"}) {
    TFakeEditor editor;
    editor.AddPath(u"HKEY_LOCAL_MACHINE\\Software\\Äpfel\\Σ");
    editor.AddPath(u"HKEY_LOCAL_MACHINE\\Software\\Äpfel\\Zeta");
    TFakeClock clock;
    EXPECT_EQ(LaunchRegedit(editor, path, u"", kCompare, clock), lrDone) << ToUtf8(path);
    EXPECT_EQ(editor.CaretPath(), "My Computer\\HKEY_LOCAL_MACHINE\\Software\\Äpfel\\Σ")
        << ToUtf8(path);
  }
}

TEST(LauncherWalk, AMissingComponentLeavesTheDeepestAncestorSelected) {
  TFakeEditor editor;
  editor.AddPath(u"HKEY_CURRENT_USER\\Software\\Corvane");
  TFakeClock clock;
  EXPECT_EQ(LaunchRegedit(editor, u"HKEY_CURRENT_USER\\Software\\Corvane\\gone\\deeper", u"v",
                          kCompare, clock),
            lrNoKey);
  EXPECT_EQ(editor.CaretPath(), "My Computer\\HKEY_CURRENT_USER\\Software\\Corvane");
  EXPECT_EQ(editor.fLog.back(), "release");
  EXPECT_EQ(editor.fLog[editor.fLog.size() - 2], "expand Corvane") << "the ancestor stays open";
  EXPECT_TRUE(clock.fSleeps.empty()) << "no value is looked for";
  EXPECT_EQ(editor.fCountReads, 0);

  // An empty component matches no item, not even one with an empty name.
  for (const char16_t* path :
       {u"\\HKEY_CURRENT_USER\\Software", u"HKEY_CURRENT_USER\\\\Software", u"   "}) {
    TFakeEditor e;
    e.AddPath(u"HKEY_CURRENT_USER\\Software");
    EXPECT_EQ(LaunchRegedit(e, path, u"", kCompare, clock), lrNoKey) << ToUtf8(path);
  }
}

TEST(LauncherWalk, TheFirstMatchInTheTreesOrderWins) {
  TFakeEditor editor;
  editor.AddPath(u"HKEY_USERS\\Twin\\first");
  editor.AddPath(u"HKEY_USERS\\TWIN\\second");
  TFakeClock clock;
  EXPECT_EQ(LaunchRegedit(editor, u"HKEY_USERS\\twin\\second", u"", kCompare, clock), lrNoKey);
  EXPECT_EQ(editor.CaretPath(), "My Computer\\HKEY_USERS\\Twin");
}

TEST(LauncherValue, RowZeroIsTheDefaultValueAndOnlyIt) {
  TFakeEditor editor;
  editor.fRows = {u"zqx", u"other", u"ZQX", u"zqx"};
  TFakeClock clock;
  // The empty name: row 0, whatever it shows, without reading any text.
  EXPECT_TRUE(SelectValueOnce(editor, u"", kCompare, clock));
  EXPECT_EQ(editor.fSelected, std::set<int>{0});
  EXPECT_TRUE(editor.fRowsRead.empty());
  // A name equal to row 0's text: the first later row with it, by the locale comparison.
  EXPECT_TRUE(SelectValueOnce(editor, u"zqx", kCompare, clock));
  EXPECT_EQ(editor.fSelected, std::set<int>{2}) << "row 0 was cleared, row 2 is the first match";
  EXPECT_EQ(editor.fRowsRead, (std::vector<int>{1, 2}));
  editor.fRows = {u"only"};
  editor.fSelected = {0};
  EXPECT_FALSE(SelectValueOnce(editor, u"only", kCompare, clock));
  EXPECT_TRUE(editor.fSelected.empty());
}

TEST(LauncherValue, AMissingValueCostsTwentyFiveAttemptsAndClearsEarlierSelections) {
  TFakeEditor editor;
  editor.AddPath(u"HKEY_CURRENT_USER\\Software");
  editor.fRows = {u"(Default)", u"a", u"b", u"c"};
  editor.fSelected = {1, 3};
  TFakeClock clock;
  EXPECT_EQ(LaunchRegedit(editor, u"HKEY_CURRENT_USER\\Software", u"missing", kCompare, clock),
            lrNoValue);
  EXPECT_EQ(editor.fCountReads, kValueAttempts);
  EXPECT_EQ(clock.fSleeps, std::vector<int>(kValueAttempts, kAttemptPauseMs));
  EXPECT_EQ(clock.Total(), 5000);
  EXPECT_TRUE(editor.fSelected.empty());
  EXPECT_EQ(editor.CaretPath(), "My Computer\\HKEY_CURRENT_USER\\Software");
  EXPECT_EQ(editor.fReleases, 1);
}

TEST(LauncherValue, AKeyAloneSelectsTheKeyWithNoValueAttempt) {
  // A key hit: no value row is looked for, so no attempts and no waits.
  TFakeEditor editor;
  editor.AddPath(u"HKEY_CURRENT_USER\\Software");
  editor.fRows = {u"(Default)", u"a"};
  TFakeClock clock;
  EXPECT_EQ(LaunchRegedit(editor, u"HKEY_CURRENT_USER\\Software", std::nullopt, kCompare, clock),
            lrDone);
  EXPECT_EQ(editor.fCountReads, 0);
  EXPECT_TRUE(clock.fSleeps.empty());
  EXPECT_EQ(editor.CaretPath(), "My Computer\\HKEY_CURRENT_USER\\Software");
  EXPECT_EQ(editor.fReleases, 1);
}

TEST(LauncherValue, ARowThatAppearsLateIsFoundOnALaterAttempt) {
  TFakeEditor editor;
  editor.AddPath(u"HKEY_CURRENT_USER\\Software");
  editor.fRows = {u"(Default)", u"late"};
  editor.fRowsAfter = 3;
  TFakeClock clock;
  EXPECT_EQ(LaunchRegedit(editor, u"HKEY_CURRENT_USER\\Software", u"LATE", kCompare, clock),
            lrDone);
  EXPECT_EQ(clock.fSleeps, (std::vector<int>{200, 200, 200, kSelectPauseMs}));
  EXPECT_EQ(editor.fSelected, std::set<int>{1});
  const Lines tail(editor.fLog.end() - 4, editor.fLog.end());
  EXPECT_EQ(tail, (Lines{"row 1", "visible 1", "focus list", "release"}));
}

TEST(LauncherLaunch, OnlyMyComputerSelectsTheRootAndLooksForTheValue) {
  TFakeEditor editor;
  editor.fRows = {u"(Default)", u"v"};
  TFakeClock clock;
  EXPECT_EQ(LaunchRegedit(editor, u"My Computer", u"v", kCompare, clock), lrDone);
  EXPECT_EQ(editor.CaretPath(), "My Computer");
  EXPECT_EQ(editor.fSelected, std::set<int>{1});
}

TEST(LauncherLaunch, ResultCodesAndReleaseOnEveryEnd) {
  struct TCase {
    const char* fName;
    bool fEditor, fBuffers;
    const char16_t* fKey;
    const char16_t* fValue;
    TLaunchResult fResult;
    Lines fLog;
  } cases[] = {
      {"empty key path", true, false, u"", u"v", lrDone, {"find", "release"}},
      {"no editor", false, true, u"HKEY_USERS", u"", lrNoEditor, {"find", "release"}},
      {"no buffers", true, false, u"HKEY_USERS", u"", lrNoBuffers, {"find", "buffers", "release"}},
      {"no key",
       true,
       true,
       u"HKEY_NONE",
       u"",
       lrNoKey,
       {"find", "buffers", "select My Computer", "expand My Computer", "release"}},
  };
  for (const TCase& c : cases) {
    TFakeEditor editor;
    editor.fHasEditor = c.fEditor;
    editor.fHasBuffers = c.fBuffers;
    TFakeClock clock;
    EXPECT_EQ(LaunchRegedit(editor, c.fKey, c.fValue, kCompare, clock), c.fResult) << c.fName;
    EXPECT_EQ(editor.fLog, c.fLog) << c.fName;
    EXPECT_EQ(editor.fReleases, 1) << c.fName;
  }
}

TEST(LauncherLaunch, AnExceptionFromTheChannelReleasesAndTravelsOn) {
  for (const char* step : {"find", "buffers", "root", "text"}) {
    TFakeEditor editor;
    editor.fThrowAt = step;
    TFakeClock clock;
    EXPECT_THROW((void)LaunchRegedit(editor, u"HKEY_USERS\\x", u"", kCompare, clock),
                 std::runtime_error)
        << step;
    EXPECT_EQ(editor.fReleases, 1) << step;
  }
}

}  // namespace
}  // namespace corvane
