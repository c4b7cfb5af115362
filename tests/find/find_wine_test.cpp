// corvane-find.exe on the real registry under Wine: a value planted in HKEY_CURRENT_USER is
// found by its name, by text data, by widened data in a REG_BINARY and by number. And --file
// on an export and --hive on hive files in folders whose names are not ASCII.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "search/keytime.h"
#include "search/regexport.h"
#include "support/csvreader.h"
#include "support/hivewriter.h"
#include "support/planter.h"
#include "support/runexe.h"
#include "support/widefolders.h"
#include "text/wide.h"

namespace corvane {
namespace {

// Runs the program with the arguments and returns what it wrote to standard output; standard
// error goes there too, or to *vErr when given.
std::string RunExe(const std::wstring& vArgs, DWORD& vExit, std::string* vErr = nullptr) {
  return test::RunCapture(L"\"" CORVANE_FIND_EXE L"\" " + vArgs, vExit, vErr);
}

TEST(FindOnWine, PlantedValueFoundFourWays) {
  auto plant = test::NewWin32Planter();
  // A token that also reads as a number, so a DWORD holding it is found by number.
  const TText token = u"0x5EED4A11";
  plant->Value(u"", u"by-name-" + token, kRegSz, {'n', 0, 'o', 0, 0, 0});
  std::vector<std::uint8_t> text, wide;
  for (char16_t c : u"text " + token + u" data") text.insert(text.end(), {std::uint8_t(c), 0});
  text.insert(text.end(), {0, 0});
  for (char16_t c : token) wide.insert(wide.end(), {std::uint8_t(c), 0, 0, 0});
  plant->Value(u"", u"text", kRegSz, text);
  plant->Value(u"", u"wide", kRegBinary, wide);
  plant->Value(u"", u"number", kRegDword, {0x11, 0x4A, 0xED, 0x5E});

  DWORD exitCode = 99;
  const std::string out = RunExe(L"--max 50 0x5EED4A11", exitCode);
  const std::string key = "Key: HKEY_CURRENT_USER\\" + ToUtf8(LowerAZ(plant->Base())) + "\n";
  EXPECT_EQ(exitCode, 0u) << out;
  EXPECT_NE(out.find(key + "Val: by-name-[0x5EED4A11]\nDat: \u2014\u2014\n"), std::string::npos) << out;
  EXPECT_NE(out.find(key + "Val: number\nDat: 0x5EED4A11 (1592609297)\n"), std::string::npos) << out;
  EXPECT_NE(out.find(key + "Val: text\nDat: text [0x5EED4A11] data\n"), std::string::npos) << out;
  EXPECT_NE(out.find(key + "Val: wide\nDat: [0.x.5.E.E.D.4.A.1.1.]\n"), std::string::npos) << out;
  // The alias list keeps the users root's view of the current user out of the search.
  EXPECT_NE(out.find("\nFound 4 items\n"), std::string::npos) << out;

  // Without the probes the same values are found twice: under the current user and under
  // its hive below the users root.
  const std::string twice = RunExe(L"--no-probe --max 50 0x5EED4A11", exitCode);
  EXPECT_EQ(exitCode, 0u) << twice;
  EXPECT_NE(twice.find("\nFound 8 items\n"), std::string::npos) << twice;
  EXPECT_NE(twice.find("Key: HKEY_USERS\\"), std::string::npos) << twice;
}

// The Advanced search: planted keys, values and data found by each match type.
TEST(FindOnWine, CriteriaByEachMatchType) {
  auto plant = test::NewWin32Planter();
  plant->Key(u"Crit-Alpha");
  plant->Key(u"Crit-Beta");
  plant->Value(u"Crit-Alpha", u"Colour", kRegSz, {'M', 0, 'a', 0, 'g', 0, 'e', 0, 'n', 0, 't', 0, 'a', 0, 0, 0});
  plant->Value(u"Crit-Alpha", u"Level", kRegDword, {42, 0, 0, 0});
  plant->Value(u"Crit-Beta", u"Level", kRegDword, {7, 0, 0, 0});
  const std::string base = "HKEY_CURRENT_USER\\" + ToUtf8(LowerAZ(plant->Base()));
  const std::wstring baseW(reinterpret_cast<const wchar_t*>(plant->Base().c_str()));
  struct TCase {
    std::wstring fArgs;
    std::string fWant;
    int fHits;
  };
  const TCase cases[] = {
      {L"--key contains CRIT-ALPH --roots HKCU", "Key: " + base + "\\[crit-alph]a\n", 1},
      {L"--key equals crit-beta --roots HKCU", "Key: " + base + "\\[crit-beta]\n", 1},
      {L"--key contains crit- --key not-contains beta --key-all --roots HKCU",
       "Key: " + base + "\\[crit-]alpha\n", 1},
      {L"--key not-equals crit-alpha --key contains crit- --key-all --roots HKCU",
       "Key: " + base + "\\[crit-]beta\n", 1},
      {L"--value equals colour --data contains GENT --roots HKCU",
       "Key: " + base + "\\crit-alpha\nVal: [Colour]\nDat: Ma[gent]a\n", 1},
      {L"--value equals level --data equals 0x2A --roots HKCU",
       "Key: " + base + "\\crit-alpha\nVal: [Level]\nDat: 0x0000002A (42)\n", 1},
      {L"--value equals level --data not-equals 42 --roots HKCU",
       "Key: " + base + "\\crit-beta\nVal: [Level]\nDat: 0x00000007 (7)\n", 1},
      {L"--value equals colour --data not-contains xyz --roots HKCU",
       "Key: " + base + "\\crit-alpha\nVal: [Colour]\nDat: Magenta\n", 1},
      {L"--key contains crit- --data type number --roots HKCU", "Val: Level\nDat: 0x0000002A (42)\n", 2},
  };
  for (const TCase& c : cases) {
    DWORD exitCode = 99;
    const std::string out = RunExe(c.fArgs, exitCode);
    EXPECT_EQ(exitCode, 0u) << out;
    EXPECT_NE(out.find(c.fWant), std::string::npos) << out;
    EXPECT_NE(out.find("Found " + std::to_string(c.fHits) + " items\n"), std::string::npos) << out;
  }
}

// Regular expressions over the live registry: the planted values are found by a pattern with
// the emphasis on the first match (a non-BMP character before it counts two units), the
// criteria take regex and not-regex, and a bad pattern is refused with PCRE2's message.
TEST(FindOnWine, RegularExpressionsOverTheLiveRegistry) {
  auto plant = test::NewWin32Planter();
  auto text = [](const TText& t) {
    std::vector<std::uint8_t> b;
    for (char16_t c : t) b.insert(b.end(), {std::uint8_t(c & 0xFF), std::uint8_t(c >> 8)});
    b.insert(b.end(), {0, 0});
    return b;
  };
  plant->Value(u"Rx", u"First", kRegSz, text(u"\U0001F600 rxtok-{1f2e3d4c-0000-4000-8000-00000000abcd}"));
  plant->Value(u"Rx", u"Second", kRegSz, text(u"C:\\Windows\\rxtok.exe"));
  plant->Value(u"Rx", u"Third", kRegSz, text(u"D:\\Apps\\rxtok.exe"));
  const std::string key = "Key: HKEY_CURRENT_USER\\" + ToUtf8(LowerAZ(plant->Base())) + "\\rx\n";

  DWORD exitCode = 99;
  std::string out = RunExe(L"--regex \"rxtok-\\{[0-9a-f-]{36}\\}\"", exitCode);
  EXPECT_EQ(exitCode, 0u) << out;
  EXPECT_NE(out.find(key + "Val: First\nDat: \U0001F600 [rxtok-{1f2e3d4c-0000-4000-8000-00000000abcd}]\n"),
            std::string::npos) << out;
  EXPECT_NE(out.find("\nFound 1 items\n"), std::string::npos) << out;

  out = RunExe(L"--value regex \"^(second|third)$\" --data not-regex \"^c:\\\\windows[\\\\]\" --data regex "
               L"\"rxtok\\.EXE$\" --data-all --roots HKCU",
               exitCode);
  EXPECT_EQ(exitCode, 0u) << out;
  EXPECT_NE(out.find(key + "Val: [Third]\nDat: D:\\Apps\\[rxtok.exe]\n"), std::string::npos) << out;
  EXPECT_NE(out.find("\nFound 1 items\n"), std::string::npos) << out;

  std::string err;
  out = RunExe(L"--regex \"rxtok(\"", exitCode, &err);
  EXPECT_EQ(exitCode, 2u);
  EXPECT_EQ(out, "");
  EXPECT_NE(err.find("--regex: the pattern 'rxtok(' does not compile: missing closing parenthesis "
                     "at offset 6"),
            std::string::npos) << err;
}

// --csv on a planted set: the table read back with the tests' own CSV reader holds every
// planted value once, with names that need quoting intact; the summary is on stderr.
TEST(FindOnWine, CsvOfAPlantedSetReadsBack) {
  auto plant = test::NewWin32Planter();
  std::vector<TText> names;
  for (int i = 0; i < 40; ++i) {
    const TText name = u"csvtok " + FromUtf8(std::to_string(i)) +
                       (i % 4 == 0   ? u", comma"
                        : i % 4 == 1 ? u" \"quote\""
                        : i % 4 == 2 ? u"\r\nbreak"
                                     : u" \u00e9\U0001F600");
    plant->Value(u"Set", name, kRegDword, {std::uint8_t(i), 0, 0, 0});
    names.push_back(name);
  }
  DWORD exitCode = 99;
  std::string err;
  const std::string out = RunExe(L"--csv --max 1000 csvtok", exitCode, &err);
  EXPECT_EQ(exitCode, 0u) << err;
  EXPECT_EQ(err, "Found 40 items\n");
  ASSERT_EQ(out.substr(0, 3), "\xEF\xBB\xBF");
  std::vector<test::TCsvRecord> records;
  std::string why;
  ASSERT_TRUE(test::ReadCsv(std::string_view(out).substr(3), records, why)) << why << "\n" << out;
  ASSERT_EQ(records.size(), 41u);
  EXPECT_EQ(records[0][0], "key");
  const std::string key = "HKEY_CURRENT_USER\\" + ToUtf8(LowerAZ(plant->Base())) + "\\set";
  std::vector<std::string> seen;
  for (std::size_t i = 1; i < records.size(); ++i) {
    ASSERT_EQ(records[i].size(), 10u);
    EXPECT_EQ(records[i][9].size(), 20u) << "the key's time: " << records[i][9];
    EXPECT_EQ(records[i][0], key);
    EXPECT_EQ(records[i][3], "0");  // keyStart: the key did not match
    EXPECT_EQ(records[i][4], "1");  // valueStart
    EXPECT_EQ(records[i][7], "6");  // valueLength: "csvtok"
    seen.push_back(records[i][1]);
  }
  std::vector<std::string> want;
  for (const TText& n : names) want.push_back(ToUtf8(n));
  std::sort(seen.begin(), seen.end());
  std::sort(want.begin(), want.end());
  EXPECT_EQ(seen, want);
}

// --file takes the path as the command line gives it, so a folder named in any script works.
TEST(FindOnWine, FileInFoldersWithNamesBeyondAscii) {
  TMemRegistry source;
  source.SetText(kHKCU, u"Software\\Caf\u00e9", u"name-zqxfile", u"Gr\u00fc\u00dfe zqxfile");
  source.SetText(kHKCU, u"Software\\Caf\u00e9", u"other", u"nothing");
  test::TWideFolders folders;
  const std::vector<TText> paths = folders.WriteEach(u"hits.reg", SaveRegExport(source));
  ASSERT_EQ(paths.size(), 2u);
  for (const TText& path : paths) {
    DWORD exitCode = 99;
    const std::string out = RunExe(L"--file \"" + std::wstring(W(path)) + L"\" zqxfile", exitCode);
    EXPECT_EQ(exitCode, 0u) << ToUtf8(path) << "\n" << out;
    EXPECT_EQ(out,
              "Key: HKEY_CURRENT_USER\\software\\caf\u00e9\n"
              "Val: name-[zqxfile]\n"
              "Dat: Gr\u00fc\u00dfe [zqxfile]\n"
              "\n"
              "Found 1 items\n")
        << ToUtf8(path);
  }
}

// Two hive files, each in a folder whose name is not ASCII, searched at once: each hive's
// hit under its own file's name, in the order given.
TEST(FindOnWine, HivesInFoldersWithNamesBeyondAscii) {
  TMemRegistry source;
  source.SetText(kHKLM, u"Caf\u00e9\\Run", u"name-zqxhive", u"Gr\u00fc\u00dfe zqxhive");
  const test::THiveImage image = test::WriteHive(*source.Root(kHKLM));
  test::TWideFolders folders;
  const std::vector<TText> paths =
      folders.WriteEach(u"SOFTWARE", std::string(image.fBytes.begin(), image.fBytes.end()));
  ASSERT_EQ(paths.size(), 2u);
  DWORD exitCode = 99;
  std::string err;
  const std::string out = RunExe(L"--jobs 2 --hive \"" + std::wstring(W(paths[0])) +
                                     L"\" --hive \"" + std::wstring(W(paths[1])) + L"\" zqxhive",
                                 exitCode, &err);
  EXPECT_EQ(exitCode, 0u) << out << err;
  std::string want;
  for (const TText& path : paths)
    want += "Hive: " + ToUtf8(path) + "\n" +
            "Key: SOFTWARE\\caf\u00e9\\run\n"
            "Val: name-[zqxhive]\n"
            "Dat: Gr\u00fc\u00dfe [zqxhive]\n"
            "\n";
  EXPECT_EQ(out, want + "Found 2 items\n");
  EXPECT_EQ(err, "");
}

// The last-write time of a planted key, read apart from the program.
std::uint64_t WriteTimeOf(const TText& vBelowHkcu) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, W(vBelowHkcu), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  FILETIME t{};
  const LONG rc = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, &t);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS ? (std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime : 0;
}

// Wine keeps a last-write time per key: each hit carries its key's, and a range between two
// keys written two seconds apart finds only the later one.
TEST(FindOnWine, KeysWrittenInATimeRange) {
  auto plant = test::NewWin32Planter();
  plant->Value(u"Earlier", u"zqxtime", kRegSz, {'a', 0, 0, 0});
  Sleep(2100);
  plant->Value(u"Later", u"zqxtime", kRegSz, {'b', 0, 0, 0});
  const std::uint64_t earlier = WriteTimeOf(plant->Base() + u"\\Earlier");
  const std::uint64_t later = WriteTimeOf(plant->Base() + u"\\Later");
  ASSERT_NE(earlier, 0u);
  ASSERT_GE(later, earlier + 2 * kTimeSecond);
  const std::string base = "HKEY_CURRENT_USER\\" + ToUtf8(LowerAZ(plant->Base()));
  std::string baseJson;  // backslashes escaped
  for (char c : base) baseJson += c == '\\' ? std::string("\\\\") : std::string(1, c);

  DWORD exitCode = 99;
  const std::string json = RunExe(L"--json zqxtime", exitCode);
  EXPECT_EQ(exitCode, 0u) << json;
  for (const auto& [name, time] : {std::pair{"earlier", earlier}, std::pair{"later", later}}) {
    const std::size_t at = json.find(baseJson + "\\\\" + name + "\",\"value\":\"zqxtime\"");
    ASSERT_NE(at, std::string::npos) << json;
    const std::size_t end = json.find('\n', at);
    EXPECT_NE(json.substr(at, end - at).find("\"modified\":\"" + IsoTime(time) + "\""),
              std::string::npos)
        << json.substr(at, end - at);
  }

  // Whole seconds between the two, in UTC.
  const std::string middle = IsoTime(earlier + (later - earlier) / 2);
  const std::wstring after(middle.begin(), middle.end());
  const std::string out = RunExe(L"--modified-after " + after + L" zqxtime", exitCode);
  EXPECT_EQ(exitCode, 0u) << out;
  EXPECT_EQ(out.find(base + "\\earlier"), std::string::npos) << out;
  EXPECT_NE(out.find("Key: " + base + "\\later\n"), std::string::npos) << out;
  EXPECT_NE(out.find("\nFound 1 items\n"), std::string::npos) << out;
  const std::string recent = RunExe(L"--modified-within 10m zqxtime", exitCode);
  EXPECT_NE(recent.find("\nFound 2 items\n"), std::string::npos) << recent;
}

}  // namespace
}  // namespace corvane
