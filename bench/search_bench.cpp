// The simple search over a large in-memory registry, against a bare walk of the same
// registry that touches every name and data byte without matching.
//   search_bench [keys] [values] [text]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "search/memregistry.h"
#include "search/searchthread.h"
#include "synthreg.h"

using namespace corvane;

namespace {

double Seconds(const std::function<void()>& vWork) {
  const auto t0 = std::chrono::steady_clock::now();
  vWork();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Opens every key by its full path, lists values and subkeys, reads every value.
std::uint64_t BareWalk(TRegCursor& vCursor, const TText& vPath, std::uint64_t& vKeys) {
  if (!vCursor.OpenRead(vPath)) return 0;
  ++vKeys;
  std::uint64_t sum = 0;
  std::vector<std::uint8_t> buf;
  for (const TText& name : vCursor.ValueNames()) {
    for (char16_t c : name) sum += c;
    std::uint32_t type = 0, size = 0;
    if (!vCursor.QueryValue(name, type, size)) continue;
    buf.assign(size, 0);
    if (!vCursor.ReadValue(name, buf.data(), type, size)) continue;
    for (std::uint8_t b : buf) sum += b;
  }
  for (const TText& sub : vCursor.SubkeyNames()) {
    for (char16_t c : sub) sum += c;
    sum += BareWalk(vCursor, vPath + u"\\" + sub, vKeys);
  }
  return sum;
}

}  // namespace

int main(int argc, char** argv) {
  bench::TSynthShape shape;
  if (argc > 1) shape.fKeys = static_cast<std::uint32_t>(std::atoi(argv[1]));
  if (argc > 2) shape.fValues = static_cast<std::uint32_t>(std::atoi(argv[2]));
  const TText text = argc > 3 ? FromUtf8(argv[3]) : TText(u"shell32");

  TMemRegistry reg;
  const double build = Seconds([&] { bench::FillSynthetic(reg, shape); });
  std::printf("registry: %llu keys, %llu values (built in %.2f s)\n",
              static_cast<unsigned long long>(reg.KeyCount()),
              static_cast<unsigned long long>(reg.ValueCount()), build);

  std::uint64_t keys = 0, sum = 0;
  const double bare = Seconds([&] {
    auto cursor = reg.NewCursor();
    for (const auto& r : kSearchOrder) {
      cursor->SelectRoot(r.fHandle);
      sum += BareWalk(*cursor, TText(), keys);
    }
  });

  TGuiSync sync;
  TSearchHost host;
  host.fSync = &sync;
  host.fNewCursor = reg.Factory();
  std::int32_t hits = 0, total = 0;
  TStatus status = stReady;
  const double search = Seconds([&] {
    TSearchThread t(
        text, false, 0x7FFFFFFF,
        [&](const TText&, const TText&, const TText&, std::int32_t, std::int32_t, std::int32_t,
            std::int32_t, std::int32_t, std::int32_t, TKeyHandle) { ++hits; },
        [&](std::int32_t vTotal, std::int32_t) { total = vTotal; }, host);
    t.OnTerminate = [&](TThread&) { status = t.Status(); };
    t.Start();
    t.WaitFor();
  });
  std::printf("bare walk:     %.3f s (%llu keys, checksum %llu)\n", bare,
              static_cast<unsigned long long>(keys), static_cast<unsigned long long>(sum % 1000));
  std::printf("simple search: %.3f s (%d hits for \"%s\", status %d, %d keys at last progress)\n",
              search, hits, ToUtf8(text).c_str(), int(status), total);
  std::printf("ratio search/bare: %.2f\n", search / bare);
  return 0;
}
