// The walk's results over a generated registry of a few thousand keys, against fingerprints
// recorded from the walk that read every value by name (size query, then read), and against
// the by-name listing run through today's walk.
#include <gtest/gtest.h>

#include <random>

#include "search/memregistry.h"
#include "support/forwardcursor.h"
#include "support/recorder.h"

namespace corvane {
namespace {

const char16_t* const kWords[] = {u"Software", u"Shell", u"Classes", u"CurrentVersion", u"Explorer",
                                  u"Path",     u"Run",   u"Files",   u"Devices",        u"Settings",
                                  u"Options",  u"open",  u"command"};
constexpr std::size_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);

// Keys of mixed depth under every root, the classes root shown from the local machine's
// classes (an alias key), values of every kind, keys that refuse access, values that cannot
// be read, and a key that vanishes while the walk is under way.
void Generate(TMemRegistry& vReg) {
  std::mt19937 rng(20261209);
  vReg.LinkRoot(kHKCR, kHKLM, u"Software\\Classes");
  const TKeyHandle roots[] = {kHKCU, kHKLM, kHKLM, kHKU, kHKCC, kHKCR};
  std::vector<std::pair<TKeyHandle, TText>> keys;
  for (int i = 0; i < 3000; ++i) {
    const TText word = kWords[rng() % kWordCount];
    const TText name = rng() % 4 == 0 ? word : word + FromUtf8(std::to_string(rng() % 300));
    std::pair<TKeyHandle, TText> k;
    if (keys.empty() || rng() % 20 == 0) {
      k = {roots[rng() % 6], name};
    } else {
      const auto& parent = keys[keys.size() - 1 - rng() % std::min<std::size_t>(keys.size(), 60)];
      k = {parent.first, parent.second + u"\\" + name};
    }
    if (std::count(k.second.begin(), k.second.end(), u'\\') > 12) k.second = name;
    TMemKey& key = vReg.Key(k.first, k.second);
    if (rng() % 97 == 0) key.fDenyMask = 0x0008;       // values but no subkeys
    if (rng() % 151 == 0) key.fDenyMask = 0xFFFFFFFF;  // nothing
    keys.push_back(std::move(k));
  }
  for (int i = 0; i < 9000; ++i) {
    const auto& k = keys[rng() % keys.size()];
    const TText name =
        i % 13 == 0 ? TText()
                    : TText(kWords[rng() % kWordCount]) + FromUtf8(std::to_string(rng() % 40));
    switch (rng() % 9) {
      case 0:
      case 1:
        vReg.SetDword(k.first, k.second, name, rng() % 3 ? rng() % 200 : rng());
        break;
      case 2: {
        std::vector<std::uint8_t> bin(rng() % 120);
        for (auto& b : bin) b = std::uint8_t(rng() % 3 ? 'a' + rng() % 26 : rng());
        vReg.SetValue(k.first, k.second, name,
                      rng() % 5 ? std::uint32_t(kRegBinary) : 11 + rng() % 3, std::move(bin));
        break;
      }
      case 3:
        vReg.SetText(k.first, k.second, name,
                     u"%SystemRoot%\\system32\\" + TText(kWords[rng() % kWordCount]) + u".dll",
                     kRegExpandSz);
        break;
      case 4:
        vReg.SetValue(k.first, k.second, name, kRegMultiSz,
                      TextBytes(u"shell32.dll\u0000open\u0000"));
        break;
      default: {
        TText text = u"C:\\Program Files\\" + TText(kWords[rng() % kWordCount]) + u" " +
                     FromUtf8(std::to_string(rng() % 1000));
        if (rng() % 10 == 0) text = TText(rng() % 300, u'x') + text + TText(rng() % 300, u'y');
        vReg.SetText(k.first, k.second, name, text);
      }
    }
  }
  // Unreadable values, named so that no search below finds them by name.
  for (int i = 0; i < 40; ++i) {
    const auto& k = keys[rng() % keys.size()];
    vReg.SetText(k.first, k.second, u"Qzlockd", u"shell 12").fFailRead = true;
    vReg.SetText(k.first, k.second, u"Qzhiddn", u"shell 12").fFailQuery = true;
  }
  vReg.SetText(kHKCU, u"Vanish\\Later", u"Shell", u"12");
  vReg.Key(kHKCU, u"Vanish\\Early");
  vReg.fOnOpen = [&vReg](TKeyHandle vRoot, TTextView vPath) {
    if (vRoot == kHKCU && vPath == u"\\Vanish\\Early") vReg.RemoveTree(kHKCU, u"Vanish\\Later");
  };
}

struct TFingerprint {
  std::size_t fHits;
  std::uint64_t fHash;
  bool operator==(const TFingerprint&) const = default;
};

std::ostream& operator<<(std::ostream& vOut, const TFingerprint& vPrint) {
  return vOut << "{" << vPrint.fHits << "u, 0x" << std::hex << vPrint.fHash << std::dec << "ull}";
}

void Mix(std::uint64_t& vHash, const std::string& vText) {
  for (unsigned char c : vText) vHash = (vHash ^ c) * 0x100000001b3ull;
  vHash = (vHash ^ 0xff) * 0x100000001b3ull;
}

// Every field of every hit, the progress reports and the final status.
TFingerprint Print(const test::TSearchRun& vRun, TStatus vStatus) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (const auto& h : vRun.fRec.fHits) {
    Mix(hash, ToUtf8(h.fKey) + "|" + ToUtf8(h.fVal) + "|" + ToUtf8(h.fDat));
    for (std::int64_t n : {std::int64_t(h.fKeySt), std::int64_t(h.fValSt), std::int64_t(h.fDatSt),
                           std::int64_t(h.fKeyLn), std::int64_t(h.fValLn), std::int64_t(h.fDatLn),
                           std::int64_t(h.fRoot)})
      Mix(hash, std::to_string(n));
  }
  for (const auto& [total, count] : vRun.fRec.fProgress)
    Mix(hash, std::to_string(total) + "/" + std::to_string(count));
  Mix(hash, std::to_string(int(vStatus)));
  return {vRun.fRec.fHits.size(), hash};
}

