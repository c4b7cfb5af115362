#include "synthreg.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace corvane::bench {
namespace {

const char16_t* const kWords[] = {
    u"Software", u"Microsoft", u"Windows", u"CurrentVersion", u"Explorer", u"Classes",
    u"Interface", u"TypeLib", u"Services", u"Parameters", u"Control", u"Settings", u"Policies",
    u"Shell", u"Extensions", u"Components", u"Installer", u"Fonts", u"Drivers", u"Devices",
    u"Network", u"Security", u"Profiles", u"Options", u"Defaults", u"History", u"Cache"};

TText Word(std::mt19937& vRng) { return kWords[vRng() % (sizeof(kWords) / sizeof(kWords[0]))]; }

TText Guid(std::mt19937& vRng) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  TText g = u"{";
  for (int i = 0; i < 32; ++i) {
    if (i == 8 || i == 12 || i == 16 || i == 20) g += u'-';
    g += kHex[vRng() & 15];
  }
  return g + u"}";
}

}  // namespace

void FillSynthetic(TMemRegistry& vReg, const TSynthShape& vShape) {
  std::mt19937 rng(vShape.fSeed);
  const TKeyHandle roots[] = {kHKCU, kHKLM, kHKLM, kHKLM, kHKU};
  // Keys: each new key goes below a random earlier key, which gives a bushy tree of
  // moderate depth.
  struct TNode {
    TKeyHandle fRoot;
    TText fPath;
  };
  std::vector<TNode> nodes;
  nodes.reserve(vShape.fKeys);
  for (std::uint32_t i = 0; i < vShape.fKeys; ++i) {
    TText name = (rng() % 3 == 0) ? Guid(rng) : Word(rng) + FromUtf8(std::to_string(i));
    TNode n;
    if (nodes.empty() || rng() % 50 == 0) {
      n.fRoot = roots[rng() % 5];
      n.fPath = name;
    } else {
      const TNode& parent = nodes[nodes.size() - 1 - (rng() % std::min<std::size_t>(nodes.size(), 400))];
      n.fRoot = parent.fRoot;
      n.fPath = parent.fPath + u"\\" + name;
      if (std::count(n.fPath.begin(), n.fPath.end(), u'\\') > 30) n.fPath = name;
    }
    vReg.Key(n.fRoot, n.fPath);
    nodes.push_back(std::move(n));
  }
  for (std::uint32_t i = 0; i < vShape.fValues; ++i) {
    const TNode& k = nodes[rng() % nodes.size()];
    const TText name = (i % 11 == 0) ? TText() : Word(rng) + FromUtf8(std::to_string(i % 977));
    switch (rng() % 10) {
      case 0:
      case 1:
        vReg.SetDword(k.fRoot, k.fPath, name, rng());
        break;
      case 2: {
        std::vector<std::uint8_t> bin(rng() % 200);
        for (auto& b : bin) b = std::uint8_t(rng());
        vReg.SetValue(k.fRoot, k.fPath, name, kRegBinary, std::move(bin));
        break;
      }
      case 3:
        vReg.SetText(k.fRoot, k.fPath, name, u"%SystemRoot%\\system32\\" + Word(rng) + u".dll",
                     kRegExpandSz);
        break;
      default: {
        TText text = u"C:\\Program Files\\" + Word(rng) + u"\\" + Word(rng) + u" " +
                     FromUtf8(std::to_string(rng() % 100000));
        if (rng() % 8 == 0) text += TText(rng() % 400, u'x');
        vReg.SetText(k.fRoot, k.fPath, name, text);
      }
    }
  }
}

}  // namespace corvane::bench
