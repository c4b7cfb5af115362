// The main window's portable rules: settings, placement, paging, action states, texts.
#include "ui/main/mainlogic.h"
#include "ui/results/resultslogic.h"

#include <gtest/gtest.h>

#include <map>

namespace corvane {
namespace {

class TMapProfile final : public TProfile {
 public:
  std::map<std::pair<TText, TText>, TText> fValues;
  void Set(TTextView vSection, TTextView vKey, TTextView vValue) {
    fValues[{TText(vSection), TText(vKey)}] = TText(vValue);
  }
  bool WriteString(TTextView vSection, TTextView vKey, TTextView vValue) override {
    Set(vSection, vKey, vValue);
    return true;
  }
  TText ReadString(TTextView vSection, TTextView vKey) override {
    const auto it = fValues.find({TText(vSection), TText(vKey)});
    return it == fValues.end() ? TText() : it->second;
  }
};

TEST(FormSettings, MissingFileGivesTheDefaults) {
  TMapProfile p;
  const TFormSettings s = ReadFormSettings(p);
  EXPECT_FALSE(s.fButtons);
  EXPECT_EQ(s.fActivePage, 0);
  EXPECT_EQ(s.fPerPageIdx, 0);
  EXPECT_EQ(s.fMaxRsltIdx, 2);
  EXPECT_FALSE(s.fCase);
}

TEST(FormSettings, NumbersAreClampedIntoTheirLists) {
  TMapProfile p;
  p.Set(u"Settings", u"PerPage", u"9");
  p.Set(u"Settings", u"MaxRslt", u"-1");
  p.Set(u"Settings", u"ActivePage", u"5");
  TFormSettings s = ReadFormSettings(p);
  EXPECT_EQ(s.fPerPageIdx, 4);
  EXPECT_EQ(PerPageAt(s.fPerPageIdx), 1000);
  EXPECT_EQ(s.fMaxRsltIdx, 0);
  EXPECT_EQ(MaxRsltAt(s.fMaxRsltIdx), 10);
  EXPECT_EQ(s.fActivePage, 1);
  p.Set(u"Settings", u"ActivePage", u"-7");
  EXPECT_EQ(ReadFormSettings(p).fActivePage, 0);
}

TEST(FormSettings, HexadecimalFormsAndMalformedValues) {
  TMapProfile p;
  p.Set(u"Settings", u"PerPage", u"$3");
  p.Set(u"Settings", u"MaxRslt", u"0x1");
  p.Set(u"Settings", u"Case", u"0x10");
  TFormSettings s = ReadFormSettings(p);
  EXPECT_EQ(s.fPerPageIdx, 3);
  EXPECT_EQ(s.fMaxRsltIdx, 1);
  EXPECT_TRUE(s.fCase);
  p.Set(u"Settings", u"PerPage", u"2x");
  p.Set(u"Settings", u"MaxRslt", u" 1");
  p.Set(u"Settings", u"Case", u"yes");
  s = ReadFormSettings(p);
  EXPECT_EQ(s.fPerPageIdx, 0) << "not a number: the default";
  EXPECT_EQ(s.fMaxRsltIdx, 2);
  EXPECT_FALSE(s.fCase);
}

TEST(FormSettings, OnlyButtonsOneShowsButtons) {
  TMapProfile p;
  p.Set(u"Settings", u"Buttons", u"2");
  EXPECT_FALSE(ReadFormSettings(p).fButtons);
  p.Set(u"Settings", u"Buttons", u"1");
  EXPECT_TRUE(ReadFormSettings(p).fButtons);
}

TEST(FormSettings, WrittenInDecimalWithFlagsAsOneAndZero) {
  TFormSettings s;
  s.fActivePage = 1;
  s.fPerPageIdx = 4;
  s.fMaxRsltIdx = 3;
  s.fCase = true;
  const auto e = FormSettingsEntries(s);
  ASSERT_EQ(e.size(), 4u);
  EXPECT_EQ(e[0], (std::pair<TText, TText>{u"ActivePage", u"1"}));
  EXPECT_EQ(e[1], (std::pair<TText, TText>{u"PerPage", u"4"}));
  EXPECT_EQ(e[2], (std::pair<TText, TText>{u"MaxRslt", u"3"}));
  EXPECT_EQ(e[3], (std::pair<TText, TText>{u"Case", u"1"}));
  s.fCase = false;
  EXPECT_EQ(FormSettingsEntries(s)[3].second, u"0");
}

TEST(ListPositions, OutOfRangePositionsTakeTheLargestValue) {
  EXPECT_EQ(PerPageAt(0), 10);
  EXPECT_EQ(PerPageAt(3), 100);
  EXPECT_EQ(PerPageAt(-1), 1000);
  EXPECT_EQ(MaxRsltAt(2), 1000);
  EXPECT_EQ(MaxRsltAt(7), 10000);
}

const TPlaceRect kWork{0, 0, 1280, 1000};

TEST(Placement, FitMovesTheRectangleBackIntoTheWorkArea) {
  EXPECT_EQ(FitIntoWorkArea({880, 100, 1480, 500}, kWork), (TPlaceRect{680, 100, 1280, 500}));
  EXPECT_EQ(FitIntoWorkArea({10, 900, 510, 1300}, kWork), (TPlaceRect{10, 600, 510, 1000}));
  EXPECT_EQ(FitIntoWorkArea({-50, -20, 450, 380}, kWork), (TPlaceRect{0, 0, 450, 380}));
  EXPECT_EQ(FitIntoWorkArea({100, 100, 600, 500}, kWork), (TPlaceRect{100, 100, 600, 500}));
}

TEST(Placement, LargerThanTheWorkAreaEndsNarrowedAndShortened) {
  EXPECT_EQ(FitIntoWorkArea({100, 50, 1600, 1200}, kWork), (TPlaceRect{0, 0, 1280, 1000}));
  EXPECT_EQ(FitIntoWorkArea({INT32_MIN, 0, INT32_MAX, 10}, kWork), (TPlaceRect{0, 0, 1280, 10}));
}

TEST(Placement, LoadReadsTheFileAndKeepsTheWindowHidden) {
  TMapProfile p;
  p.Set(kPlacementSection, u"Left", u"1080");
  p.Set(kPlacementSection, u"Top", u"100");
  p.Set(kPlacementSection, u"Right", u"1480");  // 200 beyond the work area
  p.Set(kPlacementSection, u"Bottom", u"500");
  p.Set(kPlacementSection, u"MinX", u"-1");
  p.Set(kPlacementSection, u"ShowCmd", u"3");
  p.Set(kPlacementSection, u"flags", u"2");
  TPlacement current;
  current.fMinY = 7;
  current.fShowCmd = 1;
  const TPlacement r = LoadPlacement(p, current, {0, 0, 500, 390}, kWork, true);
  EXPECT_EQ(r.fNormal, (TPlaceRect{880, 100, 1280, 500}));
  EXPECT_EQ(r.fMinX, -1);
  EXPECT_EQ(r.fMinY, 7) << "missing keys keep the current record";
  EXPECT_EQ(r.fShowCmd, 0) << "hidden; the maximised state is not restored";
  EXPECT_EQ(r.fFlags, 2);
}

// A size written at one scale and read at another keeps the window's physical size, and the
// window stays on the screen.
TEST(Placement, ASizeWrittenAtAnotherScaleIsScaledAndKeptOnTheScreen) {
  const TPlaceRect work{0, 0, 1280, 1000};
  const auto read = [&](const char16_t* vWritten, std::int32_t vNow) {
    TMapProfile p;
    p.Set(kPlacementSection, u"Left", u"100");
    p.Set(kPlacementSection, u"Top", u"50");
    p.Set(kPlacementSection, u"Right", u"600");   // 500 wide
    p.Set(kPlacementSection, u"Bottom", u"450");  // 400 high
    if (vWritten) p.Set(kPlacementSection, u"PixelsPerInch", vWritten);
    TPlacement current;
    current.fDpi = vNow;
    return LoadPlacement(p, current, {0, 0, 500, 400}, work, true);
  };
  EXPECT_EQ(read(nullptr, 96).fNormal, (TPlaceRect{100, 50, 600, 450})) << "earlier files: 96";
  EXPECT_EQ(read(nullptr, 192).fNormal, (TPlaceRect{100, 50, 1100, 850}));
  EXPECT_EQ(read(u"192", 96).fNormal, (TPlaceRect{100, 50, 350, 250}));
  EXPECT_EQ(read(u"144", 144).fNormal, (TPlaceRect{100, 50, 600, 450}));
  // Too wide for the screen at the new scale: moved left, then cut to the work area.
  EXPECT_EQ(read(u"96", 288).fNormal, (TPlaceRect{0, 0, 1280, 1000}));
  EXPECT_EQ(read(u"0", 192).fNormal, (TPlaceRect{100, 50, 600, 450})) << "a nonsense scale";
  EXPECT_EQ(read(u"96", 192).fDpi, 192);
}

TEST(Placement, MissingKeysCentreTheWindowInTheWorkArea) {
  TMapProfile p;
  const TPlaceRect work{100, 0, 1380, 1000};
  const TPlacement r = LoadPlacement(p, {}, {0, 0, 500, 390}, work, false);
  EXPECT_EQ(r.fNormal, (TPlaceRect{490, 305, 990, 695}));
}

TEST(Placement, SavedInWritingOrder) {
  TPlacement pl;
  pl.fNormal = {1, 2, 3, 4};
  pl.fShowCmd = 3;
  pl.fDpi = 144;
  const auto e = PlacementEntries(pl, true);
  ASSERT_EQ(e.size(), 11u);
  const char16_t* const keys[] = {u"Left", u"Top",  u"Right", u"Bottom",  u"MinX",  u"MinY",
                                  u"MaxX", u"MaxY", u"ShowCmd", u"flags", u"PixelsPerInch"};
  for (std::size_t i = 0; i < e.size(); ++i) EXPECT_EQ(e[i].first, keys[i]);
  EXPECT_EQ(e[8].second, u"3");
  EXPECT_EQ(e[10].second, u"144");
  EXPECT_EQ(PlacementEntries(pl, false).size(), 8u);
}

// Pages through vHits hits 10 at a time as the buttons would, from the first page.
TEST(Paging, TwentyThreeHitsTenPerPage) {
  TPageState s{0, 10, false, true};
  s = NextPage(s, 10, 23);
  EXPECT_EQ(s, (TPageState{10, 10, true, true}));
  s = NextPage(s, 10, 23);
  EXPECT_EQ(s, (TPageState{20, 3, true, false}));
  s = PrevPage(s, 10);
  EXPECT_EQ(s, (TPageState{10, 10, true, true}));
  s = PrevPage(s, 10);
  EXPECT_EQ(s, (TPageState{0, 10, false, true}));
}

TEST(Paging, ExactlyTwentyHitsDisablesNextOnTheSecondPage) {
  const TPageState s = NextPage({0, 10, false, true}, 10, 20);
  EXPECT_EQ(s, (TPageState{10, 10, true, false}));
}

TEST(Paging, PreviousAfterPerPageGrewStopsAtZero) {
  const TPageState s = PrevPage({20, 3, true, false}, 50);
  EXPECT_EQ(s.fPageBeg, 0);
  EXPECT_FALSE(s.fPrevEnabled);
  EXPECT_EQ(s.fRows, 50);
}

TEST(Paging, HitsDuringASearch) {
  std::int32_t rows = 0;
  for (std::int32_t n = 0; n < 10; ++n) {
    const THitStep h = AddHit(n, 0, 10, rows);
    EXPECT_TRUE(h.fShown);
    EXPECT_EQ(h.fRow, n) << "each hit becomes the selected row";
    EXPECT_FALSE(h.fEnableNext);
    rows = h.fRows;
  }
  const THitStep eleventh = AddHit(10, 0, 10, rows);
  EXPECT_TRUE(eleventh.fEnableNext);
  EXPECT_FALSE(eleventh.fShown);
  EXPECT_EQ(eleventh.fRows, 10);
  EXPECT_EQ(eleventh.fRow, -1);
  // On the second page, not yet full, the page grows.
  const THitStep grow = AddHit(13, 10, 10, 3);
  EXPECT_EQ(grow.fRows, 4);
  EXPECT_EQ(grow.fRow, 3);
}

TEST(Actions, SearchNeedsTheCriteriaPageTextAndNoThread) {
  TWindowState s;
  s.fBasicTextEmpty = false;
  EXPECT_TRUE(ActionStates(s).fSearch);
  s.fThreadRunning = true;
  EXPECT_FALSE(ActionStates(s).fSearch);
  EXPECT_TRUE(ActionStates(s).fStop);
  s.fThreadRunning = false;
  s.fPage = 1;
  EXPECT_FALSE(ActionStates(s).fSearch) << "disabled on the results page";
  s.fPage = 0;
  s.fBasicTextEmpty = true;
  EXPECT_FALSE(ActionStates(s).fSearch);
  s.fBasicTextEmpty = false;
  s.fTimeValid = false;
  EXPECT_FALSE(ActionStates(s).fSearch) << "a time limit without a range";
  s.fAdvancedTab = s.fAdvancedValid = true;
  EXPECT_FALSE(ActionStates(s).fSearch);
}

TEST(Actions, AdvancedTabUsesTheAdvancedCondition) {
  TWindowState s;
  s.fAdvancedTab = true;
  s.fBasicTextEmpty = false;
  EXPECT_FALSE(ActionStates(s).fSearch);
  EXPECT_FALSE(ActionStates(s).fSave);
  s.fAdvancedValid = true;
  EXPECT_TRUE(ActionStates(s).fSearch);
  EXPECT_TRUE(ActionStates(s).fSave);
  s.fAdvancedTab = false;
  EXPECT_FALSE(ActionStates(s).fSave) << "Save only on the Advanced tab";
}

TEST(Actions, BackForwardAndDetail) {
  TWindowState s;
  EXPECT_FALSE(ActionStates(s).fBack);
  EXPECT_FALSE(ActionStates(s).fForward);
  s.fSearched = true;
  EXPECT_TRUE(ActionStates(s).fForward) << "back to the last results";
  s.fPage = 1;
  EXPECT_TRUE(ActionStates(s).fBack);
  EXPECT_FALSE(ActionStates(s).fForward) << "no hit opened yet";
  EXPECT_FALSE(ActionStates(s).fKDetail);
  s.fDetailEmpty = false;
  s.fRowSelected = true;
  EXPECT_TRUE(ActionStates(s).fForward);
  EXPECT_TRUE(ActionStates(s).fKDetail);
  s.fPage = 2;
  EXPECT_FALSE(ActionStates(s).fForward);
  EXPECT_FALSE(ActionStates(s).fKDetail);
  EXPECT_FALSE(ActionStates(s).fRegedit);
  s.fRegEditKnown = true;
  EXPECT_TRUE(ActionStates(s).fRegedit);
}

TEST(Actions, ExportNeedsHitsAndNothingRunning) {
  TWindowState s;
  s.fPage = 1;
  EXPECT_FALSE(ActionStates(s).fExport) << "no hits";
  s.fHits = true;
  EXPECT_TRUE(ActionStates(s).fExport);
  s.fThreadRunning = true;
  EXPECT_FALSE(ActionStates(s).fExport) << "the hits are still growing";
  s.fThreadRunning = false;
  s.fLoading = true;
  EXPECT_FALSE(ActionStates(s).fExport);
  EXPECT_TRUE(ActionStates(s).fStop) << "Stop gives up the load";
  EXPECT_FALSE(ActionStates(s).fSearchFile);
}

TEST(Actions, AFileSearchedHasNoDetailNorEditorButCanGoBack) {
  TWindowState s;
  s.fPage = 1;
  s.fRowSelected = true;
  s.fRegEditKnown = true;
  s.fBasicTextEmpty = false;
  EXPECT_TRUE(ActionStates(s).fSearchFile);
  EXPECT_FALSE(ActionStates(s).fSearchRegistry) << "the registry is searched already";
  s.fFileSearched = true;
  const TActionStates a = ActionStates(s);
  EXPECT_FALSE(a.fKDetail);
  EXPECT_FALSE(a.fRegedit);
  EXPECT_TRUE(a.fSearchRegistry);
  EXPECT_TRUE(a.fSearchFile) << "another file may be picked";
  s.fThreadRunning = true;
  EXPECT_FALSE(ActionStates(s).fSearchRegistry) << "not under a running search";
  EXPECT_FALSE(ActionStates(s).fSearchFile);
}

TEST(Actions, CopyNeedsAKeyOnTheShownPageAndAValueForNameAndData) {
  TWindowState s;
  s.fCopyKey = s.fCopyValue = true;
  EXPECT_FALSE(ActionStates(s).fCopyKey) << "nothing to copy from the criteria page";
  s.fPage = 1;
  TActionStates a = ActionStates(s);
  EXPECT_TRUE(a.fCopyKey && a.fCopyValue && a.fCopyData);
  s.fCopyValue = false;  // a key hit
  a = ActionStates(s);
  EXPECT_TRUE(a.fCopyKey);
  EXPECT_FALSE(a.fCopyValue || a.fCopyData);
  s.fCopyKey = false;
  s.fCopyValue = true;
  EXPECT_FALSE(ActionStates(s).fCopyData) << "no key, no value";
}

TEST(Texts, EndProgressAndCaptions) {
  EXPECT_EQ(EndText(stOverflow, 1000), u"Found 1000 items (the maximum)");
  EXPECT_EQ(EndText(stFinished, 23), u"Found 23 items");
  EXPECT_EQ(EndText(stStopped, 37), u"Found 37 items before being stopped");
  EXPECT_EQ(EndText(stWorking, 0), u"Found 0 items before being stopped");
  EXPECT_EQ(ProgressText(300, 4), u"Hits: 4, Keys searched: 300");
  EXPECT_EQ(PrevCaption(25), u"&< Previous 25");
  EXPECT_EQ(NextCaption(25), u"Next 25 &>");
  EXPECT_EQ(RowNumberText(51), u"51. ");
}

TEST(Texts, HintParts) {
  EXPECT_EQ(LongHint(u"Back|Back to previous page"), u"Back to previous page");
  EXPECT_EQ(ShortHint(u"Back|Back to previous page"), u"Back");
  EXPECT_EQ(LongHint(u"no bar"), u"no bar");
  EXPECT_EQ(LongHint(u"a|b|c"), u"b|c");
  EXPECT_EQ(LongHint(u""), u"");
}

}  // namespace
}  // namespace corvane
