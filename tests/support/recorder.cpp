#include "support/recorder.h"

#include "search/emphasis.h"

namespace corvane::test {

std::string TRecordedHit::Marked() const {
  return ToUtf8(MarkEmphasis(fKey, fKeySt, fKeyLn, u"[", u"]")) + " | " +
         ToUtf8(MarkEmphasis(fVal, fValSt, fValLn, u"[", u"]")) + " | " +
         ToUtf8(MarkEmphasis(fDat, fDatSt, fDatLn, u"[", u"]"));
}

TFoundProc TRecorder::Found() {
  return [this](const TResult& h) {
    fHits.push_back(TRecordedHit{h.fKeyStr, h.fValStr, h.fDatStr, h.fKeyStart, h.fValStart,
                                 h.fDatStart, h.fKeyLen, h.fValLen, h.fDatLen, h.froot,
                                 h.fModified});
    if (fOnHit) fOnHit(fHits.back());
  };
}

TProgProc TRecorder::Progress() {
  return [this](std::int32_t total, std::int32_t count) { fProgress.emplace_back(total, count); };
}

std::vector<std::string> TRecorder::Marked() const {
  std::vector<std::string> r;
  for (const auto& h : fHits) r.push_back(h.Marked());
  return r;
}

std::vector<TResult> TRecorder::Results() const {
  std::vector<TResult> r;
  for (const auto& h : fHits) {
    r.emplace_back(h.fKey, h.fVal, h.fDat, h.fKeySt, h.fValSt, h.fDatSt, h.fKeyLn, h.fValLn,
                   h.fDatLn, h.fRoot);
    r.back().fModified = h.fModified;
  }
  return r;
}

TSearchRun::TSearchRun(TCursorFactory vCursors, const std::vector<TText>* vAliases) {
  fHost.fSync = &fSync;
  fHost.fNewCursor = std::move(vCursors);
  fHost.fAliases = vAliases;
}

TSearchThread& TSearchRun::Simple(const TText& vText, bool vDatCase, std::int32_t vMax) {
  fThread = std::make_unique<TSearchThread>(vText, vDatCase, vMax, fRec.Found(), fRec.Progress(),
                                            fHost);
  return *fThread;
}

TSearchThread& TSearchRun::Criteria(TComplexCriteria vCrit, std::int32_t vMax) {
  fThread = std::make_unique<TSearchThread>(std::move(vCrit), vMax, fRec.Found(), fRec.Progress(),
                                            fHost);
  return *fThread;
}

TStatus TSearchRun::Run() {
  fThread->OnTerminate = [this](TThread&) {
    ++fEndCalls;
    fEndStatus = fThread->Status();
  };
  fThread->Start();
  fThread->WaitFor();
  return fEndStatus;
}

}  // namespace corvane::test
