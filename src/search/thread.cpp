#include "search/thread.h"

#include <chrono>

namespace corvane {

TThread::~TThread() {
  // Derived classes wait in their own destructor before freeing what the body uses; this is
  // the last line of defence.
  WaitFor();
}

void TThread::Start() {
  if (fStarted) return;
  fStarted = true;
  fThread = std::thread([this] { Main(); });
}

void TThread::Main() noexcept {
  try {
    Execute();
  } catch (...) {
  }
  try {
    if (OnTerminate) Synchronize([this] { OnTerminate(*this); });
  } catch (...) {
  }
  fFinished.store(true, std::memory_order_release);
}

void TThread::WaitFor() {
  if (!fStarted || !fThread.joinable()) return;
  if (fSync.OnGuiThread() && !fSync.Direct()) {
    // Once Finished() holds, the worker needs the GUI thread no more.
    while (!Finished()) {
      fSync.RunPending();
      if (!Finished()) (void)fSync.WaitPending(std::chrono::milliseconds(5));
    }
  }
  fThread.join();
}

}  // namespace corvane
