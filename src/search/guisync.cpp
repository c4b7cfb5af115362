#include "search/guisync.h"

namespace corvane {

TGuiSync::TGuiSync(std::function<void()> vWake)
    : fWake(std::move(vWake)), fGuiThread(std::this_thread::get_id()) {}

void TGuiSync::Run(const std::function<void()>& vStep) {
  if (OnGuiThread()) {
    vStep();
    return;
  }
  TStep step{&vStep, false, nullptr};
  {
    std::lock_guard<std::mutex> hold(fLock);
    fQueue.push_back(&step);
  }
  fQueued.notify_all();
  if (fWake) fWake();
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

bool TGuiSync::WaitPending(std::chrono::milliseconds vTimeout) {
  std::unique_lock<std::mutex> hold(fLock);
  return fQueued.wait_for(hold, vTimeout, [&] { return !fQueue.empty(); });
}

}  // namespace corvane
