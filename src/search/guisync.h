// The hand-off of the search thread's reports to the GUI thread.
//
// Contract:
// - Run() is called by a worker thread. It queues the step, calls the wake function (which
//   must not block: on Windows it posts a message to the GUI thread) and waits until the GUI
//   thread has run the step. An exception thrown by the step is rethrown in the worker.
//   Called on the GUI thread itself, Run() runs the step at once.
// - RunPending() is called on the GUI thread (by a test's own loop and by Stop's wait); it
//   runs every queued step in order. The message loop, when woken, calls RunPendingFor(),
//   which also takes the steps that follow within the time given, without a wake each: the
//   worker does not wake the GUI thread while one wake is owed or while it is taking steps.
// - Steps run one at a time, on the GUI thread only, so a step may touch window state
//   freely; the worker is blocked while its step runs.
// - A sync made with kDirect has no GUI thread (a console run): Run() runs each step at once
//   on the calling worker, one step at a time, and its exceptions pass straight through.
//   Nothing is ever queued, so the creating thread only waits for the worker's end; that
//   spares two thread switches per hit.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace corvane {

class TGuiSync {
 public:
  struct TDirect {};
  static constexpr TDirect kDirect{};

  // Must be created on the GUI thread.
  explicit TGuiSync(std::function<void()> vWake = {});
  explicit TGuiSync(TDirect);
  TGuiSync(const TGuiSync&) = delete;
  TGuiSync& operator=(const TGuiSync&) = delete;

  void Run(const std::function<void()>& vStep);
  // Runs the queued steps; returns how many ran.
  int RunPending();
  // Runs the queued steps and those that follow soon after each, for at most about vBudget;
  // returns how many ran. Answers the wake.
  int RunPendingFor(std::chrono::milliseconds vBudget);
  // Waits until a step is queued or the time is up; true when one is queued.
  bool WaitPending(std::chrono::milliseconds vTimeout);
  bool OnGuiThread() const { return std::this_thread::get_id() == fGuiThread; }
  bool Direct() const { return fDirect; }

 private:
  struct TStep {
    const std::function<void()>* fStep;
    bool fDone = false;
    std::exception_ptr fError;
  };

  std::function<void()> fWake;
  std::thread::id fGuiThread;
  bool fDirect = false;
  std::mutex fDirectLock;  // one direct step at a time
  std::mutex fLock;
  std::condition_variable fQueued;
  std::condition_variable fDone;
  std::deque<TStep*> fQueue;
  bool fWakeOwed = false;  // a wake was issued and RunPendingFor has not answered it yet
  bool fTaking = false;    // RunPendingFor is running: it sees every step queued meanwhile
};

}  // namespace corvane
