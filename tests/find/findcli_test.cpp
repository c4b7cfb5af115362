#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/find/findcli.h"
#include "export/csvwriter.h"
#include "savedsearch/qmxfile.h"
#include "search/memregistry.h"
#include "support/csvreader.h"
#include "support/recorder.h"
#include "ui/main/mainlogic.h"

namespace corvane::find {
namespace {

struct TCapture {
  std::string fOut, fErr;
  std::atomic<bool> fStop{false};
  TFindIo Io(TMemRegistry& reg) {
    TFindIo io;
    io.fOut = [this](const std::string& s) { fOut += s; };
    io.fErr = [this](const std::string& s) { fErr += s; };
    io.fLiveRegistry = reg.Factory();
    io.fStopRequest = &fStop;
    return io;
  }
};

int RunWith(TMemRegistry& reg, TCapture& cap, std::vector<TText> args) {
  TFindIo io = cap.Io(reg);
  return RunFind(args, io);
}

TEST(FindArgs, OptionsAndErrors) {
  TFindOptions o;
  std::string err;
  ASSERT_TRUE(ParseArgs({u"-m", u"0x10", u"--case", u"--json", u"needle"}, o, err));
  EXPECT_EQ(o.fMaxRslt, 16);
  EXPECT_TRUE(o.fDatCase);
  EXPECT_TRUE(o.fJson);
  EXPECT_EQ(o.fText, u"needle");

  TFindOptions dash;
  ASSERT_TRUE(ParseArgs({u"--", u"-x-"}, dash, err));
  EXPECT_EQ(dash.fText, u"-x-");

  for (const auto& bad : std::vector<std::vector<TText>>{{},
                                                         {u"a", u"b"},
                                                         {u"--max"},
                                                         {u"--max", u"0", u"a"},
                                                         {u"--max", u"ten", u"a"},
                                                         {u"--bogus", u"a"},
                                                         {u""}}) {
    TFindOptions x;
    err.clear();
    EXPECT_FALSE(ParseArgs(bad, x, err));
    EXPECT_FALSE(err.empty());
  }
}

TEST(FindArgs, Criteria) {
  TFindOptions o;
  std::string err;
  ASSERT_TRUE(ParseArgs({u"-k", u"equals", u"Run", u"--value", u"does not contain", u"x", u"-d",
                         u"type", u"REG_dword", u"--data-all", u"-r", u"hkcu,HKEY_USERS"},
                        o, err))
      << err;
  ASSERT_EQ(o.fCrits.size(), 3u);
  EXPECT_EQ(o.fCrits[0].fKind, ckKey);
  EXPECT_EQ(o.fCrits[0].fMatch, mtEquals);
  EXPECT_EQ(o.fCrits[1].fMatch, mtNotContains);
  EXPECT_EQ(o.fCrits[2].fMatch, mtDataType);
  EXPECT_EQ(o.fCrits[2].fDataType, 7);
  EXPECT_TRUE(o.fDatAll);
  EXPECT_FALSE(o.fKeyAll);
  EXPECT_EQ(o.fRoots.Bits(), (1 << rHKCU) | (1 << rHKU));

  TFindOptions empty;
  ASSERT_TRUE(ParseArgs({u"--value", u"equals", u""}, empty, err)) << err;  // the default value

  struct TBad {
    std::vector<TText> fArgs;
    const char* fSays;
  };
  for (const TBad& b : std::vector<TBad>{
           {{u"--key", u"contains"}, "--key needs"},
           {{u"--key", u"type", u"text"}, "--key: unknown match type 'type'"},
           {{u"--data", u"like", u"x"}, "--data: unknown match type 'like'"},
           {{u"--data", u"type", u"float"}, "unknown data type 'float'"},
           {{u"--key", u"contains", u""}, "--key contains: the text may not be empty"},
           {{u"--value", u"contains", u""}, "--value contains: the text may not be empty"},
           {{u"--roots", u"HKCU,HKXX", u"-k", u"contains", u"a"}, "--roots needs"},
           {{u"--roots", u"HKCU"}, "at least one"},
           {{u"run", u"--key", u"contains", u"a"}, "cannot be combined"},
       }) {
    TFindOptions x;
    err.clear();
    EXPECT_FALSE(ParseArgs(b.fArgs, x, err)) << b.fSays;
    EXPECT_NE(err.find(b.fSays), std::string::npos) << err;
  }
}

// Time limits: the texts each option takes, the messages that name the option, the limits
// that cannot be combined, and a limit on an export file refused before it is read.
TEST(FindRun, TimeLimits) {
  TFindOptions o;
  std::string err;
  ASSERT_TRUE(ParseArgs(
      {u"--modified-after", u"2024-02-29T23:59:59Z", u"--modified-before", u"2024-03-01Z", u"x"}, o,
      err))
      << err;
  EXPECT_EQ(o.fTimes.fLimit, tlBetween);
  EXPECT_EQ(o.fTimes.fAfter, 133537247990000000ull);
  TFindOptions w;
  ASSERT_TRUE(ParseArgs({u"--modified-within", u"36h", u"x"}, w, err)) << err;
  EXPECT_EQ(w.fTimes.fLimit, tlWithin);
  EXPECT_EQ(w.fTimes.fCount, 36u);
  EXPECT_EQ(w.fTimes.fUnit, tuHours);
  for (const auto& [args, says] : std::vector<std::pair<std::vector<TText>, std::string>>{
           {{u"--modified-after", u"yesterday", u"x"}, "option --modified-after needs"},
           {{u"--modified-before", u"2024-02-30", u"x"}, "option --modified-before needs"},
           {{u"--modified-within", u"7w", u"x"}, "option --modified-within needs"},
           {{u"--modified-within", u"7d", u"--modified-after", u"2024-01-01", u"x"},
            "cannot be combined"}}) {
    TFindOptions x;
    err.clear();
    EXPECT_FALSE(ParseArgs(args, x, err)) << says;
    EXPECT_NE(err.find(says), std::string::npos) << err;
  }

  // The fake registry's keys were written at its clock's first ticks, in 1601.
  TMemRegistry reg;
  reg.SetText(kHKCU, u"Run", u"tool", u"c:\\tool.exe");
  TCapture early, late, backwards;
  EXPECT_EQ(RunWith(reg, early, {u"--modified-before", u"1601-01-02Z", u"tool"}), kExitFound);
  EXPECT_EQ(RunWith(reg, late, {u"--modified-after", u"2000-01-01", u"tool"}), kExitNothing);
  EXPECT_EQ(
      RunWith(reg, backwards,
              {u"--modified-after", u"2000-01-02", u"--modified-before", u"2000-01-01", u"tool"}),
      kExitUsage);
  EXPECT_NE(backwards.fErr.find("ends before it starts"), std::string::npos) << backwards.fErr;
  TCapture file;
  EXPECT_EQ(
      RunWith(reg, file, {u"--file", u"/nonexistent/x.reg", u"--modified-within", u"1d", u"tool"}),
      kExitUsage);
  EXPECT_EQ(file.fErr,
            "corvane-find: Registry export files carry no times; remove the time "
            "limit to search this file\n");
}

TEST(FindRun, CriteriaSearchShowsOnlyItsLines) {
  TMemRegistry reg;
  reg.SetText(kHKCU, u"Software\\Run", u"Path", u"c:\\x");
  reg.SetDword(kHKLM, u"Software\\Run", u"Level", 42);
  TCapture cap;
  EXPECT_EQ(RunWith(reg, cap, {u"--key", u"equals", u"run", u"--roots", u"HKLM"}), kExitFound);
  EXPECT_EQ(cap.fOut, "Key: HKEY_LOCAL_MACHINE\\software\\[run]\n\nFound 1 items\n");
  TCapture dat;
  EXPECT_EQ(RunWith(reg, dat, {u"--data", u"equals", u"42"}), kExitFound);
  EXPECT_EQ(dat.fOut,
            "Key: HKEY_LOCAL_MACHINE\\software\\run\nVal: Level\nDat: 0x0000002A (42)\n\nFound 1 "
            "items\n");
}

TEST(FindRun, SavedSearchFile) {
  TMemRegistry reg;
  reg.SetText(kHKCU, u"Software\\Run", u"Path", u"c:\\x");
  reg.SetText(kHKLM, u"Software\\Run", u"Path", u"d:\\y");
  const auto dir = std::filesystem::temp_directory_path();
  const auto file =
      dir / ("corvane-find-test-" +
             std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".qmx");
  const TText path = file.u16string();

  TSearchCriteria crit;
  crit.fRoots = TRootKeySet(1 << rHKLM);
  crit.fMaxRsltIdx = 0;
  crit.fKeyRows.push_back(TCritRow{mtEquals, 0, u"run"});
  crit.fValRows.push_back(TCritRow{mtContains, 0, u"path"});
  SaveQmxFile(path, crit);
  {
    TCapture cap;
    EXPECT_EQ(RunWith(reg, cap, {u"--qmx", path}), kExitFound) << cap.fErr;
    EXPECT_EQ(cap.fOut, "Key: HKEY_LOCAL_MACHINE\\software\\[run]\nVal: [Path]\n\nFound 1 items\n");
  }
  {
    // --roots overrides the file's roots; a further criterion is added to its rows.
    TCapture cap;
    EXPECT_EQ(RunWith(reg, cap,
                      {u"--qmx", path, u"--roots", u"HKCU,HKLM", u"--data", u"contains", u"d:"}),
              kExitFound);
    EXPECT_NE(cap.fOut.find("Dat: [d:]\\y"), std::string::npos) << cap.fOut;
    EXPECT_NE(cap.fOut.find("Found 1 items"), std::string::npos);
  }
  crit.fKeyRows.push_back(TCritRow{mtContains, 0, u""});  // a row the window shows as invalid
  SaveQmxFile(path, crit);
  {
    TCapture cap;
    EXPECT_EQ(RunWith(reg, cap, {u"--qmx", path}), kExitInput);
    EXPECT_NE(cap.fErr.find("key-name row 2 is not complete"), std::string::npos) << cap.fErr;
    EXPECT_TRUE(cap.fOut.empty());
  }
  {
    std::ofstream(file, std::ios::binary) << "not a saved search";
    TCapture cap;
    EXPECT_EQ(RunWith(reg, cap, {u"--qmx", path}), kExitInput);
    // The codec's own message: an unknown tag here.
    EXPECT_NE(cap.fErr.find("Ung\u00fcltiger Eigenschaftswert"), std::string::npos) << cap.fErr;
    EXPECT_TRUE(cap.fOut.empty());
  }
  std::filesystem::remove(file);
  {
    TCapture cap;
    EXPECT_EQ(RunWith(reg, cap, {u"--qmx", path}), kExitInput);
    EXPECT_NE(cap.fErr.find("no such saved search"), std::string::npos) << cap.fErr;
  }
}

// --regex for the search text, regex and not-regex for criteria, from the command line and
// from a saved search; a pattern that does not compile is a bad command line.
TEST(FindRun, RegularExpressions) {
  TMemRegistry reg;
  reg.SetText(kHKCU, u"Software\\App", u"Path", u"C:\\Program Files\\App\\app.exe");
  reg.SetText(kHKCU, u"Software\\App", u"Tool", u"C:\\Windows\\tool.exe");
  reg.SetText(kHKCU, u"Software\\App", u"Note", TText(300000, u'a') + u"cb");
  {
    TCapture cap;
    EXPECT_EQ(RunWith(reg, cap, {u"--regex", u"app\\.EXE$"}), kExitFound) << cap.fErr;
    EXPECT_EQ(cap.fOut,
              "Key: HKEY_CURRENT_USER\\software\\app\nVal: Path\n"
              "Dat: C:\\Program Files\\App\\[app.exe]\n\nFound 1 items\n");
    TCapture sensitive;
    EXPECT_EQ(RunWith(reg, sensitive, {u"-x", u"-c", u"app\\.EXE$"}), kExitNothing);
  }
  {
    TCapture cap;
    EXPECT_EQ(RunWith(reg, cap,
                      {u"--value", u"regex", u"^(path|tool)$", u"--data", u"not-regex",
                       u"^C:\\\\Windows\\\\", u"--data", u"regex", u"\\.exe$", u"--data-all"}),
              kExitFound)
        << cap.fErr;
    EXPECT_EQ(cap.fOut,
              "Key: HKEY_CURRENT_USER\\software\\app\nVal: [Path]\n"
              "Dat: C:\\Program Files\\App\\app[.exe]\n\nFound 1 items\n");
  }
  {
    TCapture cap;
    EXPECT_EQ(RunWith(reg, cap, {u"--regex", u"(a|aa)+b"}), kExitNothing);
    EXPECT_EQ(cap.fOut, "Found 0 items. 1 value was too costly to match and was skipped\n");
  }
  struct TBad {
    std::vector<TText> fArgs;
    std::string fError;
  };
  for (const TBad& bad :
       {TBad{{u"--regex", u"(ab"},
             "corvane-find: --regex: the pattern '(ab' does not compile: missing closing "
             "parenthesis at offset 3\n"},
        TBad{{u"--data", u"regex", u"x[a"},
             "corvane-find: --data regex: the pattern 'x[a' does not compile: missing "
             "terminating ] for character class at offset 3\n"},
        TBad{{u"--key", u"not-regex", u"a{3,2}"},
             "corvane-find: --key not-regex: the pattern 'a{3,2}' does not compile: numbers "
             "out of order in {} quantifier at offset 5\n"},
        TBad{{u"--regex", u"--key", u"regex", u"a"},
             "corvane-find: --regex is for a search text; criteria take the match type regex "
             "or not-regex\n"}}) {
    TCapture cap;
    EXPECT_EQ(RunWith(reg, cap, bad.fArgs), kExitUsage);
    EXPECT_EQ(cap.fErr, bad.fError + "Try 'corvane-find --help'.\n");
    EXPECT_TRUE(cap.fOut.empty());
  }
  std::int32_t m = -1;
  EXPECT_TRUE(ParseMatchType(u"regex", false, m));
  EXPECT_EQ(m, mtRegex);
  EXPECT_TRUE(ParseMatchType(u"Does Not Match (Regex)", true, m));
  EXPECT_EQ(m, mtNotRegex);
  EXPECT_FALSE(ParseMatchType(u"type", false, m)) << "a data type only for --data";

  // A saved search's regex rows (match types 5 and 6) run the same way.
  const auto file =
      std::filesystem::temp_directory_path() /
      ("corvane-find-regex-" +
       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".qmx");
  const TText path = file.u16string();
  TSearchCriteria crit;
  crit.fValRows.push_back(TCritRow{mtRegex, 0, u"^[pt]"});
  crit.fDatRows.push_back(TCritRow{mtNotRegex, 0, u"program"});
  SaveQmxFile(path, crit);
  {
    TCapture cap;
    EXPECT_EQ(RunWith(reg, cap, {u"--qmx", path}), kExitFound) << cap.fErr;
    EXPECT_EQ(cap.fOut,
              "Key: HKEY_CURRENT_USER\\software\\app\nVal: [T]ool\n"
              "Dat: C:\\Windows\\tool.exe\n\nFound 1 items\n");
  }
  crit.fDatRows.push_back(TCritRow{mtRegex, 0, u"(?<"});
  SaveQmxFile(path, crit);
  {
    TCapture cap;
    EXPECT_EQ(RunWith(reg, cap, {u"--qmx", path}), kExitInput);
    EXPECT_NE(cap.fErr.find("value-data row 2: the pattern '(?<' does not compile: "),
              std::string::npos)
        << cap.fErr;
  }
  std::filesystem::remove(file);
}

TEST(FindOutput, HitBlockJsonAndEndTexts) {
  const TResult hit(u"HKEY_CURRENT_USER\\run", u"", u"a\"b\\c\u00e9", 19, 0, 1, 3, 0, 1, kHKCU);
  EXPECT_EQ(ToUtf8(HitLines(hit)),
            "Key: HKEY_CURRENT_USER\\[run]\nVal: (default)\nDat: [a]\"b\\c\u00e9\n");
  EXPECT_EQ(HitJson(hit),
            "{\"root\":2147483649,\"key\":\"HKEY_CURRENT_USER\\\\run\",\"value\":\"\","
            "\"data\":\"a\\\"b\\\\c\u00e9\",\"keyStart\":19,\"valueStart\":0,\"dataStart\":1,"
            "\"keyLength\":3,\"valueLength\":0,\"dataLength\":1,\"modified\":\"\"}\n");
  const TResult ctl(u"K", TText(u"a\x01", 2), u"d", 0, 0, 0, 0, 0, 0, kHKLM);
  EXPECT_NE(HitJson(ctl).find("\"a\\u0001\""), std::string::npos);
  EXPECT_EQ(EndText(stFinished, 3), u"Found 3 items");
  EXPECT_EQ(EndText(stOverflow, 10), u"Found 10 items (the maximum)");
  EXPECT_EQ(EndText(stStopped, 2), u"Found 2 items before being stopped");
  EXPECT_EQ(EndText(stWorking, 2), u"Found 2 items before being stopped");
}

// --json and --csv print through the shared export writers: the same bytes as the window's
// export of the same hits. The CSV's summary goes to stderr, so stdout is the file alone. A
// name that a spreadsheet would run as a formula gets its apostrophe in the CSV only.
TEST(FindRun, JsonAndCsvComeFromTheSharedWriters) {
  TMemRegistry reg;
  reg.SetText(kHKCU, u"Software\\Run", u"", u"needle, \"quoted\"\r\nnext line");
  reg.SetText(kHKCU, u"Software\\Needle", u"Other", u"x");
  reg.SetDword(kHKLM, u"Software\\Run", u"=needle count", 42);
  test::TSearchRun run(reg.Factory());
  run.Simple(u"needle");
  ASSERT_EQ(run.Run(), stFinished);
  const std::vector<TResult> hits = run.fRec.Results();
  ASSERT_EQ(hits.size(), 3u);

  TCapture json;
  EXPECT_EQ(RunWith(reg, json, {u"--json", u"needle"}), kExitFound);
  EXPECT_EQ(json.fOut, HitsJsonLines(hits) + "Found 3 items\n");
  EXPECT_NE(json.fOut.find(",\"value\":\"=needle count\","), std::string::npos) << json.fOut;

  TCapture csv;
  EXPECT_EQ(RunWith(reg, csv, {u"--csv", u"needle"}), kExitFound);
  EXPECT_EQ(csv.fOut, HitsCsv(hits));
  EXPECT_EQ(csv.fErr, "Found 3 items\n");
  std::vector<test::TCsvRecord> records;
  std::string error;
  ASSERT_TRUE(test::ReadCsv(std::string_view(csv.fOut).substr(3), records, error)) << error;
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[1][0], "HKEY_CURRENT_USER\\software\\needle");
  EXPECT_EQ(records[2][1], "");                               // the default value
  EXPECT_EQ(records[2][2], "needle, \"quoted\"..next line");  // the excerpt, as shown
  EXPECT_EQ(records[3][1], "'=needle count");