TNameCritList Names(std::initializer_list<std::pair<std::int32_t, const char16_t*>> v) {
  TNameCritList l;
  for (auto& [m, t] : v) l.push_back(EncodeNameCrit(t, m));
  return l;
}

TDatCritList Data(
    std::initializer_list<std::tuple<std::int32_t, const char16_t*, std::int32_t>> v) {
  TDatCritList l;
  for (auto& [m, t, d] : v) l.push_back(EncodeDatCrit(t, m, d));
  return l;
}

// The searches, each over a fresh registry through cursors from vWrap.
std::vector<TFingerprint> RunAll(const std::function<TCursorFactory(TCursorFactory)>& vWrap) {
  static const TFoldCompare fold;  // the same order on every platform
  const std::vector<TText> aliases = {u"HKEY_LOCAL_MACHINE\\SOFTWARE\\CLASSES"};
  std::vector<TFingerprint> prints;
  auto run = [&](const std::function<void(test::TSearchRun&)>& vMake) {
    TMemRegistry reg;
    Generate(reg);
    test::TSearchRun r(vWrap(reg.Factory()), &aliases);
    r.fHost.fCompare = &fold;
    vMake(r);
    const TStatus status = r.Run();
    prints.push_back(Print(r, status));
  };
  auto criteria = [](test::TSearchRun& r, TNameCritList k, TNameCritList v, TDatCritList d,
                     bool all, TRootKeySet roots = TRootKeySet::All(), std::int32_t max = 1000000) {
    r.fThread = std::make_unique<TSearchThread>(k, v, std::move(d), all, all, all, false, max,
                                                roots, r.fRec.Found(), r.fRec.Progress(), r.fHost);
  };
  run([](test::TSearchRun& r) { r.Simple(u"shell"); });
  run([](test::TSearchRun& r) { r.Simple(u"12"); });
  run([](test::TSearchRun& r) { r.Simple(u"FILES", true); });
  run([](test::TSearchRun& r) { r.Simple(u"e", false, 300); });
  run([](test::TSearchRun& r) {
    TSearchThread& t = r.Simple(u"a");
    r.fRec.fOnHit = [&r, &t](const test::TRecordedHit&) {
      if (r.fRec.fHits.size() == 150) t.Terminate();
    };
  });
  run([&](test::TSearchRun& r) {
    criteria(r, Names({{mtContains, u"soft"}, {mtEquals, u"shell"}}), {}, {}, false);
  });
  run([&](test::TSearchRun& r) {
    criteria(r, {}, Names({{mtContains, u"path"}}), Data({{mtContains, u"dll", 0}}), false);
  });
  run([&](test::TSearchRun& r) {
    criteria(r, Names({{mtNotContains, u"x"}}), Names({{mtEquals, u""}}),
             Data({{mtNotEquals, u"abc", 0}}), true);
  });
  run([&](test::TSearchRun& r) {
    criteria(r, {}, {}, Data({{mtDataType, u"", 1}}), false,
             TRootKeySet((1 << rHKCU) | (1 << rHKLM)));
  });
  run([&](test::TSearchRun& r) {
    criteria(r, Names({{mtContains, u"e"}}), Names({{mtContains, u"s"}, {mtNotEquals, u"run"}}),
             Data({{mtContains, u"files", 0}, {mtNotEquals, u"x", 0}}), true);
  });
  run([&](test::TSearchRun& r) {
    criteria(r, {}, Names({{mtContains, u"o"}}), {}, false, TRootKeySet::All(), 500);
  });
  run([&](test::TSearchRun& r) {
    criteria(r, {}, {}, Data({{mtContains, u"1", 0}}), false);
    TSearchThread& t = *r.fThread;
    r.fRec.fOnHit = [&t](const test::TRecordedHit&) { t.Terminate(); };
  });
  return prints;
}

TEST(Unchanged, HitsMatchTheRecordedWalk) {
  const std::vector<TFingerprint> recorded = {
      {1833u, 0xacbefcacbddd6184ull}, {353u, 0x7728a841e2745a70ull}, {719u, 0x51ee8febf3f48867ull},
      {300u, 0x25e3712d59dc0f65ull},  {150u, 0x250f4008f1c3e54ull},  {270u, 0x29533b92dd22641aull},
      {134u, 0x6e3d14274d608d20ull},  {491u, 0xa250725320d7374ull},  {733u, 0x9ed982ac3ac2348ull},
      {1454u, 0xbc5a48ca5e7cd60full}, {500u, 0xb0ae60f4c3769d68ull}, {1u, 0x5228acd8b1ffe6f8ull},
  };
  const auto prints = RunAll([](TCursorFactory f) { return f; });
  EXPECT_EQ(prints, recorded);
}

TEST(Unchanged, OnePassListingEqualsTheListingByName) {
  const auto byName = RunAll([](TCursorFactory f) { return test::ByNameCursors(f); });
  const auto onePass = RunAll([](TCursorFactory f) { return f; });
  EXPECT_EQ(onePass, byName);
  for (const auto& p : onePass) EXPECT_GT(p.fHits, 0u);
}

}  // namespace
}  // namespace corvane
