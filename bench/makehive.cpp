// Writes a large hive file for the hive benchmark: the synthetic registry's five roots as the
// keys below one root, and the extreme shapes of real hives beside them: 100,000 subkeys
// under one key (an index root), a 1 MB value (big data) and a chain of 512 levels.
//   makehive FILE [KEYS VALUES]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "support/hivewriter.h"
#include "synthreg.h"

using namespace corvane;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: makehive FILE [KEYS VALUES]\n");
    return 2;
  }
  bench::TSynthShape shape;
  shape.fKeys = argc > 3 ? std::uint32_t(std::atol(argv[2])) : 500000;
  shape.fValues = argc > 3 ? std::uint32_t(std::atol(argv[3])) : 1000000;
  TMemRegistry reg;
  bench::FillSynthetic(reg, shape);

  // The extremes, below the local machine's root before it joins the others.
  for (int i = 0; i < 100000; ++i) reg.Key(kHKLM, u"Extremes\\Wide\\Sub" + FromUtf8(std::to_string(i)));
  std::vector<std::uint8_t> big(1 << 20);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = std::uint8_t('a' + i % 26);
  reg.SetValue(kHKLM, u"Extremes\\Big", u"OneMegabyte", kRegBinary, std::move(big));
  TText deep = u"Extremes\\Deep";
  for (int level = 1; level < 511; ++level) deep += u"\\L" + FromUtf8(std::to_string(level));
  reg.SetText(kHKLM, deep, u"bottom", u"the deepest value");

  TMemKey root;
  for (const auto& info : kSearchOrder) {
    if (info.fHandle == kHKCR) continue;  // a view of the local machine's classes
    std::shared_ptr<TMemKey> key = reg.Root(info.fHandle);
    key->fName = info.fShortName;
    root.fSubkeys.push_back(key);
  }
  std::sort(root.fSubkeys.begin(), root.fSubkeys.end(),
            [](const auto& a, const auto& b) { return CompareFoldWide(a->fName, b->fName) < 0; });
  test::THiveWriterOptions options;
  options.fLayout = false;
  const test::THiveImage image = test::WriteHive(root, options);
  std::ofstream out(argv[1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(image.fBytes.data()), std::streamsize(image.fBytes.size()));
  if (!out) {
    std::fprintf(stderr, "makehive: %s could not be written\n", argv[1]);
    return 1;
  }
  std::printf("%s: %zu bytes, %llu keys, %llu values\n", argv[1], image.fBytes.size(),
              static_cast<unsigned long long>(reg.KeyCount()),
              static_cast<unsigned long long>(reg.ValueCount()));
  return 0;
}
