// The simple search with a regular expression against the plain search, over the synthetic
// registry: a pattern that is a plain literal against the plain search for the same text,
// and a GUID pattern; each in turn, RUNS times, with the medians and their ratios to the
// plain search.
//   regex_bench [keys] [values] [runs] [literal] [pattern]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "search/memregistry.h"
#include "search/searchthread.h"
#include "synthreg.h"

using namespace corvane;

namespace {

struct TTimes {
  std::vector<double> fCpu, fWall;
  std::int32_t fHits = 0;
  std::int32_t fTooCostly = 0;
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  bench::TSynthShape shape;
  if (argc > 1) shape.fKeys = static_cast<std::uint32_t>(std::atoi(argv[1]));
  if (argc > 2) shape.fValues = static_cast<std::uint32_t>(std::atoi(argv[2]));
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
  const TText literal = argc > 4 ? FromUtf8(argv[4]) : TText(u"shell32");
  const TText pattern = argc > 5 ? FromUtf8(argv[5]) : TText(u"\\{[0-9a-f-]{36}\\}");

  TMemRegistry reg;
  bench::FillSynthetic(reg, shape);
  std::printf("registry: %llu keys, %llu values\n",
              static_cast<unsigned long long>(reg.KeyCount()),
              static_cast<unsigned long long>(reg.ValueCount()));

  TGuiSync sync;
  TSearchHost host;
  host.fSync = &sync;
  host.fNewCursor = reg.Factory();
  auto time = [&](const TText& vText, bool vRegex, TTimes& vTimes) {
    std::int32_t hits = 0;
    const auto t0 = std::chrono::steady_clock::now();
    const std::clock_t c0 = std::clock();
    TSearchThread t(vText, false, 0x7FFFFFFF, [&](const TResult&) { ++hits; }, nullptr, host);
    if (vRegex) t.MatchAsRegex();
    t.Start();
    t.WaitFor();
    vTimes.fCpu.push_back(double(std::clock() - c0) / CLOCKS_PER_SEC);
    vTimes.fWall.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    vTimes.fHits = hits;
    vTimes.fTooCostly = t.TooCostly();
  };

  TTimes plain, literalRegex, guid;
  for (int i = 0; i < runs; ++i) {
    // Each round in another order, so that no search always runs first.
    const int order = i % 3;
    for (int j = 0; j < 3; ++j) {
      switch ((order + j) % 3) {
        case 0: time(literal, false, plain); break;
        case 1: time(literal, true, literalRegex); break;
        default: time(pattern, true, guid); break;
      }
    }
    std::printf("round %d: plain %.3f s, literal regex %.3f s, pattern %.3f s\n", i + 1,
                plain.fCpu.back(), literalRegex.fCpu.back(), guid.fCpu.back());
  }
  const double base = Median(plain.fCpu);
  std::printf("processor time, medians of %d runs:\n", runs);
  std::printf("plain search \"%s\":  %.3f s (%d hits)\n", ToUtf8(literal).c_str(), base,
              plain.fHits);
  std::printf("regex \"%s\":         %.3f s (%d hits), ratio %.2f\n", ToUtf8(literal).c_str(),
              Median(literalRegex.fCpu), literalRegex.fHits, Median(literalRegex.fCpu) / base);
  std::printf("regex \"%s\": %.3f s (%d hits, %d given up), ratio %.2f\n",
              ToUtf8(pattern).c_str(), Median(guid.fCpu), guid.fHits, guid.fTooCostly,
              Median(guid.fCpu) / base);
  std::printf("on the clock: plain %.3f s, literal regex %.3f s (%.2f), pattern %.3f s (%.2f)\n",
              Median(plain.fWall), Median(literalRegex.fWall),
              Median(literalRegex.fWall) / Median(plain.fWall), Median(guid.fWall),
              Median(guid.fWall) / Median(plain.fWall));
  return 0;
}
