// TSearchThread: the worker that walks the registry and reports hits.
//
// Contract with the owner (the main window, corvane-find, tests):
// - Create on the GUI thread, set OnTerminate, Start(). The walk visits the roots in the
//   order current user, local machine, users, current configuration, classes root, with
//   value names and subkey names sorted by the locale comparison; it skips every key whose
//   full path is on the alias list (still counting it).
// - Every hit runs vFoundP on the GUI thread while the worker waits (on the worker itself
//   with a direct TGuiSync, as corvane-find uses); then the hit is counted
//   and, when the count reaches vMaxRslt, the search ends with stOverflow. Every 100th key
//   entered runs vProgP the same way, before the key is searched; never at the end.
// - Terminate() asks the walk to end; it polls the flag at every key and before each value.
//   A simple search finishes the value in hand, then ends with stStopped (a hit that reaches
//   the maximum after that turns it into stOverflow).
// - Keys and values that cannot be opened or read are skipped silently; an error while one
//   key is searched is contained at that key.
// - Status() is final once OnTerminate runs. The object is destroyed on the GUI thread only,
//   after (or while) waiting for the worker; never inside OnTerminate.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "search/criteria.h"
#include "search/dataview.h"
#include "search/keytime.h"
#include "search/regexmatch.h"
#include "search/registry.h"
#include "search/thread.h"
#include "search/types.h"
#include "text/compare.h"

namespace corvane {

// What the search needs from its surroundings.
struct TSearchHost {
  TGuiSync* fSync = nullptr;
  TCursorFactory fNewCursor;
  const TLocaleCompare* fCompare = nullptr;      // default: PlatformCompare()
  const std::vector<TText>* fAliases = nullptr;  // default: no aliases
  // A registry of one root, a hive file: the walk visits the cursor's root once, under this
  // name and as the local machine's root, instead of the five roots. Empty: the five roots.
  TText fSingleRoot;
};

class TSearchThread : public TThread {
 public:
  // A simple search for the text S.
  TSearchThread(const TText& S, bool vDatCase, std::int32_t vMaxRslt, TFoundProc vFoundP,
                TProgProc vProgP, const TSearchHost& vHost);
  // A criteria search; the criteria pass into the thread's ownership.
  TSearchThread(TComplexCriteria vCrit, std::int32_t vMaxRslt, TFoundProc vFoundP, TProgProc vProgP,
                const TSearchHost& vHost);
  ~TSearchThread() override;

  TStatus Status() const { return fStatus; }
  // Before Start: the simple search's text is a regular expression (RegexError(S) must be
  // empty), matched without regard to case in names and as the case rule says in data; not
  // widened and not read as a number.
  void MatchAsRegex();
  // The texts (names or data) a regex gave up on, its limits reached: final with Status().
  std::int32_t TooCostly() const { return fTooCostly; }
  // Before Start: only keys last written within vRange report hits (a key whose time is not
  // known reports none); their subkeys are searched all the same.
  void LimitTimes(std::optional<TTimeRange> vRange) { fRange = vRange; }

  // Matching (simple search); public for tests. Positions count from 1.
  bool SimpleMatch(const TText& S, std::int32_t& keyStart, std::int32_t& keyLen) const;
  bool SimpleMatchD(const std::uint8_t* Buff, std::uint32_t bType, std::uint32_t bSize,
                    TText& datStr, std::int32_t& datStart, std::int32_t& datLen) const;
  std::int32_t PosUni(const TText& subS, const TText& S, bool fCase) const;
  TText Dots(const TText& S, const TText& SubS, std::int32_t FoundPos, bool HasI, bool Uni,
             std::uint32_t bType, std::uint32_t DatI, std::int32_t& datStart,
             std::int32_t& datLen) const;
  // Dots for a match of vLen code units at FoundPos (0: none).
  TText Excerpt(const TText& S, std::int32_t FoundPos, std::int32_t vLen, bool HasI,
                std::uint32_t bType, std::uint32_t DatI, std::int32_t& datStart,
                std::int32_t& datLen) const;

