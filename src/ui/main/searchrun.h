// TSearchRun: the main window's running search. It starts a simple or an Advanced search on
// its thread, takes the thread's three reports (a hit, progress, the end) on the GUI thread,
// stops it, releases the ended thread, and locks the criteria controls while it runs. What
// the reports do to the pages the window decides through the host's callbacks.
//
// Threads: everything here runs on the GUI thread; the reports arrive through the host's
// hand-off (fSync) and run from the message loop or inside Stop's wait.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "savedsearch/qmxfile.h"
#include "search/guisync.h"
#include "search/keytime.h"
#include "search/searchthread.h"
#include "search/types.h"

namespace corvane {

class TSearchRun {
 public:
  struct THost {
    HWND fOwner = nullptr;  // receives the message that releases an ended thread
    TGuiSync* fSync = nullptr;
    // Starts a search thread; empty: TThread::Start. Tests give one that fails.
    std::function<void(TThread&)> fStartThread;
    // The registry or the export file to search, with the hand-off.
    std::function<TSearchHost()> fSearchHost;
    // A search starts; vValues, vData: its hits show a value line, a data line.
    std::function<void(bool vValues, bool vData)> fStarting;
    std::function<void(TResult vHit)> fFound;
    std::function<void(const TText& vText)> fProgress;
    std::function<std::int32_t()> fHitCount;
    // The search ended with vText (its thread is still finishing).
    std::function<void(const TText& vText)> fEnded;
    // After the end: the criteria controls are usable again.
    std::function<void()> fIdle;
    // The criteria controls: the containers whose children are locked while a search runs,
    // the children that follow an action instead, and the options' menu items.
    std::function<std::vector<HWND>()> fCriteriaPanels;
    std::function<bool(HWND)> fBoundToAction;
    std::function<void(bool vEnabled)> fEnableMenus;
    // Each box's Delete button as its rows allow, once the controls are usable again.
    std::function<void()> fUpdateDeleteButtons;
  };

  explicit TSearchRun(THost vHost) : fHost(std::move(vHost)) {}
  ~TSearchRun();
  TSearchRun(const TSearchRun&) = delete;
  TSearchRun& operator=(const TSearchRun&) = delete;

  // Starts a search, of the keys written in vRange when there is one; throws when its thread
  // cannot be made or started (nothing then runs).
  // vRegex: vText is a regular expression.
  void StartSimple(const TText& vText, bool vRegex, bool vCase, std::int32_t vMaxRslt,
                   std::optional<TTimeRange> vRange = std::nullopt);
  void StartComplex(const TSearchCriteria& vCriteria, std::int32_t vMaxRslt,
                    std::optional<TTimeRange> vRange = std::nullopt);
  // Asks the thread to end and waits for it, running its reports meanwhile; the end report
  // comes among them. Without a search it only clears the busy flag.
  void Stop();
  // Releases a thread that has ended since its end report.
  void ReleaseEnded();
  // The window is closing: a thread still ending is told to stop, and its reports do nothing.
  void Shutdown();

  bool Running() const { return sThread != nullptr; }
  // Set from Search until Stop or the end: the window may not close meanwhile.
  bool Busy() const { return SearchBusy; }
  // The kind of the last search, which decides which hits stand for their key alone.
  THitsFrom From() const { return fHitsFrom; }

  // Enables (true) or disables (false) the criteria controls; see THost.
  void EnableCriteria(bool Value);

 private:
  void Start(std::unique_ptr<TSearchThread> vThread, std::optional<TTimeRange> vRange);
  TFoundProc FoundProc();
  TProgProc ProgProc();
  void SearchDone(TThread& Sender);
  void EnableChildren(HWND vParent, bool Value);

  THost fHost;
  std::unique_ptr<TSearchThread> sThread;
  std::unique_ptr<TSearchThread> fEndedThread;  // ended or ending; released from the loop
  bool SearchBusy = false;
  bool fShutdown = false;
  THitsFrom fHitsFrom = hfSimple;
};

}  // namespace corvane
