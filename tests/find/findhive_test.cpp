// corvane-find over hive files: the same hits as over the same keys in an export file, several
// hives at once in the order given, and files that are not hives refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "app/find/findcli.h"
#include "search/keytime.h"
#include "search/memregistry.h"
#include "search/regexport.h"
#include "support/hivewriter.h"

namespace corvane::find {
namespace {

namespace fs = std::filesystem;

struct TRun {
  int fExit = -1;
  std::string fOut, fErr;
};

TRun Find(std::vector<TText> vArgs) {
  TRun r;
  TFindIo io;
  io.fOut = [&r](const std::string& s) { r.fOut += s; };
  io.fErr = [&r](const std::string& s) { r.fErr += s; };
  r.fExit = RunFind(vArgs, io);
  return r;
}

void WriteBytes(const fs::path& vPath, const void* vData, std::size_t vSize) {
  std::ofstream f(vPath, std::ios::binary);
  f.write(static_cast<const char*>(vData), std::streamsize(vSize));
}

// Keys of many shapes below the local machine's root: names of both cases, every common
// value type, the default value, data that reads as a number.
void Plant(TMemRegistry& vReg, const TText& vTag) {
  vReg.SetText(kHKLM, u"Microsoft\\Windows\\CurrentVersion\\Run", u"Shell" + vTag,
               u"C:\\Windows\\System32\\shell32.dll");
  vReg.SetText(kHKLM, u"Microsoft\\Windows\\CurrentVersion\\Run", u"", u"default " + vTag);
  vReg.SetDword(kHKLM, u"Microsoft\\Windows\\CurrentVersion", u"Build", 12);
  vReg.SetText(kHKLM, u"Classes\\.txt", u"Content Type", u"text/plain", kRegExpandSz);
  const char16_t multi[] = u"one\0shell\0three\0";
  vReg.SetValue(
      kHKLM, u"Classes\\.txt\\ShellNew", u"Multi", kRegMultiSz,
      std::vector<std::uint8_t>(reinterpret_cast<const std::uint8_t*>(multi),
                                reinterpret_cast<const std::uint8_t*>(multi) + sizeof multi));
  vReg.SetValue(kHKLM, u"Classes\\.txt\\ShellNew", u"Bin", kRegBinary, {0x0C, 0, 0, 0, 0x41});
  vReg.SetValue(kHKLM, u"Policies", u"Odd", 0x4242, {'s', 0, 'h', 0});
  for (int i = 0; i < 30; ++i)
    vReg.SetText(kHKLM, u"Policies\\Item" + FromUtf8(std::to_string(i)), u"v", u"shell " + vTag);
}

class FindHive : public testing::Test {
 protected:
  void SetUp() override {
    fDir =
        fs::temp_directory_path() /
        ("corvane-findhive-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(fDir);
  }
  void TearDown() override { fs::remove_all(fDir); }

  // Writes the planted keys as a hive named vName and as an export file; returns the hive.
  TText Make(const std::string& vName, const TText& vTag, test::THiveWriterOptions vOptions = {}) {
    TMemRegistry reg;
    Plant(reg, vTag);
    const test::THiveImage image = test::WriteHive(*reg.Root(kHKLM), vOptions);
    const fs::path hive = fDir / vName;
    WriteBytes(hive, image.fBytes.data(), image.fBytes.size());
    const std::string reg5 = SaveRegExport(reg, TRootKeySet(1 << rHKLM));
    WriteBytes(fDir / (vName + ".reg"), reg5.data(), reg5.size());
    return hive.u16string();
  }

  fs::path fDir;
};

// The export file's hits, with its root's name replaced by the hive's (and the JSON key
// spans moved by the difference of the two names' lengths).
std::string AsHive(const std::string& vOut, const std::string& vName) {
  const std::string root = "HKEY_LOCAL_MACHINE";
  const std::string out = std::regex_replace(vOut, std::regex(root), vName);
  const std::regex start("\"keyStart\":([0-9]+)");
  std::string moved;
  auto at = out.cbegin();
  for (std::sregex_iterator m(out.begin(), out.end(), start), end; m != end; ++m) {
    moved.append(at, (*m)[0].first);
    const long n = std::stol((*m)[1].str());
    moved += "\"keyStart\":" + std::to_string(n > 0 ? n - long(root.size() - vName.size()) : n);
    at = (*m)[0].second;
  }
  moved.append(at, out.cend());
  return moved;
}

TEST_F(FindHive, HitsEqualThoseOfTheSameKeysInAnExportFile) {
  for (test::THiveList list : {test::THiveList::lh, test::THiveList::li, test::THiveList::ri}) {
    test::THiveWriterOptions options;
    options.fList = list;
    options.fFanOut = 7;
    const TText hive = Make("SOFTWARE", u"a", options);
    const TText file = hive + u".reg";
    const std::vector<std::vector<TText>> searches = {
        {u"shell"},
        {u"12"},
        {u"--case", u"Shell"},
        {u"--json", u"item1"},
        {u"--key", u"contains", u"item", u"--value", u"equals", u"v"},
        {u"--data", u"type", u"REG_MULTI_SZ"},
        {u"--key", u"equals", u"run"},
    };
    for (std::vector<TText> args : searches) {
      std::vector<TText> fromFile = args;
      fromFile.insert(fromFile.begin(), {u"--file", file});
      args.insert(args.begin(), {u"--hive", hive});
      const TRun h = Find(args), f = Find(fromFile);
      EXPECT_EQ(h.fExit, kExitFound) << ToUtf8(args.back()) << h.fErr;
      EXPECT_EQ(h.fExit, f.fExit);
      // The hive knows when each key was written; an export file does not.
      const std::regex modified(",\"modified\":\"[^\"]*\"");
      if (h.fOut.find("{") != std::string::npos) {
        EXPECT_NE(h.fOut.find("\"modified\":\"1601-01-01T00:00:00Z\""), std::string::npos);
        EXPECT_NE(f.fOut.find("\"modified\":\"\""), std::string::npos);
      }
      EXPECT_EQ(std::regex_replace(h.fOut, modified, ""),
                AsHive(std::regex_replace(f.fOut, modified, ""), "SOFTWARE"))
          << ToUtf8(args.back());
      EXPECT_EQ(h.fErr, "");
    }
  }
}

// The hive's key times limit the search: a range finds exactly the keys written inside it,
// both ends included, and "within the last" counts back from the search's start.
TEST_F(FindHive, ATimeRangeFindsTheKeysWrittenInsideIt) {
  TMemRegistry reg;
  const std::vector<std::pair<TText, std::uint64_t>> keys = {
      {u"Y2020", *ParseIsoTime(u"2020-06-01T00:00:00Z")},
      {u"Y2023", *ParseIsoTime(u"2023-06-01T12:00:00Z")},
      {u"Y2024", *ParseIsoTime(u"2024-01-01T00:00:00Z")},
      {u"Recent", TimeNow() - kTimeHour}};
  for (const auto& [name, time] : keys) {
    reg.SetText(kHKLM, u"Times\\" + name, u"qztok", u"x");
    reg.Shared(kHKLM, u"Times\\" + name)->fWriteTime = time;
  }
  const test::THiveImage image = test::WriteHive(*reg.Root(kHKLM));
  const fs::path hive = fDir / "SOFTWARE";
  WriteBytes(hive, image.fBytes.data(), image.fBytes.size());
  const auto found = [&](std::vector<TText> vLimit) {
    vLimit.insert(vLimit.begin(), {u"--json", u"--hive", hive.u16string()});
    vLimit.push_back(u"qztok");
    const TRun r = Find(vLimit);
    std::string keysFound;
    const std::regex key("\"key\":\"SOFTWARE\\\\\\\\times\\\\\\\\([a-z0-9]+)\"");
    for (std::sregex_iterator m(r.fOut.begin(), r.fOut.end(), key), end; m != end; ++m)
      keysFound += (*m)[1].str() + " ";
    return keysFound + r.fErr;
  };
  EXPECT_EQ(found({}), "recent y2020 y2023 y2024 ");
  EXPECT_EQ(found({u"--modified-after", u"2023-06-01T12:00:00Z", u"--modified-before",
                   u"2024-01-01T00:00:00Z"}),
            "y2023 y2024 ");
  EXPECT_EQ(found({u"--modified-before", u"2023-06-01T11:59:59Z"}), "y2020 ");
  EXPECT_EQ(found({u"--modified-within", u"2h"}), "recent ");
  EXPECT_EQ(found({u"--modified-within", u"30m"}), "");
}

TEST_F(FindHive, SeveralHivesPrintTogetherInTheOrderGiven) {
  std::vector<TText> hives;
  for (int i = 0; i < 4; ++i) {
    (void)Make("hive" + std::to_string(i), u"t" + FromUtf8(std::to_string(i)));
    // The same file name in four folders, as hives copied from four machines.
    const fs::path folder = fDir / ("machine" + std::to_string(i));
    fs::create_directories(folder);
    fs::rename(fDir / ("hive" + std::to_string(i)), folder / "SYSTEM");
    hives.push_back((folder / "SYSTEM").u16string());
  }
  std::string want, wantJson;
  for (const TText& h : hives) {
    const TRun one = Find({u"--hive", h, u"shell"});
    ASSERT_EQ(one.fExit, kExitFound);
    want += "Hive: " + ToUtf8(h) + "\n" + one.fOut.substr(0, one.fOut.rfind("Found"));
    const TRun json = Find({u"--json", u"--hive", h, u"shell"});
    wantJson += json.fOut.substr(0, json.fOut.rfind("Found"));
  }
  for (TText jobs : {u"1", u"2", u"4"}) {
    std::vector<TText> args = {u"--jobs", jobs};
    for (const TText& h : hives) args.insert(args.end(), {u"--hive", h});
    args.push_back(u"shell");
    const TRun all = Find(args);
    EXPECT_EQ(all.fExit, kExitFound);
    const std::size_t end = all.fOut.rfind("Found");
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(all.fOut.substr(0, end), want) << "jobs " << ToUtf8(jobs);
    EXPECT_EQ(all.fOut.substr(end), "Found 128 items\n");

    args.insert(args.begin(), u"--json");
    const TRun json = Find(args);
    // Each line names its file as a last field.
    std::string named;
    std::istringstream lines(json.fOut.substr(0, json.fOut.rfind("Found")));
    for (std::string l; std::getline(lines, l);) {
      const std::string source = ",\"source\":\"";
      const std::size_t at = l.rfind(source);
      ASSERT_NE(at, std::string::npos) << l;
      named += l.substr(0, at) + "}\n";
    }
    EXPECT_EQ(named, wantJson);
  }
}

TEST_F(FindHive, DirtyHiveWithLogsFindsTheLoggedChangesWithoutANotice) {
  TMemRegistry reg;
  Plant(reg, u"d");
  test::THiveWriterOptions dirty;
  dirty.fDirty = true;
  const test::THiveImage before = test::WriteHive(*reg.Root(kHKLM), dirty);
  reg.SetText(kHKLM, u"Policies\\Logged", u"ShellLogged", u"written to the log only");
  reg.SetValue(kHKLM, u"Policies\\Logged", u"Padding", kRegBinary,
               std::vector<std::uint8_t>(6000, 0x33));
  const test::THiveImage after = test::WriteHive(*reg.Root(kHKLM));
  const auto entries = test::LogEntries(before, after, 2);
  ASSERT_GE(entries.size(), 2u);
  const fs::path hive = fDir / "SOFTWARE";
  WriteBytes(hive, before.fBytes.data(), before.fBytes.size());
  const test::THiveLogImage log1 =
      test::WriteHiveLog(before, 2, {entries.begin(), entries.begin() + 1});
  const test::THiveLogImage log2 =
      test::WriteHiveLog(before, 3, {entries.begin() + 1, entries.end()});
  WriteBytes(fDir / "SOFTWARE.LOG1", log1.fBytes.data(), log1.fBytes.size());
  WriteBytes(fDir / "SOFTWARE.LOG2", log2.fBytes.data(), log2.fBytes.size());
  const std::string reg5 = SaveRegExport(reg, TRootKeySet(1 << rHKLM));
  WriteBytes(fDir / "after.reg", reg5.data(), reg5.size());

  const TRun logged = Find({u"--hive", hive.u16string(), u"written to the log"});
  EXPECT_EQ(logged.fExit, kExitFound);
  EXPECT_NE(logged.fOut.find("Key: SOFTWARE\\policies\\logged\n"), std::string::npos)
      << logged.fOut;
  EXPECT_EQ(logged.fErr, "");
  // Every hit as in the export of the keys after the change.
  const TRun h = Find({u"--hive", hive.u16string(), u"shell"});
  const TRun f = Find({u"--file", (fDir / "after.reg").u16string(), u"shell"});
  EXPECT_EQ(h.fExit, kExitFound);
  EXPECT_EQ(h.fOut, AsHive(f.fOut, "SOFTWARE"));
  EXPECT_EQ(h.fErr, "");
}

TEST_F(FindHive, FilesThatAreNotHivesAndDirtyHives) {
  const fs::path text = fDir / "notes.txt";
  WriteBytes(text, "not a hive at all, but long enough to hold a base block header", 62);
  TRun bad = Find({u"--hive", text.u16string(), u"x"});
  EXPECT_EQ(bad.fExit, kExitInput);
  EXPECT_NE(bad.fErr.find("notes.txt"), std::string::npos) << bad.fErr;
  EXPECT_EQ(bad.fOut, "");

  const TRun missing = Find({u"--hive", (fDir / "absent").u16string(), u"x"});
  EXPECT_EQ(missing.fExit, kExitInput);
  EXPECT_NE(missing.fErr.find("absent"), std::string::npos) << missing.fErr;

  test::THiveWriterOptions dirty;
  dirty.fDirty = true;
  const TText hive = Make("SOFTWARE", u"d", dirty);
  const TRun r = Find({u"--hive", hive, u"shell"});
  EXPECT_EQ(r.fExit, kExitFound);
  EXPECT_NE(r.fErr.find("SOFTWARE was not closed cleanly; changes still in its transaction logs "
                        "are not included"),
            std::string::npos)
      << r.fErr;

  const TRun both = Find({u"--hive", hive, u"--file", hive + u".reg", u"x"});
  EXPECT_EQ(both.fExit, kExitUsage);
  const TRun jobs = Find({u"--jobs", u"0", u"--hive", hive, u"x"});
  EXPECT_EQ(jobs.fExit, kExitUsage);
  EXPECT_NE(jobs.fErr.find("--jobs"), std::string::npos);
}

}  // namespace
}  // namespace corvane::find
