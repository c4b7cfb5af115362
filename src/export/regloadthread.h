// Loading a registry export file into a new in-memory registry on a worker thread, so the
// window stays responsive while a large file loads, shows progress and can give it up.
//
// Contract (that of TThread, search/thread.h, applies):
// - Create on the GUI thread, set OnTerminate, Start().
// - The progress callback runs on the GUI thread while the worker waits: with (0, size) once
//   the file is read, then every vStep bytes of it or so, then with (size, size) when the load
//   has succeeded. vStep 0 means about every half percent (at least every 64 KiB).
// - Terminate() gives the load up at the next progress point; it then ends with loCancelled.
// - Outcome(), Error(), ErrorLine() and TakeRegistry() are final once OnTerminate runs (read
//   them there or after the thread has ended). Only loDone leaves a registry; every other
//   outcome leaves nothing, so the caller's state stays as it was. An exception escaping the
//   progress callback ends the load with the outcome still loLoading.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "files/files.h"
#include "search/memregistry.h"
#include "search/thread.h"

namespace corvane {

class TRegLoadThread : public TThread {
 public:
  enum TOutcome {
    loLoading,
    loDone,
    loCancelled,
    loOpenFailed,  // Error(): the system's text
    loReadFailed,  // Error(): the system's text
    loMalformed,   // Error(): the loader's "line N: ..." text; ErrorLine(): N
  };
  using TLoadProgProc = std::function<void(std::uint64_t vDone, std::uint64_t vTotal)>;

  TRegLoadThread(const TText& vPath, TGuiSync& vSync, TLoadProgProc vProgress,
                 TFileOps& vFiles = PlatformFiles(), std::size_t vStep = 0);
  ~TRegLoadThread() override;

  // The file's full path, as messages show it.
  const TText& Path() const { return fPath; }
  TOutcome Outcome() const { return fOutcome; }
  const TText& Error() const { return fError; }
  int ErrorLine() const { return fErrorLine; }
  // The loaded registry (loDone), once; nullptr otherwise.
  std::unique_ptr<TMemRegistry> TakeRegistry() { return std::move(fRegistry); }

 protected:
  void Execute() override;

 private:
  void Progress(std::uint64_t vDone, std::uint64_t vTotal);

  TText fPath;
  TLoadProgProc fProgress;
  TFileOps& fFiles;
  std::size_t fStep;
  TOutcome fOutcome = loLoading;
  TText fError;
  int fErrorLine = 0;
  std::unique_ptr<TMemRegistry> fRegistry;
};

}  // namespace corvane
