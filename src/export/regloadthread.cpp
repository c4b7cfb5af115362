#include "export/regloadthread.h"

#include <algorithm>
#include <new>
#include <string>

#include "search/regexport.h"

namespace corvane {

TRegLoadThread::TRegLoadThread(const TText& vPath, TGuiSync& vSync, TLoadProgProc vProgress,
                               TFileOps& vFiles, std::size_t vStep)
    : TThread(vSync),
      fPath(vFiles.FullPath(vPath)),
      fProgress(std::move(vProgress)),
      fFiles(vFiles),
      fStep(vStep) {}

TRegLoadThread::~TRegLoadThread() {
  // The body uses the fields below; never free them under a running worker.
  WaitFor();
}

void TRegLoadThread::Progress(std::uint64_t vDone, std::uint64_t vTotal) {
  if (fProgress) Synchronize([&] { fProgress(vDone, vTotal); });
}

void TRegLoadThread::Execute() {
  std::string bytes;
  try {
    switch (fFiles.ReadAll(fPath, bytes, fError)) {
      case TFileOps::frDone:
        break;
      case TFileOps::frTransferFailed:
        fOutcome = loReadFailed;
        return;
      default:
        fOutcome = loOpenFailed;
        return;
    }
  } catch (const std::bad_alloc&) {
    fError = u"not enough memory for the file";
    fOutcome = loReadFailed;
    return;
  }
  auto registry = std::make_unique<TMemRegistry>();
  TRegLoadProgress progress;
  progress.fStep = fStep ? fStep : std::max<std::size_t>(bytes.size() / 200, 64 << 10);
  progress.fHook = [this](std::size_t vDone, std::size_t vTotal) {
    if (Terminated()) return false;
    Progress(vDone, vTotal);
    return true;
  };
  try {
    LoadRegExport(*registry, bytes, progress);
  } catch (const TRegExportCancelled&) {
    fOutcome = loCancelled;
    return;
  } catch (const TRegExportError& e) {
    fError = FromUtf8(e.what());
    fErrorLine = e.Line();
    fOutcome = loMalformed;
    return;
  } catch (const TRegError& e) {
    fError = FromUtf8(e.what());
    fOutcome = loMalformed;
    return;
  } catch (const std::bad_alloc&) {
    fError = u"not enough memory for the file";
    fOutcome = loReadFailed;
    return;
  }
  fRegistry = std::move(registry);
  fOutcome = loDone;
}

}  // namespace corvane
