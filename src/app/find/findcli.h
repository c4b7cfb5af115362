// corvane-find: the console front end. It runs the same TSearchThread and callbacks as the
// window, with the main thread acting as the GUI thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "export/jsonlines.h"
#include "search/criteria.h"
#include "search/keytime.h"
#include "search/registry.h"
#include "search/searchthread.h"
#include "text/text.h"

namespace corvane::find {

// Exit codes, as --help documents them.
enum : int {
  kExitFound = 0,     // the search ended and found at least one item
  kExitNothing = 1,   // the search ended and found nothing
  kExitUsage = 2,     // bad command line
  kExitInput = 3,     // the export, hive or saved-search file could not be read or is malformed
  kExitStopped = 4,   // stopped by Ctrl+C; the items found so far were printed
  kExitFailure = 5,   // an unexpected failure (out of memory, output refused); a message says it
};

// One criterion row as given on the command line.
struct TFindCrit {
  TCritKind fKind;
  std::int32_t fMatch;
  TText fText;
  std::int32_t fDataType = 0;
};

struct TFindOptions {
  TText fText;
  bool fHaveText = false;
  std::int32_t fMaxRslt = 1000;
  bool fDatCase = false;
  bool fRegex = false;  // the search text is a regular expression
  bool fJson = false;
  bool fCsv = false;
  bool fProgress = false;
  bool fHelp = false;
  bool fNoProbe = false;  // skip the alias probes: nothing is written to the registry
  bool fHaveMax = false;
  TText fQmxFile;  // run the criteria of this saved search
  TText fRegFile;  // search this export instead of the live registry
  std::vector<TText> fHives;  // search these hive files instead of the live registry
  unsigned fJobs = 0;         // hives searched at once; 0: one per processor
  TTimeFilter fTimes;         // only keys last written within these times
  // The criteria search: on when any criterion or --roots is given.
  bool fCriteria = false;
  std::vector<TFindCrit> fCrits;
  bool fKeyAll = false, fValAll = false, fDatAll = false;
  TRootKeySet fRoots = TRootKeySet::All();
  bool fHaveRoots = false;
};

// Adds the criteria of the saved search vPath to vOpts: its rows before those of the command
// line, its "all" flags, case setting and maximum unless the command line gives them, its
// roots unless --roots was given. Returns false with vError set when the file cannot be read
// or holds a row that is not complete.
[[nodiscard]] bool ApplySavedSearch(const TText& vPath, TFindOptions& vOpts,
                                    std::string& vError);

// Parses the arguments after the program name. Returns false with vError set on a bad
// command line.
// Match types and data types by name, as the command line spells them.
[[nodiscard]] bool ParseMatchType(const TText& vName, bool vData, std::int32_t& vMatch);
[[nodiscard]] bool ParseDataType(const TText& vName, std::int32_t& vDataType);
[[nodiscard]] bool ParseRoots(const TText& vList, TRootKeySet& vRoots);

[[nodiscard]] bool ParseArgs(const std::vector<TText>& vArgs, TFindOptions& vOpts,
                             std::string& vError);

std::string HelpText();

// One hit as a human-readable block ("Key: ", "Val: ", "Dat: " lines, emphasis in [brackets]).
// The "Val: " line is shown when vShowVal or vShowDat, the "Dat: " line when vShowDat (a
// criteria search shows only the lines its criteria concern).
TText HitLines(const TResult& vHit, bool vShowVal = true, bool vShowDat = true);
// One hit as a JSON object on one line: HitJson (export/jsonlines.h); as a CSV row: CsvRow
// (export/csvwriter.h).
// The end text, "Found %d items" with the suffix the status calls for, is the window's
// EndText (ui/main/mainlogic.h).

// What the front end needs from its platform.
struct TFindIo {
  std::function<void(const std::string& utf8)> fOut;  // standard output
  std::function<void(const std::string& utf8)> fErr;  // standard error
  TCursorFactory fLiveRegistry;                       // empty where there is none
  // Builds the alias list of the live registry by probing (it writes short-lived keys).
  std::function<const std::vector<TText>*()> fBuildAliases;
  std::atomic<bool>* fStopRequest = nullptr;          // set by Ctrl+C
};

// Runs the whole program; returns the exit code.
int RunFind(const std::vector<TText>& vArgs, TFindIo& vIo);

}  // namespace corvane::find
