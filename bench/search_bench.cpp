// The simple search over a large in-memory registry (or a hive file), against a bare walk of
// the same registry that touches every name and data byte without matching; both in turn,
// RUNS times, with every time, the best and the median.
//   search_bench [keys] [values] [text] [runs]
//   search_bench --hive FILE [text] [runs]      (the hive under the local machine's root)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "search/hiveregistry.h"
#include "search/memregistry.h"
#include "search/searchthread.h"
#include "synthreg.h"

using namespace corvane;

namespace {

// Processor time of the whole process (both threads of the search): on a busy machine it
// varies far less than the time on the clock.
double gLastWall = 0;
double Seconds(const std::function<void()>& vWork) {
  const auto t0 = std::chrono::steady_clock::now();
  const std::clock_t c0 = std::clock();
  vWork();
  const std::clock_t c1 = std::clock();
  gLastWall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  return double(c1 - c0) / CLOCKS_PER_SEC;
}

// Every key opened below its parent, its values listed with their data in one pass, every
// name and data byte touched: the floor for any walk over this registry.
std::uint64_t BareWalk(TRegCursor& vCursor, const TText& vName, bool vRoot, TValueList& vList,
                       std::uint64_t& vKeys) {
  if (!(vRoot ? vCursor.OpenRead(TText()) : vCursor.OpenSubkeyRead(vName))) return 0;
  ++vKeys;
  std::uint64_t sum = 0;
  if (vCursor.ListValues(vList, true)) {
    for (const TValueEntry& e : vList.fValues) {
      for (char16_t c : e.fName) sum += c;
      for (std::uint32_t i = 0; i < e.fSize; ++i) sum += vList.Data(e)[i];
    }
  }
  for (const TText& sub : vCursor.SubkeyNames()) {
    for (char16_t c : sub) sum += c;
    sum += BareWalk(vCursor, sub, false, vList, vKeys);
  }
  vCursor.CloseSubkey();
  return sum;
}

// A hive shown under the local machine's root only; the other roots hold nothing.
class TOneRootCursor final : public TRegCursor {
 public:
  explicit TOneRootCursor(std::unique_ptr<TRegCursor> vInner) : fIn(std::move(vInner)) {}
  void SelectRoot(TKeyHandle r) override {
    fShown = r == kHKLM;
    fIn->SelectRoot(r);
  }
  void CloseKey() override { fIn->CloseKey(); }
  bool OpenRead(TTextView p) override { return fShown && fIn->OpenRead(p); }
  bool OpenSubkeyRead(TTextView n) override { return fShown && fIn->OpenSubkeyRead(n); }
  void CloseSubkey() override { fIn->CloseSubkey(); }
  std::vector<TText> SubkeyNames() override { return fIn->SubkeyNames(); }
  std::vector<TText> ValueNames() override { return fIn->ValueNames(); }
  bool QueryValue(TTextView n, std::uint32_t& t, std::uint32_t& z) override {
    return fIn->QueryValue(n, t, z);
  }
  bool ReadValue(TTextView n, std::uint8_t* b, std::uint32_t& t, std::uint32_t& z) override {
    return fIn->ReadValue(n, b, t, z);
  }
  bool ListValues(TValueList& l, bool d) override { return fIn->ListValues(l, d); }
  bool OpenFull(TTextView) override { return false; }
  bool OpenReadAccess(TTextView p) override { return fShown && fIn->OpenReadAccess(p); }
  bool CreateSubkey(TTextView) override { return false; }
  void WriteText(TTextView n, TTextView t) override { fIn->WriteText(n, t); }
  TText ReadText(TTextView n) override { return fIn->ReadText(n); }
  std::uint32_t ReadNumber(TTextView n) override { return fIn->ReadNumber(n); }
  bool KeyExists(TTextView p) override { return fShown && fIn->KeyExists(p); }
  bool DeleteKey(TTextView) override { return false; }
  bool RootKeyInfo(TKeyHandle r, TKeyInfo& i) override { return fIn->RootKeyInfo(r, i); }
  bool OpenKeyInfo(TKeyInfo& i) override { return fIn->OpenKeyInfo(i); }

 private:
  std::unique_ptr<TRegCursor> fIn;
  bool fShown = false;
};

}  // namespace

