#include "app/find/findrun.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace corvane::find {

namespace {

// Searches one source. There is no GUI thread: the search thread writes its hits itself
// (a direct sync) while the calling thread waits for its end and passes a stop request on.
TSourceEnd SearchOne(const TFindSource& vSource, std::size_t vIndex, const TRunSources& vRun,
                     const std::function<void(const std::string&)>& vOut,
                     const std::function<void(std::int32_t, std::int32_t)>& vProgress) {
  TGuiSync sync(TGuiSync::kDirect);
  TSearchHost host;
  host.fSync = &sync;
  host.fNewCursor = vSource.fCursors;
  host.fAliases = vSource.fAliases;
  host.fSingleRoot = vSource.fSingleRoot;
  TSourceEnd end;
  std::string text;
  TSearchThread* running = nullptr;
  auto passStop = [&] {
    if (running && vRun.fStopRequest && vRun.fStopRequest->load()) running->Terminate();
  };
  auto found = [&](const TResult& vHit) {
    ++end.fCount;
    text.clear();
    vRun.fWriteHit(vIndex, vHit, text);
    vOut(text);
    // A stop asked for while the hit was written takes effect before the walk goes on.
    passStop();
  };
  std::unique_ptr<TSearchThread> thread = vRun.fMake(host, found, vProgress);
  running = thread.get();
  std::mutex endLock;
  std::condition_variable ended;
  bool done = false;
  thread->OnTerminate = [&](TThread&) {
    end.fStatus = thread->Status();
    end.fTooCostly = thread->TooCostly();
    const std::lock_guard<std::mutex> guard(endLock);
    done = true;
    ended.notify_all();
  };
  thread->Start();
  {
    std::unique_lock<std::mutex> guard(endLock);
    while (!done) {
      passStop();
      ended.wait_for(guard, std::chrono::milliseconds(50));
    }
  }
  thread.reset();  // joins the worker
  return end;
}

}  // namespace

std::vector<TSourceEnd> RunSources(const std::vector<TFindSource>& vSources,
                                   const TRunSources& vRun) {
  std::vector<TSourceEnd> ends(vSources.size());
  if (vSources.size() == 1) {
    std::string head;
    if (vRun.fWriteHead) vRun.fWriteHead(0, head);
    if (!head.empty()) vRun.fOut(head);
    ends[0] = SearchOne(vSources[0], 0, vRun, vRun.fOut, vRun.fProgress);
    return ends;
  }

  // Each source's output is kept until it is its turn to be written.
  struct TSlot {
    std::string fOut;
    bool fDone = false;
    std::exception_ptr fError;
  };
  std::vector<TSlot> slots(vSources.size());
  std::mutex lock;
  std::condition_variable doneChanged;
  std::atomic<std::size_t> next{0};
  auto progress = [&](std::int32_t vTotal, std::int32_t vHits) {
    const std::lock_guard<std::mutex> guard(lock);
    vRun.fProgress(vTotal, vHits);
  };
  auto work = [&] {
    for (std::size_t i = next++; i < vSources.size(); i = next++) {
      TSlot& slot = slots[i];
      try {
        if (vRun.fWriteHead) vRun.fWriteHead(i, slot.fOut);
        auto out = [&slot](const std::string& vText) { slot.fOut += vText; };
        ends[i] = SearchOne(
            vSources[i], i, vRun, out,
            vRun.fProgress ? std::function<void(std::int32_t, std::int32_t)>(progress) : nullptr);
      } catch (...) {
        slot.fError = std::current_exception();
      }
      const std::lock_guard<std::mutex> guard(lock);
      slot.fDone = true;
      doneChanged.notify_all();
    }
  };
  const std::size_t jobs = std::clamp<std::size_t>(vRun.fJobs, 1, vSources.size());
  std::vector<std::thread> workers;
  for (std::size_t j = 0; j < jobs; ++j) workers.emplace_back(work);
  std::exception_ptr error;
  for (std::size_t i = 0; i < slots.size(); ++i) {
    std::string out;
    {
      std::unique_lock<std::mutex> guard(lock);
      doneChanged.wait(guard, [&] { return slots[i].fDone; });
      out.swap(slots[i].fOut);
      if (slots[i].fError && !error) error = slots[i].fError;
    }
    if (!error) {
      try {
        vRun.fOut(out);
      } catch (...) {
        error = std::current_exception();
        if (vRun.fStopRequest) vRun.fStopRequest->store(true);  // the rest cannot be written
      }
    }
  }
  for (std::thread& t : workers) t.join();
  if (error) std::rethrow_exception(error);
  return ends;
}

TSourceEnd CombinedEnd(const std::vector<TSourceEnd>& vEnds) {
  TSourceEnd all;
  all.fStatus = stFinished;
  bool stopped = false, overflow = false;
  for (const TSourceEnd& e : vEnds) {
    all.fCount += e.fCount;
    all.fTooCostly += e.fTooCostly;
    stopped = stopped || (e.fStatus != stFinished && e.fStatus != stOverflow);
    overflow = overflow || e.fStatus == stOverflow;
  }
  if (stopped)
    all.fStatus = stStopped;
  else if (overflow)
    all.fStatus = stOverflow;
  return all;
}

}  // namespace corvane::find
