// The walk's results over a generated registry of a few thousand keys, against transcripts
// recorded from the walk that read every value by name (size query, then read) and the
// fingerprints taken from that walk, and against the by-name listing run through today's walk.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <string_view>

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

// One search's transcript: a line per hit, then a line per progress report and one for the
// status. A line is a tag and the items the fingerprint mixes, each after a tab; control
// characters and '~' in an item are written as "~HH", so a line holds no tab or break of
// its own.
struct TWalkLog {
  std::string fName;
  std::vector<std::string> fLines;
};

std::string Escaped(const std::string& vItem) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : vItem) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || c == '~') {
      out += '~';
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

std::string Unescaped(std::string_view vItem) {
  std::string out;
  for (std::size_t i = 0; i < vItem.size(); ++i) {
    if (vItem[i] == '~' && i + 2 < vItem.size()) {
      out += char(std::stoi(std::string(vItem.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      out += vItem[i];
    }
  }
  return out;
}

// Every field of every hit, the progress reports and the final status.
TWalkLog Log(const std::string& vName, const test::TSearchRun& vRun, TStatus vStatus) {
  TWalkLog log{vName, {}};
  for (const auto& h : vRun.fRec.fHits) {
    std::string line =
        "hit\t" + Escaped(ToUtf8(h.fKey) + "|" + ToUtf8(h.fVal) + "|" + ToUtf8(h.fDat));
    for (std::int64_t n : {std::int64_t(h.fKeySt), std::int64_t(h.fValSt), std::int64_t(h.fDatSt),
                           std::int64_t(h.fKeyLn), std::int64_t(h.fValLn), std::int64_t(h.fDatLn),
                           std::int64_t(h.fRoot)})
      line += "\t" + std::to_string(n);
    log.fLines.push_back(std::move(line));
  }
  for (const auto& [total, count] : vRun.fRec.fProgress)
    log.fLines.push_back("progress\t" + std::to_string(total) + "/" + std::to_string(count));
  log.fLines.push_back("status\t" + std::to_string(int(vStatus)));
  return log;
}

void Mix(std::uint64_t& vHash, const std::string& vText) {
  for (unsigned char c : vText) vHash = (vHash ^ c) * 0x100000001b3ull;
  vHash = (vHash ^ 0xff) * 0x100000001b3ull;
}

// The hit count and the hash of every item of every line, tags left out.
TFingerprint Print(const TWalkLog& vLog) {
  TFingerprint print{0, 0xcbf29ce484222325ull};
  for (const std::string& line : vLog.fLines) {
    std::size_t at = line.find('\t');
    if (line.compare(0, at, "hit") == 0) ++print.fHits;
    while (at != std::string::npos) {
      const std::size_t end = line.find('\t', at + 1);
      Mix(print.fHash, Unescaped(std::string_view(line).substr(at + 1, end - at - 1)));
      at = end;
    }
  }
  return print;
}

std::vector<TFingerprint> Prints(const std::vector<TWalkLog>& vLogs) {
  std::vector<TFingerprint> prints;
  for (const TWalkLog& log : vLogs) prints.push_back(Print(log));
  return prints;
}

// Fails at the first line where two transcripts of the same search part, showing both.
void ExpectSameLog(const char* vWantSide, const TWalkLog& vWant, const char* vGotSide,
                   const TWalkLog& vGot) {
  const auto& want = vWant.fLines;
  const auto& got = vGot.fLines;
  std::size_t i = 0;
  while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
  if (i == want.size() && i == got.size()) return;
  auto line = [i](const std::vector<std::string>& v) {
    return i < v.size() ? v[i] : std::string("(no more lines)");
  };
  ADD_FAILURE() << "search \"" << vGot.fName << "\": line " << i + 1 << " is the first to differ ("
                << want.size() << " lines " << vWantSide << ", " << got.size() << " " << vGotSide
                << ")\n  after:  " << (i > 0 ? got[i - 1] : "(the start)") << "\n  " << vWantSide
                << ": " << line(want) << "\n  " << vGotSide << ": " << line(got);
}

void ExpectSameLogs(const char* vWantSide, const std::vector<TWalkLog>& vWant, const char* vGotSide,
                    const std::vector<TWalkLog>& vGot) {
  ASSERT_EQ(vWant.size(), vGot.size()) << "searches " << vWantSide << " and " << vGotSide;
  for (std::size_t i = 0; i < vWant.size(); ++i) {
    EXPECT_EQ(vWant[i].fName, vGot[i].fName);
    ExpectSameLog(vWantSide, vWant[i], vGotSide, vGot[i]);
  }
}

// The recorded transcripts: each search's lines after a line "search", tab, its name.
std::vector<TWalkLog> ReadLogs(const std::string& vPath) {
  std::ifstream in(vPath, std::ios::binary);
  std::vector<TWalkLog> logs;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();  // a checkout with CR LF
    if (line.rfind("search\t", 0) == 0)
      logs.push_back({line.substr(7), {}});
    else if (!logs.empty())
      logs.back().fLines.push_back(line);
  }
  return logs;
}

void WriteLogs(const std::string& vPath, const std::vector<TWalkLog>& vLogs) {
  std::ofstream out(vPath, std::ios::binary);
  for (const TWalkLog& log : vLogs) {
    out << "search\t" << log.fName << "\n";
    for (const std::string& line : log.fLines) out << line << "\n";
  }
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
std::vector<TWalkLog> RunAll(const std::function<TCursorFactory(TCursorFactory)>& vWrap) {
  static const TFoldCompare fold;  // the same order on every platform
  const std::vector<TText> aliases = {u"HKEY_LOCAL_MACHINE\\SOFTWARE\\CLASSES"};
  std::vector<TWalkLog> logs;
  auto run = [&](const char* vName, const std::function<void(test::TSearchRun&)>& vMake) {
    TMemRegistry reg;
    Generate(reg);
    test::TSearchRun r(vWrap(reg.Factory()), &aliases);
    r.fHost.fCompare = &fold;
    vMake(r);
    const TStatus status = r.Run();
    logs.push_back(Log(vName, r, status));
  };
  auto criteria = [](test::TSearchRun& r, TNameCritList k, TNameCritList v, TDatCritList d,
                     bool all, TRootKeySet roots = TRootKeySet::All(), std::int32_t max = 1000000) {
    TComplexCriteria crit;
    crit.fKeyCrit = std::move(k);
    crit.fValCrit = std::move(v);
    crit.fDatCrit = std::move(d);
    crit.fKeyAll = crit.fValAll = crit.fDatAll = all;
    crit.fRoots = roots;
    r.Criteria(std::move(crit), max);
  };
  run("shell", [](test::TSearchRun& r) { r.Simple(u"shell"); });
  run("12", [](test::TSearchRun& r) { r.Simple(u"12"); });
  run("FILES, data case-sensitive", [](test::TSearchRun& r) { r.Simple(u"FILES", true); });
  run("e, at most 300", [](test::TSearchRun& r) { r.Simple(u"e", false, 300); });
  run("a, stopped at hit 150", [](test::TSearchRun& r) {
    TSearchThread& t = r.Simple(u"a");
    r.fRec.fOnHit = [&r, &t](const test::TRecordedHit&) {
      if (r.fRec.fHits.size() == 150) t.Terminate();
    };
  });
  run("key contains soft or equals shell", [&](test::TSearchRun& r) {
    criteria(r, Names({{mtContains, u"soft"}, {mtEquals, u"shell"}}), {}, {}, false);
  });
  run("value contains path, data contains dll", [&](test::TSearchRun& r) {
    criteria(r, {}, Names({{mtContains, u"path"}}), Data({{mtContains, u"dll", 0}}), false);
  });
  run("key not x, default value, data not abc, all", [&](test::TSearchRun& r) {
    criteria(r, Names({{mtNotContains, u"x"}}), Names({{mtEquals, u""}}),
             Data({{mtNotEquals, u"abc", 0}}), true);
  });
  run("number data below HKCU and HKLM", [&](test::TSearchRun& r) {
    criteria(r, {}, {}, Data({{mtDataType, u"", 1}}), false,
             TRootKeySet((1 << rHKCU) | (1 << rHKLM)));
  });
  run("key e, value s not run, data files not x, all", [&](test::TSearchRun& r) {
    criteria(r, Names({{mtContains, u"e"}}), Names({{mtContains, u"s"}, {mtNotEquals, u"run"}}),
             Data({{mtContains, u"files", 0}, {mtNotEquals, u"x", 0}}), true);
  });
  run("value contains o, at most 500", [&](test::TSearchRun& r) {
    criteria(r, {}, Names({{mtContains, u"o"}}), {}, false, TRootKeySet::All(), 500);
  });
  run("data contains 1, stopped at the first hit", [&](test::TSearchRun& r) {
    criteria(r, {}, {}, Data({{mtContains, u"1", 0}}), false);
    TSearchThread& t = *r.fThread;
    r.fRec.fOnHit = [&t](const test::TRecordedHit&) { t.Terminate(); };
  });
  return logs;
}

// The recorded transcripts are those of the walk that read every value by name, as the
// fingerprints taken from it show; a failure names the first line that changed. With
// CORVANE_RECORD_WALK set to a file name, today's transcripts are written there, to be
// recorded after a change of the results that was meant (with their fingerprints).
TEST(Unchanged, HitsMatchTheRecordedWalk) {
  const std::vector<TFingerprint> recorded = {
      {1833u, 0xacbefcacbddd6184ull}, {353u, 0x7728a841e2745a70ull}, {719u, 0x51ee8febf3f48867ull},
      {300u, 0x25e3712d59dc0f65ull},  {150u, 0x250f4008f1c3e54ull},  {270u, 0x29533b92dd22641aull},
      {134u, 0x6e3d14274d608d20ull},  {491u, 0xa250725320d7374ull},  {733u, 0x9ed982ac3ac2348ull},
      {1454u, 0xbc5a48ca5e7cd60full}, {500u, 0xb0ae60f4c3769d68ull}, {1u, 0x5228acd8b1ffe6f8ull},
  };
  const auto logs = RunAll([](TCursorFactory f) { return f; });
  if (const char* path = std::getenv("CORVANE_RECORD_WALK")) WriteLogs(path, logs);
  const auto kept = ReadLogs(CORVANE_RECORDED_WALK);
  EXPECT_EQ(Prints(kept), recorded) << "the file " CORVANE_RECORDED_WALK;
  ExpectSameLogs("recorded", kept, "now", logs);
}

TEST(Unchanged, OnePassListingEqualsTheListingByName) {
  const auto byName = RunAll([](TCursorFactory f) { return test::ByNameCursors(f); });
  const auto onePass = RunAll([](TCursorFactory f) { return f; });
  ExpectSameLogs("by name", byName, "one pass", onePass);
  for (const auto& log : onePass) EXPECT_GT(Print(log).fHits, 0u) << log.fName;
}

}  // namespace
}  // namespace corvane
