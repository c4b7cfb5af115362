// A worker thread object in the manner the search needs: created suspended, started by its
// owner, runs one body, polls a termination flag, and announces its end on the GUI thread.
//
// Contract:
// - Construct, set OnTerminate, then Start() on the GUI thread.
// - Execute() runs on the worker. An exception escaping it is swallowed there.
// - After Execute() returns, OnTerminate runs on the GUI thread (through the TGuiSync) while
//   the worker waits. It must not wait for the thread, nor destroy the object.
// - WaitFor() blocks the GUI thread until the worker has ended, running the worker's pending
//   hand-offs meanwhile (OnTerminate among them).
// - The object may be destroyed only on the GUI thread; its destructor waits as WaitFor()
//   does, so the object never goes away under a running worker.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "search/guisync.h"

namespace corvane {

class TThread {
 public:
  explicit TThread(TGuiSync& vSync) : fSync(vSync) {}
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;
  virtual ~TThread();

  void Start();
  // Asks the body to end; the body polls Terminated().
  void Terminate() { fTerminated.store(true, std::memory_order_relaxed); }
  bool Terminated() const { return fTerminated.load(std::memory_order_relaxed); }
  // The worker has ended (its end notification has returned).
  bool Finished() const { return fFinished.load(std::memory_order_acquire); }
  bool Started() const { return fStarted; }
  void WaitFor();

  std::function<void(TThread&)> OnTerminate;

 protected:
  virtual void Execute() = 0;
  // Runs vStep on the GUI thread and waits for it.
  void Synchronize(const std::function<void()>& vStep) { fSync.Run(vStep); }
  TGuiSync& Sync() { return fSync; }

 private:
  void Main() noexcept;

  TGuiSync& fSync;
  std::thread fThread;
  std::atomic<bool> fTerminated{false};
  std::atomic<bool> fFinished{false};
  bool fStarted = false;
};

}  // namespace corvane
