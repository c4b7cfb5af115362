// A recording sink for the search thread's callbacks, and a driver that runs a search to its
// end on the test's own thread (acting as the GUI thread, pumping the hand-offs).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "search/searchthread.h"
#include "support/printers.h"

namespace corvane::test {

struct TRecordedHit {
  TText fKey, fVal, fDat;
  std::int32_t fKeySt, fValSt, fDatSt, fKeyLn, fValLn, fDatLn;
  TKeyHandle fRoot;
  std::uint64_t fModified = 0;
  // "key | val | dat" in UTF-8 with every shown emphasis in [brackets].
  std::string Marked() const;
};

class TRecorder {
 public:
  TFoundProc Found();
  TProgProc Progress();
  std::vector<std::string> Marked() const;
  // The hits as the window keeps them.
  std::vector<TResult> Results() const;

  std::vector<TRecordedHit> fHits;
  std::vector<std::pair<std::int32_t, std::int32_t>> fProgress;
  // Runs on the GUI thread after each hit is recorded (for stop requests from "the user").
  std::function<void(const TRecordedHit&)> fOnHit;
};

// Owns what one search needs: the hand-off queue, the recorder and the thread.
class TSearchRun {
 public:
  TSearchRun(TCursorFactory vCursors, const std::vector<TText>* vAliases = nullptr);
  // Creates a simple search (not started).
  TSearchThread& Simple(const TText& vText, bool vDatCase = false, std::int32_t vMax = 1000000);
  // Creates a criteria search (not started).
  TSearchThread& Criteria(TComplexCriteria vCrit, std::int32_t vMax = 1000000);
  // Starts the thread and runs hand-offs until it has ended; returns its status as seen by
  // the end notification.
  TStatus Run();

  TGuiSync fSync;
  TSearchHost fHost;
  TRecorder fRec;
  std::unique_ptr<TSearchThread> fThread;
  int fEndCalls = 0;
  TStatus fEndStatus = stReady;
};

}  // namespace corvane::test