int main(int argc, char** argv) {
  // Text and runs are the third and fourth argument either way.
  const bool fromHive = argc > 2 && std::string(argv[1]) == "--hive";
  const TText text = argc > 3 ? FromUtf8(argv[3]) : TText(u"shell32");
  const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 5;

  TMemRegistry reg;
  std::unique_ptr<THiveRegistry> hive;
  TCursorFactory factory;
  if (fromHive) {
    TText error;
    const double open = Seconds([&] { hive = THiveRegistry::Open(FromUtf8(argv[2]), error); });
    if (!hive) {
      std::fprintf(stderr, "%s\n", ToUtf8(error).c_str());
      return 1;
    }
    std::printf("hive: %llu keys, %llu values (opened in %.3f s)\n",
                static_cast<unsigned long long>(hive->KeyCount()),
                static_cast<unsigned long long>(hive->ValueCount()), open);
    factory = [&hive] { return std::make_unique<TOneRootCursor>(hive->NewCursor()); };
  } else {
    bench::TSynthShape shape;
    if (argc > 1) shape.fKeys = static_cast<std::uint32_t>(std::atoi(argv[1]));
    if (argc > 2) shape.fValues = static_cast<std::uint32_t>(std::atoi(argv[2]));
    const double build = Seconds([&] { bench::FillSynthetic(reg, shape); });
    std::printf("registry: %llu keys, %llu values (built in %.2f s)\n",
                static_cast<unsigned long long>(reg.KeyCount()),
                static_cast<unsigned long long>(reg.ValueCount()), build);
    factory = reg.Factory();
  }

  std::uint64_t keys = 0, sum = 0;
  auto bare = [&] {
    keys = sum = 0;
    auto cursor = factory();
    TValueList list;
    for (const auto& r : kSearchOrder) {
      cursor->SelectRoot(r.fHandle);
      sum += BareWalk(*cursor, TText(), true, list, keys);
    }
  };

  TGuiSync sync;
  TSearchHost host;
  host.fSync = &sync;
  host.fNewCursor = factory;
  std::int32_t hits = 0, total = 0;
  TStatus status = stReady;
  auto search = [&] {
    hits = total = 0;
    TSearchThread t(
        text, false, 0x7FFFFFFF,
        [&](const TResult&) { ++hits; },
        [&](std::int32_t vTotal, std::int32_t) { total = vTotal; }, host);
    t.OnTerminate = [&](TThread&) { status = t.Status(); };
    t.Start();
    t.WaitFor();
  };

  std::vector<double> bareTimes, searchTimes, bareWall, searchWall;
  auto timeBare = [&] {
    bareTimes.push_back(Seconds(bare));
    bareWall.push_back(gLastWall);
  };
  auto timeSearch = [&] {
    searchTimes.push_back(Seconds(search));
    searchWall.push_back(gLastWall);
  };
  for (int i = 0; i < runs; ++i) {
    // Each round starts with the other program.
    if (i % 2 == 0) {
      timeBare();
      timeSearch();
    } else {
      timeSearch();
      timeBare();
    }
    std::printf("round %d: bare walk %.3f s (%.3f s on the clock), simple search %.3f s (%.3f s)\n",
                i + 1, bareTimes.back(), bareWall.back(), searchTimes.back(), searchWall.back());
  }
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
  };
  auto best = [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); };
  std::printf("processor time:\n");
  std::printf("bare walk:     best %.3f s, median %.3f s (%llu keys, checksum %llu)\n",
              best(bareTimes), median(bareTimes), static_cast<unsigned long long>(keys),
              static_cast<unsigned long long>(sum % 1000));
  std::printf(
      "simple search: best %.3f s, median %.3f s (%d hits for \"%s\", status %d, %d keys at last "
      "progress)\n",
      best(searchTimes), median(searchTimes), hits, ToUtf8(text).c_str(), int(status), total);
  std::printf("ratio search/bare: median %.2f, best %.2f\n",
              median(searchTimes) / median(bareTimes), best(searchTimes) / best(bareTimes));
  std::printf("on the clock: bare walk median %.3f s, simple search median %.3f s, ratio %.2f\n",
              median(bareWall), median(searchWall), median(searchWall) / median(bareWall));
  return 0;
}
