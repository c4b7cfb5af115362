#include "ui/main/searchrun.h"

#include "search/searchtexts.h"
#include "ui/crit/critlogic.h"
#include "ui/ids.h"

namespace corvane {

TSearchRun::~TSearchRun() {
  Shutdown();
}

TFoundProc TSearchRun::FoundProc() {
  return [this](TResult vHit) {
    if (!fShutdown) fHost.fFound(std::move(vHit));
  };
}

TProgProc TSearchRun::ProgProc() {
  return [this](std::int32_t total, std::int32_t count) {
    if (!fShutdown) fHost.fProgress(ProgressText(total, count));
  };
}

void TSearchRun::StartSimple(const TText& vText, bool vRegex, bool vCase, std::int32_t vMaxRslt,
                             std::optional<TTimeRange> vRange) {
  ReleaseEnded();
  fHost.fStarting(true, true);
  fHitsFrom = hfSimple;
  auto thread = std::make_unique<TSearchThread>(vText, vCase, vMaxRslt, FoundProc(), ProgProc(),
                                                fHost.fSearchHost());
  if (vRegex) thread->MatchAsRegex();
  Start(std::move(thread), vRange);
}

void TSearchRun::StartComplex(const TSearchCriteria& vCriteria, std::int32_t vMaxRslt,
                              std::optional<TTimeRange> vRange) {
  ReleaseEnded();
  TComplexCriteria c = EncodeCriteria(vCriteria);
  fHost.fStarting(c.RsltVal(), c.RsltDat());
  fHitsFrom = c.RsltVal() || c.RsltDat() ? hfCriteria : hfKeyCriteria;
  Start(std::make_unique<TSearchThread>(std::move(c), vMaxRslt, FoundProc(), ProgProc(),
                                        fHost.fSearchHost()),
        vRange);
}

void TSearchRun::Start(std::unique_ptr<TSearchThread> vThread, std::optional<TTimeRange> vRange) {
  vThread->LimitTimes(vRange);
  vThread->OnTerminate = [this](TThread& t) { SearchDone(t); };
  // Busy before the thread runs: its end report clears it.
  SearchBusy = true;
  try {
    if (fHost.fStartThread)
      fHost.fStartThread(*vThread);
    else
      vThread->Start();
  } catch (...) {
    SearchBusy = false;
    throw;
  }
  sThread = std::move(vThread);
  EnableCriteria(false);
}

void TSearchRun::SearchDone(TThread& Sender) {
  if (fShutdown) return;
  const TStatus status = static_cast<TSearchThread&>(Sender).Status();
  fHost.fEnded(EndText(status, fHost.fHitCount(),
                       static_cast<TSearchThread&>(Sender).TooCostly()));
  // The thread is still running this report: keep the object until its thread has ended.
  if (sThread.get() == &Sender) {
    fEndedThread = std::move(sThread);
    PostMessageW(fHost.fOwner, ids::kReleaseThreadMsg, 0, 0);
  }
  EnableCriteria(true);
  SearchBusy = false;
  fHost.fIdle();
}

void TSearchRun::ReleaseEnded() {
  if (fEndedThread && fEndedThread->Finished()) fEndedThread.reset();
}

void TSearchRun::Stop() {
  SearchBusy = false;
  if (sThread) {
    TSearchThread* t = sThread.get();
    t->Terminate();
    t->WaitFor();  // runs the pending reports; SearchDone among them moves the thread away
    sThread.reset();
  }
  ReleaseEnded();
}

void TSearchRun::Shutdown() {
  fShutdown = true;
  if (sThread) {
    // Only reachable when the close check was passed while a search was ending; its reports
    // see fShutdown and do nothing.
    sThread->Terminate();
    sThread.reset();
  }
  fEndedThread.reset();
}

void TSearchRun::EnableChildren(HWND vParent, bool Value) {
  std::vector<HWND> children;
  for (HWND c = GetWindow(vParent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    children.push_back(c);
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    HWND c = *it;
    if (GetWindow(c, GW_CHILD)) EnableChildren(c, Value);
    if (!fHost.fBoundToAction(c)) EnableWindow(c, Value);
  }
}

void TSearchRun::EnableCriteria(bool Value) {
  for (HWND p : fHost.fCriteriaPanels()) EnableChildren(p, Value);
  fHost.fEnableMenus(Value);
  if (Value) fHost.fUpdateDeleteButtons();
}

}  // namespace corvane
