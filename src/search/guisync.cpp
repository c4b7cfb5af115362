#include "search/guisync.h"

namespace corvane {

TGuiSync::TGuiSync(std::function<void()> vWake)
    : fWake(std::move(vWake)), fGuiThread(std::this_thread::get_id()) {}

TGuiSync::TGuiSync(TDirect) : fGuiThread(std::this_thread::get_id()), fDirect(true) {}

void TGuiSync::Run(const std::function<void()>& vStep) {
  if (fDirect) {
    std::lock_guard<std::mutex> hold(fDirectLock);
    vStep();
    return;
  }
  if (OnGuiThread()) {
    vStep();
    return;
  }
  TStep step{&vStep, false, nullptr};
  bool wake = false;
  {
    std::lock_guard<std::mutex> hold(fLock);
    fQueue.push_back(&step);
    wake = !fWakeOwed && !fTaking;
    if (wake) fWakeOwed = true;
  }
  fQueued.notify_all();
  if (wake && fWake) fWake();
  std::unique_lock<std::mutex> hold(fLock);
  fDone.wait(hold, [&] { return step.fDone; });
  if (step.fError) std::rethrow_exception(step.fError);
}

int TGuiSync::RunPending() {
  int ran = 0;
  for (;;) {
    TStep* step = nullptr;
    {
      std::lock_guard<std::mutex> hold(fLock);
      if (fQueue.empty()) return ran;
      step = fQueue.front();
      fQueue.pop_front();
    }
    std::exception_ptr error;
    try {
      (*step->fStep)();
    } catch (...) {
      error = std::current_exception();
    }
    {
      std::lock_guard<std::mutex> hold(fLock);
      step->fError = error;
      step->fDone = true;
    }
    fDone.notify_all();
    ++ran;
  }
}

int TGuiSync::RunPendingFor(std::chrono::milliseconds vBudget) {
  // How long to wait for the next step: a walk that reports many hits reports the next one
  // within this; otherwise the GUI thread goes back to its messages.
  constexpr std::chrono::milliseconds kNextStep(5);
  const auto end = std::chrono::steady_clock::now() + vBudget;
  {
    std::lock_guard<std::mutex> hold(fLock);
    fWakeOwed = false;
    fTaking = true;
  }
  int ran = RunPending();
  while (std::chrono::steady_clock::now() < end && WaitPending(kNextStep)) ran += RunPending();
  bool wake = false;
  {
    std::lock_guard<std::mutex> hold(fLock);
    fTaking = false;
    // A step queued after the last look still needs its wake.
    wake = !fQueue.empty() && !fWakeOwed;
    if (wake) fWakeOwed = true;
  }
  if (wake && fWake) fWake();
  return ran;
}

bool TGuiSync::WaitPending(std::chrono::milliseconds vTimeout) {
  std::unique_lock<std::mutex> hold(fLock);
  return fQueued.wait_for(hold, vTimeout, [&] { return !fQueue.empty(); });
}

}  // namespace corvane
