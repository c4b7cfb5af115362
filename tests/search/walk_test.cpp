#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "search/memregistry.h"
#include "search/registry.h"
#include "support/recorder.h"

namespace corvane {
namespace {

using test::TSearchRun;
using Lines = std::vector<std::string>;

const std::string kDash = "\u2014\u2014";

class Walk : public testing::Test {
 protected:
  TMemRegistry reg;
};

TEST_F(Walk, RootOrderSortingAndPaths) {
  reg.SetText(kHKCR, u"zz", u"hit", u"x");
  reg.SetText(kHKCC, u"hit", u"v", u"x");
  reg.SetText(kHKU, u"hit", u"v", u"x");
  reg.SetText(kHKLM, u"SOFTWARE\\Example", u"b-hit", u"x");
  reg.SetText(kHKLM, u"SOFTWARE\\Example", u"A-hit", u"x");
  reg.SetText(kHKCU, u"Beta", u"HIT", u"x");
  reg.SetText(kHKCU, u"alpha", u"hit", u"x");
  TSearchRun run(reg.Factory());
  run.Simple(u"hit");
  EXPECT_EQ(run.Run(), stFinished);
  EXPECT_EQ(run.fRec.Marked(), (Lines{
      "HKEY_CURRENT_USER\\alpha | [hit] | " + kDash,
      "HKEY_CURRENT_USER\\beta | [HIT] | " + kDash,
      "HKEY_LOCAL_MACHINE\\software\\example | A-[hit] | " + kDash,
      "HKEY_LOCAL_MACHINE\\software\\example | b-[hit] | " + kDash,
      "HKEY_USERS\\[hit] | " + kDash + " | " + kDash,
      "HKEY_CURRENT_CONFIG\\[hit] | " + kDash + " | " + kDash,
      "HKEY_CLASSES_ROOT\\zz | [hit] | " + kDash,
  }));
  EXPECT_EQ(run.fRec.fHits[0].fRoot, kHKCU);
  EXPECT_EQ(run.fRec.fHits[2].fRoot, kHKLM);
  EXPECT_EQ(run.fRec.fHits[6].fRoot, kHKCR);
  EXPECT_EQ(run.fEndCalls, 1);
}

// A registry of one root (a hive file) is walked once, under its own name, whatever roots
// the criteria name; like the five roots' names, its name takes no part in matching.
TEST_F(Walk, ASingleRootIsWalkedOnceUnderItsName) {
  reg.SetText(kHKLM, u"Microsoft\\Run", u"hit", u"x");
  reg.SetText(kHKCU, u"hit", u"v", u"x");  // another root: not part of the hive
  TSearchRun run(reg.Factory());
  run.fHost.fSingleRoot = u"SOFTWARE-hit";
  run.Simple(u"hit");
  EXPECT_EQ(run.Run(), stFinished);
  EXPECT_EQ(run.fRec.Marked(), (Lines{"SOFTWARE-hit\\microsoft\\run | [hit] | " + kDash}));
  ASSERT_EQ(run.fRec.fHits.size(), 1u);
  EXPECT_EQ(run.fRec.fHits[0].fRoot, kHKLM);

  TSearchRun crit(reg.Factory());
  crit.fHost.fSingleRoot = u"SYSTEM";
  TComplexCriteria run1;
  run1.fKeyCrit = {EncodeNameCrit(u"run", mtEquals)};
  run1.fRoots = TRootKeySet(1 << rHKCU);
  crit.Criteria(std::move(run1));
  EXPECT_EQ(crit.Run(), stFinished);
  EXPECT_EQ(crit.fRec.Marked(), (Lines{"SYSTEM\\microsoft\\[run] |  | "}));
}

TEST_F(Walk, KeyNameHitOnceUnlessValuesMatch) {
  reg.SetText(kHKCU, u"Software\\Run", u"Other", u"nothing");
  reg.SetText(kHKCU, u"Software\\Run\\Sub", u"x", u"y");
  reg.SetText(kHKCU, u"Software\\RunOnce", u"Runner", u"c:\\run.exe");
  reg.SetText(kHKCU, u"Software\\RunOnce", u"plain", u"nothing");
  TSearchRun run(reg.Factory());
  run.Simple(u"run");
  EXPECT_EQ(run.Run(), stFinished);
  EXPECT_EQ(run.fRec.Marked(), (Lines{
      "HKEY_CURRENT_USER\\software\\[run] | " + kDash + " | " + kDash,
      "HKEY_CURRENT_USER\\software\\[run]once | [Run]ner | c:\\[run].exe",
  }));
}

TEST_F(Walk, DefaultValueAndDwordByNumber) {
  reg.SetText(kHKCU, u"K", u"", u"find me");
  reg.SetDword(kHKCU, u"K", u"Count", 65);
  TSearchRun run(reg.Factory());
  run.Simple(u"me");
  run.Run();
  EXPECT_EQ(run.fRec.Marked(), (Lines{"HKEY_CURRENT_USER\\k |  | find [me]"}));
  TSearchRun byNumber(reg.Factory());
  byNumber.Simple(u"65");
  byNumber.Run();
  EXPECT_EQ(byNumber.fRec.Marked(), (Lines{"HKEY_CURRENT_USER\\k | Count | 0x00000041 (65)"}));
}

TEST_F(Walk, AliasKeysAreCountedButSkipped) {
  reg.SetText(kHKLM, u"SOFTWARE\\Classes\\hit", u"v", u"x");
  reg.SetText(kHKLM, u"SOFTWARE\\Clients\\hit", u"v", u"x");
  const std::vector<TText> aliases = {u"HKEY_LOCAL_MACHINE\\SOFTWARE\\CLASSES"};
  TSearchRun run(reg.Factory(), &aliases);
  run.Simple(u"hit");
  run.Run();
  EXPECT_EQ(run.fRec.Marked(),
            (Lines{"HKEY_LOCAL_MACHINE\\software\\clients\\[hit] | " + kDash + " | " + kDash}));
  // The alias key is counted but never opened, nor is anything below it.
  std::vector<TText> opened;
  reg.fOnOpen = [&](TKeyHandle, TTextView path) { opened.emplace_back(path); };
  TSearchRun again(reg.Factory(), &aliases);
  again.Simple(u"hit");
  again.Run();
  for (const auto& p : opened) EXPECT_EQ(p.find(u"Classes"), TText::npos) << ToUtf8(p);
  EXPECT_EQ(opened.size(), 8u);  // the five roots, SOFTWARE, Clients, Clients\hit
}

// Builds n keys below HKCU\Flat, each with one value.
void Flat(TMemRegistry& reg, int n) {
  for (int i = 0; i < n; ++i) {
    TText name = u"k" + FromUtf8(std::to_string(1000 + i));
    reg.SetText(kHKCU, u"Flat\\" + name, u"v", u"hit");
  }
}

TEST_F(Walk, ProgressEveryHundredKeysNeverAtTheEnd) {
  // 5 roots + Flat + 93 keys = 99 keys: no progress at all.
  Flat(reg, 93);
  TSearchRun run(reg.Factory());
  run.Simple(u"none");
  run.Run();
  EXPECT_TRUE(run.fRec.fProgress.empty());

  TMemRegistry big;
  Flat(big, 294);  // 300 keys
  TSearchRun run2(big.Factory());
  run2.Simple(u"hit");
  run2.Run();
  ASSERT_EQ(run2.fRec.fProgress.size(), 3u);
  EXPECT_EQ(run2.fRec.fProgress[0].first, 100);
  EXPECT_EQ(run2.fRec.fProgress[2].first, 300);
  // HKCU, Flat, 98 keys entered; the 100th key's progress comes before its own hit.
  EXPECT_EQ(run2.fRec.fProgress[0].second, 97);
}

// Every hand-off makes the worker wait for the GUI thread. Without a progress report the
// walk hands off its hits only; with one, every 100th key as well.
TEST_F(Walk, NoHandOffForProgressNobodyAsksFor) {
  Flat(reg, 994);  // 1,000 keys
  for (const bool withProgress : {false, true}) {
    int steps = 0;  // hand-offs run on this thread
    TGuiSync sync;
    TSearchHost host;
    host.fSync = &sync;
    host.fNewCursor = reg.Factory();
    int hits = 0, reports = 0;
    TProgProc progress;
    if (withProgress) progress = [&reports](std::int32_t, std::int32_t) { ++reports; };
    TSearchThread t(u"k10", false, 1000, [&hits](const TResult&) { ++hits; }, progress, host);
    t.Start();
    while (!t.Finished()) {
      steps += sync.RunPending();
      (void)sync.WaitPending(std::chrono::milliseconds(20));
    }
    steps += sync.RunPending();
    EXPECT_EQ(hits, 100) << withProgress;  // k1000 to k1099
    EXPECT_EQ(reports, withProgress ? 10 : 0);
    EXPECT_EQ(steps, hits + reports) << withProgress;
  }
}

TEST_F(Walk, AliasKeysCountInTheProgressTotal) {
  // HKCU, Flat, 93 keys, HKLM, HKU, HKCC, HKCR: 99 keys; the alias key below HKCR is the
  // 100th and brings the one progress report. What lies below it is not counted.
  Flat(reg, 93);
  for (int i = 0; i < 5; ++i) reg.Key(kHKCR, u"Zalias\\below" + FromUtf8(std::to_string(i)));
  const std::vector<TText> aliases = {u"HKEY_CLASSES_ROOT\\ZALIAS"};
  TSearchRun run(reg.Factory(), &aliases);
  run.Simple(u"hit");
  EXPECT_EQ(run.Run(), stFinished);
  EXPECT_EQ(run.fRec.fHits.size(), 93u);
  EXPECT_EQ(run.fRec.fProgress, (std::vector<std::pair<std::int32_t, std::int32_t>>{{100, 93}}));
  // The criteria search counts it the same way.
  TSearchRun crit(reg.Factory(), &aliases);
  TComplexCriteria k10;
  k10.fKeyCrit = {EncodeNameCrit(u"k10", mtContains)};
  crit.Criteria(std::move(k10), 1000);
  EXPECT_EQ(crit.Run(), stFinished);
  EXPECT_EQ(crit.fRec.fProgress, (std::vector<std::pair<std::int32_t, std::int32_t>>{{100, 93}}));
}

TEST_F(Walk, MaximumEndsRightAfterTheLastHit) {
  Flat(reg, 50);
  TSearchRun run(reg.Factory());
  run.Simple(u"hit", false, 10);
  EXPECT_EQ(run.Run(), stOverflow);
  EXPECT_EQ(run.fRec.fHits.size(), 10u);
}

TEST_F(Walk, StopFinishesTheValueInHand) {
  for (int i = 0; i < 20; ++i)
    reg.SetText(kHKCU, u"Long", u"v" + FromUtf8(std::to_string(10 + i)), u"hit");
  reg.SetText(kHKCU, u"Later", u"v", u"hit");
  TSearchRun run(reg.Factory());
  TSearchThread& t = run.Simple(u"hit");
  run.fRec.fOnHit = [&](const test::TRecordedHit&) {
    if (run.fRec.fHits.size() == 3) t.Terminate();
  };
  EXPECT_EQ(run.Run(), stStopped);
  // The request is seen before the fourth value is tested, which is still finished.
  EXPECT_EQ(run.fRec.fHits.size(), 4u);
}

TEST_F(Walk, StopThenMaximumGivesOverflow) {
  Flat(reg, 5);
  TSearchRun run(reg.Factory());
  TSearchThread& t = run.Simple(u"hit", false, 1);
  t.Terminate();
  // Stopped at the first key: nothing reported.
  EXPECT_EQ(run.Run(), stStopped);
  EXPECT_TRUE(run.fRec.fHits.empty());

  TMemRegistry one;
  for (int i = 0; i < 3; ++i) one.SetText(kHKCU, u"One", u"v" + FromUtf8(std::to_string(i)), u"hit");
  TSearchRun run2(one.Factory());
  TSearchThread& t2 = run2.Simple(u"hit", false, 2);
  run2.fRec.fOnHit = [&](const test::TRecordedHit&) { t2.Terminate(); };
  EXPECT_EQ(run2.Run(), stOverflow);
  EXPECT_EQ(run2.fRec.fHits.size(), 2u);
}

TEST_F(Walk, UnreadableKeysAndValuesAreSkipped) {
  reg.SetText(kHKCU, u"Locked\\Inner", u"hit", u"x");
  reg.Key(kHKCU, u"Locked").fDenyMask = 0xFFFFFFFF;
  reg.SetText(kHKCU, u"Values", u"hit-query", u"x").fFailQuery = true;
  reg.SetText(kHKCU, u"Values", u"hit-read", u"x").fFailRead = true;
  reg.SetText(kHKCU, u"Values", u"hit-ok", u"x");
  TSearchRun run(reg.Factory());
  run.Simple(u"hit");
  EXPECT_EQ(run.Run(), stFinished);
  EXPECT_EQ(run.fRec.Marked(), (Lines{"HKEY_CURRENT_USER\\values | [hit]-ok | " + kDash}));
}

TEST_F(Walk, KeyNameHitWhenItsMatchingValuesCannotBeRead) {
  reg.SetText(kHKCU, u"Run", u"Runner", u"x").fFailRead = true;
  reg.SetText(kHKCU, u"Run", u"RunOnce", u"x").fFailQuery = true;
  reg.SetText(kHKCU, u"Run", u"other", u"nothing");
  reg.SetText(kHKCU, u"RunToo", u"Runner", u"x").fFailRead = true;
  reg.SetText(kHKCU, u"RunToo", u"runs", u"x");
  TSearchRun run(reg.Factory());
  run.Simple(u"run");
  EXPECT_EQ(run.Run(), stFinished);
  EXPECT_EQ(run.fRec.Marked(), (Lines{"HKEY_CURRENT_USER\\[run] | " + kDash + " | " + kDash,
                                      "HKEY_CURRENT_USER\\[run]too | [run]s | " + kDash}));
}

TEST_F(Walk, QueryOnlyAccessSearchesValuesButNotSubkeys) {
  reg.SetText(kHKCU, u"Q", u"hit", u"x");
  reg.SetText(kHKCU, u"Q\\Below", u"hit", u"x");
  reg.Key(kHKCU, u"Q").fDenyMask = 0x0008;  // no enumeration of subkeys
  TSearchRun run(reg.Factory());
  run.Simple(u"hit");
  run.Run();
  EXPECT_EQ(run.fRec.Marked(), (Lines{"HKEY_CURRENT_USER\\q | [hit] | " + kDash}));
  EXPECT_EQ(reg.fLastGranted, kAccessRead);
}

TEST_F(Walk, KeyVanishingMidSearch) {
  reg.SetText(kHKCU, u"A", u"hit", u"x");
  reg.SetText(kHKCU, u"B\\C", u"hit", u"x");
  reg.SetText(kHKCU, u"D", u"hit", u"x");
  reg.fOnOpen = [&](TKeyHandle, TTextView path) {
    if (path == u"\\A") reg.RemoveTree(kHKCU, u"B");
  };
  TSearchRun run(reg.Factory());
  run.Simple(u"hit");
  EXPECT_EQ(run.Run(), stFinished);
  EXPECT_EQ(run.fRec.Marked(), (Lines{"HKEY_CURRENT_USER\\a | [hit] | " + kDash,
                                      "HKEY_CURRENT_USER\\d | [hit] | " + kDash}));
}

TEST_F(Walk, ErrorInACallbackIsContainedAtTheKey) {
  reg.SetText(kHKCU, u"A", u"hit1", u"x");
  reg.SetText(kHKCU, u"A", u"hit2", u"x");
  reg.SetText(kHKCU, u"A\\Sub", u"hit", u"x");
  reg.SetText(kHKCU, u"B", u"hit", u"x");
  TSearchRun run(reg.Factory());
  run.Simple(u"hit");
  run.fRec.fOnHit = [&](const test::TRecordedHit& h) {
    if (h.fVal == u"hit1") throw std::runtime_error("boom");
  };
  EXPECT_EQ(run.Run(), stFinished);
  EXPECT_EQ(run.fRec.Marked(), (Lines{"HKEY_CURRENT_USER\\a | [hit]1 | " + kDash,
                                      "HKEY_CURRENT_USER\\b | [hit] | " + kDash}));
}

// A chain of keys deeper than the cap: the keys down to level kMaxKeyDepth are searched, the
// last of them by its name and its values too; nothing below it is entered. The walk then
// goes on with the next root and finishes as usual, in the simple and the criteria search.
TEST_F(Walk, DeepTreeEndsAtTheDepthCap) {
  const int deepest = kMaxKeyDepth + 8;
  // Level i's key is "k<i>"; the keys at the cap and one level below it are "hit<i>".
  auto name = [](int vLevel) {
    const std::string n = std::to_string(vLevel);
    return FromUtf8((vLevel >= kMaxKeyDepth && vLevel <= kMaxKeyDepth + 1 ? "hit" : "k") + n);
  };
  std::vector<TText> paths(1);  // paths[i]: the key on level i
  for (int i = 1; i <= deepest; ++i)
    paths.push_back((i > 1 ? paths.back() + u"\\" : u"") + name(i));
  for (int level : {1, kMaxKeyDepth, kMaxKeyDepth + 1, deepest})
    reg.SetText(kHKCU, paths[std::size_t(level)], u"hit", u"x");
  reg.SetText(kHKLM, u"hitnext", u"hit", u"x");
  std::string atCap = "HKEY_CURRENT_USER";
  for (int i = 1; i < kMaxKeyDepth; ++i) atCap += "\\k" + std::to_string(i);
  atCap += "\\[hit]" + std::to_string(kMaxKeyDepth);

  TSearchRun simple(reg.Factory());
  simple.Simple(u"hit");
  EXPECT_EQ(simple.Run(), stFinished);
  EXPECT_EQ(simple.fEndCalls, 1);
  EXPECT_EQ(simple.fRec.Marked(),
            (Lines{"HKEY_CURRENT_USER\\k1 | [hit] | " + kDash, atCap + " | [hit] | " + kDash,
                   "HKEY_LOCAL_MACHINE\\[hit]next | [hit] | " + kDash}));

  TSearchRun keys(reg.Factory());
  TComplexCriteria hit;
  hit.fKeyCrit = {EncodeNameCrit(u"hit", mtContains)};
  keys.Criteria(std::move(hit), 1000);
  EXPECT_EQ(keys.Run(), stFinished);
  EXPECT_EQ(keys.fEndCalls, 1);
  EXPECT_EQ(keys.fRec.Marked(), (Lines{atCap + " |  | ", "HKEY_LOCAL_MACHINE\\[hit]next |  | "}));
}

TEST_F(Walk, ThreadIsReleasedOnlyAfterItEnded) {
  Flat(reg, 200);
  TSearchRun run(reg.Factory());
  run.Simple(u"hit");
  run.fThread->OnTerminate = [&](TThread& t) { EXPECT_FALSE(t.Finished()); };
  run.fThread->Start();
  // Destroying the object waits for the worker while running its hand-offs.
  run.fThread.reset();
  EXPECT_EQ(run.fRec.fHits.size(), 200u);
}

// Reports that follow each other closely are taken by one wake of the GUI thread, in order;
// one that comes later wakes it again.
TEST(GuiSync, CloseStepsShareOneWake) {
  std::atomic<int> wakes{0};
  TGuiSync sync([&] { ++wakes; });
  std::vector<int> order;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    for (int i = 0; i < 200; ++i) sync.Run([&order, i] { order.push_back(i); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // longer than a wait
    sync.Run([&order] { order.push_back(200); });
    done = true;
  });
  int answered = 0;
  while (!done) {
    if (wakes > answered) {
      answered = wakes;
      sync.RunPendingFor(std::chrono::milliseconds(5000));
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  worker.join();
  ASSERT_EQ(order.size(), 201u);
  for (int i = 0; i <= 200; ++i) EXPECT_EQ(order[std::size_t(i)], i);
  EXPECT_GE(wakes.load(), 2);
  EXPECT_LT(wakes.load(), 100);
}

}  // namespace
}  // namespace corvane
