#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>

#include "savedsearch/qmxfile.h"
#include "support/printers.h"

namespace corvane {

void PrintTo(const TSearchCriteria& c, std::ostream* os) {
  *os << "roots " << int(c.fRoots.Bits()) << " options " << c.fPerPageIdx << c.fMaxRsltIdx
      << c.fDatCase << " all " << c.fKeyAll << c.fValAll << c.fDatAll << " time " << c.fTime.fLimit
      << "/" << c.fTime.fAfter << "/" << c.fTime.fBefore << "/" << c.fTime.fCount << "/"
      << c.fTime.fUnit;
  for (const auto* rows : {&c.fKeyRows, &c.fValRows, &c.fDatRows}) {
    *os << " |";
    for (const TCritRow& r : *rows)
      *os << " " << r.fMatchType << "/" << r.fDataType << "/\"" << ToUtf8(r.fText) << "\"";
  }
}

namespace {

const std::string kBadValue = "Ung\u00fcltiger Eigenschaftswert", kEnd = "Stream-Lesefehler";

// "06 03 51" to bytes and back.
std::string Bytes(const std::string& vHex) {
  std::string r;
  for (std::size_t i = 0; i + 1 < vHex.size(); i += 3)
    r += char(std::stoi(vHex.substr(i, 2), nullptr, 16));
  return r;
}
std::string Hex(const std::string& vBytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string r;
  for (unsigned char c : vBytes) {
    if (!r.empty()) r += ' ';
    r += kDigits[c >> 4];
    r += kDigits[c & 15];
  }
  return r;
}

// The message that vRead fails with; empty when it succeeds.
std::string Failure(const std::function<void()>& vRead) {
  try {
    vRead();
  } catch (const TQmxError& e) {
    return e.what();
  }
  return {};
}

TEST(QmxValues, IntegersTakeTheSmallestTagAndReadFromAny) {
  for (const auto& [value, hex] :
       std::vector<std::pair<std::int32_t, std::string>>{{127, "02 7F"},
                                                         {-128, "02 80"},
                                                         {128, "03 80 00"},
                                                         {-129, "03 7F FF"},
                                                         {32767, "03 FF 7F"},
                                                         {-32768, "03 00 80"},
                                                         {32768, "04 00 80 00 00"},
                                                         {INT_MIN, "04 00 00 00 80"}}) {
    TQmxWriter w;
    w.WriteInt(value);
    EXPECT_EQ(Hex(w.Bytes()), hex);
  }
  const std::string bytes = Bytes("03 02 00 02 FF 03 FE FF 04 FF FF FF FF 09 08");
  TQmxReader r(bytes);
  EXPECT_EQ(r.ReadInt(), 2);
  EXPECT_EQ(r.ReadInt(), -1);
  EXPECT_EQ(r.ReadInt(), -2);
  EXPECT_EQ(r.ReadInt(), -1);
  EXPECT_TRUE(r.ReadBool());
  EXPECT_FALSE(r.ReadBool());
}

TEST(QmxValues, TextTags) {
  for (const auto& [text, hex] : std::vector<std::pair<TText, std::string>>{
           {u"QMX", "06 03 51 4D 58"},
           {u"", "12 00 00 00 00"},
           {u"a\u00e4b\u00f6c", "14 07 00 00 00 61 C3 A4 62 C3 B6 63"},  // 7 bytes < 10
           {u"\u4e00\u4e01\u4e02", "12 03 00 00 00 00 4E 01 4E 02 4E"},  // 9 bytes, not < 6
           {u"a\u20ac", "12 02 00 00 00 61 00 AC 20"},                   // 4 bytes, not < 4
           {u"ab\xD800", "12 03 00 00 00 61 00 62 00 00 D8"}}) {         // no UTF-8 form
    TQmxWriter w;
    w.WriteText(text);
    EXPECT_EQ(Hex(w.Bytes()), hex);
    EXPECT_EQ(TQmxReader(w.Bytes()).ReadText(), text) << hex;
  }
  for (const auto& [n, head] :
       std::map<std::size_t, std::string>{{255, "06 FF 78"}, {256, "0C 00 01 00 00 78"}}) {
    TQmxWriter w;
    w.WriteText(TText(n, u'x'));
    EXPECT_EQ(Hex(w.Bytes()).substr(0, head.size()), head);
    EXPECT_EQ(TQmxReader(w.Bytes()).ReadText(), TText(n, u'x'));
  }
  const std::string utf8 = Bytes("14 03 00 00 00 C3 28 41"), ansi = Bytes("0C 02 00 00 00 4F 4B");
  EXPECT_EQ(TQmxReader(utf8).ReadText(), u"\uFFFD(A");
  EXPECT_EQ(TQmxReader(ansi).ReadText(), u"OK");
}

TEST(QmxValues, ReadingChecksKindAndEnd) {
  using TRead = std::function<void(TQmxReader&)>;
  const TRead asInt = [](TQmxReader& r) { r.ReadInt(); };
  const TRead asText = [](TQmxReader& r) { r.ReadText(); };
  const TRead asBool = [](TQmxReader& r) { r.ReadBool(); };
  struct TCase {
    TRead fRead;
    std::string fHex, fError;
  };
  for (const TCase& c : std::vector<TCase>{{asInt, "06 01 41", kBadValue},
                                           {asInt, "09", kBadValue},
                                           {asInt, "00", kBadValue},
                                           {asText, "02 01", kBadValue},
                                           {asText, "08", kBadValue},
                                           {asBool, "02 01", kBadValue},
                                           {asInt, "", kEnd},
                                           {asInt, "03 01", kEnd},
                                           {asInt, "04 01 02 03", kEnd},
                                           {asText, "06 05 41 42", kEnd},
                                           {asText, "0C FF FF FF FF 41", kEnd},
                                           {asText, "14 10 00 00", kEnd},
                                           {asText, "12 FF FF FF 7F 41 00", kEnd},
                                           {asText, "12 02 00 00 00 41 00 42", kEnd}}) {
    const std::string bytes = Bytes(c.fHex);
    TQmxReader r(bytes);
    EXPECT_EQ(Failure([&] { c.fRead(r); }), c.fError) << c.fHex;
  }
}

// The layout's example: all five roots, 10 per page, at most 1000, case ignored, "any"
// everywhere, key row "contains" Run, data row "data type is" REG_DWORD.
const char kExample[] =
    "06 03 51 4D 58 02 1F 02 00 02 02 08 08 08 08 02 01 02 00 06 03 52 75 6E 02 00 02 01 02 04 "
    "02 07";

TSearchCriteria ExampleCriteria() {
  TSearchCriteria c;
  c.fKeyRows = {{0, 0, u"Run"}};
  c.fDatRows = {{4, 7, u""}};
  return c;
}

TEST(QmxFile, TheExampleAndSixteenBitDataRows) {
  EXPECT_EQ(Hex(WriteQmx(ExampleCriteria())), kExample);
  TSearchCriteria c;
  c.fKeyRows = {{-1, 0, u"k"}};
  c.fDatRows = {{-1, 9, u"x"}, {4, 300, u"not stored"}};
  const std::string hex = Hex(WriteQmx(c));
  EXPECT_EQ(hex.substr(45),
            "02 01 02 FF 06 01 6B 02 00 02 02 04 FF FF 00 00 06 01 78 02 04 03 2C 01");
  TSearchCriteria read;
  ReadQmx(Bytes(hex), read);
  EXPECT_EQ(read.fKeyRows, c.fKeyRows);
  EXPECT_EQ(read.fDatRows, (std::vector<TCritRow>{{65535, 0, u"x"}, {4, 300, u""}}));
}

TEST(QmxFile, ReadChecksAndWhatStaysApplied) {
  // Fields 2 to 8 of a new search with the options 0 (10 per page) and 2 (1000 hits).
  const std::string news = "02 1F 02 00 02 02 08 08 08 08 ";
  const auto options = [](TSearchCriteria& c) {
    c.fPerPageIdx = 0;
    c.fMaxRsltIdx = 2;
  };
  struct TCase {
    std::string fHex, fError;
    std::function<void(TSearchCriteria&)> fApplied;  // what the read changes
  };
  const std::vector<TCase> cases = {
      {kExample, "", [](TSearchCriteria& c) { c = ExampleCriteria(); }},
      {"12 03 00 00 00 51 00 4D 00 58 00 " + news + "02 00 02 00 02 00", "", options},
      {"06 03 71 6D 78 " + news, "QMX file corrupted (1)", {}},
      {"02 00", kBadValue, {}},
      {"", kEnd, {}},
      {"06 03 51 4D 58 02 20", "QMX file corrupted (1)", {}},
      {"06 03 51 4D 58 02 FF", "QMX file corrupted (1)", {}},
      {"06 03 51 4D 58 02 00 03 02 00 02 03 09 09 08 09 02 00 02 00 02 00", "",
       [](TSearchCriteria& c) {
         c.fRoots = TRootKeySet(0);
         c.fPerPageIdx = 2;
         c.fMaxRsltIdx = 3;
         c.fDatCase = c.fKeyAll = c.fDatAll = true;
       }},
      {"06 03 51 4D 58 02 05 02 05", "Listenindex au\u00dferhalb des g\u00fcltigen Bereichs (5)",
       [](TSearchCriteria& c) { c.fRoots = TRootKeySet(5); }},
      {"06 03 51 4D 58 02 05 02 04 02 FF",
       "Listenindex au\u00dferhalb des g\u00fcltigen Bereichs (-1)",
       [](TSearchCriteria& c) {
         c.fRoots = TRootKeySet(5);
         c.fPerPageIdx = 4;
       }},
      {"06 03 51 4D 58 02 01 02 01 02 00 09 09 09 09", kEnd,  // ends after field 8
       [](TSearchCriteria& c) {
         c.fRoots = TRootKeySet(1);
         c.fPerPageIdx = 1;
         c.fMaxRsltIdx = 0;
         c.fDatCase = c.fKeyAll = c.fValAll = c.fDatAll = true;
       }},
      {"06 03 51 4D 58 " + news + "02 FF 03 00 80 02 01 02 04 02 07", "",  // counts below 0
       [&](TSearchCriteria& c) {
         options(c);
         c.fDatRows = {{4, 7, u""}};
       }},
      {"06 03 51 4D 58 " + news + "02 03 02 00 06 01 41 02 01 06 05 42", kEnd,
       [&](TSearchCriteria& c) {
         options(c);
         c.fKeyRows = {{0, 0, u"A"}};
       }},
      {"06 03 51 4D 58 " + news + "02 01 06 01 41", kBadValue, options},
  };
  for (const TCase& c : cases) {
    TSearchCriteria start;
    start.fPerPageIdx = 3;
    start.fMaxRsltIdx = 1;
    TSearchCriteria expected = start, read = start;
    if (c.fApplied) c.fApplied(expected);
    EXPECT_EQ(Failure([&] { ReadQmx(Bytes(c.fHex), read); }), c.fError) << c.fHex;
    EXPECT_EQ(read, expected) << c.fHex;
  }
}

// The time limit follows the rows, only when there is one; files without it are unchanged.
TEST(QmxFile, TheTimeLimitFollowsTheRows) {
  const std::uint64_t noon = *ParseIsoTime(u"2026-12-10T12:00:00Z");
  const std::uint64_t evening = *ParseIsoTime(u"2026-12-10T18:30:05Z");
  struct TCase {
    TTimeFilter fTime;
    std::string fTrailer;
  };
  const std::vector<TCase> cases = {
      {{}, ""},
      {{tlAfter, noon, 0, 0, tuMinutes},
       " 06 08 6D 6F 64 69 66 69 65 64 02 01 06 14 32 30 32 36 2D 31 32 2D 31 30 54 31 32 3A 30 30 "
       "3A 30 30 5A"},
      {{tlWithin, 0, 0, 300, tuDays}, " 06 08 6D 6F 64 69 66 69 65 64 02 04 03 2C 01 02 02"},
  };
  for (const TCase& c : cases) {
    TSearchCriteria crit = ExampleCriteria();
    crit.fTime = c.fTime;
    EXPECT_EQ(Hex(WriteQmx(crit)), kExample + c.fTrailer);
    TSearchCriteria read;
    ReadQmx(WriteQmx(crit), read);
    EXPECT_EQ(read, crit);
  }
  TSearchCriteria both = ExampleCriteria();
  both.fTime = {tlBetween, noon, evening, 0, tuMinutes};
  TSearchCriteria read;
  ReadQmx(WriteQmx(both), read);
  EXPECT_EQ(read, both);
  EXPECT_NE(WriteQmx(both).find("2026-12-10T18:30:05Z"), std::string::npos);

  // Faults in the trailer: the rows before it stay read, the limit stays as it was.
  const std::string name = "06 08 6D 6F 64 69 66 69 65 64 ";
  const std::string head = std::string(kExample) + " " + name;
  const std::string noonText = "06 14 32 30 32 36 2D 31 32 2D 31 30 54 31 32 3A 30 30 3A 30 30 5A";
  for (const auto& [hex, error] : std::vector<std::pair<std::string, std::string>>{
           {head + "02 05", "Listenindex au\u00dferhalb des g\u00fcltigen Bereichs (5)"},
           {head + "02 00", "Listenindex au\u00dferhalb des g\u00fcltigen Bereichs (0)"},
           {head + "02 01 06 05 6E 6F 6F 6E 21", kBadValue},  // not a time
           // 0 stands for "unknown", which no limit can be written with
           {head + "02 02 06 14 31 36 30 31 2D 30 31 2D 30 31 54 30 30 3A 30 30 3A 30 30 5A",
            kBadValue},
           {head + "02 03 " + noonText, kEnd},       // "between" missing its end
           {head + "02 04 02 FF 02 00", kBadValue},  // a negative count
           {head + "02 04 02 01 02 03",
            "Listenindex au\u00dferhalb des g\u00fcltigen Bereichs (3)"},
           {head + "02 01 " + noonText + " " + name + "02 01 " + noonText,
            "QMX file corrupted (1)"},  // the field twice
           {std::string(kExample) + " 06 03 61 62 63 02 01", "QMX file corrupted (1)"},
           {std::string(kExample) + " 02 01", kBadValue}}) {
    TSearchCriteria r;
    r.fTime = {tlBefore, 0, 7, 0, tuMinutes};
    EXPECT_EQ(Failure([&] { ReadQmx(Bytes(hex), r); }), error) << hex;
    EXPECT_EQ(r.fKeyRows, ExampleCriteria().fKeyRows) << hex;
    if (error != "QMX file corrupted (1)") {
      EXPECT_EQ(r.fTime, (TTimeFilter{tlBefore, 0, 7, 0, tuMinutes})) << hex;
    }
  }
}

TEST(QmxFile, RandomRoundTrips) {
  std::mt19937 rng(20250105);
  const auto pick = [&](int n) { return static_cast<std::int32_t>(rng() % unsigned(n)); };
  // Alphabets that lead the writer to each text tag.
  const std::vector<TText> alphabets = {u"abcXYZ 019_\\.", u"\u00e4\u00f6\u00fc\u00dfab",
                                        u"\u4e00\u4e8c\u4e09\u56db", u"a\u20ac\U0001F600"};
  std::set<char> tags;
  const auto text = [&] {
    const TText& alphabet = alphabets[std::size_t(pick(4))];
    TText t;
    for (std::int32_t n = pick(5) == 0 ? 300 : pick(12); n > 0; --n)
      t += alphabet[std::size_t(pick(int(alphabet.size())))];
    TQmxWriter w;
    w.WriteText(t);
    tags.insert(w.Bytes()[0]);
    return t;
  };
  for (int round = 0; round < 300; ++round) {
    TSearchCriteria c;
    c.fRoots = TRootKeySet(std::uint8_t(pick(32)));
    c.fPerPageIdx = pick(kPerPageCount);
    c.fMaxRsltIdx = pick(kMaxRsltCount);
    for (bool* flag : {&c.fDatCase, &c.fKeyAll, &c.fValAll, &c.fDatAll}) *flag = pick(2);
    for (auto* rows : {&c.fKeyRows, &c.fValRows})
      for (int n = pick(4); n > 0; --n) rows->push_back({pick(4), 0, text()});
    for (int n = pick(4); n > 0; --n) {
      const std::int32_t match = pick(5);
      c.fDatRows.push_back(match == 4 ? TCritRow{4, pick(14), u""} : TCritRow{match, 0, text()});
    }
    const std::uint64_t day = 24ull * 3600 * 10'000'000;
    c.fTime.fLimit = TTimeLimit(pick(5));
    if (c.fTime.fLimit == tlAfter || c.fTime.fLimit == tlBetween)
      c.fTime.fAfter = (130'000ull + std::uint64_t(pick(20'000))) * day;
    if (c.fTime.fLimit == tlBefore || c.fTime.fLimit == tlBetween)
      c.fTime.fBefore = (130'000ull + std::uint64_t(pick(20'000))) * day +
                        std::uint64_t(pick(86'400)) * 10'000'000;
    if (c.fTime.fLimit == tlWithin)
      c.fTime = {tlWithin, 0, 0, std::uint32_t(pick(100'000)), TTimeUnit(pick(3))};
    TSearchCriteria read;
    ReadQmx(WriteQmx(c), read);
    ASSERT_EQ(read, c) << "round " << round;
  }
  EXPECT_EQ(tags, (std::set<char>{qtAnsiText8, qtAnsiText32, qtWideText, qtUtf8Text}));
}

// Files in memory; each operation can be made to fail.
class TFakeFiles final : public TQmxFiles {
 public:
  TText FullPath(const TText& vPath) const override { return u"C:\\work\\" + vPath; }
  bool FileExists(const TText& vPath) const override { return fFiles.count(vPath) != 0; }
  TResult ReadAll(const TText& vPath, std::string& vBytes, TText& vError) override {
    vError = fFiles.count(vPath) ? u"Bad sector." : u"Not found.";
    if (!fFiles.count(vPath)) return frOpenFailed;
    vBytes = fFiles[vPath];
    return fFail == "read" ? frTransferFailed : frDone;
  }
  TResult WriteNew(const TText& vPath, std::string_view vBytes, TText& vError) override {
    fLog += "new " + ToUtf8(vPath) + "; ";
    vError = fFiles.count(vPath) ? u"Exists." : fFail == "create" ? u"Denied." : u"Disk full.";
    if (fFiles.count(vPath)) return frExists;
    if (fFail == "create") return frOpenFailed;
    fFiles[vPath] = vBytes.substr(0, fFail == "write" ? 3 : vBytes.size());
    return fFail == "write" ? frTransferFailed : frDone;
  }
  bool Replace(const TText& vFrom, const TText& vTo, TText& vError) override {
    fLog += "replace; ";
    vError = u"In use.";
    if (fFail == "replace") return false;
    fFiles[vTo] = fFiles[vFrom];
    return fFiles.erase(vFrom);
  }
  void Remove(const TText& vPath) override { fFiles.erase(vPath); }

  std::map<TText, std::string> fFiles;
  std::string fLog, fFail;
};

TEST(QmxSaveLoad, TheOldFileSurvivesEveryFailure) {
  TFakeFiles files;
  const TText target = u"C:\\work\\a.QMX";
  files.fFiles = {{target, "old"}, {target + u".1.tmp", "someone else's"}};
  const auto save = [&] {
    return Failure([&] { SaveQmxFile(u"a.QMX", ExampleCriteria(), files); });
  };
  for (const auto& [fail, error] : std::vector<std::pair<std::string, std::string>>{
           {"create", "Datei \"C:\\work\\a.QMX\" kann nicht erstellt werden. Denied."},
           {"write", "Stream-Schreibfehler"},
           {"replace", "Datei \"C:\\work\\a.QMX\" kann nicht erstellt werden. In use."}}) {
    files.fFail = fail;
    EXPECT_EQ(save(), error);
    EXPECT_EQ(files.fFiles.size(), 2u);
    EXPECT_EQ(files.fFiles[target], "old");
  }
  files.fFail = files.fLog = "";
  EXPECT_EQ(save(), "");
  EXPECT_EQ(files.fLog, "new C:\\work\\a.QMX.1.tmp; new C:\\work\\a.QMX.2.tmp; replace; ");
  EXPECT_EQ(Hex(files.fFiles[target]), kExample);
  EXPECT_EQ(files.fFiles[target + u".1.tmp"], "someone else's");
  EXPECT_EQ(files.fFiles.size(), 2u);

  TSearchCriteria read;
  EXPECT_EQ(Failure([&] { LoadQmxFile(u"b.QMX", read, files); }),
            "Datei C:\\work\\b.QMX kann nicht ge\u00f6ffnet werden. Not found.");
  files.fFail = "read";
  EXPECT_EQ(Failure([&] { LoadQmxFile(u"a.QMX", read, files); }), kEnd);
  EXPECT_EQ(read, TSearchCriteria{});
  files.fFail = "";
  LoadQmxFile(u"a.QMX", read, files);
  EXPECT_EQ(read, ExampleCriteria());
}

}  // namespace
}  // namespace corvane
