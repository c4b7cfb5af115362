#include "about/verres.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/printers.h"

namespace corvane {
namespace {

using TBytes = std::vector<std::uint8_t>;
using TEntries = std::vector<std::pair<std::string, std::string>>;
using Lines = std::vector<TText>;

std::size_t Get16(const TBytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8);
}
void Put16(TBytes& b, std::size_t at, std::size_t v) {
  b[at] = std::uint8_t(v);
  b[at + 1] = std::uint8_t(v >> 8);
}
TBytes Words(std::initializer_list<std::uint32_t> vWords) {
  TBytes b;
  for (std::uint32_t v : vWords)
    for (int i = 0; i < 4; ++i, v >>= 8) b.push_back(std::uint8_t(v));
  return b;
}
TBytes Sz(const std::string& s, bool wide) {
  TBytes b;
  for (char c : s + '\0') {
    b.push_back(std::uint8_t(c));
    if (wide) b.push_back(0);
  }
  return b;
}

// A record as resource compilers lay it out: header, key, value, children, each 4-aligned.
TBytes Rec(const std::string& key, const TBytes& value, const std::vector<TBytes>& kids,
           bool wide) {
  TBytes r(wide ? 6 : 4, 0);
  const TBytes k = Sz(key, wide);
  r.insert(r.end(), k.begin(), k.end());
  r.resize((r.size() + 3) & ~std::size_t(3));
  r.insert(r.end(), value.begin(), value.end());
  for (const TBytes& kid : kids) {
    r.resize((r.size() + 3) & ~std::size_t(3));
    r.insert(r.end(), kid.begin(), kid.end());
  }
  Put16(r, 0, r.size());
  Put16(r, 2, value.size());
  return r;
}

TBytes Fixed(std::uint32_t vFileMS, std::uint32_t vFileLS, std::uint32_t vType,
             std::uint32_t vSignature = kFixedInfoSignature) {
  return Words(
      {vSignature, 0x10000, vFileMS, vFileLS, 0x50006, 0x70008, 0x3F, 0, 0x40004, vType, 0, 0, 0});
}

struct TShape {
  std::vector<std::pair<std::string, TEntries>> fTables;
  std::optional<std::vector<std::uint32_t>> fTranslations;  // language | code page << 16
  bool fWide = true;
  TBytes fFixed = Fixed(0x00010002, 0x00030004, 1);
};

TBytes Block(const TShape& s) {
  std::vector<TBytes> kids, tables;
  for (const auto& [lang, entries] : s.fTables) {
    std::vector<TBytes> strings;
    for (const auto& [name, value] : entries)
      strings.push_back(Rec(name, Sz(value, s.fWide), {}, s.fWide));
    tables.push_back(Rec(lang, {}, strings, s.fWide));
  }
  if (!tables.empty()) kids.push_back(Rec("StringFileInfo", {}, tables, s.fWide));
  if (s.fTranslations) {
    TBytes items;
    for (std::uint32_t t : *s.fTranslations) {
      const TBytes w = Words({t});
      items.insert(items.end(), w.begin(), w.end());
    }
    kids.push_back(Rec("VarFileInfo", {}, {Rec("Translation", items, {}, s.fWide)}, s.fWide));
  }
  return Rec("VS_VERSION_INFO", s.fFixed, kids, s.fWide);
}

const TEntries kEntries = {
    {"CompanyName", "Tamberlo"}, {"FileVersion", "1.2.3.4"}, {"Comments", ""}};

TEST(VerInfo, OneTableInEitherLayout) {
  for (const bool wide : {true, false}) {
    const TVerInfoObj info(Block({{{"040904E4", kEntries}}, {{0x04E40409}}, wide}));
    EXPECT_EQ(info.Status(), vsTables);
    EXPECT_EQ(info.Unicode(), wide);
    EXPECT_EQ(info.GetLanguage(0), u"040904E4");
    EXPECT_EQ(info.StrLangs()[0].List(),
              (Lines{u"CompanyName=Tamberlo", u"FileVersion=1.2.3.4", u"Comments="}));
    EXPECT_EQ(info.Count(), 3);
    EXPECT_EQ(info.GetString(1), u"FileVersion=1.2.3.4");
    EXPECT_EQ(info.GetValue(u"companyNAME"), u"Tamberlo");
    EXPECT_EQ(info.GetValue(u"Comments"), u"");
    EXPECT_EQ(info.GetLangValue(u"040904e4", u"FileVersion"), u"1.2.3.4");
    EXPECT_EQ(info.GetLangValue(u"040704B0", u"FileVersion"), u"");
    EXPECT_EQ(info.VarLangs(), (Lines{u"040904E4"}));
    TText report = u"stale";
    EXPECT_FALSE(info.LangProb(report));
    EXPECT_EQ(report, u"");
    EXPECT_EQ(info.FileVersion(), u"1.2.3.4");
    EXPECT_EQ(info.ProductVersion(), u"5.6.7.8");
    EXPECT_EQ(info.FileTypeS(), u"APP");
    EXPECT_THROW(info.GetLanguage(1), std::out_of_range);
    EXPECT_THROW(info.GetLangString(0, 3), std::out_of_range);
    EXPECT_THROW(info.GetString(-1), std::out_of_range);
  }
}

TEST(VerInfo, PreferredTableIsLineZero) {
  const std::vector<std::pair<std::vector<std::string>, Lines>> cases = {
      {{"040704B0", "040904E4"}, {u"040904E4", u"040704B0"}},
      {{"040904B0", "041104B0"}, {u"040904B0", u"041104B0"}},
      {{"041104B0", "040904B0"}, {u"040904B0", u"041104B0"}},
      {{"040704B0", "041104B0"}, {u"040704B0", u"041104B0"}},
      {{"040904B0", "040904e4"}, {u"040904E4", u"040904B0"}},
      {{"041104B0", "040904B0", "040704B0", "040904E4", "040904E4"},
       {u"040904E4", u"040904B0", u"041104B0", u"040704B0", u"040904E4"}},
  };
  for (const auto& [keys, expected] : cases) {
    TShape shape;
    for (std::size_t i = 0; i < keys.size(); ++i)
      shape.fTables.push_back({keys[i], {{"Index", std::to_string(i)}}});
    const TVerInfoObj info(Block(shape));
    Lines order;
    for (const TVerLangObj& t : info.StrLangs()) order.push_back(t.Language());
    EXPECT_EQ(order, expected);
    // Values reads the first table, in block order, with line 0's key.
    const auto first = std::find_if(keys.begin(), keys.end(), [&](const std::string& k) {
      return FoldAZ(FromUtf8(k)) == expected[0];
    });
    EXPECT_EQ(info.GetValue(u"Index"), FromUtf8(std::to_string(first - keys.begin())));
  }
}

TEST(VerInfo, LangProbReports) {
  TText report;
  EXPECT_TRUE(TVerInfoObj(Block({{{"040904E4", kEntries}, {"040704B0", kEntries}},
                                 {{0x04E40409, 0x04B00411}}}))
                  .LangProb(report));
  EXPECT_EQ(report,
            u"040704B0 ONLY StringFileInfo\r\n041104B0 ONLY VarFileInfo\r\n"
            u"040904E4 (both - OK)\r\n");
  EXPECT_TRUE(TVerInfoObj(Block({{{"041104B0", kEntries}}, std::nullopt})).LangProb(report));
  EXPECT_EQ(report, u"041104B0 ONLY StringFileInfo\r\n(NO VarFileInfo)\r\n");
  const TVerInfoObj neither(Block({{}, std::nullopt}));
  EXPECT_EQ(neither.Status(), vsNoTables);
  EXPECT_FALSE(neither.LangProb(report));
  EXPECT_EQ(report, u"");
  EXPECT_EQ(neither.GetString(7), u"");
}

TEST(VerInfo, FixedInfoTexts) {
  for (const auto& [type, text] : std::vector<std::pair<std::uint32_t, TText>>{
           {0, u"UNKNOWN"}, {5, u"VXD"}, {6, u""}, {7, u"STATIC_LIB"}, {8, u""}}) {
    const TVerInfoObj info(Block({{}, std::nullopt, true, Fixed(0xFFFF0000, 0x0000FFFF, type)}));
    EXPECT_EQ(info.FileTypeS(), text) << type;
    EXPECT_EQ(info.FileVersion(), u"65535.0.0.65535");
  }
  const TVerInfoObj unsigned_(Block({{}, std::nullopt, true, Fixed(0x10002, 0x30004, 1, 0)}));
  EXPECT_EQ(unsigned_.VFFI().dwFileVersionMS, 0x10002u);
  EXPECT_EQ(unsigned_.FileVersion(), u"");
  EXPECT_EQ(TVerInfoObj(Block({{}, std::nullopt, true, {}})).VFFI(), TFixedFileInfo{});
}

class TFakeSource final : public TVerSource {
 public:
  std::uint32_t InfoSize(const TText&) const override { return fSize; }
  bool ReadInfo(const TText& vFileName, std::span<std::uint8_t> vBuff) const override {
    if (vFileName != u"a.dll" || vBuff.size() != fSize || !fReadOk) return false;
    std::copy(fBlock.begin(), fBlock.end(), vBuff.begin());
    return true;
  }
  std::uint32_t fSize = 0;
  TBytes fBlock;
  bool fReadOk = true;
};

TEST(VerInfo, StatusOfReading) {
  TFakeSource source;
  source.fBlock = Block({{{"040904E4", kEntries}}, {{0x04E40409}}});
  TBytes other = source.fBlock;
  other[6] = 'W';  // the root key reads VS_VERSION_INFO in neither layout
  const TVerInfoObj none(u"a.dll", source), wrong(other);
  source.fSize = static_cast<std::uint32_t>(source.fBlock.size() + 40);  // room to spare
  source.fReadOk = false;
  const TVerInfoObj failed(u"a.dll", source);
  source.fReadOk = true;
  EXPECT_EQ(TVerInfoObj(u"a.dll", source).GetValue(u"FileVersion"), u"1.2.3.4");
  EXPECT_EQ(none.Status(), vsNoInfo);
  EXPECT_EQ(failed.Status(), vsReadFailed);
  EXPECT_EQ(wrong.Status(), vsWrongRoot);
  for (const TVerInfoObj* info : {&none, &failed, &wrong}) {
    EXPECT_EQ(info->LangCount() + info->Count(), 0);
    EXPECT_TRUE(info->VarLangs().empty());
    EXPECT_EQ(info->VFFI(), TFixedFileInfo{});
    EXPECT_EQ(info->FileTypeS(), u"UNKNOWN");
    EXPECT_EQ(info->FileVersion() + info->GetValue(u"FileVersion") + info->GetString(0), u"");
  }
}

// A record that cannot be trusted ends the walk of its level; what came before stays.
TEST(VerHostile, UntrustedRecordsEndTheirLevel) {
  const TBytes good = Block({{{"040904E4", {{"A", "1"}, {"B", "2"}}}}, {{0x04E40409}}});
  const auto at = [&](const std::string& key) {
    const TBytes k = Sz(key, true);
    return std::size_t(std::search(good.begin(), good.end(), k.begin(), k.end()) - good.begin()) -
           6;
  };
  const std::size_t b = at("B"), table = at("040904E4"), sfi = at("StringFileInfo");
  struct TCase {
    std::size_t fAt, fLength;
    Lines fLines;
    std::size_t fTranslations;
  };
  for (const TCase& c :
       std::vector<TCase>{{b, 0, {u"A=1"}, 1},                     // zero length
                          {b, Get16(good, b) + 4, {u"A=1"}, 1},    // past its table
                          {b, 8, {u"A=1", u"B="}, 1},              // ends inside the key
                          {b, 14, {u"A=1", u"B=2"}, 1},            // ends inside the value
                          {table, Get16(good, table) + 8, {}, 1},  // past StringFileInfo
                          {sfi, 0, {}, 0},                         // zero length child of the root
                          {0, good.size() + 1, {}, 0},             // root past the buffer
                          {0, 0, {}, 0}}) {
    TBytes bytes = good;
    Put16(bytes, c.fAt, c.fLength);
    const TVerInfoObj info(bytes);
    EXPECT_EQ(info.LangCount() ? info.StrLangs()[0].List() : Lines{}, c.fLines) << c.fAt;
    EXPECT_EQ(info.VarLangs().size(), c.fTranslations) << c.fAt;
  }
  // Fixed information cut by its record's end is not taken; nor is a cut translation item.
  TBytes fixed = Rec("VS_VERSION_INFO", Fixed(0x10002, 0x30004, 1), {}, true);
  Put16(fixed, 0, fixed.size() - 1);
  EXPECT_EQ(TVerInfoObj(fixed).VFFI(), TFixedFileInfo{});
  TBytes cut = good;
  for (std::size_t r : {std::size_t(0), at("VarFileInfo"), at("Translation")})
    Put16(cut, r, Get16(cut, r) - 2);
  cut.resize(cut.size() - 2);
  EXPECT_TRUE(TVerInfoObj(cut).VarLangs().empty());
}

// Under the sanitizers: every prefix and many single-byte changes of good blocks.
TEST(VerHostile, EveryPrefixAndEveryByte) {
  for (const bool wide : {true, false}) {
    const TBytes good =
        Block({{{"040904E4", kEntries}, {"041104B0", kEntries}}, {{0x04E40409, 0x04B00411}}, wide});
    for (std::size_t n = 0; n <= good.size(); ++n)
      EXPECT_LE(TVerInfoObj(TBytes(good.begin(), good.begin() + std::ptrdiff_t(n))).LangCount(), 2);
    for (std::size_t i = 0; i < good.size(); ++i) {
      for (const std::uint8_t v : {0x00, 0x01, 0x80, 0xFF}) {
        TBytes bytes = good;
        bytes[i] = v;
        TText report;
        const TVerInfoObj info(bytes);
        info.LangProb(report);
        EXPECT_LE(info.LangCount(), 2);
      }
    }
  }
}

}  // namespace
}  // namespace corvane
