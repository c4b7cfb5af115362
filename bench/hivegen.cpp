// Writes a large hive file for benchmarks: the synthetic registry of synthreg.h below one
// root key (a key for each of its roots), with what weighs most on a hive reader added: one
// key with 100,000 subkeys (an index root over leaf lists), a 1 MB value in big data
// segments and a chain of keys 512 levels deep.
//   hivegen FILE [keys] [values]        (defaults: 500000 keys, 1000000 values)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "support/hivewriter.h"
#include "synthreg.h"

using namespace corvane;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: hivegen FILE [keys] [values]\n");
    return 2;
  }
  bench::TSynthShape shape;
  shape.fKeys = argc > 2 ? static_cast<std::uint32_t>(std::atoi(argv[2])) : 500000;
  shape.fValues = argc > 3 ? static_cast<std::uint32_t>(std::atoi(argv[3])) : 1000000;
  TMemRegistry reg;
  bench::FillSynthetic(reg, shape);

  for (std::uint32_t i = 0; i < 100000; ++i) {
    TText name = DecimalText(i);
    name.insert(0, 6 - name.size(), u'0');
    reg.Key(kHKLM, u"Wide\\K" + name);
  }
  std::vector<std::uint8_t> mega(1u << 20);
  for (std::size_t i = 0; i < mega.size(); ++i) mega[i] = std::uint8_t(i * 131 + (i >> 12));
  reg.SetValue(kHKLM, u"Big", u"MegaByte", kRegBinary, std::move(mega));
  TText deep = u"Deep";
  for (int i = 1; i < 512; ++i) deep += u"\\D" + DecimalText(i);
  reg.SetText(kHKLM, deep, u"bottom", u"512 levels down");

  TMemKey root;
  root.fName = u"SYNTHETIC";
  for (const auto& r : kSearchOrder) root.fSubkeys.push_back(reg.Root(r.fHandle));
  std::sort(root.fSubkeys.begin(), root.fSubkeys.end(),
            [](const auto& a, const auto& b) { return CompareFoldWide(a->fName, b->fName) < 0; });

  test::THiveWriterOptions options;
  options.fLayout = false;
  const test::THiveImage image = test::WriteHive(root, options);
  std::ofstream out(argv[1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(image.fBytes.data()),
            static_cast<std::streamsize>(image.fBytes.size()));
  if (!out.flush()) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  std::printf("%s: %llu bytes, %llu keys, %llu values\n", argv[1],
              static_cast<unsigned long long>(image.fBytes.size()),
              static_cast<unsigned long long>(reg.KeyCount() + 1),
              static_cast<unsigned long long>(reg.ValueCount()));
  return 0;
}
