// corvane-find: the console front end. It runs the same TSearchThread and callbacks as the
// window, with the main thread acting as the GUI thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "search/registry.h"
#include "search/searchthread.h"
#include "search/text.h"

namespace corvane::find {

// Exit codes, as --help documents them.
enum : int {
  kExitFound = 0,     // the search ended and found at least one item
  kExitNothing = 1,   // the search ended and found nothing
  kExitUsage = 2,     // bad command line
  kExitInput = 3,     // the export file could not be read or is malformed
  kExitStopped = 4,   // stopped by Ctrl+C; the items found so far were printed
};

struct TFindOptions {
  TText fText;
  bool fHaveText = false;
  std::int32_t fMaxRslt = 1000;
  bool fDatCase = false;
  bool fJson = false;
  bool fProgress = false;
  bool fHelp = false;
  std::string fRegFile;  // search this export instead of the live registry
};

// Parses the arguments after the program name. Returns false with vError set on a bad
// command line.
[[nodiscard]] bool ParseArgs(const std::vector<TText>& vArgs, TFindOptions& vOpts,
                             std::string& vError);

std::string HelpText();

// One hit as a human-readable block ("Key: ", "Val: ", "Dat: " lines, emphasis in [brackets]).
TText HitLines(const TResult& vHit);
// One hit as a JSON object on one line.
std::string HitJson(const TResult& vHit);
// "Found %d items", with the suffix the status calls for.
TText EndText(TStatus vStatus, std::int32_t vCount);

// What the front end needs from its platform.
struct TFindIo {
  std::function<void(const std::string& utf8)> fOut;  // standard output
  std::function<void(const std::string& utf8)> fErr;  // standard error
  TCursorFactory fLiveRegistry;                       // empty where there is none
  const std::vector<TText>* fAliases = nullptr;
  std::atomic<bool>* fStopRequest = nullptr;          // set by Ctrl+C
};

// Runs the whole program; returns the exit code.
int RunFind(const std::vector<TText>& vArgs, TFindIo& vIo);

}  // namespace corvane::find