  TCapture none;
  EXPECT_EQ(RunWith(reg, none, {u"--csv", u"haystack"}), kExitNothing);
  EXPECT_EQ(none.fOut, CsvHead());  // an empty table still opens as one

  TCapture lone;
  reg.SetText(kHKCU, u"Software\\Run", u"needle" + TText(1, char16_t(0xD800)), u"x");
  EXPECT_EQ(RunWith(reg, lone, {u"--csv", u"needle"}), kExitFound);
  EXPECT_NE(lone.fErr.find("1 lone UTF-16 surrogates"), std::string::npos) << lone.fErr;

  TFindOptions both;
  EXPECT_FALSE(ParseArgs({u"--csv", u"--json", u"x"}, both, error));
  EXPECT_NE(error.find("cannot be combined"), std::string::npos);
}

TEST(FindRun, AFailureThatEscapesEndsTheRunWithAMessageAndItsOwnCode) {
  TMemRegistry reg;
  reg.SetText(kHKCU, u"K", u"needle", u"x");
  for (const bool memory : {false, true}) {
    TCapture cap;
    TFindIo io = cap.Io(reg);
    io.fOut = [memory](const std::string&) {
      if (memory) throw std::bad_alloc();
      throw std::runtime_error("the output was closed");
    };
    EXPECT_EQ(RunFind({u"--help"}, io), kExitFailure);
    EXPECT_EQ(cap.fErr,
              memory ? "corvane-find: out of memory\n" : "corvane-find: the output was closed\n");
    EXPECT_EQ(RunFind({u"needle"}, io), kExitFailure) << "a hit that cannot be printed";
  }
}

// A console run has no GUI thread to hand hits to: the search thread writes each hit itself,
// which spares two thread switches a hit, and the summary follows on the calling thread.
TEST(FindRun, HitsAreWrittenByTheSearchThreadItself) {
  TMemRegistry reg;
  for (int i = 0; i < 3; ++i)
    reg.SetText(kHKCU, u"K", u"needle" + FromUtf8(std::to_string(i)), u"x");
  TCapture cap;
  TFindIo io = cap.Io(reg);
  std::vector<std::thread::id> writers;
  io.fOut = [&](const std::string& s) {
    cap.fOut += s;
    writers.push_back(std::this_thread::get_id());
  };
  EXPECT_EQ(RunFind({u"needle"}, io), kExitFound);
  ASSERT_EQ(writers.size(), 4u);  // three hits, then "Found 3 items"
  EXPECT_EQ(writers.back(), std::this_thread::get_id());
  for (std::size_t i = 0; i < 3; ++i) EXPECT_NE(writers[i], std::this_thread::get_id()) << i;
}

TEST(FindRun, ExitCodesFollowTheOutcome) {
  TMemRegistry reg;
  for (int i = 0; i < 5; ++i)
    reg.SetText(kHKCU, u"K", u"needle" + FromUtf8(std::to_string(i)), u"x");
  {
    TCapture cap;
    EXPECT_EQ(RunWith(reg, cap, {u"needle"}), kExitFound);
    EXPECT_NE(cap.fOut.find("Val: [needle]0"), std::string::npos);
    EXPECT_EQ(cap.fOut.substr(cap.fOut.size() - 14), "Found 5 items\n");
  }
  {
    TCapture cap;
    EXPECT_EQ(RunWith(reg, cap, {u"-m", u"2", u"needle"}), kExitFound);
    EXPECT_NE(cap.fOut.find("Found 2 items (the maximum)\n"), std::string::npos);
  }
  {
    TCapture cap;
    EXPECT_EQ(RunWith(reg, cap, {u"haystack"}), kExitNothing);
    EXPECT_EQ(cap.fOut, "Found 0 items\n");
  }
  {
    // Ctrl+C after the first hit: the key in hand finishes its current value.
    TCapture cap;
    TFindIo io = cap.Io(reg);
    io.fOut = [&](const std::string& s) {
      cap.fOut += s;
      cap.fStop = true;
    };
    EXPECT_EQ(RunFind({u"needle"}, io), kExitStopped);
    EXPECT_NE(cap.fOut.find("before being stopped\n"), std::string::npos);
  }
  {
    TCapture cap;
    EXPECT_EQ(RunWith(reg, cap, {u"--file", u"/nonexistent/x.reg", u"needle"}), kExitInput);
    EXPECT_NE(cap.fErr.find("x.reg"), std::string::npos);
  }
  {
    TCapture cap;
    EXPECT_EQ(RunWith(reg, cap, {u"--help"}), kExitFound);
    EXPECT_NE(cap.fOut.find("Exit codes:"), std::string::npos);
  }
}

}  // namespace
}  // namespace corvane::find