  // Criteria matching; public for tests. Each combines its list with "any" or "all".
  bool KeyMatches(const TText& S, std::int32_t& keyStart, std::int32_t& keyLen) const;
  bool ValMatches(const TText& S, std::int32_t& valStart, std::int32_t& valLen) const;
  bool DatMatches(const std::uint8_t* Buff, std::uint32_t bType, std::uint32_t bSize, TText& datStr,
                  std::int32_t& datStart, std::int32_t& datLen) const;

 protected:
  void Execute() override;

 private:
  void SimpleSearch();
  void ComplexSearch();
  void ComplexBody(const TText& vFull, const TText& vName);
  bool NameMatches(const TNameCritList& vList, bool vAll, const TText& S, std::int32_t& vStart,
                   std::int32_t& vLen) const;
  bool NameCritHolds(const TNameCrit& vCrit, const TText& S, const TText& vFolded,
                     std::int32_t& vStart, std::int32_t& vLen) const;
  bool DatCritHolds(const TDatCritEntry& vCrit, std::uint32_t bType, const struct TDataView& vView,
                    TText& datStr, std::int32_t& datStart, std::int32_t& datLen) const;
  void SearchRoots(bool vAllRoots);
  void WalkKey(const TText& vName, int vDepth);
  void SimpleBody(const TText& vFull, const TText& vName);
  void WalkSubkeys(int vDepth);
  void ReportHit();
  void ReportProgress();
  void CheckTerminate();
  static TText Widened(const TText& s);
  // The first match of vRegex in vText; a text given up is counted.
  TRegexResult FindRegex(const TRegex& vRegex, TTextView vText, std::int32_t& vStart,
                         std::int32_t& vLen) const;
  // Sorts names with the host's comparison: the order the walk visits them in.
  void SortNames(std::vector<TText>& vNames) const;
  // Sorts fValues by name, as SortNames does names.
  void SortValues();

  bool fComplex = false;
  TText fSimpleS;
  TComplexCriteria fCrit;   // the simple search uses its case rule only
  TText fSimpleFolded;      // fSimpleS with a-z folded, computed once
  TText fSimpleWide;        // fSimpleS widened (each character followed by a zero)
  TText fSimpleWideFolded;  // and with a-z folded
  std::int32_t fSimpleI = 0;
  bool fSmpHasI = false;
  // The simple search's pattern for names (without regard to case) and data; null when the
  // text is not a regex.
  std::shared_ptr<const TRegex> fNameRegex;
  std::shared_ptr<const TRegex> fDataRegex;
  std::unique_ptr<TRegexMatcher> fMatcher;  // the worker's, made with the first pattern
  mutable std::int32_t fTooCostly = 0;
  std::int32_t fMaxRslt = 0;
  TStatus fStatus = stReady;
  TKeyHandle fGotRoot = 0;
  TText fGotKey;
  TText fGotVal;
  TText fGotDat;
  std::int32_t fGotKeySt = 0;
  std::int32_t fGotValSt = 0;
  std::int32_t fGotDatSt = 0;
  std::int32_t fGotKeyLn = 0;
  std::int32_t fGotValLn = 0;
  std::int32_t fGotDatLn = 0;
  TFoundProc fFoundP;
  TProgProc fProgP;
  std::int32_t fCount = 0;
  std::int32_t fTotal = 0;
  bool fQuit = false;
  const std::int32_t maxShowT = 100;

  TSearchHost fHost;
  std::unique_ptr<TRegCursor> fCursor;  // for the duration of one search procedure
  TValueList fValues;                   // the values of the key being searched
  // The subkey names of the key being walked at each depth (each list stays where it is
  // while deeper lists are added).
  std::deque<std::vector<TText>> fNamesAt;
  mutable TDataView fView;  // the data view SimpleMatchD works on, reused
  // The key's last-write time, read once per key when first needed; 0: unknown.
  std::uint64_t KeyTime();
  std::optional<TTimeRange> fRange;
  std::uint64_t fKeyTime = 0;
  bool fKeyTimeRead = false;
  TText fRootName;
  TText fFull;  // the full path of the key being walked
};

}  // namespace corvane
